#include "entities/hazards/ufo.hpp"

#include <string>

#include "entities/hazards/crossing.hpp"
#include "entities/playfield.hpp"
#include "game/game.hpp"
#include "platform/video/collision.hpp"

namespace {

// Out of the sky: the hum goes with it.
void Leave(Game& game, ufo_tag& ufo) {
    ufo.alive = 0;
    game.sound.StopUfoHum();
}

// Whether the frame of `image` placed so touches the UFO, or its fry.
bool TouchesUfo(Game& game, const ufo_tag& ufo, TImage& image, float x, float y, int frame, float rotation,
                float scale_x, float scale_y) {
    return game.services.collision.ImagesCollide(image, Pixel(x), Pixel(y), frame, rotation, scale_x, scale_y,
                                                 *game.images.ufo_img, Pixel(ufo.x), Pixel(ufo.y), 0, ufo.rotation,
                                                 ufo.scale, ufo.scale) != 0;
}

bool TouchesFry(Game& game, const ufo_tag& ufo, TImage& image, float x, float y, int frame, float rotation,
                float scale_x, float scale_y) {
    return game.services.collision.ImagesCollide(image, Pixel(x), Pixel(y), frame, rotation, scale_x, scale_y,
                                                 *game.images.fries_img, Pixel(ufo.fry_x), Pixel(ufo.fry_y), 0,
                                                 ufo.fry_rot, ufo.fry_scale, ufo.fry_scale) != 0;
}

// The points of bringing it (or its fry) down, with their popup at (x, y).
void Pay(Game& game, const ufo_tag& ufo, float x, float y) {
    int award = ufo.points(game);
    game.player.score += award;
    points_tag::Create(game, x, y, std::to_string(award));
}

}  // namespace

void ufo_tag::Create(Game& game) {
    ufo_tag& ufo = game.ufo;
    Random& random = game.random;
    int side = static_cast<int>(random.RandomReal(0, 2));
    ufo.alive = 1;
    ufo.y = static_cast<float>(random.RandomReal(25, 455));
    ufo.fry_alive = 0;
    ufo.rel_tmr = CrossingDelay(random);
    ufo.scale = 0.6f;
    if (game.player.level >= 5) {
        ufo.scale = static_cast<int>(random.RandomReal(0, 2)) == 1 ? 0.6f : 0.4f;
    }
    if (side == 1) {
        ufo.x = 667;
        ufo.direction = static_cast<float>(random.RandomReal(220, 320));
    } else {
        ufo.x = -26;
        ufo.direction = static_cast<float>(random.RandomReal(40, 140));
    }
    game.sound.StartUfoLoop();
}

void ufo_tag::step(Game& game) {
    if (fry_alive) fry_update(game);
    if (alive) {
        update(game);
    } else {
        rel_tmr -= 1;
        if (rel_tmr <= 0) Create(game);
    }
}

void ufo_tag::destroy(Game& game, bool fries_burst) {
    Leave(game, *this);
    shipbits_tag::Create(game, x, y, 1);
    if (fries_burst) particle_tag::Create(game, fry_x, fry_y, 15);
    explosion_tag::Create(game, x, y, scale, 0.01f);
}

// Every test below runs even once an earlier one has ended the UFO: a UFO
// that rams the ship inside the smart-bomb ring is destroyed twice.
void ufo_tag::update(Game& game) {
    Graphics& gfx = game.services.graphics;
    TImage& ufo_img = *game.images.ufo_img;

    double step = scale == 0.4f ? 4.0 : 2.0;
    MoveAlong(x, y, direction, step);

    gfx.SetBlend(BLEND_MASK);
    gfx.SetRotation(rotation);
    gfx.SetScale(scale, scale);
    gfx.DrawImage(ufo_img, x, y, 0);
    gfx.SetRotation(0);
    gfx.SetScale(1, 1);

    // The fries leave along the sprite's angle, not at the ship.
    if (fry_alive == 0) {
        fry_alive = 1;
        fry_x = x;
        fry_y = y;
        fry_dir = rotation;
        fry_rot = rotation;
        fry_scale = scale;
    }

    // At a margin the heading turns towards the horizontal, once per frame
    // for as long as the UFO is still beyond it.
    if (y < 25) {
        y = 25;
        if (direction > 180) {
            direction -= 30;
        } else {
            direction += 30;
        }
    }
    if (y > 455) {
        y = 455;
        if (direction > 180) {
            direction += 30;
        } else {
            direction -= 30;
        }
    }

    if (x > 667 || x < -26) Leave(game, *this);

    if (direction > 180) {
        rotation -= 3;
    } else {
        rotation += 3;
    }

    player_tag& player = game.player;
    if (player.vulnerable(game) && player.touches(game, ufo_img, x, y, 0, rotation, scale, scale)) {
        // Ramming the ship destroys the UFO without points, shield or not.
        bool shielded = game.autopow.ptype == kAutoShield;
        destroy(game);
        player.ship_hit(game);
        if (shielded) game.sound.PlaySfx(game.sound.death_snd);
    }

    if (game.trigpow.ring_touches(game, ufo_img, x, y, rotation, scale)) {
        destroy(game);
        Pay(game, *this, x, y);
    }
}

