#include "platform/video/display.hpp"

#include <algorithm>

void FramePacer::Start(int hertz, int now) {
    hertz_ = hertz;
    frame_ms_ = hertz > 0 ? 1000 / hertz : 0;
    frame_rem_ = 1000 - frame_ms_ * hertz;
    accumulator_ = 0;
    next_frame_ = static_cast<std::uint32_t>(now);
}

std::uint32_t FramePacer::NextDue(int& accumulator) const {
    std::uint32_t due = next_frame_ + static_cast<std::uint32_t>(frame_ms_);
    accumulator = accumulator_ + frame_rem_;
    if (accumulator >= hertz_) {
        accumulator -= hertz_;
        due += 1;
    }
    return due;
}

void FramePacer::Wait(Clock& clock, bool keep_schedule) {
    next_frame_ = NextDue(accumulator_);
    int now = clock.Milliseconds();
    int ahead = ElapsedMs(now, static_cast<int>(next_frame_));
    if (ahead > 0) {
        clock.Delay(ahead);
    } else if (!keep_schedule) {
        next_frame_ = static_cast<std::uint32_t>(now);
    }
}

int FramePacer::Lateness(Clock& clock) const {
    int accumulator = 0;
    return ElapsedMs(static_cast<int>(NextDue(accumulator)), clock.Milliseconds());
}

void FramePacer::Skip() { next_frame_ = NextDue(accumulator_); }

Display::Display(Clock& clock, bool fullscreen, int hertz, bool fast)
    : clock_(clock),
      fullscreen_(fullscreen),
      wanted_fullscreen_(fullscreen),
      fast_(fast),
      hertz_(hertz),
      soft_pacing_(hertz != 0 && !fast) {
    pacer_.Start(hertz, clock.Milliseconds());
}

void Display::Calibrate() {
    if (!soft_pacing_ || !fullscreen_) return;
    int start = clock_.Milliseconds();
    bool focused = HasFocus();
    while (!focused && ElapsedMs(start, clock_.Milliseconds()) < kFocusWaitMs) {
        clock_.Delay(10);
        focused = HasFocus();
    }
    had_focus_ = focused;
    start = clock_.Milliseconds();
    // Flips at the vertical blank that take one refresh, three in a row, pace
    // the game by themselves. On a screen refreshed at 2, 3 or 4 times the
    // game's rate a picture waits for that many blanks instead; as single
    // flips of 4 to 9 ms are too short to tell 120 from 144 Hz by, six in a
    // row must each be near the period and their sum nearer still.
    constexpr int kMostRefreshes = 4;
    int in_a_row[kMostRefreshes + 1] = {};
    int sum[kMostRefreshes + 1] = {};
    refreshes_a_frame_ = 1;
    while (ElapsedMs(start, clock_.Milliseconds()) < 1000 && soft_pacing_) {
        int before = clock_.Milliseconds();
        Present(1);
        int took = ElapsedMs(before, clock_.Milliseconds());
        in_a_row[1] = (took - pacer_.frame_ms() >= -1 && took - pacer_.frame_ms() <= 1) ? in_a_row[1] + 1 : 0;
        if (in_a_row[1] == 3) soft_pacing_ = false;
        for (int refreshes = 2; refreshes <= kMostRefreshes && soft_pacing_; ++refreshes) {
            double period = 1000.0 / (hertz_ * refreshes);
            bool near = took >= period - 1 && took <= period + 1;
            in_a_row[refreshes] = near ? in_a_row[refreshes] + 1 : 0;
            sum[refreshes] = near ? sum[refreshes] + took : 0;
            if (in_a_row[refreshes] < 6) continue;
            if (sum[refreshes] >= 6 * period - 2 && sum[refreshes] <= 6 * period + 2) {
                soft_pacing_ = false;
                refreshes_a_frame_ = refreshes;
            }
            in_a_row[refreshes] = 0;
            sum[refreshes] = 0;
        }
    }
    // The timer starts from the end of calibration, not from the open.
    pacer_.Start(hertz_, clock_.Milliseconds());
    last_shown_ = clock_.Milliseconds();
    owed_ = 0;
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

// Whether the step about to flip has fallen a whole frame behind the game's
// pace, with no picture yet dropped for it.
bool Display::PictureLate() {
    if (fast_ || hertz_ == 0) return false;
    if (soft_pacing_) return pacer_.Lateness(clock_) >= pacer_.frame_ms();
    return dropped_in_a_row_ < owed_;
}

bool Display::DrawsPicture(bool kept) {
    drawn_ = kept || dropped_in_a_row_ >= kMostDroppedInARow || !PictureLate() || !CanDropPicture();
    decided_ = true;
    return drawn_;
}

void Display::Flip(int sync) {
    if (wanted_fullscreen_ != fullscreen_) ApplyWantedMode();
    if (sync != -1) {
        Present(sync);
        return;
    }
    bool drawn = decided_ ? drawn_ : DrawsPicture(false);
    decided_ = false;
    ++flips_;
    ++steps_since_shown_;
    if (fullscreen_ && !fast_ && hertz_ != 0) {
        bool focused = HasFocus();
        if (focused && !had_focus_) {
            soft_pacing_ = true;
            Calibrate();
        }
        had_focus_ = focused;
    }
    if (!drawn) {
        DropPicture();
        ++dropped_;
        longest_dropped_run_ = std::max(longest_dropped_run_, ++dropped_in_a_row_);
        if (soft_pacing_) pacer_.Skip();
        return;
    }
    dropped_in_a_row_ = 0;
    if (fast_) {
        Present(0);
    } else if (!soft_pacing_) {
        Present(fullscreen_ ? refreshes_a_frame_ : 0);
        // Pictures that missed their blank took more frames' time than the
        // steps they stand for; the steps after them make it up.
        int now = clock_.Milliseconds();
        int periods = (ElapsedMs(last_shown_, now) * hertz_ + 500) / 1000;
        owed_ = std::clamp(owed_ + periods - steps_since_shown_, 0, kMostDroppedInARow);
        last_shown_ = now;
    } else {
        // Less than a frame behind, the picture is shown at once and the
        // schedule kept, so the time is made up later; a whole frame
        // behind with no picture to drop, the game slows down.
        pacer_.Wait(clock_, pacer_.Lateness(clock_) < pacer_.frame_ms());
        Present(0);
    }
    steps_since_shown_ = 0;
}
