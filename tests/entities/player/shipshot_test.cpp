#include "entities/player/shipshot.hpp"

#include <gtest/gtest.h>

#include "game/game.hpp"
#include "support/game_harness.hpp"

namespace {

TEST(ShipShotTest, UnhitShotLastsSixtyFourUpdatesAndWrapsJustOffTheEdges) {
    GameHarness h;
    Game& game = h.game;
    auto walk = [&game] { UpdateAll(game, game.shipshot_list); };
    auto shot = [&game]() -> shipshot_tag& { return *game.shipshot_list.First(); };
    shipshot_tag::Create(game, 100, 240, 90);
    int updates = 0;
    do {
        walk();
        ++updates;
    } while (game.shipshot_list.Count() > 0 && updates < 100);
    EXPECT_EQ(updates, 64);

    shipshot_tag::Create(game, 642.5f, 474.5f, 0);
    walk();
    EXPECT_EQ(shot().x, -2.0f);
    shot().y = 2.5f;
    walk();
    EXPECT_EQ(shot().y, 482.0f);
}

}  // namespace
