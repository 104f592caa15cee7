#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/system/clock.hpp"

class StreamWorker;
struct Voice;
struct VoiceHandover;

// The output thread's part of the audio: the voices it plays and the
// arithmetic that sums them into one stereo block. It takes voices from the
// game thread's hand-over and gives them back there when they are done.
class AudioMixer {
public:
    AudioMixer(Clock& clock, VoiceHandover& handover, StreamWorker& streams);

    void MixBlock(std::int16_t* out, int frames);

    int last_start_latency_ms() const { return last_start_latency_ms_.load(std::memory_order_relaxed); }
    int voices_started() const { return voices_started_.load(std::memory_order_relaxed); }
    int active_voice_count() const { return active_count_.load(std::memory_order_relaxed); }

private:
    void MixChunk(std::int16_t* out, int frames, std::uint32_t now);
    void MixVoice(Voice& voice, int first, int frames);
    void LetGo(Voice& voice);

    Clock& clock_;
    VoiceHandover& handover_;
    StreamWorker& streams_;
    std::vector<Voice*> active_;
    std::vector<std::int32_t> accumulator_;
    std::atomic<int> active_count_{0};
    std::atomic<int> last_start_latency_ms_{-1};
    std::atomic<int> voices_started_{0};
};
