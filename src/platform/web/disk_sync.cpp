#include "platform/system/disk_sync.hpp"

int SyncFile(int /*descriptor*/) { return 0; }

void SyncFolderOf(const std::filesystem::path& /*file*/) {}
