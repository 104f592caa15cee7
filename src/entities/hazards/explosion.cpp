#include "entities/hazards/explosion.hpp"

#include <memory>

#include "game/game.hpp"

void explosion_tag::Create(Game& game, float x, float y, float scale, float a_step) {
    auto flash = std::make_unique<explosion_tag>();
    flash->x = x;
    flash->y = y;
    flash->scale = scale;
    flash->a_step = a_step;
    flash->alpha = 1.0f;
    flash->rotation = static_cast<float>(game.random.RandomReal(0, 360));
    game.explosion_list.Add(std::move(flash));
}

void explosion_tag::update(Game& game) {
    rotation += 2.0f;

    Graphics& gfx = game.services.graphics;
    gfx.SetBlend(BLEND_ALPHA);
    gfx.SetAlpha(alpha);
    gfx.SetRotation(rotation);
    gfx.SetScale(scale, scale);
    gfx.DrawImage(*game.images.explosion_img, x, y, 0);
    gfx.SetRotation(0);
    gfx.SetScale(1, 1);
    gfx.SetBlend(BLEND_MASK);
    gfx.SetAlpha(1.0f);

    alpha -= a_step;
    scale += 0.02f;
    if (!(alpha > 0)) game.explosion_list.Remove(this);
}
