#include <SDL.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/audio/audio_output.hpp"

namespace {

constexpr int kFragmentFrames = 512;

class SdlAudioOutput final : public AudioOutput {
public:
    SdlAudioOutput(SDL_AudioDeviceID device) : device_(device) {}
    ~SdlAudioOutput() override {
        // Closing waits for a callback in progress, so the mixer is idle after.
        SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    const char* name() const override { return "sdl"; }

    static void Feed(void* user, Uint8* stream, int bytes) {
        static_cast<MixSource*>(user)->MixBlock(reinterpret_cast<std::int16_t*>(stream), bytes / 4);
    }

private:
    SDL_AudioDeviceID device_;
};

class SilentAudioOutput final : public AudioOutput {
public:
    explicit SilentAudioOutput(MixSource& source) : thread_([this, &source] { Run(source); }) {}
    ~SilentAudioOutput() override {
        quit_.store(true);
        thread_.join();
    }
    const char* name() const override { return "silent"; }

private:
    void Run(MixSource& source) {
        std::int16_t block[2 * kFragmentFrames];
        const auto period = std::chrono::microseconds(1'000'000LL * kFragmentFrames / kAudioOutputHertz);
        auto next = std::chrono::steady_clock::now();
        while (!quit_.load()) {
            source.MixBlock(block, kFragmentFrames);
            next += period;
            std::this_thread::sleep_until(next);
        }
    }

    std::atomic<bool> quit_{false};
    std::thread thread_;
};

}  // namespace

std::unique_ptr<AudioOutput> OpenSdlAudioOutput(MixSource& source) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
    SDL_AudioSpec wanted{};
    wanted.freq = kAudioOutputHertz;
    wanted.format = AUDIO_S16LSB;
    wanted.channels = 2;
    wanted.samples = kFragmentFrames;
    wanted.callback = &SdlAudioOutput::Feed;
    wanted.userdata = &source;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the device wants, so the
    // mixer always sees 44100 Hz 16-bit stereo.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    auto output = std::make_unique<SdlAudioOutput>(device);
    SDL_PauseAudioDevice(device, 0);
    return output;
}

std::unique_ptr<AudioOutput> OpenSilentAudioOutput(MixSource& source) {
    return std::make_unique<SilentAudioOutput>(source);
}

std::unique_ptr<AudioOutput> OpenAudioOutput(MixSource& source) {
    if (auto output = OpenSdlAudioOutput(source)) return output;
    return OpenSilentAudioOutput(source);
}
