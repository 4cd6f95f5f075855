#include <gtest/gtest.h>

#include "appbase/tesmorapp.h"
#include "display/ecgrespspo2trend.h"
#include "display/threaddraw.h"
#include "display/trendpixels.h"
#include "platform/fakeclock.h"
#include "platform/headlessscreen.h"

namespace {

constexpr int W = g_i32ECGRespSpo2TrendWidth;
constexpr int H = g_i32ECGRespSpo2TrendHeight;

class EcgRespSpo2TrendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        theApp.m_pThreadDraw = &thread;
        ASSERT_TRUE(view.Create(nullptr, CRect(0, 0, W, H), 123, WS_VISIBLE | SS_NOTIFY));
    }
    void TearDown() override { theApp.m_pThreadDraw = nullptr; }
    // Double-clicks each point in turn, then expects the two settings.
    void DoubleClicks(std::initializer_list<CPoint> points, int timeScale, int viewMode)
    {
        for (CPoint p : points) {
            clock.Advance(1000);
            screen.Click(p);
            screen.Click(p);
        }
        EXPECT_EQ(view.GetTimeScale(), timeScale);
        EXPECT_EQ(view.GetViewMode(), viewMode);
    }
    // The main dialog's once-a-second step: copy the picture into the view and repaint.
    void CopyAndPaint()
    {
        thread.BlitTo(&view.m_dcMem);
        view.Invalidate(TRUE);
        screen.PaintPass();
    }
    COLORREF Screen(int x, int y) { return screen.Frame().GetPixel(x, y); }

    FakeClock clock;
    CHeadlessScreen screen{W, H};
    CThreadDraw thread;
    CECGRespSpo2Trend view;
};

TEST_F(EcgRespSpo2TrendTest, CreationEnablesTheDrawingThreadButShowsBlackUntilTheFirstCopy)
{
    EXPECT_EQ(thread.m_bDrawEnable.load(), 1);
    screen.PaintPass();
    EXPECT_EQ(CountInRect(view.m_dcMem, CRect(0, 0, W, H), 0x000000), W * H);
    EXPECT_EQ(Screen(100, 74), 0x000000u);
    CopyAndPaint();
    EXPECT_EQ(Screen(100, 74), 0xD2D2D2u);
    EXPECT_EQ(Screen(0, 0), 0xD2D2D2u);
}

TEST_F(EcgRespSpo2TrendTest, ZoneBoundsAreExclusive)
{
    DoubleClicks({{260, 240}, {350, 240}, {300, 222}, {620, 240}, {710, 240}, {650, 222}, {500, 240}}, 0, 0);
}

TEST_F(EcgRespSpo2TrendTest, EachZoneTogglesItsOwnSetting)
{
    DoubleClicks({{300, 240}}, 1, 0);
    DoubleClicks({{650, 240}}, 1, 1);
    DoubleClicks({{261, 264}, {709, 223}}, 0, 0);
}

TEST_F(EcgRespSpo2TrendTest, NewModesReachThePictureWithTheNextTrendPoint)
{
    DoubleClicks({{300, 240}, {650, 240}}, 1, 1);
    thread.RunPass();
    CopyAndPaint();
    // No trend point yet: still the first background with its captions.
    EXPECT_TRUE(ShowsText(view.m_dcMem, 260, 222, 32, 0x00E100, u"75秒"));
    std::vector<BYTE> bytes(125, 128);
    thread.AddData(bytes.data(), 125, 15, 60, 98);
    thread.RunPass();
    CopyAndPaint();
    EXPECT_TRUE(ShowsText(view.m_dcMem, 260, 222, 32, 0x00E100, u"150秒"));
    EXPECT_TRUE(ShowsText(view.m_dcMem, 620, 222, 32, 0x00E100, u"呼吸波"));
    EXPECT_TRUE(ShowsText(view.m_dcMem, 10, 222, 18, 0xD2D2D2, u"-150s"));
    EXPECT_EQ(Screen(35, 168), 0x000000u);  // the wave background has no rate grid
}

}  // namespace
