#pragma once

class Game;

struct shipshot_tag {
    float x = 0, y = 0;
    float direction = 0;
    float scale = 0;

    static void Create(Game& game, float x, float y, float direction);
    void update(Game& game);
};
