// The board under load: N clients at once ask for a ticket, then send a game
// each, while readers fetch the table all along. Prints the latencies of
// tickets, games and the table (median, p99, worst), whether every game was
// stored, the board's memory at rest and at its peak, and the database's
// size a game.
//
//   board_load [--clients N] [--workers N] [--readers N] [--database sqlite|postgresql]
//
// PostgreSQL is the server of tests/server/postgres.sh: start it and point
// REZARUDEV_TEST_POSTGRES at the url file it writes.

#include <httplib.h>
#include <libpq-fe.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <latch>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "support/board_support.hpp"

using Json = nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

struct Latencies {
    std::mutex mutex;
    std::vector<double> ms;

    void Add(Clock::time_point start) {
        double took = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::lock_guard lock(mutex);
        ms.push_back(took);
    }
    void Print(const char* what) {
        std::sort(ms.begin(), ms.end());
        if (ms.empty()) return;
        auto at = [&](double share) {
            return ms[static_cast<std::size_t>(share * static_cast<double>(ms.size() - 1))];
        };
        std::printf("%-8s %6zu requests  median %8.1f ms  p99 %8.1f ms  worst %8.1f ms\n", what, ms.size(), at(0.5),
                    at(0.99), ms.back());
    }
};

httplib::Client ClientOf(int port) {
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(300);
    client.set_connection_timeout(60);
    return client;
}

// Runs `work(i)` on `count` threads that start at the same moment. They
// wait asleep: 200 threads spinning would take the processor from the board.
template <typename Work>
void AllAtOnce(int count, Work work) {
    std::latch go(1);
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) {
        threads.emplace_back([&, i] {
            go.wait();
            work(i);
        });
    }
    go.count_down();
    for (std::thread& thread : threads) thread.join();
}

long long PostgresBytes(const std::string& url) {
    PGconn* connection = PQconnectdb(url.c_str());
    PGresult* result = PQexec(connection,
                              "SELECT sum(pg_total_relation_size(c.oid)) FROM pg_class c JOIN pg_namespace n ON "
                              "n.oid = c.relnamespace WHERE n.nspname = 'public' AND c.relkind = 'r'");
    long long bytes = PQntuples(result) == 1 ? std::atoll(PQgetvalue(result, 0, 0)) : -1;
    PQclear(result);
    PQfinish(connection);
    return bytes;
}

long long SqliteBytes(const std::string& url) {
    std::error_code error;
    std::string path = url.substr(7);
    long long bytes = static_cast<long long>(std::filesystem::file_size(path, error));
    long long log = static_cast<long long>(std::filesystem::file_size(path + "-wal", error));
    return bytes + (error ? 0 : log);
}

}  // namespace

int main(int argc, char** argv) {
    int clients = 200, readers = 8;
    std::string kind = "sqlite", workers;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--clients") clients = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--readers") readers = std::max(0, std::atoi(argv[i + 1]));
        else if (option == "--workers") workers = argv[i + 1];
        else if (option == "--database") kind = argv[i + 1];
    }
    TestDatabase database(kind);
    if (database.url().empty()) {
        std::fprintf(stderr, "board_load: %s\n", database.why().c_str());
        return 1;
    }
    std::vector<std::string> extra;
    if (!workers.empty()) extra = {"--workers", workers};
    // As many request threads as clients, so that every game waits for a
    // worker at the board rather than for a connection.
    extra.insert(extra.end(), {"--threads", std::to_string(clients + readers)});
    BoardProcess board(database.url(), extra);
    if (board.port() == 0) {
        std::fprintf(stderr, "board_load: the board did not start\n");
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    long rest_kb = ProcessMemoryKb(board.pid(), "VmRSS");
    long long empty_bytes = kind == "sqlite" ? SqliteBytes(database.url()) : PostgresBytes(database.url());

    Latencies tickets, games, table;
    std::vector<Json> given(static_cast<std::size_t>(clients));
    AllAtOnce(clients, [&](int i) {
        httplib::Client client = ClientOf(board.port());
        Clock::time_point start = Clock::now();
        auto result = client.Post("/api/tickets");
        tickets.Add(start);
        if (result && result->status == 201) given[static_cast<std::size_t>(i)] = Json::parse(result->body);
    });
    database.AgeTickets(60 * 60'000);

    std::atomic<bool> playing{true};
    std::vector<std::thread> reading;
    for (int r = 0; r < readers; ++r) {
        reading.emplace_back([&] {
            httplib::Client client = ClientOf(board.port());
            while (playing) {
                Clock::time_point start = Clock::now();
                if (client.Get("/api/scores?limit=10")) table.Add(start);
            }
        });
    }
    std::vector<std::string> stored;
    std::mutex stored_mutex;
    std::atomic<long long> recording_bytes{0};
    std::atomic<long long> frames{0};
    Clock::time_point load_start = Clock::now();
    AllAtOnce(clients, [&](int i) {
        const Json& ticket = given[static_cast<std::size_t>(i)];
        if (ticket.empty()) return;
        Json body = {{"ticket", ticket["ticket"]}, {"name", "Load"}, {"replay", FlyingRecording(ticket["seed"])}};
        httplib::Client client = ClientOf(board.port());
        Clock::time_point start = Clock::now();
        auto result = client.Post("/api/games", body.dump(), "application/json");
        games.Add(start);
        if (!result || result->status != 201) {
            std::fprintf(stderr, "board_load: game %d: %s\n", i,
                         result ? result->body.c_str() : httplib::to_string(result.error()).c_str());
            return;
        }
        Json game = Json::parse(result->body);
        frames += game["frames"].get<long long>();
        recording_bytes += static_cast<long long>(body["replay"].get<std::string>().size());
        std::lock_guard lock(stored_mutex);
        stored.push_back(game["id"]);
    });
    double load_seconds = std::chrono::duration<double>(Clock::now() - load_start).count();
    playing = false;
    for (std::thread& thread : reading) thread.join();
    long peak_kb = ProcessMemoryKb(board.pid(), "VmHWM");

    int found = 0;
    httplib::Client client = ClientOf(board.port());
    for (const std::string& id : stored) {
        auto result = client.Get("/api/games/" + id);
        if (result && result->status == 200) ++found;
    }
    board.Stop();
    long long bytes = (kind == "sqlite" ? SqliteBytes(database.url()) : PostgresBytes(database.url())) - empty_bytes;

    std::printf("board_load: %d clients on %s, %s workers\n", clients, kind.c_str(),
                workers.empty() ? "default" : workers.c_str());
    tickets.Print("tickets");
    games.Print("games");
    table.Print("table");
    std::printf(
        "games    %zu of %d answered 201, %d of them found afterwards; %lld frames played in %.1f s "
        "(%.0f frames/s)\n",
        stored.size(), clients, found, frames.load(), load_seconds, static_cast<double>(frames.load()) / load_seconds);
    std::printf("memory   at rest %.1f MB, peak %.1f MB\n", static_cast<double>(rest_kb) / 1024.0,
                static_cast<double>(peak_kb) / 1024.0);
    if (!stored.empty()) {
        double games_stored = static_cast<double>(stored.size());
        std::printf("database %.1f KB a game, holding a recording of %.1f KB as sent\n",
                    static_cast<double>(bytes) / 1024.0 / games_stored,
                    static_cast<double>(recording_bytes.load()) / 1024.0 / games_stored);
    }
    return found == clients ? 0 : 1;
}
