#include "game/screens.hpp"

#include "game/game.hpp"
#include "game/game_start.hpp"
#include "game/hiscore.hpp"
#include "game/hud.hpp"
#include "game/keys.hpp"
#include "game/menu.hpp"
#include "game/name_entry.hpp"
#include "game/rules.hpp"
#include "game/scores.hpp"
#include "game/table_screen.hpp"
#include "game/title_idle.hpp"
#include "game/watch.hpp"
#include "platform/input/input.hpp"
#include "platform/system/replay_page.hpp"
#include "platform/system/save_session.hpp"
#include "platform/video/collision.hpp"

namespace {

// What takes the title menu's place this frame: the name entry after a game
// that enters the table, the table once the name is kept or when the title
// is left alone. True when one of them took the frame, so the menu and its
// shortcuts are not run.
bool ShowsScores(Game& game) {
    bool fresh = TitleStartsAfresh(game);
    bool table = false;
    if (game.title_view == TitleView::NameEntry) {
        NameEntryFrame(game);
        if (game.title_view == TitleView::NameEntry) {
            game.screen = Screen::NameEntry;
            DrawNameEntry(game);
            return true;
        }
        // The name was kept: the table shows from this frame on.
        table = true;
    } else {
        table = game.title_view == TitleView::Table ? TableFrame(game) : IdleRunsOut(game, fresh);
    }
    if (!table) return false;
    game.screen = Screen::Scores;
    DrawTable(game);
    return true;
}

}  // namespace

void OpenSplash(Game& game) {
    SplashState& splash = game.splash;
    splash.on = 1;
    splash.alpha = 1.0f;
    splash.count = 0;
    splash.logo = game.services.graphics.LoadImage("incbin::qxlogo.png", -1);
    if (splash.logo) game.services.graphics.SetImageMidHandle(*splash.logo);
}

bool SplashEnds(Game& game) {
    Input& input = game.services.input;
    // A close request is left for the main loop to take, which then ends
    // before the title's first frame.
    return game.splash.count >= 300 || input.MouseHits(1) || input.JoyButtonHits(0, 0) ||
           input.KeyHits(kKeySpace) || input.KeyHits(kKeyEnter) || input.KeyHits(kKeyLeftControl) ||
           input.KeyHits(kKeyEscape) || input.ClosePending();
}

void CloseSplash(Game& game) {
    game.splash.on = 0;
    game.splash.logo.reset();
    game.player.level = 1;
    // As big as the picture it holds: a bigger one only held black, which
    // the mask makes transparent anyway, in 4 MB of texture.
    Graphics& gfx = game.services.graphics;
    game.images.pause_img = gfx.CreateImage(gfx.width(), gfx.height(), 1);
}

void EnterTitle(Game& game) {
    game.title_on = 1;
    game.services.input.MoveMouse(320, 204);
}

void StartGame(Game& game) {
    // Before the new game's first random number, which a ticket of the
    // score board may choose.
    BoardGameStarts(game);
    if (game.records_games) game.recorder.Begin(CaptureStart(game), game.frame);
    ClearPlayfield(game);
    game.title_on = 0;
    game.paused = 0;
    NewGame(game);
}

void Pause(Game& game) {
    game.paused = 1;
    // Over "Resume Current Game".
    game.services.input.MoveMouse(320, 232);
    game.ufo.pause_hum(game);
    // The frozen playfield, without the HUD that is drawn next.
    game.services.graphics.GrabImage(*game.images.pause_img, 0, 0, 0);
}

void Resume(Game& game) {
    game.paused = 0;
    game.ufo.resume_hum(game);
}

void ReturnToTitle(Game& game) {
    ClearPlayfield(game);
    game.paused = 0;
    ClearPhases(game);
    if (WriteFilesAsTheyChange()) SaveBest(game);
    game.sound.SwitchMusic(4);
    EnterTitle(game);
}

void ClearPhases(Game& game) {
    game.warp_on = 0;
    game.bonus_on = 0;
    game.game_over = 0;
}

void StartGameOver(Game& game) {
    game.game_over = 1;
    game.msg_alpha = 1.0f;
}

