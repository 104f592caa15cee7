#include "game/settings.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "game/game.hpp"
#include "game/paths.hpp"
#include "platform/input/input.hpp"
#include "platform/system/board_link.hpp"
#include "platform/system/message.hpp"
#include "platform/system/save_session.hpp"
#include "platform/system/user_files.hpp"
#include "platform/system/text_parse.hpp"
#include "platform/video/display.hpp"

namespace {

// The bindings the file's lines give, as they are read: an action or pad
// action the file never names keeps its defaults.
struct GivenBindings {
    Bindings bindings = NoBindings();
    std::array<bool, kActionCount> keys_given{};
    std::array<bool, kActionCount> buttons_given{};

    static Bindings NoBindings() {
        Bindings none;
        for (auto& keys : none.keys) keys.fill(kNoKey);
        for (auto& buttons : none.buttons) buttons.fill(kNoButton);
        return none;
    }

    // False for a key of another action and for a third key; the same key
    // twice for one action is no harm.
    bool AddKey(int action, int key) {
        int owner = ActionOfKey(bindings, key);
        if (key == kNoKey || (owner >= 0 && owner != action)) return false;
        keys_given[action] = true;
        return owner == action || Append(bindings.keys[action], key, kNoKey);
    }
    bool AddButton(int action, int button) {
        int owner = ActionOfButton(bindings, button);
        if (button == kNoButton || (owner >= 0 && owner != action)) return false;
        buttons_given[action] = true;
        return owner == action || Append(bindings.buttons[action], button, kNoButton);
    }

    template <std::size_t N>
    static bool Append(std::array<int, N>& slots, int value, int none) {
        auto free = std::find(slots.begin(), slots.end(), none);
        if (free == slots.end()) return false;
        *free = value;
        return true;
    }

    Bindings Completed() const { return WithDefaults(bindings, keys_given, buttons_given); }
};

// The words after the first `count` of a line, blanks and all.
std::string_view AfterWords(std::string_view line, int count) {
    for (int word = 0; word < count; ++word) {
        line = Trim(line);
        std::size_t gap = line.find_first_of(kBlanks);
        line = gap == std::string_view::npos ? std::string_view() : line.substr(gap);
    }
    return Trim(line);
}

// "bind ACTION KEY" or "bind_pad ACTION BUTTON". A key's name is the rest of
// the line ("Left Ctrl"); '#' starts a comment only where it names no key
// ("Keypad #").
bool ParseBinding(std::string_view line, std::string_view uncommented, GivenBindings& given) {
    std::vector<std::string_view> words = SplitWords(uncommented);
    if (words.size() < 3) return false;
    std::optional<int> action = ActionOfName(words[1]);
    if (!action) return false;
    if (words[0] == "bind_pad") return given.AddButton(*action, PadButtonOfName(AfterWords(uncommented, 2)));
    int key = KeyOfName(AfterWords(line, 2));
    if (key == kNoKey) key = KeyOfName(AfterWords(uncommented, 2));
    return given.AddKey(*action, key);
}

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
    } else if (name == "board") {
        if (!IsBoardUrl(word)) return false;
        settings.board = word;
        return true;
    }
    return value.has_value();
}

}  // namespace

Bindings WithDefaults(const Bindings& bindings, const std::array<bool, kActionCount>& keys_kept,
                      const std::array<bool, kActionCount>& buttons_kept) {
    const Bindings defaults = DefaultBindings();
    Bindings completed = bindings;
    for (int action = 0; action < kActionCount; ++action) {
        if (!keys_kept[action]) completed.keys[action].fill(kNoKey);
        if (!buttons_kept[action]) completed.buttons[action].fill(kNoButton);
    }
    for (int action = 0; action < kActionCount; ++action) {
        if (!keys_kept[action]) {
            int slot = 0;
            for (int key : defaults.keys[action])
                if (key != kNoKey && ActionOfKey(completed, key) < 0) completed.keys[action][slot++] = key;
        }
        if (!buttons_kept[action]) {
            int slot = 0;
            for (int button : defaults.buttons[action])
                if (button != kNoButton && ActionOfButton(completed, button) < 0)
                    completed.buttons[action][slot++] = button;
        }
    }
    return completed;
}

