#include "game/hiscore.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "game/game.hpp"

std::string BestScorePath(const Game& game) { return game.data_dir + "/data/hiscore.dat"; }

int ReadBestScore(const std::string& path) {
    std::error_code error;
    auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) return 0;
    if (std::filesystem::is_directory(status)) {
        std::fprintf(stderr, "rezarudev: %s is a folder, not a best-score file; the best score starts at 0\n",
                     path.c_str());
        return 0;
    }
    std::ifstream file(path, std::ios::binary);
    unsigned char bytes[4] = {};
    if (!file || !file.read(reinterpret_cast<char*>(bytes), 4)) {
        std::fprintf(stderr, "rezarudev: cannot read 4 bytes from %s; the best score starts at 0\n", path.c_str());
        return 0;
    }
    std::uint32_t value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                          static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return static_cast<int>(value);
}

bool WriteBestScore(const std::string& path, int best) {
    std::filesystem::path target(path);
    std::error_code error;
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), error);
    std::string temporary = path + ".tmp";
    std::uint32_t value = static_cast<std::uint32_t>(best);
    unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                              static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    // Only a file that reached the disk whole may replace the old one.
    int problem = 0;
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        problem = errno;
    } else {
        if (std::fwrite(bytes, 1, 4, file) != 4 || std::fflush(file) != 0) problem = errno ? errno : EIO;
        if (std::fclose(file) != 0 && !problem) problem = errno;
        if (!problem && std::rename(temporary.c_str(), path.c_str()) != 0) problem = errno;
        if (problem) std::remove(temporary.c_str());
    }
    if (problem) {
        std::fprintf(stderr, "rezarudev: cannot save the best score to %s: %s\n", path.c_str(), std::strerror(problem));
        return false;
    }
    return true;
}

void LoadBest(Game& game) { game.player.best = ReadBestScore(BestScorePath(game)); }

void SaveBest(Game& game) { WriteBestScore(BestScorePath(game), game.player.best); }
