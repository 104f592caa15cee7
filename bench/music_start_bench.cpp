// How long a player waits for music: from StartMusic to the device callback
// that first writes the track, through SDL's disk driver (or the real device
// when SDL_AUDIODRIVER is set). Uses the game's own tracks in data/.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "game/sound.hpp"
#include "platform/audio/audio.hpp"
#include "platform/system/random.hpp"

namespace {

std::string DataFolder() {
    if (const char* folder = std::getenv("REZARUDEV_BENCH_DATA")) return folder;
    return std::string(REZARUDEV_SOURCE_DIR) + "/data";
}

void BM_StartMusic(benchmark::State& state) {
    if (!std::getenv("SDL_AUDIODRIVER")) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    }
    SystemClock clock;
    Audio audio(clock);
    auto output = OpenSdlAudioOutput(audio);
    if (!output) {
        state.SkipWithError("no audio device");
        return;
    }
    audio.AttachOutput(std::move(output));
    Random random;
    GameSound sound(audio, random, DataFolder());
    sound.AllocChannels();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    double worst = 0;
    int track = 0;
    for (auto _ : state) {
        // Every track in turn, as new games and levels change them.
        track = track % 4 + 1;
        int before = audio.voices_started();
        auto start = std::chrono::steady_clock::now();
        audio.StopChannel(sound.music_chan);
        sound.StartMusic(track);
        while (audio.voices_started() == before) std::this_thread::sleep_for(std::chrono::microseconds(100));
        std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        worst = std::max(worst, elapsed.count());
        state.SetIterationTime(elapsed.count());
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    audio.StopChannel(sound.music_chan);
    state.counters["worst_ms"] = worst * 1000.0;
}
BENCHMARK(BM_StartMusic)->UseManualTime()->Iterations(24)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
