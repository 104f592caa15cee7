#include "support/temp_folder.hpp"

#include <stdlib.h>

#include <cerrno>
#include <string>
#include <system_error>

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rezarudev-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::filesystem::filesystem_error("mkdtemp", pattern, std::error_code(errno, std::generic_category()));
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

const std::filesystem::path& LinkGameSounds(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "data");
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(REZARUDEV_SOURCE_DIR) / "data")) {
        if (entry.path().extension() == ".ogg")
            std::filesystem::create_symlink(entry.path(), folder / "data" / entry.path().filename());
    }
    return folder;
}
