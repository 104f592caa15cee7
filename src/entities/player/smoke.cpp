#include "entities/player/smoke.hpp"

#include <memory>

#include "game/game.hpp"

void smoke_tag::Create(Game& game, float x, float y) {
    auto puff = std::make_unique<smoke_tag>();
    puff->x = x;
    puff->y = y;
    puff->scale = 0.1f;
    puff->alpha = 0.8f;
    puff->color = 50;
    puff->rotation = static_cast<float>(game.random.RandomReal(0, 360));
    game.smoke_list.Add(std::move(puff));
}

void smoke_tag::update(Game& game) {
    Graphics& gfx = game.services.graphics;
    gfx.SetBlend(BLEND_ALPHA);
    gfx.SetAlpha(alpha);
    gfx.SetColor(color, color, 255);
    gfx.SetTransform(rotation, scale, scale);
    gfx.DrawImage(*game.images.icons_img, x, y, 4);
    gfx.SetTransform(0, 1.0f, 1.0f);
    gfx.SetAlpha(1.0f);
    gfx.SetBlend(BLEND_MASK);
    gfx.SetColor(255, 255, 255);

    alpha -= 0.01f;
    scale += 0.04f;
    if (alpha <= 0) game.smoke_list.Remove(this);
    color += 2;
    if (color > 255) color = 255;
}
