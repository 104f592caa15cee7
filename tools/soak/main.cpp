// The soak test's two halves:
//   soak replay SEED FRAMES   writes a replay of random play to standard output
//   soak check TRACE          checks a frame trace; exit 1 with the breaches
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "soak.hpp"

namespace {

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
    auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    return status == std::errc() && end == text.data() + text.size();
}

int Usage() {
    std::fputs("usage: soak replay SEED FRAMES | soak check TRACE\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    std::string_view command = argv[1];
    if (command == "replay" && argc == 4) {
        unsigned long long seed = 0;
        int frames = 0;
        if (!ParseNumber(argv[2], seed)) {
            std::fprintf(stderr, "soak: seed '%.60s' is not a whole number\n", argv[2]);
            return 2;
        }
        if (!ParseNumber(argv[3], frames) || frames < 2) {
            std::fprintf(stderr, "soak: frames '%.60s' is not a whole number of at least 2\n", argv[3]);
            return 2;
        }
        std::cout << MakeSoakReplay(seed, frames);
        return std::cout.flush() ? 0 : 1;
    }
    if (command == "check" && argc == 3) {
        std::ifstream trace(argv[2]);
        if (!trace) {
            std::fprintf(stderr, "soak: cannot read the trace %.200s\n", argv[2]);
            return 2;
        }
        TraceSummary summary;
        std::vector<std::string> breaches = CheckTrace(trace, summary);
        std::printf(
            "%d frames, %d games, %d levels completed (highest level %d, score %d), %d deaths, "
            "%d extra ships, %d pauses, %d warp-ins seen through\n",
            summary.frames, summary.games, summary.levels_completed, summary.max_level, summary.max_score,
            summary.deaths, summary.extra_lives, summary.pauses, summary.warps_completed);
        for (const std::string& breach : breaches) std::fprintf(stderr, "soak: %s\n", breach.c_str());
        return breaches.empty() && summary.frames > 0 ? 0 : 1;
    }
    return Usage();
}
