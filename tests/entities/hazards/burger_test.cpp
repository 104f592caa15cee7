#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/game_harness.hpp"
#include "support/playfield.hpp"

namespace {

class BurgerTest : public ::testing::Test {
protected:
    void SetUp() override {
        game.player.level = 2;
        game.player.lives = 3;
        PutShipOutOfPlay(game);
    }

    burger_tag& AddBurger(float size, float x, float y, float direction = 90, float speed = 0) {
        auto burger = std::make_unique<burger_tag>();
        burger->size = size;
        burger->scale = size == 1 ? 1.0f : size == 2 ? 0.6f : 0.3f;
        burger->x = x, burger->y = y, burger->direction = direction, burger->speed = speed;
        return game.burger_list.Add(std::move(burger));
    }
    template <typename T>
    void AddAt(EntityList<T>& list, float x, float y) {
        auto object = std::make_unique<T>();
        object->x = x, object->y = y;
        list.Add(std::move(object));
    }
    void AddShot(float x, float y) {
        AddAt(game.shipshot_list, x, y);
        game.shipshot_list.Objects().back()->scale = 2.0f;
    }
    void WalkBurgers() {
        game.burger_list.Walk([this](burger_tag& burger) { burger.update(game); });
    }
    int BurgersOfSize(float size) {
        int count = 0;
        for (burger_tag* burger : game.burger_list.Objects()) count += burger->size == size;
        return count;
    }

