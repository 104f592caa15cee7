#include "entities/player/shield.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/game.hpp"
#include "support/game_harness.hpp"
#include "support/ship_step.hpp"

namespace {

// Draws one segment over black and returns the green and red of its most red
// pixel, which show the tint the shield's strength gives it.
std::vector<int> ShieldTint(int shieldhits) {
    GameHarness h;
    Game& game = h.game;
    Graphics& gfx = game.services.graphics;
    gfx.SetClsColor(0, 0, 0);
    gfx.Cls();
    game.player.x = 100, game.player.y = 100, game.player.shieldhits = shieldhits;
    shield_tag::Create(game, 0);
    game.shield_list.First()->update(game);
    TPixmap pixels = gfx.GrabBackBuffer();
    int best_red = -1, best_green = 0;
    for (int y = 70; y < 94; ++y) {
        for (int x = 88; x < 112; ++x) {
            std::uint32_t rgba = pixels.ReadRGBA(x, y);
            if (RedOf(rgba) > best_red) best_red = RedOf(rgba), best_green = GreenOf(rgba);
        }
    }
    return {best_red, best_green};
}

TEST(ShieldSegment, TurnsFromWhiteThroughPinkToRedAsItWearsOut) {
    std::vector<int> full = ShieldTint(255);
    std::vector<int> pink = ShieldTint(130);
    std::vector<int> red = ShieldTint(5);
    ASSERT_GT(full[0], 100);
    EXPECT_EQ(full[1], full[0]);
    EXPECT_EQ(pink[0], full[0]);
    EXPECT_NEAR(pink[1], full[1] * 130 / 255, 2);
    EXPECT_EQ(red[0], full[0]);
    EXPECT_NEAR(red[1], full[1] * 5 / 255, 2);
}

TEST_F(ShipStepTest, HyperspaceFreezesTheShieldButNotTheGunSat) {
    autopow_tag::Create(game, 1);
    RunFrames(10);
    std::vector<float> alphas;
    for (shield_tag* segment : game.shield_list.Objects()) alphas.push_back(segment->alpha);

    ship.hspace_ctr = 100;
    RunFrames(20);
    std::vector<float> frozen;
    for (shield_tag* segment : game.shield_list.Objects()) frozen.push_back(segment->alpha);
    EXPECT_EQ(frozen, alphas);

    autopow_tag::Create(game, 2);
    ship.gsat_tmr = 39;
    RunFrames(1);
    EXPECT_EQ(NewShots().size(), 1u);
    EXPECT_EQ(game.shield_list.Count(), 10);
}

}  // namespace
