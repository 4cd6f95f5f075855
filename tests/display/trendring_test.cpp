#include <gtest/gtest.h>

#include "display/trendring.h"

TEST(TrendRingTest, FullRingOverwritesTheOldestAndUnwrittenSlotsReadZero)
{
    TREND_RING ring(3);
    for (int16_t v : ring.buffer) EXPECT_EQ(v, 0);
    ring.Put(7);
    EXPECT_EQ(ring.Back(1), 0);  // never written
    for (int16_t v = 1; v <= 5; ++v) ring.Put(v);
    EXPECT_EQ(ring.count, 3);
    EXPECT_EQ(ring.Back(0), 5);
    EXPECT_EQ(ring.Back(2), 3);
}

TEST(TrendRingTest, MoveIntoAppendsOldestFirstAndEmptiesTheSource)
{
    TREND_RING in(3), shown(3);
    shown.Put(-1);
    in.MoveInto(shown);  // nothing to move
    EXPECT_EQ(shown.count, 1);
    for (int16_t v = 1; v <= 4; ++v) in.Put(v);  // keeps 2, 3, 4
    in.MoveInto(shown);
    EXPECT_TRUE(in.IsEmpty());
    EXPECT_EQ(shown.count, 3);
    EXPECT_EQ(shown.Back(0), 4);
    EXPECT_EQ(shown.Back(1), 3);
    EXPECT_EQ(shown.Back(2), 2);
}
