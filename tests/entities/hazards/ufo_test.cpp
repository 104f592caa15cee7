#include "entities/hazards/ufo.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "support/game_harness.hpp"
#include "support/playfield.hpp"

namespace {

class UfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        game().player.level = 1;
        game().player.score = 0;
        game().player.lives = 3;
        // The ship stays out of reach unless a test brings it into play.
        PutShipOutOfPlay(game());
        game().trigpow.sb_scale = 0;
        game().sound.frame_sounds.clear();
    }

    Game& game() { return h.game; }
    ufo_tag& ufo() { return h.game.ufo; }

    // A flying UFO with its fries already in the air far away, so that an
    // update throws nothing new.
    void FlyUfo(float x, float y, float direction, float scale = 0.6f, float rotation = 0) {
        ufo().alive = 1, ufo().x = x, ufo().y = y, ufo().direction = direction;
        ufo().scale = scale, ufo().rotation = rotation, ufo().fry_alive = 1;
    }

    void ThrowFries(float x, float y, float direction, float scale = 0.6f) {
        ufo().fry_alive = 1, ufo().fry_x = x, ufo().fry_y = y;
        ufo().fry_dir = direction, ufo().fry_rot = direction, ufo().fry_scale = scale;
    }

    void PutRing(float x, float y) { game().trigpow.sb_x = x, game().trigpow.sb_y = y, game().trigpow.sb_scale = 1.0f; }

    void StartHum() {
        game().sound.StartUfoLoop();
        game().sound.frame_sounds.clear();
    }

    bool Humming() { return h.audio.ChannelPlaying(game().sound.ufo_chan) != 0; }

    int DebrisOf(int ufo_hit) {
        int count = 0;
        for (shipbits_tag* bit : game().shipbits_list.Objects()) count += bit->ufo_hit == ufo_hit ? 1 : 0;
        return count;
    }

    // The ship's weapons, placed where a test needs them.
    mine_tag& AddMine(float x, float y) {
        auto mine = std::make_unique<mine_tag>();
        mine->x = x, mine->y = y;
        return game().mine_list.Add(std::move(mine));
    }
    void AddRocket(float x, float y, float rotation, int dist_ctr) {
        auto rocket = std::make_unique<rocket_tag>();
        rocket->x = x, rocket->y = y, rocket->rotation = rotation, rocket->dist_ctr = dist_ctr;
        game().rocket_list.Add(std::move(rocket));
    }
    void WalkShots() { UpdateAll(game(), game().shipshot_list); }
    void WalkMines() { UpdateAll(game(), game().mine_list); }
    void WalkRockets() { UpdateAll(game(), game().rocket_list); }
    void PutUfo(float x, float y, float scale) { ufo().alive = 1, ufo().x = x, ufo().y = y, ufo().scale = scale; }
    void PutFry(float x, float y) { ufo().fry_alive = 1, ufo().fry_x = x, ufo().fry_y = y, ufo().fry_scale = 0.5f; }

    GameHarness h;
};

TEST_F(UfoTest, CreateDrawsInOrderAndSendsSmallUfosOnlyFromLevelFive) {
    ufo().rotation = 123;
    ThrowFries(10, 10, 0);
    for (int level : {4, 5}) {
        game().player.level = level;
        int small = 0;
        for (int i = 0; i < 60; ++i) {
            Random expected = game().random;
            ufo_tag::Create(game());

            int side = static_cast<int>(expected.RandomReal(0, 2));
            EXPECT_EQ(ufo().alive, 1);
            EXPECT_EQ(ufo().fry_alive, 0);
            EXPECT_EQ(ufo().y, static_cast<float>(expected.RandomReal(25, 455)));
            EXPECT_EQ(ufo().rel_tmr, static_cast<int>(250 + expected.RandomReal(0, 1000)));
            bool normal = level < 5 || static_cast<int>(expected.RandomReal(0, 2)) == 1;
            EXPECT_EQ(ufo().scale, normal ? 0.6f : 0.4f);
            small += normal ? 0 : 1;
            EXPECT_EQ(ufo().x, side == 1 ? 667.0f : -26.0f);
            EXPECT_EQ(ufo().direction,
                      static_cast<float>(side == 1 ? expected.RandomReal(220, 320) : expected.RandomReal(40, 140)));
            EXPECT_EQ(game().random.state(), expected.state());
            EXPECT_TRUE(Humming());
            // The spin carries over from one appearance to the next.
            EXPECT_EQ(ufo().rotation, 123.0f);
        }
        if (level == 5) {
            EXPECT_GT(small, 10);
            EXPECT_LT(small, 50);
        }
    }
}

