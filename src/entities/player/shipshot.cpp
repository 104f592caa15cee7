#include "entities/player/shipshot.hpp"

#include <memory>

#include "entities/playfield.hpp"
#include "game/game.hpp"

void shipshot_tag::Create(Game& game, float x, float y, float direction) {
    auto shot = std::make_unique<shipshot_tag>();
    shot->x = x;
    shot->y = y;
    shot->direction = direction;
    shot->scale = 2.0f;
    game.shipshot_list.Add(std::move(shot));
}

void shipshot_tag::update(Game& game) {
    MoveAlong(x, y, direction, 8);

    Graphics& gfx = game.services.graphics;
    gfx.SetBlend(BLEND_MASK);
    gfx.SetTransform(direction, scale, scale);
    gfx.DrawImage(*game.images.shot_img, x, y, 0);
    gfx.SetTransform(0, 1, 1);

    scale -= 0.03f;

    WrapAround(x, -2, 642);
    WrapAround(y, -5, 482);

    // A shot that hits goes on testing, so it can bring down the UFO and its
    // fries at once; it leaves the list once, at the end.
    bool spent = game.ufo.hit_by_shot(game, *this);
    if (scale < 0.1f) spent = true;
    if (spent) game.shipshot_list.Remove(this);
}
