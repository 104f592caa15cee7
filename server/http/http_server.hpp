#pragma once

#include <memory>
#include <string>

class Board;
class Site;

namespace httplib {
class Server;
}

// The board on HTTP: the API under /api/ and the site's files everywhere
// else, on one origin. Every error is answered with its status and
// {"error":"one line"}, the site's missing files too.
class HttpServer {
public:
    // `threads` answer requests at once; each waits while its game is played.
    HttpServer(Board& board, const Site& site, int threads);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds ADDRESS:PORT (port 0: any free one). False, with a line in
    // `error`, when it cannot.
    bool Bind(const std::string& address, int port, std::string& error);
    // The port bound.
    int port() const { return port_; }
    // Answers until Stop; false when the server could not run.
    bool Run();
    // From the moment Run answers until it returns.
    bool running() const;
    // From any thread, signal handlers aside.
    void Stop();

    // Bodies larger than this are refused with 413, before they are read
    // whole.
    static constexpr std::size_t kMaxBody = 1 << 20;

private:
    std::unique_ptr<httplib::Server> server_;
    int port_ = 0;
};
