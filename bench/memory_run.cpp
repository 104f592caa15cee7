// Peak memory over a long game. Writes a random-play replay with a fixed seed
// (the ship turns, thrusts, fires and triggers at random; Left Ctrl also
// starts each new game from the title, so the music changes at every new game
// and level), plays it with each game binary given, once for a short and once
// for a long run, and prints each run's peak RSS and the ratios to the first
// binary. Needs a display: run it under xvfb-run with LIBGL_ALWAYS_SOFTWARE=1.
//
//   memory_run [--frames N] [--early N] [--seed S] [--data-dir DIR] [BINARY...]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kLeft = 37, kUp = 38, kRight = 39, kFire = 162, kTrigger = 164;

void WriteRandomReplay(const std::string& path, int frames, unsigned seed) {
    std::mt19937 random(seed);
    auto roll = [&random](int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); };
    std::ofstream out(path);
    out << "seed " << seed % 100000 << "\n";
    // The pointer rests at the centre, where it turns the ship neither way.
    out << "1 move 320 240\n";
    bool held[3] = {false, false, false};
    const int keys[3] = {kLeft, kRight, kUp};
    int next_change = 2;
    std::vector<int> releases;  // keys pressed last frame, let go this one
    for (int frame = 2; frame < frames; ++frame) {
        for (int key : releases) out << frame << " key " << key << " up\n";
        releases.clear();
        if (frame >= next_change) {
            for (int k = 0; k < 3; ++k) {
                bool want = roll(3) == 0;
                if (k == 1 && held[0]) want = false;
                if (want != held[k]) out << frame << " key " << keys[k] << (want ? " down\n" : " up\n");
                held[k] = want;
            }
            next_change = frame + 10 + roll(50);
        }
        for (int key : {kFire, kTrigger}) {
            if (roll(key == kFire ? 8 : 400) != 0) continue;
            out << frame << " key " << key << " down\n";
            releases.push_back(key);
        }
    }
}

// The peak resident set of one run in MB, or a negative value on failure.
double PeakRss(const std::string& binary, const std::string& replay, const std::string& data_dir, int frames,
               double& seconds) {
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        std::string count = std::to_string(frames);
        execl(binary.c_str(), binary.c_str(), "--windowed", "--fast", "--replay", replay.c_str(), "--frames",
              count.c_str(), "--data-dir", data_dir.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) return -1;
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "memory_run: %s ended with status %d\n", binary.c_str(), status);
        return -1;
    }
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 100000, early = 3000;
    unsigned seed = 4660;
    std::string data_dir = REZARUDEV_SOURCE_DIR;
    std::vector<std::string> binaries;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) frames = std::atoi(argv[++i]);
        else if (arg == "--early" && i + 1 < argc) early = std::atoi(argv[++i]);
        else if (arg == "--seed" && i + 1 < argc) seed = static_cast<unsigned>(std::atol(argv[++i]));
        else if (arg == "--data-dir" && i + 1 < argc) data_dir = argv[++i];
        else binaries.push_back(arg);
    }
    if (binaries.empty()) binaries.push_back(REZARUDEV_BINARY);
    if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);

    std::string replay =
        (std::filesystem::temp_directory_path() / ("memory_run_" + std::to_string(getpid()) + ".replay")).string();
    WriteRandomReplay(replay, frames, seed);
    std::printf("%-40s %12s %12s %10s %8s\n", "binary", "early MB", "peak MB", "growth MB", "seconds");
    std::vector<double> peaks;
    for (const std::string& binary : binaries) {
        double early_seconds = 0, seconds = 0;
        double early_peak = PeakRss(binary, replay, data_dir, early, early_seconds);
        double peak = PeakRss(binary, replay, data_dir, frames, seconds);
        std::printf("%-40s %12.1f %12.1f %10.1f %8.1f\n", binary.c_str(), early_peak, peak, peak - early_peak, seconds);
        std::fflush(stdout);
        peaks.push_back(peak);
    }
    for (std::size_t i = 1; i < peaks.size(); ++i) {
        std::printf("peak RSS of %s / %s: %.3f\n", binaries[i].c_str(), binaries[0].c_str(), peaks[i] / peaks[0]);
    }
    std::filesystem::remove(replay);
    return 0;
}
