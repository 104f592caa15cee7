#include "entities/player/autopow.hpp"

#include <initializer_list>

#include "game/game.hpp"

void autopow_tag::Create(Game& game, int p) {
    switch (p) {
    case kAutoNone:
    case kAutoGunSat:
    case kAutoHologram:
    case kAutoTriForce:
        game.autopow.ptype = p;
        break;
    case kAutoShield:
        game.player.shieldhits = 255;
        game.autopow.ptype = kAutoShield;
        break;
    default:
        break;
    }
}

void autopow_tag::update(Game& game) {
    player_tag& player = game.player;
    player.gsfire = 0;
    player.shieldrot += 10.0f;
    if (ptype == kAutoGunSat) player.gsat_tmr += 1;
    if ((ptype == kAutoHologram || ptype == kAutoTriForce) && player.sfired == 1) player.gsfire = 1;
    if (player.gsat_tmr >= 40) {
        player.gsfire = 1;
        player.gsat_tmr = 0;
        game.sound.PlaySfx(game.sound.shoot_snd);
    }
    // Without a shield, or in hyperspace, the segments neither move nor fade.
    if (ptype == kAutoShield && player.hspace_ctr == 0) {
        shield_tag::Create(game, player.shieldrot);
        UpdateAll(game, game.shield_list);
    }
    follow(game, player.gsfire);
    player.sfired = 0;
}

void autopow_tag::follow(Game& game, int fire) {
    Graphics& gfx = game.services.graphics;
    const player_tag& player = game.player;
    switch (ptype) {
    case kAutoGunSat: {
        gfx.SetBlend(BLEND_MASK);
        gfx.SetRotation(rotation);
        x = static_cast<float>(player.x + SinDeg(rotation) * 25);
        y = static_cast<float>(player.y - CosDeg(rotation) * 25);
        gfx.DrawImage(*game.images.icons_img, x, y, 0);
        gfx.SetRotation(0);
        rotation += 1.0f;
        // The shot leaves along the already advanced angle, a degree ahead
        // of where the satellite was drawn.
        if (fire) shipshot_tag::Create(game, x, y, rotation);
        break;
    }
    case kAutoHologram: {
        const float a = player.rotation + 180.0f;
        gfx.SetColor(100, 100, 255);
        gfx.SetBlend(BLEND_ALPHA);
        gfx.SetAlpha(0.6f);
        gfx.SetTransform(a, 1.0f, 0.6f);
        x = static_cast<float>(player.x + SinDeg(a) * 10);
        y = static_cast<float>(player.y - CosDeg(a) * 10);
        gfx.DrawImage(*game.images.ship_img, x, y, 0);
        gfx.SetAlpha(1.0f);
        gfx.SetTransform(0, 1.0f, 1.0f);
        gfx.SetColor(255, 255, 255);
        gfx.SetBlend(BLEND_MASK);
        if (fire) shipshot_tag::Create(game, x, y, a);
        break;
    }
    case kAutoTriForce: {
        gfx.SetColor(100, 100, 255);
        gfx.SetBlend(BLEND_ALPHA);
        gfx.SetAlpha(0.6f);
        for (const float a : {player.rotation + 140.0f, player.rotation - 140.0f}) {
            gfx.SetTransform(a, 1.0f, 0.6f);
            x = static_cast<float>(player.x + SinDeg(a) * 12);
            y = static_cast<float>(player.y - CosDeg(a) * 12);
            gfx.DrawImage(*game.images.ship_img, x, y, 0);
            if (fire) shipshot_tag::Create(game, x, y, a);
        }
        gfx.SetAlpha(1.0f);
        gfx.SetTransform(0, 1.0f, 1.0f);
        gfx.SetColor(255, 255, 255);
        gfx.SetBlend(BLEND_MASK);
        break;
    }
    default:
        break;
    }
}
