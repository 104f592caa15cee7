#include "store/postgres_store.hpp"

#include <libpq-fe.h>

#include <array>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

// Connections a board keeps open at most; requests beyond them wait.
constexpr std::size_t kMaxConnections = 16;

// Any number, the same in every board: it keeps two boards that start at
// once from creating the tables side by side.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(4660)";

constexpr const char* kSchema[] = {
    "CREATE TABLE IF NOT EXISTS tickets (id TEXT PRIMARY KEY, seed INTEGER NOT NULL, given BIGINT NOT NULL, "
    "expires BIGINT NOT NULL, used BIGINT)",
    "CREATE INDEX IF NOT EXISTS tickets_by_expiry ON tickets (expires)",
    "CREATE TABLE IF NOT EXISTS games (seq BIGSERIAL PRIMARY KEY, id TEXT NOT NULL UNIQUE, name TEXT NOT NULL, "
    "score INTEGER NOT NULL, level INTEGER NOT NULL, frames INTEGER NOT NULL, stored BIGINT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS games_by_rank ON games (score DESC, seq)",
    "CREATE TABLE IF NOT EXISTS replays (game_seq BIGINT PRIMARY KEY REFERENCES games (seq), text TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS request_counts (address TEXT NOT NULL, kind TEXT NOT NULL, "
    "rate_window BIGINT NOT NULL, count INTEGER NOT NULL, PRIMARY KEY (address, kind, rate_window))",
};

#define GAME_COLUMNS "seq, id, name, score, level, frames, stored"

struct Prepared {
    const char* name;
    const char* sql;
    int parameters;
};

constexpr Prepared kStatements[] = {
    {"count_request",
     "INSERT INTO request_counts (address, kind, rate_window, count) VALUES ($1, $2, $3, 1) "
     "ON CONFLICT (address, kind, rate_window) DO UPDATE SET count = request_counts.count + 1 RETURNING count",
     3},
    {"add_ticket", "INSERT INTO tickets (id, seed, given, expires) VALUES ($1, $2, $3, $4)", 4},
    {"find_ticket", "SELECT seed, given, expires, used FROM tickets WHERE id = $1", 1},
    {"use_ticket", "UPDATE tickets SET used = $1 WHERE id = $2 AND used IS NULL", 2},
    {"add_game",
     "INSERT INTO games (id, name, score, level, frames, stored) VALUES ($1, $2, $3, $4, $5, $6) RETURNING seq", 6},
    {"add_replay", "INSERT INTO replays (game_seq, text) VALUES ($1, $2)", 2},
    {"rank_of", "SELECT COUNT(*) + 1 FROM games WHERE score > $1 OR (score = $1 AND seq < $2)", 2},
    {"top_games", "SELECT " GAME_COLUMNS " FROM games ORDER BY score DESC, seq LIMIT $1", 1},
    {"find_game", "SELECT " GAME_COLUMNS " FROM games WHERE id = $1", 1},
    {"find_replay", "SELECT text FROM replays JOIN games ON games.seq = replays.game_seq WHERE games.id = $1", 1},
    {"forget_tickets", "DELETE FROM tickets WHERE expires < $1", 1},
    {"forget_counts", "DELETE FROM request_counts WHERE rate_window < $1", 1},
};

#undef GAME_COLUMNS

// The first line of libpq's message: its messages may run to several.
std::string FirstLine(const char* message) {
    std::string text = message ? message : "";
    std::size_t end = text.find('\n');
    if (end != std::string::npos) text.resize(end);
    return text.empty() ? "unknown failure" : text;
}

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

// A statement's values, as text: libpq sends them apart from the statement.
class Values {
public:
    Values& Add(std::string_view text) {
        texts_.emplace_back(text);
        return *this;
    }
    Values& Add(std::int64_t number) { return Add(std::to_string(number)); }

    std::vector<const char*> Pointers() const {
        std::vector<const char*> pointers;
        for (const std::string& text : texts_) pointers.push_back(text.c_str());
        return pointers;
    }
    std::vector<int> Lengths() const {
        std::vector<int> lengths;
        for (const std::string& text : texts_) lengths.push_back(static_cast<int>(text.size()));
        return lengths;
    }
    int count() const { return static_cast<int>(texts_.size()); }

private:
    std::vector<std::string> texts_;
};

