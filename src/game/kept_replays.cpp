#include "game/kept_replays.hpp"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "game/game_start.hpp"
#include "game/scores.hpp"
#include "platform/system/message.hpp"

namespace fs = std::filesystem;

std::string ReplayFileName(std::string_view text) {
    // 64-bit FNV-1a: two games that differ in anything are two files.
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name(16, '0');
    for (int at = 15; at >= 0; --at, hash >>= 4) name[static_cast<std::size_t>(at)] = kDigits[hash & 15];
    return name + ".txt";
}

bool IsReplayFileName(std::string_view name) {
    if (name.size() != 20 || name.substr(16) != ".txt") return false;
    for (char c : name.substr(0, 16))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

std::string ReplaysFolder(const std::string& scores_path) {
    return (fs::path(scores_path).parent_path() / "replays").string();
}

std::string ReplayPath(const std::string& scores_path, const std::string& name) {
    return (fs::path(ReplaysFolder(scores_path)) / name).string();
}

std::vector<std::string> KeptReplayPaths(const std::string& scores_path) {
    std::vector<std::string> paths;
    for (const ScoreEntry& entry : ReadScores(scores_path, false).table.entries)
        if (!entry.replay.empty()) paths.push_back(ReplayPath(scores_path, entry.replay));
    return paths;
}

void RemoveUnkeptReplays(const std::string& scores_path, const ScoreTable& table) {
    std::error_code error;
    for (const fs::directory_entry& file : fs::directory_iterator(ReplaysFolder(scores_path), error)) {
        std::string name = file.path().filename().string();
        if (!IsReplayFileName(name)) continue;
        bool kept = false;
        for (const ScoreEntry& entry : table.entries) kept = kept || entry.replay == name;
        std::error_code ignored;
        if (!kept) fs::remove(file.path(), ignored);
    }
}

std::optional<ReplayFile> ReadEntryReplay(const std::string& scores_path, const ScoreTable& table, int index,
                                          std::string& error) {
    if (index < 0 || index >= static_cast<int>(table.entries.size())) {
        error = "the score table has no entry " + std::to_string(index + 1);
        return std::nullopt;
    }
    const ScoreEntry& entry = table.entries[static_cast<std::size_t>(index)];
    std::string which = "entry " + std::to_string(index + 1) + " of the score table (" + Printable(entry.name) + ", " +
                        std::to_string(entry.score) + ")";
    if (entry.replay.empty()) {
        error = which + " has no recording";
        return std::nullopt;
    }
    std::string problem;
    std::optional<ReplayFile> recording = ReadRecording(ReplayPath(scores_path, entry.replay), problem);
    if (recording && !recording->one_game) {
        problem = Printable(ReplayPath(scores_path, entry.replay)) + ": not a recording of one game";
        recording.reset();
    }
    if (!recording) error = "the recording of " + which + " cannot be watched: " + problem;
    return recording;
}
