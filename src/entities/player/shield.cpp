#include "entities/player/shield.hpp"

#include <memory>

#include "game/game.hpp"

void shield_tag::Create(Game& game, float angle) {
    auto segment = std::make_unique<shield_tag>();
    segment->rotation = angle;
    segment->alpha = 1.0f;
    game.shield_list.Add(std::move(segment));
}

void shield_tag::update(Game& game) {
    Graphics& gfx = game.services.graphics;
    const player_tag& player = game.player;
    gfx.SetRotation(rotation);
    x = static_cast<float>(player.x + SinDeg(rotation) * 18);
    y = static_cast<float>(player.y - CosDeg(rotation) * 18);
    gfx.SetBlend(BLEND_ALPHA);
    gfx.SetAlpha(alpha);
    // White at full strength, pink after one hit, red after two.
    gfx.SetColor(255, player.shieldhits, player.shieldhits);
    gfx.DrawImage(*game.images.icons_img, x, y, 1);
    gfx.SetRotation(0);
    gfx.SetAlpha(1.0f);
    gfx.SetBlend(BLEND_MASK);
    gfx.SetColor(255, 255, 255);

    alpha -= 0.04f;
    if (alpha <= 0) game.shield_list.Remove(this);
}
