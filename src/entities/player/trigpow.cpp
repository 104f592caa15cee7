#include "entities/player/trigpow.hpp"

#include "entities/player/power_kinds.hpp"
#include "entities/playfield.hpp"
#include "game/game.hpp"
#include "platform/video/collision.hpp"

void trigpow_tag::Fire(Game& game) {
    player_tag& player = game.player;
    switch (ptype) {
    case kTriggerHyperspace:
        player.hspace_ctr = 200;
        hspace_tag::Create(game, player.x, player.y);
        game.sound.PlaySfx(game.sound.hyperspc_snd);
        break;
    case kTriggerMines:
        mine_tag::Create(game, player.x, player.y, player.rotation);
        game.sound.PlaySfx(game.sound.shootmine_snd);
        break;
    case kTriggerRocket:
        rocket_tag::Create(game, player.x, player.y, player.rotation);
        game.sound.PlaySfx(game.sound.shootrocket_snd);
        break;
    case kTriggerArmageddon:
        aspin_ctr = 1;
        game.sound.PlaySfx(game.sound.armageddon_snd);
        break;
    case kTriggerSmartBomb:
        sb_alpha = 1.0f;
        sb_scale = 0.2f;
        sb_flash = 1.0f;
        sb_x = player.x;
        sb_y = player.y;
        game.sound.PlaySfx(game.sound.smartbomb_snd);
        break;
    default:
        break;
    }
    // A Smart-Bomb arrives with no uses left and still works once.
    if (ptype != kTriggerHyperspace) {
        uses -= 1;
        if (uses <= 0) {
            uses = 0;
            ptype = kTriggerHyperspace;
        }
    }
}

void trigpow_tag::update(Game& game) {
    player_tag& player = game.player;
    if (aspin_ctr > 0) {
        aspin_ctr += 1;
        player.rotation += 15.0f;
        shipshot_tag::Create(game, player.x, player.y, player.rotation);
        if (aspin_ctr > 72) {
            aspin_ctr = 0;
            player.direction = player.rotation;
        }
    }
    if (sb_scale > 0) {
        Graphics& gfx = game.services.graphics;
        gfx.SetBlend(BLEND_ALPHA);
        gfx.SetAlpha(sb_alpha);
        gfx.SetScale(sb_scale, sb_scale);
        gfx.DrawImage(*game.images.ring_img, sb_x, sb_y, 0);
        gfx.SetAlpha(1.0f);
        gfx.SetScale(1, 1);
        gfx.SetBlend(BLEND_MASK);
        sb_scale += 0.1f;
        sb_alpha -= 0.02f;
        if (sb_scale > 10) sb_scale = 0;
    }
}

void trigpow_tag::draw_flash(Game& game) {
    if (!(sb_flash > 0)) return;
    Graphics& gfx = game.services.graphics;
    gfx.SetColor(255, 255, 255);
    gfx.SetBlend(BLEND_ALPHA);
    gfx.SetAlpha(sb_flash);
    gfx.DrawRect(0, 0, 640, 480);
    sb_flash -= 0.04f;
    gfx.SetAlpha(1.0f);
}

bool trigpow_tag::ring_touches(Game& game, TImage& image, float x, float y, float rotation, float scale) {
    if (sb_scale == 0) return false;
    return game.services.collision.ImagesCollide(*game.images.ring_img, Pixel(sb_x), Pixel(sb_y), 0, 0, sb_scale,
                                                 sb_scale, image, Pixel(x), Pixel(y), 0, rotation, scale, scale) != 0;
}

// The ring, the flash and a running spin are left alone: a new pickup only
// changes what the next trigger press does.
void trigpow_tag::Create(Game& game, int p) {
    if (p < kTriggerHyperspace || p > kTriggerSmartBomb) return;
    trigpow_tag& trigpow = game.trigpow;
    trigpow.ptype = p;
    // Hyper-Space, never used up, leaves the count as it was.
    if (p != kTriggerHyperspace) trigpow.uses = kTriggerKinds[p].uses;
}
