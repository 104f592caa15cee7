#pragma once

class Game;

// One segment of the shield ring.
struct shield_tag {
    float x = 0, y = 0;
    float rotation = 0;
    float alpha = 0;

    static void Create(Game& game, float angle);
    void update(Game& game);
};
