#include "platform/video/display.hpp"

void FramePacer::Start(int hertz, int now) {
    hertz_ = hertz;
    frame_ms_ = hertz > 0 ? 1000 / hertz : 0;
    frame_rem_ = 1000 - frame_ms_ * hertz;
    accumulator_ = 0;
    next_frame_ = static_cast<std::uint32_t>(now);
}

void FramePacer::Wait(Clock& clock) {
    next_frame_ += static_cast<std::uint32_t>(frame_ms_);
    accumulator_ += frame_rem_;
    if (accumulator_ >= hertz_) {
        accumulator_ -= hertz_;
        next_frame_ += 1;
    }
    int now = clock.Milliseconds();
    int ahead = ElapsedMs(now, static_cast<int>(next_frame_));
    if (ahead > 0) {
        clock.Delay(ahead);
    } else {
        next_frame_ = static_cast<std::uint32_t>(now);
    }
}

Display::Display(Clock& clock, bool fullscreen, int hertz, bool fast)
    : clock_(clock), fullscreen_(fullscreen), wanted_fullscreen_(fullscreen), fast_(fast), hertz_(hertz), soft_pacing_(hertz != 0 && !fast) {
    pacer_.Start(hertz, clock.Milliseconds());
}

void Display::Calibrate() {
    if (!soft_pacing_ || !fullscreen_) return;
    int start = clock_.Milliseconds();
    while (!HasFocus() && ElapsedMs(start, clock_.Milliseconds()) < kFocusWaitMs) clock_.Delay(10);
    start = clock_.Milliseconds();
    int in_a_row = 0;
    while (ElapsedMs(start, clock_.Milliseconds()) < 1000) {
        int before = clock_.Milliseconds();
        Present(1);
        int took = ElapsedMs(before, clock_.Milliseconds());
        in_a_row = (took - pacer_.frame_ms() >= -1 && took - pacer_.frame_ms() <= 1) ? in_a_row + 1 : 0;
        if (in_a_row == 3) {
            soft_pacing_ = false;
            break;
        }
    }
    // The timer starts from the end of calibration, not from the open.
    pacer_.Start(hertz_, clock_.Milliseconds());
}

// Between frames, so a finished picture is what calibration shows. A window
// is paced by the software timer; full screen is calibrated as on opening.
void Display::ApplyWantedMode() {
    if (!SwitchFullscreen(wanted_fullscreen_)) {
        wanted_fullscreen_ = fullscreen_;
        return;
    }
    fullscreen_ = wanted_fullscreen_;
    soft_pacing_ = hertz_ != 0 && !fast_;
    if (fullscreen_) {
        Calibrate();
    } else {
        pacer_.Start(hertz_, clock_.Milliseconds());
    }
}

void Display::Flip(int sync) {
    if (wanted_fullscreen_ != fullscreen_) ApplyWantedMode();
    if (sync != -1) {
        Present(sync);
        return;
    }
    ++flips_;
    if (fast_) {
        Present(0);
    } else if (!soft_pacing_) {
        Present(fullscreen_ ? 1 : 0);
    } else {
        pacer_.Wait(clock_);
        Present(0);
    }
}
