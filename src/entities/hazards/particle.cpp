#include "entities/hazards/particle.hpp"

#include <memory>

#include "game/game.hpp"

void particle_tag::Create(Game& game, float x, float y, int count) {
    for (int i = 0; i < count; ++i) {
        auto spark = std::make_unique<particle_tag>();
        spark->x = x;
        spark->y = y;
        spark->rotation = 0;
        spark->alpha = 1.0f;
        spark->direction = static_cast<float>(game.random.RandomReal(0, 360));
        spark->scale = static_cast<float>(game.random.RandomReal(0.1, 0.4));
        spark->speed = static_cast<float>(game.random.RandomReal(1, 4));
        game.particle_list.Add(std::move(spark));
    }
}

void particle_tag::update(Game& game) {
    MoveAlong(x, y, direction, speed);
    if (direction > 180) {
        rotation -= 5.0f;
    } else {
        rotation += 5.0f;
    }

    Graphics& gfx = game.services.graphics;
    gfx.SetBlend(BLEND_ALPHA);
    gfx.SetAlpha(alpha);
    gfx.SetRotation(rotation);
    gfx.SetScale(scale, scale);
    gfx.DrawImage(*game.images.particle_img, x, y, 0);
    gfx.SetRotation(0);
    gfx.SetScale(1, 1);
    gfx.SetAlpha(1.0f);
    gfx.SetBlend(BLEND_MASK);

    // In single precision 100 steps of 0.01 leave alpha just above 0, so a
    // spark is drawn 101 times.
    alpha -= 0.01f;
    if (!(alpha > 0)) game.particle_list.Remove(this);
}
