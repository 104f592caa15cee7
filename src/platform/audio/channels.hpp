#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/audio/audio.hpp"
#include "platform/system/clock.hpp"

class StreamWorker;
struct Voice;
struct VoiceHandover;

// The game thread's side of the voices: the channel handles, the slots they
// name and the pool of voices bound to them. A voice reaches the mixer only
// through the hand-over; from then on this side touches only its atomics.
class ChannelTable {
public:
    // hold keeps a sound alive while a voice may still read it.
    ChannelTable(Clock& clock, VoiceHandover& handover, StreamWorker& streams,
                 std::function<void(const SoundRef&)> hold);
    ~ChannelTable();
    ChannelTable(const ChannelTable&) = delete;
    ChannelTable& operator=(const ChannelTable&) = delete;

    TChannel Start(const SoundRef& sound, TChannel channel, bool cued);
    TChannel Alloc() { return NewHandle(); }
    void Stop(TChannel channel);
    void Release(TChannel channel);
    void Pause(TChannel channel);
    void Resume(TChannel channel);
    void SetVolume(TChannel channel, float volume);
    void SetPan(TChannel channel, float pan);
    void SetDepth(TChannel channel, float depth);
    void SetRate(TChannel channel, float rate);
    int Playing(TChannel channel);

private:
    struct Slot {
        std::uint32_t handle = 0;  // 0 while free
        std::uint32_t generation = 0;
        Voice* voice = nullptr;
    };

    Voice* FindVoice(TChannel channel);
    Slot* FindSlot(TChannel channel);
    Voice* TakeVoice();
    TChannel NewHandle();
    void FreeSlot(Slot& slot);

    Clock& clock_;
    VoiceHandover& handover_;
    StreamWorker& streams_;
    std::function<void(const SoundRef&)> hold_;

    std::array<Slot, Audio::kSlotCount> slots_{};
    std::vector<int> free_slots_;
    std::vector<std::unique_ptr<Voice>> voice_pool_;
    std::vector<Voice*> spare_voices_;
};
