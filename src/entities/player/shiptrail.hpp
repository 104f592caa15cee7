#pragma once

class Game;

// One exhaust dot.
struct shiptrail_tag {
    float x = 0, y = 0;
    float direction = 0;
    float alpha = 0;

    static void Create(Game& game, float x, float y, float direction);
    void update(Game& game);
};
