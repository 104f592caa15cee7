#include "store/sqlite_store.hpp"

#include <sqlite3.h>

#include <mutex>
#include <vector>

namespace {

constexpr const char* kSchema[] = {
    "CREATE TABLE IF NOT EXISTS tickets (id TEXT PRIMARY KEY, seed INTEGER NOT NULL, given INTEGER NOT NULL, "
    "expires INTEGER NOT NULL, used INTEGER)",
    "CREATE INDEX IF NOT EXISTS tickets_by_expiry ON tickets (expires)",
    "CREATE TABLE IF NOT EXISTS games (seq INTEGER PRIMARY KEY AUTOINCREMENT, id TEXT NOT NULL UNIQUE, "
    "name TEXT NOT NULL, score INTEGER NOT NULL, level INTEGER NOT NULL, frames INTEGER NOT NULL, "
    "stored INTEGER NOT NULL)",
    "CREATE INDEX IF NOT EXISTS games_by_rank ON games (score DESC, seq)",
    "CREATE TABLE IF NOT EXISTS replays (game_seq INTEGER PRIMARY KEY REFERENCES games (seq), "
    "text TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS request_counts (address TEXT NOT NULL, kind TEXT NOT NULL, "
    "rate_window INTEGER NOT NULL, count INTEGER NOT NULL, PRIMARY KEY (address, kind, rate_window))",
};

constexpr const char* kGameColumns = "seq, id, name, score, level, frames, stored";

// One prepared statement, reset and cleared of its values after each use.
class Statement {
public:
    Statement(sqlite3* database, const std::string& sql) : database_(database) {
        if (sqlite3_prepare_v3(database, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &statement_, nullptr) !=
            SQLITE_OK) {
            throw StoreError(std::string("SQLite cannot prepare a statement: ") + sqlite3_errmsg(database));
        }
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, std::int64_t value) {
        Check(sqlite3_bind_int64(statement_, index, value));
        return *this;
    }
    Statement& Bind(int index, std::string_view text) {
        Check(sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
        return *this;
    }

    // True while there is a row to read.
    bool Step() {
        int status = sqlite3_step(statement_);
        if (status == SQLITE_ROW) return true;
        if (status == SQLITE_DONE) return false;
        std::string message = sqlite3_errmsg(database_);
        Done();
        throw StoreError("SQLite: " + message);
    }
    // Runs a statement that returns no rows.
    void Run() {
        Step();
        Done();
    }
    void Done() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }

    std::int64_t Int(int column) { return sqlite3_column_int64(statement_, column); }
    bool IsNull(int column) { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
    std::string Text(int column) {
        const unsigned char* text = sqlite3_column_text(statement_, column);
        int bytes = sqlite3_column_bytes(statement_, column);
        return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(bytes)) : std::string();
    }

private:
    void Check(int status) {
        if (status != SQLITE_OK)
            throw StoreError(std::string("SQLite cannot bind a value: ") + sqlite3_errmsg(database_));
    }

