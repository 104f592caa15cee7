#include "game/options.hpp"

#include <charconv>
#include <climits>
#include <filesystem>
#include <system_error>

#include "platform/system/board_link.hpp"
#include "platform/system/message.hpp"

namespace {

bool ParseInt(const std::string& text, long long low, long long high, long long& value) {
    const char* end = text.data() + text.size();
    auto [stop, problem] = std::from_chars(text.data(), end, value);
    return problem == std::errc() && stop == end && !text.empty() && value >= low && value <= high;
}

}  // namespace

std::string UsageText() {
    return "usage: rezarudev [options]\n"
           "  --windowed             play in a resizable window instead of full screen\n"
           "  --seed N               seed the random numbers with N instead of the clock\n"
           "  --fast                 run as fast as possible, without frame pacing\n"
           "  --frames N             leave after N frames, as if the window were closed\n"
           "  --record FILE          write the seed and every input event to FILE\n"
           "  --replay FILE          take the seed and all input from FILE\n"
           "  --trace FILE           write one JSON line per frame to FILE\n"
           "  --screenshot N:FILE    save frame N as a PNG (may be repeated)\n"
           "  --data-dir DIR         read the sounds from DIR/data and keep the best score there\n"
           "  --watch N              watch entry N (1-10) of the score table, then leave\n"
           "  --export N FILE        write entry N's recording to FILE and leave\n"
           "  --board URL            send games to the score board at URL\n"
           "  --help, --version      print this help or the version and exit\n";
}

std::optional<RunOptions> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    RunOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = "option " + Printable(option) + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        // The option's value as a whole number in [low, high]; `range` is
        // said after the option's name when it is not.
        auto number_value = [&](long long low, long long high, const char* range, long long& out) {
            std::string text;
            if (!value(text)) return false;
            if (!ParseInt(text, low, high, out)) {
                error = "bad value for " + option + range + ": " + Printable(text);
                return false;
            }
            return true;
        };
        long long number = 0;
        if (option == "--windowed") {
            options.windowed = true;
        } else if (option == "--fast") {
            options.fast = true;
        } else if (option == "--help") {
            options.help = true;
        } else if (option == "--version") {
            options.version = true;
        } else if (option == "--seed") {
            // Any 32-bit value, signed or not: only its bits seed the generator.
            if (!number_value(INT_MIN, UINT_MAX, "", number)) return std::nullopt;
            options.seed = static_cast<int>(static_cast<unsigned>(number));
        } else if (option == "--frames") {
            if (!number_value(1, INT_MAX, "", number)) return std::nullopt;
            options.frames = static_cast<int>(number);
        } else if (option == "--record") {
            if (!value(options.record)) return std::nullopt;
        } else if (option == "--replay") {
            if (!value(options.replay)) return std::nullopt;
        } else if (option == "--trace") {
            if (!value(options.trace)) return std::nullopt;
        } else if (option == "--data-dir") {
            if (!value(options.data_dir)) return std::nullopt;
            // Only data/ inside it is ever created, never the folder itself.
            std::error_code problem;
            if (!std::filesystem::is_directory(options.data_dir, problem)) {
                error = "bad value for --data-dir (not an existing folder): " + Printable(options.data_dir);
                return std::nullopt;
            }
        } else if (option == "--watch") {
            if (!number_value(1, 10, " (an entry from 1 to 10)", number)) return std::nullopt;
            options.watch = static_cast<int>(number);
        } else if (option == "--export") {
            if (!number_value(1, 10, " (an entry from 1 to 10)", number)) return std::nullopt;
            options.export_entry = static_cast<int>(number);
            if (!value(options.export_path)) return std::nullopt;
        } else if (option == "--board") {
            if (!value(options.board)) return std::nullopt;
            if (!IsBoardUrl(options.board)) {
                error = "bad value for --board (expected an http:// or https:// address): " + Printable(options.board);
                return std::nullopt;
            }
        } else if (option == "--screenshot") {
            std::string text;
            if (!value(text)) return std::nullopt;
            auto colon = text.find(':');
            if (colon == std::string::npos || colon + 1 == text.size() ||
                !ParseInt(text.substr(0, colon), 0, INT_MAX, number)) {
                error = "bad value for --screenshot (expected N:FILE): " + Printable(text);
                return std::nullopt;
            }
            options.screenshots.push_back({static_cast<int>(number), text.substr(colon + 1)});
        } else {
            error = "unknown option: " + Printable(option);
            return std::nullopt;
        }
    }
    if (!options.record.empty() && !options.replay.empty() && options.record == options.replay) {
        error = "--record and --replay name the same file: " + Printable(options.record);
        return std::nullopt;
    }
    // A watched game's input is its recording's: what a --record of it would
    // hold could not play it again.
    if (options.watch && (!options.replay.empty() || !options.record.empty())) {
        error = std::string("--watch cannot be given with ") + (options.replay.empty() ? "--record" : "--replay");
        return std::nullopt;
    }
    // A ticket of the board chooses how each game starts, which a recording
    // of the whole run does not hold: it could not play the run again.
    if (!options.board.empty() && !options.record.empty()) {
        error = "--board cannot be given with --record";
        return std::nullopt;
    }
    if (options.export_entry &&
        (options.watch || !options.replay.empty() || !options.record.empty() || !options.trace.empty() ||
         !options.screenshots.empty())) {
        error = "--export writes a recording and leaves: it cannot be given with options that play";
        return std::nullopt;
    }
    return options;
}

RequestedFiles FilesRequested(const RunOptions& options) {
    RequestedFiles requested;
    if (!options.trace.empty()) requested.writes.push_back({"--trace", options.trace});
    if (!options.record.empty()) requested.writes.push_back({"--record", options.record});
    for (const Screenshot& screenshot : options.screenshots)
        requested.writes.push_back({"--screenshot", screenshot.path});
    if (options.export_entry) requested.writes.push_back({"--export", options.export_path});
    requested.data_dir = options.data_dir;
    return requested;
}
