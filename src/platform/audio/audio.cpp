#include "platform/audio/audio.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <set>
#include <utility>

#include "platform/audio/audio_decoder.hpp"
#include "platform/audio/audio_handover.hpp"
#include "platform/audio/audio_mixer.hpp"
#include "platform/audio/audio_stream.hpp"
#include "platform/system/message.hpp"
#include "platform/system/resources.hpp"

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

// ---------------------------------------------------------------- sounds

std::shared_ptr<TSound> TSound::FromFrames(std::vector<std::int16_t> frames, int channels, int hertz, int flags,
                                           std::string source) {
    auto sound = std::make_shared<TSound>();
    sound->channels_ = channels == 2 ? 2 : 1;
    sound->hertz_ = hertz > 0 ? hertz : 44100;
    sound->loop_ = (flags & kLoop) != 0;
    sound->source_ = std::move(source);
    int length = static_cast<int>(frames.size() / static_cast<std::size_t>(sound->channels_));
    frames.resize(static_cast<std::size_t>(length) * static_cast<std::size_t>(sound->channels_));
    sound->Publish(std::move(frames), length);
    return sound;
}

void TSound::Publish(std::vector<std::int16_t> samples, int length) {
    std::size_t channels = static_cast<std::size_t>(channels_);
    samples.resize((static_cast<std::size_t>(length) + 1) * channels);
    for (std::size_t c = 0; c < channels; ++c) {
        std::int16_t guard = 0;
        if (length > 0) guard = loop_ ? samples[c] : samples[(static_cast<std::size_t>(length) - 1) * channels + c];
        samples[static_cast<std::size_t>(length) * channels + c] = guard;
    }
    if (samples.capacity() > samples.size() + samples.size() / 8) samples.shrink_to_fit();
    samples_ = std::move(samples);
    length_ = length;
}

// ---------------------------------------------------------------- setup

Audio::Audio(Clock& clock, bool stream_thread)
    : clock_(clock),
      handover_(std::make_unique<VoiceHandover>()),
      streams_(std::make_unique<StreamWorker>(stream_thread)),
      mixer_(std::make_unique<AudioMixer>(clock, *handover_, *streams_)) {
    free_slots_.reserve(kSlotCount);
    for (int i = kSlotCount - 1; i >= 0; --i) free_slots_.push_back(i);
    voice_pool_.reserve(kMaxVoices);
    spare_voices_.reserve(kMaxVoices);
}

Audio::~Audio() {
    // The mixer goes first: it reads what the worker owns.
    output_.reset();
    streams_.reset();
}

void Audio::AttachOutput(std::unique_ptr<AudioOutput> output) {
    output_.reset();
    output_ = std::move(output);
}

// ---------------------------------------------------------------- loading

SoundRef Audio::DecodeSound(std::vector<unsigned char> bytes, int flags, std::string source) {
    auto decoder = SoundDecoder::Open(std::move(bytes));
    if (!decoder) return nullptr;
    auto sound = std::make_shared<TSound>();
    sound->channels_ = decoder->channels();
    sound->hertz_ = decoder->hertz();
    sound->loop_ = (flags & TSound::kLoop) != 0;
    sound->source_ = std::move(source);
    auto [samples, length] = decoder->DecodeAll();
    sound->Publish(std::move(samples), length);
    return sound;
}

SoundRef Audio::LoadSound(const std::string& source, int flags) {
    ReleaseUnusedSounds();
    // Refused before it is read: decoded whole, a file this large would take
    // hundreds of megabytes and seconds of start-up.
    std::error_code error;
    if (!source.starts_with(kIncbinPrefix) && std::filesystem::file_size(source, error) > kMaxEffectBytes && !error) {
        return nullptr;
    }
    auto bytes = ReadSource(source);
    if (!bytes) return nullptr;
    SoundRef sound = DecodeSound(std::move(*bytes), flags, source);
    Hold(sound);
    return sound;
}

SoundRef Audio::StreamSound(const std::string& source, int flags) {
    ReleaseUnusedSounds();
    // The worker opens the file when a voice starts; here it is only looked
    // for, so a missing track is known at once.
    bool present = false;
    if (source.starts_with(kIncbinPrefix)) {
        present = !FindResource(std::string_view(source).substr(kIncbinPrefix.size())).empty();
    } else if (!IsStreamName(source)) {
        std::error_code error;
        present = std::filesystem::is_regular_file(source, error);
    }
    if (!present) return nullptr;
    auto sound = std::make_shared<TSound>();
    sound->loop_ = (flags & TSound::kLoop) != 0;
    sound->streamed_ = true;
    sound->source_ = source;
    Hold(sound);
    return sound;
}

void Audio::MixBlock(std::int16_t* out, int frames) { mixer_->MixBlock(out, frames); }

int Audio::last_start_latency_ms() const { return mixer_->last_start_latency_ms(); }

int Audio::voices_started() const { return mixer_->voices_started(); }

int Audio::active_voice_count() const { return mixer_->active_voice_count(); }

