#pragma once

#include <filesystem>

// A new, empty folder under the system's temporary folder, removed with all
// it holds when the object goes. mkdtemp names it, so a folder a killed run
// left behind is never taken for it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Links the game's real sound files into folder/data, made if need be;
// returns folder.
const std::filesystem::path& LinkGameSounds(const std::filesystem::path& folder);
