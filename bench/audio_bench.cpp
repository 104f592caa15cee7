// The mixer's cost per device fragment, the cost of decoding a music track
// whole and streamed, and how long a started sound takes to reach the device.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "bench_audio_device.hpp"
#include "platform/audio/audio.hpp"
#include "platform/system/manual_clock.hpp"
#include "platform/system/resources.hpp"

namespace {

constexpr int kFragment = 512;

std::string TrackPath() {
    if (const char* path = std::getenv("REZARUDEV_BENCH_TRACK")) return path;
    return (std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "bunstorm.ogg").string();
}

SoundRef Noise(int frames, int channels, int hertz) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames * channels));
    std::uint32_t state = 12345;
    for (auto& sample : samples) {
        state = state * 1664525u + 1013904223u;
        sample = static_cast<std::int16_t>(state >> 20);
    }
    return TSound::FromFrames(std::move(samples), channels, hertz, TSound::kLoop);
}

// Voices alternate between a stereo sound at the output rate and a mono one
// at half of it, so both the exact and the interpolating paths are mixed.
void MixVoices(benchmark::State& state, bool gliding) {
    ManualClock clock;
    Audio audio(clock);
    SoundRef stereo = Noise(44100, 2, 44100);
    SoundRef mono = Noise(22050, 1, 22050);
    std::vector<TChannel> channels;
    for (int i = 0; i < state.range(0); ++i) channels.push_back(audio.PlaySound(i % 2 ? mono : stereo));
    std::vector<std::int16_t> out(2 * kFragment);
    clock.Advance(100);
    audio.MixBlock(out.data(), kFragment);
    float volume = 1.0f;
    for (auto _ : state) {
        if (gliding) {
            volume = volume == 1.0f ? 0.5f : 1.0f;
            for (TChannel channel : channels) audio.SetChannelVolume(channel, volume);
        }
        audio.MixBlock(out.data(), kFragment);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["voices"] = static_cast<double>(audio.active_voice_count());
}

void BM_MixBlock(benchmark::State& state) { MixVoices(state, false); }
BENCHMARK(BM_MixBlock)->Arg(1)->Arg(16)->Arg(64);

void BM_MixBlockGliding(benchmark::State& state) { MixVoices(state, true); }
BENCHMARK(BM_MixBlockGliding)->Arg(16)->Arg(64);

// One second of output with that many voices; "realtime" is how many seconds
// of sound one core mixes per second.
void BM_Mix(benchmark::State& state) {
    ManualClock clock;
    Audio audio(clock);
    SoundRef stereo = Noise(44100, 2, 44100);
    SoundRef mono = Noise(22050, 1, 22050);
    for (int i = 0; i < state.range(0); ++i) audio.PlaySound(i % 2 ? mono : stereo);
    std::vector<std::int16_t> out(2 * kFragment);
    clock.Advance(100);
    audio.MixBlock(out.data(), kFragment);
    constexpr int kBlocksPerSecond = (Audio::kOutputHertz + kFragment - 1) / kFragment;
    for (auto _ : state) {
        for (int block = 0; block < kBlocksPerSecond; ++block) audio.MixBlock(out.data(), kFragment);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["realtime"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Mix)->Arg(8)->Arg(64)->Arg(512)->Unit(benchmark::kMillisecond);

std::vector<unsigned char> TrackBytes(benchmark::State& state) {
    auto bytes = ReadSource(TrackPath());
    if (!bytes) state.SkipWithError(("no track at " + TrackPath()).c_str());
    return bytes ? std::move(*bytes) : std::vector<unsigned char>{};
}

// The whole decode, which the worker thread does for a music track.
void BM_DecodeTrack(benchmark::State& state) {
    auto bytes = TrackBytes(state);
    if (bytes.empty()) return;
    int length = 0;
    for (auto _ : state) {
        SoundRef sound = Audio::DecodeSound(bytes, TSound::kLoop);
        length = sound ? sound->length() : 0;
    }
    state.counters["seconds_of_music"] = length / 44100.0;
}
BENCHMARK(BM_DecodeTrack)->Unit(benchmark::kMillisecond);

// What StartMusic costs the game thread: looking for the file and queueing
// the stream; the worker opens and decodes it.
void BM_StartStream(benchmark::State& state) {
    if (TrackBytes(state).empty()) return;
    ManualClock clock;
    Audio audio(clock);
    std::string path = TrackPath();
    std::vector<std::int16_t> out(2 * kFragment);
    for (auto _ : state) {
        SoundRef sound = audio.StreamSound(path, TSound::kLoop);
        TChannel channel = audio.PlaySound(sound);
        benchmark::DoNotOptimize(channel);
        state.PauseTiming();
        audio.FinishLoading();
        audio.StopChannel(channel);
        audio.MixBlock(out.data(), kFragment);
        audio.FinishLoading();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartStream)->Iterations(20)->Unit(benchmark::kMicrosecond);

// The worker's cost for one streamed track: everything it decodes for a
// second of music, opening the file included.
void BM_StreamSecond(benchmark::State& state) {
    if (TrackBytes(state).empty()) return;
    ManualClock clock;
    Audio audio(clock);
    std::string path = TrackPath();
    std::vector<std::int16_t> out(2 * Audio::kOutputHertz);
    for (auto _ : state) {
        TChannel channel = audio.PlaySound(audio.StreamSound(path, TSound::kLoop));
        audio.FinishLoading();
        audio.MixBlock(out.data(), Audio::kOutputHertz);
        audio.FinishLoading();
        state.PauseTiming();
        audio.StopChannel(channel);
        audio.MixBlock(out.data(), kFragment);
        audio.FinishLoading();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StreamSecond)->Unit(benchmark::kMillisecond);

// From PlaySound to the device callback that first writes the sound, through
// SDL's disk driver (or the real device when SDL_AUDIODRIVER is set).
void BM_StartLatency(benchmark::State& state) {
    SystemClock clock;
    Audio audio(clock);
    if (!bench::AttachDevice(state, audio)) return;
    SoundRef sound = Noise(100, 1, 44100);
    double worst = 0;
    for (auto _ : state) {
        worst = std::max(worst, bench::TimeUntilSounding(state, audio, [&] { audio.PlaySound(sound); }));
        // Land the next request at another moment inside a fragment.
        std::this_thread::sleep_for(std::chrono::microseconds(3700));
    }
    state.counters["worst_ms"] = worst * 1000.0;
}
BENCHMARK(BM_StartLatency)->UseManualTime()->Iterations(60)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
