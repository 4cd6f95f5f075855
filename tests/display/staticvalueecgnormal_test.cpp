#include <gtest/gtest.h>

#include "panelfaces.h"
#include "surfacecheck.h"

using namespace surfacecheck;

namespace {

constexpr COLORREF kGreen = CStaticValueECGNormal::kPanelColour;

class EcgPanelTest : public ::testing::Test {
protected:
    EcgPanelTest() : created(AllFaces()[0]), ecg(static_cast<CStaticValueECGNormal&>(*created.panel)) {}

    bool Shows(int x, int y, int w, int h, const std::u16string& text, int font = 24, COLORREF colour = kGreen)
    {
        return ShowsOnly(ecg.Surface(), BoxAt(x, y, w, h), {x, y}, text, font, colour);
    }

    CreatedPanel created;
    CStaticValueECGNormal& ecg;
};

TEST_F(EcgPanelTest, StTextsWithMarkerAndRange)
{
    ecg.SetSt1(-10000, true);
    EXPECT_TRUE(Shows(220, 70, 120, 26, u"ST1 ---"));
    ecg.SetSt1(-150, false);
    EXPECT_TRUE(Shows(220, 70, 120, 26, u"ST1 -1.00"));
    ecg.SetSt2(5, false);
    EXPECT_TRUE(Shows(220, 100, 120, 26, u"ST2 0.05"));
}

TEST_F(EcgPanelTest, PvcsAreClampedWithoutAMarker)
{
    ecg.SetPvcs(150, true);
    EXPECT_TRUE(Shows(220, 130, 110, 26, u"PVCs 99"));
    ecg.SetPvcs(-100, false);
    EXPECT_TRUE(Shows(220, 130, 110, 26, u"PVCs 0"));
}

TEST_F(EcgPanelTest, HeartRateSourceLabelTakesItsColour)
{
    ecg.SetHrSource(1, true);
    EXPECT_TRUE(Shows(160, 10, 60, 26, u"血氧", 24, CStaticValueECGNormal::kSpo2SourceColour));
    ecg.SetHrSource(0, false);
    EXPECT_TRUE(Shows(160, 10, 60, 26, u"ECG"));
}

TEST_F(EcgPanelTest, PaceSwitchLabel)
{
    ecg.SetPaceSw(1, true);
    EXPECT_TRUE(Shows(220, 10, 80, 24, u"起搏开"));
    ecg.SetPaceSw(0, false);
    EXPECT_TRUE(Shows(220, 10, 80, 24, u"起搏关"));
}

TEST_F(EcgPanelTest, BeatShowsTheHeartOnceAndZeroBlackensIt)
{
    const CRect heart = BoxAt(70, 10, 30, 30);
    ecg.SetBeat(1, false);
    EXPECT_EQ(PictureMismatches(ecg.Surface(), heart.TopLeft(), g_picHeart), 0);
    ecg.RefreshIfDirty();
    ecg.SetBeat(1, false);
    EXPECT_EQ(ecg.IsDirty(), 0);
    ecg.SetBeat(0, false);
    EXPECT_EQ(ecg.IsDirty(), 1);
    EXPECT_TRUE(AllColour(ecg.Surface(), heart, 0));
    ecg.SetBeat(256, false);  // an argument outside 0..255 never equals the 8-bit cache
    EXPECT_GT(CountColour(ecg.Surface(), heart, RGB(255, 0, 0)), 200);
}

TEST_F(EcgPanelTest, LayoutChangeRedrawsEveryItemAtItsLargePlace)
{
    ecg.SetHr(72, true);
    ecg.SetHrAlmH(120, true);
    ecg.SetHrAlmL(50, true);
    ecg.SetSt1(-25, true);
    ecg.SetSt2(100, true);
    ecg.SetPvcs(3, true);
    ecg.SetPaceSw(1, true);
    ecg.SetHrSource(0, true);
    ecg.SetLargeMode(1);
    EXPECT_TRUE(ItemShows(ecg, 0, u"72"));
    EXPECT_TRUE(Shows(235, 90, 41, 20, u"120", 20));
    EXPECT_TRUE(Shows(235, 140, 41, 20, u"50", 20));
    EXPECT_TRUE(Shows(290, 90, 120, 26, u"ST1 -0.25"));
    EXPECT_TRUE(Shows(290, 120, 120, 26, u"ST2 1.00"));
    EXPECT_TRUE(Shows(290, 150, 110, 26, u"PVCs 3"));
    EXPECT_TRUE(Shows(230, 10, 60, 26, u"ECG"));
    // After a layout change the caption stands on dark grey.
    EXPECT_TRUE(ShowsOnly(ecg.Surface(), BoxAt(5, 0, 40, 20), {5, 0}, u"心电", 24, kGreen, 0x141414));
}

}  // namespace
