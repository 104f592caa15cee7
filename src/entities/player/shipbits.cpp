#include "entities/player/shipbits.hpp"

#include <memory>

#include "game/game.hpp"

void shipbits_tag::Create(Game& game, float x, float y, int ufo_hit) {
    Random& random = game.random;
    for (int piece = 0; piece < 40; ++piece) {
        auto bit = std::make_unique<shipbits_tag>();
        bit->x = x;
        bit->y = y;
        bit->alpha = 1.0f;
        bit->scale = static_cast<float>(random.RandomReal(0.1, 0.4));
        bit->direction = static_cast<float>(random.RandomReal(0, 360));
        bit->rotation = static_cast<float>(random.RandomReal(0, 360));
        bit->speed = static_cast<float>(random.RandomReal(1, 3));
        bit->ufo_hit = ufo_hit != 0 ? 1 : 0;
        game.shipbits_list.Add(std::move(bit));
    }
}

void shipbits_tag::update(Game& game) {
    MoveAlong(x, y, direction, speed);

    Graphics& gfx = game.services.graphics;
    gfx.SetBlend(BLEND_ALPHA);
    gfx.SetAlpha(alpha);
    if (ufo_hit != 0) {
        gfx.SetColor(255, 50, 50);
    } else {
        gfx.SetColor(255, 255, 255);
    }
    gfx.SetTransform(rotation, scale, scale);
    gfx.DrawImage(*game.images.ship_img, x, y, 0);
    gfx.SetTransform(0, 1, 1);
    gfx.SetAlpha(1.0f);
    gfx.SetBlend(BLEND_MASK);
    gfx.SetColor(255, 255, 255);

    alpha -= 0.01f;
    rotation += 15;
    if (alpha <= 0) game.shipbits_list.Remove(this);
}
