#pragma once

class Game;

struct burger_tag {
    float size = 0;  // 1 large, 2 medium, 3 small; a real compared by equality
    float x = 0, y = 0;
    float speed = 0;
    float scale = 0;
    float rotation = 0;
    float direction = 0;

    static void Create(Game& game, int x, int y, int size, int count);
    void update(Game& game);
};
