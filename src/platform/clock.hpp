#pragma once

#include <cstdint>

// The millisecond clock and sleep. The real one reads the system clock; tests
// use ManualClock, whose time only moves when told to.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; wraps like a 32-bit counter.
    virtual int Milliseconds() = 0;
    // Sleeps that long; a negative value does nothing.
    virtual void Delay(int milliseconds) = 0;
};

class SystemClock final : public Clock {
public:
    int Milliseconds() override;
    void Delay(int milliseconds) override;
};

// Time stands still except through Delay and Advance, so schedules can be
// checked to the millisecond.
class ManualClock final : public Clock {
public:
    explicit ManualClock(int start = 0) : now_(start) {}
    int Milliseconds() override { return now_; }
    void Delay(int milliseconds) override {
        if (milliseconds > 0) {
            now_ += milliseconds;
            slept_ += milliseconds;
        }
    }
    void Advance(int milliseconds) { now_ += milliseconds; }
    int slept() const { return slept_; }

private:
    int now_;
    int slept_ = 0;
};
