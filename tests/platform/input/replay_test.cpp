#include "platform/input/replay.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

std::string ParseError(const std::string& text) {
    std::string error;
    std::optional<ReplayFile> replay = ParseReplay(text, "bad.replay", error);
    EXPECT_FALSE(replay) << text;
    return error;
}

TEST(Replay, ParsesEveryKindOfLine) {
    std::string error;
    std::optional<ReplayFile> replay = ParseReplay(
        "# a session\r\n"
        "seed -4660   # any 32-bit value\r\n"
        "\n"
        "settings 0 5 3\n"
        "5 key 32 down\n"
        "6\tkey 32 up\n"
        "40 move 639 479\n"
        "41 mouse 1 down\n"
        "41 mouse 3 up\n"
        "90 joy axis 1 -1.0\n"
        "95 joy button 7 down\n"
        "96 joy button 15 up\n"
        "120 focus lost\n"
        "180 focus gained\n"
        "600 close",
        "good.replay", error);
    ASSERT_TRUE(replay) << error;
    EXPECT_EQ(replay->seed, -4660);
    EXPECT_EQ(replay->settings, (Settings{0, 5, 3}));
    EXPECT_TRUE(replay->has_joystick);
    std::vector<ReplayEvent> expected = {
        {5, InputEvent::Key(32, true)},       {6, InputEvent::Key(32, false)},
        {40, InputEvent::MoveTo(639, 479)},   {41, InputEvent::Mouse(1, true)},
        {41, InputEvent::Mouse(3, false)},    {90, InputEvent::JoyAxis(1, -1.0f)},
        {95, InputEvent::JoyButton(7, true)}, {96, InputEvent::JoyButton(15, false)},
        {120, InputEvent::Focus(false)},      {180, InputEvent::Focus(true)},
        {600, InputEvent::Close()},
    };
    EXPECT_EQ(replay->events, expected);
}

TEST(Replay, AnyJoystickLineProvidesOneJoystick) {
    std::string error;
    std::optional<ReplayFile> keys = ParseReplay("seed 1\n3 key 27 down\n", "keys.replay", error);
    std::optional<ReplayFile> joy = ParseReplay("seed 1\n3 key 27 down\n4 joy button 0 up\n", "joy.replay", error);
    ASSERT_TRUE(keys && joy) << error;
    EXPECT_EQ(keys->settings, Settings{}) << "no settings line: the defaults";
    EXPECT_EQ(ReplaySource(*keys).JoystickCount(), 0);
    EXPECT_EQ(ReplaySource(*joy).JoystickCount(), 1);
}

TEST(Replay, BadLinesNameFileLineAndProblem) {
    EXPECT_EQ(ParseError("seed 1\n\n5 jump\n"), "bad.replay:3: unknown event 'jump'");
    EXPECT_EQ(ParseError("seed 1\nfive key 32 down\n"),
              "bad.replay:2: unknown line start 'five': expected 'seed', 'game' or a frame number");
    EXPECT_EQ(ParseError("seed 1\n-1 close\n"), "bad.replay:2: frame number '-1' is out of range (0..2147483647)");
    EXPECT_EQ(ParseError("seed 1\n2147483648 close\n"),
              "bad.replay:2: frame number '2147483648' is out of range (0..2147483647)");
    EXPECT_EQ(ParseError("seed 1\n7 close\n6 close\n"), "bad.replay:3: frame 6 comes after frame 7");
    EXPECT_EQ(ParseError("seed 1\n7\n"), "bad.replay:2: frame 7 has no event");
    EXPECT_EQ(ParseError("seed 1\n1 key 256 down\n"), "bad.replay:2: key code '256' is not in 1..255");
    EXPECT_EQ(ParseError("seed 1\n1 key 32\n"), "bad.replay:2: 'down' or 'up' missing");
    EXPECT_EQ(ParseError("seed 1\n1 key 32 pressed\n"), "bad.replay:2: expected 'down' or 'up', not 'pressed'");
    EXPECT_EQ(ParseError("seed 1\n1 mouse 4 down\n"), "bad.replay:2: mouse button '4' is not in 1..3");
    EXPECT_EQ(ParseError("seed 1\n1 move 640 0\n"), "bad.replay:2: move X '640' is not in 0..639");
    EXPECT_EQ(ParseError("seed 1\n1 move 0 -1\n"), "bad.replay:2: move Y '-1' is not in 0..479");
    EXPECT_EQ(ParseError("seed 1\n1 joy hat 0 1\n"), "bad.replay:2: joy needs 'axis' or 'button'");
    EXPECT_EQ(ParseError("seed 1\n1 joy axis 16 0\n"), "bad.replay:2: joystick axis '16' is not in 0..15");
    EXPECT_EQ(ParseError("seed 1\n1 joy axis 0 1.5\n"),
              "bad.replay:2: joystick axis value '1.5' is not a number from -1 to 1");
    EXPECT_EQ(ParseError("seed 1\n1 joy axis 0 nan\n"),
              "bad.replay:2: joystick axis value 'nan' is not a number from -1 to 1");
    EXPECT_EQ(ParseError("seed 1\n1 joy button 16 down\n"), "bad.replay:2: joystick button '16' is not in 0..15");
    EXPECT_EQ(ParseError("seed 1\n1 focus away\n"), "bad.replay:2: focus needs 'lost' or 'gained'");
    EXPECT_EQ(ParseError("seed 1\n1 close now\n"), "bad.replay:2: unexpected 'now' at the end");
    // Quoted input is cut to 60 characters, its start and its end, and shows
    // every byte: a NUL no longer ends the message.
    EXPECT_EQ(ParseError("seed 1\n" + std::string(100000, 'x') + "y\n"),
              "bad.replay:2: unknown line start '" + std::string(28, 'x') + "..." + std::string(28, 'x') +
                  "y': expected 'seed', 'game' or a frame number");
    EXPECT_EQ(ParseError(std::string("seed 1\n1 key 32 do\0wn\\\n", 23)),
              "bad.replay:2: expected 'down' or 'up', not 'do\\x00wn\\x5c'");
}

