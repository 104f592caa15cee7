#include "platform/system/user_files.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/system/disk_sync.hpp"
#include "platform/system/message.hpp"

namespace {

bool WriteAll(int descriptor, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(descriptor, bytes.data() + done, bytes.size() - done);
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

}  // namespace

UserFile ReadUserFile(const std::string& path, std::size_t max_size) {
    UserFile file;
    // Not blocking, so that a FIFO put in the file's place cannot hold up the start.
    int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT) return file;
        file.state = UserFile::State::kUnreadable;
        file.problem = std::strerror(errno);
        return file;
    }
    struct stat info {};
    file.state = UserFile::State::kUnreadable;
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        file.problem = S_ISDIR(info.st_mode) ? "a folder, not a file" : "not a plain file";
        ::close(descriptor);
        return file;
    }
    // One byte more than is allowed, to tell a file that is too big.
    file.bytes.resize(max_size + 1);
    std::size_t done = 0;
    while (done < file.bytes.size()) {
        ssize_t got = ::read(descriptor, file.bytes.data() + done, file.bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            file.problem = std::strerror(errno);
            ::close(descriptor);
            return file;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    ::close(descriptor);
    file.bytes.resize(done);
    if (done > max_size) {
        file.problem = "more than " + std::to_string(max_size) + " bytes";
        file.bytes.clear();
        return file;
    }
    file.state = UserFile::State::kRead;
    return file;
}

int WriteFileSafely(const std::string& path, std::string_view bytes) {
    std::filesystem::path target = FinalTarget(path);
    std::filesystem::path temporary = target;
    // Appended piece by piece: GCC 12 at -O3 takes "." + std::string for an overlapping copy (-Wrestrict).
    temporary += ".";
    temporary += std::to_string(::getpid());
    temporary += ".tmp";
    int problem = 0;
    int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) return errno;
    if (!WriteAll(descriptor, bytes) || SyncFile(descriptor) != 0) problem = errno ? errno : EIO;
    if (::close(descriptor) != 0 && !problem) problem = errno;
    if (!problem && std::rename(temporary.c_str(), target.c_str()) != 0) problem = errno;
    if (problem) {
        ::unlink(temporary.c_str());
        return problem;
    }
    SyncFolderOf(target);
    return 0;
}

bool MakeFolder(const std::string& folder, FolderReach reach) {
    if (reach == FolderReach::kFolderOnly) return ::mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

bool WriteUserFile(const std::string& path, std::string_view bytes, const char* what) {
    std::filesystem::path given(path);
    // Write permission taken away by the player is a wish: root, who could
    // write all the same, honours it too.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0) {
        std::fprintf(stderr, "rezarudev: %s is read-only, so %s is not saved there and the file is left as it is\n",
                     Printable(path).c_str(), what);
        return false;
    }
    // The folder the file sits in may be made, but nothing above it; if it
    // cannot be, the write below says why.
    if (given.has_parent_path()) MakeFolder(given.parent_path().string(), FolderReach::kFolderOnly);
    if (int problem = WriteFileSafely(path, bytes)) {
        std::fprintf(stderr, "rezarudev: cannot save %s to %s: %s\n", what, Printable(path).c_str(),
                     std::strerror(problem));
        return false;
    }
    return true;
}

bool KeepUnreadableLines(const std::string& path, std::string_view text) {
    std::string copy = path + ".bad";
    std::error_code error;
    for (int number = 2; std::filesystem::exists(std::filesystem::symlink_status(copy, error)); ++number)
        copy = path + ".bad." + std::to_string(number);
    if (int problem = WriteFileSafely(copy, text)) {
        std::fprintf(stderr, "rezarudev: cannot keep the lines of %s it could not read in %s (%s), so it is left as it is\n",
                     Printable(path).c_str(), Printable(copy).c_str(), std::strerror(problem));
        return false;
    }
    std::fprintf(stderr, "rezarudev: the lines of %s it could not read are kept in %s\n", Printable(path).c_str(),
                 Printable(copy).c_str());
    return true;
}
