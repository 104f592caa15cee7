#include "platform/audio/audio.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/system/manual_clock.hpp"
#include "platform/system/message.hpp"
#include "support/ogg_writer.hpp"
#include "support/temp_folder.hpp"

namespace {

constexpr int kBlock = 512;

SoundRef Constant(int frames, std::int16_t value, int flags = 0, int channels = 1) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames * channels), value);
    return TSound::FromFrames(std::move(samples), channels, 44100, flags);
}

// Sample i holds i, so the output shows exactly which frame was played.
SoundRef Counting(int frames, int flags) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i);
    return TSound::FromFrames(std::move(samples), 1, 44100, flags);
}

struct Mixer {
    // Without its own thread the stream worker's work is done by the mixer.
    explicit Mixer(bool stream_thread = true) : audio(clock, stream_thread) {}

    ManualClock clock;
    Audio audio;
    std::vector<std::int16_t> out;

    // Mixes one block and moves time on by its length, as a device would.
    const std::vector<std::int16_t>& Mix(int frames = kBlock) {
        out.assign(static_cast<std::size_t>(frames) * 2, 0);
        audio.MixBlock(out.data(), frames);
        clock.Advance(frames * 1000 / Audio::kOutputHertz);
        return out;
    }
    // Mixes past the start delay so a voice started now is sounding.
    void MixPastDelay() {
        Mix();
        Mix();
    }
    int Left(int frame) const { return out[static_cast<std::size_t>(frame) * 2]; }
    int Right(int frame) const { return out[static_cast<std::size_t>(frame) * 2 + 1]; }
};

int CountNonZeroFrames(const std::vector<std::int16_t>& out) {
    int count = 0;
    for (std::size_t i = 0; i < out.size(); i += 2) count += out[i] != 0 ? 1 : 0;
    return count;
}

}  // namespace