TEST(Replay, SeedThenSettingsComeFirstAndOnce) {
    EXPECT_EQ(ParseError(""), "bad.replay: no seed or game line");
    EXPECT_EQ(ParseError("# nothing\n1 close\n"), "bad.replay: no seed or game line");
    EXPECT_EQ(ParseError("seed 1\nseed 2\n"), "bad.replay:2: a second seed line");
    EXPECT_EQ(ParseError("1 close\nseed 2\n"), "bad.replay:2: the seed line must come before the first event");
    EXPECT_EQ(ParseError("seed 2147483648\n"), "bad.replay:1: seed '2147483648' is not a 32-bit integer");
    EXPECT_EQ(ParseError("seed 1 2\n"), "bad.replay:1: unexpected '2' at the end");
    EXPECT_EQ(ParseError("settings 1 2 3\nseed 1\n"), "bad.replay:1: settings must come right after the seed");
    EXPECT_EQ(ParseError("seed 1\n1 close\nsettings 1 2 3\n"), "bad.replay:3: settings must come right after the seed");
    EXPECT_EQ(ParseError("seed 1\nsettings 1 2 3\nsettings 1 2 3\n"), "bad.replay:3: a second settings line");
    EXPECT_EQ(ParseError("seed 1\nsettings 1 2\n"), "bad.replay:2: settings needs S M T");
    EXPECT_EQ(ParseError("seed 1\nsettings 11 0 0\n"), "bad.replay:2: sound volume '11' is not in 0..10");
    EXPECT_EQ(ParseError("seed 1\nsettings 0 -1 0\n"), "bad.replay:2: music volume '-1' is not in 0..10");
    EXPECT_EQ(ParseError("seed 1\nsettings 0 0 4\n"), "bad.replay:2: music track '4' is not in 0..3");
    EXPECT_EQ(ParseError("seed 1\nsettings 0 0 0 0\n"), "bad.replay:2: unexpected '0' at the end");
}

// A recording of one game: what it starts from, its events from the game's
// first frame, and its end; written back, it is the same text.
TEST(Replay, OneGameReadsAndWritesBackEveryLine) {
    const std::string text =
        "game 2147483646\n"
        "settings 4 0 0\n"
        "name Zo\xc3\xab #1\n"
        "state best 12000\n"
        "state ufo.rotation -1.5e+09\n"
        "input pointer 0 479\n"
        "input key 38 1 0\n"
        "input mouse 3 0 2\n"
        "input joy button 15 1 1\n"
        "input joy axis 1 -0.25\n"
        "input suspended\n"
        "input skip 2\n"
        "0 key 38 up\n"
        "7 joy axis 0 1\n"
        "end 9\n";
    std::string error;
    std::optional<ReplayFile> replay = ParseReplay(text, "game.txt", error);
    ASSERT_TRUE(replay) << error;
    EXPECT_TRUE(replay->one_game);
    EXPECT_EQ(replay->seed, 2147483646);
    EXPECT_EQ(replay->name, "Zo\xc3\xab #1");
    EXPECT_EQ(replay->state, (std::vector<StateLine>{{"best", "12000"}, {"ufo.rotation", "-1.5e+09"}}));
    using Device = ControlState::Device;
    ControlState controls;
    controls.buttons = {{Device::kKey, 38, 1, 0}, {Device::kMouse, 3, 0, 2}, {Device::kJoyButton, 15, 1, 1}};
    controls.axes = {{1, -0.25f}};
    controls.pointer_x = 0;
    controls.pointer_y = 479;
    controls.suspended = 1;
    controls.skipped = 2;
    EXPECT_EQ(replay->controls, controls);
    EXPECT_EQ(replay->end, 9);
    EXPECT_EQ(FormatReplay(*replay), text);
}

