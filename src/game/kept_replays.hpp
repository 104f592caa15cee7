#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input/replay.hpp"

struct ScoreTable;

// The recordings of the table's games: one file each in `replays/` beside
// the table, named after what it holds, so that the same game is the same
// file however often and by whichever game it is saved.

// The name of the file that holds `text`: sixteen hexadecimal digits and
// ".txt".
std::string ReplayFileName(std::string_view text);
// Whether a name is one ReplayFileName makes: nothing else is ever read,
// written or removed in the folder.
bool IsReplayFileName(std::string_view name);
// `replays`, beside the table at `scores_path`.
std::string ReplaysFolder(const std::string& scores_path);
std::string ReplayPath(const std::string& scores_path, const std::string& name);

// The recordings the table stored at `scores_path` names: the game's own
// files, which no option of the command line may write over.
std::vector<std::string> KeptReplayPaths(const std::string& scores_path);
// Removes the recordings no entry of `table` names. Files whose names the
// game does not make are left alone.
void RemoveUnkeptReplays(const std::string& scores_path, const ScoreTable& table);

// Entry `index` (from 0) of the table as it is stored at `scores_path`: its
// recording read and checked. Nothing, with one line in `error`, when the
// entry is not there or has no usable recording.
std::optional<ReplayFile> ReadEntryReplay(const std::string& scores_path, const ScoreTable& table, int index,
                                          std::string& error);
