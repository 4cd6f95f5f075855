#include <gtest/gtest.h>

#include "display/colortext_static.h"
#include "recordingparent.h"
#include "surfacecheck.h"

using namespace surfacecheck;

namespace {

class ColorTextTest : public ::testing::Test {
protected:
    void Create() { label.Create(u"PLETH", 0x50000000, CRect(10, 460, 70, 480), &parent, 0x10202); }
    // The bottom-right pixel of the label painted into a fresh picture.
    COLORREF PaintedCorner()
    {
        CBitmap painted;
        PaintInto(label, painted);
        return painted.GetPixel(59, 19);
    }
    RecordingParent parent;
    CColorText_Static label;
};

TEST_F(ColorTextTest, TextAndBackgroundInTheLabelsOwnColours)
{
    label.SetTextColor(0xFFCD80);  // before the window exists: stored, nothing invalidated
    EXPECT_FALSE(label.NeedsPaint());
    Create();
    label.SetBkColor(0x203040);  // not the black of a fresh picture: the label fills it
    label.SetFontPointSize(160, u"宋体", TRUE);
    ASSERT_NE(label.GetOwnFont(), nullptr);
    EXPECT_EQ(label.GetOwnFont()->CellHeight(), 21);
    CBitmap painted;
    PaintInto(label, painted);
    Scratch expected(CRect(0, 0, 60, 20), 0x203040);
    expected.dc.SetBkMode(TRANSPARENT);
    expected.Text({0, 0}, u"PLETH", 21, 0xFFCD80);
    EXPECT_EQ(expected.DifferingIn(painted), 0);
    EXPECT_GT(CountColour(painted, CRect(0, 0, 60, 20), 0xFFCD80), 10);
}

TEST_F(ColorTextTest, UnsetBackgroundIsTheButtonFaceAndDisabledIsGrey)
{
    Create();
    EXPECT_EQ(PaintedCorner(), GetSysColor(COLOR_BTNFACE));
    label.SetBkColor(0x123456);
    label.EnableWindow(FALSE);
    EXPECT_EQ(PaintedCorner(), CColorText_Static::kDisabledBackground);
    label.EnableWindow(TRUE);
    EXPECT_EQ(PaintedCorner(), 0x123456u);
}

TEST_F(ColorTextTest, FontThatCannotBeMadeFallsBackToTheWindowFont)
{
    Create();
    label.SetFontPointSize(140, u"宋体", FALSE);
    ASSERT_NE(label.GetOwnFont(), nullptr);
    label.SetFontPointSize(140, u"", TRUE);
    EXPECT_EQ(label.GetOwnFont(), nullptr);
    EXPECT_TRUE(label.NeedsPaint());
}

TEST_F(ColorTextTest, FontFromAnotherFontKeepsItsPixelHeight)
{
    Create();
    CFont source;
    CreateDisplayFont(source, 24);
    label.SetFontFrom(&source, TRUE);
    ASSERT_NE(label.GetOwnFont(), nullptr);
    EXPECT_EQ(label.GetOwnFont()->CellHeight(), 24);
}

}  // namespace
