#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/audio/audio.hpp"

class Random;

// The game's sound table, its two long-lived channels, the volume settings
// and the operations through which everything in the game makes noise.
class GameSound {
public:
    // data_folder holds the .ogg files, e.g. "data"; with none, every sound
    // is silence, without a warning.
    GameSound(Audio& audio, Random& random, std::string data_folder);

    // The fourteen effects, in table order. A file that cannot be loaded
    // plays as silence, after one warning on stderr.
    void LoadEffects();
    void AllocChannels();
    // The effects of another game's table, played as its own (a watched game
    // borrows the running game's).
    void ShareEffects(const GameSound& other);
    // Stops the UFO's hum and the music for good and gives their channels back.
    void ReleaseChannels();

    // Each call gets a channel of its own that is dropped at once, so plays
    // of one sound may overlap.
    void PlaySfx(const SoundRef& sound);
    void StartUfoLoop();
    void StopUfoHum();
    // Track 0 picks 1, 2 or 3 at random; 4 is the title music. It does not
    // stop the previous track: SwitchMusic does.
    void StartMusic(int track);
    void SwitchMusic(int track);
    void StopMusic();
    bool MusicPlaying();
    // While the application is in the background.
    void PauseMusic();
    void ResumeMusic();
    void SetMusicVolume(float volume);

    // Stem of the track on the music channel, or "none" when it is not playing.
    std::string music_name();
    // The track last started, null before the first.
    const SoundRef& music_sound() const { return music_snd_; }

    SoundRef thrust_snd, burghit_snd, newlvl_snd, smartbomb_snd, hyperspc_snd, death_snd, shootmine_snd,
        shootrocket_snd, armageddon_snd, hscore_snd, shield_snd, ufoloop_snd, shoot_snd, powerup_snd;

    float sfx_vol = 1.0f;
    int sfx_vol_step = 10;
    float music_vol = 1.0f;
    int music_vol_step = 10;
    int music_track = 2;

    TChannel ufo_chan;
    TChannel music_chan;

    // Stems of the effects started since the list was last cleared.
    std::vector<std::string> frame_sounds;

private:
    std::string PathOf(const std::string& stem) const;
    SoundRef Silence(const std::string& path, int flags);

    Audio& audio_;
    Random& random_;
    std::string data_folder_;
    SoundRef music_snd_;
    std::string music_stem_ = "none";
    std::set<std::string> warned_;
};
