#include "game/hiscore.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "game/game.hpp"
#include "platform/system/message.hpp"
#include "platform/system/safe_write.hpp"

namespace {

// Reads up to `size` bytes; the count read, or -1 on an error.
long ReadUpTo(int descriptor, unsigned char* bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t got = ::read(descriptor, bytes + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long>(done);
}

void WarnUnreadable(const std::string& path, const std::string& why) {
    std::fprintf(stderr,
                 "rezarudev: cannot read the best score from %s (%s); it starts at 0 and the file is left as it is\n",
                 Printable(path).c_str(), why.c_str());
}

}  // namespace

std::string BestScorePath(const Game& game) { return game.folders.best_score; }

BestScoreRead ReadBestScore(const std::string& path, bool warn) {
    // Not blocking, so that a FIFO put in the file's place cannot hold up the start.
    int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT) return {};
        if (warn) WarnUnreadable(path, std::strerror(errno));
        return {0, false};
    }
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        if (warn) WarnUnreadable(path, S_ISDIR(info.st_mode) ? "a folder, not a file" : "not a plain file");
        return {0, false};
    }
    // One byte more than a best score holds, to tell a longer file from one.
    unsigned char bytes[5] = {};
    long got = ReadUpTo(descriptor, bytes, sizeof bytes);
    int problem = errno;
    ::close(descriptor);
    if (got < 0) {
        if (warn) WarnUnreadable(path, std::strerror(problem));
        return {0, false};
    }
    // Anything but exactly 4 bytes is some other file in its place (or a
    // damaged one): no stray bytes ever become a score, and the file stays.
    if (got != 4) {
        if (warn) WarnUnreadable(path, got < 4 ? "fewer than 4 bytes" : "more than 4 bytes");
        return {0, false};
    }
    std::uint32_t value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                          static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return {static_cast<int>(value), true};
}

bool WriteDataFile(const std::string& path, std::string_view bytes, const char* what) {
    std::filesystem::path given(path);
    // The folder the file sits in may be made, but nothing above it.
    std::error_code error;
    if (given.has_parent_path()) std::filesystem::create_directory(given.parent_path(), error);
    if (int problem = WriteFileSafely(path, bytes)) {
        std::fprintf(stderr, "rezarudev: cannot save %s to %s: %s\n", what, Printable(path).c_str(),
                     std::strerror(problem));
        return false;
    }
    return true;
}

bool WriteBestScore(const std::string& path, int best) {
    std::uint32_t value = static_cast<std::uint32_t>(best);
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 24)};
    return WriteDataFile(path, std::string_view(bytes, sizeof bytes), "the best score");
}

void LoadBest(Game& game) {
    std::string source = BestScoreToRead(game.folders);
    BestScoreRead read = ReadBestScore(source);
    game.player.best = read.best;
    // An unreadable earlier file is not the one written at exit.
    game.save_best = read.may_save || source != BestScorePath(game);
}

void SaveBest(Game& game) {
    if (!game.save_best) return;
    // Another game may have left meanwhile with a higher best score: the best
    // is a maximum, so the larger of the two stays. Its faults were told at start-up.
    std::string path = BestScorePath(game);
    BestScoreRead stored = ReadBestScore(path, false);
    WriteBestScore(path, stored.may_save ? std::max(stored.best, game.player.best) : game.player.best);
}
