#include "entities/player/player.hpp"

#include "entities/playfield.hpp"
#include "game/game.hpp"
#include "game/keys.hpp"
#include "game/screens.hpp"
#include "platform/input/input.hpp"
#include "platform/video/collision.hpp"

namespace {

constexpr int kMouseLeft = 1;
constexpr int kMouseRight = 2;
constexpr int kJoyPort = 0;

// Each control tries mouse, keyboard, then joystick and stops at the first
// source that answers yes, so a press counted by a later source stays counted
// for a later frame.
bool TurnLeftHeld(Game& game) {
    Input& input = game.services.input;
    return input.MouseX() < 320 || input.KeyDown(kKeyLeft) || input.JoyAxisX(kJoyPort) == game.joy_left;
}

bool TurnRightHeld(Game& game) {
    Input& input = game.services.input;
    return input.MouseX() > 320 || input.KeyDown(kKeyRight) || input.JoyAxisX(kJoyPort) == game.joy_right;
}

bool ThrustHeld(Game& game) {
    Input& input = game.services.input;
    return input.MouseDown(kMouseRight) || input.KeyDown(kKeyUp) || input.JoyAxisY(kJoyPort) == game.joy_up ||
           input.JoyButtonDown(7, kJoyPort);
}

bool FirePressed(Game& game) {
    Input& input = game.services.input;
    return input.MouseHits(kMouseLeft) || input.KeyHits(kKeyLeftControl) || input.JoyButtonHits(0, kJoyPort);
}

// With the right button held (mouse thrust) a left click belongs to the
// trigger, not to the gun.
bool TriggerPressed(Game& game) {
    Input& input = game.services.input;
    return (input.MouseDown(kMouseRight) && input.MouseHits(kMouseLeft)) || input.KeyHits(kKeyLeftAlt) ||
           input.JoyButtonHits(1, kJoyPort) || input.JoyButtonHits(6, kJoyPort);
}

}  // namespace

int player_tag::update(Game& game) {
    if (death_tmr != 0) {
        death_tmr -= 1;
        if (death_tmr == 1) {
            if (lives > 0) {
                reset_ship(game, 1);
            } else {
                death_tmr = 0;
                StartGameOver(game);
            }
        }
        return 0;
    }

    if (speed > 0) {
        speed -= 0.002f;
        // Moves with the already reduced speed, which may just have gone
        // negative and so steps back a little.
        MoveAlong(x, y, direction, speed);
    }
    if (speed < 0) speed = 0;

    Graphics& gfx = game.services.graphics;
    gfx.SetTransform(rotation, 1.0f, 0.6f);
    if (hspace_ctr != 0) {
        hspace_ctr -= 1;
        if (hspace_ctr == 1) {
            hspace_tag::Create(game, x, y);
            game.sound.PlaySfx(game.sound.hyperspc_snd);
        }
        gfx.SetBlend(BLEND_ALPHA);
        gfx.SetAlpha(0.2f);
        gfx.DrawImage(*game.images.ship_img, x, y, frame);
        gfx.SetAlpha(1.0f);
        gfx.SetBlend(BLEND_MASK);
    } else if (flash_on != 0) {
        gfx.SetBlend(BLEND_ALPHA);
        gfx.SetAlpha(flash_alpha);
        gfx.DrawImage(*game.images.ship_img, x, y, frame);
        gfx.SetAlpha(1.0f);
        gfx.SetBlend(BLEND_MASK);
        flash_alpha -= 0.02f;
        if (flash_alpha < 0) flash_alpha = 1.0f;
    } else {
        gfx.SetBlend(BLEND_MASK);
        gfx.DrawImage(*game.images.ship_img, x, y, frame);
    }
    gfx.SetTransform(0, 1, 1);

    WrapAround(x, -8, 658);
    WrapAround(y, -16, 496);
    return 0;
}

