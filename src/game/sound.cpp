#include "game/sound.hpp"

#include <array>
#include <cstdio>
#include <utility>

#include "platform/system/message.hpp"
#include "platform/system/random.hpp"

namespace {

// Track numbers index this; 0 is the random choice.
constexpr std::array<const char*, 5> kTrackStems = {nullptr, "panic", "bunstorm", "horizon", "title"};

std::string StemOf(const SoundRef& sound) {
    if (!sound) return {};
    const std::string& source = sound->source();
    std::size_t start = source.find_last_of('/');
    start = start == std::string::npos ? 0 : start + 1;
    std::size_t end = source.rfind(".ogg");
    if (end == std::string::npos || end < start) end = source.size();
    return source.substr(start, end - start);
}

}  // namespace

GameSound::GameSound(Audio& audio, Random& random, std::string data_folder)
    : audio_(audio), random_(random), data_folder_(std::move(data_folder)) {}

std::string GameSound::PathOf(const std::string& stem) const { return data_folder_ + "/" + stem + ".ogg"; }

SoundRef GameSound::Silence(const std::string& path, int flags) {
    // Without a folder the game is one nobody hears (the score board plays
    // games that way), and its silence is no fault worth a word.
    if (!data_folder_.empty() && warned_.insert(path).second)
        std::fprintf(stderr, "rezarudev: cannot load sound %s\n", Printable(path).c_str());
    return TSound::FromFrames({0}, 1, Audio::kOutputHertz, flags, path);
}

void GameSound::LoadEffects() {
    const std::array<std::pair<SoundRef*, const char*>, 14> table = {{
        {&thrust_snd, "thrust"},
        {&burghit_snd, "burghit"},
        {&newlvl_snd, "newlvl"},
        {&smartbomb_snd, "smartbomb"},
        {&hyperspc_snd, "hyperspc"},
        {&death_snd, "death"},
        {&shootmine_snd, "shootmine"},
        {&shootrocket_snd, "shootrocket"},
        {&armageddon_snd, "armageddon"},
        {&hscore_snd, "hscore"},
        {&shield_snd, "shield"},
        {&ufoloop_snd, "ufoloop"},
        {&shoot_snd, "shoot"},
        {&powerup_snd, "powerup"},
    }};
    for (const auto& [sound, stem] : table) {
        int flags = sound == &ufoloop_snd ? TSound::kLoop : 0;
        std::string path = PathOf(stem);
        *sound = data_folder_.empty() ? nullptr : audio_.LoadSound(path, flags);
        if (!*sound) *sound = Silence(path, flags);
    }
}

void GameSound::AllocChannels() {
    ufo_chan = audio_.AllocChannel();
    music_chan = audio_.AllocChannel();
}

void GameSound::ShareEffects(const GameSound& other) {
    for (auto member : {&GameSound::thrust_snd, &GameSound::burghit_snd, &GameSound::newlvl_snd,
                        &GameSound::smartbomb_snd, &GameSound::hyperspc_snd, &GameSound::death_snd,
                        &GameSound::shootmine_snd, &GameSound::shootrocket_snd, &GameSound::armageddon_snd,
                        &GameSound::hscore_snd, &GameSound::shield_snd, &GameSound::ufoloop_snd,
                        &GameSound::shoot_snd, &GameSound::powerup_snd})
        this->*member = other.*member;
}

void GameSound::ReleaseChannels() {
    for (TChannel* channel : {&ufo_chan, &music_chan}) {
        audio_.StopChannel(*channel);
        audio_.ReleaseChannel(*channel);
        *channel = {};
    }
}

void GameSound::PlaySfx(const SoundRef& sound) {
    TChannel channel = audio_.CueSound(sound);
    audio_.SetChannelVolume(channel, sfx_vol);
    audio_.ResumeChannel(channel);
    audio_.ReleaseChannel(channel);
    frame_sounds.push_back(StemOf(sound));
}

void GameSound::StartUfoLoop() {
    // Usually whoever ended the UFO has stopped it already; but two resumes in
    // one frame start the loop twice, and the first voice must not hum on.
    StopUfoHum();
    ufo_chan = audio_.CueSound(ufoloop_snd);
    audio_.SetChannelVolume(ufo_chan, sfx_vol);
    audio_.ResumeChannel(ufo_chan);
    frame_sounds.push_back(StemOf(ufoloop_snd));
}

void GameSound::StopUfoHum() { audio_.StopChannel(ufo_chan); }

void GameSound::SwitchMusic(int track) {
    StopMusic();
    StartMusic(track);
}

void GameSound::StopMusic() { audio_.StopChannel(music_chan); }

bool GameSound::MusicPlaying() { return audio_.ChannelPlaying(music_chan) != 0; }

void GameSound::PauseMusic() { audio_.PauseChannel(music_chan); }

void GameSound::ResumeMusic() { audio_.ResumeChannel(music_chan); }

void GameSound::SetMusicVolume(float volume) {
    music_vol = volume;
    audio_.SetChannelVolume(music_chan, music_vol);
}

void GameSound::StartMusic(int track) {
    if (track == 0) track = static_cast<int>(1 + random_.RandomReal(3, 0));
    audio_.ReleaseChannel(music_chan);
    if (track < 1 || track >= static_cast<int>(kTrackStems.size())) {
        music_chan = audio_.AllocChannel();
        music_snd_.reset();
        music_stem_ = "none";
        return;
    }
    music_stem_ = kTrackStems[static_cast<std::size_t>(track)];
    std::string path = PathOf(music_stem_);
    // Decoded block by block as it plays, so it is heard after the usual
    // start delay and only a few blocks of it are ever in memory.
    SoundRef sound = data_folder_.empty() ? nullptr : audio_.StreamSound(path, TSound::kLoop);
    if (!sound) sound = Silence(path, TSound::kLoop);
    // The previous track is freed once the mixer has let go of it.
    music_snd_ = std::move(sound);
    music_chan = audio_.CueSound(music_snd_);
    audio_.SetChannelVolume(music_chan, music_vol);
    audio_.ResumeChannel(music_chan);
}

std::string GameSound::music_name() { return MusicPlaying() ? music_stem_ : "none"; }
