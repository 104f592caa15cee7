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
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(ScaleToInt(volume, 4096.0))));
}

int LeftGain(int volume, int pan) { return pan <= 0 ? volume : volume * (kUnitVolume - pan) / kUnitVolume; }

int RightGain(int volume, int pan, int depth) {
    int gain = pan >= 0 ? volume : volume * (kUnitVolume + pan) / kUnitVolume;
    return depth < 0 ? -gain : gain;
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

Audio::Audio(Clock& clock)
    : clock_(clock), handover_(std::make_unique<VoiceHandover>()), streams_(std::make_unique<StreamWorker>()) {
    free_slots_.reserve(kSlotCount);
    for (int i = kSlotCount - 1; i >= 0; --i) free_slots_.push_back(i);
    voice_pool_.reserve(kMaxVoices);
    spare_voices_.reserve(kMaxVoices);
    active_.reserve(kMaxVoices);
    accumulator_.assign(static_cast<std::size_t>(kMaxBlockFrames) * 2, 0);
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

// ---------------------------------------------------------------- mixing

void Audio::MixBlock(std::int16_t* out, int frames) {
    std::uint32_t now = static_cast<std::uint32_t>(clock_.Milliseconds());
    handover_->starts.Drain([this, now](Voice* voice) {
        int wait_ms = static_cast<int>(voice->start_time + kStartDelayMs - now);
        wait_ms = std::clamp(wait_ms, 0, kStartDelayMs);
        voice->delay = wait_ms * kOutputHertz / 1000;
        active_.push_back(voice);
    });

    while (frames > 0) {
        int chunk = std::min(frames, kMaxBlockFrames);
        MixChunk(out, chunk, now);
        out += 2 * chunk;
        frames -= chunk;
        now += static_cast<std::uint32_t>(chunk * 1000 / kOutputHertz);
    }
    active_count_.store(static_cast<int>(active_.size()), std::memory_order_relaxed);
}

void Audio::LetGo(Voice& voice) {
    if (voice.stream) {
        voice.stream->released.store(true, std::memory_order_release);
        voice.stream = nullptr;
        streams_->Wake();
    }
    voice.sound->voices_.fetch_sub(1, std::memory_order_release);
    handover_->recycled.Push(&voice);
}

void Audio::MixChunk(std::int16_t* out, int frames, std::uint32_t now) {
    std::fill_n(accumulator_.begin(), 2 * frames, 0);
    for (std::size_t i = 0; i < active_.size();) {
        Voice& voice = *active_[i];
        std::uint32_t status = voice.status.load(std::memory_order_acquire);
        bool ended = (status & 0xF) == kStatusEnded || (status & 0xF) == kStatusFree;
        if (ended && ((status & 0xF) == kStatusFree || voice.reclaimable.load(std::memory_order_relaxed))) {
            active_[i] = active_.back();
            active_.pop_back();
            LetGo(voice);
            continue;
        }
        ++i;
        if (ended) continue;
        int target_rate = voice.target_rate.load(std::memory_order_relaxed);
        int target_volume = voice.target_volume.load(std::memory_order_relaxed);
        // A stream waits for its first block with its start delay kept, so
        // it begins on time whenever the block comes in time.
        bool ready = !voice.stream || voice.stream->ready();
        // Until a voice has been heard there is no level to glide from.
        bool silent = (status & kStatusPaused) != 0 || !ready || voice.delay >= frames;
        if (silent) {
            if ((status & kStatusPaused) == 0 && ready) voice.delay -= frames;
            if (!voice.sounding) {
                voice.rate = target_rate;
                voice.volume = target_volume;
            }
            continue;
        }
        int first = voice.delay;
        voice.delay = 0;
        if (!voice.sounding) {
            voice.sounding = true;
            voice.rate = target_rate;
            voice.volume = target_volume;
            last_start_latency_ms_.store(static_cast<int>(now - voice.start_time), std::memory_order_relaxed);
            voices_started_.fetch_add(1, std::memory_order_relaxed);
        }
        MixVoice(voice, first, frames);
    }
    for (int i = 0; i < 2 * frames; ++i) {
        out[i] = static_cast<std::int16_t>(std::clamp(accumulator_[static_cast<std::size_t>(i)] >> 4, -32768, 32767));
    }
}

namespace {

struct Ramp {
    // 16.16 fixed point so a block needs no division per frame.
    std::int64_t value;
    std::int64_t step;
    Ramp(std::int64_t from, std::int64_t to, int frames, int first)
        : value(from * 65536), step((to - from) * 65536 / frames) {
        value += step * first;
    }
    std::int64_t Next() {
        std::int64_t current = value >> 16;
        value += step;
        return current;
    }
};

// Frames mixed at fixed rate and gains, never past the end of the data: the
// common case, kept free of ramps and end checks.
template <int Channels, bool Exact>
void MixSteady(const std::int16_t* data, std::int64_t& position, std::int32_t* acc, int first, int count,
               std::int64_t step, std::int32_t left, std::int32_t right) {
    if (Exact && step == 0x10000) {
        // The sound's own rate at the output rate: one source frame per
        // output frame, a loop the compiler can vectorise.
        const std::int16_t* frame = data + (position >> 16) * Channels;
        std::int32_t* out = acc + 2 * first;
        for (int i = 0; i < count; ++i) {
            std::int32_t sample_left = frame[Channels * i];
            std::int32_t sample_right = frame[Channels * i + Channels - 1];
            out[2 * i] += (sample_left * left) >> 8;
            out[2 * i + 1] += (sample_right * right) >> 8;
        }
        position += step * count;
        return;
    }
    for (int i = first; i < first + count; ++i) {
        std::int64_t index = position >> 16;
        const std::int16_t* frame = data + index * Channels;
        std::int32_t sample_left = frame[0];
        std::int32_t sample_right = Channels == 2 ? frame[1] : sample_left;
        if constexpr (!Exact) {
            std::int32_t fraction = static_cast<std::int32_t>(position & 0xFFFF);
            sample_left += static_cast<std::int32_t>((static_cast<std::int64_t>(frame[Channels] - frame[0]) * fraction) >> 16);
            if constexpr (Channels == 2) {
                sample_right += static_cast<std::int32_t>((static_cast<std::int64_t>(frame[3] - frame[1]) * fraction) >> 16);
            } else {
                sample_right = sample_left;
            }
        }
        acc[2 * i] += (sample_left * left) >> 8;
        acc[2 * i + 1] += (sample_right * right) >> 8;
        position += step;
    }
}

// Mixes output frames from i on, from frames that run to `end` (16.16) and
// are followed by a guard frame, until the output block is full or the
// position reaches the end. Returns the output frame it stopped at. The
// ramps carry on where they were, so a run of data may be mixed in pieces.
template <int Channels>
int MixSpan(const std::int16_t* data, std::int64_t end, std::int64_t& position, std::int32_t* acc, int i,
            int frames, Ramp& step, Ramp& left, Ramp& right) {
    if (step.step == 0 && left.step == 0 && right.step == 0) {
        std::int64_t rate = step.value >> 16;
        std::int32_t left_gain = static_cast<std::int32_t>(left.value >> 16);
        std::int32_t right_gain = static_cast<std::int32_t>(right.value >> 16);
        // A whole-sample step from a whole-sample position never needs
        // interpolating.
        bool exact = (rate & 0xFFFF) == 0 && (position & 0xFFFF) == 0;
        while (i < frames && position < end) {
            // The mixed frame that carries the position to the end, if the
            // block gets that far.
            std::int64_t until_end = rate > 0 ? (end - position + rate - 1) / rate : frames;
            int count = static_cast<int>(std::min<std::int64_t>(until_end, frames - i));
            if (exact) {
                MixSteady<Channels, true>(data, position, acc, i, count, rate, left_gain, right_gain);
            } else {
                MixSteady<Channels, false>(data, position, acc, i, count, rate, left_gain, right_gain);
            }
            i += count;
        }
        return i;
    }
    for (; i < frames && position < end; ++i) {
        std::int64_t index = position >> 16;
        std::int32_t fraction = static_cast<std::int32_t>(position & 0xFFFF);
        const std::int16_t* frame = data + index * Channels;
        std::int32_t a = frame[0];
        std::int32_t b = frame[Channels];
        std::int32_t sample_left = a + static_cast<std::int32_t>((static_cast<std::int64_t>(b - a) * fraction) >> 16);
        std::int32_t sample_right = sample_left;
        if constexpr (Channels == 2) {
            a = frame[1];
            b = frame[3];
            sample_right = a + static_cast<std::int32_t>((static_cast<std::int64_t>(b - a) * fraction) >> 16);
        }
        acc[2 * i] += (sample_left * static_cast<std::int32_t>(left.Next())) >> 8;
        acc[2 * i + 1] += (sample_right * static_cast<std::int32_t>(right.Next())) >> 8;
        position += step.Next();
    }
    return i;
}

// A whole sound; false when a one-shot reached its end.
template <int Channels>
bool MixSound(const TSound& sound, std::int64_t& position, std::int32_t* acc, int first, int frames, Ramp& step,
              Ramp& left, Ramp& right) {
    const std::int64_t end = static_cast<std::int64_t>(sound.length()) << 16;
    int i = first;
    for (;;) {
        i = MixSpan<Channels>(sound.data(), end, position, acc, i, frames, step, left, right);
        if (position < end) return true;
        if (!sound.loop()) return false;
        position %= end;
        if (i >= frames) return true;
    }
}

}  // namespace

void Audio::MixVoice(Voice& voice, int first, int frames) {
    const TSound& sound = *voice.sound;
    SoundStream* stream = voice.stream;
    int target_rate = voice.target_rate.load(std::memory_order_relaxed);
    int target_volume = voice.target_volume.load(std::memory_order_relaxed);
    int pan = voice.pan.load(std::memory_order_relaxed);
    int depth = voice.depth.load(std::memory_order_relaxed);
    if (!stream && sound.length() == 0) {
        voice.status.store(kStatusEnded, std::memory_order_release);
        return;
    }
    const int channels = stream ? stream->channels : sound.channels();
    std::int64_t hertz = stream ? stream->hertz : sound.hertz();
    Ramp step(voice.rate * hertz / kOutputHertz, target_rate * hertz / kOutputHertz, frames, first);
    Ramp left(LeftGain(voice.volume, pan), LeftGain(target_volume, pan), frames, first);
    Ramp right(RightGain(voice.volume, pan, depth), RightGain(target_volume, pan, depth), frames, first);
    voice.rate = target_rate;
    voice.volume = target_volume;
    std::int32_t* acc = accumulator_.data();
    if (!stream) {
        bool going = channels == 2 ? MixSound<2>(sound, voice.position, acc, first, frames, step, left, right)
                                   : MixSound<1>(sound, voice.position, acc, first, frames, step, left, right);
        if (!going) voice.status.store(kStatusEnded, std::memory_order_release);
        return;
    }
    int i = first;
    bool consumed = false;
    for (;;) {
        std::uint32_t read = stream->read.load(std::memory_order_relaxed);
        if (read == stream->written.load(std::memory_order_acquire)) {
            bool drained = stream->finished.load(std::memory_order_acquire) &&
                           read == stream->written.load(std::memory_order_acquire);
            // A looping track that failed plays on as silence, so the
            // channel behaves as it would with the real track.
            if (drained && !sound.loop()) voice.status.store(kStatusEnded, std::memory_order_release);
            // Otherwise the worker is late: the rest of this block stays
            // silent and the track goes on where it was.
            break;
        }
        if (i >= frames) break;
        const std::int64_t end = static_cast<std::int64_t>(stream->lengths[read % kStreamBlocks]) << 16;
        std::int16_t* data = stream->block(read);
        i = channels == 2 ? MixSpan<2>(data, end, voice.position, acc, i, frames, step, left, right)
                          : MixSpan<1>(data, end, voice.position, acc, i, frames, step, left, right);
        if (voice.position < end) break;
        voice.position -= end;
        stream->read.store(read + 1, std::memory_order_release);
        consumed = true;
    }
    if (consumed) streams_->Wake();
}
