#include "game/shell.hpp"

#include "game/assets.hpp"
#include "game/game.hpp"
#include "game/hiscore.hpp"
#include "game/hud.hpp"
#include "game/keys.hpp"
#include "game/rules.hpp"
#include "game/screens.hpp"
#include "game/settings.hpp"
#include "game/splash.hpp"
#include "platform/input/input.hpp"
#include "platform/system/clock.hpp"
#include "platform/system/user_files.hpp"
#include "platform/video/display.hpp"

void StartUp(Game& game, std::optional<int> seed) {
    SetUpGame(game, seed);
    ApplySettings(game, game.run.settings);
    game.run.fullscreen_at_start = game.services.display.fullscreen();
    game.sound.StartMusic(4);
    ShowSplash(game);
    FinishSetUp(game);
    game.services.input.MoveMouse(320, 204);
}

void SetUpGame(Game& game, std::optional<int> seed) {
    Input& input = game.services.input;
    game.services.graphics.SetAutoImageFlags(kImageMasked | kImageDynamic);
    CreateSprites(game);
    game.sound.AllocChannels();
    game.random.SeedRandom(seed ? *seed : game.services.clock.Milliseconds());
    game.joy_left = -1.0f;
    game.joy_right = 1.0f;
    game.joy_up = -1.0f;
    input.JoystickCount();
    input.SetMouseVisible(false);
    LoadAssets(game);
    LoadBest(game);
    LoadScoreTable(game);
}

void FinishSetUp(Game& game) {
    game.player.level = 1;
    // As big as the picture it holds: a bigger one only held black, which
    // the mask makes transparent anyway, in 4 MB of texture.
    Graphics& gfx = game.services.graphics;
    game.images.pause_img = gfx.CreateImage(gfx.width(), gfx.height(), 1);
}

bool PointerCaptured(const Game& game) { return !game.title_on && !game.paused && !game.warp_on && !game.game_over; }

bool RunMainLoopFrame(Game& game) {
    if (game.title_on) {
        TitleScreen(game);
    } else if (game.paused) {
        PauseScreen(game);
    } else {
        PlayingScreen(game);
    }
    if (game.player.score > game.player.best) UpdateBest(game);
    DrawHud(game, game.paused || game.title_on ? 1 : 0);
    game.services.input.SetPointerCaptured(PointerCaptured(game));
    if (kWriteFilesAsTheyChange) KeepChangedSettings(game);
    game.Flip();
    game.WaitWhileSuspended();
    Input& input = game.services.input;
    bool leave = input.KeyHits(kKeyEscape) || game.quit_game || input.TerminateRequested();
    game.NextFrame();
    return !leave && !game.frame_limit_reached;
}

void ShutDown(Game& game) {
    if (game.sound.MusicPlaying()) {
        game.sound.StopMusic();
        if (!game.run.fast_exit) game.services.clock.Delay(500);
    }
    ClearPlayfield(game);
    SaveBest(game);
    FinishNameEntry(game);
    SaveChangedSettings(game);
}

void RunMainLoop(Game& game) {
    // A frame limit or a close request may already have come during the
    // splash.
    bool leave = game.frame_limit_reached || game.services.input.TerminateRequested();
    while (!leave) leave = !RunMainLoopFrame(game);
    ShutDown(game);
}

bool RunGame(Services& services, const GameFolders& folders, int seed, FrameObserver* observer,
             const RunSettings& run) {
    Game game(services, folders);
    game.run = run;
    game.observer = observer;
    StartUp(game, seed);
    RunMainLoop(game);
    return !game.save_failed;
}
