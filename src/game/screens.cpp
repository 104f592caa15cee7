#include "game/screens.hpp"

#include "game/game.hpp"
#include "game/keys.hpp"
#include "game/menu.hpp"
#include "game/rules.hpp"
#include "platform/input/input.hpp"
#include "platform/system/save_session.hpp"
#include "platform/video/collision.hpp"

void TitleScreen(Game& game) {
    game.screen = Screen::Title;
    DrawBackground(game, 0);
    game.services.graphics.SetBlend(BLEND_MASK);
    game.services.graphics.DrawImage(*game.images.title_img, 328, 100, 0);
    // Another tab may have saved a better best score or a new entry.
    if (OthersSaved()) ReadOthersSaves(game);
    if (RunScoreScreens(game)) return;
    RunMenu(game, 1);
    Input& input = game.services.input;
    if (input.KeyHits(kKeyLeftControl) || input.KeyHits(kKeySpace)) {
        StartGame(game);
        game.FlushInput();
    }
}

void PauseScreen(Game& game) {
    game.screen = Screen::Paused;
    Graphics& gfx = game.services.graphics;
    gfx.SetBlend(BLEND_SOLID);
    gfx.SetColor(60, 60, 80);
    gfx.DrawImage(*game.images.pause_img, 0, 0, 0);
    gfx.SetColor(255, 255, 255);
    gfx.SetBlend(BLEND_MASK);
    RunMenu(game, 0);
    Input& input = game.services.input;
    if (input.KeyHits(kKeySpace) || input.JoyButtonHits(2, 0) || input.KeyHits(kKeyLeftControl)) {
        game.paused = 0;
        if (game.ufo.alive) game.sound.StartUfoLoop();
        game.FlushInput();
    }
}

void ShipStep(Game& game) {
    game.autopow.update(game);
    game.player.update(game);
    game.player.get_inputs(game);
    game.trigpow.update(game);
    UpdateAll(game, game.points_list);
}

void PlayingScreen(Game& game) {
    game.screen = Screen::Playing;
    DrawBackground(game, 1);
    game.services.collision.ResetCollisionLayers(0);
    game.powerup.step(game);
    int burger_count = UpdateAll(game, game.burger_list);
    UpdateAll(game, game.shipshot_list);
    UpdateAll(game, game.shiptrail_list);
    UpdateAll(game, game.explosion_list);
    UpdateAll(game, game.hspace_list);
    UpdateAll(game, game.mine_list);
    UpdateAll(game, game.rocket_list);
    UpdateAll(game, game.shipbits_list);
    game.ufo.step(game);
    int particle_count = UpdateAll(game, game.particle_list);
    UpdateAll(game, game.smoke_list);
    if (!game.game_over && !game.warp_on) ShipStep(game);
    if (game.warp_on) AdvanceWarp(game);
    // A level completed behind the caption is settled before the caption
    // steps: in its last frame the caption hands over to the title, which
    // must not inherit a warp-in, a game track or burgers.
    if (burger_count == 0 && particle_count == 0) CompleteLevel(game);
    if (game.game_over) AdvanceGameOver(game);

    Input& input = game.services.input;
    if (input.KeyHits(kKeySpace) || input.JoyButtonHits(2, 0)) {
        game.paused = 1;
        input.MoveMouse(320, 232);
        if (game.ufo.alive) game.sound.StopUfoHum();
        // The frozen playfield, without the HUD that is drawn next.
        game.services.graphics.GrabImage(*game.images.pause_img, 0, 0, 0);
    }
}

void DrawBackground(Game& game, int animate) {
    Graphics& gfx = game.services.graphics;
    gfx.SetBlend(BLEND_SOLID);
    if (animate) {
        gfx.SetTransform(game.bg_angle, 1.2f, 1.2f);
    } else {
        gfx.SetTransform(0, 1, 1);
    }
    gfx.DrawImage(*game.images.bg_img, 320, 240, 0);
    if (animate) game.bg_angle += game.bg_spin;
    gfx.SetTransform(0, 1, 1);
    game.trigpow.draw_flash(game);
    gfx.SetBlend(BLEND_MASK);
}