std::int64_t NumberAt(PGresult* result, int row, int column) {
    const char* text = PQgetvalue(result, row, column);
    std::int64_t value = 0;
    std::from_chars(text, text + PQgetlength(result, row, column), value);
    return value;
}

std::string TextAt(PGresult* result, int row, int column) {
    return std::string(PQgetvalue(result, row, column), static_cast<std::size_t>(PQgetlength(result, row, column)));
}

// One open connection with every statement prepared on it.
class Connection {
public:
    explicit Connection(const std::string& url) : connection_(PQconnectdb(url.c_str())) {
        if (PQstatus(connection_) != CONNECTION_OK) {
            std::string message = FirstLine(PQerrorMessage(connection_));
            PQfinish(connection_);
            throw StoreError("PostgreSQL: " + message);
        }
        // Notices ("relation already exists, skipping") are no news for a log.
        PQsetNoticeProcessor(
            connection_, [](void*, const char*) {}, nullptr);
    }
    ~Connection() { PQfinish(connection_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void PrepareAll() {
        for (const Prepared& statement : kStatements) {
            Check(
                Result(PQprepare(connection_, statement.name, statement.sql, statement.parameters, nullptr), &PQclear));
        }
    }

    // A statement of constant text without values (BEGIN, COMMIT, the schema).
    Result Plain(const char* sql) { return Check(Result(PQexec(connection_, sql), &PQclear)); }

    Result Run(const char* name, const Values& values) {
        std::vector<const char*> pointers = values.Pointers();
        std::vector<int> lengths = values.Lengths();
        return Check(Result(
            PQexecPrepared(connection_, name, values.count(), pointers.data(), lengths.data(), nullptr, 0), &PQclear));
    }

    // Whether it may serve another request: a lost connection is dropped.
    bool healthy() const { return PQstatus(connection_) == CONNECTION_OK; }

private:
    Result Check(Result result) {
        ExecStatusType status = PQresultStatus(result.get());
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            throw StoreError("PostgreSQL: " + FirstLine(PQresultErrorMessage(result.get())));
        }
        return result;
    }

    PGconn* connection_;
};

class PostgresStore final : public Store {
public:
    explicit PostgresStore(std::string url) : url_(std::move(url)) {
        // The first connection creates what is missing; it then serves like any other.
        auto connection = std::make_unique<Connection>(url_);
        connection->Plain("BEGIN");
        connection->Plain(kSchemaLock);
        for (const char* sql : kSchema) connection->Plain(sql);
        connection->Plain("COMMIT");
        connection->PrepareAll();
        idle_.push_back(std::move(connection));
        open_ = 1;
    }

    int CountRequest(std::string_view address, std::string_view kind, std::int64_t window) override {
        Lease lease(*this);
        Result result = lease->Run("count_request", Values().Add(address).Add(kind).Add(window));
        return static_cast<int>(NumberAt(result.get(), 0, 0));
    }

    void AddTicket(const Ticket& ticket) override {
        Lease lease(*this);
        lease->Run("add_ticket", Values().Add(ticket.id).Add(ticket.seed).Add(ticket.given).Add(ticket.expires));
    }

    std::optional<Ticket> FindTicket(std::string_view id) override {
        Lease lease(*this);
        Result result = lease->Run("find_ticket", Values().Add(id));
        if (PQntuples(result.get()) == 0) return std::nullopt;
        Ticket ticket;
        ticket.id = id;
        ticket.seed = static_cast<int>(NumberAt(result.get(), 0, 0));
        ticket.given = NumberAt(result.get(), 0, 1);
        ticket.expires = NumberAt(result.get(), 0, 2);
        if (!PQgetisnull(result.get(), 0, 3)) ticket.used = NumberAt(result.get(), 0, 3);
        return ticket;
    }

