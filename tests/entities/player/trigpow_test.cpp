#include "entities/player/trigpow.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "game/game.hpp"
#include "game/keys.hpp"
#include "support/game_harness.hpp"
#include "support/ship_step.hpp"

namespace {

TEST(TrigPowCreate, ReplacesTheKindAndTheUsesButNeverARunningEffect) {
    GameHarness h;
    Game& game = h.game;
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

}  // namespace
