// The mechanics every value panel shares, checked on all six panels.
#include <gtest/gtest.h>

#include "display/panelpicture.h"
#include "panelfaces.h"
#include "surfacecheck.h"

using namespace surfacecheck;

namespace {

constexpr COLORREF kBlack = 0;

class ValuePanelFaces : public ::testing::TestWithParam<PanelFace> {};

TEST_P(ValuePanelFaces, NoGhostDigitsFromTheWidestToEveryShorterText)
{
    const PanelFace& face = GetParam();
    for (int layout : {g_nLayoutNormal, g_nLayoutLarge}) {
        for (const NumericItem& item : face.numbers) {
            for (const ValueCase& next : item.shorter) {
                CreatedPanel created(face);
                CValuePanel& panel = *created.panel;
                panel.SetLargeMode(layout);
                item.set(panel, item.widest.value);
                item.set(panel, next.value);
                const PANEL_ITEM& place = *panel.Items().at(item.index);
                const CRect area = panel.ClearRect(place, layout);
                EXPECT_TRUE(ShowsOnly(panel.Surface(), area, place.rcBox[layout].TopLeft(), next.text,
                                      place.nFont[layout], place.crText))
                    << face.name << " " << item.name << " layout " << layout << ": " << item.widest.value << " -> "
                    << next.value;
            }
        }
    }
}

TEST_P(ValuePanelFaces, ClearedBoxCoversTheWidestTextWithoutTouchingANeighbour)
{
    CreatedPanel created(GetParam());
    CValuePanel& panel = *created.panel;
    for (int layout : {g_nLayoutNormal, g_nLayoutLarge}) {
        const auto& items = panel.Items();
        for (const PANEL_ITEM* item : items) {
            const CRect box = item->rcBox[layout];
            if (box.IsRectEmpty()) continue;
            const CRect clear = panel.ClearRect(*item, layout);
            CRect inside;
            inside.IntersectRect(clear, box);
            EXPECT_EQ(inside, box);
            for (const PANEL_ITEM* other : items) {
                CRect overlap;
                if (other == item || overlap.IntersectRect(box, other->rcBox[layout])) continue;
                EXPECT_FALSE(overlap.IntersectRect(clear, other->rcBox[layout]))
                    << GetParam().name << " layout " << layout << " box at " << box.left << "," << box.top;
            }
            EXPECT_FALSE(CRect().IntersectRect(clear, panel.Look().rcBell));
        }
    }
}

TEST_P(ValuePanelFaces, MainValueRedrawsOnlyWhenItChangesOrIsForced)
{
    const PanelFace& face = GetParam();
    CreatedPanel created(face);
    CValuePanel& panel = *created.panel;
    const NumericItem& main = face.numbers.front();
    main.set(panel, 42);
    EXPECT_EQ(panel.IsDirty(), 1);
    panel.RefreshIfDirty();
    EXPECT_EQ(panel.IsDirty(), 0);
    EXPECT_TRUE(panel.NeedsPaint());
    panel.ClearNeedsPaint();

    main.set(panel, 42);
    EXPECT_EQ(panel.IsDirty(), 0);
    panel.RefreshIfDirty();
    EXPECT_FALSE(panel.NeedsPaint());

    main.set(panel, 43);
    EXPECT_EQ(panel.IsDirty(), 1);
}

TEST_P(ValuePanelFaces, DoubleClickPostsTheParametersMessageWithZeroParameters)
{
    const PanelFace& face = GetParam();
    CreatedPanel created(face);
    created.panel->OnLButtonDblClk(0, CPoint(10, 10));
    const auto& got = created.parent.Deliver();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, face.message);
    EXPECT_EQ(got[0].wParam, 0u);
    EXPECT_EQ(got[0].lParam, 0);
}

TEST_P(ValuePanelFaces, AlarmFrameBlinksPanelColourThenAlarmColourAndStopsBlack)
{
    CreatedPanel created(GetParam());
    CValuePanel& panel = *created.panel;
    const CSize size = panel.GetLayoutSize();
    const COLORREF panelColour = panel.Look().crPanel;
    auto frameIs = [&](COLORREF colour) {
        return AllColour(panel.Surface(), BoxAt(0, 0, 2, size.cy), colour) &&
               AllColour(panel.Surface(), CRect(panel.Look().rcBell.right, 0, size.cx, 2), colour) &&
               AllColour(panel.Surface(), BoxAt(0, size.cy - 2, size.cx, 2), colour);
    };
    panel.SetAlmFlag(1);
    const COLORREF expected[] = {panelColour, CValuePanel::kAlarmColour, panelColour, CValuePanel::kAlarmColour};
    for (COLORREF colour : expected) {
        panel.RefreshIfDirty();
        panel.BlinkAlmFrame();
        EXPECT_EQ(panel.IsDirty(), 1);
        EXPECT_TRUE(frameIs(colour));
    }
    // No right strip, and the top strip leaves x 0..69 alone.
    EXPECT_EQ(panel.GetSurfacePixel(size.cx - 1, size.cy / 2), kBlack);
    EXPECT_EQ(panel.GetSurfacePixel(65, 0), kBlack);

    panel.SetAlmFlag(0);
    panel.RefreshIfDirty();
    panel.BlinkAlmFrame();
    EXPECT_EQ(panel.IsDirty(), 1);
    EXPECT_TRUE(frameIs(kBlack));
    panel.SetAlmFlag(1);
    panel.BlinkAlmFrame();
    EXPECT_TRUE(frameIs(panelColour));
}

