#include "game/paths.hpp"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The title music plays first, so a data/ folder without it is not ours.
bool HoldsSounds(const fs::path& folder) {
    std::error_code error;
    return fs::is_regular_file(folder / "title.ogg", error);
}

std::string DataFolder() {
    char* path = SDL_GetPrefPath("", "rezarudev");
    if (!path) {
        std::fprintf(stderr, "rezarudev: no per-user folder (%s); the best score stays in data/\n", SDL_GetError());
        return {};
    }
    std::string folder = path;
    SDL_free(path);
    return folder;
}

}  // namespace

GameFolders FoldersUnder(const std::string& data_dir) {
    std::string data = (fs::path(data_dir) / "data").string();
    return {data, data + "/hiscore.dat", {}};
}

GameFolders ChooseFolders(const std::string& working, const std::string& installed, const std::string& per_user) {
    fs::path working_data = fs::path(working) / "data";
    GameFolders folders;
    // Where neither holds them, the warnings name the working folder's data/.
    bool use_installed = !HoldsSounds(working_data) && !installed.empty() && HoldsSounds(installed);
    folders.sounds = use_installed ? installed : working_data.string();
    if (per_user.empty()) {
        folders.best_score = (working_data / "hiscore.dat").string();
    } else {
        folders.best_score = (fs::path(per_user) / "hiscore.dat").string();
        folders.earlier_best_score = (working_data / "hiscore.dat").string();
    }
    return folders;
}

std::string BestScoreToRead(const GameFolders& folders) {
    std::error_code error;
    if (folders.earlier_best_score.empty() || fs::exists(fs::symlink_status(folders.best_score, error)))
        return folders.best_score;
    return fs::exists(fs::symlink_status(folders.earlier_best_score, error)) ? folders.earlier_best_score
                                                                            : folders.best_score;
}

GameFolders FindFolders(const std::string& data_dir) {
    if (!data_dir.empty()) return FoldersUnder(data_dir);
    return ChooseFolders(".", InstalledDataFolder(), UserDataFolder());
}

std::string InstalledDataFolder() {
    char* base = SDL_GetBasePath();
    if (!base) return {};
    fs::path folder = fs::path(base) / REZARUDEV_DATA_FROM_BINARY;
    SDL_free(base);
    return folder.lexically_normal().string();
}

std::string UserDataFolder() { return DataFolder(); }

std::string SettingsPath(const std::string& data_dir) {
    if (!data_dir.empty()) return data_dir + "/data/settings";
    // Relative values are to be ignored, as if unset.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return std::string(config) + "/rezarudev/settings";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.config/rezarudev/settings";
    return {};
}
