#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

#include "platform/dc.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class DcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bmp.CreateBitmap(40, 30);
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(&bmp);
    }
    int CountColor(COLORREF c) const
    {
        int n = 0;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x) n += bmp.GetPixel(x, y) == c;
        return n;
    }
    void Line(CPen& pen, int x0, int y0, int x1, int y1)
    {
        CPen* old = dc.SelectObject(&pen);
        dc.MoveTo(x0, y0);
        dc.LineTo(x1, y1);
        dc.SelectObject(old);
    }
    // A 10 x 10 red picture to copy from.
    static void MakeRedSource(CBitmap& picture, CDC& src)
    {
        picture.CreateBitmap(10, 10);
        src.CreateCompatibleDC(nullptr);
        src.SelectObject(&picture);
        src.FillSolidRect(CRect(0, 0, 10, 10), kRed);
    }
    CBitmap bmp;
    CDC dc;
};

TEST_F(DcTest, LineLeavesOutItsEndPoint)
{
    CPen pen(PS_SOLID, 1, kRed);
    Line(pen, 2, 5, 10, 5);
    for (int x = 2; x < 10; ++x) EXPECT_EQ(bmp.GetPixel(x, 5), kRed) << x;
    EXPECT_EQ(bmp.GetPixel(10, 5), 0u);
    EXPECT_EQ(bmp.GetPixel(1, 5), 0u);
    EXPECT_EQ(CountColor(kRed), 8);
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(10, 5));
}

TEST_F(DcTest, DotIsAOnePixelLineAndZeroLengthDrawsNothing)
{
    CPen pen(PS_SOLID, 1, kRed);
    Line(pen, 3, 4, 3, 5);
    Line(pen, 7, 7, 7, 7);
    EXPECT_EQ(bmp.GetPixel(3, 4), kRed);
    EXPECT_EQ(CountColor(kRed), 1);
}

