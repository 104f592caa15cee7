#pragma once

class Game;

struct rocket_tag {
    float x = 0, y = 0;
    float rotation = 0;
    float rot_step = 0;
    int dist_ctr = 0;

    // Launches three.
    static void Create(Game& game, float x, float y, float rotation);
    void update(Game& game);
};
