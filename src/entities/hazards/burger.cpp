#include "entities/hazards/burger.hpp"

#include <memory>
#include <string>

#include "entities/playfield.hpp"
#include "game/game.hpp"
#include "platform/video/collision.hpp"

namespace {

// Sizes are reals compared by equality: anything but 1 or 2 counts as small.
int SparkCount(float size) {
    if (size == 1) return 150;
    if (size == 2) return 100;
    return 50;
}

int ShotPoints(float size) {
    if (size == 1) return 30;
    if (size == 2) return 20;
    return 10;
}

void Split(Game& game, const burger_tag& burger) {
    if (burger.size == 1) {
        burger_tag::Create(game, Pixel(burger.x), Pixel(burger.y), 2, 3);
    } else if (burger.size == 2) {
        burger_tag::Create(game, Pixel(burger.x), Pixel(burger.y), 3, 5);
    }
}

void Sparks(Game& game, const burger_tag& burger) {
    particle_tag::Create(game, burger.x, burger.y, SparkCount(burger.size));
}

void AddScore(Game& game, int points) { game.player.score += points; }

void Popup(Game& game, const burger_tag& burger, int points) {
    points_tag::Create(game, burger.x, burger.y, std::to_string(points));
}

}  // namespace

void burger_tag::Create(Game& game, int x, int y, int size, int count) {
    for (int i = 0; i < count; ++i) {
        auto burger = std::make_unique<burger_tag>();
        burger->size = static_cast<float>(size);
        burger->rotation = 0;
        if (burger->size == 1) {
            // Wider than the playfield on purpose: a large burger placed
            // beyond the wrap limits enters from the left or top edge.
            burger->x = static_cast<float>(game.random.RandomReal(0, 1024));
            burger->y = static_cast<float>(game.random.RandomReal(0, 768));
        } else {
            burger->x = static_cast<float>(x);
            burger->y = static_cast<float>(y);
        }
        if (burger->size == 1) {
            burger->scale = 1.0f;
        } else if (burger->size == 2) {
            burger->scale = 0.6f;
        } else {
            burger->scale = 0.3f;
        }
        burger->direction = static_cast<float>(game.random.RandomReal(0, 359));
        if (burger->size == 1) {
            burger->speed = 1.0f;
        } else {
            burger->speed = static_cast<float>(game.random.RandomReal(1.5, 6.5));
        }
        game.burger_list.Add(std::move(burger));
    }
}

