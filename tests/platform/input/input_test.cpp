#include "platform/input/input.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/input/replay.hpp"
#include "platform/input/scripted_input.hpp"

namespace {

constexpr int kSpace = 32;
constexpr int kUp = 38;

class RecordingList final : public InputRecorder {
public:
    void Record(int frame, const InputEvent& event) override { lines.push_back(FormatReplayEvent(frame, event)); }
    std::vector<std::string> lines;
};

TEST(Input, HeldKeyGivesOneHitAndTwoPressesGiveTwo) {
    ScriptedInputSource source;
    Input input(source);
    source.Add(InputEvent::Key(kSpace, true));
    std::vector<int> hits;
    for (int frame = 0; frame < 10; ++frame) {
        input.BeginFrame(frame);
        hits.push_back(input.KeyHits(kSpace));
        EXPECT_EQ(input.KeyDown(kSpace), 1);
    }
    EXPECT_EQ(hits, (std::vector<int>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    source.Add(InputEvent::Key(kSpace, false));
    source.Add(InputEvent::Key(kSpace, true));
    source.Add(InputEvent::Key(kSpace, false));
    source.Add(InputEvent::Key(kSpace, true));
    source.Add(InputEvent::Key(kSpace, false));
    input.BeginFrame(10);
    EXPECT_EQ(input.KeyHits(kSpace), 2);
    EXPECT_EQ(input.KeyDown(kSpace), 0);
}

TEST(Input, EventsArriveOnlyAtTheFirstQueryOfAFrame) {
    ScriptedInputSource source;
    Input input(source);
    input.BeginFrame(0);
    EXPECT_EQ(input.KeyDown(kUp), 0);
    source.Add(InputEvent::Key(kUp, true));
    EXPECT_EQ(input.KeyDown(kUp), 0);
    input.BeginFrame(1);
    EXPECT_EQ(input.KeyDown(kUp), 1);
}

TEST(Input, FocusLossDropsHeldKeysHitsAndMouseUntilPressedAgainAndCloseIsReportedOnce) {
    ScriptedInputSource source;
    Input input(source);
    source.Add(InputEvent::Key(kUp, true));
    source.Add(InputEvent::Key(kSpace, true));
    source.Add(InputEvent::Mouse(2, true));
    source.Add(InputEvent::Mouse(1, true));
    source.Add(InputEvent::Focus(false));
    source.Add(InputEvent::Close());
    input.BeginFrame(0);
    EXPECT_EQ(input.TerminateRequested(), 1);
    EXPECT_EQ(input.TerminateRequested(), 0);
    EXPECT_EQ(input.KeyDown(kUp), 0);
    EXPECT_EQ(input.KeyHits(kSpace), 0);
    EXPECT_EQ(input.MouseDown(2), 0);
    EXPECT_EQ(input.MouseHits(1), 0);
    EXPECT_EQ(input.IsSuspended(), 1);

    // The key was let go elsewhere; coming back must not bring it back.
    source.Add(InputEvent::Focus(true));
    input.BeginFrame(1);
    EXPECT_EQ(input.IsSuspended(), 0);
    EXPECT_EQ(input.KeyDown(kUp), 0);

    source.Add(InputEvent::Key(kUp, true));
    input.BeginFrame(2);
    EXPECT_EQ(input.KeyDown(kUp), 1);
}

TEST(Input, JoystickHitsCountOnlyPressesFromUpAndAxesKeepTheirValue) {
    ScriptedInputSource source;
    Input input(source);
    source.Add(InputEvent::JoyButton(7, true));
    source.Add(InputEvent::JoyButton(7, true));
    input.BeginFrame(0);
    EXPECT_EQ(input.JoyButtonDown(7, 0), 1);
    EXPECT_EQ(input.JoyButtonHits(7, 0), 1);
    EXPECT_EQ(input.JoyButtonHits(7, 0), 0);

    source.Add(InputEvent::JoyButton(7, false));
    source.Add(InputEvent::JoyButton(7, true));
    source.Add(InputEvent::JoyButton(7, false));
    input.BeginFrame(1);
    EXPECT_EQ(input.JoyButtonDown(7, 0), 0);
    EXPECT_EQ(input.JoyButtonHits(7, 0), 1);
    EXPECT_EQ(input.JoyButtonHits(7, 1), 0);
    EXPECT_EQ(input.JoyButtonDown(16, 0), 0);
    EXPECT_EQ(input.JoyButtonDown(0, 16), 0);

    // Axes keep the last value read, 0 if none.
    EXPECT_EQ(input.JoyAxisX(99), 0.0f);
    source.Add(InputEvent::JoyAxis(0, -1.0f));
    source.Add(InputEvent::JoyAxis(1, 1.0f, 2));
    input.BeginFrame(2);
    input.BeginFrame(3);
    EXPECT_EQ(input.JoyAxisX(0), -1.0f);
    EXPECT_EQ(input.JoyAxisY(2), 1.0f);
}

TEST(Input, PointerIsClampedToThePlayfield) {
    ScriptedInputSource source;
    Input input(source);
    source.Add(InputEvent::MoveBy(-1000, 30));
    input.BeginFrame(0);
    EXPECT_EQ(input.MouseX(), 0);
    EXPECT_EQ(input.MouseY(), 270);

    source.Add(InputEvent::MoveBy(700, 700));
    input.BeginFrame(1);
    EXPECT_EQ(input.MouseX(), 639);
    EXPECT_EQ(input.MouseY(), 479);

    // The frame's events come before the game's own placement.
    source.Add(InputEvent::MoveTo(100, 100));
    input.BeginFrame(2);
    input.MoveMouse(320, 0);
    EXPECT_EQ(input.MouseX(), 320);
    EXPECT_EQ(input.MouseY(), 0);
}

TEST(Input, RecordsRelativeMotionAsPositionsAndSkipsGameMoves) {
    ScriptedInputSource source;
    Input input(source);
    RecordingList record;
    input.AddRecorder(&record);
    source.Add(InputEvent::MoveBy(5, -3));
    source.Add(InputEvent::JoyButton(1, true, 1));
    source.Add(InputEvent::JoyAxis(1, -1.0f, 0));
    input.BeginFrame(4);
    input.MoveMouse(10, 10);
    source.Add(InputEvent::MoveBy(-20, 1));
    input.BeginFrame(5);
    input.MouseX();
    EXPECT_EQ(record.lines, (std::vector<std::string>{"4 move 325 237", "4 joy axis 1 -1", "5 move 0 11"}));
}

TEST(Input, WaitJoyReleaseWaitsForEveryButtonAndUsesUpItsHits) {
    ScriptedInputSource source;
    Input input(source);
    source.Add(InputEvent::JoyButton(0, true));
    source.Add(InputEvent::JoyButton(6, true));
    input.BeginFrame(0);
    source.AddForWait({});
    source.AddForWait({InputEvent::JoyButton(0, false)});
    source.AddForWait({InputEvent::JoyAxis(0, 1.0f)});
    source.AddForWait({InputEvent::JoyButton(6, false), InputEvent::JoyButton(3, true)});
    source.AddForWait({InputEvent::Key(kSpace, true)});
    WaitJoyRelease(input);
    EXPECT_EQ(source.wait_fetches(), 4);
    EXPECT_EQ(input.JoyButtonHits(0, 0), 0);
    EXPECT_EQ(input.JoyButtonHits(6, 0), 0);
    // Buttons the wait does not watch keep their presses.
    EXPECT_EQ(input.JoyButtonHits(3, 0), 1);
    EXPECT_EQ(input.JoyAxisX(0), 1.0f);
}

TEST(Input, WaitsGiveUpWhenNoEventCanComeOrOnACloseRequest) {
    ScriptedInputSource source;
    Input input(source);
    source.Add(InputEvent::JoyButton(2, true));
    source.Add(InputEvent::Focus(false));
    input.BeginFrame(0);
    WaitJoyRelease(input);
    WaitWhileSuspended(input);
    EXPECT_EQ(input.JoyButtonDown(2, 0), 1);
    EXPECT_EQ(input.IsSuspended(), 1);

    // Live devices never run dry: only the close request ends these waits,
    // and it is left for the frame's own test to take.
    for (int i = 0; i < 10; ++i) source.AddForWait({InputEvent::MoveBy(1, 0)});
    source.AddForWait({InputEvent::Close()});
    for (int i = 0; i < 10; ++i) source.AddForWait({InputEvent::MoveBy(1, 0)});
    WaitWhileSuspended(input);
    EXPECT_EQ(source.wait_fetches(), 13);
    WaitJoyRelease(input);
    EXPECT_EQ(source.wait_fetches(), 13);
    EXPECT_EQ(input.IsSuspended(), 1);
    EXPECT_EQ(input.TerminateRequested(), 1);
}

TEST(Input, FlushesClearTheirDevicesAndWaitForTheJoystick) {
    ScriptedInputSource source;
    Input input(source);
    source.Add(InputEvent::Key(13, true));
    source.Add(InputEvent::Mouse(1, true));
    source.Add(InputEvent::JoyButton(1, true));
    source.AddForWait({InputEvent::JoyButton(1, false)});
    input.BeginFrame(0);
    FlushInput(input);
    EXPECT_EQ(input.KeyHits(13), 0);
    EXPECT_EQ(input.MouseHits(1), 0);
    EXPECT_EQ(input.JoyButtonDown(1, 0), 0);
    EXPECT_EQ(input.JoyButtonHits(1, 0), 0);
}

// A stand-in for the game: a fixed sequence of queries each frame, with a
// flush in the middle of some frames and the suspension wait after the flip.
// `before_frame` lets a scripted source queue what the devices would send;
// `at_start` runs right after each frame begins. Frames `first` to `frames`
// - 1 are played, the input numbering them from 0.
std::vector<std::string> PlayFrames(Input& input, int frames, const std::function<void(int)>& before_frame,
                                    const std::function<void(int)>& at_start = [](int) {}, int first = 0) {
    std::vector<std::string> log;
    for (int frame = first; frame < frames; ++frame) {
        before_frame(frame);
        input.BeginFrame(frame - first);
        at_start(frame);
        WaitWhileSuspended(input);
        std::string line = std::to_string(frame) + ":";
        line += " down " + std::to_string(input.KeyDown(kUp)) + std::to_string(input.JoyButtonDown(0, 0));
        line += " hits " + std::to_string(input.KeyHits(kSpace)) + std::to_string(input.MouseHits(1)) +
                std::to_string(input.JoyButtonHits(2, 0));
        line += " pointer " + std::to_string(input.MouseX()) + "," + std::to_string(input.MouseY());
        line += " axis " + std::to_string(input.JoyAxisX(0));
        if (frame % 4 == 3) {
            FlushInput(input);
            line += " after flush " + std::to_string(input.JoyButtonDown(0, 0)) + std::to_string(input.KeyDown(kUp));
        }
        line += " close " + std::to_string(input.TerminateRequested());
        if (frame % 5 == 0) input.MoveMouse(320, 240);
        log.push_back(line);
    }
    return log;
}

// What the devices send in the recorded sessions below: presses held through
// flushes and busy waits, a wait while the focus is away, relative motion.
void SendDevices(ScriptedInputSource& live, int frame) {
    switch (frame) {
    case 0:
        live.Add(InputEvent::Key(kUp, true));
        live.Add(InputEvent::JoyButton(0, true));
        live.Add(InputEvent::MoveBy(-7, 12));
        break;
    case 3:
        // Held through the flush of frame 3: the wait sees these.
        live.AddForWait({InputEvent::JoyAxis(0, -1.0f)});
        live.AddForWait({InputEvent::JoyButton(0, false), InputEvent::Key(kSpace, true)});
        break;
    case 5:
        live.Add(InputEvent::Key(kSpace, true));
        live.Add(InputEvent::JoyButton(0, true));
        live.Add(InputEvent::Focus(false));
        live.AddForWait({InputEvent::JoyButton(2, true), InputEvent::MoveBy(3, 3)});
        live.AddForWait({});
        live.AddForWait({InputEvent::Focus(true), InputEvent::Mouse(1, true)});
        break;
    case 7:
        live.AddForWait({InputEvent::Key(kUp, true), InputEvent::JoyButton(2, false)});
        live.AddForWait({InputEvent::JoyButton(0, false)});
        break;
    case 8:
        // Arrives while the wait of frame 7 had numbered frame 8.
        live.Add(InputEvent::Mouse(1, false));
        live.Add(InputEvent::Mouse(1, true));
        break;
    case 10:
        live.Add(InputEvent::Close());
        break;
    default:
        break;
    }
}

TEST(Input, ARecordedSessionReplaysQueryForQuery) {
    std::string path = ::testing::TempDir() + "input_round_trip.replay";
    ScriptedInputSource live;
    Input recorded(live);
    ReplayWriter writer;
    std::string error;
    ASSERT_TRUE(writer.Open(path, 99, {}, error)) << error;
    recorded.AddRecorder(&writer);

    auto devices = [&live](int frame) { SendDevices(live, frame); };
    std::vector<std::string> live_log = PlayFrames(recorded, 12, devices);

    std::optional<ReplayFile> replay = ReadReplayFile(path, error);
    ASSERT_TRUE(replay) << error;
    EXPECT_EQ(replay->seed, 99);
    EXPECT_TRUE(replay->has_joystick);
    ReplaySource source(*replay);
    Input replayed(source);
    EXPECT_EQ(PlayFrames(replayed, 12, [](int) {}), live_log);
    EXPECT_TRUE(source.finished());
    std::remove(path.c_str());
}

// A recording of one game starts at a frame's start, from the controls as
// that frame finds them and the events delivered from then on, renumbered:
// cut at any frame, the session goes on query for query.
TEST(Input, ASessionCutAtAnyFrameGoesOnFromTheControlsItFinds) {
    struct EventList final : InputRecorder {
        void Record(int frame, const InputEvent& event) override { events.push_back({frame, event}); }
        std::vector<ReplayEvent> events;
    };
    ScriptedInputSource live;
    Input recorded(live);
    EventList delivered;
    recorded.AddRecorder(&delivered);
    std::vector<ControlState> controls;
    std::vector<std::size_t> delivered_before;
    std::vector<std::string> live_log = PlayFrames(
        recorded, 12, [&live](int frame) { SendDevices(live, frame); },
        [&](int) {
            controls.push_back(recorded.Controls());
            delivered_before.push_back(delivered.events.size());
        });
    EXPECT_GT(controls[8].skipped, 0) << "frame 7's waits numbered the frames after it";
    EXPECT_FALSE(controls[4].buttons.empty()) << "the space pressed in frame 3's wait";
    for (int cut = 1; cut < 12; ++cut) {
        ReplayFile rest;
        for (std::size_t at = delivered_before[cut]; at < delivered.events.size(); ++at)
            rest.events.push_back({delivered.events[at].frame - cut, delivered.events[at].event});
        ReplaySource source(rest);
        Input input(source);
        std::vector<std::string> log = PlayFrames(
            input, 12, [](int) {}, [&](int frame) { if (frame == cut) input.SetControls(controls[cut]); }, cut);
        EXPECT_EQ(log, std::vector<std::string>(live_log.begin() + cut, live_log.end())) << "cut at frame " << cut;
    }
}

TEST(Input, ReplayWaitTakesTheNextGroupEvenFromALaterFrame) {
    std::string error;
    std::optional<ReplayFile> replay = ParseReplay(
        "seed 1\n"
        "10 focus lost\n"
        "50 key 38 down\n"
        "80 focus gained\n"
        "81 key 32 down\n",
        "wait.replay", error);
    ASSERT_TRUE(replay) << error;
    ReplaySource source(*replay);
    Input input(source);
    RecordingList record;
    input.AddRecorder(&record);
    for (int frame = 0; frame < 10; ++frame) {
        input.BeginFrame(frame);
        EXPECT_EQ(input.IsSuspended(), 0);
    }
    input.BeginFrame(10);
    EXPECT_EQ(input.IsSuspended(), 1);
    WaitWhileSuspended(input);
    EXPECT_EQ(input.IsSuspended(), 0);
    // The up arrow went down while suspended and was dropped on return.
    EXPECT_EQ(input.KeyDown(kUp), 0);
    for (int frame = 11; frame < 81; ++frame) {
        input.BeginFrame(frame);
        EXPECT_EQ(input.KeyHits(kSpace), 0) << frame;
    }
    input.BeginFrame(81);
    EXPECT_EQ(input.KeyHits(kSpace), 1);
    // Recorded again, the wait's groups take the frames right after the wait.
    EXPECT_EQ(record.lines,
              (std::vector<std::string>{"10 focus lost", "11 key 38 down", "12 focus gained", "81 key 32 down"}));
}

}  // namespace
