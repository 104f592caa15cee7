#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "platform/audio/audio.hpp"

// Everything the game thread and the mixer share, and nothing else: the
// voices and the two rings that pass them to and fro without a lock. The game
// thread owns a voice until it queues it as a start; the mixer owns it from
// then until it queues it back as recycled. In between, the game thread
// touches only the voice's atomics, in single writes the mixer takes up at
// its next block.

inline constexpr std::uint32_t kStatusFree = 0;
inline constexpr std::uint32_t kStatusEnded = 1;
inline constexpr std::uint32_t kStatusOnce = 2;
inline constexpr std::uint32_t kStatusLooped = 4;
inline constexpr std::uint32_t kStatusPaused = 0x10;

inline constexpr int kUnitRate = 0x10000;
inline constexpr int kUnitVolume = 4096;

struct SoundStream;

struct Voice {
    // Written by the game thread before the voice is queued, read by the mixer.
    const TSound* sound = nullptr;
    // On the wrapping millisecond clock, hence unsigned.
    std::uint32_t start_time = 0;
    // Set for a streamed sound; the mixer clears it when it lets go.
    SoundStream* stream = nullptr;
    // The handle that last bound this voice; game thread only. A slot whose
    // voice was recycled and rebound no longer matches it.
    std::uint32_t owner = 0;

    std::atomic<std::uint32_t> status{kStatusFree};
    std::atomic<bool> reclaimable{false};
    std::atomic<int> target_rate{kUnitRate};
    std::atomic<int> target_volume{kUnitVolume};
    std::atomic<int> pan{0};
    std::atomic<int> depth{0};

    // The mixer's own once queued.
    std::int64_t position = 0;  // 16.16 frames; within the current block for a stream
    int rate = kUnitRate;
    int volume = kUnitVolume;
    int delay = 0;  // output frames still to wait
    bool sounding = false;
};

// One producer and one consumer, each index written by one side only.
template <typename T, std::uint32_t Capacity>
class HandoverRing {
public:
    // Producer only.
    bool full() const {
        return write_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire) >= Capacity;
    }
    // Producer only, and only when not full.
    void Push(T item) {
        std::uint32_t write = write_.load(std::memory_order_relaxed);
        items_[write % Capacity] = item;
        write_.store(write + 1, std::memory_order_release);
    }
    // Consumer only: hands every item queued so far to take, oldest first.
    template <typename Take>
    void Drain(Take take) {
        std::uint32_t read = read_.load(std::memory_order_relaxed);
        std::uint32_t write = write_.load(std::memory_order_acquire);
        for (; read != write; ++read) take(items_[read % Capacity]);
        read_.store(read, std::memory_order_release);
    }

private:
    std::array<T, Capacity> items_{};
    std::atomic<std::uint32_t> write_{0};
    std::atomic<std::uint32_t> read_{0};
};

struct VoiceHandover {
    // Game thread → mixer: voices to start.
    HandoverRing<Voice*, Audio::kPendingCapacity> starts;
    // Mixer → game thread: voices to use again. It has room for every voice
    // there is, so it is never full.
    HandoverRing<Voice*, Audio::kMaxVoices> recycled;
};
