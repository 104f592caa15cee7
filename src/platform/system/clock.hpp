#pragma once

#include <cstdint>
#include <string>

// The millisecond clock and sleep. The real one reads the system clock; tests
// use ManualClock (manual_clock.hpp), whose time only moves when told to.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; wraps like a 32-bit counter, so
    // times are compared only through ElapsedMs.
    virtual int Milliseconds() = 0;
    // Sleeps that long; a negative value does nothing.
    virtual void Delay(int milliseconds) = 0;
};

// Milliseconds from `earlier` to `later`, right across the clock's wrap as long
// as they are less than 2^31 ms (24.8 days) apart; negative when `later` is
// the earlier one.
inline int ElapsedMs(int earlier, int later) {
    return static_cast<int>(static_cast<std::uint32_t>(later) - static_cast<std::uint32_t>(earlier));
}

class SystemClock final : public Clock {
public:
    int Milliseconds() override;
    void Delay(int milliseconds) override;
};

// Today, YYYY-MM-DD, local time: the date of a new entry of the score table.
std::string Today();
