#include "platform/system/installed_data.hpp"

#include <SDL.h>

#include <filesystem>

std::string InstalledDataFolder() {
    char* base = SDL_GetBasePath();
    if (!base) return {};
    // Where cmake/Install.cmake puts the sounds, from where it puts the executable.
    std::filesystem::path folder = std::filesystem::path(base) / REZARUDEV_DATA_FROM_BINARY;
    SDL_free(base);
    return folder.lexically_normal().string();
}
