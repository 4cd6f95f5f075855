#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <vector>

#include "core/monitordefs.h"
#include "display/threaddraw.h"
#include "display/valuecolors.h"
#include "display/trendpixels.h"

namespace {

constexpr int W = g_i32ECGRespSpo2TrendWidth;
constexpr int H = g_i32ECGRespSpo2TrendHeight;
constexpr COLORREF kFrame = 0xD2D2D2;
constexpr WORD kNoValue = static_cast<WORD>(-100);

// A drawing thread whose two uses of the picture can run a step of the other side.
class HookedThreadDraw : public CThreadDraw {
public:
    std::function<void()> onDraw;
    std::function<void()> onCopy;

protected:
    void DrawPicture(int viewMode, int timeScale) override
    {
        if (onDraw) onDraw();
        CThreadDraw::DrawPicture(viewMode, timeScale);
    }
    void CopyPicture(CDC* pDst) override
    {
        if (onCopy) onCopy();
        CThreadDraw::CopyPicture(pDst);
    }
};

class ThreadDrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CDC screen;
        td.CreateDrawSurfaces(&screen);
        td.m_bDrawEnable = 1;
    }
    // One second of input: 125 respiration bytes, which make one trend point.
    void AddSecond(WORD hr, WORD spo2, WORD rr, BYTE resp = 0)
    {
        std::vector<BYTE> bytes(125, resp);
        td.AddData(bytes.data(), 125, rr, hr, spo2);
    }
    void AddSeconds(int n, WORD hr, WORD spo2 = 98, WORD rr = 15, BYTE resp = 0)
    {
        for (int i = 0; i < n; ++i) AddSecond(hr, spo2, rr, resp);
    }
    // One pass of the loop, then the copy the main dialog makes.
    void Show()
    {
        td.RunPass();
        ASSERT_EQ(td.BlitTo(&out.dc), 0);
    }
    COLORREF Px(int x, int y) const { return out.bmp.GetPixel(x, y); }
    int Column(int x, int y0, int y1, COLORREF c) const { return CountInColumn(out.dc, x, y0, y1, c); }
    int InRect(const CRect& r, COLORREF c) const { return CountInRect(out.dc, r, c); }
    // Each point {x, y, colour} of the copy has its colour.
    void ExpectPixels(std::initializer_list<std::tuple<int, int, COLORREF>> points) const
    {
        for (auto [x, y, colour] : points) EXPECT_EQ(Px(x, y), colour) << x << ", " << y;
    }
    bool Shows(int x, int y, int fontHeight, COLORREF colour, const std::u16string& text) const
    {
        return ShowsText(out.dc, x, y, fontHeight, colour, text);
    }

    HookedThreadDraw td;
    surfacecheck::Scratch out{CRect(0, 0, W, H), 0x000000};
};

TEST_F(ThreadDrawTest, FirstPictureIsTheRateBackgroundWithItsCaptions)
{
    ASSERT_EQ(td.BlitTo(&out.dc), 0);
    // The outline, the strip separators, and a dotted grid row of the rate strip: on, then a gap.
    ExpectPixels({{0, 100, kFrame}, {937, 100, kFrame}, {400, 264, kFrame}, {100, 74, kFrame}, {100, 149, kFrame},
                  {35, 168, kFrame}, {38, 168, 0x000000}});
    EXPECT_TRUE(Shows(10, 222, 18, kFrame, u"-75s"));
    EXPECT_TRUE(Shows(730, 222, 18, kFrame, u"-15s"));
    EXPECT_TRUE(Shows(260, 222, 32, g_crECGValue, u"75秒"));
    EXPECT_TRUE(Shows(620, 222, 32, g_crECGValue, u"呼吸率"));
    EXPECT_TRUE(Shows(0, 2, 18, g_crECGValue, u"350"));
    EXPECT_TRUE(Shows(0, 104, 18, g_crSPO2Value, u"So2"));
    EXPECT_TRUE(Shows(0, 178, 18, g_crRespValue, u"RR"));
}

TEST_F(ThreadDrawTest, CopyBeforeTheSurfacesExistCopiesNothing)
{
    CThreadDraw bare;
    out.dc.FillSolidRect(0, 0, W, H, RGB(255, 0, 0));
    EXPECT_EQ(bare.BlitTo(&out.dc), 1);
    EXPECT_EQ(Px(0, 0), RGB(255, 0, 0));
    bare.m_bDrawEnable = 1;
    std::vector<BYTE> bytes(125, 0);
    bare.AddData(bytes.data(), 125, 15, 60, 98);
    bare.RunPass();  // must not draw into surfaces that do not exist
    EXPECT_EQ(bare.BlitTo(&out.dc), 1);
}

