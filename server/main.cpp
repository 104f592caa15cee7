// rezarudev-board: the world table that believes only what it has played.

#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "board.hpp"
#include "http/http_server.hpp"
#include "http/site.hpp"
#include "options.hpp"
#include "store/store.hpp"
#include "verify/worker_pool.hpp"

namespace {

int Fail(const std::string& message, int status) {
    std::fprintf(stderr, "rezarudev-board: %s\n", message.c_str());
    if (status == 2) std::fputs(BoardUsageText().c_str(), stderr);
    return status;
}

// A folder of the board's own that stays empty: the games it plays read
// their best score and score table from it, and find none, as on a fresh
// install.
class EmptyFolder {
public:
    EmptyFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "rezarudev-board-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~EmptyFolder() {
        if (!path_.empty()) rmdir(path_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

int Run(int argc, char** argv) {
    std::string error;
    std::optional<BoardOptions> parsed = ParseBoardOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!parsed) return Fail(error, 2);
    BoardOptions& options = *parsed;
    if (options.help) {
        std::fputs(BoardUsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("rezarudev-board %s\n", REZARUDEV_VERSION);
        return 0;
    }

    // SIGINT and SIGTERM are waited for below, where they stop the server;
    // every thread, started after this, leaves them alone.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
    // A client that hangs up while its answer is written must not end the
    // board: the library sends without MSG_NOSIGNAL.
    signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<Store> store = OpenStore(options.database, error);
    if (!store) return Fail(error, 1);
    EmptyFolder empty;
    if (empty.path().empty())
        return Fail("cannot make a folder in " + std::filesystem::temp_directory_path().string(), 1);
    Site site(options.site);
    std::error_code missing;
    if (!std::filesystem::is_directory(site.folder(), missing)) {
        std::fprintf(stderr, "rezarudev-board: no site in %s yet; the API answers all the same\n",
                     site.folder().c_str());
    }

    int workers =
        options.workers > 0 ? options.workers : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    // Every game waiting for a worker holds a request thread, so the queue
    // never holds more games than there are threads.
    WorkerPool pool(workers, static_cast<std::size_t>(options.threads));
    Board board(*store, pool, options.board, empty.path());
    HttpServer server(board, site, options.threads);
    if (!server.Bind(options.address, options.port, error)) return Fail(error, 1);

    // The server answers on a thread of its own while this one waits for a
    // stop signal, which is taken only once the server runs: a stop before
    // that would be lost. A server that ends by itself signals its own end.
    std::atomic<bool> served{false};
    bool ran = false;
    std::thread serving([&] {
        ran = server.Run();
        served = true;
        kill(getpid(), SIGTERM);
    });
    while (!server.running() && !served) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::string shown = options.address.find(':') == std::string::npos ? options.address : "[" + options.address + "]";
    std::printf("rezarudev-board: listening on http://%s:%d/ with %s, %d workers\n", shown.c_str(), server.port(),
                options.database.starts_with("sqlite:") ? options.database.c_str() : "PostgreSQL", workers);
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop_signals, &signal);
    server.Stop();
    serving.join();
    return ran ? 0 : Fail("the server stopped on an error", 1);
}

}  // namespace

int main(int argc, char** argv) { return Run(argc, argv); }
