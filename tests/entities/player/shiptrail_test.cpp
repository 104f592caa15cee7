#include "entities/player/shiptrail.hpp"

#include <gtest/gtest.h>

#include "game/game.hpp"
#include "support/game_harness.hpp"

namespace {

TEST(ShipTrailTest, DotStartsBehindTheShipDriftsAwayAndLastsOneHundredAndOneUpdates) {
    GameHarness h;
    Game& game = h.game;
    auto walk = [&game] { UpdateAll(game, game.shiptrail_list); };
    shiptrail_tag::Create(game, 320, 240, 90);
    shiptrail_tag& dot = *game.shiptrail_list.First();
    EXPECT_GE(dot.x, 303.0f);
    EXPECT_LT(dot.x, 307.0f);
    float start = dot.x;
    walk();
    EXPECT_FLOAT_EQ(dot.x, start - 0.5f);
    int updates = 1;
    for (; game.shiptrail_list.Count() > 0 && updates < 200; ++updates) walk();
    EXPECT_EQ(updates, 101);
}

}  // namespace
