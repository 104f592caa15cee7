#include <gtest/gtest.h>

#include "platform/display.hpp"

TEST(FramePacerTest, SixtyFramesTakeOneSecond) {
    ManualClock clock(5000);
    FramePacer pacer;
    pacer.Start(60, clock.Milliseconds());
    std::vector<int> gaps;
    for (int frame = 0; frame < 60; ++frame) {
        int before = clock.Milliseconds();
        pacer.Wait(clock);
        gaps.push_back(clock.Milliseconds() - before);
    }
    EXPECT_EQ(clock.Milliseconds(), 6000);
    EXPECT_EQ((std::vector<int>{gaps[0], gaps[1], gaps[2], gaps[3]}), (std::vector<int>{16, 17, 17, 16}));
}

TEST(FramePacerTest, ALateFrameIsNotMadeUp) {
    ManualClock clock;
    FramePacer pacer;
    pacer.Start(60, 0);
    pacer.Wait(clock);  // due at 16
    clock.Advance(40);  // a slow frame
    pacer.Wait(clock);  // due at 33, already past: no sleep
    EXPECT_EQ(clock.Milliseconds(), 56);
    int before = clock.Milliseconds();
    pacer.Wait(clock);  // paced from now, not from the old schedule
    EXPECT_EQ(clock.Milliseconds() - before, 17);
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
