#include "game/scores.hpp"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>

#include "game/game.hpp"
#include "game/game_recorder.hpp"
#include "game/hiscore.hpp"
#include "game/kept_replays.hpp"
#include "game/paths.hpp"
#include "platform/system/message.hpp"
#include "platform/system/save_session.hpp"
#include "platform/system/text_parse.hpp"
#include "platform/system/user_files.hpp"

namespace {

// Ten entries and a name are a few hundred bytes; anything far bigger is not
// a score table.
constexpr std::size_t kMaxFileSize = 64 * 1024;

// A whole number from 1 up.
bool ParsePositive(std::string_view word, int& value) {
    std::optional<int> parsed = ParseIntIn(word, 1, std::numeric_limits<int>::max());
    if (parsed) value = *parsed;
    return parsed.has_value();
}

bool IsDate(std::string_view date) {
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') return false;
    for (std::size_t at : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (date[at] < '0' || date[at] > '9') return false;
    auto number = [&](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t at = from; at < from + count; ++at) value = value * 10 + (date[at] - '0');
        return value;
    };
    int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day <= 28 || leap;
}

// The name of a file line, which must be UTF-8 of name characters only.
bool ReadName(std::string_view utf8, std::string& name) {
    name = NameCharsOf(utf8);
    return IsValidName(name) && ToUtf8(name) == utf8;
}

std::string ParseEntry(std::string_view line, ScoreEntry& entry) {
    std::size_t first = line.find(' ');
    std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    std::size_t third = second == std::string_view::npos ? second : line.find(' ', second + 1);
    if (third == std::string_view::npos) return "expected SCORE LEVEL DATE NAME";
    if (!ParsePositive(line.substr(0, first), entry.score)) return "the score is not a whole number above 0";
    if (!ParsePositive(line.substr(first + 1, second - first - 1), entry.level))
        return "the level is not a whole number above 0";
    entry.date = std::string(line.substr(second + 1, third - second - 1));
    if (!IsDate(entry.date)) return "the date is not a day written YYYY-MM-DD";
    if (!ReadName(line.substr(third + 1), entry.name)) return "the name is not 1 to 12 printable characters";
    return {};
}

// The stored table with this run's entries that are not in it yet; the
// same entry never twice.
ScoreTable WithUnsaved(ScoreTable stored, const KeptScores& scores) {
    for (const ScoreEntry& entry : scores.unsaved) {
        if (std::find(stored.entries.begin(), stored.entries.end(), entry) == stored.entries.end())
            AddEntry(stored, entry);
    }
    if (!scores.table.last_name.empty()) stored.last_name = scores.table.last_name;
    return stored;
}

void WarnUnreadable(const std::string& path, const std::string& why) {
    std::fprintf(stderr,
                 "rezarudev: cannot read the score table from %s (%s); it starts empty and the file is left as it "
                 "is\n",
                 Printable(path).c_str(), why.c_str());
}

}  // namespace

bool IsNameChar(unsigned char code) { return (code >= 0x20 && code < 0x7f) || (code >= 0xa0 && code != 0xad); }

bool IsBlank(char c) { return c == ' ' || c == static_cast<char>(0xa0); }

bool IsValidName(std::string_view name) {
    return !name.empty() && name.size() <= kNameLength && !IsBlank(name.front()) && !IsBlank(name.back()) &&
           std::all_of(name.begin(), name.end(), [](char c) { return IsNameChar(static_cast<unsigned char>(c)); });
}

std::string NameCharsOf(std::string_view utf8) {
    std::string chars;
    for (std::size_t at = 0; at < utf8.size();) {
        auto lead = static_cast<unsigned char>(utf8[at]);
        // The length of the sequence this byte starts; a stray byte is one.
        std::size_t length = lead < 0xc0 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
        std::size_t got = 1;
        while (got < length && at + got < utf8.size() && (static_cast<unsigned char>(utf8[at + got]) & 0xc0) == 0x80)
            ++got;
        unsigned code = 0x100;  // stands for anything the font has not got
        if (length == 1 && lead < 0x80) code = lead;
        if (length == 2 && got == 2 && (lead == 0xc2 || lead == 0xc3))
            code = (lead & 0x1fu) << 6 | (static_cast<unsigned char>(utf8[at + 1]) & 0x3fu);
        if (code < 0x100 && IsNameChar(static_cast<unsigned char>(code))) chars += static_cast<char>(code);
        at += got;
    }
    return chars;
}

