#include "platform/clock.hpp"

#include <SDL.h>

int SystemClock::Milliseconds() {
    // SDL counts from its own start; the low 32 bits wrap as the game expects.
    return static_cast<int>(static_cast<std::uint32_t>(SDL_GetTicks64()));
}

void SystemClock::Delay(int milliseconds) {
    if (milliseconds > 0) SDL_Delay(static_cast<Uint32>(milliseconds));
}
