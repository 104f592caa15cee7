// How long a player waits for music: from StartMusic to the device callback
// that first writes the track, through SDL's disk driver (or the real device
// when SDL_AUDIODRIVER is set). Uses the game's own tracks in data/.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "bench_audio_device.hpp"
#include "game/sound.hpp"
#include "platform/audio/audio.hpp"
#include "platform/system/random.hpp"

namespace {

std::string DataFolder() {
    if (const char* folder = std::getenv("REZARUDEV_BENCH_DATA")) return folder;
    return std::string(REZARUDEV_SOURCE_DIR) + "/data";
}

void BM_StartMusic(benchmark::State& state) {
    SystemClock clock;
    Audio audio(clock);
    if (!bench::AttachDevice(state, audio)) return;
    Random random;
    GameSound sound(audio, random, DataFolder());
    sound.AllocChannels();
    double worst = 0;
    int track = 0;
    for (auto _ : state) {
        // Every track in turn, as new games and levels change them.
        track = track % 4 + 1;
        worst = std::max(worst, bench::TimeUntilSounding(state, audio, [&] {
                             audio.StopChannel(sound.music_chan);
                             sound.StartMusic(track);
                         }));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    audio.StopChannel(sound.music_chan);
    state.counters["worst_ms"] = worst * 1000.0;
}
BENCHMARK(BM_StartMusic)->UseManualTime()->Iterations(24)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
