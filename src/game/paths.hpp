#pragma once

#include <string>

// Where a run reads its sounds and keeps its best score.
struct GameFolders {
    std::string sounds;      // holds the .ogg files
    std::string best_score;  // hiscore.dat, read at start-up and written on the way out
    // Read instead of best_score while that does not exist yet, so a best
    // score from before the per-user folder is taken over once. May be empty.
    std::string earlier_best_score;
    // The settings file; empty when there is no per-user folder for it.
    std::string settings;
};

// --data-dir DIR: everything in DIR/data, the settings file too.
GameFolders FoldersUnder(const std::string& data_dir);

// Without --data-dir: the sounds from data/ under `working` when it holds
// them, else from `installed`; the best score in `per_user`, taking over
// working/data/hiscore.dat. An empty `per_user` (no home folder) keeps the
// best score in working/data.
GameFolders ChooseFolders(const std::string& working, const std::string& installed, const std::string& per_user);

// The file LoadBest reads: best_score, or while it does not exist yet the
// earlier one when that exists.
std::string BestScoreToRead(const GameFolders& folders);

// The folders for this run: `data_dir` is the --data-dir value, empty when
// not given.
GameFolders FindFolders(const std::string& data_dir);

// The game's folder under the per-user base folder that `variable` names,
// else under $HOME/`under_home`. As the XDG rules have it, an empty or
// relative value counts as unset. Empty when neither gives an absolute path.
std::string PerUserFolder(const char* variable, const char* under_home);

// The per-user folder for the best score, ending in '/', created when
// missing: $XDG_DATA_HOME/rezarudev/, falling back to
// ~/.local/share/rezarudev/. Empty, after one line on stderr, when there is
// no home folder or it cannot be created.
std::string UserDataFolder();

// The settings file: DIR/data/settings with --data-dir DIR, otherwise
// $XDG_CONFIG_HOME/rezarudev/settings, falling back to
// ~/.config/rezarudev/settings. Empty when there is no such folder.
std::string SettingsPath(const std::string& data_dir);
