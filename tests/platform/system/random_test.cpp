#include <gtest/gtest.h>

#include "platform/system/angles.hpp"
#include "platform/system/random.hpp"

TEST(RandomTest, FirstValuesFromTheDefaultState) {
    Random random;
    EXPECT_DOUBLE_EQ(random.NextRandom(), (224942860.0 + 2604912.0 / 134217728.0) / 536870912.0);
    EXPECT_NEAR(Random().NextRandom(), 0.4189887270692887, 1e-16);
    EXPECT_EQ(Random().RandomInt(0, 9), 4);
}

TEST(RandomTest, SeedsThatWouldStickFallBackToTheDefault) {
    for (int seed : {0, 0x7fffffff, -1}) {
        Random random;
        random.SeedRandom(seed);
        EXPECT_EQ(random.state(), 0x1234) << seed;
    }
    Random random;
    random.SeedRandom(static_cast<int>(0x80000005u));
    EXPECT_EQ(random.state(), 5);
}

TEST(RandomTest, BoundsWorkInEitherOrder) {
    Random random;
    random.SeedRandom(99);
    bool seen[7] = {};
    for (int i = 0; i < 2000; ++i) {
        int value = random.RandomInt(3, -3);
        ASSERT_GE(value, -3);
        ASSERT_LE(value, 3);
        seen[value + 3] = true;
        double real = random.RandomReal(1000, 0);
        ASSERT_GE(real, 0.0);
        ASSERT_LT(real, 1000.0);
    }
    for (bool hit : seen) EXPECT_TRUE(hit);
    EXPECT_EQ(random.RandomReal(5, 5), 5.0);
    EXPECT_EQ(random.RandomInt(7, 7), 7);
}

TEST(RandomTest, WideBoundsDoNotOverflow) {
    Random random;
    for (int i = 0; i < 100; ++i) {
        int value = random.RandomInt(-2147483647 - 1, 2147483647);
        (void)value;
    }
    SUCCEED();
}

TEST(RandomTest, DegreesAreTheGameAngles) {
    EXPECT_NEAR(SinDeg(90), 1.0, 1e-15);
    EXPECT_NEAR(CosDeg(180), -1.0, 1e-15);
}
