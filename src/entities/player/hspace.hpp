#pragma once

class Game;

// One piece of the hyperspace swirl.
struct hspace_tag {
    float x = 0, y = 0;
    float dist = 0;
    float rotation = 0;
    float alpha = 0;
    float scale = 0;

    // Makes the 18 pieces of one swirl.
    static void Create(Game& game, float x, float y);
    void update(Game& game);
};
