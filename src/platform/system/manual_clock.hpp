#pragma once

#include <cstdint>

#include "platform/system/clock.hpp"

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
