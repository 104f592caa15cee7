#include "platform/audio/channels.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "platform/audio/audio_handover.hpp"
#include "platform/audio/audio_stream.hpp"

namespace {

constexpr std::uint32_t kSlotMask = Audio::kSlotCount - 1;
constexpr std::uint32_t kGenerationStep = Audio::kSlotCount;

// trunc(value × scale) without the undefined behaviour of converting an
// out-of-range float.
int ScaleToInt(float value, double scale) {
    double scaled = std::trunc(static_cast<double>(value) * scale);
    if (!(scaled == scaled)) return 0;
    scaled = std::clamp(scaled, static_cast<double>(std::numeric_limits<int>::min()),
                        static_cast<double>(std::numeric_limits<int>::max()));
    return static_cast<int>(scaled);
}

// Volume is held as a signed 16-bit value, so 8.0 and above wrap around.
int VolumeUnits(float volume) {
    return static_cast<std::int16_t>(
        static_cast<std::uint16_t>(static_cast<std::uint32_t>(ScaleToInt(volume, 4096.0))));
}

}  // namespace

ChannelTable::ChannelTable(Clock& clock, VoiceHandover& handover, StreamWorker& streams,
                           std::function<void(const SoundRef&)> hold)
    : clock_(clock), handover_(handover), streams_(streams), hold_(std::move(hold)) {
    free_slots_.reserve(Audio::kSlotCount);
    for (int i = Audio::kSlotCount - 1; i >= 0; --i) free_slots_.push_back(i);
    voice_pool_.reserve(Audio::kMaxVoices);
    spare_voices_.reserve(Audio::kMaxVoices);
}

ChannelTable::~ChannelTable() = default;

TChannel ChannelTable::NewHandle() {
    if (free_slots_.empty()) return {};
    int index = free_slots_.back();
    free_slots_.pop_back();
    Slot& slot = slots_[static_cast<std::size_t>(index)];
    slot.generation += kGenerationStep;
    std::uint32_t handle = slot.generation | static_cast<std::uint32_t>(index);
    if (handle == 0) {
        slot.generation += kGenerationStep;
        handle = slot.generation | static_cast<std::uint32_t>(index);
    }
    slot.handle = handle;
    slot.voice = nullptr;
    return TChannel{handle};
}

void ChannelTable::FreeSlot(Slot& slot) {
    slot.handle = 0;
    slot.voice = nullptr;
    free_slots_.push_back(static_cast<int>(&slot - slots_.data()));
}

ChannelTable::Slot* ChannelTable::FindSlot(TChannel channel) {
    if (!channel) return nullptr;
    Slot& slot = slots_[channel.handle & kSlotMask];
    return slot.handle == channel.handle ? &slot : nullptr;
}

Voice* ChannelTable::FindVoice(TChannel channel) {
    Slot* slot = FindSlot(channel);
    if (!slot || !slot->voice || slot->voice->owner != channel.handle) return nullptr;
    return slot->voice;
}

Voice* ChannelTable::TakeVoice() {
    handover_.recycled.Drain([this](Voice* voice) { spare_voices_.push_back(voice); });
    if (!spare_voices_.empty()) {
        Voice* voice = spare_voices_.back();
        spare_voices_.pop_back();
        return voice;
    }
    if (voice_pool_.size() >= static_cast<std::size_t>(Audio::kMaxVoices)) return nullptr;
    voice_pool_.push_back(std::make_unique<Voice>());
    return voice_pool_.back().get();
}

