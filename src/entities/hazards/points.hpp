#pragma once

#include <string>

class Game;

// A rising score or power-up popup.
struct points_tag {
    float x = 0, y = 0;
    float scale = 0;
    float alpha = 0;
    std::string str;

    static void Create(Game& game, float x, float y, std::string str);
    void update(Game& game);
};
