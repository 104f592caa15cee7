#pragma once

#include <string>
#include <string_view>

// A browser tab may be closed or reloaded at any moment, and then the game
// never reaches its way out: there every file is written as soon as what it
// holds changes, not only when the game leaves.
#ifdef __EMSCRIPTEN__
inline constexpr bool kWriteFilesAsTheyChange = true;
#else
inline constexpr bool kWriteFilesAsTheyChange = false;
#endif

// Replaces the file at `path` with `bytes` so that a crash or a full disk
// never leaves it half written: the bytes go to a temporary file whose name
// is this process's own (two games leaving at once each write a whole file,
// and the last rename wins), reach the disk, and only then are renamed over
// the old file, whose folder is synced last. A symbolic link is written
// through to its target, so the link itself stays in place. The folder must
// exist. 0 on success, otherwise the errno of the step that failed, with the
// old file left as it was. In the browser the page's storage is brought up
// to date behind every file written.
int WriteFileSafely(const std::string& path, std::string_view bytes);
