#include "entities/hazards/points.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "game/game.hpp"
#include "platform/video/text.hpp"
#include "support/fade_out.hpp"
#include "support/game_harness.hpp"

namespace {

TEST(PointsTest, PopupRisesAndGrowsUntilItFades) {
    GameHarness h;
    points_tag::Create(h.game, 100, 200, "150");
    points_tag& popup = *h.game.points_list.First();
    for (int i = 0; i < 100; ++i) popup.update(h.game);
    EXPECT_EQ(popup.y, 100.0f);
    EXPECT_NEAR(popup.scale, 2.5f, 0.001f);
    EXPECT_EQ(WalksUntilEmpty(h.game, h.game.points_list), 1);
}

TEST(PointsTest, PopupIsDrawnYellowAtHalfSizeCentredOnItsPoint) {
    GameHarness h;
    Graphics& gfx = h.game.services.graphics;
    gfx.SetClsColor(0, 0, 0);
    gfx.Cls();
    points_tag::Create(h.game, 100, 200, "150");
    h.game.points_list.First()->update(h.game);
    EXPECT_EQ(h.game.points_list.First()->y, 199.0f);

    TPixmap screen = gfx.GrabBackBuffer();
    int min_x = screen.width, max_x = -1, min_y = screen.height, max_y = -1;
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            std::uint32_t pixel = screen.ReadRGBA(x, y);
            if (RedOf(pixel) == 0 && GreenOf(pixel) == 0 && BlueOf(pixel) == 0) continue;
            EXPECT_EQ(RedOf(pixel), GreenOf(pixel));
            EXPECT_EQ(BlueOf(pixel), 0);
            min_x = std::min(min_x, x), max_x = std::max(max_x, x);
            min_y = std::min(min_y, y), max_y = std::max(max_y, y);
        }
    }
    int half_width = h.game.services.text.TextWidth("150") / 4;
    int half_height = h.game.services.text.TextHeight() / 4;
    EXPECT_NEAR((min_x + max_x) / 2.0, 100.0, 3.0);
    EXPECT_GT(max_x - min_x, half_width);
    EXPECT_GE(min_x, 100 - half_width - 1);
    EXPECT_LE(max_x, 100 + half_width + 1);
    EXPECT_GE(min_y, 200 - half_height - 1);
    EXPECT_LE(max_y, 200 + half_height + 1);
}

}  // namespace
