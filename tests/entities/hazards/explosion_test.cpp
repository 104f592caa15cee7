#include "entities/hazards/explosion.hpp"

#include <gtest/gtest.h>

#include "game/game.hpp"
#include "support/fade_out.hpp"
#include "support/game_harness.hpp"

namespace {

TEST(ExplosionTest, LifetimeFollowsTheSinglePrecisionFade) {
    GameHarness h;
    explosion_tag::Create(h.game, 50, 60, 0.3f, 0.01f);
    explosion_tag& ship_flash = *h.game.explosion_list.First();
    for (int i = 0; i < 100; ++i) ship_flash.update(h.game);
    EXPECT_NEAR(ship_flash.scale, 2.3f, 0.001f);
    EXPECT_EQ(WalksUntilEmpty(h.game, h.game.explosion_list), 1);
    explosion_tag::Create(h.game, 50, 60, 1.0f, 0.02f);
    EXPECT_EQ(WalksUntilEmpty(h.game, h.game.explosion_list), 51);
}

}  // namespace
