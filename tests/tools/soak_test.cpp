// The soak test's random player and trace checker: the player never leaves
// the game early and repeats itself for a seed; the checker passes a sound
// game and catches each kind of breach.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/input/replay.hpp"
#include "soak.hpp"

namespace {

TEST(SoakReplay, SameForASeedParsesAndNeverLeavesEarly) {
    std::string text = MakeSoakReplay(7, 30000);
    EXPECT_EQ(text, MakeSoakReplay(7, 30000));
    EXPECT_NE(text, MakeSoakReplay(8, 30000));
    std::string error;
    std::optional<ReplayFile> replay = ParseReplay(text, "soak", error);
    ASSERT_TRUE(replay) << error;
    ASSERT_FALSE(replay->events.empty());
    EXPECT_EQ(replay->events.back().frame, 29999);
    EXPECT_EQ(replay->events.back().event, InputEvent::Close());
    int clicks = 0, lost = 0, gained = 0;
    for (std::size_t i = 0; i < replay->events.size(); ++i) {
        const ReplayEvent& event = replay->events[i];
        EXPECT_NE(event.event, InputEvent::Key(27, true)) << "Esc at frame " << event.frame;
        if (event.event.type == InputEventType::Close) {
            EXPECT_EQ(i + 1, replay->events.size());
        }
        lost += event.event.type == InputEventType::FocusLost;
        gained += event.event.type == InputEventType::FocusGained;
        // A click in a menu acts on the row under the pointer; the pointer is
        // put clear of "Exit" (365..389, and the stick's 6-pixel step) in the
        // same frame first.
        bool click = event.event == InputEvent::Mouse(1, true) || event.event == InputEvent::JoyButton(0, true);
        if (!click) continue;
        ++clicks;
        bool placed = false;
        for (std::size_t j = i; j-- > 0 && replay->events[j].frame == event.frame;) {
            if (replay->events[j].event.type == InputEventType::MoveTo) {
                int y = replay->events[j].event.y;
                placed = y < 359 || y > 395;
                break;
            }
        }
        EXPECT_TRUE(placed) << "a click at frame " << event.frame << " without the pointer put clear of Exit";
    }
    EXPECT_GT(clicks, 50);
    EXPECT_GT(lost, 2);
    EXPECT_EQ(lost, gained);
}

// Builds traces the way the program writes them, with the fields the
// checker reads.
struct TraceFrame {
    std::string screen = "playing";
    int score = 0, best = 1000, lives = 3, level = 1, warp_on = 0, bonus_on = 0, death_tmr = 0, burgers = 1;
    float msg_alpha = 0;
    int shots = 0;
};

class Trace {
public:
    TraceFrame now;

    void Add(int count = 1) {
        for (int i = 0; i < count; ++i) frames_.push_back(now);
    }
    // Playing frames of a warp-in from its start at alpha 1.0 to its end.
    void Warp() {
        now.warp_on = 1;
        now.msg_alpha = 1.0f;
        Add();
        for (int step = 0; step < 250; ++step) {
            now.msg_alpha -= 0.004f;
            if (now.msg_alpha <= 0) now.warp_on = now.bonus_on = 0;
            Add();
        }
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < frames_.size(); ++i) {
            const TraceFrame& f = frames_[i];
            char alpha[32];
            std::snprintf(alpha, sizeof alpha, "%.9g", static_cast<double>(f.msg_alpha));
            lines.push_back("{\"frame\":" + std::to_string(i) + ",\"screen\":\"" + f.screen +
                            "\",\"score\":" + std::to_string(f.score) + ",\"best\":" + std::to_string(f.best) +
                            ",\"lives\":" + std::to_string(f.lives) + ",\"level\":" + std::to_string(f.level) +
                            ",\"warp_on\":" + std::to_string(f.warp_on) +
                            ",\"bonus_on\":" + std::to_string(f.bonus_on) + ",\"game_over\":0,\"msg_alpha\":" + alpha +
                            ",\"ship\":{\"death_tmr\":" + std::to_string(f.death_tmr) +
                            "},\"counts\":{\"burgers\":" + std::to_string(f.burgers) +
                            ",\"shots\":" + std::to_string(f.shots) + "},\"sounds\":[\"shoot\"],\"pointer\":[1,2]}");
        }
        return lines;
    }

private:
    std::vector<TraceFrame> frames_;
};

std::vector<std::string> Check(const std::vector<std::string>& lines, TraceSummary* summary = nullptr) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    std::istringstream stream(text);
    TraceSummary ignored;
    return CheckTrace(stream, summary ? *summary : ignored);
}

