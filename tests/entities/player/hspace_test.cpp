#include "entities/player/hspace.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "game/game.hpp"
#include "support/game_harness.hpp"

namespace {

TEST(HspaceTest, EighteenPieceSwirlCentresOnTheMovingShipForFiftyOneUpdates) {
    GameHarness h;
    Game& game = h.game;
    hspace_tag::Create(game, 320, 240);
    auto pieces = game.hspace_list.Objects();
    ASSERT_EQ(pieces.size(), 18u);
    EXPECT_EQ(pieces[17]->rotation, 340.0f);
    int updates = 0;
    while (game.hspace_list.Count() > 0 && updates < 100) {
        game.player.x += 3;
        float dist = game.hspace_list.First()->dist;
        UpdateAll(game, game.hspace_list);
        ++updates;
        for (hspace_tag* piece : game.hspace_list.Objects())
            EXPECT_NEAR(std::hypot(piece->x - game.player.x, piece->y - game.player.y), dist, 1e-3);
    }
    EXPECT_EQ(updates, 51);
}

}  // namespace
