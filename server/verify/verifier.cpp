#include "verify/verifier.hpp"

#include <time.h>

#include <algorithm>
#include <optional>

#include "platform/input/replay.hpp"
#include "verify/whole_run.hpp"

namespace {

// The processor time is read this often, not every frame.
constexpr int kCpuCheckFrames = 64;

Verdict Refused(std::string reason) {
    Verdict verdict;
    verdict.reason = std::move(reason);
    return verdict;
}

std::chrono::nanoseconds ThreadCpuTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

std::string Seconds(long long frames) { return std::to_string((frames + 30) / 60) + " s"; }

// Follows the first game of a whole run from the outside, frame by frame.
// Returns a verdict once the first game's fate is known.
class FirstGame {
public:
    explicit FirstGame(Game& game) : game_(game) {}

    // Before each frame of the main loop.
    void Before() { was_over_ = game_.game_over != 0; }

    // After it.
    std::optional<Verdict> After() {
        if (game_.games_started > 1) return Refused("a new game was started before the first one was over");
        if (game_.games_started == 0) return std::nullopt;
        // The caption hands over to the title in the playing screen; the
        // pause menu's "Quit Current Game" returns to the title from the
        // paused one, with no game over.
        if (was_over_ && game_.title_on && game_.screen == Screen::Playing) {
            Verdict verdict;
            verdict.accepted = true;
            verdict.score = game_.player.score;
            verdict.level = game_.player.level;
            verdict.frames = game_.frame;
            return verdict;
        }
        if (game_.title_on) return Refused("the first game was quit before its game over");
        return std::nullopt;
    }

private:
    Game& game_;
    bool was_over_ = false;
};

Verdict VerifyWholeRun(std::string_view text, int ticket_seed, const PlayLimits& limits,
                       const std::string& empty_folder) {
    std::string error;
    std::optional<ReplayFile> replay = ParseReplay(text, "recording", error);
    if (!replay) return Refused(error);
    if (replay->seed != ticket_seed) {
        return Refused("the recording starts from seed " + std::to_string(replay->seed) + ", not from its ticket's");
    }
    int frame_limit = std::max(0, std::min(limits.max_frames, limits.frames_in_time));
    std::chrono::nanoseconds cpu_end = ThreadCpuTime() + limits.cpu;

    WholeRunPlay play(std::move(*replay), empty_folder);
    play.Start(frame_limit);
    Game& game = play.game();
    FirstGame first(game);
    for (;;) {
        first.Before();
        bool playing = play.Step();
        if (std::optional<Verdict> verdict = first.After()) return *verdict;
        if (game.frame_limit_reached) {
            if (frame_limit == limits.frames_in_time) {
                return Refused("the game arrived too soon after its ticket: the time since holds " +
                               std::to_string(frame_limit) + " frames, and its game over is not within them");
            }
            return Refused("the game is not over after " + std::to_string(frame_limit) + " frames (" +
                           Seconds(frame_limit) + "), the most the board plays");
        }
        if (!playing)
            return Refused("the run ends at frame " + std::to_string(game.frame - 1) +
                           " before the first game's game over");
        if (play.input_finished()) {
            return Refused("the recording ends at frame " + std::to_string(game.frame - 1) +
                           " before the first game's game over: it is cut short");
        }
        if (game.frame % kCpuCheckFrames == 0 && ThreadCpuTime() > cpu_end) {
            return Refused("the recording takes more than " + std::to_string(limits.cpu.count() / 1000) +
                           " s of the board's processor time to play");
        }
    }
}

}  // namespace

int FramesInTime(long long elapsed_ms) {
    if (elapsed_ms <= 0) return 0;
    // frames / 60 s >= 0.95 elapsed, in whole milliseconds.
    long long frames = elapsed_ms * 60 / 950;
    return static_cast<int>(std::min<long long>(frames, 0x7fffffff));
}

Verdict VerifyRecording(std::string_view text, int ticket_seed, const PlayLimits& limits,
                        const std::string& empty_folder) {
    // Every recording so far is a whole run from the splash. A one-game
    // recording, which starts at "Start New Game" from the ticket's generator
    // state, is told apart here and played by a function of its own.
    return VerifyWholeRun(text, ticket_seed, limits, empty_folder);
}
