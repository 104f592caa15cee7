// Drawn frames as a player sees them: the real main loop on the real OpenGL
// display (run it under Xvfb with LIBGL_ALWAYS_SOFTWARE=1 to measure Mesa's
// software renderer), each frame moved, drawn and flipped without waiting for
// the next refresh. Reports milliseconds per frame for every scene, in a
// 640x480 window and full screen (scaled to the screen): wall-clock time, and
// the processor time of the whole process (the software renderer draws on
// threads of its own), which stays comparable on a busy machine.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "bench_scenes.hpp"
#include "platform/video/display.hpp"

namespace {

using namespace bench;

double ProcessMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void BM_DrawnFrame(benchmark::State& state) {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        state.SkipWithError("no display");
        return;
    }
    Scene scene = static_cast<Scene>(state.range(0));
    bool windowed = state.range(1) == 0;
    SystemClock clock;
    std::string error;
    auto display = OpenSdlDisplay("Rezarudev bench", 640, 480, windowed, 60, true, clock, error);
    if (!display) {
        state.SkipWithError(error.c_str());
        return;
    }
    GameHarness harness(0x1234, std::move(display));
    Prepare(harness, scene);
    // Textures and glyphs are made on first use; that is start-up, not play.
    harness.RunFrames(5);
    std::vector<double> frame_ms;
    double cpu_start = ProcessMilliseconds();
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        RunMainLoopFrame(harness.game);
        frame_ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    double cpu_ms = ProcessMilliseconds() - cpu_start;
    std::sort(frame_ms.begin(), frame_ms.end());
    double total = 0;
    for (double ms : frame_ms) total += ms;
    state.counters["ms_per_frame"] = total / static_cast<double>(frame_ms.size());
    state.counters["cpu_ms_per_frame"] = cpu_ms / static_cast<double>(frame_ms.size());
    state.counters["p50_ms"] = frame_ms[frame_ms.size() / 2];
    state.counters["p99_ms"] = frame_ms[(frame_ms.size() - 1) * 99 / 100];
    state.counters["fps"] = 1000.0 * static_cast<double>(frame_ms.size()) / total;
}
// The 72-shot volley of Armageddon lasts 73 frames; 120 frames go beyond it.
BENCHMARK(BM_DrawnFrame)
    ->ArgNames({"scene", "fullscreen"})
    ->Args({kTitle, 0})
    ->Args({kQuietLevel1, 0})
    ->Args({kLevel8Shattered, 0})
    ->Args({kArmageddon, 0})
    ->Args({kCrowded, 0})
    ->Args({kTitle, 1})
    ->Args({kCrowded, 1})
    ->Iterations(120)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
