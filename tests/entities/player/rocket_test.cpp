#include "entities/player/rocket.hpp"

#include <gtest/gtest.h>

#include <memory>

#include "game/game.hpp"
#include "support/game_harness.hpp"

namespace {

class RocketTest : public ::testing::Test {
protected:
    rocket_tag& AddRocket(float x, float y, float rotation, int dist_ctr, float rot_step = 0) {
        auto rocket = std::make_unique<rocket_tag>();
        rocket->x = x, rocket->y = y, rocket->rotation = rotation;
        rocket->dist_ctr = dist_ctr, rocket->rot_step = rot_step;
        return game.rocket_list.Add(std::move(rocket));
    }
    void WalkRockets() {
        game.rocket_list.Walk([this](rocket_tag& rocket) { rocket.update(game); });
    }

    GameHarness h;
    Game& game = h.game;
};

TEST_F(RocketTest, WrapsAtItsOwnLimits) {
    // Moving right leaves y as it is, so only the wrap moves it.
    rocket_tag& rocket = AddRocket(100, 482.5f, 90, 50);
    WalkRockets();
    EXPECT_EQ(rocket.y, -8.0f);
    EXPECT_FLOAT_EQ(rocket.x, 105.0f);
    game.rocket_list.Clear();
    rocket_tag& high = AddRocket(100, -8.4f, 0, 50);
    WalkRockets();
    EXPECT_EQ(high.y, 482.0f);
}

TEST_F(RocketTest, StartsANewLegAfterTurningTwiceByTheOldStep) {
    for (int first_leg : {0, 1}) {
        game.rocket_list.Clear();
        game.smoke_list.Clear();
        rocket_tag& rocket = AddRocket(300, 200, 10, first_leg, 2);
        Random expected = game.random;
        expected.RandomReal(0, 360);  // the puff's angle comes first
        WalkRockets();
        EXPECT_EQ(rocket.rotation, 14.0f) << first_leg;
        EXPECT_EQ(rocket.dist_ctr, expected.RandomInt(25, 75)) << first_leg;
        EXPECT_EQ(rocket.rot_step, static_cast<float>(expected.RandomInt(-3, 3))) << first_leg;
        EXPECT_EQ(game.random.state(), expected.state());
        ASSERT_EQ(game.smoke_list.Count(), 1);
        EXPECT_EQ(game.smoke_list.First()->y, rocket.y);
    }

    game.rocket_list.Clear();
    rocket_tag& midleg = AddRocket(300, 200, 10, 2, -3);
    Random expected = game.random;
    expected.RandomReal(0, 360);
    WalkRockets();
    EXPECT_EQ(midleg.rotation, 7.0f);
    EXPECT_EQ(midleg.dist_ctr, 1);
    EXPECT_EQ(game.random.state(), expected.state());
}

}  // namespace
