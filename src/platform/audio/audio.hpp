#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/audio_output.hpp"
#include "platform/system/clock.hpp"

class Audio;
class AudioMixer;
class ChannelTable;
class StreamWorker;
struct Voice;
struct VoiceHandover;

// A sound the mixer plays. Effects are decoded whole: 16-bit interleaved
// frames followed by one guard frame, so interpolation at the end never reads
// past the data; they never change once made. A streamed sound only names its
// file: every voice that plays it decodes the file in small blocks as it goes,
// so a long track never sits in memory whole.
class TSound {
public:
    static constexpr int kLoop = 1;

    // Frames given without the guard frame; it is added here.
    static std::shared_ptr<TSound> FromFrames(std::vector<std::int16_t> frames, int channels, int hertz, int flags,
                                              std::string source = {});

    bool streamed() const { return streamed_; }
    // A streamed sound has no frames of its own: its length is 0.
    int length() const { return length_; }
    int channels() const { return channels_; }
    int hertz() const { return hertz_; }
    bool loop() const { return loop_; }
    const std::string& source() const { return source_; }
    // Frame data including the guard frame.
    const std::int16_t* data() const { return samples_.data(); }

private:
    friend class Audio;
    friend class AudioMixer;
    friend class ChannelTable;

    void Publish(std::vector<std::int16_t> samples, int length);

    std::vector<std::int16_t> samples_;
    int length_ = 0;
    int channels_ = 1;
    int hertz_ = 44100;
    bool loop_ = false;
    bool streamed_ = false;
    std::string source_;
    // Voices bound to this sound that the mixer may still read. The game
    // thread raises it when it starts a voice, the mixer lowers it when it
    // lets the voice go; at zero the sound may be freed.
    mutable std::atomic<int> voices_{0};
    // The mixer that holds this sound until no voice plays it; game thread only.
    const Audio* held_by_ = nullptr;
};

using SoundRef = std::shared_ptr<TSound>;

// A handle to one mixer voice: the low 12 bits pick the slot, the rest is the
// slot's generation, so a handle whose slot was handed out again is ignored.
struct TChannel {
    std::uint32_t handle = 0;

    explicit operator bool() const { return handle != 0; }
    bool operator==(const TChannel&) const = default;
};

// Where there are no threads (a browser build without shared memory), or
// when built with REZARUDEV_NO_AUDIO_THREAD, streamed sounds are decoded by
// the mixer itself, just before the blocks that need them.
#if defined(REZARUDEV_NO_AUDIO_THREAD) || (defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__))
inline constexpr bool kAudioStreamThread = false;
#else
inline constexpr bool kAudioStreamThread = true;
#endif

// The software mixer and the channel operations. Every operation except
// MixBlock belongs to the game thread; MixBlock belongs to the output thread.
// The two share only atomics and two single-producer/single-consumer rings.
class Audio final : public MixSource {
public:
    static constexpr int kOutputHertz = kAudioOutputHertz;
    static constexpr int kSlotCount = 4096;
    static constexpr int kMaxVoices = 4096;
    static constexpr int kPendingCapacity = 4096;
    static constexpr int kStartDelayMs = 20;
    static constexpr int kMaxBlockFrames = 4096;
    // A block takes a millisecond or two to decode, well inside the start
    // delay; the ring holds about 0.7 s of music ahead of the mixer.
    static constexpr int kStreamBlockFrames = 4096;
    static constexpr int kStreamBlocks = 8;
    // The longest effect is a few seconds, 26 KB; 16 MB of Vorbis is minutes
    // of sound even at the highest quality, so no effect comes near it.
    static constexpr std::uintmax_t kMaxEffectBytes = 16u << 20;

    explicit Audio(Clock& clock, bool stream_thread = kAudioStreamThread);
    ~Audio();
    Audio(const Audio&) = delete;
    Audio& operator=(const Audio&) = delete;

    // Stops any output already attached first. The output must have been made
    // for this Audio.
    void AttachOutput(std::unique_ptr<AudioOutput> output);
    const AudioOutput* output() const { return output_.get(); }

    // Decodes the whole OGG Vorbis file; null if it cannot be read or decoded,
    // or is larger than kMaxEffectBytes.
    SoundRef LoadSound(const std::string& source, int flags);
    // Decodes OGG Vorbis bytes already in memory; null if they are not a sound.
    static SoundRef DecodeSound(std::vector<unsigned char> bytes, int flags, std::string source = {});
    // A sound decoded block by block on the worker thread while it plays, so
    // a long track costs the game thread almost nothing and holds little
    // memory. Null only when the file is missing; a file that turns out
    // undecodable, at once or half way, plays on as silence after one
    // warning on stderr.
    SoundRef StreamSound(const std::string& source, int flags);
    // Waits until the worker has filled every stream as far as it may (for
    // tests and tools; meaningful while no output mixes on its own).
    void FinishLoading();
    // Frees sounds nobody holds and no voice plays any more. Loading does it
    // too, so replaced music tracks do not pile up. Every sound loaded or
    // played here is held until then, so the mixer never reads a freed one.
    void ReleaseUnusedSounds();
    // Sounds alive, for leak checks.
    int sound_count() const { return static_cast<int>(sounds_.size()); }
    // Streams whose decoder and buffer are still alive, for leak checks.
    int stream_count() const;

    TChannel PlaySound(const SoundRef& sound, TChannel channel = {});
    TChannel CueSound(const SoundRef& sound, TChannel channel = {});
    TChannel AllocChannel();
    void StopChannel(TChannel channel);
    // Gives the handle back without stopping a voice started on a fresh
    // channel: it plays on to its end. This is what dropping a channel does.
    void ReleaseChannel(TChannel channel);
    void PauseChannel(TChannel channel);
    void ResumeChannel(TChannel channel);
    void SetChannelVolume(TChannel channel, float volume);
    void SetChannelPan(TChannel channel, float pan);
    void SetChannelDepth(TChannel channel, float depth);
    void SetChannelRate(TChannel channel, float rate);
    int ChannelPlaying(TChannel channel);

    void MixBlock(std::int16_t* out, int frames) override;

    // Milliseconds from a request to the mix that first wrote the most
    // recently started voice; -1 before any.
    int last_start_latency_ms() const;
    // Voices that have begun to sound since the start.
    int voices_started() const;
    // Voices the mixer is working on, for tests and benchmarks.
    int active_voice_count() const;

private:
    void Hold(const SoundRef& sound);

    // Game thread only.
    std::vector<SoundRef> sounds_;

    std::unique_ptr<VoiceHandover> handover_;

    // The worker owns every stream once started.
    std::unique_ptr<StreamWorker> streams_;
    // Before the mixer, so the voices it owns outlive the mixer's last look.
    std::unique_ptr<ChannelTable> channels_;
    std::unique_ptr<AudioMixer> mixer_;

    std::unique_ptr<AudioOutput> output_;
};
