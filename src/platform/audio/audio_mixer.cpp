#include "platform/audio/audio_mixer.hpp"

#include <algorithm>

#include "platform/audio/audio_handover.hpp"
#include "platform/audio/audio_stream.hpp"

namespace {

int LeftGain(int volume, int pan) { return pan <= 0 ? volume : volume * (kUnitVolume - pan) / kUnitVolume; }

int RightGain(int volume, int pan, int depth) {
    int gain = pan >= 0 ? volume : volume * (kUnitVolume + pan) / kUnitVolume;
    return depth < 0 ? -gain : gain;
}

}  // namespace

AudioMixer::AudioMixer(Clock& clock, VoiceHandover& handover, StreamWorker& streams)
    : clock_(clock), handover_(handover), streams_(streams) {
    active_.reserve(Audio::kMaxVoices);
    accumulator_.assign(static_cast<std::size_t>(Audio::kMaxBlockFrames) * 2, 0);
}

void AudioMixer::MixBlock(std::int16_t* out, int frames) {
    streams_.Pump();
    std::uint32_t now = static_cast<std::uint32_t>(clock_.Milliseconds());
    handover_.starts.Drain([this, now](Voice* voice) {
        int wait_ms = static_cast<int>(voice->start_time + Audio::kStartDelayMs - now);
        wait_ms = std::clamp(wait_ms, 0, Audio::kStartDelayMs);
        voice->delay = wait_ms * Audio::kOutputHertz / 1000;
        active_.push_back(voice);
    });

    while (frames > 0) {
        int chunk = std::min(frames, Audio::kMaxBlockFrames);
        MixChunk(out, chunk, now);
        out += 2 * chunk;
        frames -= chunk;
        now += static_cast<std::uint32_t>(chunk * 1000 / Audio::kOutputHertz);
    }
    active_count_.store(static_cast<int>(active_.size()), std::memory_order_relaxed);
}

void AudioMixer::LetGo(Voice& voice) {
    if (voice.stream) {
        voice.stream->released.store(true, std::memory_order_release);
        voice.stream = nullptr;
        streams_.Wake();
    }
    voice.sound->voices_.fetch_sub(1, std::memory_order_release);
    handover_.recycled.Push(&voice);
}

void AudioMixer::MixChunk(std::int16_t* out, int frames, std::uint32_t now) {
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
            sample_left +=
                static_cast<std::int32_t>((static_cast<std::int64_t>(frame[Channels] - frame[0]) * fraction) >> 16);
            if constexpr (Channels == 2) {
                sample_right +=
                    static_cast<std::int32_t>((static_cast<std::int64_t>(frame[3] - frame[1]) * fraction) >> 16);
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
int MixSpan(const std::int16_t* data, std::int64_t end, std::int64_t& position, std::int32_t* acc, int i, int frames,
            Ramp& step, Ramp& left, Ramp& right) {
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

void AudioMixer::MixVoice(Voice& voice, int first, int frames) {
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
    Ramp step(voice.rate * hertz / Audio::kOutputHertz, target_rate * hertz / Audio::kOutputHertz, frames, first);
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
        const std::int64_t end = static_cast<std::int64_t>(stream->lengths[read % Audio::kStreamBlocks]) << 16;
        std::int16_t* data = stream->block(read);
        i = channels == 2 ? MixSpan<2>(data, end, voice.position, acc, i, frames, step, left, right)
                          : MixSpan<1>(data, end, voice.position, acc, i, frames, step, left, right);
        if (voice.position < end) break;
        voice.position -= end;
        stream->read.store(read + 1, std::memory_order_release);
        consumed = true;
    }
    if (consumed) streams_.Wake();
}
