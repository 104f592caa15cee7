#pragma once

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
std::string FormatSettings(const Settings& settings);

// The saved settings, or the defaults when there are none. A file that cannot
// be read, and skipped lines, get one warning on stderr. Something other than
// a plain file (a FIFO, a folder) is not read, and `may_save` is cleared so
// that leaving does not write over it.
Settings LoadSettings(const std::string& path, bool* may_save = nullptr);
// Writes the file through a temporary one, so a crash never leaves it half
// written. False, with a one-line message in `error`, on failure.
bool SaveSettings(const std::string& path, const Settings& settings, std::string& error);

// The volume a step stands for, as the menu's clicks reach it.
float VolumeOfStep(int step);
// Puts volumes and track into the game's sound settings.
void ApplySettings(Game& game, const Settings& settings);
// The settings as they stand now.
Settings CurrentSettings(const Game& game);
// Writes the settings file if the settings differ from those the run started
// with (or those last kept); a failure is one line on stderr.
void SaveChangedSettings(const Game& game);
// Writes the settings file as soon as the settings change (where files are
// written as they change), so that leaving need not.
void KeepChangedSettings(Game& game);
