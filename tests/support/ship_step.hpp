#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "game/game.hpp"
#include "game/screens.hpp"
#include "support/game_harness.hpp"

// A game in play with the ship at the centre, run through the part of the
// playing frame the power-ups take part in: the burgers (which meet the
// smart-bomb ring), the shots, then the ship step.
class ShipStepTest : public ::testing::Test {
protected:
    ShipStepTest() {
        h.StartPlaying();
        game.warp_on = 0;
        game.burger_list.Clear();
        // Start-up has already read this frame's input; taps land from the
        // next frame on.
        RunFrames(1);
    }

    void RunFrames(int count) {
        for (int i = 0; i < count; ++i) {
            h.input.BeginFrame(++frame_);
            game.sound.frame_sounds.clear();
            UpdateAll(game, game.burger_list);
            UpdateAll(game, game.shipshot_list);
            ShipStep(game);
        }
    }

    // Shots made in the frame just run: they come after the shot walk and so
    // are still at their starting scale.
    std::vector<shipshot_tag*> NewShots() {
        std::vector<shipshot_tag*> fresh;
        for (shipshot_tag* shot : game.shipshot_list.Objects()) {
            if (shot->scale == 2.0f) fresh.push_back(shot);
        }
        return fresh;
    }

    GameHarness h;
    Game& game = h.game;
    player_tag& ship = h.game.player;
    int frame_ = 1000;
};
