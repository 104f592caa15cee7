#pragma once

class Game;
class TImage;

// The ship, and the game counters that travel with it.
struct player_tag {
    float x = 0, y = 0;
    float rotation = 0;
    float direction = 0;
    float speed = 0;
    int frame = 0;
    int frame_ctr = 0;
    int shoot_tmr = 0;  // not used by anything
    int score = 0;
    int lives = 0;
    int level = 0;
    int best = 0;
    int thrust_on = 0;
    int gsat_tmr = 0;
    int gsfire = 0;
    int shot_tmr = 0;
    int sfired = 0;
    float shieldrot = 0;
    int shieldhits = 0;
    int hspace_ctr = 0;
    int flash_on = 0;
    float flash_alpha = 0;
    int death_tmr = 0;

    int update(Game& game);
    int reset_ship(Game& game, int full);
    int get_inputs(Game& game);

    // Hazards may only touch the ship while this holds.
    bool vulnerable(const Game& game) const;
    // What a hazard does when it touches the vulnerable ship: the shield
    // takes the hit, or the ship is lost.
    void ship_hit(Game& game);
    // Does this image, placed so, touch the ship's footprint?
    int touches(Game& game, TImage& image, float x, float y, int frame, float rotation, float scale_x, float scale_y);
};
