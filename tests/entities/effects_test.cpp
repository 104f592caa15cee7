#include <gtest/gtest.h>

#include <algorithm>

#include "platform/video/text.hpp"
#include "support/game_harness.hpp"

namespace {

class EffectsTest : public ::testing::Test {
protected:
    // Walks the list until it is empty and returns how many walks drew something.
    template <typename T>
    int Drawings(EntityList<T>& list) {
        int walks = 0;
        while (!list.Empty() && walks < 1000) {
            list.Walk([this](T& object) { object.update(h.game); });
            ++walks;
        }
        const TDrawState& state = h.game.services.graphics.state();
        EXPECT_EQ(state.tform_rot, 0.0f);
        EXPECT_EQ(state.tform_scale_x, 1.0f);
        EXPECT_EQ(state.tform_scale_y, 1.0f);
        EXPECT_EQ(state.color_alpha, 1.0f);
        EXPECT_EQ(state.color_blue, 255);
        EXPECT_EQ(state.blend_mode, BLEND_MASK);
        return walks;
    }

    GameHarness h;
};

TEST_F(EffectsTest, LifetimesFollowTheSinglePrecisionFade) {
    particle_tag::Create(h.game, 10, 20, 0);
    particle_tag::Create(h.game, 10, 20, -1);
    EXPECT_TRUE(h.game.particle_list.Empty());
    particle_tag::Create(h.game, 10, 20, 3);
    EXPECT_EQ(Drawings(h.game.particle_list), 101);

    explosion_tag::Create(h.game, 50, 60, 0.3f, 0.01f);
    explosion_tag& ship_flash = *h.game.explosion_list.First();
    for (int i = 0; i < 100; ++i) ship_flash.update(h.game);
    EXPECT_NEAR(ship_flash.scale, 2.3f, 0.001f);
    EXPECT_EQ(Drawings(h.game.explosion_list), 1);
    explosion_tag::Create(h.game, 50, 60, 1.0f, 0.02f);
    EXPECT_EQ(Drawings(h.game.explosion_list), 51);

    points_tag::Create(h.game, 100, 200, "150");
    points_tag& popup = *h.game.points_list.First();
    for (int i = 0; i < 100; ++i) popup.update(h.game);
    EXPECT_EQ(popup.y, 100.0f);
    EXPECT_NEAR(popup.scale, 2.5f, 0.001f);
    EXPECT_EQ(Drawings(h.game.points_list), 1);
}

TEST_F(EffectsTest, SparkTurnsOneWayUpToHeading180AndTheOtherPastIt) {
    particle_tag::Create(h.game, 320, 240, 2);
    auto sparks = h.game.particle_list.Objects();
    sparks[0]->direction = 180;
    sparks[1]->direction = 180.5f;
    for (particle_tag* spark : sparks) spark->update(h.game);
    EXPECT_EQ(sparks[0]->rotation, 5.0f);
    EXPECT_EQ(sparks[1]->rotation, -5.0f);
}

TEST_F(EffectsTest, PopupIsDrawnYellowAtHalfSizeCentredOnItsPoint) {
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
