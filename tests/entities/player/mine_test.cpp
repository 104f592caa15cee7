#include "entities/player/mine.hpp"

#include <gtest/gtest.h>

#include <memory>

#include "game/game.hpp"
#include "support/game_harness.hpp"

namespace {

class MineTest : public ::testing::Test {
protected:
    mine_tag& AddMine(float x, float y) {
        auto mine = std::make_unique<mine_tag>();
        mine->x = x, mine->y = y;
        return game.mine_list.Add(std::move(mine));
    }
    void WalkMines() {
        game.mine_list.Walk([this](mine_tag& mine) { mine.update(game); });
    }

    GameHarness h;
    Game& game = h.game;
};

TEST_F(MineTest, DroppedFacingRightSlidesLeftSpinningAndSlowing) {
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

TEST_F(MineTest, WrapsAtItsOwnLimits) {
    mine_tag& mine = AddMine(648.5f, 482.5f);
    mine_tag& low_mine = AddMine(-8.5f, 488.5f);
    WalkMines();
    EXPECT_EQ(mine.x, -8.0f);
    EXPECT_EQ(mine.y, 482.5f);
    EXPECT_EQ(low_mine.x, 648.0f);
    EXPECT_EQ(low_mine.y, -8.0f);
}

}  // namespace
