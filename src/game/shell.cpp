#include "game/shell.hpp"

#include "game/assets.hpp"
#include "game/game.hpp"
#include "game/hiscore.hpp"
#include "game/hud.hpp"
#include "game/keys.hpp"
#include "game/rules.hpp"
#include "game/screens.hpp"
#include "game/settings.hpp"
#include "game/watch.hpp"
#include "platform/input/input.hpp"
#include "platform/system/clock.hpp"
#include "platform/system/save_session.hpp"
#include "platform/video/display.hpp"

void StartUp(Game& game, std::optional<int> seed) {
    SetUpGame(game, seed);
    ApplySettings(game, game.run.settings);
    game.run.fullscreen_at_start = game.services.display.fullscreen();
    game.sound.StartMusic(4);
    OpenSplash(game);
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

bool PointerCaptured(const Game& game) { return !game.title_on && !game.paused && !game.warp_on && !game.game_over; }

namespace {

// The end of a splash frame: flushed when it ends, so that the key that
// skipped it does nothing on the title.
bool AfterSplashFrame(Game& game) {
    bool ended = SplashEnds(game);
    if (ended) game.FlushInput();
    game.NextFrame();
    if (!ended && !game.frame_limit_reached) return true;
    CloseSplash(game);
    EnterTitle(game);
    // A frame limit or a close request may have come during the splash.
    return !game.frame_limit_reached && !game.services.input.TerminateRequested();
}

}  // namespace

void DrawMainLoopScreen(Game& game) {
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
    game.services.input.SetControlMode(ControlModeOf(game));
    if (WriteFilesAsTheyChange()) KeepChangedSettings(game);
}

bool FinishMainLoopFrame(Game& game) {
    game.WaitWhileSuspended();
    Input& input = game.services.input;
    bool leave = input.KeyHits(kKeyEscape) || game.quit_game || input.TerminateRequested();
    game.NextFrame();
    return !leave && !game.frame_limit_reached;
}

bool RunMainLoopFrame(Game& game) {
    if (game.next_watch) {
        game.watch = std::move(game.next_watch);
        game.watch->Begin();
    }
    if (game.watch) return WatchFrame(game);
    if (game.splash.on == 0) {
        DrawMainLoopScreen(game);
        game.Flip();
        return FinishMainLoopFrame(game);
    }
    SplashScreen(game);
    game.Flip();
    game.WaitWhileSuspended();
    return AfterSplashFrame(game);
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
    while (RunMainLoopFrame(game)) {
    }
    ShutDown(game);
}

bool RunGame(Services& services, const GameFolders& folders, int seed, FrameObserver* observer,
             const RunSettings& run) {
    Game game(services, folders);
    game.run = run;
    game.observer = observer;
    if (game.run.watch) {
        StartUpToWatch(game, seed);
    } else {
        StartUp(game, seed);
    }
    RunMainLoop(game);
    return !game.save_failed && !game.watch_failed;
}

void StartUpToWatch(Game& game, std::optional<int> seed) {
    SetUpGame(game, seed);
    ApplySettings(game, game.run.settings);
    game.run.fullscreen_at_start = game.services.display.fullscreen();
    CloseSplash(game);
    StartWatching(game, std::move(*game.run.watch), game.run.watch_name, true);
    game.run.watch.reset();
}
