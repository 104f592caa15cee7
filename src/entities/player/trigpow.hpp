#pragma once

class Game;

// The trigger power-up: 0 Hyper-Space, 1 Mines, 2 Rocket, 3 Armageddon,
// 4 Smart-Bomb; with the Armageddon spin and the smart-bomb ring and flash it
// sets off.
struct trigpow_tag {
    int ptype = 0;
    int uses = 0;
    int aspin_ctr = 0;
    float sb_x = 0, sb_y = 0;
    float sb_scale = 0;
    float sb_alpha = 0;
    float sb_flash = 0;

    // Re-arms the one trigger power-up with kind p.
    static void Create(Game& game, int p);
};
