#pragma once

class Game;

// The automatic power-up kinds, numbered as the trace and the HUD's name
// table count them.
enum AutoKind : int { kAutoNone = 0, kAutoShield = 1, kAutoGunSat = 2, kAutoHologram = 3, kAutoTriForce = 4 };

// The automatic power-up the ship carries.
struct autopow_tag {
    float x = 0, y = 0;
    float rotation = 0;
    int ptype = 0;

    // Re-arms the one automatic power-up with kind p.
    static void Create(Game& game, int p);
    // Its whole frame ahead of the ship's: the gun-sat timer, the shield's
    // segments, then the satellite or the copies following the ship.
    void update(Game& game);
    // Draws the satellite or the copies where the ship now is; with `fire`
    // each fires a shot.
    void follow(Game& game, int fire);
};