// Refused before anything plays: a state the generator never has, a file
// cut short or grown past its end, lines out of their place, and more than
// 1 MB.
TEST(Replay, HostileRecordingsOfOneGameAreRefused) {
    const std::string start = "game 1\nsettings 10 10 2\n";
    EXPECT_EQ(ParseError("game 0\nend 0\n"),
              "bad.replay:1: the generator's state '0' is not one it can have (1..2147483646)");
    EXPECT_EQ(ParseError("game 2147483647\nend 0\n"),
              "bad.replay:1: the generator's state '2147483647' is not one it can have (1..2147483646)");
    EXPECT_EQ(ParseError(start + "5 close\n"), "bad.replay: no end line: the recording of the game is cut short");
    EXPECT_EQ(ParseError(start + "5 close\nend 4\n"),
              "bad.replay:4: the end at frame 4 comes before the event of frame 5");
    EXPECT_EQ(ParseError(start + "end 4\n5 close\n"), "bad.replay:4: nothing may follow the end line");
    EXPECT_EQ(ParseError(start + "end 2147483648\n"), "bad.replay:3: end frame '2147483648' is out of range (0..2147483647)");
    EXPECT_EQ(ParseError(start + "5 close\nstate best 1\nend 5\n"),
              "bad.replay:4: 'state' must come before the first event");
    EXPECT_EQ(ParseError(start + "state best 1\nstate best 2\nend 5\n"),
              "bad.replay:4: a second state line for 'best'");
    EXPECT_EQ(ParseError(start + "state Best 1\nend 5\n"), "bad.replay:3: state name 'Best' is not a name of the game's");
    EXPECT_EQ(ParseError(start + "state best inf\nend 5\n"), "bad.replay:3: state 'best' has no number but 'inf'");
    EXPECT_EQ(ParseError(start + "input key 38 2 0\nend 5\n"), "bad.replay:3: input key code down '2' is not 0 or 1");
    EXPECT_EQ(ParseError(start + "input joy axis 0 1\ninput joy axis 0 0\nend 5\n"),
              "bad.replay:4: a second input line for joystick axis 0");
    EXPECT_EQ(ParseError(start + "input wheel 1\nend 5\n"),
              "bad.replay:3: input needs pointer, key, mouse, joy, suspended or skip");
    EXPECT_EQ(ParseError(start + "name " + std::string(65, 'a') + "\nend 5\n").substr(0, 25), "bad.replay:3: the name 'a");
    EXPECT_EQ(ParseError("game 1\nstate best 1\nsettings 1 2 3\nend 5\n"),
              "bad.replay:3: settings must come right after the game");
    EXPECT_EQ(ParseError("seed 1\nstate best 1\n"), "bad.replay:2: 'state' belongs to a recording of one game");
    EXPECT_EQ(ParseError("seed 1\nend 1\n"), "bad.replay:2: 'end' belongs to a recording of one game");
    EXPECT_EQ(ParseError("game 1\nseed 1\n"), "bad.replay:2: a second game line");

    std::string big = start;
    while (big.size() <= kMaxGameRecordingBytes) big += "1 key 38 down\n";
    big += "end 1\n";
    EXPECT_EQ(ParseError(big), "bad.replay: a recording of one game may hold at most 1 MB (1048576 bytes), this one "
                               "holds more");
    // Read from a file, it is not read whole; a whole run of that size is.
    std::string path = ::testing::TempDir() + "big_game.txt";
    std::ofstream(path, std::ios::binary) << big << std::string(50 << 20, '#');
    std::string error;
    EXPECT_FALSE(ReadReplayFile(path, error));
    EXPECT_EQ(error, path + ": a recording of one game may hold at most 1 MB (1048576 bytes), this one holds more");
    big.replace(0, 6, "seed 1");
    big.erase(big.rfind("end 1"));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << big;
    EXPECT_TRUE(ReadReplayFile(path, error)) << error;
    std::remove(path.c_str());
}

