#pragma once

#include <filesystem>

// How a written file reaches the disk (desktop: disk_sync.cpp). In the
// browser an fsync copies the whole folder to the page's storage and waits
// for it, for ever where the storage never answers; there the files reach
// the storage at the end of each save instead (platform/web/save_session.cpp),
// and these do nothing (platform/web/disk_sync.cpp).

// 0, or the errno of a failed sync of the open file.
int SyncFile(int descriptor);
// Makes a rename in the file's folder last.
void SyncFolderOf(const std::filesystem::path& file);
