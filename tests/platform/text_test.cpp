#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/dc.h"
#include "platform/glyphcache.h"
#include "platform/textlayout.h"

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class TextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bmp.CreateBitmap(320, 80);
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(&bmp);
        dc.FillSolidRect(CRect(0, 0, 320, 80), 0);
    }
    void UseFont(int height)
    {
        font = std::make_unique<CFont>();
        ASSERT_TRUE(font->CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, u"宋体"));
        dc.SelectObject(font.get());
    }
    // Columns and rows that hold anything other than black.
    CRect InkBounds() const
    {
        CRect r(bmp.Width(), bmp.Height(), -1, -1);
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x)
                if (bmp.GetPixel(x, y) != 0) {
                    r.left = std::min(r.left, x);
                    r.top = std::min(r.top, y);
                    r.right = std::max(r.right, x + 1);
                    r.bottom = std::max(r.bottom, y + 1);
                }
        return r;
    }
    std::vector<uint32_t> Pixels() const { return std::vector<uint32_t>(bmp.Bits(), bmp.Bits() + 320 * 80); }
    CBitmap bmp;
    CDC dc;
    std::unique_ptr<CFont> font;
};

TEST_F(TextTest, CellsAreHalfWidthForAsciiAndFullWidthForChinese)
{
    for (int h : {12, 16, 20, 24, 32, 48}) {
        UseFont(h);
        EXPECT_EQ(dc.GetTextExtent(u"HR 120"), CSize(6 * (h / 2), h)) << h;
        EXPECT_EQ(dc.GetTextExtent(u"监护仪开机"), CSize(5 * h, h)) << h;
        EXPECT_EQ(dc.GetTextExtent(u"呼吸RR"), CSize(2 * h + 2 * (h / 2), h)) << h;
        TEXTMETRIC tm;
        ASSERT_TRUE(dc.GetTextMetrics(&tm));
        EXPECT_EQ(tm.tmHeight, h);
        EXPECT_EQ(tm.tmAscent + tm.tmDescent, h);
    }
}

TEST_F(TextTest, NegativeHeightAndPointSizesGiveTheCellHeight)
{
    CFont em;
    em.CreateFont(-24, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0x20, u"宋体");
    EXPECT_EQ(em.CellHeight(), 24);
    CFont points;
    ASSERT_TRUE(points.CreatePointFont(160, u"宋体"));
    EXPECT_EQ(points.CellHeight(), 21);  // 16 pt at 96 dpi
    LOGFONT lf;
    ASSERT_GT(points.GetLogFont(&lf), 0);
    EXPECT_EQ(lf.lfHeight, -21);
    CFont bad;
    EXPECT_FALSE(bad.CreatePointFont(160, u""));
    EXPECT_FALSE(bad.CreatePointFont(160, u"a face name far longer than thirty-one characters"));
    EXPECT_FALSE(bad.IsValid());
}

TEST_F(TextTest, SongFaceIsServedByAChineseFace)
{
    int face = CGlyphCache::Instance().FaceFor(u"宋体");
    EXPECT_TRUE(CGlyphCache::Instance().FaceHasChinese(face));
    EXPECT_NE(CGlyphCache::Instance().FaceFile(face).find("uming"), std::string::npos);
}

TEST_F(TextTest, GlyphsStayInsideTheirCellsOnACommonBaseline)
{
    UseFont(32);
    dc.SetTextColor(kGreen);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(10, 20, u"监");
    CRect ink = InkBounds();
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 42);
    EXPECT_GE(ink.top, 20);
    EXPECT_LE(ink.bottom, 52);
    EXPECT_GT(ink.Width(), 20);  // a real glyph, not an empty box
    dc.FillSolidRect(CRect(0, 0, 320, 80), 0);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(10, 20, u"_");
    CRect underscore = InkBounds();
    dc.FillSolidRect(CRect(0, 0, 320, 80), 0);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(10, 20, u"_监");  // the second character does not move the first
    EXPECT_EQ(InkBounds().left, underscore.left);
    EXPECT_GE(InkBounds().bottom, underscore.bottom);
}

TEST_F(TextTest, SmallSizesUseCrispStrikesAndLargeSizesAreAntialiased)
{
    auto colours = [&] {
        std::set<uint32_t> seen(bmp.Bits(), bmp.Bits() + 320 * 80);
        return seen.size();
    };
    UseFont(16);
    dc.SetTextColor(RGB(255, 255, 255));
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(0, 0, u"监护仪开机");
    EXPECT_EQ(colours(), 2u);  // 1-bit strikes: text and background only
    dc.FillSolidRect(CRect(0, 0, 320, 80), 0);
    dc.SetBkMode(TRANSPARENT);
    UseFont(48);
    dc.TextOut(0, 0, u"监护仪开机");
    EXPECT_GT(colours(), 10u);
}

TEST_F(TextTest, ItalicSlantsTheGlyphInsideItsCell)
{
    UseFont(32);
    dc.SetTextColor(kGreen);
    dc.TextOut(0, 0, u"I");
    std::vector<uint32_t> upright = Pixels();
    CFont italic;
    ASSERT_TRUE(italic.CreateFont(32, 0, 0, 0, FW_NORMAL, TRUE, 0, 0, 0, 0, 0, 0, 0x20, u"宋体"));
    dc.SelectObject(&italic);
    dc.FillSolidRect(CRect(0, 0, 320, 80), 0);
    dc.TextOut(0, 0, u"I");
    EXPECT_NE(Pixels(), upright);
    dc.SetBkColor(kBlue);
    dc.TextOut(0, 0, u"I");
    EXPECT_EQ(InkBounds(), CRect(0, 0, 16, 32));  // the opaque cell, nothing outside it
}

