#pragma once

class Game;

// The automatic power-up the ship carries: 0 None, 1 Shield, 2 Gun Sat,
// 3 Hologram, 4 Tri-Force.
struct autopow_tag {
    float x = 0, y = 0;
    float rotation = 0;
    int ptype = 0;

    // Re-arms the one automatic power-up with kind p.
    static void Create(Game& game, int p);
    void update(Game& game, int fire);
};
