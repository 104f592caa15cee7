#pragma once

class Game;

// The fries carton and the one fry it may have in the air.
struct ufo_tag {
    float x = 0, y = 0;
    float rotation = 0;
    float direction = 0;
    float scale = 0;
    int fry_alive = 0;
    float fry_x = 0, fry_y = 0;
    float fry_rot = 0;
    float fry_dir = 0;
    float fry_scale = 0;
    int shot_tmr = 0;  // never used
    int alive = 0;
    int rel_tmr = 0;

    // Re-arms the one UFO for its next crossing.
    static void Create(Game& game);
    // The UFO's and its fry's whole frame: they fly, or the countdown to the
    // next crossing runs.
    void step(Game& game);
    void update(Game& game);
    void fry_update(Game& game);
    // Shot down, blown up or rammed: the hum stops and the carton breaks up.
    // With fries_burst a fry bursts at the fry's place as well, in the air or
    // not, between the debris and the flash.
    void destroy(Game& game, bool fries_burst = false);
    // The hum stops while the game is paused and starts again when it
    // resumes, for a UFO in flight.
    void pause_hum(Game& game);
    void resume_hum(Game& game);
    // What shooting it down pays: only the exact normal size (the
    // single-precision 0.6) is worth the lower amount.
    int points(const Game& game) const;
};
