#include <gtest/gtest.h>

#include <string>

#include "core/monitordefs.h"
#include "display/trendresult.h"
#include "display/valuecolors.h"
#include "display/trendpixels.h"
#include "platform/fakeclock.h"
#include "platform/headlessscreen.h"
#include "platform/textu16.h"

namespace {

constexpr int W = g_i32TrendResultWidth;
constexpr int H = g_i32TrendResultHeight;
constexpr COLORREF kText = g_crSPO2Value;
constexpr COLORREF kGrid = 0xC8640F;

TREND_RESULT_TYPE Item(int16_t id, int16_t decimals, int16_t top, int16_t bottom, const char16_t* name)
{
    TREND_RESULT_TYPE item{id, decimals, top, bottom, {}};
    U16Copy(item.name, 8, name);
    return item;
}

class TrendResultTest : public ::testing::Test {
protected:
    void Create()
    {
        ASSERT_TRUE(tile.Create(nullptr, CRect(0, 0, W, H), 0x200, WS_VISIBLE | SS_NOTIFY));
    }
    void DoubleClick()
    {
        clock.Advance(1000);
        screen.Click(CPoint(80, 50));
        screen.Click(CPoint(80, 50));
    }
    COLORREF Px(int x, int y) { return tile.GetPicture()->GetPixel(x, y); }
    // Rows in column x that carry the plot colour, inside the plot.
    int PlotPixels(int x) { return CountInColumn(*tile.GetPicture(), x, 0, H, kText); }
    int TextIn(const CRect& r) { return CountInRect(*tile.GetPicture(), r, kText); }
    bool Shows(int x, int y, const std::u16string& text)
    {
        return ShowsText(*tile.GetPicture(), x, y, 18, kText, text);
    }
    // The selected item: its name, the top of its scale, and its one newest point at row y.
    void ExpectItem(const std::u16string& name, const std::u16string& top, int y)
    {
        EXPECT_TRUE(Shows(0, 50, name));
        EXPECT_TRUE(Shows(0, 10, top));
        EXPECT_EQ(Px(61, y), kText);
        EXPECT_EQ(PlotPixels(61), 1);
    }

