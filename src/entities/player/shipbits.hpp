#pragma once

class Game;

// One piece of debris of the ship or the UFO.
struct shipbits_tag {
    float x = 0, y = 0;
    float rotation = 0;
    float scale = 0;
    float alpha = 0;
    float speed = 0;
    float direction = 0;
    int ufo_hit = 0;

    // Bursts 40 pieces.
    static void Create(Game& game, float x, float y, int ufo_hit);
    void update(Game& game);
};