void ufo_tag::fry_update(Game& game) {
    Graphics& gfx = game.services.graphics;
    TImage& fries_img = *game.images.fries_img;

    MoveAlong(fry_x, fry_y, fry_dir, 6);

    gfx.SetBlend(BLEND_MASK);
    gfx.SetRotation(fry_rot);
    gfx.SetScale(fry_scale, fry_scale);
    gfx.DrawImage(fries_img, fry_x, fry_y, 0);
    gfx.SetRotation(0);
    gfx.SetScale(1, 1);

    if (fry_dir > 180) {
        fry_rot -= 5;
    } else {
        fry_rot += 5;
    }

    if (fry_x < -9 || fry_x > 649) fry_alive = 0;
    if (fry_y < -15 || fry_y > 495) fry_alive = 0;

    player_tag& player = game.player;
    if (player.vulnerable(game) && player.touches(game, fries_img, fry_x, fry_y, 0, fry_rot, fry_scale, fry_scale)) {
        fry_alive = 0;
        // The fry bursts before the ship's wreck takes its random numbers.
        particle_tag::Create(game, fry_x, fry_y, 15);
        player.ship_hit(game);
    }

    if (game.trigpow.ring_touches(game, fries_img, fry_x, fry_y, fry_rot, fry_scale)) {
        fry_alive = 0;
        particle_tag::Create(game, fry_x, fry_y, 15);
    }
}

// Both tests are made, so one weapon can bring down the UFO and its fry.
bool ufo_tag::hit_by_shot(Game& game, const shipshot_tag& shot) {
    TImage& image = *game.images.shot_img;
    bool hit = false;
    if (alive != 0 && TouchesUfo(game, *this, image, shot.x, shot.y, 0, shot.direction, shot.scale, shot.scale)) {
        hit = true;
        destroy(game);
        game.sound.PlaySfx(game.sound.death_snd);
        Pay(game, *this, x, y);
    }
    if (fry_alive != 0 && TouchesFry(game, *this, image, shot.x, shot.y, 0, shot.direction, shot.scale, shot.scale)) {
        hit = true;
        fry_alive = 0;
        particle_tag::Create(game, fry_x, fry_y, 15);
        game.sound.PlaySfx(game.sound.burghit_snd);
    }
    return hit;
}

bool ufo_tag::hit_by_blast(Game& game, int frame, float weapon_x, float weapon_y, float weapon_rotation) {
    TImage& image = *game.images.icons_img;
    bool hit = false;
    if (alive != 0 && TouchesUfo(game, *this, image, weapon_x, weapon_y, frame, weapon_rotation, 1, 1)) {
        hit = true;
        destroy(game);
        game.sound.PlaySfx(game.sound.death_snd);
        Pay(game, *this, weapon_x, weapon_y);
    }
    if (fry_alive != 0 && TouchesFry(game, *this, image, weapon_x, weapon_y, frame, weapon_rotation, 1, 1)) {
        hit = true;
        fry_alive = 0;
        game.sound.PlaySfx(game.sound.death_snd);
        // A fry is worth what its UFO is worth.
        Pay(game, *this, weapon_x, weapon_y);
        particle_tag::Create(game, fry_x, fry_y, 15);
        explosion_tag::Create(game, weapon_x, weapon_y, fry_scale, 0.02f);
    }
    return hit;
}

void ufo_tag::reset(Game& game) {
    fry_alive = 0;
    if (alive) Leave(game, *this);
    rel_tmr = CrossingDelay(game.random);
}

void ufo_tag::pause_hum(Game& game) {
    if (alive) game.sound.StopUfoHum();
}

void ufo_tag::resume_hum(Game& game) {
    if (alive) game.sound.StartUfoLoop();
}

int ufo_tag::points(const Game& game) const { return game.player.level * (scale == 0.6f ? 150 : 300); }
