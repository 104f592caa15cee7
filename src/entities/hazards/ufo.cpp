#include "entities/hazards/ufo.hpp"

#include <string>

#include "entities/hazards/crossing.hpp"
#include "game/game.hpp"
#include "platform/video/collision.hpp"

namespace {

int Pixel(float coordinate) { return static_cast<int>(coordinate); }

bool InSmartBombRing(Game& game, TImage& image, float x, float y, float rotation, float scale) {
    const trigpow_tag& trigpow = game.trigpow;
    if (trigpow.sb_scale == 0) return false;
    return game.services.collision.ImagesCollide(*game.images.ring_img, Pixel(trigpow.sb_x), Pixel(trigpow.sb_y), 0, 0,
                                                 trigpow.sb_scale, trigpow.sb_scale, image, Pixel(x), Pixel(y), 0,
                                                 rotation, scale, scale) != 0;
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
    alive = 0;
    game.sound.StopUfoHum();
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

    if (x > 667 || x < -26) {
        alive = 0;
        game.sound.StopUfoHum();
    }

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

    if (InSmartBombRing(game, ufo_img, x, y, rotation, scale)) {
        destroy(game);
        int award = points(game);
        player.score += award;
        points_tag::Create(game, x, y, std::to_string(award));
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

    if (InSmartBombRing(game, fries_img, fry_x, fry_y, fry_rot, fry_scale)) {
        fry_alive = 0;
        particle_tag::Create(game, fry_x, fry_y, 15);
    }
}

void ufo_tag::pause_hum(Game& game) {
    if (alive) game.sound.StopUfoHum();
}

void ufo_tag::resume_hum(Game& game) {
    if (alive) game.sound.StartUfoLoop();
}

int ufo_tag::points(const Game& game) const { return game.player.level * (scale == 0.6f ? 150 : 300); }
