#include "entities/player/shipshot.hpp"

#include <memory>
#include <string>

#include "entities/wrap.hpp"
#include "game/game.hpp"
#include "platform/video/collision.hpp"

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
    bool spent = false;
    ufo_tag& ufo = game.ufo;
    Collision& collision = game.services.collision;
    const int shot_x = static_cast<int>(x);
    const int shot_y = static_cast<int>(y);
    if (ufo.alive == 1 && collision.ImagesCollide(*game.images.shot_img, shot_x, shot_y, 0, direction, scale, scale,
                                                  *game.images.ufo_img, static_cast<int>(ufo.x),
                                                  static_cast<int>(ufo.y), 0, ufo.rotation, ufo.scale, ufo.scale)) {
        spent = true;
        ufo.destroy(game);
        game.sound.PlaySfx(game.sound.death_snd);
        int points = ufo.points(game);
        game.player.score += points;
        points_tag::Create(game, ufo.x, ufo.y, std::to_string(points));
    }
    if (ufo.fry_alive != 0 &&
        collision.ImagesCollide(*game.images.shot_img, shot_x, shot_y, 0, direction, scale, scale,
                                *game.images.fries_img, static_cast<int>(ufo.fry_x), static_cast<int>(ufo.fry_y), 0,
                                ufo.fry_rot, ufo.fry_scale, ufo.fry_scale)) {
        spent = true;
        ufo.fry_alive = 0;
        particle_tag::Create(game, ufo.fry_x, ufo.fry_y, 15);
        game.sound.PlaySfx(game.sound.burghit_snd);
    }
    if (scale < 0.1f) spent = true;
    if (spent) game.shipshot_list.Remove(this);
}
