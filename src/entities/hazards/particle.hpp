#pragma once

class Game;

// One spark.
struct particle_tag {
    float x = 0, y = 0;
    float direction = 0;
    float rotation = 0;
    float scale = 0;
    float speed = 0;
    float alpha = 0;

    static void Create(Game& game, float x, float y, int count);
    void update(Game& game);
};
