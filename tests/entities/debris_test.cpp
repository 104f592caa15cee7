#include "entities/player/hspace.hpp"
#include "entities/player/shipbits.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "game/game.hpp"
#include "support/game_harness.hpp"

namespace {

class DebrisTest : public ::testing::Test {
protected:
    int Walk() {
        game.hspace_list.Walk([this](hspace_tag& piece) { piece.update(game); });
        return game.shipbits_list.Walk([this](shipbits_tag& bit) { bit.update(game); });
    }

    GameHarness h;
    Game& game = h.game;
};

TEST_F(DebrisTest, FortyPiecesFromOnePointFadeOverOneHundredAndOneUpdates) {
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
        Walk();
        ++updates;
    }
    EXPECT_EQ(updates, 101);
    EXPECT_EQ(game.services.graphics.state().color_green, 255);
}

TEST_F(DebrisTest, EighteenPieceSwirlCentresOnTheMovingShipForFiftyOneUpdates) {
    hspace_tag::Create(game, 320, 240);
    auto pieces = game.hspace_list.Objects();
    ASSERT_EQ(pieces.size(), 18u);
    EXPECT_EQ(pieces[17]->rotation, 340.0f);
    int updates = 0;
    while (game.hspace_list.Count() > 0 && updates < 100) {
        game.player.x += 3;
        float dist = game.hspace_list.First()->dist;
        Walk();
        ++updates;
        for (hspace_tag* piece : game.hspace_list.Objects())
            EXPECT_NEAR(std::hypot(piece->x - game.player.x, piece->y - game.player.y), dist, 1e-3);
    }
    EXPECT_EQ(updates, 51);
}

}  // namespace