std::string ToUtf8(std::string_view latin1) {
    std::string utf8;
    for (char c : latin1) {
        auto code = static_cast<unsigned char>(c);
        if (code < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xc0 | code >> 6);
            utf8 += static_cast<char>(0x80 | (code & 0x3f));
        }
    }
    return utf8;
}

int RankOf(const ScoreTable& table, int score) {
    if (score <= 0) return -1;
    auto place = std::find_if(table.entries.begin(), table.entries.end(),
                              [score](const ScoreEntry& entry) { return entry.score < score; });
    int rank = static_cast<int>(place - table.entries.begin());
    return rank < static_cast<int>(kTableSize) ? rank : -1;
}

int AddEntry(ScoreTable& table, const ScoreEntry& entry) {
    int rank = RankOf(table, entry.score);
    if (rank < 0) return -1;
    table.entries.insert(table.entries.begin() + rank, entry);
    if (table.entries.size() > kTableSize) table.entries.resize(kTableSize);
    return rank;
}

ParsedScores ParseScores(std::string_view text) {
    ParsedScores parsed;
    bool has_last = false;
    int last_entry_line = -1;
    ForEachLine(text, [&](std::string_view line, int line_number) {
        if (line.empty() || line[0] == '#') return true;
        std::string problem;
        if (line.substr(0, 7) == "replay ") {
            std::string_view name = line.substr(7);
            ScoreEntry* above = last_entry_line == line_number - 1 ? &parsed.table.entries.back() : nullptr;
            if (!IsReplayFileName(name)) {
                problem = "the replay is not a file name the game makes";
            } else if (!above || !above->replay.empty()) {
                problem = "a replay line must follow its entry";
            } else {
                above->replay = std::string(name);
            }
        } else if (line.substr(0, 5) == "last ") {
            std::string name;
            if (has_last) {
                problem = "a second last name";
            } else if (!ReadName(line.substr(5), name)) {
                problem = "the last name is not 1 to 12 printable characters";
            } else {
                parsed.table.last_name = name;
                has_last = true;
            }
        } else {
            ScoreEntry entry;
            problem = ParseEntry(line, entry);
            if (problem.empty()) {
                parsed.table.entries.push_back(entry);
                last_entry_line = line_number;
            }
        }
        if (!problem.empty() && parsed.skipped++ == 0)
            parsed.first_problem = "line " + std::to_string(line_number) + ": " + problem;
        return true;
    });
    // A file put in order by hand still reads as the game keeps it.
    std::stable_sort(parsed.table.entries.begin(), parsed.table.entries.end(),
                     [](const ScoreEntry& a, const ScoreEntry& b) { return a.score > b.score; });
    if (parsed.table.entries.size() > kTableSize) parsed.table.entries.resize(kTableSize);
    return parsed;
}

std::string FormatScores(const ScoreTable& table) {
    std::string text = "# Rezarudev's ten best games, best first: SCORE LEVEL DATE NAME\n";
    if (!table.last_name.empty()) text += "last " + ToUtf8(table.last_name) + "\n";
    for (const ScoreEntry& entry : table.entries) {
        text += std::to_string(entry.score) + " " + std::to_string(entry.level) + " " + entry.date + " " +
                ToUtf8(entry.name) + "\n";
        if (!entry.replay.empty()) text += "replay " + entry.replay + "\n";
    }
    return text;
}

ScoresRead ReadScores(const std::string& path, bool warn) {
    UserFile file = ReadUserFile(path, kMaxFileSize);
    if (file.state == UserFile::State::kUnreadable) {
        if (warn) WarnUnreadable(path, file.problem);
        ScoresRead unreadable;
        unreadable.may_save = false;
        return unreadable;
    }
    ParsedScores parsed = ParseScores(file.bytes);
    if (parsed.skipped > 0 && warn) {
        std::fprintf(stderr, "rezarudev: %s: skipped %d unreadable line%s of the score table, the first at %s\n",
                     Printable(path).c_str(), parsed.skipped, parsed.skipped == 1 ? "" : "s",
                     Printable(parsed.first_problem).c_str());
    }
    ScoresRead read{parsed.table, true, file.state == UserFile::State::kRead, {}};
    if (parsed.skipped > 0) read.text = std::move(file.bytes);
    return read;
}