void SplashScreen(Game& game) {
    SplashState& splash = game.splash;
    Graphics& gfx = game.services.graphics;
    game.screen = Screen::Splash;
    DrawBackground(game, 0);
    gfx.SetBlend(BLEND_ALPHA);
    gfx.SetAlpha(splash.alpha);
    if (splash.logo) gfx.DrawImage(*splash.logo, 320, 200, 0);
    // Full strength for 251 frames, a fade of about 100, then the background
    // alone until frame 399.
    if (splash.alpha == 1.0f) splash.count += 1;
    if (splash.count > 250) splash.alpha -= 0.01f;
    if (splash.alpha < 0) {
        splash.alpha = 0.0f;
        splash.count += 1;
    }
    gfx.SetBlend(BLEND_MASK);
    gfx.SetAlpha(1.0f);
}

void TitleScreen(Game& game) {
    game.screen = Screen::Title;
    DrawBackground(game, 0);
    game.services.graphics.SetBlend(BLEND_MASK);
    game.services.graphics.DrawImage(*game.images.title_img, 328, 100, 0);
    // Another tab may have saved a better best score or a new entry.
    if (OthersSaved()) ReadOthersSaves(game);
    // The page's "Open replay" is watched from the title.
    std::string opened = TakeOpenedReplay();
    if (!opened.empty()) WatchFile(game, opened);
    if (game.controls.open && ControlsFrame(game)) {
        DrawCreditLine(game);
        return;
    }
    if (ShowsScores(game)) return;
    int row = DrawMenu(game, 1);
    DrawCreditLine(game);
    ClickMenu(game, row, 1);
    if (game.controls.open) return;
    Input& input = game.services.input;
    // Whatever keys the player gave to pause and fire, since they come as Space and Left Ctrl.
    if (input.KeyHits(kKeyLeftControl) || input.KeyHits(kKeySpace)) {
        StartGame(game);
        game.FlushInput();
    }
}

void PauseScreen(Game& game) {
    game.screen = Screen::Paused;
    Graphics& gfx = game.services.graphics;
    // The frozen playfield, darkened and tinted blue.
    gfx.SetBlend(BLEND_SOLID);
    gfx.SetColor(60, 60, 80);
    gfx.DrawImage(*game.images.pause_img, 0, 0, 0);
    gfx.SetColor(255, 255, 255);
    gfx.SetBlend(BLEND_MASK);
    if (game.controls.open && ControlsFrame(game)) {
        DrawPausedCaption(game);
        DrawCreditLine(game);
        return;
    }
    int row = DrawMenu(game, 0);
    // Over the pointer: drawn before a click can resume.
    DrawPausedCaption(game);
    DrawCreditLine(game);
    ClickMenu(game, row, 0);
    if (game.controls.open) return;
    Input& input = game.services.input;
    if (input.KeyHits(kKeySpace) || input.JoyButtonHits(2, 0) || input.KeyHits(kKeyLeftControl)) {
        Resume(game);
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

// The order of the walks is the order things are drawn and collide in.
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
    if (input.KeyHits(kKeySpace) || input.JoyButtonHits(2, 0)) Pause(game);
}

void AdvanceWarp(Game& game) {
    DrawWarpMessage(game);
    game.msg_alpha -= 0.004f;
    if (game.msg_alpha <= 0) {
        game.warp_on = 0;
        game.bonus_on = 0;
        game.sound.PlaySfx(game.sound.hyperspc_snd);
        hspace_tag::Create(game, game.player.x, game.player.y);
        game.FlushInput();
    }
}

void AdvanceGameOver(Game& game) {
    DrawGameOverCaption(game);
    game.msg_alpha -= 0.004f;
    if (game.msg_alpha <= 0) {
        std::optional<PlayedGame> played = game.recorder.Finish(game.frame);
        BoardGameOver(game, played);
        ReturnToTitle(game);
        game.FlushInput();
        OpenNameEntry(game, std::move(played));
        // A score that does not enter the table here goes to the board under
        // the name the entry would have offered.
        if (game.title_view != TitleView::NameEntry && game.world_board.finished)
            BoardNameKept(game, OfferedName(game));
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