// Every test below runs even once an earlier one has taken the burger out of
// the list: a burger hit twice in one frame scores and splits twice.
void burger_tag::update(Game& game) {
    Graphics& gfx = game.services.graphics;
    Collision& collision = game.services.collision;
    TImage& burger_img = *game.images.burger_img;
    int level = game.player.level;

    MoveAlong(x, y, direction, speed);

    gfx.SetBlend(BLEND_MASK);
    gfx.SetRotation(rotation);
    gfx.SetScale(scale, scale);
    gfx.DrawImage(burger_img, x, y, 0);
    gfx.SetRotation(0);
    gfx.SetScale(1, 1);

    if (speed > 2) {
        gfx.SetBlend(BLEND_ALPHA);
        gfx.SetAlpha(static_cast<float>(game.random.RandomReal(0, 0.5)));
        float s = static_cast<float>(scale + game.random.RandomReal(scale, 2.0 * scale));
        float flame_x = static_cast<float>(x - SinDeg(direction) * 30 * s);
        float flame_y = static_cast<float>(y + CosDeg(direction) * 30 * s);
        gfx.SetRotation(direction + 90);
        gfx.SetScale(s, static_cast<float>(s / 1.9));
        gfx.DrawImage(*game.images.flame_img, flame_x, flame_y, 0);
        gfx.SetRotation(0);
        gfx.SetScale(1, 1);
        gfx.SetBlend(BLEND_MASK);
        gfx.SetAlpha(1.0f);
    }

    game.shipshot_list.Walk([&](shipshot_tag& shot) {
        if (!collision.ImagesCollide(*game.images.shot_img, Pixel(shot.x), Pixel(shot.y), 0, shot.direction, shot.scale,
                                     shot.scale, burger_img, Pixel(x), Pixel(y), 0, rotation, scale, scale))
            return;
        game.sound.PlaySfx(game.sound.burghit_snd);
        int points = level * ShotPoints(size);
        AddScore(game, points);
        Sparks(game, *this);
        Popup(game, *this, points);
        Split(game, *this);
        game.shipshot_list.Remove(&shot);
        game.burger_list.Remove(this);
    });

    player_tag& player = game.player;
    if (player.vulnerable(game) && player.touches(game, burger_img, x, y, 0, rotation, scale, scale)) {
        bool shielded = game.autopow.ptype == kAutoShield;
        player.ship_hit(game);
        // Without a shield the ship dies and the burger flies on untouched.
        if (shielded) {
            Sparks(game, *this);
            Split(game, *this);
            game.burger_list.Remove(this);
        }
    }

    if (game.trigpow.ring_touches(game, burger_img, x, y, rotation, scale)) {
        game.burger_list.Remove(this);
        int points = level * 25;
        AddScore(game, points);
        Popup(game, *this, points);
        Sparks(game, *this);
    }

    // A mine or rocket blows the burger up outright: no pieces.
    auto blown_up = [&]() {
        game.burger_list.Remove(this);
        game.sound.PlaySfx(game.sound.death_snd);
        explosion_tag::Create(game, x, y, scale, 0.02f);
        int points = level * 50;
        AddScore(game, points);
        Popup(game, *this, points);
        Sparks(game, *this);
    };
    // Mines and rockets are icons frames 2 and 3; each that touches goes.
    auto struck_by = [&](auto& list, int frame) {
        list.Walk([&](auto& weapon) {
            if (!collision.ImagesCollide(*game.images.icons_img, Pixel(weapon.x), Pixel(weapon.y), frame,
                                         weapon.rotation, 1, 1, burger_img, Pixel(x), Pixel(y), 0, rotation, scale,
                                         scale))
                return;
            list.Remove(&weapon);
            blown_up();
        });
    };
    struck_by(game.mine_list, 2);
    struck_by(game.rocket_list, 3);

    ufo_tag& ufo = game.ufo;
    if (ufo.alive &&
        collision.ImagesCollide(*game.images.ufo_img, Pixel(ufo.x), Pixel(ufo.y), 0, ufo.rotation, ufo.scale, ufo.scale,
                                burger_img, Pixel(x), Pixel(y), 0, rotation, scale, scale)) {
        game.burger_list.Remove(this);
        game.sound.PlaySfx(game.sound.death_snd);
        // The fries burst too, even when none is in the air.
        ufo.destroy(game, true);
        Sparks(game, *this);
        Split(game, *this);
    }

    if (ufo.fry_alive && collision.ImagesCollide(*game.images.fries_img, Pixel(ufo.fry_x), Pixel(ufo.fry_y), 0,
                                                 ufo.fry_rot, ufo.fry_scale, ufo.fry_scale, burger_img, Pixel(x),
                                                 Pixel(y), 0, rotation, scale, scale)) {
        ufo.fry_alive = 0;
        game.burger_list.Remove(this);
        game.sound.PlaySfx(game.sound.burghit_snd);
        particle_tag::Create(game, ufo.fry_x, ufo.fry_y, 15);
        Sparks(game, *this);
        Split(game, *this);
    }

    // The margins are the burger's own size: it leaves one edge completely
    // before it comes back at the other.
    WrapAround(x, -37, 677);
    WrapAround(y, -31, 511);

    if (speed > 1) speed -= 0.02f;

    if (direction < 180) {
        rotation += 0.5f;
    } else {
        rotation -= 0.5f;
    }
}
