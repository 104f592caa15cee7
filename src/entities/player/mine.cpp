#include "entities/player/mine.hpp"

#include <memory>

#include "entities/playfield.hpp"
#include "game/game.hpp"

void mine_tag::Create(Game& game, float x, float y, float rotation) {
    auto mine = std::make_unique<mine_tag>();
    mine->x = x;
    mine->y = y;
    mine->speed = 3.0f;
    mine->rotation = rotation;
    mine->direction = rotation - 180.0f;
    game.mine_list.Add(std::move(mine));
}

void mine_tag::update(Game& game) {
    MoveAlong(x, y, direction, speed);

    Graphics& gfx = game.services.graphics;
    gfx.SetBlend(BLEND_MASK);
    gfx.SetRotation(rotation);
    gfx.DrawImage(*game.images.icons_img, x, y, 2);
    gfx.SetRotation(0);

    rotation += speed;
    // Stops slowing just under 0.2 and drifts at that speed for good.
    if (speed > 0.2f) speed -= 0.01f;

    WrapAround(x, -8, 648);
    WrapAround(y, -8, 488);

    if (game.ufo.hit_by_blast(game, 2, x, y, rotation)) game.mine_list.Remove(this);
}
