#include <gtest/gtest.h>

#include "platform/video/headless_display.hpp"

#include <cstdint>
#include <vector>

#include "platform/system/manual_clock.hpp"
#include "platform/video/soft_renderer.hpp"

namespace {

// Clock readings to start from: an ordinary one, and the two where the 32-bit
// millisecond clock crosses its wrap within the next second (after 24.8 and
// 49.7 days of uptime).
constexpr std::uint32_t kStartTimes[] = {5000, 0x7FFFFF00, 0xFFFFFF00};

}  // namespace

TEST(FramePacerTest, SixtyFramesTakeOneSecondEvenAcrossTheClockWrap) {
    for (std::uint32_t start : kStartTimes) {
        ManualClock clock(start);
        FramePacer pacer;
        pacer.Start(60, clock.Milliseconds());
        std::vector<int> gaps;
        for (int frame = 0; frame < 60; ++frame) {
            int before = clock.Milliseconds();
            pacer.Wait(clock);
            gaps.push_back(ElapsedMs(before, clock.Milliseconds()));
        }
        EXPECT_EQ(ElapsedMs(static_cast<int>(start), clock.Milliseconds()), 1000) << start;
        EXPECT_EQ((std::vector<int>{gaps[0], gaps[1], gaps[2], gaps[3]}), (std::vector<int>{16, 17, 17, 16}));
    }
}

TEST(FramePacerTest, ALateFrameIsNotMadeUpUnlessTheScheduleIsKept) {
    ManualClock clock;
    FramePacer pacer;
    pacer.Start(60, 0);
    pacer.Wait(clock);  // due at 16
    clock.Advance(40);  // a slow frame
    EXPECT_EQ(pacer.Lateness(clock), 56 - 33);
    FramePacer keeping = pacer;
    pacer.Wait(clock);  // due at 33, already past: no sleep
    EXPECT_EQ(clock.Milliseconds(), 56);
    int before = clock.Milliseconds();
    pacer.Wait(clock);  // paced from now, not from the old schedule
    EXPECT_EQ(clock.Milliseconds() - before, 17);

    ManualClock same(56);
    keeping.Wait(same, true);  // shown at once, still due at 33
    keeping.Skip();            // 50 passes with no picture
    EXPECT_EQ(keeping.Lateness(same), 56 - 66);
    keeping.Wait(same, true);
    EXPECT_EQ(same.Milliseconds(), 66);
}

TEST(DisplayTest, FastAndUnpacedDisplaysNeverSleep) {
    ManualClock clock;
    HeadlessDisplay fast(clock, true);
    for (int i = 0; i < 10; ++i) fast.Flip(-1);
    EXPECT_EQ(clock.slept(), 0);
    HeadlessDisplay paced(clock, false);
    for (int i = 0; i < 60; ++i) paced.Flip(-1);
    EXPECT_EQ(clock.slept(), 1000);
}

namespace {

// A full-screen display whose flips at the vertical blank take the given times
// in turn, but only while it has the focus; without it a flip takes 2 ms. As
// with a real window system, the focus it is given `focus_at` ms after it
// opened (and keeps until `focus_until`) is seen only once its news has been
// taken in.
class FakeFullScreen final : public Display {
public:
    FakeFullScreen(ManualClock& clock, std::vector<int> vblank_flips, int first_focus)
        : Display(clock, true, 60, false),
          focus_at(first_focus),
          clock_(clock),
          vblank_flips_(std::move(vblank_flips)),
          opened_(clock.Milliseconds()) {}
    Renderer& renderer() override { return renderer_; }

    int focus_at;
    int focus_until = 0x7fffffff;

protected:
    void Present(int swap_interval) override {
        if (swap_interval == 1 && focused_) {
            clock_.Advance(vblank_flips_[next_++ % vblank_flips_.size()]);
        } else {
            clock_.Advance(2);
        }
    }
    bool HasFocus() override {
        int since = ElapsedMs(opened_, clock_.Milliseconds());
        focused_ = since >= focus_at && since < focus_until;
        return focused_;
    }

private:
    ManualClock& clock_;
    SoftRenderer renderer_{1, 1};
    std::vector<int> vblank_flips_;
    std::size_t next_ = 0;
    int opened_;
    bool focused_ = false;
};

}  // namespace

TEST(DisplayTest, CalibrationKeepsTheTimerUnlessFlipsTakeOneRefreshOnceFocused) {
    struct Case {
        std::vector<int> flips;
        int focus_at;
        bool vblank;
        int refreshes = 1;
    };
    // {16} at 300: the focus comes a moment after the window opens; at 100000
    // it never comes. 120, 180 and 240 Hz screens show a picture every 2, 3
    // or 4 blanks; 75 and 144 Hz ones keep the timer.
    const Case cases[] = {
        {{16}, 0, true},        {{17}, 0, true},        {{16, 17, 17}, 0, true},  {{33}, 0, false},
        {{7}, 0, false},        {{15, 18}, 0, false},   {{16}, 300, true},        {{16}, 100000, false},
        {{8, 8, 9}, 0, true, 2}, {{6, 5, 6}, 0, true, 3}, {{4, 4, 4, 5}, 0, true, 4}, {{7, 7, 7, 6}, 0, false},
        {{13, 14, 13}, 0, false},
    };
    for (std::uint32_t start : kStartTimes) {
        for (const Case& test : cases) {
            ManualClock clock(start);
            FakeFullScreen display(clock, test.flips, test.focus_at);
            display.Calibrate();
            EXPECT_EQ(display.soft_pacing(), !test.vblank)
                << test.flips[0] << " ms, focus at " << test.focus_at << ", clock from " << start;
            if (test.vblank) {
                EXPECT_EQ(display.refreshes_a_frame(), test.refreshes) << test.flips[0] << " ms";
            }
            // Bounded: the focus wait, then a second of flips at most.
            EXPECT_LE(ElapsedMs(static_cast<int>(start), clock.Milliseconds()), Display::kFocusWaitMs + 1000 + 33);
        }
    }
}

