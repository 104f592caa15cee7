#pragma once

class Game;
class TImage;

// The trigger power-up kinds, numbered as the trace and the HUD's name table
// count them.
enum TriggerKind : int {
    kTriggerHyperspace = 0,
    kTriggerMines = 1,
    kTriggerRocket = 2,
    kTriggerArmageddon = 3,
    kTriggerSmartBomb = 4
};

// The trigger power-up, with the Armageddon spin and the smart-bomb ring and
// flash it sets off.
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
    // The trigger pressed while nothing is running: what it holds goes off
    // and a use is spent.
    void Fire(Game& game);
    // The Armageddon spin and the smart-bomb ring, after the ship's frame.
    void update(Game& game);
    // The white flash of a smart bomb over the background.
    void draw_flash(Game& game);
    // Whether frame 0 of `image`, placed so, touches the smart-bomb ring
    // while it grows.
    bool ring_touches(Game& game, TImage& image, float x, float y, float rotation, float scale);
};