void Audio::FinishLoading() { streams_->Finish(); }

int Audio::stream_count() const { return streams_->count(); }

void Audio::Hold(const SoundRef& sound) {
    if (!sound || sound->held_by_ == this) return;
    sound->held_by_ = this;
    sounds_.push_back(sound);
}

void Audio::ReleaseUnusedSounds() {
    std::erase_if(sounds_, [](const SoundRef& sound) {
        bool unused = sound.use_count() == 1 && sound->voices_.load(std::memory_order_acquire) == 0;
        if (unused) sound->held_by_ = nullptr;
        return unused;
    });
}

// ---------------------------------------------------------------- channels

TChannel Audio::NewHandle() {
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

void Audio::FreeSlot(Slot& slot) {
    slot.handle = 0;
    slot.voice = nullptr;
    free_slots_.push_back(static_cast<int>(&slot - slots_.data()));
}

Audio::Slot* Audio::FindSlot(TChannel channel) {
    if (!channel) return nullptr;
    Slot& slot = slots_[channel.handle & kSlotMask];
    return slot.handle == channel.handle ? &slot : nullptr;
}

Voice* Audio::FindVoice(TChannel channel) {
    Slot* slot = FindSlot(channel);
    if (!slot || !slot->voice || slot->voice->owner != channel.handle) return nullptr;
    return slot->voice;
}

Voice* Audio::TakeVoice() {
    handover_->recycled.Drain([this](Voice* voice) { spare_voices_.push_back(voice); });
    if (!spare_voices_.empty()) {
        Voice* voice = spare_voices_.back();
        spare_voices_.pop_back();
        return voice;
    }
    if (voice_pool_.size() >= static_cast<std::size_t>(kMaxVoices)) return nullptr;
    voice_pool_.push_back(std::make_unique<Voice>());
    return voice_pool_.back().get();
}

TChannel Audio::StartSound(const SoundRef& sound, TChannel channel, bool cued) {
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
    Hold(sound);
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

    if (handover_->starts.full()) {
        spare_voices_.push_back(voice);
        return channel;
    }
    voice->stream = nullptr;
    if (sound->streamed()) {
        auto stream = std::make_unique<SoundStream>();
        stream->source = sound->source();
        stream->loop = sound->loop();
        voice->stream = stream.get();
        streams_->Add(std::move(stream));
    }
    sound->voices_.fetch_add(1, std::memory_order_relaxed);
    slot->voice = voice;
    handover_->starts.Push(voice);
    if (voice->stream) streams_->Wake();
    return channel;
}

TChannel Audio::PlaySound(const SoundRef& sound, TChannel channel) { return StartSound(sound, channel, false); }

TChannel Audio::CueSound(const SoundRef& sound, TChannel channel) { return StartSound(sound, channel, true); }

TChannel Audio::AllocChannel() { return NewHandle(); }

void Audio::StopChannel(TChannel channel) {
    Slot* slot = FindSlot(channel);
    if (!slot) return;
    if (Voice* voice = FindVoice(channel)) {
        voice->reclaimable.store(true, std::memory_order_relaxed);
        voice->status.store(kStatusEnded, std::memory_order_release);
    }
    FreeSlot(*slot);
}

void Audio::ReleaseChannel(TChannel channel) {
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

void Audio::PauseChannel(TChannel channel) {
    if (Voice* voice = FindVoice(channel)) voice->status.fetch_or(kStatusPaused, std::memory_order_acq_rel);
}

void Audio::ResumeChannel(TChannel channel) {
    if (Voice* voice = FindVoice(channel)) voice->status.fetch_and(~kStatusPaused, std::memory_order_acq_rel);
}

void Audio::SetChannelVolume(TChannel channel, float volume) {
    if (Voice* voice = FindVoice(channel)) voice->target_volume.store(VolumeUnits(volume), std::memory_order_relaxed);
}

void Audio::SetChannelPan(TChannel channel, float pan) {
    int units = std::clamp(ScaleToInt(pan, 4096.0), -kUnitVolume, kUnitVolume);
    if (Voice* voice = FindVoice(channel)) voice->pan.store(units, std::memory_order_relaxed);
}

void Audio::SetChannelDepth(TChannel channel, float depth) {
    if (Voice* voice = FindVoice(channel)) voice->depth.store(ScaleToInt(depth, 4096.0), std::memory_order_relaxed);
}

void Audio::SetChannelRate(TChannel channel, float rate) {
    // A negative step would walk off the front of the data.
    int units = std::max(0, ScaleToInt(rate, 65536.0));
    if (Voice* voice = FindVoice(channel)) voice->target_rate.store(units, std::memory_order_relaxed);
}

int Audio::ChannelPlaying(TChannel channel) {
    Voice* voice = FindVoice(channel);
    if (!voice) return 0;
    std::uint32_t status = voice->status.load(std::memory_order_acquire);
    return status == kStatusOnce || status == kStatusLooped ? 1 : 0;
}
