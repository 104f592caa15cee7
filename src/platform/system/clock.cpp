#include "platform/system/clock.hpp"

#include <SDL.h>
#include <time.h>

#include <ctime>

int SystemClock::Milliseconds() {
    // Counted from system start-up, not from the program's: the clock seeds
    // the random numbers before anything else has run, so it must already
    // differ from one run to the next. The low 32 bits wrap as the game expects.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::uint64_t milliseconds =
        static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<int>(static_cast<std::uint32_t>(milliseconds));
}

void SystemClock::Delay(int milliseconds) {
    if (milliseconds > 0) SDL_Delay(static_cast<Uint32>(milliseconds));
}

std::string Today() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[16] = "1970-01-01";
    if (::localtime_r(&now, &local) != nullptr) std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}
