#pragma once

class Game;

struct mine_tag {
    float x = 0, y = 0;
    float rotation = 0;
    float direction = 0;
    float speed = 0;

    static void Create(Game& game, float x, float y, float rotation);
    void update(Game& game);
};
