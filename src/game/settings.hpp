#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/system/player_settings.hpp"

class Game;

struct ParsedSettings {
    Settings settings;
    // Lines that were skipped, and the first of them with its number, for
    // the one warning the caller prints.
    int skipped = 0;
    std::string first_problem;
};

// Reads the text of a settings file over the defaults. Unknown or broken
// lines are skipped and the rest still count.
ParsedSettings ParseSettings(std::string_view text);
// Only what differs from the defaults is written of the bindings.
std::string FormatSettings(const Settings& settings);

// The keys and buttons of the actions not kept give way to their defaults,
// each default that no kept action holds.
Bindings WithDefaults(const Bindings& bindings, const std::array<bool, kActionCount>& keys_kept,
                      const std::array<bool, kActionCount>& buttons_kept);
// The stored bindings with what this run changed (from `before` to
// `current`) written over them, action by action; a key or button this run
// bound is taken from the action the stored file gave it to.
Bindings MergedBindings(const Bindings& stored, const Bindings& before, const Bindings& current);

// Reading the settings file over the defaults. A file that is there but
// cannot be read (a FIFO, a folder, no permission, far too big) counts as
// missing, with one warning, and may not be written over.
struct SettingsRead {
    Settings settings;
    bool may_save = true;
    bool exists = false;
    // The whole file when some of its lines were skipped, so that they can
    // be kept before it is written again.
    std::string text;
};
SettingsRead ReadSettingsFile(const std::string& path, bool warn);
// The saved settings, or the defaults when there are none; `may_save` is
// cleared when the file may not be written over.
Settings LoadSettings(const std::string& path, bool* may_save = nullptr);

// The volume a step stands for, as the menu's clicks reach it.
float VolumeOfStep(int step);
// Puts volumes and track into the game's sound settings.
void ApplySettings(Game& game, const Settings& settings);
// The settings as they stand now.
Settings CurrentSettings(const Game& game);
// Writes the settings that differ from those the run started with (or those
// last kept) over what the settings file holds now; a failure is one line on
// stderr and marks the run as failed.
void SaveChangedSettings(Game& game);
// Writes the settings file as soon as the settings change (where files are
// written as they change), so that leaving need not.
void KeepChangedSettings(Game& game);
