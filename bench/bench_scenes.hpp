#pragma once

// The scenes the frame benchmarks run: the title, quiet play on level 1, level
// 8 just after every burger was shattered, the Armageddon spin over it, and
// the crowded scene with every weapon and hazard at once.

#include "game/shell.hpp"
#include "support/game_harness.hpp"

namespace bench {

enum Scene { kTitle, kQuietLevel1, kLevel8Shattered, kArmageddon, kCrowded };

// Every weapon and hazard at once over the shattered level: 40 mines, 15
// rockets each trailing its 80 puffs of smoke, the UFO with its fries in
// flight, and a smart-bomb ring just set off from the ship.
inline void AddCrowd(Game& game) {
    for (int i = 0; i < 40; ++i)
        mine_tag::Create(game, static_cast<float>(16 * i + 8), static_cast<float>(40 + 97 * i % 400),
                         static_cast<float>(9 * i));
    for (int launch = 0; launch < 5; ++launch) {
        float x = static_cast<float>(60 + 130 * launch);
        rocket_tag::Create(game, x, 420, static_cast<float>(10 * launch));
        for (int rocket = 0; rocket < 3; ++rocket) {
            for (int age = 80; age > 0; --age) {
                smoke_tag::Create(game, x + static_cast<float>(rocket * 3), static_cast<float>(420 + 5 * age));
                smoke_tag& puff = *game.smoke_list.Objects().back();
                puff.alpha = 0.8f - 0.01f * static_cast<float>(age);
                puff.scale = 0.1f + 0.04f * static_cast<float>(age);
                puff.color = 50 + 2 * age;
            }
        }
    }
    ufo_tag::Create(game);
    game.ufo.x = 100;
    game.ufo.y = 200;
    game.ufo.direction = 90;
    game.ufo.scale = 0.6f;
    game.ufo.fry_alive = 1;
    game.ufo.fry_x = 150;
    game.ufo.fry_y = 220;
    game.ufo.fry_dir = 120;
    game.ufo.fry_scale = 0.6f;
    trigpow_tag& trigpow = game.trigpow;
    trigpow.sb_alpha = 1.0f;
    trigpow.sb_scale = 0.2f;
    trigpow.sb_flash = 1.0f;
    trigpow.sb_x = game.player.x;
    trigpow.sb_y = game.player.y;
}

// Puts the harness into the scene; returns once its game is in play.
inline void Prepare(GameHarness& harness, Scene scene) {
    Game& game = harness.game;
    if (scene == kTitle) return;
    harness.StartPlaying();
    // Past the warp-in: the ship is in play.
    harness.RunFrames(251);
    if (scene == kQuietLevel1) return;
    game.player.level = 8;
    game.burger_list.Clear();
    // Eight large burgers broken into their 24 medium and 120 small pieces,
    // with the sparks of every split still flying.
    for (int i = 0; i < 24; ++i) burger_tag::Create(game, 40 + 25 * i, 100 + 10 * (i % 7), 2, 1);
    for (int i = 0; i < 120; ++i) burger_tag::Create(game, 5 * i + 20, 60 + 3 * (i % 100), 3, 1);
    for (int i = 0; i < 8; ++i) particle_tag::Create(game, static_cast<float>(80 * i + 40), 240, 150);
    for (int i = 0; i < 24; ++i) particle_tag::Create(game, static_cast<float>(25 * i + 20), 300, 100);
    if (scene == kArmageddon) game.trigpow.aspin_ctr = 1;
    if (scene == kCrowded) AddCrowd(game);
}

}  // namespace bench
