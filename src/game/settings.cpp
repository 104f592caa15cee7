#include "game/settings.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "game/game.hpp"
#include "game/paths.hpp"
#include "platform/system/message.hpp"
#include "platform/system/safe_write.hpp"
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

Settings LoadSettings(const std::string& path, bool* may_save) {
    if (may_save) *may_save = true;
    if (path.empty()) return {};
    // Not blocking, so that a FIFO put in the file's place cannot hold up the start.
    int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    bool plain = descriptor < 0 || (::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode));
    if (descriptor >= 0) ::close(descriptor);
    if (!plain) {
        std::fprintf(stderr, "rezarudev: %s is not a plain file, using the default settings and leaving it as it is\n",
                     Printable(path).c_str());
        if (may_save) *may_save = false;
        return {};
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (errno != ENOENT)
            std::fprintf(stderr, "rezarudev: cannot read %s, using the default settings\n", path.c_str());
        return {};
    }
    // A settings file is a few lines; anything far bigger is not one.
    constexpr std::size_t kMaxSize = 64 * 1024;
    std::string text;
    text.resize(kMaxSize + 1);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (file.bad() || text.size() > kMaxSize) {
        std::fprintf(stderr, "rezarudev: %s is not a settings file, using the default settings\n", path.c_str());
        return {};
    }
    ParsedSettings parsed = ParseSettings(text);
    if (parsed.skipped > 0) {
        std::fprintf(stderr, "rezarudev: %s: ignored %d bad line%s, the first at %s\n", path.c_str(), parsed.skipped,
                     parsed.skipped == 1 ? "" : "s", parsed.first_problem.c_str());
    }
    return parsed.settings;
}

bool SaveSettings(const std::string& path, const Settings& settings, std::string& error) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (!folder.empty() && !MakeFolders(folder)) {
        error = "cannot create " + folder + ": " + std::strerror(errno);
        return false;
    }
    if (int problem = WriteFileSafely(path, FormatSettings(settings))) {
        error = "cannot write " + path + ": " + std::strerror(problem);
        return false;
    }
    return true;
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

void SaveChangedSettings(const Game& game) {
    Settings current = CurrentSettings(game);
    if (current == game.run.settings) return;
    if (game.run.settings_path.empty()) {
        // A replay or a test keeps its settings' file name; a run without a home folder has none.
        if (game.folders.settings.empty())
            std::fprintf(stderr,
                         "rezarudev: no per-user folder (HOME is not set); the changed settings are not kept\n");
        return;
    }
    std::string error;
    if (!SaveSettings(game.run.settings_path, current, error)) std::fprintf(stderr, "rezarudev: %s\n", error.c_str());
}

void KeepChangedSettings(Game& game) {
    Settings current = CurrentSettings(game);
    if (current == game.run.settings || game.run.settings_path.empty()) return;
    SaveChangedSettings(game);
    // Written once per change, and a failure said once.
    game.run.settings = current;
}
