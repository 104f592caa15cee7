#include "platform/system/save_session.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

// The lock is the folder's own, so that no file is left behind for it. A
// folder that cannot be opened has nothing in it to protect yet.
SaveSession::SaveSession(const std::string& folder) {
    lock_ = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock_ < 0) return;
    while (::flock(lock_, LOCK_EX) != 0 && errno == EINTR) {
    }
}

SaveSession::~SaveSession() { Finish(); }

bool SaveSession::Finish() {
    if (finished_) return true;
    finished_ = true;
    // Closing the folder releases the lock.
    if (lock_ >= 0) ::close(lock_);
    return true;
}

bool OthersSaved() { return false; }

bool WriteFilesAsTheyChange() { return false; }
