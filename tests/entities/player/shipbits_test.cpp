#include "entities/player/shipbits.hpp"

#include <gtest/gtest.h>

#include "game/game.hpp"
#include "support/game_harness.hpp"

namespace {

TEST(ShipBitsTest, FortyPiecesFromOnePointFadeOverOneHundredAndOneUpdates) {
    GameHarness h;
    Game& game = h.game;
    shipbits_tag::Create(game, 100, 100, 0);
    shipbits_tag::Create(game, 100, 100, 7);
    ASSERT_EQ(game.shipbits_list.Count(), 80);
    auto pieces = game.shipbits_list.Objects();
    EXPECT_EQ(pieces[39]->ufo_hit, 0);
    EXPECT_EQ(pieces[40]->ufo_hit, 1);
    EXPECT_NE(pieces[0]->direction, pieces[1]->direction);
    for (shipbits_tag* bit : pieces) {
        EXPECT_EQ(bit->x, 100.0f);
        EXPECT_TRUE(bit->speed >= 1 && bit->speed < 3);
        EXPECT_TRUE(bit->scale >= 0.1f && bit->scale < 0.4f);
    }
    int updates = 0;
    while (game.shipbits_list.Count() > 0 && updates < 200) {
        UpdateAll(game, game.shipbits_list);
        ++updates;
    }
    EXPECT_EQ(updates, 101);
    EXPECT_EQ(game.services.graphics.state().color_green, 255);
}

}  // namespace
