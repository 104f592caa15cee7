// Whole frames of the real main loop through scripted scenes. The game runs on
// the software back end with drawing switched off, so the figures are the
// game's own work: moving, colliding, spawning. draw_bench draws the same
// scenes with OpenGL.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "bench_scenes.hpp"
#include "platform/video/soft_renderer.hpp"

namespace {

using namespace bench;

void Report(benchmark::State& state, std::vector<double>& frame_ms) {
    std::sort(frame_ms.begin(), frame_ms.end());
    auto at = [&](double fraction) {
        return frame_ms[static_cast<std::size_t>(fraction * static_cast<double>(frame_ms.size() - 1))];
    };
    state.counters["p50_ms"] = at(0.50);
    state.counters["p99_ms"] = at(0.99);
    state.counters["max_ms"] = frame_ms.back();
}

void BM_Frame(benchmark::State& state) {
    Scene scene = static_cast<Scene>(state.range(0));
    std::vector<double> frame_ms;
    for (auto _ : state) {
        state.PauseTiming();
        GameHarness harness;
        static_cast<SoftRenderer&>(harness.display.renderer()).SetDrawing(false);
        Prepare(harness, scene);
        state.ResumeTiming();
        // The 72-shot volley of Armageddon lasts 73 frames; measure beyond it.
        for (int frame = 0; frame < 120; ++frame) {
            auto start = std::chrono::steady_clock::now();
            RunMainLoopFrame(harness.game);
            frame_ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    Report(state, frame_ms);
}
BENCHMARK(BM_Frame)
    ->Arg(kQuietLevel1)
    ->Arg(kLevel8Shattered)
    ->Arg(kArmageddon)
    ->Arg(kCrowded)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