    FakeClock clock;
    CHeadlessScreen screen{W, H};
    CTrendResult tile{kText};
};

TEST_F(TrendResultTest, NewTileShowsCaptionScaleAndBareGrid)
{
    tile.AddItem(Item(1, 0, 300, 0, u"心律"));
    Create();
    EXPECT_TRUE(Shows(0, 10, u"300"));
    EXPECT_TRUE(Shows(0, 50, u"心律"));
    EXPECT_TRUE(Shows(0, 90, u"0"));
    // Vertical dotted lines at x 59..159 step 25 (rows 108 up to 10, every other row),
    // horizontal ones at y 109..9 step 25 (columns 60..158, every other column).
    EXPECT_EQ(Px(59, 108), kGrid);
    EXPECT_EQ(Px(59, 107), 0x000000u);
    EXPECT_EQ(Px(159, 10), kGrid);
    EXPECT_EQ(Px(60, 109), kGrid);
    EXPECT_EQ(Px(61, 109), 0x000000u);
    EXPECT_EQ(Px(158, 9), kGrid);
    EXPECT_EQ(TextIn(CRect(60, 0, W, H)), 0);
}

TEST_F(TrendResultTest, HistoryIsPlottedNewestFirstOnItsScale)
{
    tile.AddItem(Item(1, 0, 300, 0, u"心律"));
    Create();
    for (int16_t v : {400, -50, 0, 150, 300}) tile.AddValue(1, v);
    tile.Refresh();
    EXPECT_EQ(Px(61, 9), kText);    // 300 at the top
    EXPECT_EQ(Px(62, 59), kText);   // 150 half-way
    EXPECT_EQ(Px(63, 109), kText);  // 0 at the bottom
    EXPECT_EQ(Px(64, 109), kText);  // below the scale sticks to the bottom
    EXPECT_EQ(Px(65, 9), kText);    // above it to the top
    for (int x = 61; x <= 65; ++x) EXPECT_EQ(PlotPixels(x), 1) << x;
    EXPECT_EQ(PlotPixels(66), 0);
}

TEST_F(TrendResultTest, NoValueMarkerLeavesAGap)
{
    tile.AddItem(Item(1, 0, 300, 0, u"心律"));
    tile.AddItem(Item(2, 2, 100, -100, u"ST"));
    Create();
    tile.AddValue(1, 150);
    tile.AddValue(1, g_i16InvalidHr);
    tile.AddValue(2, -100);             // a valid ST value: the bottom of its scale
    tile.AddValue(2, g_i16InvalidSt);
    tile.Refresh();
    EXPECT_EQ(PlotPixels(61), 0);
    EXPECT_EQ(Px(62, 59), kText);
    DoubleClick();
    ASSERT_EQ(tile.GetSel(), 1);
    EXPECT_EQ(PlotPixels(61), 0);
    EXPECT_EQ(Px(62, 109), kText);
}

TEST_F(TrendResultTest, RingKeepsTheLastHundredValues)
{
    tile.AddItem(Item(7, 0, 100, 0, u"饱和度"));
    Create();
    for (int i = 0; i < 30; ++i) tile.AddValue(7, 50);
    tile.Refresh();
    EXPECT_EQ(PlotPixels(90), 1);
    EXPECT_EQ(PlotPixels(91), 0);

    tile.AddValue(7, 100);
    for (int i = 0; i < 98; ++i) tile.AddValue(7, 0);
    tile.Refresh();  // the 100 is the 99th newest, at x 159; the oldest kept 50 falls on x 160
    EXPECT_EQ(TextIn(CRect(61, 0, W, H)), 99);
    EXPECT_EQ(Px(159, 9), kText);
    tile.AddValue(7, 0);  // the 50 is overwritten and the 100 moves off the tile
    tile.Refresh();
    EXPECT_EQ(Px(159, 9), 0x000000u);
    EXPECT_EQ(Px(159, 109), kText);
    EXPECT_EQ(TextIn(CRect(61, 0, W, 100)), 0);
}

TEST_F(TrendResultTest, DoubleClickSwitchesCaptionAndHistory)
{
    tile.AddItem(Item(7, 0, 100, 0, u"饱和度"));
    tile.AddItem(Item(8, 0, 300, 0, u"脉率"));
    Create();
    tile.AddValue(7, 100);
    tile.AddValue(8, 150);
    tile.AddValue(99, 10);  // no item has this id
    tile.Refresh();
    ExpectItem(u"饱和度", u"100", 9);
    DoubleClick();
    EXPECT_EQ(tile.GetSel(), 1);
    ExpectItem(u"脉率", u"300", 59);
    DoubleClick();
    EXPECT_EQ(tile.GetSel(), 0);
    ExpectItem(u"饱和度", u"100", 9);
}

TEST_F(TrendResultTest, ScaleLabelsFollowTheDecimals)
{
    tile.AddItem(Item(9, 1, 420, 340, u"体温"));
    tile.AddItem(Item(2, 2, 100, -100, u"ST"));
    tile.AddItem(Item(3, 5, 20, 0, u"PVC"));
    Create();
    EXPECT_TRUE(Shows(0, 10, u"42.0"));
    EXPECT_TRUE(Shows(0, 90, u"34.0"));
    DoubleClick();
    EXPECT_TRUE(Shows(0, 10, u"1.00"));
    EXPECT_TRUE(Shows(0, 90, u"-1.00"));
    DoubleClick();  // unknown decimals: the name only
    EXPECT_TRUE(Shows(0, 50, u"PVC"));
    EXPECT_EQ(TextIn(CRect(0, 0, 59, 40)), 0);
    EXPECT_EQ(TextIn(CRect(0, 80, 59, H)), 0);
}

TEST_F(TrendResultTest, NinthItemDropsTheFirstAndHistoriesMoveWithTheirItems)
{
    for (int16_t id = 1; id <= 8; ++id) tile.AddItem(Item(id, 0, 100, 0, u"X"));
    for (int16_t id = 1; id <= 8; ++id) tile.AddValue(id, static_cast<int16_t>(id * 10));
    tile.AddItem(Item(9, 0, 100, 0, u"新"));
    Create();
    EXPECT_EQ(tile.GetItemCount(), 8);
    // Position 0 now holds id 2 with its own value 20 (row 109 - 20).
    EXPECT_EQ(Px(61, 89), kText);
    EXPECT_EQ(PlotPixels(61), 1);
    tile.AddValue(1, 77);  // the dropped id is gone
    for (int i = 0; i < 7; ++i) DoubleClick();
    ASSERT_EQ(tile.GetSel(), 7);
    EXPECT_TRUE(Shows(0, 50, u"新"));
    EXPECT_EQ(PlotPixels(61), 0);  // the new item starts without history
    tile.AddValue(9, 90);
    tile.Refresh();
    EXPECT_EQ(Px(61, 19), kText);
}

TEST_F(TrendResultTest, DoubleClickOnAnEmptyTileChangesNothing)
{
    Create();
    DoubleClick();
    EXPECT_EQ(tile.GetSel(), 0);
    EXPECT_EQ(Px(59, 108), kGrid);
    EXPECT_EQ(TextIn(CRect(0, 0, 59, H)), 0);
}

TEST_F(TrendResultTest, NarrowScalesPlotWithoutDividingByZero)
{
    tile.AddItem(Item(10, 0, 2, 0, u"窄"));
    tile.AddItem(Item(6, 0, 5, 5, u"平"));
    Create();
    for (int16_t v : {0, 1, 2}) tile.AddValue(10, v);
    for (int16_t v : {4, 5, 6}) tile.AddValue(6, v);
    tile.Refresh();
    EXPECT_EQ(Px(61, 9), kText);
    EXPECT_EQ(Px(62, 59), kText);
    EXPECT_EQ(Px(63, 109), kText);
    DoubleClick();
    EXPECT_EQ(Px(61, 9), kText);    // above a scale without span: the top
    EXPECT_EQ(Px(62, 109), kText);  // on it or below: the bottom
    EXPECT_EQ(Px(63, 109), kText);
}

TEST(TrendResultLevelTest, PlotLevelMarksQuartersOfTheScale)
{
    EXPECT_EQ(CTrendResult::PlotLevel(0, 300, 0), 0);
    EXPECT_EQ(CTrendResult::PlotLevel(75, 300, 0), 25);
    EXPECT_EQ(CTrendResult::PlotLevel(300, 300, 0), 100);
    EXPECT_EQ(CTrendResult::PlotLevel(380, 420, 340), 50);
    EXPECT_EQ(CTrendResult::PlotLevel(-50, 100, -100), 25);
    EXPECT_EQ(CTrendResult::PlotLevel(-32768, 100, -100), 0);
    EXPECT_EQ(CTrendResult::PlotLevel(32767, 100, -100), 100);
    EXPECT_EQ(CTrendResult::InvalidValueOf(2), g_i16InvalidSt);
    EXPECT_EQ(CTrendResult::InvalidValueOf(9), g_i16InvalidTemp);
}

}  // namespace
