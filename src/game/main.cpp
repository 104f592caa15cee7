// Rezarudev: shoot the burgers, dodge the fries.

#include <SDL.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "game/options.hpp"
#include "game/paths.hpp"
#include "game/scores.hpp"
#include "game/session_observer.hpp"
#include "game/settings.hpp"
#include "game/shell.hpp"
#include "platform/audio/audio.hpp"
#include "platform/input/close_signals.hpp"
#include "platform/input/input.hpp"
#include "platform/input/input_sdl.hpp"
#include "platform/input/replay.hpp"
#include "platform/system/clock.hpp"
#include "platform/system/program_exit.hpp"
#include "platform/video/collision.hpp"
#include "platform/video/display.hpp"
#include "platform/video/draw.hpp"
#include "platform/video/text.hpp"

namespace {

int Fail(const std::string& message, bool usage) {
    std::fprintf(stderr, "rezarudev: %s\n", message.c_str());
    if (usage) std::fputs(UsageText().c_str(), stderr);
    return 2;
}

int Run(int argc, char** argv) {
    std::string error;
    std::optional<RunOptions> parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!parsed) return Fail(error, true);
    RunOptions& options = *parsed;
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("rezarudev %s\n", REZARUDEV_VERSION);
        return 0;
    }

    // Nothing the command line writes may land on the game's own files; this
    // is settled before any file is opened or made.
    GameFolders folders = FindFolders(options.data_dir);
    std::string refused = RefusedFiles(FilesRequested(options), {folders.best_score, folders.earlier_best_score,
                                                                 ScoresPath(folders), folders.settings});
    if (!refused.empty()) return Fail(refused, false);

    std::optional<ReplayFile> replay;
    if (!options.replay.empty()) {
        replay = ReadReplayFile(options.replay, error);
        if (!replay) return Fail(error, false);
    }
    SessionObserver observer;
    if (!observer.Open(options, error)) return Fail(error, false);

    // A replay plays with the settings it was recorded with and never saves
    // any; only the choice of full screen comes from the saved ones.
    bool may_save = true;
    Settings settings = LoadSettings(folders.settings, &may_save);
    std::string settings_path = may_save ? folders.settings : std::string();
    if (replay) {
        bool fullscreen = settings.fullscreen;
        settings = replay->settings;
        settings.fullscreen = fullscreen;
        settings_path.clear();
    }

    SystemClock clock;
    int seed = replay ? replay->seed : options.seed ? *options.seed : clock.Milliseconds();
    ReplayWriter recorder;
    if (!options.record.empty() && !recorder.Open(options.record, seed, settings, error)) return Fail(error, false);

    std::unique_ptr<Display> display =
        OpenSdlDisplay("Rezarudev", 640, 480, options.windowed || !settings.fullscreen, 60, options.fast, clock, error);
    if (!display) {
        std::fprintf(stderr, "rezarudev: %s\n", error.c_str());
        return 1;
    }
    Graphics graphics(display->renderer());
    graphics.ApplyState();

    std::unique_ptr<InputSource> source;
    if (replay) {
        source = std::make_unique<ReplaySource>(std::move(*replay));
    } else {
        auto live = std::make_unique<SdlInputSource>(SdlDisplayWindow(*display), 640, 480);
        live->SetDisplayToggle([&shown = *display] { shown.ToggleFullscreen(); });
        source = std::move(live);
    }
    // SIGINT and SIGTERM end live and replayed runs alike through the normal
    // exit, which saves the best score.
    CloseOnSignalSource signals(*source);
    Input input(signals);
    if (!options.record.empty()) {
        input.AddRecorder(&recorder);
        observer.CountRecording(&recorder);
    }

    Audio audio(clock);
    audio.AttachOutput(OpenAudioOutput(audio));
    Text text(graphics);
    Collision collision(graphics);

    Services services{clock, *display, graphics, input, audio, text, collision};
    RunSettings run;
    run.settings = settings;
    run.settings_path = settings_path;
    run.frame_limit = options.frames;
    run.fast_exit = options.fast;
    bool saved = RunGame(services, folders, seed, &observer, run);
    observer.RunEnded();
    // What failed was said when it happened.
    return observer.failed() || !saved ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) { return ProgramExit(Run(argc, argv)); }