    std::optional<int> AddGame(const NewGame& game, std::string_view ticket, Millis now) override {
        Lease lease(*this);
        lease->Plain("BEGIN");
        try {
            // A second board storing a game with the same ticket waits here
            // for this transaction, then finds the ticket used.
            Result used = lease->Run("use_ticket", Values().Add(now).Add(ticket));
            if (std::string_view(PQcmdTuples(used.get())) != "1") {
                lease->Plain("ROLLBACK");
                return std::nullopt;
            }
            Result added = lease->Run(
                "add_game",
                Values().Add(game.id).Add(game.name).Add(game.score).Add(game.level).Add(game.frames).Add(game.stored));
            std::int64_t seq = NumberAt(added.get(), 0, 0);
            lease->Run("add_replay", Values().Add(seq).Add(game.replay));
            Result rank = lease->Run("rank_of", Values().Add(game.score).Add(seq));
            lease->Plain("COMMIT");
            return static_cast<int>(NumberAt(rank.get(), 0, 0));
        } catch (const StoreError&) {
            if (lease->healthy()) {
                try {
                    lease->Plain("ROLLBACK");
                } catch (const StoreError&) {
                }
            }
            throw;
        }
    }

    std::vector<GameEntry> TopGames(int limit) override {
        Lease lease(*this);
        Result result = lease->Run("top_games", Values().Add(limit));
        std::vector<GameEntry> games;
        for (int row = 0; row < PQntuples(result.get()); ++row) {
            games.push_back(ReadGame(result.get(), row));
            games.back().rank = row + 1;
        }
        return games;
    }

    std::optional<GameEntry> FindGame(std::string_view id) override {
        Lease lease(*this);
        Result found = lease->Run("find_game", Values().Add(id));
        if (PQntuples(found.get()) == 0) return std::nullopt;
        GameEntry game = ReadGame(found.get(), 0);
        Result rank = lease->Run("rank_of", Values().Add(game.score).Add(NumberAt(found.get(), 0, 0)));
        game.rank = static_cast<int>(NumberAt(rank.get(), 0, 0));
        return game;
    }

    std::optional<std::string> FindReplay(std::string_view id) override {
        Lease lease(*this);
        Result result = lease->Run("find_replay", Values().Add(id));
        if (PQntuples(result.get()) == 0) return std::nullopt;
        return TextAt(result.get(), 0, 0);
    }

    void Forget(Millis tickets_before, std::int64_t windows_before) override {
        Lease lease(*this);
        lease->Run("forget_tickets", Values().Add(tickets_before));
        lease->Run("forget_counts", Values().Add(windows_before));
    }

private:
    // A connection taken from the idle ones (or newly opened) for one
    // request, and handed back after it unless it was lost.
    class Lease {
    public:
        explicit Lease(PostgresStore& store) : store_(store), connection_(store.Take()) {}
        ~Lease() { store_.Give(std::move(connection_)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Connection* operator->() { return connection_.get(); }

    private:
        PostgresStore& store_;
        std::unique_ptr<Connection> connection_;
    };

    std::unique_ptr<Connection> Take() {
        std::unique_lock lock(mutex_);
        returned_.wait(lock, [this] { return !idle_.empty() || open_ < kMaxConnections; });
        if (!idle_.empty()) {
            std::unique_ptr<Connection> connection = std::move(idle_.back());
            idle_.pop_back();
            return connection;
        }
        ++open_;
        lock.unlock();
        try {
            auto connection = std::make_unique<Connection>(url_);
            connection->PrepareAll();
            return connection;
        } catch (const StoreError&) {
            lock.lock();
            --open_;
            returned_.notify_one();
            throw;
        }
    }

    void Give(std::unique_ptr<Connection> connection) {
        std::lock_guard lock(mutex_);
        if (connection->healthy()) {
            idle_.push_back(std::move(connection));
        } else {
            --open_;
        }
        returned_.notify_one();
    }

    static GameEntry ReadGame(PGresult* result, int row) {
        GameEntry game;
        game.id = TextAt(result, row, 1);
        game.name = TextAt(result, row, 2);
        game.score = static_cast<int>(NumberAt(result, row, 3));
        game.level = static_cast<int>(NumberAt(result, row, 4));
        game.frames = static_cast<int>(NumberAt(result, row, 5));
        game.stored = NumberAt(result, row, 6);
        return game;
    }

    std::string url_;
    std::mutex mutex_;
    std::condition_variable returned_;
    std::vector<std::unique_ptr<Connection>> idle_;
    std::size_t open_ = 0;
};

}  // namespace

std::unique_ptr<Store> OpenPostgresStore(const std::string& url, std::string& error) {
    try {
        return std::make_unique<PostgresStore>(url);
    } catch (const StoreError& problem) {
        error = problem.what();
        return nullptr;
    }
}
