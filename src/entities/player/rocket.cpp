#include "entities/player/rocket.hpp"

#include <memory>

#include "entities/playfield.hpp"
#include "game/game.hpp"

void rocket_tag::Create(Game& game, float x, float y, float rotation) {
    for (int n = 0; n < 3; ++n) {
        auto rocket = std::make_unique<rocket_tag>();
        rocket->x = x;
        rocket->y = y;
        rocket->rotation = rotation;
        rocket->rot_step = 0;
        rocket->dist_ctr = static_cast<int>(game.random.RandomReal(0, 25));
        game.rocket_list.Add(std::move(rocket));
    }
}

void rocket_tag::update(Game& game) {
    MoveAlong(x, y, rotation, 5);
    smoke_tag::Create(game, x, y);

    Graphics& gfx = game.services.graphics;
    gfx.SetBlend(BLEND_MASK);
    gfx.SetRotation(rotation);
    gfx.DrawImage(*game.images.icons_img, x, y, 3);
    gfx.SetRotation(0);

    dist_ctr -= 1;
    rotation += rot_step;
    if (dist_ctr <= 0) {
        // The last frame of a leg turns twice by the old step.
        rotation += rot_step;
        dist_ctr = game.random.RandomInt(25, 75);
        rot_step = static_cast<float>(game.random.RandomInt(-3, 3));
    }

    WrapAround(x, -8, 648);
    // Rockets wrap at 482 below, mines at 488.
    WrapAround(y, -8, 482);

    if (game.ufo.hit_by_blast(game, 3, x, y, rotation)) game.rocket_list.Remove(this);
}
