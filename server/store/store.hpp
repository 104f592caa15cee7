#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Times are milliseconds since 1970 (UTC) on the board's clock.
using Millis = std::int64_t;

struct Ticket {
    std::string id;
    int seed = 0;
    Millis given = 0;
    Millis expires = 0;
    // Set once a game was stored with it.
    std::optional<Millis> used;
};

// A game as the board verified it, ready to be stored.
struct NewGame {
    std::string id;
    std::string name;  // UTF-8
    int score = 0;
    int level = 0;
    int frames = 0;
    Millis stored = 0;
    std::string replay;
};

// An entry of the table.
struct GameEntry {
    int rank = 0;
    std::string id;
    std::string name;
    int score = 0;
    int level = 0;
    int frames = 0;
    Millis stored = 0;
};

// The database could not do what was asked (gone, full, broken).
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Everything the board keeps lives here, tickets and request counts too, so
// several boards can serve one database. Every method may be called from
// any thread at any time and throws StoreError when the database fails.
// Every statement is prepared with its values bound, never put together from
// text that came from outside.
class Store {
public:
    virtual ~Store() = default;

    // Counts one more request of `kind` ("tickets", "games") from `address`
    // in the rate window numbered `window`, and returns the window's count so
    // far, this one included.
    virtual int CountRequest(std::string_view address, std::string_view kind, std::int64_t window) = 0;

    virtual void AddTicket(const Ticket& ticket) = 0;
    virtual std::optional<Ticket> FindTicket(std::string_view id) = 0;

    // In one transaction: marks the ticket used and stores the game. Nothing
    // is stored, and nothing returned, when the ticket was used meanwhile
    // (another board, another request). Otherwise the game's rank.
    virtual std::optional<int> AddGame(const NewGame& game, std::string_view ticket, Millis now) = 0;

    // The best `limit` games, best first, of equal scores the earlier first.
    virtual std::vector<GameEntry> TopGames(int limit) = 0;
    virtual std::optional<GameEntry> FindGame(std::string_view id) = 0;
    // The recording as it was sent.
    virtual std::optional<std::string> FindReplay(std::string_view id) = 0;

    // Drops the tickets that expired before `tickets_before` (a used one is
    // refused as unknown then, as it was refused as used before) and the
    // counts of the windows before `windows_before`.
    virtual void Forget(Millis tickets_before, std::int64_t windows_before) = 0;
};

// "sqlite:FILE" or a PostgreSQL URL ("postgresql://..." or "postgres://...").
// Creates the tables when they are missing. Null, with one line in `error`,
// when the database cannot be opened or set up.
std::unique_ptr<Store> OpenStore(const std::string& url, std::string& error);
