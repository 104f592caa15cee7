#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/game.hpp"
#include "support/game_harness.hpp"
#include "support/playfield.hpp"

namespace {

class WeaponTest : public ::testing::Test {
protected:
    void SetUp() override {
        game.player.level = 2;
        game.sound.frame_sounds.clear();
    }

    mine_tag& AddMine(float x, float y, float speed = 0.0f) {
        auto mine = std::make_unique<mine_tag>();
        mine->x = x, mine->y = y, mine->speed = speed;
        return game.mine_list.Add(std::move(mine));
    }
    rocket_tag& AddRocket(float x, float y, float rotation, int dist_ctr, float rot_step = 0) {
        auto rocket = std::make_unique<rocket_tag>();
        rocket->x = x, rocket->y = y, rocket->rotation = rotation;
        rocket->dist_ctr = dist_ctr, rocket->rot_step = rot_step;
        return game.rocket_list.Add(std::move(rocket));
    }
    void WalkMines() {
        game.mine_list.Walk([this](mine_tag& mine) { mine.update(game); });
    }
    void WalkRockets() {
        game.rocket_list.Walk([this](rocket_tag& rocket) { rocket.update(game); });
    }
    void PutUfo(float x, float y, float scale) {
        game.ufo.alive = 1, game.ufo.x = x, game.ufo.y = y, game.ufo.scale = scale;
    }
    void PutFry(float x, float y) {
        game.ufo.fry_alive = 1, game.ufo.fry_x = x, game.ufo.fry_y = y, game.ufo.fry_scale = 0.5f;
    }

    GameHarness h;
    Game& game = h.game;
};

TEST_F(WeaponTest, MineDroppedFacingRightSlidesLeftSpinningAndSlowing) {
    mine_tag::Create(game, 300, 200, 90);
    mine_tag& mine = *game.mine_list.First();
    EXPECT_EQ(mine.direction, -90.0f);
    EXPECT_EQ(mine.speed, 3.0f);
    EXPECT_EQ(mine.rotation, 90.0f);

    WalkMines();
    EXPECT_FLOAT_EQ(mine.x, 297.0f);
    EXPECT_EQ(mine.rotation, 93.0f);
    EXPECT_EQ(mine.speed, 2.99f);

    // It stops slowing once at 0.2 or below and drifts on for good.
    for (int updates = 1; updates < 281; ++updates) WalkMines();
    float drift = mine.speed;
    EXPECT_NEAR(drift, 0.19f, 0.005f);
    WalkMines();
    EXPECT_EQ(mine.speed, drift);
    EXPECT_EQ(game.mine_list.Count(), 1);
}

TEST_F(WeaponTest, MinesAndRocketsWrapAtTheirOwnLimits) {
    mine_tag& mine = AddMine(648.5f, 482.5f);
    mine_tag& low_mine = AddMine(-8.5f, 488.5f);
    WalkMines();
    EXPECT_EQ(mine.x, -8.0f);
    EXPECT_EQ(mine.y, 482.5f);
    EXPECT_EQ(low_mine.x, 648.0f);
    EXPECT_EQ(low_mine.y, -8.0f);

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

TEST_F(WeaponTest, RocketStartsANewLegAfterTurningTwiceByTheOldStep) {
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

TEST_F(WeaponTest, SmokePuffIsDrawnEightyOneTimesAndNeverReachesTheColourCap) {
    smoke_tag::Create(game, 100, 100);
    smoke_tag& puff = *game.smoke_list.First();
    int draws = 0;
    int last_color = 0;
    float last_scale = 0;
    while (!game.smoke_list.Empty() && draws < 200) {
        last_color = puff.color;
        last_scale = puff.scale;
        game.smoke_list.Walk([this](smoke_tag& s) { s.update(game); });
        ++draws;
    }
    EXPECT_EQ(draws, 81);
    EXPECT_EQ(last_color, 210);
    EXPECT_NEAR(last_scale, 3.3f, 0.01f);
}

TEST_F(WeaponTest, MineOnTheUfoPaysByItsSizeWithThePopupAtTheMine) {
    AddMine(300, 200);
    PutUfo(306, 203, 0.6f);
    WalkMines();
    EXPECT_EQ(game.ufo.alive, 0);
    EXPECT_TRUE(game.mine_list.Empty());
    EXPECT_EQ(game.player.score, 2 * 150);
    ASSERT_EQ(game.points_list.Count(), 1);
    EXPECT_EQ(game.points_list.First()->str, "300");
    EXPECT_EQ(game.points_list.First()->x, 300.0f);
    EXPECT_EQ(game.points_list.First()->y, 200.0f);
    EXPECT_EQ(game.shipbits_list.Count(), 40);
    EXPECT_EQ(game.explosion_list.Count(), 1);
    EXPECT_EQ(Sounds(game, "death"), 1);

    AddRocket(100, 105, 0, 50);
    PutUfo(100, 95, 0.4f);
    WalkRockets();
    EXPECT_EQ(game.ufo.alive, 0);
    EXPECT_TRUE(game.rocket_list.Empty());
    EXPECT_EQ(game.player.score, 2 * 150 + 2 * 300);
    EXPECT_EQ(game.points_list.Objects().back()->str, "600");
}

TEST_F(WeaponTest, MineOnTheFriesPaysLikeTheUfoAndBurstsTheFry) {
    PutUfo(500, 400, 0.6f);
    PutFry(203, 198);
    AddMine(200, 200);
    WalkMines();
    EXPECT_EQ(game.ufo.fry_alive, 0);
    EXPECT_EQ(game.ufo.alive, 1);
    EXPECT_TRUE(game.mine_list.Empty());
    EXPECT_EQ(game.player.score, 300);
    ASSERT_EQ(game.points_list.Count(), 1);
    EXPECT_EQ(game.points_list.First()->str, "300");
    EXPECT_EQ(game.particle_list.Count(), 15);
    EXPECT_EQ(game.explosion_list.Count(), 1);
    EXPECT_TRUE(game.shipbits_list.Empty());
    EXPECT_EQ(Sounds(game, "death"), 1);
}

TEST_F(WeaponTest, OneRocketCanEndTheUfoAndItsFryTogether) {
    PutUfo(300, 200, 0.6f);
    PutFry(302, 193);
    AddRocket(300, 200, 0, 50);
    AddRocket(50, 50, 0, 50);
    WalkRockets();
    EXPECT_EQ(game.ufo.alive, 0);
    EXPECT_EQ(game.ufo.fry_alive, 0);
    EXPECT_EQ(game.rocket_list.Count(), 1);
    EXPECT_EQ(game.player.score, 600);
    EXPECT_EQ(game.points_list.Count(), 2);
    EXPECT_EQ(Sounds(game, "death"), 2);
}

TEST_F(WeaponTest, GoneUfoAndFryAreNotTested) {
    PutUfo(300, 200, 0.6f);
    PutFry(300, 200);
    game.ufo.alive = 0;
    game.ufo.fry_alive = 0;
    AddMine(300, 200);
    AddRocket(300, 205, 0, 50);
    WalkMines();
    WalkRockets();
    EXPECT_EQ(game.mine_list.Count(), 1);
    EXPECT_EQ(game.rocket_list.Count(), 1);
    EXPECT_EQ(game.player.score, 0);
    EXPECT_TRUE(game.sound.frame_sounds.empty());
}

}  // namespace
