#include <gtest/gtest.h>

#include <fstream>

#include "game/name_entry.hpp"
#include "platform/system/clock.hpp"
#include "game/shell.hpp"
#include "support/game_harness.hpp"
#include "support/trace_fields.hpp"

namespace {

std::string LastScreen(const TraceLog& log) { return log.lines.empty() ? "" : TextIn(log.lines.back(), "screen"); }

// Plays the last frame of a game-over caption after a game of `score`.
void EndGame(GameHarness& h, int score) {
    h.StartPlaying();
    Game& game = h.game;
    game.warp_on = 0;
    game.player.lives = 0;
    game.player.score = score;
    game.player.best = score;
    game.player.level = 4;
    game.game_over = 1;
    game.msg_alpha = 0.004f;
    h.RunFrames(1);
}

class NameEntryTest : public testing::Test {
protected:
    NameEntryTest() {
        h.game.observer = &screens;
        h.game.scores.table.last_name = "Bo";
    }

    void EndGame(int score) { ::EndGame(h, score); }
    void Type(const std::string& text) { h.source.Add(InputEvent::Text(text)); }

    std::string FileText() {
        std::ifstream file(h.game.scores.path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    GameHarness h;
    TraceLog screens;
};

}  // namespace

TEST_F(NameEntryTest, ANameTypedCorrectedAndKeptWithTheKeyboard) {
    EndGame(1230);
    EXPECT_EQ(LastScreen(screens), "playing") << "the caption's last frame is as it always was";
    EXPECT_FALSE(PlayedIn(screens.lines.back(), "hscore"));
    ASSERT_EQ(h.game.title_on, 1);
    h.RunFrames(1);
    EXPECT_EQ(LastScreen(screens), "name_entry");
    EXPECT_TRUE(PlayedIn(screens.lines.back(), "hscore"));
    EXPECT_EQ(h.game.name_entry.name, "Bo") << "the last name given is offered";

    h.Tap(8);
    h.Tap(8);
    h.Tap(8);
    Type("Ann");
    h.RunFrames(1);
    // Typed, then corrected within one frame: the order counts.
    Type("x");
    h.Tap(8);
    Type(" Lee \xc3\xa9\xe6\x97\xa5");
    h.Tap(32);  // its text came above; the key starts no game here
    h.RunFrames(1);
    EXPECT_EQ(h.game.name_entry.name, "Ann Lee \xe9");
    EXPECT_EQ(h.game.title_on, 1);
    Type("12345");
    h.RunFrames(1);
    EXPECT_EQ(h.game.name_entry.name,
              "Ann Lee \xe9"
              "123")
        << "twelve characters at most";

    h.Tap(13);
    h.RunFrames(1);
    EXPECT_EQ(LastScreen(screens), "scores");
    ASSERT_EQ(h.game.scores.table.entries.size(), 1u);
    EXPECT_EQ(h.game.scores.table.entries[0].name,
              "Ann Lee \xe9"
              "123");
    EXPECT_EQ(h.game.scores.table.entries[0].level, 4);
    EXPECT_NE(FileText().find(" 4 " + Today() +
                              " Ann Lee \xc3\xa9"
                              "123\n"),
              std::string::npos)
        << FileText();

    // The highlighted table stays until the player does something, and what
    // he does brings the menu without starting a game.
    h.game.table_screen.limit = 20;
    h.RunFrames(100);
    EXPECT_EQ(LastScreen(screens), "scores");
    h.Tap(32);
    h.RunFrames(1);
    EXPECT_EQ(LastScreen(screens), "title");
    h.RunFrames(1);
    EXPECT_EQ(h.game.title_on, 1);
}

TEST_F(NameEntryTest, APadSpellsAndKeepsTheName) {
    h.source.SetJoystickCount(1);
    EndGame(500);
    h.game.name_entry.name = "Al";
    h.game.name_entry.cursor = 2;
    auto stick = [&](int axis, float value) {
        h.source.Add(InputEvent::JoyAxis(axis, value));
        h.RunFrames(1);
    };
    stick(1, -1.0f);  // up: a new letter at the end
    EXPECT_EQ(h.game.name_entry.name, "AlA");
    h.RunFrames(20);  // held: it steps again
    EXPECT_EQ(h.game.name_entry.name, "AlB");
    stick(1, 0.0f);
    stick(0, -1.0f);  // left, to the 'l'
    stick(0, 0.0f);
    stick(1, 1.0f);  // down, from the 'L' the pad knows
    stick(1, 0.0f);
    EXPECT_EQ(h.game.name_entry.name, "AKB");
    h.source.Add(InputEvent::JoyAxis(0, -1.0f));
    h.source.Add(InputEvent::JoyButton(0, true));
    h.source.Add(InputEvent::JoyButton(0, false));
    h.RunFrames(4);
    EXPECT_EQ(LastScreen(screens), "scores") << "a stick still held over is no new input";
    ASSERT_EQ(h.game.scores.table.entries.size(), 1u);
    EXPECT_EQ(h.game.scores.table.entries[0].name, "AKB");
    EXPECT_EQ(h.game.scores.table.last_name, "AKB");
}

TEST_F(NameEntryTest, OkTakesAClickOnlyOnItsRowAndEscKeepsTheNameShown) {
    EndGame(300);
    h.game.name_entry.name = " \xa0 ";
    h.source.Add(InputEvent::MoveTo(320, 335));
    h.source.Add(InputEvent::Mouse(1, true));
    h.source.Add(InputEvent::Mouse(1, false));
    h.RunFrames(1);
    EXPECT_EQ(LastScreen(screens), "name_entry") << "a blank name cannot be kept";
    Type("Kim");
    h.source.Add(InputEvent::MoveTo(320, 250));
    h.source.Add(InputEvent::Mouse(1, true));
    h.source.Add(InputEvent::Mouse(1, false));
    h.RunFrames(1);
    EXPECT_EQ(LastScreen(screens), "name_entry") << "a click beside OK";
    h.Tap(27);
    EXPECT_FALSE(h.RunFrames(1));
    ShutDown(h.game);
    EXPECT_NE(FileText().find(" Kim\n"), std::string::npos) << FileText();
}

TEST_F(NameEntryTest, NoEntryForAScoreOutsideTheTable) {
    EndGame(0);
    h.RunFrames(1);
    EXPECT_EQ(LastScreen(screens), "title");
    EXPECT_TRUE(h.game.scores.table.entries.empty());
}

TEST(NameEntryReplay, TypedTextAndCorrectionsReplayExactly) {
    GameHarness h(
        ReplayFromText("seed 7\n"
                       "2 key 8 down\n2 key 8 up\n"
                       "3 key 8 down\n3 key 8 up\n3 text 5a6fc3ab\n"
                       "4 key 13 down\n"));
    h.game.scores.table.last_name = "Bo";
    EndGame(h, 800);
    h.RunFrames(5);
    ASSERT_EQ(h.game.scores.table.entries.size(), 1u);
    EXPECT_EQ(h.game.scores.table.entries[0].name, "Zo\xeb");
}