TEST_F(ThreadDrawTest, TrendCurvesAreStepsAtTheirScaledHeights)
{
    AddSecond(100, 50, 30);   // oldest
    AddSecond(200, 90, 60);
    AddSecond(300, 100, 120);  // newest: drawn only when the next point arrives
    Show();
    // The point one back (200) is a level segment from x 935 to 924 at y 72 - 200*14/70 = 32 and
    // 31 (a 2-pixel pen); two back (100): 923..912 at y 52.
    ExpectPixels({{929, 32, g_crECGValue}, {929, 31, g_crECGValue}, {917, 52, g_crECGValue}});
    EXPECT_EQ(Column(929, 0, 74, g_crECGValue), 2);
    EXPECT_EQ(Column(917, 0, 74, g_crECGValue), 2);
    EXPECT_EQ(Column(905, 0, 74, g_crECGValue), 0);
    EXPECT_EQ(InRect(CRect(35, 9, 937, 15), g_crECGValue), 0);  // 300 lags one point
    // SpO2 90 at y 147 - 63 = 84, 50 at y 112; respiration rate 60 at y 219 - 34 = 185, 30 at 202.
    ExpectPixels({{929, 84, g_crSPO2Value}, {917, 112, g_crSPO2Value}, {929, 185, g_crRespValue},
                  {917, 202, g_crRespValue}});
}

TEST_F(ThreadDrawTest, ValuesAreClampedToTheirStrips)
{
    AddSecond(350, 100, 120);
    AddSecond(0, 0, 0);
    AddSecond(500, 120, 200);
    AddSecond(static_cast<WORD>(-5), 60, 10);
    AddSecond(60, 60, 10);
    Show();
    // Newest first: k=1 is (-5 | 60 | 10), k=2 (500, 120, 200), k=3 (0, 0, 0), k=4 (350, 100, 120).
    // Below zero sticks to the baseline; 500 to the top row, SpO2 120 and rate 200 stop at the
    // rows of 100 and 120, where k=4 draws them too.
    ExpectPixels({{929, 72, g_crECGValue}, {917, 2, g_crECGValue}, {917, 77, g_crSPO2Value}, {917, 151, g_crRespValue},
                  {905, 72, g_crECGValue}, {905, 147, g_crSPO2Value}, {893, 2, g_crECGValue},
                  {893, 77, g_crSPO2Value}, {893, 151, g_crRespValue}});
}

TEST_F(ThreadDrawTest, NoValueMarkerLeavesAGap)
{
    AddSecond(80, 95, 20);
    AddSecond(kNoValue, kNoValue, kNoValue);
    AddSecond(80, 95, 20);
    AddSecond(80, 95, 20);
    Show();
    EXPECT_EQ(Column(929, 0, 74, g_crECGValue), 2);
    EXPECT_EQ(Column(917, 0, H, g_crECGValue), 0);
    EXPECT_EQ(Column(917, 0, H, g_crSPO2Value), 0);
    EXPECT_EQ(Column(917, 0, H, g_crRespValue), 0);
    EXPECT_EQ(Column(905, 0, 74, g_crECGValue), 2);
}

TEST_F(ThreadDrawTest, TimeScaleChoosesHowMuchHistoryIsDrawn)
{
    AddSeconds(100, 60);  // y 72 - 12 = 60
    Show();
    EXPECT_EQ(Px(50, 60), g_crECGValue);        // k = 74: x 48..59
    EXPECT_EQ(Px(40, 60), 0x000000u);           // k = 75 is not drawn at 75 s
    EXPECT_EQ(Px(338, 60), g_crECGValue);

    td.SetTimeScale(1);
    AddSeconds(1, 60);
    Show();
    EXPECT_EQ(Px(338, 60), g_crECGValue);       // k = 100 at 6 pixels: x 335..340
    EXPECT_EQ(Px(332, 60), 0x000000u);          // only 101 points so far
    EXPECT_TRUE(Shows(10, 222, 18, kFrame, u"-150s"));
    EXPECT_TRUE(Shows(730, 222, 18, kFrame, u"-30s"));
    EXPECT_TRUE(Shows(260, 222, 32, g_crECGValue, u"150秒"));
    EXPECT_TRUE(Shows(620, 222, 32, g_crECGValue, u"呼吸率"));

    AddSeconds(100, 60);  // 150 points kept: the 150 s view spans the whole strip
    Show();
    EXPECT_EQ(Px(45, 60), g_crECGValue);
    td.SetTimeScale(0);
    AddSeconds(1, 60);
    Show();
    EXPECT_EQ(Px(50, 60), g_crECGValue);
    EXPECT_EQ(Px(40, 60), 0x000000u);
    EXPECT_TRUE(Shows(10, 222, 18, kFrame, u"-75s"));
}

