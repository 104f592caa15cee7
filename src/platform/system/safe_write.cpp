#include "platform/system/safe_write.hpp"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#ifdef __EMSCRIPTEN__
#include "platform/web/page.hpp"
#endif

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

// In the browser an fsync copies the whole folder to the page's storage and
// waits for it, for ever where the storage never answers; there the new file
// is copied once it is in place instead, and nothing waits.
int SyncFile(int descriptor) {
#ifdef __EMSCRIPTEN__
    static_cast<void>(descriptor);
    return 0;
#else
    return ::fsync(descriptor);
#endif
}

void SyncFolderOf(const std::filesystem::path& file) {
#ifdef __EMSCRIPTEN__
    KeepInStorage(file.string());
#else
    std::filesystem::path folder = file.parent_path();
    int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
#endif
}

}  // namespace

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
