#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The player's own files (the best score, the score table, the settings):
// read under one policy, written so that they are never left half written.

struct UserFile {
    enum class State { kMissing, kRead, kUnreadable };
    State state = State::kMissing;
    std::string bytes;
    // Why a file that is there could not be read, for a one-line warning.
    std::string problem;
};

// Reads a player's file of at most `max_size` bytes. One that is there but is
// not a plain file (a folder; a FIFO, which is never waited for), cannot be
// read, or is bigger than that is kUnreadable, and is to be left as it is.
UserFile ReadUserFile(const std::string& path, std::size_t max_size);

// Replaces the file at `path` with `bytes` so that a crash or a full disk
// never leaves it half written: the bytes go to a temporary file whose name
// is this process's own (two games leaving at once each write a whole file,
// and the last rename wins), reach the disk, and only then are renamed over
// the old file, whose folder is synced last. A symbolic link is written
// through to its target, so the link itself stays in place. The folder must
// exist. 0 on success, otherwise the errno of the step that failed, with the
// old file left as it was.
int WriteFileSafely(const std::string& path, std::string_view bytes);

// How much of a missing folder path the game may make for the player's files.
enum class FolderReach {
    // The folder itself only, as any folder is made: the data folder, inside
    // one that whoever chose it made.
    kFolderOnly,
    // With any missing above it, for this user only: a per-user folder, as the
    // XDG rules have it.
    kWithParents,
};
// Makes `folder` when it is missing, as far as `reach` allows. False, with
// errno set, on failure.
bool MakeFolder(const std::string& folder, FolderReach reach);

// Writes one of the player's files through WriteFileSafely, making its own
// folder (and only that) when it is missing. A file the player made
// read-only is left as it is. False after one line on standard error naming
// `what` was being saved.
bool WriteUserFile(const std::string& path, std::string_view bytes, const char* what);

// Keeps `text`, the contents of the file at `path` with lines the game could
// not read, beside it as PATH.bad (PATH.bad.2, ... when that is taken) before
// the file is written again without them, and says so on one line. False,
// after one line, when it could not: the file must then not be rewritten.
bool KeepUnreadableLines(const std::string& path, std::string_view text);
