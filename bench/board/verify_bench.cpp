// How fast the board plays a recording on one core: frames a second, and the
// same as a multiple of real time (60 frames a second). A five-minute game is
// 18,000 frames.
//
//   verify_bench [--benchmark_...]

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "board.hpp"
#include "soak.hpp"
#include "support/board_support.hpp"
#include "verify/verifier.hpp"
#include "verify/whole_run.hpp"

namespace {

const std::string& EmptyFolder() {
    static TempFolder folder;
    static std::string path = folder.path().string();
    return path;
}

void Report(benchmark::State& state, long long frames) {
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.counters["x real time"] = benchmark::Counter(static_cast<double>(frames) / 60.0, benchmark::Counter::kIsRate);
}

// The soak's random play, whole: menus, pauses and three games in 18,000
// frames, start-up included.
void BM_PlayRandomRun(benchmark::State& state) {
    std::string error;
    std::optional<ReplayFile> replay = ParseReplay(MakeSoakReplay(4660, 18'000), "soak", error);
    long long frames = 0;
    for (auto _ : state) {
        WholeRunPlay play(*replay, EmptyFolder());
        play.Start(1 << 30);
        while (play.Step()) {
        }
        frames += play.game().frame;
    }
    Report(state, frames);
}
BENCHMARK(BM_PlayRandomRun)->Unit(benchmark::kMillisecond)->MinTime(5);

// VerifyRecording itself on one long game (10,710 frames to its game over),
// parsing and start-up included.
void BM_VerifyLongGame(benchmark::State& state) {
    constexpr int kSeed = 6 * 7919;
    std::string recording = FlyingRecording(kSeed);
    long long frames = 0;
    for (auto _ : state) {
        Verdict verdict = VerifyRecording(recording, kSeed, PlayLimits{}, EmptyFolder());
        if (!verdict.accepted) state.SkipWithError(verdict.reason.c_str());
        frames += verdict.frames;
    }
    Report(state, frames);
}
BENCHMARK(BM_VerifyLongGame)->Unit(benchmark::kMillisecond)->MinTime(5);

// Start-up alone: the sprites cut, the font rasterised, up to the first frame.
void BM_StartUp(benchmark::State& state) {
    std::string error;
    std::optional<ReplayFile> replay = ParseReplay("seed 1\n0 key 32 down\n", "start", error);
    for (auto _ : state) {
        WholeRunPlay play(*replay, EmptyFolder());
        play.Start(1);
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
