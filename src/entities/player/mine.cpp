#include "entities/player/mine.hpp"

#include <memory>
#include <string>

#include "entities/wrap.hpp"
#include "game/game.hpp"
#include "platform/video/collision.hpp"

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

    if (StrikeUfo(game, 2, x, y, rotation)) game.mine_list.Remove(this);
}

bool StrikeUfo(Game& game, int frame, float x, float y, float rotation) {
    ufo_tag& ufo = game.ufo;
    player_tag& player = game.player;
    Collision& collision = game.services.collision;
    TImage& image = *game.images.icons_img;
    const int weapon_x = static_cast<int>(x);
    const int weapon_y = static_cast<int>(y);
    // Both tests are made, so one weapon can bring down the UFO and its fry.
    bool hit = false;
    if (ufo.alive != 0 && collision.ImagesCollide(image, weapon_x, weapon_y, frame, rotation, 1, 1,
                                                  *game.images.ufo_img, static_cast<int>(ufo.x),
                                                  static_cast<int>(ufo.y), 0, ufo.rotation, ufo.scale, ufo.scale)) {
        hit = true;
        ufo.destroy(game);
        game.sound.PlaySfx(game.sound.death_snd);
        const int points = ufo.points(game);
        player.score += points;
        points_tag::Create(game, x, y, std::to_string(points));
    }
    if (ufo.fry_alive != 0 &&
        collision.ImagesCollide(image, weapon_x, weapon_y, frame, rotation, 1, 1, *game.images.fries_img,
                                static_cast<int>(ufo.fry_x), static_cast<int>(ufo.fry_y), 0, ufo.fry_rot, ufo.fry_scale,
                                ufo.fry_scale)) {
        hit = true;
        ufo.fry_alive = 0;
        game.sound.PlaySfx(game.sound.death_snd);
        // A fry is worth what its UFO is worth.
        const int points = ufo.points(game);
        player.score += points;
        points_tag::Create(game, x, y, std::to_string(points));
        particle_tag::Create(game, ufo.fry_x, ufo.fry_y, 15);
        explosion_tag::Create(game, x, y, ufo.fry_scale, 0.02f);
    }
    return hit;
}
