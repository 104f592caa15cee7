#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/audio/audio.hpp"

// The test back end: mixes only when Pull is called, so a test decides when
// time passes for the mixer; the last pulled block can be inspected.
class ManualAudioOutput final : public AudioOutput {
public:
    explicit ManualAudioOutput(Audio& audio) : audio_(audio) {}
    const char* name() const override { return "manual"; }

    std::span<const std::int16_t> Pull(int frames) {
        block_.resize(static_cast<std::size_t>(frames) * 2);
        audio_.MixBlock(block_.data(), frames);
        return block_;
    }

private:
    Audio& audio_;
    std::vector<std::int16_t> block_;
};