int player_tag::reset_ship(Game& game, int full) {
    game.warp_on = 1;
    x = 320;
    y = 240;
    hspace_ctr = 0;
    speed = 0;
    sfired = 0;
    rotation = 0;
    direction = 0;
    flash_on = 1;
    flash_alpha = 1.0f;
    if (full != 0) {
        death_tmr = 0;
        game.trigpow.uses = 0;
        autopow_tag::Create(game, kAutoNone);
        trigpow_tag::Create(game, kTriggerHyperspace);
    }
    game.msg_alpha = 1.0f;
    game.sound.PlaySfx(game.sound.newlvl_snd);
    Input& input = game.services.input;
    input.MoveMouse(320, 240);
    input.FlushMouse();
    input.FlushKeyboard();
    // The game stops while a pad button is held, on purpose: a press from before must not act on the new ship.
    WaitJoyRelease(input);
    return 0;
}

int player_tag::get_inputs(Game& game) {
    if (death_tmr != 0 || game.game_over != 0) return 0;
    if (shot_tmr != 0) shot_tmr -= 1;
    // The update that ends a death countdown starts the warp-in just before
    // this; every control then reads as released, so a joystick held since
    // cannot move the ship that is not there yet.
    const bool controls = game.warp_on == 0;

    Input& input = game.services.input;
    if (controls && TurnLeftHeld(game)) {
        input.MoveMouse(320, 0);
        flash_on = 0;
        rotation -= 5;
        if (rotation < 0) rotation = 360;
    }
    if (controls && TurnRightHeld(game)) {
        input.MoveMouse(320, 0);
        flash_on = 0;
        rotation += 5;
        if (rotation > 360) rotation = 0;
    }

    // The press is taken even when the trigger is busy, and then it is lost.
    trigpow_tag& trigpow = game.trigpow;
    if (controls && TriggerPressed(game) && trigpow.sb_scale == 0 && hspace_ctr == 0 && trigpow.aspin_ctr == 0) {
        flash_on = 0;
        trigpow.Fire(game);
    }

    if (controls && ThrustHeld(game)) {
        flash_on = 0;
        shiptrail_tag::Create(game, x, y, rotation);
        frame_ctr += 1;
        if (frame_ctr > 3) frame_ctr = 0;
        if (thrust_on == 0) {
            game.sound.PlaySfx(game.sound.thrust_snd);
            thrust_on = 1;
        }
        // Plain comparisons without wrap-around at 0/360: facing 5 while
        // moving at 350 counts as thrusting against the motion.
        if (speed > 0.2f && direction > rotation + 45) {
            speed -= 0.01f;
        } else if (speed > 0.2f && direction < rotation - 45) {
            speed -= 0.01f;
        } else {
            speed += 0.02f;
            direction = rotation;
        }
        frame = frame_ctr;
    } else {
        frame = 0;
        thrust_on = 0;
    }

    // No fire query is made during the cooldown, so a press made then waits
    // for the first frame it is allowed.
    if (controls && shot_tmr == 0 && FirePressed(game)) {
        flash_on = 0;
        shot_tmr = 15;
        sfired = 1;
        game.sound.PlaySfx(game.sound.shoot_snd);
        shipshot_tag::Create(game, x, y, rotation);
    }
    return 0;
}

bool player_tag::vulnerable(const Game& game) const {
    return hspace_ctr == 0 && flash_on == 0 && death_tmr == 0 && game.game_over == 0 && game.warp_on == 0;
}

void player_tag::ship_hit(Game& game) {
    if (game.autopow.ptype == kAutoShield) {
        shieldhits -= 125;
        game.sound.PlaySfx(game.sound.shield_snd);
        if (shieldhits <= 1) game.autopow.ptype = kAutoNone;
        return;
    }
    lives -= 1;
    death_tmr = 150;
    autopow_tag::Create(game, kAutoNone);
    game.sound.PlaySfx(game.sound.death_snd);
    shipbits_tag::Create(game, x, y, 0);
    explosion_tag::Create(game, x, y, 0.3f, 0.01f);
}

int player_tag::touches(Game& game, TImage& image, float image_x, float image_y, int image_frame, float image_rotation,
                        float scale_x, float scale_y) {
    return game.services.collision.ImagesCollide(image, Pixel(image_x), Pixel(image_y), image_frame, image_rotation,
                                                 scale_x, scale_y, *game.images.ship_img, Pixel(x), Pixel(y), 0,
                                                 rotation, 1.0f, 0.6f);
}
