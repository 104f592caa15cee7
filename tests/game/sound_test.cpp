#include "game/sound.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "platform/system/manual_clock.hpp"
#include "platform/system/message.hpp"
#include "platform/system/random.hpp"
#include "platform/system/resources.hpp"
#include "support/ogg_writer.hpp"
#include "support/temp_folder.hpp"

namespace {

const std::vector<std::string> kEffectStems = {"thrust", "burghit",   "newlvl",      "smartbomb",  "hyperspc",
                                               "death",  "shootmine", "shootrocket", "armageddon", "hscore",
                                               "shield", "ufoloop",   "shoot",       "powerup"};

class GameSoundTest : public ::testing::Test {
protected:
    void WriteSound(const std::string& stem, int frames = 4410, double frequency = 440.0) {
        auto samples = MakeSine(frames, 1, 44100, frequency, 12000);
        ASSERT_TRUE(WriteFile((folder_ / (stem + ".ogg")).string(), EncodeOggVorbis(samples, 1, 44100)));
    }
    void WriteAllEffects() {
        for (const std::string& stem : kEffectStems) WriteSound(stem);
    }
    std::string Folder() const { return folder_.string(); }

    std::vector<std::int16_t>& Mix(int frames = 512) {
        out_.assign(static_cast<std::size_t>(frames) * 2, 0);
        audio_.MixBlock(out_.data(), frames);
        clock_.Advance(frames * 1000 / Audio::kOutputHertz);
        return out_;
    }
    int Peak(int frames) {
        int peak = 0;
        for (std::int16_t value : Mix(frames)) peak = std::max(peak, std::abs(static_cast<int>(value)));
        return peak;
    }

    TempFolder temp_;
    const std::filesystem::path folder_ = temp_.path();
    ManualClock clock_;
    Audio audio_{clock_};
    Random random_;
    std::vector<std::int16_t> out_;
};

}  // namespace

TEST_F(GameSoundTest, MissingOrFolderEffectsWarnOnceEachAndPlayAsSilence) {
    WriteAllEffects();
    std::filesystem::remove(folder_ / "shoot.ogg");
    std::filesystem::create_directory(folder_ / "shoot.ogg");
    std::filesystem::remove(folder_ / "ufoloop.ogg");
    GameSound sound(audio_, random_, Folder());
    ::testing::internal::CaptureStderr();
    sound.LoadEffects();
    sound.AllocChannels();
    sound.PlaySfx(sound.shoot_snd);
    sound.PlaySfx(sound.shoot_snd);
    sound.StartUfoLoop();
    std::string warnings = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(warnings, "rezarudev: cannot load sound " + Printable(Folder() + "/ufoloop.ogg") + "\n" +
                            "rezarudev: cannot load sound " + Printable(Folder() + "/shoot.ogg") + "\n");

    // The stand-ins behave like the real thing: the shot ends, the loop loops.
    ASSERT_TRUE(sound.shoot_snd);
    ASSERT_TRUE(sound.ufoloop_snd);
    EXPECT_TRUE(sound.ufoloop_snd->loop());
    EXPECT_FALSE(sound.shoot_snd->loop());
    EXPECT_EQ(sound.frame_sounds, (std::vector<std::string>{"shoot", "shoot", "ufoloop"}));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Peak(512), 0);
    EXPECT_EQ(audio_.ChannelPlaying(sound.ufo_chan), 1);
}

// The score board's games: no folder, nothing read, nothing said, and every
// sound still named for the trace.
TEST_F(GameSoundTest, WithoutAFolderEverySoundIsSilenceWithoutAWord) {
    GameSound sound(audio_, random_, "");
    ::testing::internal::CaptureStderr();
    sound.LoadEffects();
    sound.AllocChannels();
    sound.StartMusic(2);
    sound.PlaySfx(sound.shoot_snd);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(sound.frame_sounds, (std::vector<std::string>{"shoot"}));
    EXPECT_EQ(sound.music_name(), "bunstorm");
    EXPECT_EQ(Peak(512), 0);
}

TEST_F(GameSoundTest, EveryEffectIsNamedAfterItsOwnFile) {
    GameSound sound(audio_, random_, Folder());
    ::testing::internal::CaptureStderr();
    sound.LoadEffects();
    ::testing::internal::GetCapturedStderr();
    const std::vector<const SoundRef*> members = {
        &sound.thrust_snd, &sound.burghit_snd,   &sound.newlvl_snd,      &sound.smartbomb_snd,  &sound.hyperspc_snd,
        &sound.death_snd,  &sound.shootmine_snd, &sound.shootrocket_snd, &sound.armageddon_snd, &sound.hscore_snd,
        &sound.shield_snd, &sound.ufoloop_snd,   &sound.shoot_snd,       &sound.powerup_snd};
    sound.frame_sounds.clear();
    for (const SoundRef* member : members) sound.PlaySfx(*member);
    EXPECT_EQ(sound.frame_sounds, kEffectStems);
}

