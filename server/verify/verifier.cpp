#include "verify/verifier.hpp"

#include <time.h>

#include <algorithm>
#include <optional>

#include "game/game_start.hpp"
#include "game/one_game_play.hpp"
#include "platform/input/replay.hpp"
#include "verify/null_platform.hpp"
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

// Where a game's play is stopped short: at the most frames the board plays,
// or sooner when the time since its ticket holds fewer.
struct FrameLimit {
    int frames;
    bool by_time;

    explicit FrameLimit(const PlayLimits& limits)
        : frames(std::max(0, std::min(limits.max_frames, limits.frames_in_time))),
          by_time(frames == limits.frames_in_time) {}

    Verdict Refusal() const {
        if (by_time) {
            return Refused("the game arrived too soon after its ticket: the time since holds " +
                           std::to_string(frames) + " frames, and its game over is not within them");
        }
        return Refused("the game is not over after " + std::to_string(frames) + " frames (" + Seconds(frames) +
                       "), the most the board plays");
    }
};

// Gives up on a play that has taken its share of the processor.
class CpuLimit {
public:
    explicit CpuLimit(const PlayLimits& limits)
        : seconds_(limits.cpu.count() / 1000), end_(ThreadCpuTime() + limits.cpu) {}

    std::optional<Verdict> Check(int frame) const {
        if (frame % kCpuCheckFrames != 0 || ThreadCpuTime() <= end_) return std::nullopt;
        return Refused("the recording takes more than " + std::to_string(seconds_) +
                       " s of the board's processor time to play");
    }

private:
    long long seconds_;
    std::chrono::nanoseconds end_;
};

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

Verdict VerifyWholeRun(ReplayFile replay, int ticket_seed, const PlayLimits& limits, const std::string& empty_folder) {
    if (replay.seed != ticket_seed) {
        return Refused("the recording starts from seed " + std::to_string(replay.seed) + ", not from its ticket's");
    }
    FrameLimit frame_limit(limits);
    CpuLimit cpu(limits);

    WholeRunPlay play(std::move(replay), empty_folder);
    play.Start(frame_limit.frames);
    Game& game = play.game();
    FirstGame first(game);
    for (;;) {
        first.Before();
        bool playing = play.Step();
        if (std::optional<Verdict> verdict = first.After()) return *verdict;
        if (game.frame_limit_reached) return frame_limit.Refusal();
        if (!playing)
            return Refused("the run ends at frame " + std::to_string(game.frame - 1) +
                           " before the first game's game over");
        if (play.input_finished()) {
            return Refused("the recording ends at frame " + std::to_string(game.frame - 1) +
                           " before the first game's game over: it is cut short");
        }
        if (std::optional<Verdict> refusal = cpu.Check(game.frame)) return *refusal;
    }
}

// A recording of one game, from "Start New Game" in the ticket's generator
// state to the game over on its end line, played alone as a watch plays it.
Verdict VerifyOneGame(ReplayFile recording, int ticket_seed, const PlayLimits& limits) {
    if (recording.seed != ticket_seed) {
        return Refused("the game starts from generator state " + std::to_string(recording.seed) +
                       ", not from its ticket's");
    }
    FrameLimit frame_limit(limits);
    // Its frames count from 0, so a game over at frame F takes F + 1 of them.
    if (recording.end >= frame_limit.frames) return frame_limit.Refusal();
    CpuLimit cpu(limits);

    NullPlatform platform;
    ReplaySource no_events{ReplayFile{}};
    Input no_input{no_events};
    Services services = platform.With(no_input);
    OneGamePlay play(services, std::move(recording), "");
    play.LoadAssets();
    // Once the sprites are cut, nothing drawn counts.
    platform.display.Flip(0);
    play.Start();
    Game& game = play.game();
    while (!play.over()) {
        play.Step();
        if (std::optional<Verdict> refusal = cpu.Check(game.frame)) return *refusal;
    }
    std::string at = " at frame " + std::to_string(play.last_frame());
    switch (play.ending()) {
    case OneGamePlay::Ending::kGameOver: {
        Verdict verdict;
        verdict.accepted = true;
        verdict.score = game.player.score;
        verdict.level = game.player.level;
        verdict.frames = play.last_frame() + 1;
        return verdict;
    }
    case OneGamePlay::Ending::kQuit:
        return Refused("the game was quit" + at + ", before its game over");
    case OneGamePlay::Ending::kNewGame:
        return Refused("a new game was started" + at + ", before this one was over");
    case OneGamePlay::Ending::kLeft:
        return Refused("the recording leaves the game" + at + ", before its game over");
    case OneGamePlay::Ending::kPastEnd:
    case OneGamePlay::Ending::kPlaying:
        break;
    }
    return Refused("the game is not over by its end line, frame " + std::to_string(play.recording().end) +
                   ": it is cut short or not the game recorded");
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
    std::string error;
    std::optional<ReplayFile> recording = ParseRecording(text, "recording", error);
    if (!recording) return Refused(error);
    if (recording->one_game) return VerifyOneGame(std::move(*recording), ticket_seed, limits);
    return VerifyWholeRun(std::move(*recording), ticket_seed, limits, empty_folder);
}