TEST(DisplayTest, FullScreenCalibratesAgainWhenTheFocusComesBack) {
    ManualClock clock(kStartTimes[1]);
    // The session begins without the focus: the software timer paces it.
    FakeFullScreen display(clock, {16}, 100000);
    display.Calibrate();
    ASSERT_TRUE(display.soft_pacing());
    for (int frame = 0; frame < 30; ++frame) display.Flip(-1);
    EXPECT_TRUE(display.soft_pacing());

    int now = ElapsedMs(static_cast<int>(kStartTimes[1]), clock.Milliseconds());
    display.focus_at = now + 100;
    int before = clock.Milliseconds();
    for (int frame = 0; frame < 10; ++frame) display.Flip(-1);
    EXPECT_FALSE(display.soft_pacing()) << "the vertical blank paces it once the focus is back";
    EXPECT_LE(ElapsedMs(before, clock.Milliseconds()), 10 * 17 + 1000 + 33) << "bounded, as on opening";
}

namespace {

// Pictures that take `draw_ms` to draw; in full screen a picture then waits
// for the next vertical blank of a 60 Hz screen.
class SlowDisplay final : public Display {
public:
    SlowDisplay(ManualClock& clock, bool fullscreen, int draw)
        : Display(clock, fullscreen, 60, false), draw_ms(draw), clock_(clock), opened_(clock.Milliseconds()) {}
    Renderer& renderer() override { return renderer_; }

    int draw_ms;
    bool untouched = true;
    int shown = 0;

protected:
    void Present(int swap_interval) override {
        clock_.Advance(draw_ms);
        if (swap_interval > 0) {
            int since = ElapsedMs(opened_, clock_.Milliseconds());
            int blank = ((since * 60 / 1000 + 1) * 1000 + 59) / 60;
            clock_.Advance(blank - since);
        }
        ++shown;
    }
    bool CanDropPicture() const override { return untouched; }

private:
    ManualClock& clock_;
    SoftRenderer renderer_{1, 1};
    int opened_;
};

}  // namespace

// A second of steps takes a second however long pictures take to draw, up to
// four frames' time, with at most three pictures in a row dropped; slower
// still, the game slows down rather than fall ever further behind.
TEST(DisplayTest, SlowPicturesAreDroppedSoThatStepsKeepTheirPace) {
    struct Case {
        bool fullscreen;
        int draw_ms;
        int least_shown, most_shown;
        int least_ms, most_ms;
    };
    const Case cases[] = {
        {false, 10, 600, 600, 9990, 10010},  {false, 25, 390, 410, 9990, 10040},
        {false, 45, 210, 225, 9990, 10060},  {false, 100, 150, 150, 15000, 15100},
        {true, 10, 600, 600, 9990, 10030},   {true, 25, 295, 305, 9990, 10050},
        {true, 45, 195, 205, 9990, 10070},   {true, 100, 150, 150, 17400, 17600},
    };
    for (const Case& test : cases) {
        ManualClock clock(kStartTimes[1]);
        SlowDisplay display(clock, test.fullscreen, 0);
        display.Calibrate();
        ASSERT_EQ(display.soft_pacing(), !test.fullscreen);
        display.draw_ms = test.draw_ms;
        display.shown = 0;
        int start = clock.Milliseconds();
        for (int step = 0; step < 600; ++step) {
            bool drawn = display.DrawsPicture(false);
            int shown = display.shown;
            display.Flip(-1);
            ASSERT_EQ(display.shown - shown, drawn ? 1 : 0);
        }
        int took = ElapsedMs(start, clock.Milliseconds());
        std::string which = std::to_string(test.draw_ms) + " ms" + (test.fullscreen ? " in full screen" : "");
        EXPECT_GE(display.shown, test.least_shown) << which;
        EXPECT_LE(display.shown, test.most_shown) << which;
        EXPECT_GE(took, test.least_ms) << which;
        EXPECT_LE(took, test.most_ms) << which;
        EXPECT_LE(display.longest_dropped_run(), Display::kMostDroppedInARow) << which;
        EXPECT_EQ(display.dropped(), 600 - display.shown) << which;
    }
}

TEST(DisplayTest, PicturesReadBackOrAlreadyDrawnAreNeverDropped) {
    ManualClock clock;
    SlowDisplay display(clock, false, 50);
    for (int step = 0; step < 60; ++step) {
        ASSERT_TRUE(display.DrawsPicture(true)) << step;
        display.Flip(-1);
        display.untouched = false;
        ASSERT_TRUE(display.DrawsPicture(false)) << step;
        display.Flip(-1);
        display.untouched = true;
    }
    EXPECT_EQ(display.dropped(), 0);
    // And a fast display draws every picture, however slow.
    HeadlessDisplay fast(clock, true);
    for (int step = 0; step < 10; ++step) EXPECT_TRUE(fast.DrawsPicture(false));
}
