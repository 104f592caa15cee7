#pragma once

// The sound device the latency benchmarks play through, and how they time a
// start: from the request to the device callback that first writes it.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/audio/audio.hpp"

namespace bench {

// SDL's disk driver writing to /dev/null, or the device SDL_AUDIODRIVER
// names. False, with the benchmark skipped, when none opens.
inline bool AttachDevice(benchmark::State& state, Audio& audio) {
    if (!std::getenv("SDL_AUDIODRIVER")) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    }
    auto output = OpenSdlAudioOutput(audio);
    if (!output) {
        state.SkipWithError("no audio device");
        return false;
    }
    audio.AttachOutput(std::move(output));
    // Let the device settle into its rhythm before anything is timed.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return true;
}

// Runs start, waits until the mixer has begun to sound the voice it started
// and gives the wait as the iteration's time; returns it in seconds.
template <typename Start>
double TimeUntilSounding(benchmark::State& state, Audio& audio, Start start) {
    int before = audio.voices_started();
    auto begin = std::chrono::steady_clock::now();
    start();
    while (audio.voices_started() == before) std::this_thread::sleep_for(std::chrono::microseconds(100));
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - begin;
    state.SetIterationTime(elapsed.count());
    return elapsed.count();
}

}  // namespace bench
