#pragma once

#include <cstdint>
#include <memory>

// Every output plays 44100 Hz 16-bit stereo, the only format the mixer makes.
inline constexpr int kAudioOutputHertz = 44100;

// What an output pulls its sound from, on the output's own thread.
class MixSource {
public:
    // The next frames of the stereo output, interleaved left, right.
    virtual void MixBlock(std::int16_t* out, int frames) = 0;

protected:
    ~MixSource() = default;
};

// Where mixed samples go. Each back end pulls blocks from its source on its
// own thread (or, for tests, when told to).
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    virtual const char* name() const = 0;
};

// Opens the sound device at 44100 Hz, 16-bit stereo, 512-frame fragments;
// null when there is no device.
std::unique_ptr<AudioOutput> OpenSdlAudioOutput(MixSource& source);
// Mixes in real time into nothing, so sounds still run their course.
std::unique_ptr<AudioOutput> OpenSilentAudioOutput(MixSource& source);
// The device if one opens, else the silent output.
std::unique_ptr<AudioOutput> OpenAudioOutput(MixSource& source);
