#include "entities/hazards/powerup.hpp"

#include <iterator>

#include "entities/hazards/crossing.hpp"
#include "entities/player/power_kinds.hpp"
#include "game/game.hpp"

namespace {

// What each pickup frame gives, from frame 5 on.
struct Pickup {
    bool trigger;
    int kind;
};
constexpr Pickup kPickups[] = {
    {false, kAutoShield},   {false, kAutoGunSat},       {true, kTriggerMines},     {false, kAutoHologram},
    {true, kTriggerRocket}, {true, kTriggerArmageddon}, {true, kTriggerSmartBomb},
};
constexpr int kFirstPickupFrame = 5;

// Gives the ship what the pickup's frame shows and names it in a popup.
void Grant(Game& game, int frame, float x, float y) {
    int index = frame - kFirstPickupFrame;
    if (index < 0 || index >= static_cast<int>(std::size(kPickups))) return;
    const Pickup& pickup = kPickups[index];
    if (pickup.trigger) {
        trigpow_tag::Create(game, pickup.kind);
        points_tag::Create(game, x, y, kTriggerKinds[pickup.kind].pickup_text);
        return;
    }
    // A second Hologram upgrades it; any other holding is replaced.
    int kind = pickup.kind == kAutoHologram && game.autopow.ptype == kAutoHologram ? kAutoTriForce : pickup.kind;
    autopow_tag::Create(game, kind);
    points_tag::Create(game, x, y, kAutoKinds[kind].pickup_text);
}

}  // namespace

void powerup_tag::Create(Game& game) {
    powerup_tag& powerup = game.powerup;
    Random& random = game.random;
    int side = static_cast<int>(random.RandomReal(0, 2));
    powerup.y = static_cast<int>(random.RandomReal(25, 455));
    if (side == 0) {
        powerup.x = 648;
        powerup.xstp = -1;
    } else {
        powerup.x = -8;
        powerup.xstp = 1;
    }
    powerup.alive = 1;
    powerup.alpha = 1.0f;
    powerup.scale = 0.1f;
    powerup.frame = static_cast<int>(5 + random.RandomReal(0, 7));
    powerup.counter = CrossingDelay(random);
}

void powerup_tag::step(Game& game) {
    if (alive) {
        update(game);
    } else {
        counter -= 1;
        if (counter <= 0) Create(game);
    }
}

void powerup_tag::update(Game& game) {
    Graphics& gfx = game.services.graphics;
    x += xstp;
    float draw_x = static_cast<float>(x);
    float draw_y = static_cast<float>(y);

    gfx.SetBlend(BLEND_MASK);
    gfx.DrawImage(*game.images.icons_img, draw_x, draw_y, frame);

    gfx.SetBlend(BLEND_ALPHA);
    gfx.SetAlpha(alpha);
    gfx.SetColor(255, 0, 0);
    gfx.SetScale(scale, scale);
    gfx.DrawImage(*game.images.ring_img, draw_x, draw_y, 0);
    gfx.SetScale(1, 1);
    gfx.SetAlpha(1.0f);
    gfx.SetColor(255, 255, 255);
    gfx.SetBlend(BLEND_MASK);

    // Every pickup ball has the same round outline, so frame 5 stands in for
    // all of them.
    if (game.game_over == 0 && game.player.death_tmr == 0 && game.warp_on == 0 &&
        game.player.touches(game, *game.images.icons_img, draw_x, draw_y, 5, 0, 1, 1)) {
        alive = 0;
        game.sound.PlaySfx(game.sound.powerup_snd);
        Grant(game, frame, draw_x, draw_y);
    }

    scale += 0.005f;
    alpha -= 0.02f;
    if (!(alpha > 0)) {
        alpha = 1.0f;
        scale = 0.1f;
    }

    // The right-hand limit lies far beyond the playfield: a pickup leaving
    // that way drifts on unseen for some 400 frames before it is done.
    if (x < -25 || x > 1049) alive = 0;
}