TEST_F(ThreadDrawTest, WaveModeDrawsTheCompressedRespirationWave)
{
    td.SetViewMode(1);
    AddSeconds(2, 60, 98, 15, 255);  // a flat 255 compresses to y 155
    AddSeconds(1, 60, 98, 15, 0);    // a flat 0 to y 219
    Show();
    EXPECT_TRUE(Shows(620, 222, 32, g_crECGValue, u"呼吸波"));
    EXPECT_TRUE(Shows(0, 155, 18, g_crRespValue, u"呼吸"));
    // 75 points, newest at 935, 12/25 pixel apart: the newest 25 (0) from x 935 to 924.
    EXPECT_EQ(Px(930, 219), g_crRespValue);
    EXPECT_EQ(Px(910, 155), g_crRespValue);
    EXPECT_EQ(Column(890, 150, 221, g_crRespValue), 0);  // older than 3 s
    EXPECT_EQ(Px(35, 168), 0x000000u);  // no rate grid in wave mode
    EXPECT_EQ(InRect(CRect(36, 150, 937, 221), kFrame), 0);
}

TEST_F(ThreadDrawTest, OnlyANewTrendPointRedraws)
{
    td.SetViewMode(1);
    std::vector<BYTE> bytes(124, 255);
    td.AddData(bytes.data(), 124, 15, 60, 98);  // 24 wave points, no trend point
    Show();
    EXPECT_EQ(InRect(CRect(36, 150, 937, 221), g_crRespValue), 0);
    EXPECT_TRUE(Shows(620, 222, 32, g_crECGValue, u"呼吸率"));

    td.AddData(bytes.data(), 0, 15, 60, 98);  // n = 0 changes nothing
    Show();
    EXPECT_TRUE(Shows(620, 222, 32, g_crECGValue, u"呼吸率"));

    td.AddData(bytes.data(), 1, 15, 60, 98);  // the 125th sample completes the trend point
    Show();
    EXPECT_TRUE(Shows(620, 222, 32, g_crECGValue, u"呼吸波"));
    EXPECT_GT(InRect(CRect(36, 150, 937, 221), g_crRespValue), 0);
}

TEST_F(ThreadDrawTest, InputWaitsWhileDrawingIsDisabled)
{
    td.m_bDrawEnable = 0;
    AddSeconds(3, 200);
    Show();
    EXPECT_EQ(Column(929, 0, 74, g_crECGValue), 0);
    td.m_bDrawEnable = 1;
    Show();
    EXPECT_EQ(Px(929, 32), g_crECGValue);
    EXPECT_EQ(Px(917, 32), g_crECGValue);
}

TEST_F(ThreadDrawTest, CopyRequestedWhileDrawingIsSkipped)
{
    int copyResult = -1;
    td.onDraw = [&] { copyResult = td.BlitTo(&out.dc); };
    AddSeconds(2, 200);
    td.RunPass();
    EXPECT_EQ(copyResult, 1);
    EXPECT_EQ(Px(100, 74), 0x000000u);  // nothing was copied
    td.onDraw = nullptr;
    ASSERT_EQ(td.BlitTo(&out.dc), 0);   // the word was given back
    EXPECT_EQ(Px(929, 32), g_crECGValue);
}

TEST_F(ThreadDrawTest, DrawingPassThatFindsACopyIsRetriedLater)
{
    AddSeconds(2, 200);
    td.onCopy = [&] { td.RunPass(); };  // the thread's pass runs in the middle of the copy
    ASSERT_EQ(td.BlitTo(&out.dc), 0);
    EXPECT_EQ(Column(929, 0, 74, g_crECGValue), 0);  // the old picture
    td.onCopy = nullptr;
    Show();  // the skipped redraw is still pending
    EXPECT_EQ(Px(929, 32), g_crECGValue);
}

TEST_F(ThreadDrawTest, CopyAfterTheThreadFreedItsPictureIsSkipped)
{
    td.ExitInstance();
    out.dc.FillSolidRect(0, 0, W, H, RGB(0, 0, 255));
    EXPECT_EQ(td.BlitTo(&out.dc), 1);
    EXPECT_EQ(Px(100, 74), RGB(0, 0, 255));
    AddSeconds(2, 60);
    td.RunPass();  // nothing left to draw into
    EXPECT_EQ(td.BlitTo(&out.dc), 1);
}

}  // namespace
