#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/store.hpp"
#include "support/temp_folder.hpp"

// A whole run as the desktop game records one: it skips the splash, starts a
// game, then flies in bursts of thrust, turns and shots, and closes the game
// at `close_frame`. Whatever the seed, the ship dies its three deaths and the
// game is over well before frame 40000 (within 2,000 to 11,000 frames for
// most seeds).
std::string FlyingRecording(int seed, int close_frame = 40000);

// The recording's lines for frames before `frame` only: the seed and
// settings lines and the events of frames 0 to frame - 1.
std::string CutBefore(std::string_view recording, int frame);

// An empty database for one test, dropped after it: a SQLite file in a
// folder of its own, or a database of its own on the PostgreSQL server that
// CTest starts for the board's tests (REZARUDEV_TEST_POSTGRES names the file
// holding its URL).
class TestDatabase {
public:
    // "sqlite" or "postgresql".
    explicit TestDatabase(std::string_view kind);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // Empty when this kind of database is not to be had (no PostgreSQL server
    // outside CTest); `why` says why.
    const std::string& url() const { return url_; }
    const std::string& why() const { return why_; }

    // Moves the time every ticket was given back: the tests' games are played
    // in no time, not in real time.
    void AgeTickets(Millis by);

private:
    TempFolder folder_;
    std::string url_;
    std::string why_;
    std::string server_url_;  // PostgreSQL's maintenance database
    std::string name_;
};

// rezarudev-board running as a process of its own on a free port of the
// loopback, with two workers and no rate limits unless `extra` says
// otherwise. Killed (kill -9) when it goes.
class BoardProcess {
public:
    explicit BoardProcess(const std::string& database, const std::vector<std::string>& extra = {});
    ~BoardProcess();
    BoardProcess(const BoardProcess&) = delete;
    BoardProcess& operator=(const BoardProcess&) = delete;

    // 0 when it did not start.
    int port() const { return port_; }
    pid_t pid() const { return pid_; }
    void Kill();
    // SIGTERM, and waits for it to leave; its exit status.
    int Stop();

private:
    TempFolder site_;
    TempFolder temporary_;
    pid_t pid_ = -1;
    int port_ = 0;
};

// A line of /proc/PID/status in kilobytes ("VmRSS", "VmHWM"); -1 without it.
long ProcessMemoryKb(pid_t pid, const std::string& field);

// The two kinds, for tests that run on both.
inline constexpr const char* kDatabaseKinds[] = {"sqlite", "postgresql"};
