#include "entities/player/player.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "game/game.hpp"
#include "game/keys.hpp"
#include "support/game_harness.hpp"
#include "support/playfield.hpp"

namespace {

// A ship in normal flight at the centre, facing up, driven one frame at a
// time without the rest of the main loop.
class ShipTest : public ::testing::Test {
protected:
    ShipTest() {
        ship.x = 320;
        ship.y = 240;
        ship.lives = 3;
        Controls();
        game.sound.frame_sounds.clear();
    }
    // The events added so far arrive with the next frame's first query.
    void Controls() {
        h.input.BeginFrame(++frame_);
        ship.get_inputs(game);
    }
    void Click(int button) {
        h.source.Add(InputEvent::Mouse(button, true));
        h.source.Add(InputEvent::Mouse(button, false));
    }

    GameHarness h;
    Game& game = h.game;
    player_tag& ship = h.game.player;
    int frame_ = 1000;
};

TEST_F(ShipTest, TurningWrapsAtZeroAndThreeSixtyAndCentresThePointer) {
    h.source.Add(InputEvent::MoveTo(320, 100));
    Controls();
    EXPECT_EQ(ship.rotation, 0.0f);
    h.source.Add(InputEvent::MoveTo(319, 100));
    Controls();
    EXPECT_EQ(ship.rotation, 360.0f);
    EXPECT_EQ(h.input.MouseX(), 320);
    EXPECT_EQ(h.input.MouseY(), 0);

    h.Press(kKeyRight);
    Controls();
    EXPECT_EQ(ship.rotation, 0.0f);
    ship.rotation = 357;
    Controls();
    EXPECT_EQ(ship.rotation, 0.0f);
}

TEST_F(ShipTest, ThrustComparesAnglesWithoutWrapAround) {
    // 350 and 5 are 15 degrees apart, but 350 > 5 + 45: this brakes.
    ship.speed = 1;
    ship.direction = 350;
    ship.rotation = 5;
    h.Press(kKeyUp);
    Controls();
    EXPECT_EQ(ship.speed, 1.0f - 0.01f);
    EXPECT_EQ(ship.direction, 350.0f);
    EXPECT_EQ(ship.frame, 1);
    EXPECT_EQ(game.shiptrail_list.Count(), 1);
}

TEST_F(ShipTest, ThrustAgainstTheMotionBrakesToATenthThenSnapsToTheFacing) {
    ship.speed = 0.25f;
    ship.direction = 180;
    h.Press(kKeyUp);
    float before = ship.speed;
    while (ship.direction == 180.0f && game.shiptrail_list.Count() < 10) {
        before = ship.speed;
        Controls();
    }
    EXPECT_LE(before, 0.2f);
    EXPECT_GT(before, 0.18f);
    EXPECT_EQ(ship.direction, 0.0f);
    EXPECT_EQ(ship.speed, before + 0.02f);
    EXPECT_EQ(Sounds(game, "thrust"), 1);
}

TEST_F(ShipTest, FrictionComesBeforeTheMoveEvenBelowZero) {
    ship.speed = 0.001f;
    ship.update(game);
    EXPECT_EQ(ship.speed, 0.0f);
    EXPECT_FLOAT_EQ(ship.y, 240.001f);
}

TEST_F(ShipTest, OneShotPerPressAndAPressDuringTheCooldownWaitsForIt) {
    h.Press(kKeyLeftControl);
    Controls();
    ASSERT_EQ(game.shipshot_list.Count(), 1);
    EXPECT_EQ(ship.sfired, 1);
    for (int i = 1; i < 15; ++i) {
        if (i == 5) {
            h.Release(kKeyLeftControl);
            h.Press(kKeyLeftControl);
        }
        Controls();
    }
    EXPECT_EQ(game.shipshot_list.Count(), 1);
    Controls();
    EXPECT_EQ(game.shipshot_list.Count(), 2);
    // Still held: no auto-repeat.
    for (int i = 0; i < 40; ++i) Controls();
    EXPECT_EQ(game.shipshot_list.Count(), 2);
}

TEST_F(ShipTest, RightButtonHeldTurnsALeftClickIntoTheTriggerAndABusyTriggerLosesIt) {
    h.source.Add(InputEvent::Mouse(2, true));
    Click(1);
    Controls();
    EXPECT_EQ(ship.hspace_ctr, 200);
    EXPECT_EQ(game.hspace_list.Count(), 18);
    Click(1);
    Controls();
    h.source.Add(InputEvent::Mouse(2, false));
    Controls();
    EXPECT_EQ(game.shipshot_list.Count(), 0);
    EXPECT_EQ(game.hspace_list.Count(), 18);
    EXPECT_EQ(Sounds(game, "hyperspc"), 1);

    // A press swallowed by the smart-bomb ring is gone afterwards too.
    ship.hspace_ctr = 0;
    game.trigpow.sb_scale = 0.5f;
    h.Tap(kKeyLeftAlt);
    Controls();
    game.trigpow.sb_scale = 0;
    Controls();
    EXPECT_EQ(ship.hspace_ctr, 0);
}

TEST_F(ShipTest, SmartBombAndLastUsesRevertToHyperSpace) {
    game.trigpow.ptype = 4;
    ship.x = 100;
    h.Tap(kKeyLeftAlt);
    Controls();
    EXPECT_EQ(game.trigpow.sb_scale, 0.2f);
    EXPECT_EQ(game.trigpow.sb_x, 100.0f);
    EXPECT_EQ(game.trigpow.ptype, 0);
    EXPECT_EQ(game.trigpow.uses, 0);

    game.trigpow.sb_scale = 0;
    game.trigpow.ptype = 3;
    game.trigpow.uses = 2;
    h.Tap(kKeyLeftAlt);
    Controls();
    EXPECT_EQ(game.trigpow.ptype, 3);
    game.trigpow.aspin_ctr = 0;
    h.Tap(kKeyLeftAlt);
    Controls();
    EXPECT_EQ(game.trigpow.ptype, 0);
    EXPECT_EQ(Sounds(game, "armageddon"), 2);
}

TEST_F(ShipTest, FullShieldAbsorbsThreeHits) {
    game.autopow.ptype = 1;
    ship.shieldhits = 255;
    for (int strength : {130, 5}) {
        ship.ship_hit(game);
        EXPECT_EQ(ship.shieldhits, strength);
        EXPECT_EQ(game.autopow.ptype, 1);
    }
    ship.ship_hit(game);
    EXPECT_EQ(game.autopow.ptype, 0);
    EXPECT_EQ(ship.lives, 3);
    EXPECT_EQ(Sounds(game, "shield"), 3);
    ship.ship_hit(game);
    EXPECT_EQ(ship.lives, 2);
    EXPECT_EQ(ship.death_tmr, 150);
    EXPECT_EQ(game.shipbits_list.Count(), 40);
}

TEST_F(ShipTest, LastShipLostEndsTheGameWhenTheDeathTimerReachesOne) {
    ship.lives = 1;
    ship.ship_hit(game);
    EXPECT_FALSE(ship.vulnerable(game));
    for (int i = 0; i < 148; ++i) ship.update(game);
    EXPECT_EQ(game.game_over, 0);
    ship.update(game);
    EXPECT_EQ(game.game_over, 1);
    EXPECT_EQ(ship.death_tmr, 0);
    EXPECT_EQ(game.warp_on, 0);
}

}  // namespace
