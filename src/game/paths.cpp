#include "game/paths.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/system/installed_data.hpp"
#include "platform/system/user_files.hpp"

namespace fs = std::filesystem;

namespace {

// The title music plays first, so a data/ folder without it is not ours.
bool HoldsSounds(const fs::path& folder) {
    std::error_code error;
    return fs::is_regular_file(folder / "title.ogg", error);
}

// An empty or relative value counts as unset.
const char* AbsoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? value : nullptr;
}

}  // namespace

// In the browser HOME is /home/web_user, and web/storage.js keeps the two
// folders this gives there in the browser's storage: a change here goes
// there too.
std::string PerUserFolder(const char* variable, const char* under_home) {
    if (const char* value = AbsoluteVariable(variable)) return std::string(value) + "/rezarudev";
    if (const char* home = AbsoluteVariable("HOME")) return std::string(home) + "/" + under_home + "/rezarudev";
    return {};
}

GameFolders FoldersUnder(const std::string& data_dir) {
    std::string data = (fs::path(data_dir) / "data").string();
    return {data, data + "/hiscore.dat", {}, data + "/settings"};
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
    GameFolders folders = ChooseFolders(".", InstalledDataFolder(), UserDataFolder());
    folders.settings = SettingsPath("");
    return folders;
}

std::string UserDataFolder() {
    std::string folder = PerUserFolder("XDG_DATA_HOME", ".local/share");
    if (folder.empty()) {
        std::fprintf(stderr, "rezarudev: no per-user folder (HOME is not set); the best score stays in data/\n");
        return {};
    }
    if (!MakeFolder(folder, FolderReach::kWithParents)) {
        std::fprintf(stderr, "rezarudev: cannot create %s: %s; the best score stays in data/\n", folder.c_str(),
                     std::strerror(errno));
        return {};
    }
    return folder + "/";
}

std::string SettingsPath(const std::string& data_dir) {
    if (!data_dir.empty()) return FoldersUnder(data_dir).settings;
    std::string folder = PerUserFolder("XDG_CONFIG_HOME", ".config");
    return folder.empty() ? folder : folder + "/settings";
}
