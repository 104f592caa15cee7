#include <gtest/gtest.h>

#include "game/keys.hpp"
#include "support/game_harness.hpp"
#include "support/trace_fields.hpp"

// After 15 s without input the table takes the menu's place for 10 s; a key
// or a click off its rows brings the menu back at once and does nothing
// else (the pointer and the arrows choose its entries, watch_test).
TEST(TitleIdle, TheTitleShowsTheTableWhenLeftAlone) {
    GameHarness h;
    TraceLog screens;
    h.game.observer = &screens;
    EXPECT_EQ(h.game.title_idle.limit, 900);
    EXPECT_EQ(h.game.table_screen.limit, 600);
    h.game.title_idle.limit = 30;
    h.game.table_screen.limit = 20;
    h.RunFrames(100);
    EXPECT_EQ(TextIn(screens.lines.back(), "screen"), "title") << "an empty table is not shown";
    h.game.scores.table.entries = {{900, 3, "2026-01-01", "Ann"}};
    screens.lines.clear();
    h.source.Add(InputEvent::MoveTo(320, 204));  // over "Start New Game"
    h.RunFrames(90);
    EXPECT_EQ(TextIn(screens.lines[29], "screen"), "title");
    EXPECT_EQ(TextIn(screens.lines[30], "screen"), "scores");
    EXPECT_EQ(TextIn(screens.lines[49], "screen"), "scores");
    EXPECT_EQ(TextIn(screens.lines[50], "screen"), "title");
    EXPECT_EQ(TextIn(screens.lines[79], "screen"), "title");
    EXPECT_EQ(TextIn(screens.lines[80], "screen"), "scores");

    // A click above the rows, where "Start New Game" was, only brings the menu.
    h.source.Add(InputEvent::MoveTo(320, 150));
    h.source.Add(InputEvent::Mouse(1, true));
    h.source.Add(InputEvent::Mouse(1, false));
    h.RunFrames(1);
    EXPECT_EQ(TextIn(screens.lines.back(), "screen"), "title");
    h.RunFrames(1);
    EXPECT_EQ(h.game.title_on, 1);
    h.RunFrames(29);
    EXPECT_EQ(TextIn(screens.lines.back(), "screen"), "scores");
    // So does Space, which would start a game from the menu.
    h.Tap(kKeySpace);
    h.RunFrames(2);
    EXPECT_EQ(TextIn(screens.lines.back(), "screen"), "title");
    EXPECT_EQ(h.game.title_on, 1);
}