TEST_F(UfoTest, SmallUfoFliesTwiceAsFastAndThrowsSmallFries) {
    FlyUfo(300, 200, 90, 0.6f);
    ufo().update(game());
    EXPECT_FLOAT_EQ(ufo().x, 302);

    FlyUfo(300, 200, 90, 0.4f, 40);
    ufo().fry_alive = 0;
    ufo().update(game());
    EXPECT_FLOAT_EQ(ufo().x, 304);
    EXPECT_EQ(ufo().fry_alive, 1);
    EXPECT_EQ(ufo().fry_scale, 0.4f);
    // Thrown along the sprite angle before this frame's spin.
    EXPECT_EQ(ufo().fry_dir, 40.0f);
    EXPECT_EQ(ufo().rotation, 43.0f);
}

TEST_F(UfoTest, MarginsTurnTheHeadingTowardsTheHorizontal) {
    struct Case {
        float y, direction, expected_y, expected_direction;
    };
    const Case cases[] = {
        {25, 300, 25, 270},     // top, heading up-left
        {25, 60, 25, 90},       // top, heading up-right
        {455, 240, 455, 270},   // bottom, heading down-left
        {455, 120, 455, 90},    // bottom, heading down-right
        {25.5f, 300, 25, 270},  // only just over the margin
        {200, 300, 199, 300},   // inside, nothing turns
    };
    for (const Case& c : cases) {
        FlyUfo(300, c.y, c.direction);
        ufo().update(game());
        EXPECT_FLOAT_EQ(ufo().y, c.expected_y) << c.y << " " << c.direction;
        EXPECT_EQ(ufo().direction, c.expected_direction) << c.y << " " << c.direction;
    }
}

TEST_F(UfoTest, LeavesOnlyOncePastEitherEdge) {
    // Exactly on the right edge, where it enters, is still in play.
    StartHum();
    FlyUfo(667, 200, 0);
    ufo().update(game());
    EXPECT_EQ(ufo().alive, 1);
    EXPECT_TRUE(Humming());

    FlyUfo(666, 200, 90);
    ufo().update(game());
    EXPECT_EQ(ufo().alive, 0);
    EXPECT_FALSE(Humming());

    StartHum();
    FlyUfo(-25, 200, 270);
    ufo().update(game());
    EXPECT_EQ(ufo().x, -27.0f);
    EXPECT_EQ(ufo().alive, 0);
    EXPECT_FALSE(Humming());
}

TEST_F(UfoTest, ShieldedShipDestroysTheUfoWithoutPoints) {
    StartHum();
    PutShipInPlay(game(), 320, 240);
    game().autopow.ptype = 1;
    game().player.shieldhits = 255;
    FlyUfo(320, 240, 90);
    ufo().update(game());

    EXPECT_EQ(ufo().alive, 0);
    EXPECT_FALSE(Humming());
    EXPECT_EQ(game().player.shieldhits, 130);
    EXPECT_EQ(game().player.lives, 3);
    EXPECT_EQ(game().player.score, 0);
    EXPECT_EQ(Sounds(game(), "shield"), 1);
    EXPECT_EQ(Sounds(game(), "death"), 1);
    EXPECT_EQ(game().shipbits_list.Count(), 40);
}

TEST_F(UfoTest, SmartBombRingPaysByLevelAndSize) {
    PutRing(240, 200);
    StartHum();
    game().player.level = 3;
    FlyUfo(298, 200, 90, 0.6f);
    ufo().update(game());
    EXPECT_EQ(ufo().alive, 0);
    EXPECT_FALSE(Humming());
    EXPECT_EQ(game().player.score, 450);

    game().player.level = 5;
    FlyUfo(296, 200, 90, 0.4f);
    ufo().update(game());
    EXPECT_EQ(game().player.score, 450 + 1500);
    EXPECT_EQ(PopupTexts(game()), (std::vector<std::string>{"450", "1500"}));
    EXPECT_EQ(DebrisOf(1), 80);
    EXPECT_TRUE(game().sound.frame_sounds.empty());

    // Inside the rim nothing happens.
    FlyUfo(238, 200, 90);
    ufo().update(game());
    EXPECT_EQ(ufo().alive, 1);
}

