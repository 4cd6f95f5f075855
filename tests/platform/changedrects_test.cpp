#include <gtest/gtest.h>

#include <vector>

#include "platform/changedrects.h"

namespace {

TEST(ChangedRectsTest, MergesNeighboursKeepsDistantOrIllFittingOnesApartAndCollapsesPastTheCap)
{
    CChangedRects list;
    list.Add(CRect());
    EXPECT_TRUE(list.Rects().empty());
    // Two strips of a sweep, a few pixels apart: one rectangle.
    list.Add(CRect(100, 60, 111, 420));
    list.Add(CRect(114, 60, 125, 420));
    EXPECT_EQ(list.Rects(), std::vector<CRect>{CRect(100, 60, 125, 420)});
    // Far away: a second rectangle.
    list.Add(CRect(500, 420, 510, 660));
    EXPECT_EQ(list.Rects().size(), 2u);
    // Touching, but their bounding box would be mostly unchanged pixels: kept apart.
    list.Clear();
    list.Add(CRect(0, 0, 1280, 60));
    list.Add(CRect(940, 60, 1280, 743));
    EXPECT_EQ(list.Rects().size(), 2u);
    // A rectangle that bridges two others merges all three.
    list.Clear();
    list.Add(CRect(0, 0, 10, 10));
    list.Add(CRect(30, 0, 40, 10));
    list.Add(CRect(12, 0, 28, 10));
    EXPECT_EQ(list.Rects(), std::vector<CRect>{CRect(0, 0, 40, 10)});
    // Past the cap: the bounding box of everything.
    list.Clear();
    for (size_t i = 0; i <= CChangedRects::kMaxRects; ++i) list.Add(CRect(static_cast<int>(i) * 50, 0, static_cast<int>(i) * 50 + 2, 2));
    EXPECT_EQ(list.Rects(), std::vector<CRect>{CRect(0, 0, static_cast<int>(CChangedRects::kMaxRects) * 50 + 2, 2)});
}

}  // namespace