    sqlite3* database_;
    sqlite3_stmt* statement_ = nullptr;
};

// Done() on the way out, whatever happens.
struct Using {
    Statement& statement;
    ~Using() { statement.Done(); }
};

// One connection for the whole board, taken in turn: SQLite writes one
// transaction at a time anyway, and each statement here takes microseconds.
class SqliteStore final : public Store {
public:
    explicit SqliteStore(sqlite3* database) : database_(database) {
        for (const char* pragma : {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = FULL"}) {
            Statement statement(database_, pragma);
            while (statement.Step()) {
            }
        }
        sqlite3_busy_timeout(database_, 10'000);
        for (const char* sql : kSchema) Statement(database_, sql).Run();
        begin_ = std::make_unique<Statement>(database_, "BEGIN IMMEDIATE");
        commit_ = std::make_unique<Statement>(database_, "COMMIT");
        rollback_ = std::make_unique<Statement>(database_, "ROLLBACK");
        count_request_ = std::make_unique<Statement>(
            database_,
            "INSERT INTO request_counts (address, kind, rate_window, count) VALUES (?1, ?2, ?3, 1) "
            "ON CONFLICT (address, kind, rate_window) DO UPDATE SET count = count + 1 RETURNING count");
        add_ticket_ = std::make_unique<Statement>(
            database_, "INSERT INTO tickets (id, seed, given, expires) VALUES (?1, ?2, ?3, ?4)");
        find_ticket_ =
            std::make_unique<Statement>(database_, "SELECT seed, given, expires, used FROM tickets WHERE id = ?1");
        use_ticket_ =
            std::make_unique<Statement>(database_, "UPDATE tickets SET used = ?1 WHERE id = ?2 AND used IS NULL");
        add_game_ = std::make_unique<Statement>(
            database_, "INSERT INTO games (id, name, score, level, frames, stored) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
        add_replay_ = std::make_unique<Statement>(database_, "INSERT INTO replays (game_seq, text) VALUES (?1, ?2)");
        rank_of_ = std::make_unique<Statement>(
            database_, "SELECT COUNT(*) + 1 FROM games WHERE score > ?1 OR (score = ?1 AND seq < ?2)");
        top_games_ = std::make_unique<Statement>(
            database_, std::string("SELECT ") + kGameColumns + " FROM games ORDER BY score DESC, seq LIMIT ?1");
        find_game_ =
            std::make_unique<Statement>(database_, std::string("SELECT ") + kGameColumns + " FROM games WHERE id = ?1");
        find_replay_ = std::make_unique<Statement>(
            database_, "SELECT text FROM replays JOIN games ON games.seq = replays.game_seq WHERE games.id = ?1");
        forget_tickets_ = std::make_unique<Statement>(database_, "DELETE FROM tickets WHERE expires < ?1");
        forget_counts_ = std::make_unique<Statement>(database_, "DELETE FROM request_counts WHERE rate_window < ?1");
    }

    ~SqliteStore() override {
        // Every statement goes before the connection.
        for (auto* statement :
             {&begin_, &commit_, &rollback_, &count_request_, &add_ticket_, &find_ticket_, &use_ticket_, &add_game_,
              &add_replay_, &rank_of_, &top_games_, &find_game_, &find_replay_, &forget_tickets_, &forget_counts_}) {
            statement->reset();
        }
        sqlite3_close(database_);
    }

    int CountRequest(std::string_view address, std::string_view kind, std::int64_t window) override {
        std::lock_guard lock(mutex_);
        Using using_it{*count_request_};
        count_request_->Bind(1, address).Bind(2, kind).Bind(3, window);
        count_request_->Step();
        return static_cast<int>(count_request_->Int(0));
    }

    void AddTicket(const Ticket& ticket) override {
        std::lock_guard lock(mutex_);
        add_ticket_->Bind(1, ticket.id).Bind(2, ticket.seed).Bind(3, ticket.given).Bind(4, ticket.expires).Run();
    }

    std::optional<Ticket> FindTicket(std::string_view id) override {
        std::lock_guard lock(mutex_);
        Using using_it{*find_ticket_};
        if (!find_ticket_->Bind(1, id).Step()) return std::nullopt;
        Ticket ticket;
        ticket.id = id;
        ticket.seed = static_cast<int>(find_ticket_->Int(0));
        ticket.given = find_ticket_->Int(1);
        ticket.expires = find_ticket_->Int(2);
        if (!find_ticket_->IsNull(3)) ticket.used = find_ticket_->Int(3);
        return ticket;
    }

    std::optional<int> AddGame(const NewGame& game, std::string_view ticket, Millis now) override {
        std::lock_guard lock(mutex_);
        begin_->Run();
        try {
            use_ticket_->Bind(1, now).Bind(2, ticket).Run();
            if (sqlite3_changes(database_) != 1) {
                rollback_->Run();
                return std::nullopt;
            }
            add_game_->Bind(1, game.id).Bind(2, game.name).Bind(3, game.score).Bind(4, game.level);
            add_game_->Bind(5, game.frames).Bind(6, game.stored).Run();
            std::int64_t seq = sqlite3_last_insert_rowid(database_);
            add_replay_->Bind(1, seq).Bind(2, game.replay).Run();
            int rank = RankOf(game.score, seq);
            commit_->Run();
            return rank;
        } catch (const StoreError&) {
            // Whatever failed, the transaction must not stay open on the one
            // connection; a failed rollback leaves nothing more to do.
            if (!sqlite3_get_autocommit(database_)) {
                try {
                    rollback_->Run();
                } catch (const StoreError&) {
                }
            }
            throw;
        }
    }

    std::vector<GameEntry> TopGames(int limit) override {
        std::lock_guard lock(mutex_);
        Using using_it{*top_games_};
        top_games_->Bind(1, limit);
        std::vector<GameEntry> games;
        while (top_games_->Step()) {
            games.push_back(ReadGame(*top_games_));
            games.back().rank = static_cast<int>(games.size());
        }
        return games;
    }

    std::optional<GameEntry> FindGame(std::string_view id) override {
        std::lock_guard lock(mutex_);
        GameEntry game;
        std::int64_t seq = 0;
        {
            Using using_it{*find_game_};
            if (!find_game_->Bind(1, id).Step()) return std::nullopt;
            game = ReadGame(*find_game_);
            seq = find_game_->Int(0);
        }
        game.rank = RankOf(game.score, seq);
        return game;
    }

    std::optional<std::string> FindReplay(std::string_view id) override {
        std::lock_guard lock(mutex_);
        Using using_it{*find_replay_};
        if (!find_replay_->Bind(1, id).Step()) return std::nullopt;
        return find_replay_->Text(0);
    }

    void Forget(Millis tickets_before, std::int64_t windows_before) override {
        std::lock_guard lock(mutex_);
        forget_tickets_->Bind(1, tickets_before).Run();
        forget_counts_->Bind(1, windows_before).Run();
    }

private:
    static GameEntry ReadGame(Statement& row) {
        GameEntry game;
        game.id = row.Text(1);
        game.name = row.Text(2);
        game.score = static_cast<int>(row.Int(3));
        game.level = static_cast<int>(row.Int(4));
        game.frames = static_cast<int>(row.Int(5));
        game.stored = row.Int(6);
        return game;
    }

    int RankOf(int score, std::int64_t seq) {
        Using using_it{*rank_of_};
        rank_of_->Bind(1, score).Bind(2, seq).Step();
        return static_cast<int>(rank_of_->Int(0));
    }

    std::mutex mutex_;
    sqlite3* database_;
    std::unique_ptr<Statement> begin_, commit_, rollback_, count_request_, add_ticket_, find_ticket_, use_ticket_,
        add_game_, add_replay_, rank_of_, top_games_, find_game_, find_replay_, forget_tickets_, forget_counts_;
};

}  // namespace

std::unique_ptr<Store> OpenSqliteStore(const std::string& path, std::string& error) {
    sqlite3* database = nullptr;
    int status = sqlite3_open_v2(path.c_str(), &database,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (status != SQLITE_OK) {
        error = path + ": " + (database ? sqlite3_errmsg(database) : sqlite3_errstr(status));
        sqlite3_close(database);
        return nullptr;
    }
    try {
        return std::make_unique<SqliteStore>(database);
    } catch (const StoreError& problem) {
        // The store's constructor did not finish, so the connection is ours to close.
        sqlite3_close(database);
        error = path + ": " + problem.what();
        return nullptr;
    }
}