// Splash, title, a game with a pause, a level completed, a death.
std::vector<std::string> SoundGame() {
    Trace trace;
    trace.now = {.screen = "splash", .lives = 0, .level = 0, .burgers = 0};
    trace.Add(3);
    trace.now.screen = "title";
    trace.now.level = 1;
    trace.Add(2);
    trace.now = {.screen = "title", .burgers = 1};
    trace.now.warp_on = 1;
    trace.now.msg_alpha = 1.0f;
    trace.Add();  // Space on the title
    trace.now.screen = "playing";
    for (int step = 0; step < 250; ++step) {
        trace.now.msg_alpha -= 0.004f;
        if (trace.now.msg_alpha <= 0) trace.now.warp_on = 0;
        trace.Add();
    }
    trace.now.shots = 1;
    trace.Add(5);
    trace.now.score = 30;
    trace.Add();
    trace.now.screen = "paused";
    trace.Add(4);
    trace.now.screen = "playing";
    trace.now.score = 55;
    trace.now.burgers = 0;
    trace.Add(3);
    trace.now.level = 2;
    trace.now.burgers = 2;
    trace.now.bonus_on = 1;
    trace.now.score = 555;
    trace.Warp();
    trace.now.death_tmr = 149;
    trace.now.lives = 2;
    trace.Add();
    trace.now.death_tmr = 148;
    trace.Add(2);
    return trace.Lines();
}

void Replace(std::string& line, const std::string& from, const std::string& to) {
    std::size_t at = line.find(from);
    ASSERT_NE(at, std::string::npos) << from << " in " << line;
    line.replace(at, from.size(), to);
}

TEST(SoakCheck, PassesASoundGameAndCatchesEachBreach) {
    const std::vector<std::string> sound = SoundGame();
    TraceSummary summary;
    EXPECT_EQ(Check(sound, &summary), std::vector<std::string>());
    EXPECT_EQ(summary.frames, static_cast<int>(sound.size()));
    EXPECT_EQ(summary.games, 1);
    EXPECT_EQ(summary.levels_completed, 1);
    EXPECT_EQ(summary.deaths, 1);
    EXPECT_EQ(summary.pauses, 1);
    EXPECT_EQ(summary.warps_completed, 2);

    // The frame after the first point scored, the first paused frame and the
    // frame completing level 1, by position.
    const std::size_t scored = 261, paused = 262, completed = 269, dies = 520;
    ASSERT_NE(sound[scored].find("\"score\":30,"), std::string::npos);
    ASSERT_NE(sound[paused].find("paused"), std::string::npos);
    ASSERT_NE(sound[completed].find("\"level\":2,"), std::string::npos);
    ASSERT_NE(sound[dies].find("\"death_tmr\":149"), std::string::npos);

    struct Breach {
        const char* name;
        std::size_t line;
        std::string from, to;
        const char* expected;
    };
    const std::vector<Breach> breaches = {
        {"a gap", 100, "\"frame\":100,", "\"frame\":101,", "without gaps"},
        {"best below score", scored, "\"best\":1000,", "\"best\":29,", "below score"},
        {"best falling", 200, "\"best\":1000,", "\"best\":999,", "best fell"},
        {"splash to playing", 2, "\"splash\"", "\"playing\"", "screen"},
        {"change while paused", paused + 1, "\"shots\":1", "\"shots\":2", "paused"},
        {"too few burgers", completed, "\"burgers\":2", "\"burgers\":1", "burgers, not 2"},
        {"a wrong bonus", completed, "\"score\":555,", "\"score\":530,", "score"},
        {"a life lost without a death", dies, "\"death_tmr\":149", "\"death_tmr\":0", "lives"},
        {"a score step off the level's unit", scored, "\"score\":30,", "\"score\":32,", "multiple of 5"},
        {"a fade step too many", completed + 10, "\"msg_alpha\":0.9", "\"msg_alpha\":0.8", "warp-in fade"},
    };
    for (const Breach& breach : breaches) {
        std::vector<std::string> lines = sound;
        Replace(lines[breach.line], breach.from, breach.to);
        std::vector<std::string> found = Check(lines);
        ASSERT_FALSE(found.empty()) << breach.name;
        EXPECT_NE(found[0].find(breach.expected), std::string::npos) << breach.name << ": " << found[0];
    }

    // A warp-in a frame short.
    std::vector<std::string> lines = sound;
    lines.erase(lines.begin() + 100);
    for (std::size_t i = 100; i < lines.size(); ++i)
        Replace(lines[i], "\"frame\":" + std::to_string(i + 1) + ",", "\"frame\":" + std::to_string(i) + ",");
    std::vector<std::string> found = Check(lines);
    ASSERT_FALSE(found.empty());
    EXPECT_NE(found[0].find("warp-in"), std::string::npos) << found[0];
}

}  // namespace
