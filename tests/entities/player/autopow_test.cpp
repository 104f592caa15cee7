#include "entities/player/autopow.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/game.hpp"
#include "game/keys.hpp"
#include "support/game_harness.hpp"
#include "support/playfield.hpp"
#include "support/ship_step.hpp"

namespace {

TEST(AutoPowCreate, ReplacesTheKindAndAShieldIsWholeAgain) {
    GameHarness h;
    Game& game = h.game;
    autopow_tag::Create(game, 2);
    EXPECT_EQ(game.autopow.ptype, 2);
    EXPECT_EQ(game.player.shieldhits, 0);
    autopow_tag::Create(game, 1);
    EXPECT_EQ(game.player.shieldhits, 255);
    // A second Shield over a worn one restores it; unknown kinds change nothing.
    game.player.shieldhits = 5;
    autopow_tag::Create(game, 1);
    autopow_tag::Create(game, 5);
    autopow_tag::Create(game, -1);
    EXPECT_EQ(game.autopow.ptype, 1);
    EXPECT_EQ(game.player.shieldhits, 255);
}

TEST_F(ShipStepTest, GunSatTimerKeepsItsCountBetweenSatellites) {
    ship.gsat_tmr = 30;
    RunFrames(5);
    EXPECT_EQ(ship.gsat_tmr, 30);
    EXPECT_TRUE(game.shipshot_list.Empty());

    autopow_tag::Create(game, 2);
    RunFrames(9);
    EXPECT_TRUE(game.shipshot_list.Empty());
    EXPECT_EQ(game.autopow.rotation, 9.0f);

    RunFrames(1);
    std::vector<shipshot_tag*> shots = NewShots();
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(Sounds(game, "shoot"), 1);
    // Drawn at 9 degrees, the shot leaves from there along the advanced angle.
    EXPECT_EQ(shots[0]->direction, 10.0f);
    EXPECT_FLOAT_EQ(shots[0]->x, static_cast<float>(320 + std::sin(9 * M_PI / 180) * 25));

    RunFrames(39);
    EXPECT_TRUE(NewShots().empty());
    RunFrames(1);
    EXPECT_EQ(NewShots().size(), 1u);
}

TEST_F(ShipStepTest, TriForceCopiesFireTheFrameAfterTheShip) {
    autopow_tag::Create(game, 4);
    ship.rotation = 30;
    h.Tap(kKeyLeftControl);
    RunFrames(1);
    std::vector<shipshot_tag*> first = NewShots();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0]->direction, 30.0f);

    RunFrames(1);
    std::vector<shipshot_tag*> copies = NewShots();
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0]->direction, 170.0f);
    EXPECT_EQ(copies[1]->direction, -110.0f);
    EXPECT_FLOAT_EQ(copies[0]->x, static_cast<float>(320 + std::sin(170 * M_PI / 180) * 12));
    // The copies fire silently; the ship's shot had its sound.
    EXPECT_EQ(Sounds(game, "shoot"), 0);

    RunFrames(1);
    EXPECT_EQ(game.shipshot_list.Count(), 3);
}

TEST_F(ShipStepTest, HologramFiresBackwardsFromBehindTheShip) {
    autopow_tag::Create(game, 3);
    h.Tap(kKeyLeftControl);
    RunFrames(2);
    std::vector<shipshot_tag*> copy = NewShots();
    ASSERT_EQ(copy.size(), 1u);
    EXPECT_EQ(copy[0]->direction, 180.0f);
    EXPECT_FLOAT_EQ(copy[0]->y, 250.0f);
    EXPECT_EQ(game.autopow.y, copy[0]->y);
}

}  // namespace
