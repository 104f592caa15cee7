#include "game/hiscore.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "game/game.hpp"
#include "platform/system/message.hpp"

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

bool WriteAll(int descriptor, const unsigned char* bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t put = ::write(descriptor, bytes + done, size - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// Where a write of `path` must land: a symbolic link is followed to its
// target, so that the link itself stays in place.
std::filesystem::path FinalTarget(const std::filesystem::path& path) {
    std::filesystem::path target = path;
    std::error_code error;
    // As many hops as the system itself follows before it gives up.
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(std::filesystem::symlink_status(target, error));
         ++hops) {
        std::filesystem::path link = std::filesystem::read_symlink(target, error);
        if (error) break;
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return target;
}

void SyncFolder(const std::filesystem::path& folder) {
    int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

void WarnUnreadable(const std::string& path, const std::string& why) {
    std::fprintf(stderr,
                 "rezarudev: cannot read the best score from %s (%s); it starts at 0 and the file is left as it is\n",
                 Printable(path).c_str(), why.c_str());
}

}  // namespace

std::string BestScorePath(const Game& game) { return game.folders.best_score; }

BestScoreRead ReadBestScore(const std::string& path) {
    // Not blocking, so that a FIFO put in the file's place cannot hold up the start.
    int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT) return {};
        WarnUnreadable(path, std::strerror(errno));
        return {0, false};
    }
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        WarnUnreadable(path, S_ISDIR(info.st_mode) ? "a folder, not a file" : "not a plain file");
        return {0, false};
    }
    unsigned char bytes[4] = {};
    long got = ReadUpTo(descriptor, bytes, sizeof bytes);
    int problem = errno;
    ::close(descriptor);
    if (got < 0) {
        WarnUnreadable(path, std::strerror(problem));
        return {0, false};
    }
    if (got < 4) {
        // Nothing worth keeping is lost by writing over a file this short.
        std::fprintf(stderr, "rezarudev: %s holds fewer than 4 bytes; the best score starts at 0\n",
                     Printable(path).c_str());
        return {};
    }
    std::uint32_t value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                          static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return {static_cast<int>(value), true};
}

bool WriteFileWhole(const std::string& path, std::string_view bytes, const std::string& what) {
    std::error_code error;
    std::filesystem::path given(path);
    // The folder the file sits in may be made, but nothing above it.
    if (given.has_parent_path()) std::filesystem::create_directory(given.parent_path(), error);
    std::filesystem::path target = FinalTarget(given);
    // A name of this process's own: two games leaving at once each write a
    // whole file of their own, and the last rename wins.
    std::filesystem::path temporary = target;
    // Appended piece by piece: GCC 12 at -O3 takes "." + std::string for an overlapping copy (-Wrestrict).
    temporary += ".";
    temporary += std::to_string(::getpid());
    temporary += ".tmp";
    // Only a file that reached the disk whole may replace the old one.
    int problem = 0;
    int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        problem = errno;
    } else {
        if (!WriteAll(descriptor, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) ||
            ::fsync(descriptor) != 0)
            problem = errno ? errno : EIO;
        if (::close(descriptor) != 0 && !problem) problem = errno;
        if (!problem && std::rename(temporary.c_str(), target.c_str()) != 0) problem = errno;
        if (problem) ::unlink(temporary.c_str());
    }
    if (problem) {
        std::fprintf(stderr, "rezarudev: cannot save %s to %s: %s\n", what.c_str(), Printable(path).c_str(),
                     std::strerror(problem));
        return false;
    }
    SyncFolder(target.parent_path());
    return true;
}

bool WriteBestScore(const std::string& path, int best) {
    std::uint32_t value = static_cast<std::uint32_t>(best);
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 24)};
    return WriteFileWhole(path, std::string_view(bytes, sizeof bytes), "the best score");
}

void LoadBest(Game& game) {
    std::string source = BestScoreToRead(game.folders);
    BestScoreRead read = ReadBestScore(source);
    game.player.best = read.best;
    // An unreadable earlier file is not the one written at exit.
    game.save_best = read.may_save || source != BestScorePath(game);
}

void SaveBest(Game& game) {
    if (game.save_best) WriteBestScore(BestScorePath(game), game.player.best);
}
