#include "entities/player/shiptrail.hpp"

#include <memory>

#include "game/game.hpp"

void shiptrail_tag::Create(Game& game, float x, float y, float direction) {
    // 15 pixels behind the tail, jittered by up to 2 pixels either way.
    const double behind_x = x - SinDeg(direction) * 15;
    const double behind_y = y + CosDeg(direction) * 15;
    const double jitter_x = game.random.RandomReal(0, 4);
    const double jitter_y = game.random.RandomReal(0, 4);
    auto dot = std::make_unique<shiptrail_tag>();
    dot->x = static_cast<float>(behind_x - 2 + jitter_x);
    dot->y = static_cast<float>(behind_y - 2 + jitter_y);
    dot->alpha = 1.0f;
    dot->direction = direction;
    game.shiptrail_list.Add(std::move(dot));
}

void shiptrail_tag::update(Game& game) {
    Graphics& gfx = game.services.graphics;
    gfx.SetBlend(BLEND_ALPHA);
    gfx.SetAlpha(alpha);
    gfx.SetColor(200, 200, 200);
    x = static_cast<float>(x - SinDeg(direction) * 0.5);
    y = static_cast<float>(y + CosDeg(direction) * 0.5);
    gfx.Plot(x, y);
    gfx.SetColor(255, 255, 255);
    gfx.SetAlpha(1.0f);
    gfx.SetBlend(BLEND_MASK);

    alpha -= 0.01f;
    if (alpha <= 0) game.shiptrail_list.Remove(this);
}
