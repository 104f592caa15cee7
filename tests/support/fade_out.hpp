#pragma once

#include <gtest/gtest.h>

#include "game/game.hpp"

// Updates every object of the list until none is left and returns how many
// walks drew something; each object must leave the drawing state as it found
// it.
template <typename T>
int WalksUntilEmpty(Game& game, EntityList<T>& list) {
    int walks = 0;
    while (!list.Empty() && walks < 1000) {
        UpdateAll(game, list);
        ++walks;
    }
    const TDrawState& state = game.services.graphics.state();
    EXPECT_EQ(state.tform_rot, 0.0f);
    EXPECT_EQ(state.tform_scale_x, 1.0f);
    EXPECT_EQ(state.tform_scale_y, 1.0f);
    EXPECT_EQ(state.color_alpha, 1.0f);
    EXPECT_EQ(state.color_blue, 255);
    EXPECT_EQ(state.blend_mode, BLEND_MASK);
    return walks;
}