    GameHarness h;
    Game& game = h.game;
};

TEST_F(BurgerTest, LargeBurgersIgnoreThePositionGivenAndMayStartBeyondTheWrapLimits) {
    Random expected = game.random;
    burger_tag::Create(game, 100, 100, 1, 1);
    burger_tag::Create(game, 123, 45, 2, 1);
    burger_tag::Create(game, 1, 1, 3, 0);
    burger_tag& large = *game.burger_list.Objects()[0];
    burger_tag& medium = *game.burger_list.Objects()[1];
    EXPECT_EQ(game.burger_list.Count(), 2);
    EXPECT_EQ(large.x, static_cast<float>(expected.RandomReal(0, 1024)));
    EXPECT_EQ(large.y, static_cast<float>(expected.RandomReal(0, 768)));
    EXPECT_EQ(large.direction, static_cast<float>(expected.RandomReal(0, 359)));
    EXPECT_EQ(medium.direction, static_cast<float>(expected.RandomReal(0, 359)));
    EXPECT_EQ(medium.speed, static_cast<float>(expected.RandomReal(1.5, 6.5)));
    EXPECT_EQ(medium.x, 123.0f);
    EXPECT_EQ(medium.scale, 0.6f);

    burger_tag& beyond = AddBurger(1, 800, 700, 90, 1);
    burger_tag& on_edge = AddBurger(1, -37, 511);
    burger_tag& past_edge = AddBurger(1, -37.01f, -31.01f);
    WalkBurgers();
    EXPECT_EQ(beyond.x, -37.0f);
    EXPECT_EQ(beyond.y, -31.0f);
    EXPECT_EQ(on_edge.x, -37.0f);
    EXPECT_EQ(on_edge.y, 511.0f);
    EXPECT_EQ(past_edge.x, 677.0f);
    EXPECT_EQ(past_edge.y, 511.0f);
}

TEST_F(BurgerTest, FlameFlickersUntilTheBurgerHasSlowedToTwo) {
    burger_tag& medium = AddBurger(2, 320, 240, 30, 6.4f);
    AddBurger(1, 100, 100, 90, 1);
    int flame_frames = 0;
    for (int frame = 0; frame < 400; ++frame) {
        int before = game.random.state();
        WalkBurgers();
        flame_frames += game.random.state() != before;
    }
    EXPECT_NEAR(flame_frames, 220, 1);
    EXPECT_LE(medium.speed, 1.0f);
    EXPECT_GT(medium.speed, 0.98f);
}

TEST_F(BurgerTest, ShotPaysBySizeAndLevelAndSplitsAtTheTruncatedPosition) {
    struct Case {
        float size;
        int points, sparks, pieces;
    };
    for (Case c : {Case{1, 60, 150, 3}, Case{2, 40, 100, 5}, Case{3, 20, 50, 0}, Case{4, 20, 50, 0}}) {
        SCOPED_TRACE(c.size);
        game.particle_list.Clear();
        game.points_list.Clear();
        game.player.score = 0;
        AddBurger(c.size, 300.7f, 200.9f);
        AddShot(300, 200);
        WalkBurgers();
        EXPECT_EQ(game.player.score, c.points);
        EXPECT_EQ(PopupTexts(game), std::vector<std::string>{std::to_string(c.points)});
        EXPECT_EQ(game.particle_list.Count(), c.sparks);
        EXPECT_TRUE(game.shipshot_list.Empty());
        EXPECT_EQ(game.burger_list.Count(), c.pieces);
        EXPECT_EQ(BurgersOfSize(c.size + 1), c.pieces);
        // Made last in the walk, the pieces have not moved yet.
        for (burger_tag* piece : game.burger_list.Objects()) {
            EXPECT_EQ(piece->x, 300.0f);
            EXPECT_EQ(piece->rotation, 0.0f);
        }
        game.burger_list.Clear();
    }
}

TEST_F(BurgerTest, PiecesOfABurgerBeforeTheLastMoveInTheSameFrame) {
    AddBurger(1, 300, 200);
    AddBurger(1, 500, 400);
    AddShot(300, 200);
    WalkBurgers();
    ASSERT_EQ(BurgersOfSize(2), 3);
    for (burger_tag* piece : game.burger_list.Objects()) {
        if (piece->size == 2) {
            EXPECT_EQ(piece->rotation, piece->direction < 180 ? 0.5f : -0.5f);
        }
    }
}

TEST_F(BurgerTest, TwoShotsOnOneBurgerInOneFrameBothScoreAndSplit) {
    AddBurger(1, 300, 200);
    AddShot(300, 200);
    AddShot(302, 203);
    WalkBurgers();
    EXPECT_TRUE(game.shipshot_list.Empty());
    EXPECT_EQ(game.player.score, 2 * 30 * 2);
    EXPECT_EQ(PopupTexts(game), (std::vector<std::string>{"60", "60"}));
    EXPECT_EQ(BurgersOfSize(2), 6);
}

TEST_F(BurgerTest, HollowSmartBombRingPaysTwentyFivePerLevelAndLeavesNoPieces) {
    game.trigpow.sb_x = 320, game.trigpow.sb_y = 240, game.trigpow.sb_scale = 1.0f;
    AddBurger(1, 330, 250);
    AddBurger(3, 320, 240);  // in the ring's empty middle
    AddBurger(3, 384, 240);  // on its rim
    WalkBurgers();
    EXPECT_EQ(game.player.score, 2 * 2 * 25);
    EXPECT_EQ(PopupTexts(game), (std::vector<std::string>{"50", "50"}));
    EXPECT_EQ(game.particle_list.Count(), 150 + 50);
    ASSERT_EQ(game.burger_list.Count(), 1);
    EXPECT_EQ(game.burger_list.First()->x, 320.0f);
}

TEST_F(BurgerTest, MineIsUsedUpByTheFirstBurgerAndPaysOnlyForThatBurger) {
    AddAt(game.mine_list, 300, 200);
    AddBurger(1, 300, 200);
    burger_tag& second = AddBurger(1, 300, 200);
    WalkBurgers();
    EXPECT_TRUE(game.mine_list.Empty());
    EXPECT_EQ(game.player.score, 2 * 50);
    EXPECT_EQ(PopupTexts(game), std::vector<std::string>{"100"});
    EXPECT_EQ(game.burger_list.Objects(), std::vector<burger_tag*>{&second});
    ASSERT_EQ(game.explosion_list.Count(), 1);
    EXPECT_EQ(game.explosion_list.First()->a_step, 0.02f);
}

TEST_F(BurgerTest, BurgerDestroysTheUfoForNoPointsAndBurstsTheFriesWhereverTheyAre) {
    ufo_tag& ufo = game.ufo;
    ufo.alive = 1, ufo.x = 300, ufo.y = 200, ufo.scale = 1.0f;
    ufo.fry_alive = 0, ufo.fry_x = 100, ufo.fry_y = 120;
    AddBurger(1, 310, 205);
    WalkBurgers();
    EXPECT_EQ(ufo.alive, 0);
    EXPECT_EQ(game.player.score, 0);
    EXPECT_TRUE(game.points_list.Empty());
    EXPECT_EQ(BurgersOfSize(2), 3);
    int at_fries = 0;
    for (particle_tag* spark : game.particle_list.Objects()) at_fries += spark->x == 100 && spark->y == 120;
    EXPECT_EQ(at_fries, 15);
    EXPECT_EQ(game.particle_list.Count(), 15 + 150);
}

TEST_F(BurgerTest, UnshieldedShipDiesOnceAndTheBurgerFliesOn) {
    game.player.x = 300, game.player.y = 200, game.player.death_tmr = 0;
    burger_tag& burger = AddBurger(1, 300, 200);
    WalkBurgers();
    WalkBurgers();
    EXPECT_EQ(game.player.lives, 2);
    EXPECT_EQ(game.burger_list.Objects(), std::vector<burger_tag*>{&burger});
    EXPECT_EQ(game.player.score, 0);
}

TEST_F(BurgerTest, FreshShieldAbsorbsThreeBurgersAndSplitsEach) {
    game.player.x = 300, game.player.y = 200, game.player.death_tmr = 0;
    game.autopow.ptype = 1;
    game.player.shieldhits = 255;
    const int shield_left[] = {130, 5, -120};
    for (int hit = 0; hit < 3; ++hit) {
        game.burger_list.Clear();
        AddBurger(1, 300, 200);
        WalkBurgers();
        EXPECT_EQ(game.player.shieldhits, shield_left[hit]);
        EXPECT_EQ(BurgersOfSize(2), 3);
    }
    EXPECT_EQ(game.autopow.ptype, 0);
    EXPECT_EQ(game.player.lives, 3);
    EXPECT_EQ(game.player.score, 0);
}

}  // namespace
