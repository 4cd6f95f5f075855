#include <gtest/gtest.h>

#include "display/trendring.h"

TEST(TrendRingTest, NewRingIsEmptyAndZeroFilled)
{
    TREND_RING ring(150);
    EXPECT_TRUE(ring.IsEmpty());
    ASSERT_EQ(ring.buffer.size(), 150u);
    for (int16_t v : ring.buffer) EXPECT_EQ(v, 0);
}

TEST(TrendRingTest, BackCountsFromTheNewest)
{
    TREND_RING ring(4);
    ring.Put(10);
    ring.Put(20);
    ring.Put(30);
    EXPECT_EQ(ring.count, 3);
    EXPECT_EQ(ring.Back(0), 30);
    EXPECT_EQ(ring.Back(2), 10);
}

TEST(TrendRingTest, FullRingOverwritesTheOldestAndCountSaturates)
{
    TREND_RING ring(3);
    for (int16_t v = 1; v <= 5; ++v) ring.Put(v);
    EXPECT_EQ(ring.count, 3);
    EXPECT_EQ(ring.writeIndex, 2);
    EXPECT_EQ(ring.Back(0), 5);
    EXPECT_EQ(ring.Back(2), 3);
}

TEST(TrendRingTest, MoveIntoAppendsOldestFirstAndEmptiesTheSource)
{
    TREND_RING in(3), shown(3);
    shown.Put(-1);
    for (int16_t v = 1; v <= 4; ++v) in.Put(v);  // keeps 2, 3, 4
    in.MoveInto(shown);
    EXPECT_TRUE(in.IsEmpty());
    EXPECT_EQ(shown.count, 3);
    EXPECT_EQ(shown.Back(0), 4);
    EXPECT_EQ(shown.Back(1), 3);
    EXPECT_EQ(shown.Back(2), 2);
}

TEST(TrendRingTest, MovingAnEmptyRingChangesNothing)
{
    TREND_RING in(5), shown(5);
    shown.Put(7);
    in.MoveInto(shown);
    EXPECT_EQ(shown.count, 1);
    EXPECT_EQ(shown.Back(0), 7);
}
