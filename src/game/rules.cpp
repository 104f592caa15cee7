#include "game/rules.hpp"

#include "entities/hazards/crossing.hpp"
#include "game/game.hpp"
#include "game/screens.hpp"

namespace {

// Large burgers place themselves, so the position drawn here goes unused;
// it is drawn all the same, as part of the game's sequence of random numbers.
void CreateLargeBurgers(Game& game, int count) {
    int x = game.random.RandomInt(0, 639);
    int y = game.random.RandomInt(0, 479);
    burger_tag::Create(game, x, y, 1, count);
}

}  // namespace

void NewGame(Game& game) {
    game.games_started += 1;
    game.bg_spin = 0.3f;
    game.player.score = 0;
    game.player.lives = 3;
    game.player.level = 1;
    game.best_sound_done = 0;
    game.title_on = 0;
    ClearPhases(game);
    game.ufo.rel_tmr = CrossingDelay(game.random);
    game.powerup.counter = CrossingDelay(game.random);
    CreateLargeBurgers(game, 1);
    game.sound.SwitchMusic(game.sound.music_track);
    game.player.reset_ship(game, 1);
    game.FlushInput();
}

void ClearPlayfield(Game& game) {
    game.powerup.alive = 0;
    game.ufo.reset(game);
    game.shipshot_list.Clear();
    game.burger_list.Clear();
    game.shiptrail_list.Clear();
    game.shield_list.Clear();
    game.shipbits_list.Clear();
    game.explosion_list.Clear();
    game.hspace_list.Clear();
    game.particle_list.Clear();
    game.mine_list.Clear();
    game.rocket_list.Clear();
    game.smoke_list.Clear();
    game.points_list.Clear();
}

void CompleteLevel(Game& game) {
    player_tag& player = game.player;
    float caption_alpha = game.msg_alpha;
    game.bonus_on = 1;
    ClearPlayfield(game);
    game.trigpow.sb_scale = 0;
    player.reset_ship(game, 0);
    if (game.game_over) {
        // With no ship left there is nothing to warp in: the bonus is paid,
        // and the caption runs on through its own 250 frames.
        game.warp_on = 0;
        game.bonus_on = 0;
        game.msg_alpha = caption_alpha;
    }
    player.level += 1;
    game.bg_spin += 0.2f;
    player.score += 250 * player.level;
    if (player.level == 5 || player.level == 15 || player.level == 30) player.lives += 1;
    if (game.bg_spin > 10.0f) game.bg_spin = 10.0f;
    CreateLargeBurgers(game, player.level < 8 ? player.level : 8);
    if (game.sound.music_track == 0) game.sound.SwitchMusic(0);
}

void UpdateBest(Game& game) {
    game.player.best = game.player.score;
    if (!game.best_sound_done) {
        game.best_sound_done = 1;
        game.sound.PlaySfx(game.sound.hscore_snd);
    }
}
