#include "entities/player/smoke.hpp"

#include <gtest/gtest.h>

#include "game/game.hpp"
#include "support/game_harness.hpp"

namespace {

TEST(SmokeTest, PuffIsDrawnEightyOneTimesAndNeverReachesTheColourCap) {
    GameHarness h;
    Game& game = h.game;
    smoke_tag::Create(game, 100, 100);
    smoke_tag& puff = *game.smoke_list.First();
    int draws = 0;
    int last_color = 0;
    float last_scale = 0;
    while (!game.smoke_list.Empty() && draws < 200) {
        last_color = puff.color;
        last_scale = puff.scale;
        game.smoke_list.Walk([&game](smoke_tag& s) { s.update(game); });
        ++draws;
    }
    EXPECT_EQ(draws, 81);
    EXPECT_EQ(last_color, 210);
    EXPECT_NEAR(last_scale, 3.3f, 0.01f);
}

}  // namespace