ParsedSettings ParseSettings(std::string_view text) {
    ParsedSettings parsed;
    GivenBindings given;
    ForEachLine(text, [&parsed, &given](std::string_view line, int line_number) {
        std::string_view whole = Trim(line);
        line = Trim(StripComment(line));
        std::string_view first = line.substr(0, line.find_first_of(kBlanks));
        bool binding = first == "bind" || first == "bind_pad";
        // A broken line leaves the setting it names as it was.
        if (line.empty() || (binding ? ParseBinding(whole, line, given) : ParseLine(line, parsed.settings)))
            return true;
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
    parsed.settings.bindings = given.Completed();
    return parsed;
}

std::string FormatSettings(const Settings& settings) {
    std::string text = "# Rezarudev settings: volumes 0 (off) to 10 (100 %), music track 0 (random) to 3\n"
                       "sound_volume " +
                       std::to_string(settings.sfx_vol_step) + "\n" + "music_volume " +
                       std::to_string(settings.music_vol_step) + "\n" + "music_track " +
                       std::to_string(settings.music_track) + "\n" + "fullscreen " +
                       (settings.fullscreen ? "1" : "0") + "\n";
    if (!settings.board.empty()) text += "board " + settings.board + "\n";
    // Only the actions whose keys or buttons differ from the defaults: the
    // rest keep them.
    const Bindings defaults = DefaultBindings();
    const Bindings& bindings = settings.bindings;
    for (int action = 0; action < kActionCount; ++action) {
        if (bindings.keys[action] != defaults.keys[action])
            for (int key : bindings.keys[action])
                if (key != kNoKey) text += std::string("bind ") + ActionName(action) + " " + KeyName(key) + "\n";
        if (bindings.buttons[action] != defaults.buttons[action])
            for (int button : bindings.buttons[action])
                if (button != kNoButton)
                    text += std::string("bind_pad ") + ActionName(action) + " " + PadButtonName(button) + "\n";
    }
    return text;
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

Bindings MergedBindings(const Bindings& stored, const Bindings& before, const Bindings& current) {
    Bindings merged = stored;
    std::array<bool, kActionCount> keys_changed{}, buttons_changed{};
    for (int action = 0; action < kActionCount; ++action) {
        keys_changed[action] = current.keys[action] != before.keys[action];
        buttons_changed[action] = current.buttons[action] != before.buttons[action];
        if (keys_changed[action]) merged.keys[action] = current.keys[action];
        if (buttons_changed[action]) merged.buttons[action] = current.buttons[action];
    }
    // What this run bound is taken from whatever the other game gave it to.
    std::array<bool, kActionCount> keys_kept{}, buttons_kept{};
    for (int action = 0; action < kActionCount; ++action) {
        for (int& key : merged.keys[action]) {
            int owner = ActionOfKey(current, key);
            if (!keys_changed[action] && owner >= 0 && keys_changed[owner] && owner != action) key = kNoKey;
        }
        for (int& button : merged.buttons[action]) {
            int owner = ActionOfButton(current, button);
            if (!buttons_changed[action] && owner >= 0 && buttons_changed[owner] && owner != action)
                button = kNoButton;
        }
        std::stable_partition(merged.keys[action].begin(), merged.keys[action].end(),
                              [](int key) { return key != kNoKey; });
        std::stable_partition(merged.buttons[action].begin(), merged.buttons[action].end(),
                              [](int button) { return button != kNoButton; });
        keys_kept[action] = merged.keys[action][0] != kNoKey;
        buttons_kept[action] = merged.buttons[action][0] != kNoButton || buttons_changed[action];
    }
    return WithDefaults(merged, keys_kept, buttons_kept);
}

void ApplySettings(Game& game, const Settings& settings) {
    GameSound& sound = game.sound;
    sound.sfx_vol_step = settings.sfx_vol_step;
    sound.sfx_vol = VolumeOfStep(settings.sfx_vol_step);
    sound.music_vol_step = settings.music_vol_step;
    sound.music_vol = VolumeOfStep(settings.music_vol_step);
    sound.music_track = settings.music_track;
    game.bindings = settings.bindings;
    game.services.input.SetBindings(game.bindings);
}

Settings CurrentSettings(const Game& game) {
    Settings current = game.run.settings;
    current.sfx_vol_step = game.sound.sfx_vol_step;
    current.music_vol_step = game.sound.music_vol_step;
    current.music_track = game.sound.music_track;
    current.bindings = game.bindings;
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
        merged.bindings = MergedBindings(stored.exists ? stored.settings.bindings : current.bindings, before.bindings,
                                         current.bindings);
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
