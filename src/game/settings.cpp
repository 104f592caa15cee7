#include "game/settings.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "game/game.hpp"
#include "game/paths.hpp"
#include "platform/system/message.hpp"
#include "platform/system/save_session.hpp"
#include "platform/system/user_files.hpp"
#include "platform/system/text_parse.hpp"
#include "platform/video/display.hpp"

namespace {

// One "name value" line; false when the name is unknown or the value broken.
bool ParseLine(std::string_view line, Settings& settings) {
    std::size_t gap = line.find_first_of(kBlanks);
    if (gap == std::string_view::npos) return false;
    std::string_view name = line.substr(0, gap);
    std::string_view word = Trim(line.substr(gap));
    std::optional<int> value;
    if (name == "sound_volume") {
        value = ParseSetting(word, kVolumeSteps);
        if (value) settings.sfx_vol_step = *value;
    } else if (name == "music_volume") {
        value = ParseSetting(word, kVolumeSteps);
        if (value) settings.music_vol_step = *value;
    } else if (name == "music_track") {
        value = ParseSetting(word, kMusicTracks);
        if (value) settings.music_track = *value;
    } else if (name == "fullscreen") {
        value = ParseIntIn(word, 0, 1);
        if (value) settings.fullscreen = *value != 0;
    }
    return value.has_value();
}

}  // namespace

ParsedSettings ParseSettings(std::string_view text) {
    ParsedSettings parsed;
    ForEachLine(text, [&parsed](std::string_view line, int line_number) {
        line = Trim(StripComment(line));
        // A broken line leaves the setting it names as it was.
        if (line.empty() || ParseLine(line, parsed.settings)) return true;
        if (parsed.skipped++ == 0) {
            constexpr std::size_t kShown = 40;
            std::string shown(line.substr(0, kShown));
            for (char& c : shown) {
                if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '?';
            }
            parsed.first_problem =
                "line " + std::to_string(line_number) + " '" + shown + (line.size() > kShown ? "...'" : "'");
        }
        return true;
    });
    return parsed;
}

std::string FormatSettings(const Settings& settings) {
    return "# Rezarudev settings: volumes 0 (off) to 10 (100 %), music track 0 (random) to 3\n"
           "sound_volume " +
           std::to_string(settings.sfx_vol_step) + "\n" + "music_volume " + std::to_string(settings.music_vol_step) +
           "\n" + "music_track " + std::to_string(settings.music_track) + "\n" + "fullscreen " +
           (settings.fullscreen ? "1" : "0") + "\n";
}

SettingsRead ReadSettingsFile(const std::string& path, bool warn) {
    SettingsRead read;
    if (path.empty()) return read;
    // A settings file is a few lines; anything far bigger is not one.
    UserFile file = ReadUserFile(path, 64 * 1024);
    if (file.state == UserFile::State::kUnreadable) {
        if (warn)
            std::fprintf(stderr, "rezarudev: cannot read %s (%s), using the default settings and leaving it as it is\n",
                         Printable(path).c_str(), file.problem.c_str());
        read.may_save = false;
        return read;
    }
    read.exists = file.state == UserFile::State::kRead;
    ParsedSettings parsed = ParseSettings(file.bytes);
    if (parsed.skipped > 0 && warn) {
        std::fprintf(stderr, "rezarudev: %s: ignored %d bad line%s, the first at %s\n", Printable(path).c_str(),
                     parsed.skipped, parsed.skipped == 1 ? "" : "s", parsed.first_problem.c_str());
    }
    read.settings = parsed.settings;
    if (parsed.skipped > 0) read.text = std::move(file.bytes);
    return read;
}

Settings LoadSettings(const std::string& path, bool* may_save) {
    SettingsRead read = ReadSettingsFile(path, true);
    if (may_save) *may_save = read.may_save;
    return read.settings;
}

float VolumeOfStep(int step) {
    // The start value is exactly 1.0; any other step is the sum of 0.1 clicks
    // from Off, as the menu makes it.
    if (step >= 10) return 1.0f;
    float volume = 0.0f;
    for (int click = 0; click < step; ++click) volume += 0.1f;
    return volume;
}

void ApplySettings(Game& game, const Settings& settings) {
    GameSound& sound = game.sound;
    sound.sfx_vol_step = settings.sfx_vol_step;
    sound.sfx_vol = VolumeOfStep(settings.sfx_vol_step);
    sound.music_vol_step = settings.music_vol_step;
    sound.music_vol = VolumeOfStep(settings.music_vol_step);
    sound.music_track = settings.music_track;
}

Settings CurrentSettings(const Game& game) {
    Settings current = game.run.settings;
    current.sfx_vol_step = game.sound.sfx_vol_step;
    current.music_vol_step = game.sound.music_vol_step;
    current.music_track = game.sound.music_track;
    // --windowed alone is not a choice to remember; a toggle is.
    bool fullscreen = game.services.display.fullscreen();
    if (fullscreen != game.run.fullscreen_at_start) current.fullscreen = fullscreen;
    return current;
}

void SaveChangedSettings(Game& game) {
    Settings current = CurrentSettings(game);
    const Settings& before = game.run.settings;
    if (current == before) return;
    const std::string& path = game.run.settings_path;
    if (path.empty()) {
        // A replay or a test keeps its settings' file name; a run without a home folder has none.
        if (game.folders.settings.empty())
            std::fprintf(stderr,
                         "rezarudev: no per-user folder (HOME is not set); the changed settings are not kept\n");
        return;
    }
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (!folder.empty() && !MakeFolder(folder, FolderReach::kWithParents)) {
        std::fprintf(stderr, "rezarudev: cannot create %s: %s\n", Printable(folder).c_str(), std::strerror(errno));
        game.save_failed = true;
        return;
    }
    SaveSession session(folder);
    // Another game may have changed other settings meanwhile: only what
    // changed in this one is written over what is stored now.
    SettingsRead stored = ReadSettingsFile(path, false);
    bool saved = stored.may_save;
    if (!saved) {
        std::fprintf(stderr, "rezarudev: %s is not a settings file any more; the changed settings are not saved\n",
                     Printable(path).c_str());
    } else {
        Settings merged = stored.exists ? stored.settings : current;
        if (current.sfx_vol_step != before.sfx_vol_step) merged.sfx_vol_step = current.sfx_vol_step;
        if (current.music_vol_step != before.music_vol_step) merged.music_vol_step = current.music_vol_step;
        if (current.music_track != before.music_track) merged.music_track = current.music_track;
        if (current.fullscreen != before.fullscreen) merged.fullscreen = current.fullscreen;
        if (!stored.text.empty()) saved = KeepUnreadableLines(path, stored.text);
        if (saved) saved = WriteUserFile(path, FormatSettings(merged), "the settings");
    }
    if (!session.Finish()) saved = false;
    if (!saved) game.save_failed = true;
}

void KeepChangedSettings(Game& game) {
    Settings current = CurrentSettings(game);
    if (current == game.run.settings || game.run.settings_path.empty()) return;
    SaveChangedSettings(game);
    // Written once per change, and a failure said once.
    game.run.settings = current;
}
