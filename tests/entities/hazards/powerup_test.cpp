#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/game_harness.hpp"
#include "support/playfield.hpp"

namespace {

class PowerupTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The ship stays out of reach unless a test brings it into play.
        PutShipOutOfPlay(game());
        game().autopow.ptype = 0;
        game().trigpow.ptype = 0;
        game().trigpow.uses = 0;
        game().sound.frame_sounds.clear();
    }

    Game& game() { return h.game; }
    powerup_tag& pickup() { return h.game.powerup; }

    void Float(int x, int y, int xstp, int frame = 5) {
        pickup().alive = 1, pickup().x = x, pickup().y = y, pickup().xstp = xstp;
        pickup().frame = frame, pickup().alpha = 1.0f, pickup().scale = 0.1f;
    }

    // Floats a pickup of this frame onto the ship and lets it be collected.
    void Collect(int frame) {
        PutShipInPlay(game(), 320, 240);
        game().points_list.Clear();
        game().sound.frame_sounds.clear();
        Float(321, 240, -1, frame);
        pickup().update(game());
    }

    int UpdatesUntilGone() {
        int updates = 0;
        while (pickup().alive && updates < 5000) {
            pickup().update(game());
            ++updates;
        }
        return updates;
    }

    GameHarness h;
};

TEST_F(PowerupTest, CreateDrawsSideHeightFrameAndDelayInThatOrder) {
    for (int i = 0; i < 100; ++i) {
        pickup().alpha = 0.3f;
        pickup().scale = 0.3f;
        Random expected = game().random;
        powerup_tag::Create(game());

        int side = static_cast<int>(expected.RandomReal(0, 2));
        EXPECT_EQ(pickup().y, static_cast<int>(expected.RandomReal(25, 455)));
        EXPECT_EQ(pickup().frame, static_cast<int>(5 + expected.RandomReal(0, 7)));
        EXPECT_EQ(pickup().counter, static_cast<int>(250 + expected.RandomReal(0, 1000)));
        EXPECT_EQ(game().random.state(), expected.state());
        EXPECT_EQ(pickup().x, side == 0 ? 648 : -8);
        EXPECT_EQ(pickup().alive, 1);
        EXPECT_EQ(pickup().alpha, 1.0f);
        EXPECT_EQ(pickup().scale, 0.1f);

        // The first drawing is already one step in.
        pickup().update(game());
        EXPECT_EQ(pickup().x, side == 0 ? 647 : -7);
    }
}

TEST_F(PowerupTest, HaloPulsesOverFiftyOneFrames) {
    Float(100, 100, 1);
    float largest = 0;
    int updates = 0;
    do {
        largest = std::max(largest, pickup().scale);
        pickup().update(game());
        ++updates;
    } while (pickup().alpha != 1.0f && updates < 100);
    EXPECT_EQ(updates, 51);
    EXPECT_EQ(pickup().scale, 0.1f);
    EXPECT_NEAR(largest, 0.35f, 1e-4);
}

TEST_F(PowerupTest, EachFrameGrantsOnePowerUpWithOnePopup) {
    struct Case {
        int frame, autopow, trigpow, uses;
        const char* text;
    };
    // Trigger pickups leave the automatic power-up alone.
    const Case cases[] = {
        {5, 1, 0, 0, "Auto: Shield"},    {6, 2, 0, 0, "Auto: Gun Sat"},        {7, 2, 1, 8, "Trigger: Mines"},
        {9, 2, 2, 5, "Trigger: Rocket"}, {10, 2, 3, 3, "Trigger: Armageddon"}, {11, 2, 4, 0, "Auto: Smart Bomb"},
    };
    for (const Case& c : cases) {
        Collect(c.frame);
        EXPECT_EQ(pickup().alive, 0) << c.frame;
        EXPECT_EQ(game().autopow.ptype, c.autopow) << c.frame;
        EXPECT_EQ(game().trigpow.ptype, c.trigpow) << c.frame;
        EXPECT_EQ(game().trigpow.uses, c.uses) << c.frame;
        ASSERT_EQ(PopupTexts(game()), std::vector<std::string>{c.text});
        EXPECT_EQ(game().points_list.Objects()[0]->x, 320.0f) << c.frame;
        EXPECT_EQ(Sounds(game(), "powerup"), 1) << c.frame;
    }
}

TEST_F(PowerupTest, SecondHologramUpgradesToTriForceAndBack) {
    Collect(8);
    EXPECT_EQ(game().autopow.ptype, 3);
    EXPECT_EQ(PopupTexts(game()), std::vector<std::string>{"Auto: Hologram"});

    Collect(8);
    EXPECT_EQ(game().autopow.ptype, 4);
    EXPECT_EQ(PopupTexts(game()), std::vector<std::string>{"Auto: Tri-Force"});

    Collect(8);
    EXPECT_EQ(game().autopow.ptype, 3);
    EXPECT_EQ(PopupTexts(game()), std::vector<std::string>{"Auto: Hologram"});

    // A shield is replaced, not upgraded.
    game().autopow.ptype = 1;
    Collect(8);
    EXPECT_EQ(game().autopow.ptype, 3);
}

TEST_F(PowerupTest, NotCollectedWhileTheShipIsDeadWarpingInOrTheGameIsOver) {
    for (int state = 0; state < 3; ++state) {
        PutShipInPlay(game(), 320, 240);
        if (state == 0) game().player.death_tmr = 80;
        if (state == 1) game().warp_on = 1;
        if (state == 2) game().game_over = 1;
        Float(321, 240, -1, 6);
        pickup().update(game());
        EXPECT_EQ(pickup().alive, 1) << state;
        EXPECT_EQ(game().autopow.ptype, 0) << state;
        EXPECT_TRUE(game().points_list.Empty()) << state;
    }

    // A flashing ship, safe from hazards, still picks things up.
    PutShipInPlay(game(), 320, 240);
    game().player.flash_on = 1;
    Float(321, 240, -1, 6);
    pickup().update(game());
    EXPECT_EQ(pickup().alive, 0);
    EXPECT_EQ(game().autopow.ptype, 2);
}

TEST_F(PowerupTest, LeavingRightKeepsTheNextPickupAwayLonger) {
    Float(648, 240, -1);
    int left_updates = UpdatesUntilGone();
    EXPECT_EQ(pickup().x, -26);

    Float(-8, 240, 1);
    int right_updates = UpdatesUntilGone();
    EXPECT_EQ(pickup().x, 1050);

    EXPECT_EQ(left_updates, 674);
    EXPECT_EQ(right_updates - left_updates, 384);
}

}  // namespace
