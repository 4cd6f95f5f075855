#include <gtest/gtest.h>

#include "display/ecgstwave.h"
#include "display/trendpixels.h"

namespace {

constexpr COLORREF kIso = RGB(255, 128, 0);
constexpr COLORREF kSt = RGB(61, 89, 171);
constexpr COLORREF kGreen = RGB(0, 255, 0);

class EcgStWaveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.SetScaleDivisor(820);
        ASSERT_TRUE(view.Create(nullptr, CRect(5, 5, 296, 305), 123, WS_VISIBLE | SS_NOTIFY));
    }
    void Draw(int st, int iso)
    {
        view.SetMeasurePoints(st, iso);
        view.DrawTemplate();
    }
    const CDC& Pic() { return *view.GetPicture(); }
    // The columns that hold colour c in row y.
    std::vector<int> ColumnsOf(COLORREF c, int y = 150)
    {
        std::vector<int> cols;
        for (int x = 0; x < 291; ++x)
            if (Pic().GetPixel(x, y) == c) cols.push_back(x);
        return cols;
    }
    // The ISO and ST lines stand alone in their columns.
    void ExpectLines(int iso, int st)
    {
        EXPECT_EQ(ColumnsOf(kIso), std::vector<int>{iso});
        EXPECT_EQ(ColumnsOf(kSt), std::vector<int>{st});
    }
    bool CaptionsShown()
    {
        return ShowsText(Pic(), 0, 64, 20, kGreen, u"I") && ShowsText(Pic(), 0, 216, 20, kGreen, u"II");
    }

    CECGSTWave view{291, 300, 0};
};

TEST_F(EcgStWaveTest, CaptionsSitAtTheTwoBaselines)
{
    EXPECT_EQ(view.GetBaseline1(), 74);
    EXPECT_EQ(view.GetBaseline2(), 226);
    EXPECT_EQ(view.GetScaleDivisor(), 820);
    EXPECT_TRUE(CaptionsShown());
    EXPECT_TRUE(ColumnsOf(kIso).empty());  // nothing before the first DrawTemplate
}

TEST_F(EcgStWaveTest, DefaultPointsDrawFullHeightLinesEitherSideOfTheReference)
{
    view.DrawTemplate();
    ExpectLines(149, 185);
    EXPECT_EQ(CountInColumn(Pic(), 149, 0, 300, kIso), 300);
    EXPECT_EQ(CountInColumn(Pic(), 185, 0, 300, kSt), 300);
}

TEST_F(EcgStWaveTest, OffsetsFollowTheSignAndAreClamped)
{
    Draw(500, 500);
    ExpectLines(41, 289);
    Draw(-8, 3);
    ExpectLines(165, 163);
    Draw(80, -8);
    EXPECT_EQ(ColumnsOf(kIso), std::vector<int>{167});
    // Far negative points stay inside the drawing area instead of reaching the captions or
    // leaving the picture.
    Draw(-5000, -5000);
    ExpectLines(289, 41);
    EXPECT_TRUE(CaptionsShown());
}

TEST_F(EcgStWaveTest, StoringPointsDoesNotRedrawAndRedrawingLeavesTwoLines)
{
    view.DrawTemplate();
    view.SetMeasurePoints(200, 200);
    EXPECT_EQ(ColumnsOf(kIso), std::vector<int>{149});
    for (int i = 0; i < 3; ++i) view.DrawTemplate();
    ExpectLines(115, 215);
    EXPECT_EQ(CountInRect(Pic(), CRect(40, 0, 291, 300), kIso), 300);
    EXPECT_EQ(CountInRect(Pic(), CRect(40, 0, 291, 300), kSt), 300);
    EXPECT_TRUE(CaptionsShown());
}

}  // namespace
