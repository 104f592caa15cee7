// Frame times of real play: the soak's random game (turning, firing, the
// trigger, the menu, pauses, lost focus) played through each game binary given,
// on the real display, without waiting for the refresh. A frame's time is the
// time between two lines of the frame trace, which the game flushes at the end
// of every frame. The binaries take turns, `--rounds` times, so a busy
// machine weighs on each alike. Needs a display: run it under xvfb-run with
// LIBGL_ALWAYS_SOFTWARE=1.
//
// With --paced the game keeps its pace as a player sees it (no --fast): the
// seconds the frames took against the seconds they stand for at 60 a second,
// and the pictures dropped to keep that pace (the trace's `drawn`), with the
// longest run of them. Pin it to one core with taskset, or try a slower
// driver (GALLIUM_DRIVER=softpipe), to see a weak machine.
//
//   play_bench [--frames N] [--seed S] [--rounds N] [--data-dir DIR] [--paced] [BINARY...]
//
// DIR/data holds the music and sounds (the source tree's by default); each
// run plays in a fresh copy of it.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "soak.hpp"

namespace {

// The first frames load the sprites into textures and start the music; that
// is start-up, not play.
constexpr int kStartFrames = 30;

struct PlayTimes {
    std::vector<double> frame_ms;
    int worst_frame = 0;
    double seconds = 0;
    int frames = 0;
    int dropped = 0;
    int longest_drop = 0;
};

// Counts a trace line's dropped picture, if it is one.
void CountDrawn(const std::string& line, PlayTimes& times, int& run) {
    std::size_t at = line.find("\"drawn\":");
    if (at == std::string::npos) return;
    bool drawn = line[at + 8] != '0';
    run = drawn ? 0 : run + 1;
    if (!drawn) ++times.dropped;
    times.longest_drop = std::max(times.longest_drop, run);
}

// A folder of its own for each run, holding the music and sounds of
// `source`: a best score or score table left by an earlier run would change
// what the next one plays.
std::filesystem::path FreshDataFolder(const std::string& source) {
    std::string pattern = (std::filesystem::temp_directory_path() / "play_bench_XXXXXX").string();
    if (!mkdtemp(pattern.data())) return {};
    std::filesystem::path folder = pattern;
    std::filesystem::create_directory(folder / "data");
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(source) / "data", error)) {
        if (entry.path().extension() == ".ogg")
            std::filesystem::create_symlink(entry.path(), folder / "data" / entry.path().filename(), error);
    }
    return folder;
}

bool Play(const std::string& binary, const std::string& replay, const std::string& source, bool paced,
          PlayTimes& times) {
    std::filesystem::path folder = FreshDataFolder(source);
    if (folder.empty()) {
        std::fprintf(stderr, "play_bench: cannot make a folder in %s\n",
                     std::filesystem::temp_directory_path().c_str());
        return false;
    }
    std::string data_dir = folder.string();
    struct Remover {
        std::filesystem::path folder;
        ~Remover() { std::filesystem::remove_all(folder); }
    } remover{folder};
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) return false;
    pid_t child = fork();
    if (child == 0) {
        close(pipe_ends[0]);
        dup2(pipe_ends[1], 3);
        std::vector<const char*> args = {binary.c_str(), "--windowed", "--replay", replay.c_str(), "--trace",
                                         "/dev/fd/3", "--data-dir", data_dir.c_str()};
        if (!paced) args.push_back("--fast");
        args.push_back(nullptr);
        execv(binary.c_str(), const_cast<char* const*>(args.data()));
        _exit(127);
    }
    close(pipe_ends[1]);
    if (child < 0) {
        close(pipe_ends[0]);
        return false;
    }
    auto start = std::chrono::steady_clock::now();
    auto last = start;
    int lines = 0;
    int drop_run = 0;
    std::string line;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = read(pipe_ends[0], buffer, sizeof buffer)) > 0) {
        auto now = std::chrono::steady_clock::now();
        for (ssize_t i = 0; paced && i < got; ++i) {
            if (buffer[i] != '\n') {
                line += buffer[i];
                continue;
            }
            CountDrawn(line, times, drop_run);
            line.clear();
        }
        int ends = static_cast<int>(std::count(buffer, buffer + got, '\n'));
        // Several lines in one read came while this process waited for the
        // processor; the time is shared among them.
        double ms = std::chrono::duration<double, std::milli>(now - last).count() / std::max(ends, 1);
        for (int i = 0; i < ends; ++i) {
            if (++lines > kStartFrames) times.frame_ms.push_back(ms);
        }
        if (ends > 0) last = now;
    }
    close(pipe_ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    times.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    times.frames = lines;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "play_bench: %s ended with status %d\n", binary.c_str(), status);
        return false;
    }
    auto worst = std::max_element(times.frame_ms.begin(), times.frame_ms.end());
    if (worst != times.frame_ms.end())
        times.worst_frame = static_cast<int>(worst - times.frame_ms.begin()) + kStartFrames;
    return !times.frame_ms.empty();
}

void Report(const std::string& binary, int round, bool paced, PlayTimes& times) {
    std::vector<double>& ms = times.frame_ms;
    double total = 0;
    for (double one : ms) total += one;
    std::sort(ms.begin(), ms.end());
    // The mean of the slowest 1 % of frames, so one bad frame and a slow
    // stretch both show.
    std::size_t slowest = std::max<std::size_t>(1, ms.size() / 100);
    double slow_total = 0;
    for (std::size_t i = ms.size() - slowest; i < ms.size(); ++i) slow_total += ms[i];
    std::printf("%-36s %5d %9.2f %9.2f %9.2f %9.2f %9.1f %7d %8.1f", binary.c_str(), round,
                total / static_cast<double>(ms.size()), ms[(ms.size() - 1) * 99 / 100],
                slow_total / static_cast<double>(slowest), ms.back(), 1000.0 * static_cast<double>(ms.size()) / total,
                times.worst_frame, times.seconds);
    // Start-up included, as a player waits through it.
    if (paced) std::printf(" %8.3f %8d %7d", times.seconds / (times.frames / 60.0), times.dropped, times.longest_drop);
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 20000, rounds = 1;
    bool paced = false;
    unsigned long long seed = 4660;
    std::string data_dir = REZARUDEV_SOURCE_DIR;
    std::vector<std::string> binaries;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) frames = std::max(2, std::atoi(argv[++i]));
        else if (arg == "--seed" && i + 1 < argc) seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--rounds" && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--data-dir" && i + 1 < argc) data_dir = argv[++i];
        else if (arg == "--paced") paced = true;
        else binaries.push_back(arg);
    }
    if (binaries.empty()) binaries.push_back(REZARUDEV_BINARY);
    if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);

    std::string replay =
        (std::filesystem::temp_directory_path() / ("play_bench_" + std::to_string(getpid()) + ".replay")).string();
    std::ofstream(replay) << MakeSoakReplay(seed, frames);
    std::printf("%-36s %5s %9s %9s %9s %9s %9s %7s %8s", "binary", "round", "mean ms", "p99 ms", "worst1%", "worst ms",
                "fps", "at", "seconds");
    std::printf(paced ? " %8s %8s %7s\n" : "\n", "x real", "dropped", "in row");
    int failures = 0;
    for (int round = 1; round <= rounds; ++round) {
        for (const std::string& binary : binaries) {
            PlayTimes times;
            if (Play(binary, replay, data_dir, paced, times)) Report(binary, round, paced, times);
            else ++failures;
        }
    }
    std::filesystem::remove(replay);
    return failures == 0 ? 0 : 1;
}
