#pragma once

#include <cstdint>

// The millisecond clock and sleep. The real one reads the system clock; tests
// use ManualClock, whose time only moves when told to.
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

// Time stands still except through Delay and Advance, so schedules can be
// checked to the millisecond.
class ManualClock final : public Clock {
public:
    explicit ManualClock(std::uint32_t start = 0) : now_(start) {}
    int Milliseconds() override { return static_cast<int>(now_); }
    void Delay(int milliseconds) override {
        if (milliseconds > 0) {
            Advance(milliseconds);
            slept_ += milliseconds;
        }
    }
    // Wraps as the system clock does.
    void Advance(int milliseconds) { now_ += static_cast<std::uint32_t>(milliseconds); }
    int slept() const { return slept_; }

private:
    std::uint32_t now_;
    int slept_ = 0;
};