TChannel ChannelTable::Start(const SoundRef& sound, TChannel channel, bool cued) {
    Slot* slot = nullptr;
    bool reclaimable = false;
    int rate = kUnitRate, volume = kUnitVolume, pan = 0, depth = 0;
    if (!channel) {
        channel = NewHandle();
        slot = FindSlot(channel);
        if (!slot) return {};
        reclaimable = true;
    } else {
        slot = FindSlot(channel);
        if (!slot) return channel;
        if (Voice* previous = FindVoice(channel)) {
            rate = previous->target_rate.load(std::memory_order_relaxed);
            volume = previous->target_volume.load(std::memory_order_relaxed);
            pan = previous->pan.load(std::memory_order_relaxed);
            depth = previous->depth.load(std::memory_order_relaxed);
            // Nothing refers to the replaced voice any more, so let the mixer drop it.
            previous->reclaimable.store(true, std::memory_order_relaxed);
            previous->status.store(kStatusEnded, std::memory_order_release);
        }
        slot->voice = nullptr;
    }
    if (!sound) return channel;

    Voice* voice = TakeVoice();
    if (!voice) return channel;
    hold_(sound);
    voice->sound = sound.get();
    voice->start_time = static_cast<std::uint32_t>(clock_.Milliseconds());
    voice->owner = channel.handle;
    voice->reclaimable.store(reclaimable, std::memory_order_relaxed);
    voice->target_rate.store(rate, std::memory_order_relaxed);
    voice->target_volume.store(volume, std::memory_order_relaxed);
    voice->pan.store(pan, std::memory_order_relaxed);
    voice->depth.store(depth, std::memory_order_relaxed);
    voice->status.store((sound->loop() ? kStatusLooped : kStatusOnce) | (cued ? kStatusPaused : 0),
                        std::memory_order_relaxed);
    voice->position = 0;
    voice->rate = rate;
    voice->volume = volume;
    voice->delay = 0;
    voice->sounding = false;

    if (handover_.starts.full()) {
        spare_voices_.push_back(voice);
        return channel;
    }
    voice->stream = nullptr;
    if (sound->streamed()) {
        auto stream = std::make_unique<SoundStream>();
        stream->source = sound->source();
        stream->loop = sound->loop();
        voice->stream = stream.get();
        streams_.Add(std::move(stream));
    }
    sound->voices_.fetch_add(1, std::memory_order_relaxed);
    slot->voice = voice;
    handover_.starts.Push(voice);
    if (voice->stream) streams_.Wake();
    return channel;
}

void ChannelTable::Stop(TChannel channel) {
    Slot* slot = FindSlot(channel);
    if (!slot) return;
    if (Voice* voice = FindVoice(channel)) {
        voice->reclaimable.store(true, std::memory_order_relaxed);
        voice->status.store(kStatusEnded, std::memory_order_release);
    }
    FreeSlot(*slot);
}

void ChannelTable::Release(TChannel channel) {
    Slot* slot = FindSlot(channel);
    if (!slot) return;
    Voice* voice = FindVoice(channel);
    // A voice on an explicitly given channel would otherwise play on with
    // nothing able to stop it.
    if (voice && !voice->reclaimable.load(std::memory_order_relaxed)) {
        voice->reclaimable.store(true, std::memory_order_relaxed);
        voice->status.store(kStatusEnded, std::memory_order_release);
    }
    FreeSlot(*slot);
}

void ChannelTable::Pause(TChannel channel) {
    if (Voice* voice = FindVoice(channel)) voice->status.fetch_or(kStatusPaused, std::memory_order_acq_rel);
}

void ChannelTable::Resume(TChannel channel) {
    if (Voice* voice = FindVoice(channel)) voice->status.fetch_and(~kStatusPaused, std::memory_order_acq_rel);
}

void ChannelTable::SetVolume(TChannel channel, float volume) {
    if (Voice* voice = FindVoice(channel)) voice->target_volume.store(VolumeUnits(volume), std::memory_order_relaxed);
}

void ChannelTable::SetPan(TChannel channel, float pan) {
    int units = std::clamp(ScaleToInt(pan, 4096.0), -kUnitVolume, kUnitVolume);
    if (Voice* voice = FindVoice(channel)) voice->pan.store(units, std::memory_order_relaxed);
}

void ChannelTable::SetDepth(TChannel channel, float depth) {
    if (Voice* voice = FindVoice(channel)) voice->depth.store(ScaleToInt(depth, 4096.0), std::memory_order_relaxed);
}

void ChannelTable::SetRate(TChannel channel, float rate) {
    // A negative step would walk off the front of the data.
    int units = std::max(0, ScaleToInt(rate, 65536.0));
    if (Voice* voice = FindVoice(channel)) voice->target_rate.store(units, std::memory_order_relaxed);
}

int ChannelTable::Playing(TChannel channel) {
    Voice* voice = FindVoice(channel);
    if (!voice) return 0;
    std::uint32_t status = voice->status.load(std::memory_order_acquire);
    return status == kStatusOnce || status == kStatusLooped ? 1 : 0;
}
