#pragma once

class Game;

// One explosion flash.
struct explosion_tag {
    float x = 0, y = 0;
    float rotation = 0;
    float alpha = 0;
    float a_step = 0;
    float scale = 0;

    static void Create(Game& game, float x, float y, float scale, float a_step);
    void update(Game& game);
};
