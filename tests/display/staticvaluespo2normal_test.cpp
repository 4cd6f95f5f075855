#include <gtest/gtest.h>

#include "panelfaces.h"
#include "platform/headlessscreen.h"
#include "surfacecheck.h"

using namespace surfacecheck;

namespace {

constexpr COLORREF kBar = CStaticValueSPO2Normal::kPanelColour;
constexpr COLORREF kValue = CStaticValueSPO2Normal::kValueColour;
const CRect kNormalBar = BoxAt(182, 37, 12, 50);
const CRect kLargeBar = BoxAt(215, 15, 18, 137);

class Spo2PanelTest : public ::testing::Test {
protected:
    Spo2PanelTest() : created(AllFaces()[3]), spo2(static_cast<CStaticValueSPO2Normal&>(*created.panel)) {}

    // The rows of the bar area's left column that are lit, from the top.
    std::vector<int> LitRows(const CRect& area) const
    {
        std::vector<int> rows;
        for (int y = area.top; y < area.bottom; ++y)
            if (spo2.GetSurfacePixel(area.left, y) == kBar) rows.push_back(y);
        return rows;
    }

    CreatedPanel created;
    CStaticValueSPO2Normal& spo2;
};

TEST_F(Spo2PanelTest, PulseBarSegmentsRiseFromTheBottom)
{
    spo2.SetPulseBar(0, true);
    EXPECT_TRUE(AllColour(spo2.Surface(), kNormalBar, 0));
    spo2.SetPulseBar(15, false);
    const std::vector<int> rows = LitRows(kNormalBar);
    ASSERT_EQ(rows.size(), 30u);
    EXPECT_EQ(rows.front(), 43);  // the top segment: 115 - 30 - 42
    EXPECT_EQ(rows.back(), 86);   // the bottom segment's second row
    EXPECT_EQ(CountColour(spo2.Surface(), kNormalBar, kBar), 15 * 2 * 12);
}

TEST_F(Spo2PanelTest, PulseBarStaysInsideItsAreaWhateverTheCount)
{
    spo2.SetPulseBar(255, true);
    EXPECT_EQ(CountColour(spo2.Surface(), kNormalBar, kBar), CStaticValueSPO2Normal::BarCapacity(0) * 2 * 12);
    EXPECT_EQ(LitRows(kNormalBar).front(), kNormalBar.top);
    EXPECT_EQ(CountColour(spo2.Surface(), CRect(182, 0, 194, 37), kBar), 0);
    spo2.SetLargeMode(1);
    EXPECT_EQ(CountColour(spo2.Surface(), kLargeBar, kBar), CStaticValueSPO2Normal::BarCapacity(1) * 2 * 15);
    EXPECT_EQ(CountColour(spo2.Surface(), CRect(215, 0, 233, 15), kBar), 0);
}

TEST_F(Spo2PanelTest, PulseBarSkipsAnUnchangedCountAndFollowsTheLayout)
{
    spo2.SetPulseBar(4, true);
    spo2.RefreshIfDirty();
    spo2.SetPulseBar(4, false);
    EXPECT_EQ(spo2.IsDirty(), 0);
    spo2.SetLargeMode(1);
    EXPECT_EQ(CountColour(spo2.Surface(), kLargeBar, kBar), 4 * 2 * 15);
    EXPECT_EQ(LitRows(kLargeBar).back(), 157 - 40 + 1);
}

TEST_F(Spo2PanelTest, ValuesMarkersAndLimitsInBothLayouts)
{
    spo2.SetSpo2(-100, true);
    spo2.SetPr(350, true);
    spo2.SetSpo2AlmH(101, true);
    spo2.SetPrAlmL(-3, true);
    for (int layout : {0, 1}) {
        spo2.SetLargeMode(layout);
        auto shows = [&](size_t index, const std::u16string& text) { return ItemShows(spo2, index, text); };
        EXPECT_TRUE(shows(0, u"---")) << layout;
        EXPECT_TRUE(shows(1, u"300")) << layout;
        EXPECT_TRUE(shows(2, u"100")) << layout;
        EXPECT_TRUE(shows(5, u"0")) << layout;
    }
    spo2.SetSpo2(101, false);
    EXPECT_TRUE(ShowsOnly(spo2.Surface(), BoxAt(4, 45, 160, 100), {4, 45}, u"100", 100, kValue));
}

// A refresh marks only what was drawn since the last one and the screen copies only that; over
// pulse-bar ticks, value changes and alarm-frame blinks it must keep the panel's whole picture.
TEST_F(Spo2PanelTest, PartialRefreshesKeepTheScreenEqualToThePicture)
{
    CHeadlessScreen screen(1400, 800);
    screen.PaintPass();
    const CSize size = spo2.GetLayoutSize();
    auto differences = [&] { return PixelsDiffering(spo2.Surface(), CRect(CPoint(0, 0), size), screen.Frame(), {940, 60}); };
    EXPECT_EQ(differences(), 0);
    spo2.SetAlmFlag(1);
    for (int tick = 0; tick < 60; ++tick) {
        spo2.SetPulseBar(static_cast<uint8_t>(tick % 16), false);
        if (tick % 10 == 0) {
            spo2.SetSpo2(static_cast<short>(90 + tick / 10), false);
            spo2.BlinkAlmFrame();
        }
        spo2.RefreshIfDirty();
        screen.PaintPass();
        ASSERT_EQ(differences(), 0) << "tick " << tick;
        if (tick % 10 == 1) {
            CRect inBar;
            inBar.IntersectRect(kNormalBar, spo2.PaintRect());
            EXPECT_FALSE(spo2.PaintRect().IsRectEmpty());
            EXPECT_EQ(inBar, spo2.PaintRect()) << "a pulse-bar step repaints the bar only";
        }
    }
}

}  // namespace