TEST(Replay, AMissingFileOrAFolderIsAnError) {
    std::string error;
    EXPECT_FALSE(ReadReplayFile("/nonexistent/dir/x.replay", error));
    EXPECT_EQ(error, "/nonexistent/dir/x.replay: no such file");
    EXPECT_FALSE(ReadReplayFile("/tmp", error));
    EXPECT_EQ(error, "/tmp: not a file");
}

TEST(Replay, WrittenEventsReadBackUnchanged) {
    std::string path = ::testing::TempDir() + "replay_written.replay";
    std::vector<ReplayEvent> events = {
        {0, InputEvent::Key(162, true)},
        {0, InputEvent::Key(162, false)},
        {3, InputEvent::Mouse(2, true)},
        {3, InputEvent::Mouse(2, false)},
        {4, InputEvent::MoveTo(0, 479)},
        {9, InputEvent::JoyAxis(0, 0.1f)},
        {9, InputEvent::JoyAxis(1, -1.0f / 32768.0f)},
        {9, InputEvent::JoyAxis(9, -1.0f)},
        {10, InputEvent::JoyButton(6, true)},
        {11, InputEvent::JoyButton(6, false)},
        {12, InputEvent::Focus(false)},
        {13, InputEvent::Focus(true)},
        {20, InputEvent::Close()},
    };
    {
        ReplayWriter writer;
        std::string error;
        ASSERT_TRUE(writer.Open(path, 123456, Settings{3, 0, 1}, error)) << error;
        for (const ReplayEvent& event : events) writer.Record(event.frame, event.event);
        // Nothing a file cannot hold gets written.
        writer.Record(30, InputEvent::MoveBy(1, 1));
        writer.Record(30, InputEvent::JoyButton(0, true, 1));
    }
    std::string error;
    std::optional<ReplayFile> replay = ReadReplayFile(path, error);
    ASSERT_TRUE(replay) << error;
    EXPECT_EQ(replay->seed, 123456);
    EXPECT_EQ(replay->settings, (Settings{3, 0, 1}));
    EXPECT_EQ(replay->events, events);
    std::remove(path.c_str());
}

TEST(Replay, AnUnwritableRecordIsAnError) {
    ReplayWriter writer;
    std::string error;
    EXPECT_FALSE(writer.Open("/nonexistent/dir/x.replay", 1, {}, error));
    EXPECT_EQ(error, "/nonexistent/dir/x.replay: cannot be written");
}

TEST(Replay, SourceDeliversByFrameAndWaitsTakeWholeGroups) {
    std::string error;
    std::optional<ReplayFile> replay = ParseReplay(
        "seed 1\n"
        "2 key 37 down\n"
        "2 key 39 down\n"
        "4 key 37 up\n"
        "9 key 39 up\n"
        "9 close\n",
        "source.replay", error);
    ASSERT_TRUE(replay) << error;
    ReplaySource source(*replay);
    std::vector<InputEvent> events;
    source.FetchFrame(1, events);
    EXPECT_TRUE(events.empty());
    source.FetchFrame(3, events);
    EXPECT_EQ(events, (std::vector<InputEvent>{InputEvent::Key(37, true), InputEvent::Key(39, true)}));

    events.clear();
    EXPECT_TRUE(source.FetchWait(3, events));
    EXPECT_EQ(events, (std::vector<InputEvent>{InputEvent::Key(37, false)}));
    events.clear();
    EXPECT_FALSE(source.FetchWait(3, events));
    EXPECT_EQ(events, (std::vector<InputEvent>{InputEvent::Key(39, false), InputEvent::Close()}));
    EXPECT_TRUE(source.finished());
    events.clear();
    EXPECT_FALSE(source.FetchWait(3, events));
    EXPECT_TRUE(events.empty());
}

TEST(Replay, TextLinesAreBytesInHexadecimal) {
    std::string error;
    std::optional<ReplayFile> replay = ParseReplay("seed 1\n5 text 416E6e\n", "r", error);
    ASSERT_TRUE(replay) << error;
    ASSERT_EQ(replay->events.size(), 1u);
    EXPECT_EQ(replay->events[0].event, InputEvent::Text("Ann"));
    EXPECT_EQ(FormatReplayEvent(5, InputEvent::Text("Zo\xc3\xab")), "5 text 5a6fc3ab");
    for (const char* bad : {"5 text", "5 text 4", "5 text 4g", "5 text -1", "5 text 41 42",
                            "5 text 000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20"}) {
        EXPECT_FALSE(ParseReplay(std::string("seed 1\n") + bad + "\n", "r", error)) << bad;
        EXPECT_EQ(error.rfind("r:2: ", 0), 0u) << error;
    }
}

}  // namespace