TEST_F(DcTest, DiagonalAndSteepLinesTouchOnePixelPerStep)
{
    CPen pen(PS_SOLID, 1, kRed);
    Line(pen, 0, 0, 10, 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(bmp.GetPixel(i, i), kRed);
    EXPECT_EQ(CountColor(kRed), 10);
    dc.FillSolidRect(CRect(0, 0, 40, 30), 0);
    Line(pen, 5, 20, 7, 2);  // upward, steep: one pixel per row
    EXPECT_EQ(CountColor(kRed), 18);
    EXPECT_EQ(bmp.GetPixel(5, 20), kRed);
    EXPECT_EQ(bmp.GetPixel(7, 2), 0u);
}

TEST_F(DcTest, DottedPenRunsWithOpaqueGapsInBackgroundColour)
{
    CPen dot(PS_DOT, 1, kRed);
    dc.SetBkColor(kBlue);
    Line(dot, 0, 3, 12, 3);
    for (int x = 0; x < 12; ++x) {
        bool on = (x / CPen::kDotRun) % 2 == 0;
        EXPECT_EQ(bmp.GetPixel(x, 3), on ? kRed : kBlue) << x;
    }
    EXPECT_EQ(bmp.GetPixel(12, 3), 0u);
}

TEST_F(DcTest, DottedPenLeavesGapsUntouchedWhenTransparent)
{
    CPen dot(PS_DOT, 1, kRed);
    dc.SetBkColor(kBlue);
    dc.SetBkMode(TRANSPARENT);
    Line(dot, 0, 3, 12, 3);
    EXPECT_EQ(CountColor(kRed), 6);
    EXPECT_EQ(CountColor(kBlue), 0);
    EXPECT_EQ(bmp.GetPixel(CPen::kDotRun, 3), 0u);
}

TEST_F(DcTest, TwoPixelPenDrawsTwoRowsAndTwoColumns)
{
    CPen wide(PS_SOLID, 2, kRed);
    Line(wide, 5, 10, 15, 10);
    EXPECT_EQ(CountColor(kRed), 20);
    EXPECT_EQ(bmp.GetPixel(5, 10), kRed);
    EXPECT_EQ(bmp.GetPixel(5, 9), kRed);
    EXPECT_EQ(bmp.GetPixel(4, 9), 0u);
    EXPECT_EQ(bmp.GetPixel(14, 10), kRed);
    EXPECT_EQ(bmp.GetPixel(15, 10), 0u);
    dc.FillSolidRect(CRect(0, 0, 40, 30), 0);
    Line(wide, 20, 2, 20, 6);
    EXPECT_EQ(CountColor(kRed), 8);
    EXPECT_EQ(bmp.GetPixel(19, 5), kRed);
}

TEST_F(DcTest, FillSolidRectFillsAndSetsBackgroundColour)
{
    dc.FillSolidRect(CRect(2, 3, 6, 5), kBlue);
    EXPECT_EQ(dc.GetBkColor(), kBlue);
    EXPECT_EQ(CountColor(kBlue), 8);
    EXPECT_EQ(bmp.GetPixel(5, 4), kBlue);
    EXPECT_EQ(bmp.GetPixel(6, 4), 0u);
    dc.FillSolidRect(10, 10, 2, 3, kRed);
    EXPECT_EQ(CountColor(kRed), 6);
    EXPECT_EQ(dc.GetBkColor(), kRed);
}

TEST_F(DcTest, FillRectUsesTheBrushAndKeepsBackgroundColour)
{
    CBrush brush(kRed);
    dc.SetBkColor(kBlue);
    CRect r(0, 0, 3, 3);
    dc.FillRect(&r, &brush);
    EXPECT_EQ(CountColor(kRed), 9);
    EXPECT_EQ(dc.GetBkColor(), kBlue);
}

TEST_F(DcTest, FarOffAndNegativeCoordinatesAreClipped)
{
    CPen pen(PS_SOLID, 2, kRed);
    Line(pen, -1000000000, 10, 1000000000, 10);
    EXPECT_EQ(CountColor(kRed), 80);  // two full rows
    Line(pen, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    Line(pen, -50, -50, -10, -10);  // entirely outside
    dc.FillSolidRect(CRect(-100000, -100000, 100000, 2), kBlue);
    EXPECT_EQ(CountColor(kBlue), 80);
    EXPECT_EQ(dc.SetPixel(-1, 0, kRed), CLR_INVALID);
    EXPECT_EQ(dc.SetPixel(40, 0, kRed), CLR_INVALID);
    EXPECT_EQ(dc.GetPixel(0, 30), CLR_INVALID);
    dc.FillSolidRect(INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX, kWhite);
    EXPECT_EQ(CountColor(kWhite), 0);
}

TEST_F(DcTest, SetPixelAndGetPixelAgree)
{
    EXPECT_EQ(dc.SetPixel(39, 29, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(dc.GetPixel(39, 29), RGB(1, 2, 3));
    EXPECT_EQ(bmp.Bits()[29 * 40 + 39], 0x010203u);  // stored as 0x00RRGGBB
}

TEST_F(DcTest, NothingIsDrawnWithoutABitmap)
{
    CDC empty;
    empty.CreateCompatibleDC(nullptr);
    empty.FillSolidRect(CRect(0, 0, 10, 10), kRed);
    empty.MoveTo(0, 0);
    EXPECT_TRUE(empty.LineTo(5, 5));
    EXPECT_EQ(empty.GetPixel(0, 0), CLR_INVALID);
}

TEST_F(DcTest, BitBltCopiesAndClipsAtBothEnds)
{
    CBitmap srcBmp;
    CDC src;
    MakeRedSource(srcBmp, src);
    src.SetPixel(0, 0, kBlue);
    // Destination overhangs the right edge, source reads past its own right/bottom edge.
    EXPECT_TRUE(dc.BitBlt(35, 25, 20, 20, &src, 0, 0, SRCCOPY));
    EXPECT_EQ(CountColor(kRed) + CountColor(kBlue), 5 * 5);
    EXPECT_EQ(bmp.GetPixel(35, 25), kBlue);
    dc.FillSolidRect(CRect(0, 0, 40, 30), 0);
    // Negative source and destination positions: source columns -2..7 land on -3..6; only
    // source 1..7 (on 0..6) exist on both sides.
    dc.BitBlt(-3, 0, 10, 10, &src, -2, 0, SRCCOPY);
    EXPECT_EQ(CountColor(kRed) + CountColor(kBlue), 7 * 10);
    EXPECT_EQ(bmp.GetPixel(0, 0), kRed);
    EXPECT_EQ(bmp.GetPixel(6, 9), kRed);
    EXPECT_EQ(bmp.GetPixel(7, 0), 0u);
    EXPECT_FALSE(dc.BitBlt(0, 0, 5, 5, &src, 0, 0, 0x00EE0086));
}

TEST_F(DcTest, BitBltWithinOneBitmapHandlesOverlap)
{
    for (int y = 0; y < 30; ++y) dc.SetPixel(0, y, RGB(y, 0, 0));
    dc.BitBlt(0, 1, 1, 29, &dc, 0, 0, SRCCOPY);
    for (int y = 1; y < 30; ++y) EXPECT_EQ(dc.GetPixel(0, y), RGB(y - 1, 0, 0));
}

// Every primitive reports what it wrote: a changed pixel outside the bounds never reaches the
// display. Drawn through a window-style target whose clip cuts into each primitive.
TEST_F(DcTest, WrittenBoundsHoldEveryChangedPixelAndStayInsideTheClip)
{
    CBitmap srcBmp;
    CDC src;
    MakeRedSource(srcBmp, src);
    CPen wide(PS_SOLID, 2, kBlue);
    CPen dotted(PS_DOT, 1, kWhite);
    const CRect clip(6, 4, 30, 24);
    std::vector<std::function<void(CDC&)>> draws = {
        [](CDC& d) { d.FillSolidRect(CRect(-5, -5, 3, 30), kRed); },
        [&](CDC& d) { d.SelectObject(&wide); d.MoveTo(-3, 25); d.LineTo(12, 2); },
        [&](CDC& d) { d.SelectObject(&dotted); d.MoveTo(2, 7); d.LineTo(40, 9); },
        [](CDC& d) { d.SetPixel(20, 10, kWhite); },
        [](CDC& d) { d.SetBkMode(TRANSPARENT); d.SetTextColor(kWhite); d.TextOut(10, 2, u"88"); },
        [&](CDC& d) { d.BitBlt(18, 12, 10, 10, &src, 0, 0); },
    };
    for (size_t i = 0; i < draws.size(); ++i) {
        dc.FillSolidRect(CRect(0, 0, 40, 30), 0);
        std::vector<uint32_t> before(bmp.Bits(), bmp.Bits() + 40 * 30);
        CDC window;
        window.AttachTarget(bmp, CPoint(4, 2), clip);
        EXPECT_TRUE(window.WrittenBounds().IsRectEmpty());
        draws[i](window);
        CRect bounds = window.WrittenBounds();
        CRect changed;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                if (bmp.Bits()[y * 40 + x] != before[static_cast<size_t>(y * 40 + x)]) changed.UnionRect(changed, CRect(x, y, x + 1, y + 1));
        EXPECT_FALSE(changed.IsRectEmpty()) << "draw " << i;
        CRect inside;
        inside.IntersectRect(changed, bounds);
        EXPECT_EQ(inside, changed) << "draw " << i;
        inside.IntersectRect(bounds, clip);
        EXPECT_EQ(inside, bounds) << "draw " << i;
    }
}

TEST_F(DcTest, SaveAndRestoreBringBackObjectsAndColours)
{
    CPen pen(PS_SOLID, 1, kRed);
    CPen* stock = dc.GetCurrentPen();
    int saved = dc.SaveDC();
    dc.SelectObject(&pen);
    dc.SetTextColor(kRed);
    dc.SetBkMode(TRANSPARENT);
    dc.MoveTo(3, 3);
    EXPECT_TRUE(dc.RestoreDC(saved));
    EXPECT_EQ(dc.GetCurrentPen(), stock);
    EXPECT_EQ(dc.GetTextColor(), 0u);
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(0, 0));
    EXPECT_FALSE(dc.RestoreDC(-1));
}

TEST_F(DcTest, SelectReturnsThePreviousObjectAndKeepsPenAttributes)
{
    auto pen = std::make_unique<CPen>(PS_SOLID, 1, kRed);
    CPen* first = dc.SelectObject(pen.get());
    EXPECT_EQ(first, CPen::StockBlack());
    EXPECT_EQ(dc.SelectObject(first), pen.get());
    dc.SelectObject(pen.get());
    pen.reset();  // a pen that goes while selected leaves nothing dangling
    dc.MoveTo(0, 0);
    dc.LineTo(3, 0);
    EXPECT_EQ(CountColor(kRed), 3);
    CPen deleted;
    EXPECT_EQ(dc.SelectObject(&deleted), nullptr);
}

TEST_F(DcTest, DeviceCapsReport96Dpi) { EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 96); }

}  // namespace
