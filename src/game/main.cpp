// Rezarudev: shoot the burgers, dodge the fries.

#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "game/game_start.hpp"
#include "game/kept_replays.hpp"
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
#include "platform/system/board_link.hpp"
#include "platform/system/clock.hpp"
#include "platform/system/message.hpp"
#include "platform/system/program_exit.hpp"
#include "platform/system/user_files.hpp"
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

// --export N FILE: the kept recording as it is, through the safe write.
int Export(const GameFolders& folders, const RunOptions& options) {
    std::string scores = ScoresPath(folders);
    std::string error;
    ScoreTable table = ReadScores(scores).table;
    if (!ReadEntryReplay(scores, table, options.export_entry - 1, error)) {
        std::fprintf(stderr, "rezarudev: %s\n", error.c_str());
        return 1;
    }
    std::string kept = ReplayPath(scores, table.entries[static_cast<std::size_t>(options.export_entry - 1)].replay);
    UserFile file = ReadUserFile(kept, kMaxGameRecordingBytes);
    int problem = file.state == UserFile::State::kRead ? WriteFileSafely(options.export_path, file.bytes) : EIO;
    if (problem != 0) {
        std::fprintf(stderr, "rezarudev: cannot write the recording to %s: %s\n", Printable(options.export_path).c_str(),
                     std::strerror(problem));
        return 1;
    }
    return 0;
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
    std::vector<std::string> own_files = KeptReplayPaths(ScoresPath(folders));
    own_files.insert(own_files.end(),
                     {folders.best_score, folders.earlier_best_score, ScoresPath(folders), folders.settings});
    std::string refused = RefusedFiles(FilesRequested(options), own_files);
    if (!refused.empty()) return Fail(refused, false);
    if (options.export_entry) return Export(folders, options);

    std::optional<ReplayFile> replay;
    if (!options.replay.empty()) {
        replay = ReadRecording(options.replay, error);
        if (!replay) return Fail(error, false);
    }
    // A recording of one game is watched, as --watch watches the table's.
    RunSettings run;
    if (options.watch) {
        ScoreTable table = ReadScores(ScoresPath(folders)).table;
        run.watch = ReadEntryReplay(ScoresPath(folders), table, options.watch - 1, error);
        if (!run.watch) {
            std::fprintf(stderr, "rezarudev: %s\n", error.c_str());
            return 1;
        }
        run.watch_name = table.entries[static_cast<std::size_t>(options.watch - 1)].name;
    } else if (replay && replay->one_game) {
        if (!options.record.empty()) return Fail("--record cannot record a recording of one game played again", false);
        run.watch_name = NameCharsOf(replay->name);
        run.watch = std::move(replay);
        replay.reset();
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

    // The board's tickets choose how games start: not for a run that plays
    // a recording of one game or is recorded whole, nor for a replay unless
    // asked for on its command line (its games are then not those recorded).
    std::string board_url = options.board.empty() ? settings.board : options.board;
    std::unique_ptr<BoardLink> board;
    if (!run.watch && options.record.empty() && (options.replay.empty() || !options.board.empty()))
        board = OpenBoardLink(board_url);
    run.board = board.get();

    Services services{clock, *display, graphics, input, audio, text, collision};
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