TEST(AudioChannels, CuedSoundIsSilentUntilResumedThenPlaysToItsEnd) {
    Mixer m;
    SoundRef sound = Constant(2000, 1000);
    TChannel channel = m.audio.CueSound(sound);
    ASSERT_TRUE(channel);
    EXPECT_EQ(m.audio.ChannelPlaying(channel), 0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(CountNonZeroFrames(m.Mix()), 0);

    m.audio.ResumeChannel(channel);
    int heard = 0;
    for (int i = 0; i < 8; ++i) {
        if (heard < 2000) {
            EXPECT_EQ(m.audio.ChannelPlaying(channel), 1);
        }
        heard += CountNonZeroFrames(m.Mix());
    }
    // A one-shot plays each frame once.
    EXPECT_EQ(heard, 2000);
    EXPECT_EQ(m.audio.ChannelPlaying(channel), 0);
    EXPECT_EQ(m.audio.active_voice_count(), 0);
}

TEST(AudioChannels, PausedLoopResumesWhereItStopped) {
    Mixer m;
    SoundRef sound = Counting(1000, TSound::kLoop);
    TChannel channel = m.audio.PlaySound(sound);
    m.MixPastDelay();
    int last = m.Left(kBlock - 1);
    ASSERT_GT(last, 0);

    m.audio.PauseChannel(channel);
    EXPECT_EQ(m.audio.ChannelPlaying(channel), 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(CountNonZeroFrames(m.Mix()), 0);

    m.audio.ResumeChannel(channel);
    m.Mix();
    EXPECT_EQ(m.Left(0), (last + 1) % 1000);
    EXPECT_EQ(m.Left(kBlock - 1), (last + kBlock) % 1000);
}

TEST(AudioChannels, StoppedHandleWhoseSlotWasReusedLeavesTheNewSoundAlone) {
    Mixer m;
    TChannel old_channel = m.audio.PlaySound(Constant(100, 500, TSound::kLoop));
    m.audio.StopChannel(old_channel);
    TChannel new_channel = m.audio.PlaySound(Constant(100, 800, TSound::kLoop));
    ASSERT_EQ(old_channel.handle & 0xFFF, new_channel.handle & 0xFFF);
    ASSERT_NE(old_channel, new_channel);

    m.audio.SetChannelVolume(old_channel, 0.0f);
    m.audio.PauseChannel(old_channel);
    m.audio.StopChannel(old_channel);
    m.audio.ReleaseChannel(old_channel);
    EXPECT_EQ(m.audio.ChannelPlaying(new_channel), 1);
    m.MixPastDelay();
    m.Mix();
    EXPECT_EQ(m.Left(0), 800);

    for (TChannel channel : {TChannel{}, TChannel{12345}, m.audio.CueSound(nullptr)}) {
        m.audio.ResumeChannel(channel);
        m.audio.SetChannelVolume(channel, 0.0f);
        m.audio.StopChannel(channel);
        EXPECT_EQ(m.audio.ChannelPlaying(channel), 0);
    }
    m.Mix();
    EXPECT_EQ(m.Left(0), 800);
}

TEST(AudioChannels, SoundOnAnExplicitChannelReplacesItsVoice) {
    Mixer m;
    TChannel channel = m.audio.AllocChannel();
    EXPECT_EQ(m.audio.PlaySound(Constant(100, 300, TSound::kLoop), channel), channel);
    m.audio.SetChannelVolume(channel, 0.5f);
    EXPECT_EQ(m.audio.PlaySound(Constant(100, 1000, TSound::kLoop), channel), channel);
    m.MixPastDelay();
    m.Mix();
    // Only the second sound plays, at the volume the channel had.
    EXPECT_EQ(m.Left(0), 500);
    EXPECT_EQ(m.audio.active_voice_count(), 1);

    // Dropping the channel silences a voice that nothing else could stop.
    m.audio.ReleaseChannel(channel);
    m.Mix();
    m.Mix();
    EXPECT_EQ(CountNonZeroFrames(m.out), 0);
    EXPECT_EQ(m.audio.active_voice_count(), 0);
}

TEST(AudioMixing, FullScaleVoicesInPhaseClipInsteadOfWrapping) {
    Mixer m;
    SoundRef high = Constant(1000, 32767, TSound::kLoop);
    SoundRef low = Constant(1000, -32768, TSound::kLoop);
    m.audio.PlaySound(high);
    m.audio.PlaySound(high);
    m.MixPastDelay();
    m.Mix();
    EXPECT_EQ(m.Left(10), 32767);
    EXPECT_EQ(m.Right(10), 32767);

    for (int i = 0; i < 40; ++i) m.audio.PlaySound(low);
    m.MixPastDelay();
    m.Mix();
    EXPECT_EQ(m.Left(10), -32768);
}

TEST(AudioMixing, VolumeChangeGlidesAcrossOneBlock) {
    Mixer m;
    TChannel channel = m.audio.PlaySound(Constant(100, 1000, TSound::kLoop));
    m.MixPastDelay();
    m.audio.SetChannelVolume(channel, 0.5f);
    m.Mix();
    EXPECT_EQ(m.Left(0), 1000);
    EXPECT_NEAR(m.Left(kBlock / 2), 750, 2);
    EXPECT_NEAR(m.Left(kBlock - 1), 500, 2);
    for (int frame = 1; frame < kBlock; ++frame) ASSERT_LE(m.Left(frame), m.Left(frame - 1));
    m.Mix();
    EXPECT_EQ(m.Left(0), 500);
    EXPECT_EQ(m.Left(kBlock - 1), 500);
    m.audio.StopChannel(channel);

    // Set before the first sample, the volume does not glide down from full.
    TChannel muted = m.audio.CueSound(Constant(5000, 1000));
    m.audio.SetChannelVolume(muted, 0.0f);
    m.audio.ResumeChannel(muted);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(CountNonZeroFrames(m.Mix()), 0);
}

TEST(AudioMixing, PanDepthRateAndStereo) {
    Mixer m;
    TChannel right_only = m.audio.PlaySound(Constant(100, 1000, TSound::kLoop));
    m.audio.SetChannelPan(right_only, 1.0f);
    m.MixPastDelay();
    m.Mix();
    EXPECT_EQ(m.Left(0), 0);
    EXPECT_EQ(m.Right(0), 1000);

    m.audio.SetChannelPan(right_only, -0.5f);
    m.audio.SetChannelDepth(right_only, -1.0f);
    m.Mix();
    EXPECT_EQ(m.Left(0), 1000);
    EXPECT_EQ(m.Right(0), -500);
    m.audio.StopChannel(right_only);

    // At double rate a 1000-frame one-shot lasts 500 output frames.
    TChannel fast = m.audio.CueSound(Constant(1000, 1000));
    m.audio.SetChannelRate(fast, 2.0f);
    m.audio.ResumeChannel(fast);
    int heard = 0;
    for (int i = 0; i < 6; ++i) heard += CountNonZeroFrames(m.Mix());
    EXPECT_EQ(heard, 500);

    // Stereo sources keep their sides; mono feeds both.
    m.audio.PlaySound(TSound::FromFrames({100, -200, 100, -200}, 2, 44100, TSound::kLoop));
    m.audio.PlaySound(Constant(10, 7, TSound::kLoop));
    m.MixPastDelay();
    m.Mix();
    EXPECT_EQ(m.Left(3), 107);
    EXPECT_EQ(m.Right(3), -193);
}

TEST(AudioMixing, HalfRateInterpolatesBetweenFrames) {
    Mixer m;
    TChannel channel = m.audio.CueSound(TSound::FromFrames({0, 1000, 2000, 3000}, 1, 44100, TSound::kLoop));
    m.audio.SetChannelRate(channel, 0.5f);
    m.audio.ResumeChannel(channel);
    m.Mix(882 + 8);
    std::vector<int> expected = {0, 500, 1000, 1500, 2000, 2500, 3000, 1500};  // the guard frame of a loop is the first
    for (int i = 0; i < 8; ++i) EXPECT_EQ(m.Left(882 + i), expected[static_cast<std::size_t>(i)]) << i;
}

// The device pulls 10 ms blocks; a request anywhere inside a block is heard
// exactly 20 ms after it was made.
TEST(AudioTiming, StartDelayIsTwentyMillisecondsWhateverTheMomentOfTheRequest) {
    for (int offset : {0, 1, 3, 7, 9}) {
        Mixer m;
        std::vector<std::int16_t> out(441 * 2);
        int first_heard = -1;
        for (int block = 0; block < 6 && first_heard < 0; ++block) {
            m.audio.MixBlock(out.data(), 441);
            for (int frame = 0; frame < 441 && first_heard < 0; ++frame) {
                if (out[static_cast<std::size_t>(frame) * 2] != 0) first_heard = block * 441 + frame;
            }
            if (block == 0) {
                m.clock.Advance(offset);
                m.audio.PlaySound(Constant(1000, 1000));
                m.clock.Advance(10 - offset);
            } else {
                m.clock.Advance(10);
            }
        }
        // Requested while the first block played, mixed with the second.
        EXPECT_EQ(first_heard, (offset + 20) * 44100 / 1000) << offset;
    }

    // After a device stall, an overdue request starts at the block start,
    // also when the stall spans the wrap of the 32-bit millisecond clock.
    for (int start : {0, 0x7FFFFFFF - 20}) {
        Mixer m;
        m.clock.Advance(start);
        m.audio.PlaySound(Constant(1000, 1000));
        m.clock.Advance(50);
        m.Mix();
        EXPECT_EQ(m.Left(0), 1000);
        EXPECT_EQ(m.audio.last_start_latency_ms(), 50);
    }
}

TEST(AudioResources, VoicesAndHandlesAreRecycledHoweverManySoundsPlay) {
    Mixer m;
    SoundRef sound = Constant(50, 1000);
    for (int i = 0; i < 3 * Audio::kMaxVoices; ++i) {
        TChannel channel = m.audio.CueSound(sound);
        m.audio.ResumeChannel(channel);
        ASSERT_EQ(m.audio.ChannelPlaying(channel), 1) << i;
        m.audio.ReleaseChannel(channel);
        if (i % 64 == 63) {
            m.MixPastDelay();
            m.Mix();
            ASSERT_EQ(m.audio.active_voice_count(), 0);
        }
    }
    // Handles not given back run out, but calls on the empty handle stay harmless.
    for (int i = 0; i < Audio::kSlotCount; ++i) ASSERT_TRUE(m.audio.AllocChannel());
    TChannel none = m.audio.PlaySound(sound);
    EXPECT_FALSE(none);
    EXPECT_EQ(m.audio.ChannelPlaying(none), 0);
}

TEST(AudioResources, SoundDroppedByTheGameLivesUntilItsVoiceEnds) {
    Mixer m;
    SoundRef sound = Constant(3000, 1234, TSound::kLoop);
    TChannel channel = m.audio.PlaySound(sound);
    std::weak_ptr<TSound> watch = sound;
    sound.reset();
    m.audio.ReleaseUnusedSounds();
    m.MixPastDelay();
    m.Mix();
    EXPECT_EQ(m.Left(100), 1234);
    EXPECT_FALSE(watch.expired());

    m.audio.StopChannel(channel);
    m.audio.ReleaseUnusedSounds();
    EXPECT_FALSE(watch.expired());  // the mixer has not let go yet
    m.Mix();
    m.audio.ReleaseUnusedSounds();
    EXPECT_TRUE(watch.expired());
}

// --- decoding

class AudioFiles : public ::testing::Test {
protected:
    std::string Write(const std::string& name, std::span<const unsigned char> bytes) {
        std::string path = (folder_ / name).string();
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }
    std::string WriteSine(const std::string& name, int frames, int channels, int hertz) {
        auto samples = MakeSine(frames, channels, hertz, 440.0, 16000);
        return Write(name, EncodeOggVorbis(samples, channels, hertz));
    }

    TempFolder temp_;
    const std::filesystem::path folder_ = temp_.path();
};

TEST_F(AudioFiles, OggRoundTripKeepsLayoutLengthAndWaveform) {
    ManualClock clock;
    Audio audio(clock);
    struct Case {
        int channels, hertz;
    };
    for (Case c : {Case{1, 22050}, Case{2, 44100}}) {
        const int frames = c.hertz / 2;
        std::string path = WriteSine("sine.ogg", frames, c.channels, c.hertz);
        SoundRef sound = audio.LoadSound(path, TSound::kLoop);
        ASSERT_TRUE(sound);
        EXPECT_EQ(sound->channels(), c.channels);
        EXPECT_EQ(sound->hertz(), c.hertz);
        EXPECT_EQ(sound->length(), frames);
        auto original = MakeSine(frames, c.channels, c.hertz, 440.0, 16000);
        double error = 0;
        for (std::size_t i = 0; i < original.size(); ++i) {
            double d = sound->data()[i] - original[i];
            error += d * d;
        }
        EXPECT_LT(std::sqrt(error / static_cast<double>(original.size())), 300.0);
        // A looping sound's guard frame repeats its first frame.
        EXPECT_EQ(sound->data()[static_cast<std::size_t>(frames * c.channels)], sound->data()[0]);
    }
}

TEST_F(AudioFiles, MissingDamagedOrForeignFilesGiveNoSound) {
    ManualClock clock;
    Audio audio(clock);
    EXPECT_FALSE(audio.LoadSound((folder_ / "absent.ogg").string(), 0));
    EXPECT_FALSE(audio.StreamSound((folder_ / "absent.ogg").string(), 0));
    EXPECT_FALSE(audio.StreamSound(folder_.string(), 0));
    std::vector<unsigned char> junk(5000, 0x5A);
    EXPECT_FALSE(audio.LoadSound(Write("junk.ogg", junk), 0));
    // Far too large for an effect: refused unread (the file is sparse).
    std::string huge = WriteSine("huge.ogg", 4410, 1, 44100);
    std::filesystem::resize_file(huge, 200u << 20);
    EXPECT_FALSE(audio.LoadSound(huge, 0));

    // Found only to be junk on the worker: one warning, then silence that
    // still loops, however often it is started.
    std::string late_path = Write("late.ogg", junk);
    SoundRef late = audio.StreamSound(late_path, TSound::kLoop);
    ASSERT_TRUE(late);
    ::testing::internal::CaptureStderr();
    TChannel channel = audio.PlaySound(late);
    audio.StopChannel(audio.PlaySound(late));
    audio.FinishLoading();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "rezarudev: cannot decode sound " + Printable(late_path) + ": not an OGG Vorbis file\n");
    std::vector<std::int16_t> out(2 * 2048);
    audio.MixBlock(out.data(), 2048);
    EXPECT_EQ(std::count(out.begin(), out.end(), 0), 2 * 2048);
    EXPECT_EQ(audio.ChannelPlaying(channel), 1);

    // A file cut short keeps what could be decoded.
    auto whole = EncodeOggVorbis(MakeSine(441000, 1, 44100, 440.0, 16000), 1, 44100);
    std::vector<unsigned char> half(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
    SoundRef cut = audio.LoadSound(Write("cut.ogg", half), 0);
    ASSERT_TRUE(cut);
    EXPECT_GT(cut->length(), 0);
    EXPECT_LT(cut->length(), 441000);
}

// --- streamed sounds

namespace {

// The same calls on two mixers: one plays the sound decoded whole, the
// other streams it from its file, with the worker on its thread or, without,
// fed by nothing but the mixer's own blocks.
struct StreamAndWhole {
    Mixer whole, streamed;
    SoundRef whole_sound, streamed_sound;
    TChannel whole_channel, streamed_channel;
    bool stream_thread;

    StreamAndWhole(const std::string& path, bool thread, int flags = TSound::kLoop)
        : streamed(thread), stream_thread(thread) {
        whole_sound = whole.audio.LoadSound(path, flags);
        streamed_sound = streamed.audio.StreamSound(path, flags);
        whole_channel = whole.audio.PlaySound(whole_sound);
        streamed_channel = streamed.audio.PlaySound(streamed_sound);
    }
    // Whether both mixed the same block.
    bool Mix(int frames) {
        if (stream_thread) streamed.audio.FinishLoading();
        whole.Mix(frames);
        streamed.Mix(frames);
        return whole.out == streamed.out;
    }
};

}  // namespace

// Blocks of the stream meet, and the track loops, without a seam: with
// interpolation, a volume glide and a pause across them, the stream mixes
// exactly what the whole decoded track mixes.
TEST_F(AudioFiles, StreamedTrackMixesExactlyAsTheWholeTrackAcrossBlocksLoopsAndPauses) {
    struct Case {
        int frames, channels, hertz;
        bool thread;
    };
    for (Case c : {Case{10000, 1, 22050, true}, Case{9000, 2, 44100, true}, Case{9000, 2, 44100, false}}) {
        SCOPED_TRACE(testing::Message() << c.hertz << (c.thread ? " thread" : " no thread"));
        StreamAndWhole both(WriteSine("track.ogg", c.frames, c.channels, c.hertz), c.thread);
        ASSERT_TRUE(both.whole_sound);
        ASSERT_TRUE(both.streamed_sound);
        EXPECT_EQ(both.streamed.audio.ChannelPlaying(both.streamed_channel), 1);

        // Heard from the end of the start delay on.
        ASSERT_TRUE(both.Mix(1024));
        int first_heard = -1;
        for (int frame = 0; frame < 1024 && first_heard < 0; ++frame) {
            if (both.streamed.Left(frame) != 0) first_heard = frame;
        }
        EXPECT_EQ(first_heard, Audio::kStartDelayMs * Audio::kOutputHertz / 1000);

        const int rounds = 3 * c.frames * 44100 / c.hertz / 700;
        for (int round = 0; round < rounds; ++round) {
            if (round == rounds / 3) {
                both.whole.audio.SetChannelVolume(both.whole_channel, 0.6f);
                both.streamed.audio.SetChannelVolume(both.streamed_channel, 0.6f);
            }
            if (round == rounds / 2) {
                both.whole.audio.PauseChannel(both.whole_channel);
                both.streamed.audio.PauseChannel(both.streamed_channel);
            }
            if (round == rounds / 2 + 20) {
                both.whole.audio.ResumeChannel(both.whole_channel);
                both.streamed.audio.ResumeChannel(both.streamed_channel);
            }
            ASSERT_TRUE(both.Mix(700)) << round;
            if (round > rounds / 2 && round < rounds / 2 + 20) {
                ASSERT_EQ(CountNonZeroFrames(both.streamed.out), 0);
            }
        }
        EXPECT_EQ(both.streamed.audio.stream_count(), 1);
    }
}

TEST_F(AudioFiles, StreamedOneShotEndsWithItsLastFrame) {
    for (bool thread : {true, false}) {
        StreamAndWhole both(WriteSine("shot.ogg", 5000, 2, 44100), thread, 0);
        for (int round = 0; round < 4; ++round) ASSERT_TRUE(both.Mix(2000)) << round;
        EXPECT_EQ(both.streamed.audio.ChannelPlaying(both.streamed_channel), 0);
        both.streamed.Mix();
        both.streamed.audio.FinishLoading();
        EXPECT_EQ(both.streamed.audio.active_voice_count(), 0);
        EXPECT_EQ(both.streamed.audio.stream_count(), 0);
    }
}

// A file that breaks off while it streams (here it shrinks on disk) plays
// what was decoded, then goes silent with one warning; the channel still
// answers as a looping one and can be stopped.
TEST_F(AudioFiles, StreamThatFailsHalfWayGoesSilent) {
    // Noise, so the file is large enough that the worker has read only its
    // start when it shrinks.
    const int frames = 44100 * 8;
    std::vector<std::int16_t> noise(frames);
    std::uint32_t state = 1;
    for (auto& sample : noise) {
        state = state * 1664525u + 1013904223u;
        sample = static_cast<std::int16_t>(static_cast<std::int32_t>(state >> 16) - 32768);
    }
    std::string path = Write("broken.ogg", EncodeOggVorbis(noise, 1, 44100));
    Mixer m;
    SoundRef sound = m.audio.StreamSound(path, TSound::kLoop);
    TChannel channel = m.audio.PlaySound(sound);
    m.audio.FinishLoading();
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);

    ::testing::internal::CaptureStderr();
    int heard_until = 0;
    for (int frame = 0; frame < 2 * frames; frame += kBlock) {
        m.audio.FinishLoading();
        if (CountNonZeroFrames(m.Mix()) > 0) heard_until = frame + kBlock;
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "rezarudev: cannot decode sound " + Printable(path) + ": the file broke off\n");
    EXPECT_GT(heard_until, frames / 4);
    EXPECT_LT(heard_until, frames);
    EXPECT_EQ(m.audio.ChannelPlaying(channel), 1);
    m.audio.StopChannel(channel);
    m.Mix();
    m.audio.FinishLoading();
    EXPECT_EQ(m.audio.stream_count(), 0);
}

// The game stops the music channel and streams the next track on a new one;
// whatever the old track held is freed, so tracks never pile up.
TEST_F(AudioFiles, ReplacingAStreamedTrackFreesTheOldOne) {
    std::string first = WriteSine("first.ogg", 44100 * 2, 2, 44100);
    std::string second = WriteSine("second.ogg", 44100, 1, 22050);
    Mixer m;
    TChannel music;
    for (int pick = 0; pick < 10; ++pick) {
        m.audio.StopChannel(music);
        music = m.audio.CueSound(m.audio.StreamSound(pick % 2 ? second : first, TSound::kLoop));
        m.audio.ResumeChannel(music);
        for (int i = 0; i < 4; ++i) {
            m.audio.FinishLoading();
            m.Mix();
        }
        EXPECT_EQ(m.audio.stream_count(), 1);
        EXPECT_LE(m.audio.sound_count(), 2);
        EXPECT_GT(CountNonZeroFrames(m.out), 0);
    }
}

// --- outputs

// Whatever output this machine gives (a device or the silent fallback), the
// game thread's calls and the mixer's thread share no unguarded state.
TEST(AudioOutputs, ChannelCallsWhileTheMixerRuns) {
    SystemClock clock;
    Audio audio(clock);
    audio.AttachOutput(OpenAudioOutput(audio));
    ASSERT_TRUE(audio.output());
    SoundRef shot = Constant(300, 1000);
    SoundRef loop = Constant(300, 1000, TSound::kLoop);
    TChannel music = audio.PlaySound(loop);
    for (int i = 0; i < 3000; ++i) {
        TChannel channel = audio.CueSound(shot);
        audio.SetChannelVolume(channel, 0.5f);
        audio.ResumeChannel(channel);
        audio.ReleaseChannel(channel);
        if (i % 7 == 0) audio.PauseChannel(music);
        if (i % 7 == 3) audio.ResumeChannel(music);
        if (i % 50 == 0) {
            audio.StopChannel(music);
            music = audio.PlaySound(loop);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    audio.StopChannel(music);
    for (int i = 0; i < 200 && audio.active_voice_count() > 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(audio.active_voice_count(), 0);
}

TEST(AudioOutputs, DiskDeviceReceivesAStartedSound) {
    std::filesystem::path file = std::filesystem::temp_directory_path() /
                                 ("audio_disk_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    {
        SystemClock clock;
        Audio audio(clock);
        auto output = OpenSdlAudioOutput(audio);
        ASSERT_TRUE(output) << "the disk driver did not open";
        EXPECT_STREQ(output->name(), "sdl");
        audio.AttachOutput(std::move(output));
        audio.PlaySound(Constant(4410, 4321, TSound::kLoop));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        audio.AttachOutput(nullptr);
    }
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(file);
    int heard = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto value = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                               (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (value == 4321) ++heard;
    }
    EXPECT_GT(heard, 1000);
}
