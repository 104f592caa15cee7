#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/game_recorder.hpp"

class Game;
struct GameFolders;

// The table of the ten best games. Names are kept as the font draws them:
// one byte a character, Latin-1. The file holds them in UTF-8.
constexpr std::size_t kTableSize = 10;
constexpr std::size_t kNameLength = 12;

struct ScoreEntry {
    int score = 0;
    int level = 0;
    std::string date;  // YYYY-MM-DD
    std::string name;
    // The file in `replays/` that holds the game's recording; empty when it
    // has none (a game from before recordings were kept, or one too long).
    std::string replay{};

    bool operator==(const ScoreEntry&) const = default;
};

struct ScoreTable {
    // Best first; of equal scores the older one stays above.
    std::vector<ScoreEntry> entries;
    // Offered the next time a name is asked for; empty until one was given.
    std::string last_name;

    bool operator==(const ScoreTable&) const = default;
};

// Characters a name may hold: printable ASCII and printable Latin-1.
bool IsNameChar(unsigned char code);
// The two spaces among the name characters: the space and the no-break space.
bool IsBlank(char c);
// 1 to 12 name characters, neither first nor last a blank.
bool IsValidName(std::string_view name);
// The name characters of UTF-8 text, in Latin-1; everything else (broken
// bytes, characters the font has not got, controls) is left out.
std::string NameCharsOf(std::string_view utf8);
std::string ToUtf8(std::string_view latin1);

// The place a score would take, 0 for the top, or -1 when it does not enter:
// a score of 0 never does, and a new score goes below equal ones.
int RankOf(const ScoreTable& table, int score);
// Puts the entry in its place, pushing out the eleventh; its index, or -1.
int AddEntry(ScoreTable& table, const ScoreEntry& entry);

// The file, one item a line:
//   # a comment
//   last NAME
//   SCORE LEVEL YYYY-MM-DD NAME
//   replay FILE
// with single blanks between the words and the name the rest of the line;
// a replay line names the recording of the entry above it.
struct ParsedScores {
    ScoreTable table;
    // Lines that were refused, and the first of them with its number.
    int skipped = 0;
    std::string first_problem;
};
ParsedScores ParseScores(std::string_view text);
std::string FormatScores(const ScoreTable& table);

// Reading the file. A missing file is an empty table in silence; skipped
// lines get one warning. A file that is there but cannot be read (no
// permission, a folder, far too big) is an empty table with one warning and
// may not be written over.
struct ScoresRead {
    ScoreTable table;
    bool may_save = true;
    bool exists = false;
    // The whole file when some of its lines were skipped, so that they can
    // be kept before it is written again.
    std::string text;
};
ScoresRead ReadScores(const std::string& path, bool warn = true);
// Through the game's crash-safe write; a failure is one line on stderr.
bool WriteScores(const std::string& path, const ScoreTable& table);

// `scores`, beside the best-score file.
std::string ScoresPath(const GameFolders& folders);

// The table as this run keeps it: read at start-up, saved whenever a game
// enters it.
struct KeptScores {
    ScoreTable table;
    std::string path;
    // The entries of this run that are not in the file yet: every save puts
    // them into what the file holds then, with their recordings.
    std::vector<ScoreEntry> unsaved;
    std::map<std::string, std::string> unsaved_replays;
    // Whether each recording named in the table can be watched, as far as
    // it was read; one that cannot is said once.
    std::map<std::string, bool> watchable;
};

// Start-up: reads the table beside the best score.
void LoadScoreTable(Game& game);
// Puts a game's entry, named, into the table and saves it with the game's
// recording; its place in the table as saved, or -1 when another game's
// entries have pushed it out.
int KeepScore(Game& game, ScoreEntry entry, std::optional<PlayedGame> played = std::nullopt);
// Writes the table merged with what the file holds now: the file is read
// again and this run's entries that are not in it yet are put in (another
// game may have added its own meanwhile); the result is the table shown.
// The recordings of this run's entries in it are written first, and those of
// entries no longer in it are removed. A failure is said on one line and
// marks the run as failed.
void SaveScoreTable(Game& game);
// Whether entry `index` of the table shown has a recording that can be
// watched; the first look at one reads it through.
bool CanWatchEntry(Game& game, int index);
// Takes in what other games saved meanwhile (another tab of the page): the
// best score and the table as they are stored now.
void ReadOthersSaves(Game& game);