TEST_F(UfoTest, UfoRammingTheShipInsideTheRingIsDestroyedTwice) {
    PutShipInPlay(game(), 320, 240);
    PutRing(260, 240);
    game().autopow.ptype = 2;
    game().player.level = 2;
    FlyUfo(318, 240, 90);
    ufo().update(game());
    EXPECT_EQ(ufo().alive, 0);
    EXPECT_EQ(game().player.lives, 2);
    EXPECT_EQ(game().player.death_tmr, 150);
    EXPECT_EQ(game().autopow.ptype, 0);
    EXPECT_EQ(game().player.score, 300);
    EXPECT_EQ(Sounds(game(), "death"), 1);
    EXPECT_EQ(DebrisOf(1), 80);
    EXPECT_EQ(DebrisOf(0), 40);
    EXPECT_EQ(PopupTexts(game()), std::vector<std::string>{"300"});
}

TEST_F(UfoTest, FriesFlyStraightSpinAndLeaveTheArea) {
    ThrowFries(300, 200, -30);
    ufo().fry_update(game());
    EXPECT_LT(ufo().fry_x, 300);
    EXPECT_LT(ufo().fry_y, 200);
    // -30 is not above 180.
    EXPECT_EQ(ufo().fry_rot, -25.0f);

    ThrowFries(300, 200, 270);
    ufo().fry_update(game());
    EXPECT_FLOAT_EQ(ufo().fry_x, 294);
    EXPECT_EQ(ufo().fry_rot, 265.0f);

    struct Case {
        float x, y, direction;
        int alive;
    };
    const Case cases[] = {
        {643, 200, 90, 1},  // 649 is still inside
        {644, 200, 90, 0},  // 650 is out
        {300, -9, 0, 1},    // -15
        {300, -10, 0, 0},   // -16
    };
    for (const Case& c : cases) {
        ThrowFries(c.x, c.y, c.direction);
        ufo().fry_update(game());
        EXPECT_EQ(ufo().fry_alive, c.alive) << c.x << " " << c.y;
    }
}

TEST_F(UfoTest, FriesOutliveTheirUfoAndKillTheShip) {
    PutShipInPlay(game(), 320, 240);
    game().autopow.ptype = 3;
    ufo().alive = 0;
    ThrowFries(320, 246, 0);
    ufo().fry_update(game());

    EXPECT_EQ(ufo().fry_alive, 0);
    EXPECT_EQ(game().player.lives, 2);
    EXPECT_EQ(game().player.death_tmr, 150);
    EXPECT_EQ(game().autopow.ptype, 0);
    EXPECT_EQ(Sounds(game(), "death"), 1);
    EXPECT_EQ(game().particle_list.Count(), 15);
    EXPECT_EQ(DebrisOf(0), 40);
}

TEST_F(UfoTest, ShieldOrRingStopsTheFriesWithoutLossOrPoints) {
    PutShipInPlay(game(), 320, 240);
    game().autopow.ptype = 1;
    game().player.shieldhits = 255;
    ThrowFries(320, 246, 0);
    ufo().fry_update(game());
    EXPECT_EQ(ufo().fry_alive, 0);
    EXPECT_EQ(game().player.lives, 3);
    EXPECT_EQ(game().player.shieldhits, 130);
    EXPECT_EQ(Sounds(game(), "shield"), 1);
    EXPECT_EQ(Sounds(game(), "death"), 0);
    EXPECT_EQ(game().particle_list.Count(), 15);
    EXPECT_EQ(game().shipbits_list.Count(), 0);

    game().player.death_tmr = 1;
    PutRing(260, 240);
    ThrowFries(320, 246, 0);
    ufo().fry_update(game());
    EXPECT_EQ(ufo().fry_alive, 0);
    EXPECT_EQ(game().player.score, 0);
    EXPECT_EQ(game().particle_list.Count(), 30);
}

