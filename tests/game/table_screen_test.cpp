#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/game_harness.hpp"

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
