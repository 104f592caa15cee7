#include "options.hpp"

#include "platform/system/message.hpp"
#include "platform/system/text_parse.hpp"

std::string BoardUsageText() {
    return "usage: rezarudev-board [--listen ADDR:PORT] [--database sqlite:FILE|postgresql://...] [--site DIR]\n"
           "                       [--workers N] [--threads N] [--ticket-expiry MINUTES]\n"
           "                       [--ticket-rate N] [--game-rate N] [--max-frames N] [--cpu-seconds N]\n"
           "                       [--help] [--version]\n"
           "\n"
           "  --listen ADDR:PORT      where to answer (default 127.0.0.1:8080; [::1]:8080 for IPv6; port 0: any)\n"
           "  --database URL          sqlite:FILE (default sqlite:rezarudev-board.db) or a postgresql:// URL\n"
           "  --site DIR              the browser build's site, served beside the API (default build-web/site)\n"
           "  --workers N             threads that play submitted games (default: one a core)\n"
           "  --threads N             requests answered at once (default 32)\n"
           "  --ticket-expiry MINUTES how long a ticket stays good (default 120)\n"
           "  --ticket-rate N         tickets one client address may ask for a minute (default 30; 0: no limit)\n"
           "  --game-rate N           games one client address may send a minute (default 10; 0: no limit)\n"
           "  --max-frames N          the longest game the board plays, in frames (default 432000, two hours)\n"
           "  --cpu-seconds N         processor time one game may take to play (default 60)\n";
}

namespace {

// "127.0.0.1:8080", "[::1]:8080", "localhost:0".
bool ParseListen(const std::string& text, BoardOptions& options) {
    std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    std::string host = text.substr(0, colon);
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']') return false;
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string::npos) {
        return false;
    }
    std::optional<int> port = ParseIntIn(std::string_view(text).substr(colon + 1), 0, 65535);
    if (!port) return false;
    options.address = host;
    options.port = *port;
    return true;
}

}  // namespace

std::optional<BoardOptions> ParseBoardOptions(const std::vector<std::string>& args, std::string& error) {
    BoardOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help") {
            options.help = true;
            continue;
        }
        if (arg == "--version") {
            options.version = true;
            continue;
        }
        static const char* const kWithValue[] = {"--listen",     "--database",      "--site",        "--workers",
                                                 "--threads",    "--ticket-expiry", "--ticket-rate", "--game-rate",
                                                 "--max-frames", "--cpu-seconds"};
        bool known = false;
        for (const char* name : kWithValue) known = known || arg == name;
        if (!known) {
            error = "unknown option '" + Printable(arg) + "'";
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            error = arg + " needs a value";
            return std::nullopt;
        }
        const std::string& value = args[++i];
        auto number = [&](int low, int high, int& into) {
            std::optional<int> parsed = ParseIntIn(value, low, high);
            if (!parsed) {
                error = arg + " '" + Printable(value) + "' is not a whole number from " + std::to_string(low) + " to " +
                        std::to_string(high);
                return false;
            }
            into = *parsed;
            return true;
        };
        int minutes = 0, seconds = 0;
        bool good = true;
        if (arg == "--listen") {
            good = ParseListen(value, options);
            if (!good) error = "--listen '" + Printable(value) + "' is not ADDR:PORT";
        } else if (arg == "--database") {
            options.database = value;
        } else if (arg == "--site") {
            options.site = value;
        } else if (arg == "--workers") {
            good = number(1, 256, options.workers);
        } else if (arg == "--threads") {
            good = number(1, 1024, options.threads);
        } else if (arg == "--ticket-expiry") {
            good = number(1, 7 * 24 * 60, minutes);
            options.board.ticket_expiry = std::chrono::minutes(minutes);
        } else if (arg == "--ticket-rate") {
            good = number(0, 1'000'000, options.board.tickets_per_minute);
        } else if (arg == "--game-rate") {
            good = number(0, 1'000'000, options.board.games_per_minute);
        } else if (arg == "--max-frames") {
            good = number(1, 0x7fffffff, options.board.play.max_frames);
        } else if (arg == "--cpu-seconds") {
            good = number(1, 24 * 60 * 60, seconds);
            options.board.play.cpu = std::chrono::seconds(seconds);
        }
        if (!good) return std::nullopt;
    }
    return options;
}
