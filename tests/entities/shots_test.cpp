#include "entities/player/shipshot.hpp"
#include "entities/player/shiptrail.hpp"

#include <gtest/gtest.h>

#include "game/game.hpp"
#include "support/game_harness.hpp"

namespace {

class ShotTest : public ::testing::Test {
protected:
    ShotTest() { game.sound.frame_sounds.clear(); }
    int Walk() {
        game.shiptrail_list.Walk([this](shiptrail_tag& dot) { dot.update(game); });
        return game.shipshot_list.Walk([this](shipshot_tag& shot) { shot.update(game); });
    }
    shipshot_tag& Shot() { return *game.shipshot_list.First(); }

    GameHarness h;
    Game& game = h.game;
};

TEST_F(ShotTest, UnhitShotLastsSixtyFourUpdatesAndWrapsJustOffTheEdges) {
    shipshot_tag::Create(game, 100, 240, 90);
    int updates = 0;
    do {
        Walk();
        ++updates;
    } while (game.shipshot_list.Count() > 0 && updates < 100);
    EXPECT_EQ(updates, 64);

    shipshot_tag::Create(game, 642.5f, 474.5f, 0);
    Walk();
    EXPECT_EQ(Shot().x, -2.0f);
    Shot().y = 2.5f;
    Walk();
    EXPECT_EQ(Shot().y, 482.0f);
}

TEST_F(ShotTest, ShotDownsTheUfoAndItsFriesTogether) {
    game.player.level = 3;
    game.ufo = ufo_tag{
        .x = 300, .y = 200, .scale = 0.6f, .fry_alive = 1, .fry_x = 300, .fry_y = 200, .fry_scale = 1, .alive = 1};
    shipshot_tag::Create(game, 300, 208, 0);
    Walk();
    EXPECT_EQ(game.shipshot_list.Count(), 0);
    EXPECT_EQ(game.ufo.alive, 0);
    EXPECT_EQ(game.ufo.fry_alive, 0);
    EXPECT_EQ(game.player.score, 450);
    ASSERT_EQ(game.points_list.Count(), 1);
    EXPECT_EQ(game.points_list.First()->str, "450");
    EXPECT_EQ(game.particle_list.Count(), 15);
    EXPECT_EQ(game.shipbits_list.First()->ufo_hit, 1);
    EXPECT_EQ(game.sound.frame_sounds, (std::vector<std::string>{"death", "burghit"}));

    // Any other UFO size is worth twice as much.
    game.ufo = ufo_tag{.x = 300, .y = 200, .scale = 0.4f, .alive = 1};
    shipshot_tag::Create(game, 300, 208, 0);
    Walk();
    EXPECT_EQ(game.player.score, 450 + 900);
}

TEST_F(ShotTest, TrailDotStartsBehindTheShipDriftsAwayAndLastsOneHundredAndOneUpdates) {
    shiptrail_tag::Create(game, 320, 240, 90);
    shiptrail_tag& dot = *game.shiptrail_list.First();
    EXPECT_GE(dot.x, 303.0f);
    EXPECT_LT(dot.x, 307.0f);
    float start = dot.x;
    Walk();
    EXPECT_FLOAT_EQ(dot.x, start - 0.5f);
    int updates = 1;
    for (; game.shiptrail_list.Count() > 0 && updates < 200; ++updates) Walk();
    EXPECT_EQ(updates, 101);
}

}  // namespace