TEST_P(ValuePanelFaces, SwitchedOffAlarmShowsTheCrossedBellClippedToThePicture)
{
    CreatedPanel created(GetParam());
    CValuePanel& panel = *created.panel;
    const CRect bell = panel.Look().rcBell;
    panel.SetAlmSw(0, false);  // the switch starts at 0: nothing to draw
    EXPECT_TRUE(AllColour(panel.Surface(), bell, kBlack));

    panel.SetAlmSw(0, true);
    int differing = 0;
    for (int y = 0; y < g_picBell.nHeight; ++y)
        for (int x = 0; x < g_picBell.nWidth; ++x)
            differing += panel.GetSurfacePixel(bell.left + x, bell.top + y) != PictureColour(g_picBell.pRows[y][x]);
    EXPECT_EQ(differing, 0);
    // A 30 x 30 bell box keeps its black beyond the 28 x 25 picture.
    EXPECT_TRUE(AllColour(panel.Surface(), CRect(bell.left + 28, bell.top, bell.right, bell.bottom), kBlack));
    EXPECT_TRUE(AllColour(panel.Surface(), CRect(bell.left, bell.top + 25, bell.right, bell.bottom), kBlack));

    panel.SetAlmSw(1, false);
    EXPECT_TRUE(AllColour(panel.Surface(), bell, kBlack));
    panel.SetLargeMode(1);
    panel.SetAlmSw(0, false);
    EXPECT_GT(CountColour(panel.Surface(), bell, RGB(255, 0, 0)), 20);
}

TEST_P(ValuePanelFaces, AnyNonzeroModeIsTheLargeLayoutAndPaintCopiesOnlyTheLayout)
{
    CreatedPanel created(GetParam());
    CValuePanel& panel = *created.panel;
    const PANEL_LOOK& look = panel.Look();
    const NumericItem& main = GetParam().numbers.front();
    main.set(panel, main.widest.value);

    panel.SetLargeMode(7);
    EXPECT_EQ(panel.GetLayoutSize(), look.szLarge);
    const PANEL_ITEM& place = *panel.Items().at(main.index);
    const CRect large = panel.ClearRect(place, g_nLayoutLarge);
    EXPECT_TRUE(ShowsOnly(panel.Surface(), large, place.rcBox[g_nLayoutLarge].TopLeft(), main.widest.text,
                          place.nFont[g_nLayoutLarge], place.crText));

    panel.SetLargeMode(0);
    EXPECT_EQ(panel.GetLayoutSize(), look.szNormal);
    CBitmap target;
    target.CreateBitmap(look.szLarge.cx + 10, look.szLarge.cy + 10);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&target);
    dc.FillSolidRect(0, 0, target.Width(), target.Height(), RGB(1, 2, 3));
    panel.PaintWith(&dc);
    const CRect normal(CPoint(0, 0), look.szNormal);
    int copied = 0;
    for (int y = 0; y < normal.bottom; ++y)
        for (int x = 0; x < normal.right; ++x) copied += target.GetPixel(x, y) == panel.GetSurfacePixel(x, y);
    EXPECT_EQ(copied, Area(normal));
    EXPECT_EQ(target.GetPixel(normal.right, 0), RGB(1, 2, 3));
    EXPECT_EQ(target.GetPixel(0, normal.bottom), RGB(1, 2, 3));
}

INSTANTIATE_TEST_SUITE_P(AllPanels, ValuePanelFaces, ::testing::ValuesIn(AllFaces()),
                         [](const ::testing::TestParamInfo<PanelFace>& info) { return std::string(info.param.name); });

TEST(ValuePanelNumber, MarkerIsComparedBeforeClampingAndCacheKeepsTheRawValue)
{
    CreatedPanel created(AllFaces().front());
    auto& ecg = static_cast<CStaticValueECGNormal&>(*created.panel);
    const PANEL_ITEM& hr = *ecg.Items()[0];
    const CRect area = ecg.ClearRect(hr, 0);
    const CPoint at = hr.rcBox[0].TopLeft();
    ecg.SetHr(-100, false);
    EXPECT_TRUE(ShowsOnly(ecg.Surface(), area, at, u"---", 96, hr.crText));
    ecg.SetHr(-1, false);
    EXPECT_TRUE(ShowsOnly(ecg.Surface(), area, at, u"0", 96, hr.crText));
    ecg.SetHr(400, false);
    EXPECT_TRUE(ShowsOnly(ecg.Surface(), area, at, u"300", 96, hr.crText));
    ecg.RefreshIfDirty();
    ecg.SetHr(300, false);  // the cache holds 400, so this draws
    EXPECT_EQ(ecg.IsDirty(), 1);
}

TEST(ValuePanelNumber, FixedPointTextsGoThroughSinglePrecision)
{
    const NUMBER_RULE tenths = {"%2.1f", 10, "---", -100, false, 0, 0};
    const NUMBER_RULE hundredths = {"ST1 %0.2f", 100, "ST1 ---", -10000, true, -100, 100};
    char16_t text[32];
    const std::pair<int, std::u16string> temps[] = {{365, u"36.5"}, {5, u"0.5"}, {-50, u"-5.0"}, {-100, u"---"}};
    for (const auto& [value, expected] : temps) {
        CValuePanel::FormatNumber(tenths, value, text, 32);
        EXPECT_EQ(std::u16string(text), expected) << value;
    }
    const std::pair<int, std::u16string> sts[] = {
        {-25, u"ST1 -0.25"}, {100, u"ST1 1.00"}, {-150, u"ST1 -1.00"}, {5, u"ST1 0.05"}, {-10000, u"ST1 ---"}};
    for (const auto& [value, expected] : sts) {
        CValuePanel::FormatNumber(hundredths, value, text, 32);
        EXPECT_EQ(std::u16string(text), expected) << value;
    }
}

}  // namespace
