#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "game/kept_replays.hpp"
#include "game/keys.hpp"
#include "game/watch.hpp"
#include "support/game_harness.hpp"
#include "support/trace_fields.hpp"

// A level no game reaches, written into the file by hand, is squeezed into
// its column: the dates beside it are drawn as beside any other level.
TEST(TableScreen, AHugeLevelStaysOutOfTheDateColumn) {
    struct Grab final : FrameObserver {
        void FrameDrawn(Game& game) override { picture = game.services.graphics.GrabBackBuffer(); }
        TPixmap picture;
    };
    auto dates = [](int level) {
        GameHarness h;
        Grab grab;
        h.game.observer = &grab;
        h.game.scores.table.entries = {{500, level, "2026-12-01", "Ann"}, {400, 3, "2026-12-02", "Bo"}};
        h.game.title_view = TitleView::Table;
        h.game.title_idle.seen_activity = h.input.Activity();
        h.RunFrames(1);
        EXPECT_EQ(h.game.screen, Screen::Scores);
        std::vector<std::uint32_t> column;
        for (int y = 180; y < 250; ++y)
            for (int x = 498; x < 640; ++x) column.push_back(grab.picture.ReadRGBA(x, y));
        return column;
    };
    EXPECT_TRUE(dates(1) == dates(2147483647));
}

// Each entry is chosen and watched by keys, pointer or pad, and any key,
// click or button brings the table back with nothing else done.
TEST(TableScreen, EntriesAreWatchedByKeysPointerAndPad) {
    GameHarness h;
    h.source.SetJoystickCount(1);
    TraceLog trace;
    h.game.observer = &trace;
    std::string path = h.game.scores.path;
    std::filesystem::create_directories(ReplaysFolder(path));
    std::string table;
    for (int i = 0; i < 3; ++i) {
        std::string text = "game " + std::to_string(100 + i) + "\nsettings 10 10 2\nname Ann\nend 5000\n";
        std::string name = ReplayFileName(text);
        std::ofstream(ReplayPath(path, name), std::ios::binary) << text;
        table += std::to_string(900 - i) + " 1 2026-12-09 P" + std::to_string(i) + "\nreplay " + name + "\n";
    }
    std::ofstream(path, std::ios::binary) << table;
    LoadScoreTable(h.game);
    ShowTable(h.game, -1);
    // Input given before the first frame reaches the second.
    h.RunFrames(1);
    auto watched = [&] {
        h.RunFrames(2);
        EXPECT_EQ(TextIn(trace.lines.back(), "screen"), "playing");
        return NumberIn(trace.lines.back(), "watching") == 1;
    };
    auto back = [&](int chosen) {
        h.RunFrames(2);
        EXPECT_EQ(TextIn(trace.lines.back(), "screen"), "scores");
        EXPECT_EQ(NumberIn(trace.lines.back(), "watching"), 0);
        EXPECT_EQ(h.game.table_screen.chosen, chosen);
        EXPECT_EQ(h.game.title_on, 1);
    };

    auto tap = [&](int key) {
        h.Tap(key);
        h.RunFrames(1);
    };
    tap(kKeyDown);
    tap(kKeyDown);
    h.Tap(kKeyEnter);
    ASSERT_TRUE(watched());
    EXPECT_EQ(h.game.watch->name(), "P1");
    h.Tap(kKeySpace);
    back(1);

    h.source.Add(InputEvent::MoveTo(320, 190 + 2 * 25 + 8));
    h.source.Add(InputEvent::Mouse(1, true));
    h.source.Add(InputEvent::Mouse(1, false));
    ASSERT_TRUE(watched());
    EXPECT_EQ(h.game.watch->name(), "P2");
    h.source.Add(InputEvent::Mouse(1, true));
    h.source.Add(InputEvent::Mouse(1, false));
    back(2);

    tap(kKeyUp);
    tap(kKeyUp);
    h.source.Add(InputEvent::JoyButton(0, true));
    h.source.Add(InputEvent::JoyButton(0, false));
    ASSERT_TRUE(watched());
    EXPECT_EQ(h.game.watch->name(), "P0");
    h.source.Add(InputEvent::JoyButton(3, true));
    h.source.Add(InputEvent::JoyButton(3, false));
    back(0);
}