bool WriteScores(const std::string& path, const ScoreTable& table) {
    return WriteUserFile(path, FormatScores(table), "the score table");
}

std::string ScoresPath(const GameFolders& folders) {
    return std::filesystem::path(folders.best_score).replace_filename("scores").string();
}

void LoadScoreTable(Game& game) {
    KeptScores& scores = game.scores;
    scores.path = ScoresPath(game.folders);
    scores.table = ReadScores(scores.path).table;
}

int KeepScore(Game& game, ScoreEntry entry, std::optional<PlayedGame> played) {
    KeptScores& scores = game.scores;
    if (played && played->too_long) {
        std::fprintf(stderr, "rezarudev: the recording of this game passed 1 MB, so it is not kept with its entry\n");
    } else if (played) {
        std::string text = played->Text(ToUtf8(entry.name));
        entry.replay = ReplayFileName(text);
        scores.unsaved_replays[entry.replay] = std::move(text);
    }
    scores.table.last_name = entry.name;
    AddEntry(scores.table, entry);
    scores.unsaved.push_back(entry);
    SaveScoreTable(game);
    auto kept = std::find(scores.table.entries.begin(), scores.table.entries.end(), entry);
    return kept == scores.table.entries.end() ? -1 : static_cast<int>(kept - scores.table.entries.begin());
}

namespace {

// This run's recordings of the entries in `table`, before the table that
// names them. One that cannot be written costs only its own watch.
bool WriteUnsavedReplays(const KeptScores& scores, const ScoreTable& table) {
    bool written = true;
    for (const ScoreEntry& entry : table.entries) {
        auto unsaved = scores.unsaved_replays.find(entry.replay);
        if (entry.replay.empty() || unsaved == scores.unsaved_replays.end()) continue;
        written = WriteUserFile(ReplayPath(scores.path, entry.replay), unsaved->second, "the game's recording") &&
                  written;
    }
    return written;
}

}  // namespace

void SaveScoreTable(Game& game) {
    KeptScores& scores = game.scores;
    SaveSession session(std::filesystem::path(scores.path).parent_path().string());
    ScoresRead stored = ReadScores(scores.path, false);
    bool saved = stored.may_save;
    bool replays_saved = true;
    if (!saved) {
        std::fprintf(stderr, "rezarudev: the score table %s cannot be read, so this game is not saved there\n",
                     Printable(scores.path).c_str());
    } else {
        ScoreTable merged = WithUnsaved(stored.table, scores);
        replays_saved = WriteUnsavedReplays(scores, merged);
        if (!stored.exists || merged != stored.table) {
            if (!stored.text.empty()) saved = KeepUnreadableLines(scores.path, stored.text);
            if (saved) saved = WriteScores(scores.path, merged);
        }
        if (saved) RemoveUnkeptReplays(scores.path, merged);
        scores.table = merged;
    }
    // Only what reached the storage is done with; the rest goes with the next save.
    if (!session.Finish()) saved = false;
    if (saved) {
        scores.unsaved.clear();
        scores.unsaved_replays.clear();
    }
    if (!saved || !replays_saved) game.save_failed = true;
}

bool CanWatchEntry(Game& game, int index) {
    KeptScores& scores = game.scores;
    if (index < 0 || index >= static_cast<int>(scores.table.entries.size())) return false;
    const std::string& name = scores.table.entries[static_cast<std::size_t>(index)].replay;
    if (name.empty()) return false;
    auto known = scores.watchable.find(name);
    if (known != scores.watchable.end()) return known->second;
    std::string error;
    bool usable = ReadEntryReplay(scores.path, scores.table, index, error).has_value();
    if (!usable) std::fprintf(stderr, "rezarudev: %s\n", error.c_str());
    scores.watchable[name] = usable;
    return usable;
}

void ReadOthersSaves(Game& game) {
    KeptScores& scores = game.scores;
    SaveSession session(std::filesystem::path(scores.path).parent_path().string());
    BestScoreRead best = ReadBestScore(BestScorePath(game), false);
    if (best.may_save && best.best > game.player.best) game.player.best = best.best;
    ScoresRead stored = ReadScores(scores.path, false);
    if (stored.may_save) scores.table = WithUnsaved(stored.table, scores);
    session.Finish();
}
