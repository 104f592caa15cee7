#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/game.hpp"
#include "game/keys.hpp"
#include "game/screens.hpp"
#include "support/game_harness.hpp"
#include "support/playfield.hpp"

namespace {

TEST(PowerUpCreate, ReplacesTheKindAndTheUsesButNeverARunningEffect) {
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

    // Mines over Rockets start afresh; a ring or spin already going is left alone.
    trigpow_tag& trigpow = game.trigpow;
    trigpow.ptype = 2, trigpow.uses = 3, trigpow.aspin_ctr = 20, trigpow.sb_scale = 4.0f;
    trigpow_tag::Create(game, 1);
    EXPECT_EQ(trigpow.ptype, 1);
    EXPECT_EQ(trigpow.uses, 8);
    EXPECT_EQ(trigpow.aspin_ctr, 20);
    EXPECT_EQ(trigpow.sb_scale, 4.0f);
    trigpow_tag::Create(game, 7);
    EXPECT_EQ(trigpow.ptype, 1);
}

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

// A game in play with the ship at the centre, run through the part of the
// playing frame the power-ups take part in: the burgers (which meet the
// smart-bomb ring), the shots, then the ship step.
class ShipStepTest : public ::testing::Test {
protected:
    ShipStepTest() {
        h.StartPlaying();
        game.warp_on = 0;
        game.burger_list.Clear();
        // Start-up has already read this frame's input; taps land from the
        // next frame on.
        RunFrames(1);
    }

    void RunFrames(int count) {
        for (int i = 0; i < count; ++i) {
            h.input.BeginFrame(++frame_);
            game.sound.frame_sounds.clear();
            UpdateAll(game, game.burger_list);
            UpdateAll(game, game.shipshot_list);
            ShipStep(game);
        }
    }

    // Shots made in the frame just run: they come after the shot walk and so
    // are still at their starting scale.
    std::vector<shipshot_tag*> NewShots() {
        std::vector<shipshot_tag*> fresh;
        for (shipshot_tag* shot : game.shipshot_list.Objects()) {
            if (shot->scale == 2.0f) fresh.push_back(shot);
        }
        return fresh;
    }

    GameHarness h;
    Game& game = h.game;
    player_tag& ship = h.game.player;
    int frame_ = 1000;
};

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

TEST_F(ShipStepTest, ArmageddonSpinsThreeTurnsFiringSeventyTwoUnechoedShots) {
    autopow_tag::Create(game, 3);
    trigpow_tag::Create(game, 3);
    ship.rotation = 10, ship.direction = 200, ship.speed = 1.0f;
    h.Tap(kKeyLeftAlt);
    for (int frame = 1; frame <= 72; ++frame) {
        RunFrames(1);
        std::vector<shipshot_tag*> fresh = NewShots();
        ASSERT_EQ(fresh.size(), 1u) << "frame " << frame;
        EXPECT_EQ(fresh[0]->direction, 10.0f + 15.0f * static_cast<float>(frame));
        if (frame < 72) {
            EXPECT_EQ(ship.direction, 200.0f);
        }
    }
    EXPECT_EQ(game.trigpow.aspin_ctr, 0);
    EXPECT_EQ(game.trigpow.uses, 2);
    EXPECT_EQ(ship.rotation, 1090.0f);
    EXPECT_EQ(ship.direction, 1090.0f);
    EXPECT_GT(ship.speed, 0.8f);

    RunFrames(1);
    EXPECT_TRUE(NewShots().empty());
}

TEST_F(ShipStepTest, SmartBombRingGoesOnDestroyingAfterItFadesOut) {
    trigpow_tag::Create(game, 4);
    ship.x = 40, ship.y = 40;
    auto burger = std::make_unique<burger_tag>();
    burger->size = 3, burger->scale = 0.3f, burger->x = 560, burger->y = 400;
    game.burger_list.Add(std::move(burger));

    h.Tap(kKeyLeftAlt);
    RunFrames(1);
    EXPECT_EQ(game.trigpow.ptype, 0);
    EXPECT_FLOAT_EQ(game.trigpow.sb_scale, 0.3f);
    int frames = 1;
    int hit_frame = 0;
    // The alpha the ring was last drawn with before the burger was tested.
    float drawn_alpha = 1.0f;
    float alpha_at_hit = 1.0f;
    while (game.trigpow.sb_scale != 0 && frames < 200) {
        bool burger_there = !game.burger_list.Empty();
        float alpha_before = game.trigpow.sb_alpha;
        RunFrames(1);
        ++frames;
        if (burger_there && game.burger_list.Empty()) hit_frame = frames, alpha_at_hit = drawn_alpha;
        drawn_alpha = alpha_before;
    }
    EXPECT_EQ(frames, 98);
    EXPECT_GT(hit_frame, 60);
    EXPECT_LT(alpha_at_hit, 0.0f);
    EXPECT_EQ(ship.score, 25);
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
