#include "support/board_support.hpp"

#include <libpq-fe.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "board.hpp"

std::string FlyingRecording(int seed, int close_frame) {
    std::ostringstream text;
    text << "seed " << seed << "\nsettings 10 10 2\n";
    // Space skips the splash, and Space again starts the game from the title.
    text << "1 key 32 down\n2 key 32 up\n5 key 32 down\n6 key 32 up\n";
    // Up is thrust, Right turns, Left Ctrl fires; every burst is a new press,
    // as the warp-in forgets keys held through it.
    for (int f = 10; f + 120 < close_frame; f += 120) {
        text << f << " key 38 down\n" << f + 30 << " key 162 down\n" << f + 31 << " key 162 up\n";
        text << f + 60 << " key 38 up\n" << f + 60 << " key 39 down\n" << f + 75 << " key 39 up\n";
        text << f + 90 << " key 162 down\n" << f + 91 << " key 162 up\n";
    }
    text << close_frame << " close\n";
    return text.str();
}

std::string CutBefore(std::string_view recording, int frame) {
    std::istringstream lines{std::string(recording)};
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        bool event = !line.empty() && line[0] >= '0' && line[0] <= '9';
        if (event && std::stoi(line) >= frame) break;
        kept += line + "\n";
    }
    return kept;
}

namespace {

void RunSql(const std::string& url, const std::string& sql) {
    PGconn* connection = PQconnectdb(url.c_str());
    PGresult* result = PQexec(connection, sql.c_str());
    bool good = PQresultStatus(result) == PGRES_COMMAND_OK;
    std::string message = PQerrorMessage(connection);
    PQclear(result);
    PQfinish(connection);
    if (!good) throw std::runtime_error(sql + ": " + message);
}

}  // namespace

TestDatabase::TestDatabase(std::string_view kind) {
    if (kind == "sqlite") {
        url_ = "sqlite:" + (folder_.path() / "board.db").string();
        return;
    }
    const char* file = std::getenv("REZARUDEV_TEST_POSTGRES");
    std::ifstream url_file(file ? file : "");
    if (!file || !std::getline(url_file, server_url_) || server_url_.empty()) {
        why_ = "no PostgreSQL server: CTest starts one (tests/server/postgres.sh)";
        return;
    }
    // Names and tickets of a database are the test's own, nothing from outside.
    name_ = "board_test_" + RandomHex(8);
    RunSql(server_url_, "CREATE DATABASE " + name_);
    url_ = server_url_;
    url_.replace(url_.find("/postgres?"), 9, "/" + name_);
}

TestDatabase::~TestDatabase() {
    if (name_.empty()) return;
    try {
        RunSql(server_url_, "DROP DATABASE " + name_ + " WITH (FORCE)");
    } catch (const std::exception&) {
        // The server went before the test; its folder goes with it.
    }
}

void TestDatabase::AgeTickets(Millis by) {
    std::string sql = "UPDATE tickets SET given = given - " + std::to_string(by);
    if (!name_.empty()) return RunSql(url_, sql);
    sqlite3* database = nullptr;
    sqlite3_open(url_.substr(7).c_str(), &database);
    sqlite3_busy_timeout(database, 10'000);
    int status = sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr);
    std::string message = sqlite3_errmsg(database);
    sqlite3_close(database);
    if (status != SQLITE_OK) throw std::runtime_error(sql + ": " + message);
}

BoardProcess::BoardProcess(const std::string& database, const std::vector<std::string>& extra) {
    std::vector<std::string> arguments = {REZARUDEV_BOARD_BINARY,
                                          "--listen",
                                          "127.0.0.1:0",
                                          "--database",
                                          database,
                                          "--site",
                                          site_.path().string(),
                                          "--workers",
                                          "2",
                                          "--ticket-rate",
                                          "0",
                                          "--game-rate",
                                          "0"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    int output[2];
    if (pipe(output) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
        // The board's empty folder goes in one of the test's, which goes
        // with the test even when the board is killed.
        setenv("TMPDIR", temporary_.path().c_str(), 1);
        dup2(output[1], 1);
        close(output[0]);
        close(output[1]);
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(output[1]);
    // "rezarudev-board: listening on http://127.0.0.1:PORT/ ..."
    std::FILE* stream = fdopen(output[0], "r");
    char line[256] = {};
    if (std::fgets(line, sizeof line, stream)) {
        std::sscanf(line, "rezarudev-board: listening on http://127.0.0.1:%d", &port_);
    }
    std::fclose(stream);
}

BoardProcess::~BoardProcess() { Kill(); }

void BoardProcess::Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

int BoardProcess::Stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

long ProcessMemoryKb(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field + ":")) return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}
