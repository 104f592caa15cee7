#pragma once

class Game;

// One puff behind a rocket.
struct smoke_tag {
    float x = 0, y = 0;
    float rotation = 0;
    float alpha = 0;
    float scale = 0;
    int color = 0;

    static void Create(Game& game, float x, float y);
    void update(Game& game);
};
