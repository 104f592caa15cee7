#include "platform/system/disk_sync.hpp"

#include <fcntl.h>
#include <unistd.h>

int SyncFile(int descriptor) { return ::fsync(descriptor); }

void SyncFolderOf(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path();
    int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}
