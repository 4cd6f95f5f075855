#include <gtest/gtest.h>

#include "display/colortext_static.h"
#include "recordingparent.h"
#include "surfacecheck.h"

using namespace surfacecheck;

namespace {

// Paints the label into a fresh picture of its size.
struct PaintedLabel {
    CBitmap bmp;
    CDC dc;
    explicit PaintedLabel(CColorText_Static& label)
    {
        CRect client;
        label.GetClientRect(&client);
        bmp.CreateBitmap(client.Width(), client.Height());
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(&bmp);
        dc.FillSolidRect(client, RGB(9, 9, 9));
        label.PaintWith(&dc);
    }
};

class ColorTextTest : public ::testing::Test {
protected:
    void Create() { label.Create(u"PLETH", 0x50000000, CRect(10, 460, 70, 480), &parent, 0x10202); }
    RecordingParent parent;
    CColorText_Static label;
};

TEST_F(ColorTextTest, TextAndBackgroundInTheLabelsOwnColours)
{
    label.SetTextColor(0xFFCD80);  // before the window exists: stored, nothing invalidated
    EXPECT_FALSE(label.NeedsPaint());
    Create();
    label.SetBkColor(0);
    label.SetFontPointSize(160, u"宋体", TRUE);
    ASSERT_NE(label.GetOwnFont(), nullptr);
    EXPECT_EQ(label.GetOwnFont()->CellHeight(), 21);
    PaintedLabel painted(label);
    Scratch expected(CRect(0, 0, 60, 20), 0);
    expected.dc.SetBkMode(TRANSPARENT);
    expected.Text({0, 0}, u"PLETH", 21, 0xFFCD80);
    EXPECT_EQ(Mismatches(painted.bmp, expected, CRect(0, 0, 60, 20)), 0);
    EXPECT_GT(CountColour(painted.bmp, CRect(0, 0, 60, 20), 0xFFCD80), 10);
}

TEST_F(ColorTextTest, UnsetBackgroundIsTheButtonFaceAndDisabledIsGrey)
{
    Create();
    PaintedLabel face(label);
    EXPECT_EQ(face.bmp.GetPixel(59, 19), GetSysColor(COLOR_BTNFACE));
    label.SetBkColor(0x123456);
    label.EnableWindow(FALSE);
    PaintedLabel disabled(label);
    EXPECT_EQ(disabled.bmp.GetPixel(59, 19), CColorText_Static::kDisabledBackground);
    label.EnableWindow(TRUE);
    PaintedLabel enabled(label);
    EXPECT_EQ(enabled.bmp.GetPixel(59, 19), 0x123456u);
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
