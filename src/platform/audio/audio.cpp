#include "platform/audio/audio.hpp"

#include <cstdio>
#include <filesystem>
#include <utility>

#include "platform/audio/audio_decoder.hpp"
#include "platform/audio/audio_handover.hpp"
#include "platform/audio/audio_mixer.hpp"
#include "platform/audio/audio_stream.hpp"
#include "platform/audio/channels.hpp"
#include "platform/system/message.hpp"
#include "platform/system/resources.hpp"

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
    : handover_(std::make_unique<VoiceHandover>()),
      streams_(std::make_unique<StreamWorker>(stream_thread)),
      channels_(
          std::make_unique<ChannelTable>(clock, *handover_, *streams_, [this](const SoundRef& sound) { Hold(sound); })),
      mixer_(std::make_unique<AudioMixer>(clock, *handover_, *streams_)) {}

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

TChannel Audio::PlaySound(const SoundRef& sound, TChannel channel) { return channels_->Start(sound, channel, false); }

TChannel Audio::CueSound(const SoundRef& sound, TChannel channel) { return channels_->Start(sound, channel, true); }

TChannel Audio::AllocChannel() { return channels_->Alloc(); }

void Audio::StopChannel(TChannel channel) { channels_->Stop(channel); }

void Audio::ReleaseChannel(TChannel channel) { channels_->Release(channel); }

void Audio::PauseChannel(TChannel channel) { channels_->Pause(channel); }

void Audio::ResumeChannel(TChannel channel) { channels_->Resume(channel); }

void Audio::SetChannelVolume(TChannel channel, float volume) { channels_->SetVolume(channel, volume); }

void Audio::SetChannelPan(TChannel channel, float pan) { channels_->SetPan(channel, pan); }

void Audio::SetChannelDepth(TChannel channel, float depth) { channels_->SetDepth(channel, depth); }

void Audio::SetChannelRate(TChannel channel, float rate) { channels_->SetRate(channel, rate); }

int Audio::ChannelPlaying(TChannel channel) { return channels_->Playing(channel); }