// What the ship's shots, mines and rockets do to the UFO and its fries.
TEST_F(UfoTest, ShotDownsTheUfoAndItsFriesTogether) {
    game().player.level = 3;
    game().ufo = ufo_tag{
        .x = 300, .y = 200, .scale = 0.6f, .fry_alive = 1, .fry_x = 300, .fry_y = 200, .fry_scale = 1, .alive = 1};
    shipshot_tag::Create(game(), 300, 208, 0);
    WalkShots();
    EXPECT_EQ(game().shipshot_list.Count(), 0);
    EXPECT_EQ(game().ufo.alive, 0);
    EXPECT_EQ(game().ufo.fry_alive, 0);
    EXPECT_EQ(game().player.score, 450);
    ASSERT_EQ(game().points_list.Count(), 1);
    EXPECT_EQ(game().points_list.First()->str, "450");
    EXPECT_EQ(game().particle_list.Count(), 15);
    EXPECT_EQ(game().shipbits_list.First()->ufo_hit, 1);
    EXPECT_EQ(game().sound.frame_sounds, (std::vector<std::string>{"death", "burghit"}));

    // Any other UFO size is worth twice as much.
    game().ufo = ufo_tag{.x = 300, .y = 200, .scale = 0.4f, .alive = 1};
    shipshot_tag::Create(game(), 300, 208, 0);
    WalkShots();
    EXPECT_EQ(game().player.score, 450 + 900);
}

TEST_F(UfoTest, MineOnTheUfoPaysByItsSizeWithThePopupAtTheMine) {
    game().player.level = 2;
    AddMine(300, 200);
    PutUfo(306, 203, 0.6f);
    WalkMines();
    EXPECT_EQ(game().ufo.alive, 0);
    EXPECT_TRUE(game().mine_list.Empty());
    EXPECT_EQ(game().player.score, 2 * 150);
    ASSERT_EQ(game().points_list.Count(), 1);
    EXPECT_EQ(game().points_list.First()->str, "300");
    EXPECT_EQ(game().points_list.First()->x, 300.0f);
    EXPECT_EQ(game().points_list.First()->y, 200.0f);
    EXPECT_EQ(game().shipbits_list.Count(), 40);
    EXPECT_EQ(game().explosion_list.Count(), 1);
    EXPECT_EQ(Sounds(game(), "death"), 1);

    AddRocket(100, 105, 0, 50);
    PutUfo(100, 95, 0.4f);
    WalkRockets();
    EXPECT_EQ(game().ufo.alive, 0);
    EXPECT_TRUE(game().rocket_list.Empty());
    EXPECT_EQ(game().player.score, 2 * 150 + 2 * 300);
    EXPECT_EQ(game().points_list.Objects().back()->str, "600");
}

TEST_F(UfoTest, MineOnTheFriesPaysLikeTheUfoAndBurstsTheFry) {
    game().player.level = 2;
    PutUfo(500, 400, 0.6f);
    PutFry(203, 198);
    AddMine(200, 200);
    WalkMines();
    EXPECT_EQ(game().ufo.fry_alive, 0);
    EXPECT_EQ(game().ufo.alive, 1);
    EXPECT_TRUE(game().mine_list.Empty());
    EXPECT_EQ(game().player.score, 300);
    ASSERT_EQ(game().points_list.Count(), 1);
    EXPECT_EQ(game().points_list.First()->str, "300");
    EXPECT_EQ(game().particle_list.Count(), 15);
    EXPECT_EQ(game().explosion_list.Count(), 1);
    EXPECT_TRUE(game().shipbits_list.Empty());
    EXPECT_EQ(Sounds(game(), "death"), 1);
}

TEST_F(UfoTest, OneRocketCanEndTheUfoAndItsFryTogether) {
    game().player.level = 2;
    PutUfo(300, 200, 0.6f);
    PutFry(302, 193);
    AddRocket(300, 200, 0, 50);
    AddRocket(50, 50, 0, 50);
    WalkRockets();
    EXPECT_EQ(game().ufo.alive, 0);
    EXPECT_EQ(game().ufo.fry_alive, 0);
    EXPECT_EQ(game().rocket_list.Count(), 1);
    EXPECT_EQ(game().player.score, 600);
    EXPECT_EQ(game().points_list.Count(), 2);
    EXPECT_EQ(Sounds(game(), "death"), 2);
}

TEST_F(UfoTest, GoneUfoAndFryAreNotHitByMinesOrRockets) {
    PutUfo(300, 200, 0.6f);
    PutFry(300, 200);
    game().ufo.alive = 0;
    game().ufo.fry_alive = 0;
    AddMine(300, 200);
    AddRocket(300, 205, 0, 50);
    WalkMines();
    WalkRockets();
    EXPECT_EQ(game().mine_list.Count(), 1);
    EXPECT_EQ(game().rocket_list.Count(), 1);
    EXPECT_EQ(game().player.score, 0);
    EXPECT_TRUE(game().sound.frame_sounds.empty());
}

}  // namespace
