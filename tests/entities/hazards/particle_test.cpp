#include "entities/hazards/particle.hpp"

#include <gtest/gtest.h>

#include "game/game.hpp"
#include "support/fade_out.hpp"
#include "support/game_harness.hpp"

namespace {

TEST(ParticleTest, SparksOfAPositiveCountFadeOverOneHundredAndOneUpdates) {
    GameHarness h;
    particle_tag::Create(h.game, 10, 20, 0);
    particle_tag::Create(h.game, 10, 20, -1);
    EXPECT_TRUE(h.game.particle_list.Empty());
    particle_tag::Create(h.game, 10, 20, 3);
    EXPECT_EQ(WalksUntilEmpty(h.game, h.game.particle_list), 101);
}

TEST(ParticleTest, SparkTurnsOneWayUpToHeading180AndTheOtherPastIt) {
    GameHarness h;
    particle_tag::Create(h.game, 320, 240, 2);
    auto sparks = h.game.particle_list.Objects();
    sparks[0]->direction = 180;
    sparks[1]->direction = 180.5f;
    for (particle_tag* spark : sparks) spark->update(h.game);
    EXPECT_EQ(sparks[0]->rotation, 5.0f);
    EXPECT_EQ(sparks[1]->rotation, -5.0f);
}

}  // namespace
