#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store/store.hpp"
#include "verify/verifier.hpp"

class WorkerPool;

struct BoardSettings {
    std::chrono::minutes ticket_expiry{120};
    // Requests from one client address in a minute; 0 for no limit.
    int tickets_per_minute = 30;
    int games_per_minute = 10;
    // The frame and processor-time limits of each verification; the frames
    // that fit into a game's time since its ticket are worked out per game.
    PlayLimits play;
};

// One answer of the API: its status and its body, JSON unless said otherwise.
struct Answer {
    int status = 200;
    std::string body;
    std::string content_type = "application/json";
};

// The answer {"error":"message"}.
Answer ErrorAnswer(int status, std::string_view message);

// The score board's API, apart from HTTP: tickets, games verified by playing
// them, the table and the recordings. It keeps nothing of its own between
// requests; everything is in the store, so boards sharing a database answer
// alike.
class Board {
public:
    // `clock` gives the board's time in milliseconds since 1970 and `seeds`
    // the seeds of new tickets; both may be replaced in tests.
    Board(Store& store, WorkerPool& workers, BoardSettings settings, std::string empty_folder);

    Answer Health();
    Answer GiveTicket(std::string_view address);
    // The body of POST /api/games as it came.
    Answer SubmitGame(std::string_view address, std::string_view body);
    // `limit` is the query's value, when it has one.
    Answer Scores(std::optional<std::string_view> limit);
    Answer GameEntryOf(std::string_view id);
    Answer ReplayOf(std::string_view id);

    std::function<Millis()> clock;
    std::function<int()> seeds;

private:
    // False when `address` asked for more of `kind` this minute than allowed.
    bool WithinRate(std::string_view address, std::string_view kind, int per_minute, Millis now);
    // Drops expired tickets and old counts, at most once a minute.
    void Tidy(Millis now);

    Store& store_;
    WorkerPool& workers_;
    BoardSettings settings_;
    std::string empty_folder_;
    std::atomic<Millis> tidied_{0};
};

// The current time on the system clock, in milliseconds since 1970.
Millis SystemMillis();
// A seed from the system's random source: 1 to 2^31 - 2, the states the
// game's generator can be in, so that a recording of one game can start
// from it.
int RandomSeed();
// `bytes` random bytes from the system's random source, in hexadecimal.
std::string RandomHex(std::size_t bytes);
// 1 to 12 name characters as the score table has them (printable Latin-1,
// no blank first or last), in UTF-8.
bool IsBoardName(std::string_view utf8);
