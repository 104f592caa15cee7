#pragma once

class Game;
struct shipshot_tag;

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
    // A ship shot against the UFO, then its fry; true when it hit either and
    // is spent. The UFO pays, with its popup where it was; a fry only bursts.
    bool hit_by_shot(Game& game, const shipshot_tag& shot);
    // A mine or rocket (icons_img `frame`, placed so)
    // against the UFO, then its fry; true when it hit either and is spent.
    // Each pays, with its popup at the weapon, and a fry blows up.
    bool hit_by_blast(Game& game, int frame, float weapon_x, float weapon_y, float weapon_rotation);
    // Gone with the playfield: no UFO, no fry, no hum, and the countdown to
    // the next crossing starts afresh.
    void reset(Game& game);
    // The hum stops while the game is paused and starts again when it
    // resumes, for a UFO in flight.
    void pause_hum(Game& game);
    void resume_hum(Game& game);
    // What shooting it down pays: only the exact normal size (the
    // single-precision 0.6) is worth the lower amount.
    int points(const Game& game) const;
};