TEST_F(TextTest, TheSameStringDrawsTheSamePixels)
{
    UseFont(24);
    dc.SetTextColor(kGreen);
    dc.TextOut(3, 5, u"心率 HR 72");
    std::vector<uint32_t> first = Pixels();
    dc.FillSolidRect(CRect(0, 0, 320, 80), 0);
    dc.SetTextColor(kGreen);
    dc.TextOut(3, 5, u"心率 HR 72");
    EXPECT_EQ(Pixels(), first);
}

TEST_F(TextTest, OpaqueModeFillsTheCellsAndTransparentModeDoesNot)
{
    UseFont(20);
    dc.SetTextColor(kGreen);
    dc.SetBkColor(kBlue);
    dc.SetBkMode(OPAQUE);
    dc.TextOut(10, 10, u"I 心");
    EXPECT_EQ(InkBounds(), CRect(10, 10, 10 + 10 + 10 + 20, 30));
    EXPECT_EQ(bmp.GetPixel(10 + 10, 10), kBlue);  // the space cell
    dc.FillSolidRect(CRect(0, 0, 320, 80), 0);
    dc.SetBkColor(kBlue);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(10, 10, u"I 心");
    EXPECT_EQ(bmp.GetPixel(10 + 10, 10), 0u);
    for (int i = 0; i < 320 * 80; ++i) ASSERT_NE(bmp.Bits()[i], PixelFromColor(kBlue));
}

TEST_F(TextTest, DrawTextClipsToItsRectangleAndAligns)
{
    UseFont(16);
    dc.SetTextColor(kGreen);
    dc.SetBkColor(kBlue);
    CRect box(10, 10, 30, 20);
    dc.DrawText(u"ABCDEFGH", -1, &box, DT_LEFT | DT_TOP);
    EXPECT_EQ(InkBounds(), CRect(10, 10, 30, 20));
    dc.FillSolidRect(CRect(0, 0, 320, 80), 0);
    dc.SetBkColor(kBlue);
    CRect wide(0, 0, 100, 40);
    dc.DrawText(u"AB", -1, &wide, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EXPECT_EQ(InkBounds(), CRect(42, 12, 58, 28));
    dc.FillSolidRect(CRect(0, 0, 320, 80), 0);
    dc.SetBkColor(kBlue);
    dc.DrawText(u"AB", -1, &wide, DT_RIGHT);
    EXPECT_EQ(InkBounds(), CRect(84, 0, 100, 16));
}

TEST_F(TextTest, WordBreakAndTabsLayOutLines)
{
    UseFont(16);
    CRect box(0, 0, 48, 0);
    int h = dc.DrawText(u"ab cd ef", -1, &box, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(h, 32);  // "ab cd" (40 px) then "ef"
    EXPECT_EQ(box, CRect(0, 0, 40, 32));
    CRect lines(0, 0, 200, 0);
    EXPECT_EQ(dc.DrawText(u"one\r\ntwo\nthree", -1, &lines, DT_CALCRECT), 48);
    CRect tabs(0, 0, 200, 0);
    dc.DrawText(u"a\tb", -1, &tabs, DT_EXPANDTABS | DT_CALCRECT);
    EXPECT_EQ(tabs.Width(), 8 * 8 + 8);  // tab stop at eight half-width cells
    CRect chinese(0, 0, 40, 0);
    EXPECT_EQ(dc.DrawText(u"监护仪开机", -1, &chinese, DT_WORDBREAK | DT_CALCRECT), 48);
    // A line exactly as wide as the rectangle stays whole.
    CRect exact(0, 0, 40, 0);
    EXPECT_EQ(dc.DrawText(u"ab cd", -1, &exact, DT_WORDBREAK | DT_CALCRECT), 16);
    CRect exactChinese(0, 0, 48, 0);
    EXPECT_EQ(dc.DrawText(u"监护仪开机", -1, &exactChinese, DT_WORDBREAK | DT_CALCRECT), 32);
}

// The lines of word-broken text in 16 px cells (8 px half-width, 16 px full-width).
TEST(TextLayoutTest, WordBreakAfterFullWidthCharactersAndSpacesThatStartNoLine)
{
    struct Case {
        const char16_t* text;
        int width;
        std::vector<std::u16string> lines;
    };
    const Case cases[] = {
        {u"监护abcdef", 56, {u"监护", u"abcdef"}},  // the word moves whole to the next line
        {u"abcd ef", 32, {u"abcd", u"ef"}},  // the space that does not fit is dropped
        {u"ab   cd", 24, {u"ab", u"cd"}},
    };
    for (const Case& c : cases) {
        const std::u16string text = c.text;
        std::vector<std::u16string> got;
        const int count = static_cast<int>(text.size());
        for (const TextLine& line : CTextLayout::Lines(text.data(), count, 16, c.width, false, false))
            got.push_back(text.substr(static_cast<size_t>(line.start), static_cast<size_t>(line.length)));
        EXPECT_EQ(got, c.lines) << "width " << c.width;
    }
}

TEST_F(TextTest, TextOutsideTheBitmapIsClipped)
{
    UseFont(32);
    dc.SetBkColor(kBlue);
    dc.TextOut(-1000000000, -1000000000, u"监护仪");
    dc.TextOut(310, 70, u"监护仪");
    dc.TextOut(2147483600, 0, u"监护仪");
    EXPECT_EQ(InkBounds(), CRect(310, 70, 320, 80));
}

}  // namespace
