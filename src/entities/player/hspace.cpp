#include "entities/player/hspace.hpp"

#include <memory>

#include "game/game.hpp"

void hspace_tag::Create(Game& game, float x, float y) {
    for (int piece = 0; piece < 18; ++piece) {
        auto swirl = std::make_unique<hspace_tag>();
        swirl->x = x;
        swirl->y = y;
        swirl->rotation = static_cast<float>(piece * 20);
        swirl->dist = 1.0f;
        swirl->alpha = 1.0f;
        swirl->scale = 1.0f;
        game.hspace_list.Add(std::move(swirl));
    }
}

void hspace_tag::update(Game& game) {
    Graphics& gfx = game.services.graphics;
    gfx.SetBlend(BLEND_ALPHA);
    gfx.SetAlpha(alpha);
    gfx.SetTransform(rotation, scale, scale);
    gfx.SetColor(170, 170, 255);
    gfx.DrawImage(*game.images.icons_img, x, y, 1);
    gfx.SetColor(255, 255, 255);
    gfx.SetTransform(0, 1, 1);
    gfx.SetBlend(BLEND_MASK);
    gfx.SetAlpha(1.0f);

    rotation += 3.5f;
    // Centred on wherever the ship is now, so the swirl follows it.
    const player_tag& player = game.player;
    x = static_cast<float>(player.x + SinDeg(rotation) * dist);
    y = static_cast<float>(player.y - CosDeg(rotation) * dist);
    alpha -= 0.02f;
    dist += 1;
    scale += 0.06f;
    if (alpha <= 0) game.hspace_list.Remove(this);
}