TEST_F(GameSoundTest, EffectsPlayAtTheEffectVolumeAndOverlap) {
    WriteAllEffects();
    GameSound sound(audio_, random_, Folder());
    sound.LoadEffects();
    sound.PlaySfx(sound.shoot_snd);
    Mix();
    Mix();
    int single = Peak(4410);
    ASSERT_GT(single, 8000);

    sound.PlaySfx(sound.shoot_snd);
    sound.PlaySfx(sound.shoot_snd);
    Mix();
    Mix();
    EXPECT_GT(Peak(4410), single * 3 / 2);

    // "Off" still starts the effect, but nothing is heard.
    sound.sfx_vol = 0.0f;
    sound.frame_sounds.clear();
    sound.PlaySfx(sound.shoot_snd);
    EXPECT_EQ(sound.frame_sounds, std::vector<std::string>{"shoot"});
    for (int i = 0; i < 12; ++i) EXPECT_EQ(Peak(512), 0);
}

TEST_F(GameSoundTest, UfoLoopStoppedAndStartedAgainBeginsAtItsStart) {
    WriteAllEffects();
    GameSound sound(audio_, random_, Folder());
    sound.LoadEffects();
    sound.AllocChannels();
    for (int round = 0; round < 2; ++round) {
        sound.StartUfoLoop();
        Mix(882);  // the start delay
        Mix(300);
        const std::int16_t* data = sound.ufoloop_snd->data();
        for (int frame = 0; frame < 300; ++frame) ASSERT_EQ(out_[static_cast<std::size_t>(frame) * 2], data[frame]);
        Mix(1000);
        audio_.StopChannel(sound.ufo_chan);
        Mix();
        EXPECT_EQ(audio_.active_voice_count(), 0);
    }
    // Resuming by menu and by key in one frame starts the loop twice; the
    // first voice must not hum on with nothing left to stop it.
    sound.StartUfoLoop();
    sound.StartUfoLoop();
    Mix(882);
    audio_.StopChannel(sound.ufo_chan);
    Mix();
    EXPECT_EQ(audio_.active_voice_count(), 0);
}

TEST_F(GameSoundTest, RandomTrackIsOneOfTheThreeGameTracksAndNeverTheTitle) {
    for (const char* stem : {"panic", "bunstorm", "horizon", "title"}) WriteSound(stem, 2000);
    GameSound sound(audio_, random_, Folder());
    sound.AllocChannels();
    std::set<std::string> seen;
    random_.SeedRandom(4660);
    for (int level = 1; level <= 60; ++level) {
        audio_.StopChannel(sound.music_chan);
        sound.StartMusic(0);
        seen.insert(sound.music_name());
        Mix();
    }
    EXPECT_EQ(seen, (std::set<std::string>{"panic", "bunstorm", "horizon"}));
}

TEST_F(GameSoundTest, MusicNameFollowsTheMusicChannelEvenForAMissingTrack) {
    WriteSound("title", 2000);
    GameSound sound(audio_, random_, Folder());
    sound.AllocChannels();
    EXPECT_EQ(sound.music_name(), "none");
    sound.StartMusic(4);
    EXPECT_EQ(sound.music_name(), "title");
    audio_.PauseChannel(sound.music_chan);
    EXPECT_EQ(sound.music_name(), "none");
    audio_.ResumeChannel(sound.music_chan);
    EXPECT_EQ(sound.music_name(), "title");

    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 3; ++i) {
        audio_.StopChannel(sound.music_chan);
        EXPECT_EQ(sound.music_name(), "none");
        sound.StartMusic(1);
        EXPECT_EQ(sound.music_name(), "panic");
        Mix();
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "rezarudev: cannot load sound " + Printable(Folder() + "/panic.ogg") + "\n");
    audio_.SetChannelVolume(sound.music_chan, 0.3f);
    audio_.PauseChannel(sound.music_chan);
    EXPECT_EQ(sound.music_name(), "none");
    // Effects are not music and do not show in it.
    EXPECT_TRUE(sound.frame_sounds.empty());
}

TEST_F(GameSoundTest, ChangingTracksRestartsFromTheBeginningAndFreesTheOldTrack) {
    for (const char* stem : {"panic", "bunstorm", "horizon"}) WriteSound(stem, 22050, 220.0);
    GameSound sound(audio_, random_, Folder());
    sound.AllocChannels();
    for (int pick = 0; pick < 12; ++pick) {
        audio_.StopChannel(sound.music_chan);
        sound.StartMusic(1 + pick % 3);
        audio_.FinishLoading();
        Mix(882);  // the start delay
        Mix(2000);
        SoundRef whole = Audio::DecodeSound(*ReadSource(sound.music_sound()->source()), 0);
        for (int frame = 0; frame < 2000; ++frame) {
            ASSERT_EQ(out_[static_cast<std::size_t>(frame) * 2], whole->data()[frame]);
        }
        EXPECT_LE(audio_.sound_count(), 2);
        EXPECT_LE(audio_.stream_count(), 2);
    }
}
