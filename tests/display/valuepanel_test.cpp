// The mechanics every value panel shares, checked on all six panels.
#include <gtest/gtest.h>

#include <algorithm>

#include "panelfaces.h"
#include "platform/textu16.h"
#include "surfacecheck.h"

using namespace surfacecheck;

namespace {

constexpr COLORREF kBlack = 0;

class ValuePanelFaces : public ::testing::TestWithParam<PanelFace> {};

// An item shows its widest text whole. Drawn from it to each shorter one, it leaves the panel as
// when drawn with the shorter one alone: no ghost digits, in its box or where the widest spilled.
TEST_P(ValuePanelFaces, NoGhostDigitsFromTheWidestToEveryShorterText)
{
    const PanelFace& face = GetParam();
    for (int layout : {g_nLayoutNormal, g_nLayoutLarge}) {
        for (const NumericItem& item : face.numbers) {
            for (const ValueCase& next : item.shorter) {
                CreatedPanel created(face), alone(face);
                for (CValuePanel* panel : {created.panel.get(), alone.panel.get()}) panel->SetLargeMode(layout);
                item.set(*created.panel, item.widest.value);
                EXPECT_TRUE(ItemShows(*created.panel, item.index, item.widest.text)) << item.name << " " << layout;
                for (CValuePanel* panel : {created.panel.get(), alone.panel.get()}) item.set(*panel, next.value);
                EXPECT_TRUE(ItemShows(*created.panel, item.index, next.text));
                EXPECT_EQ(PixelsDiffering(created.panel->Surface(), alone.panel->Surface()), 0)
                    << face.name << " " << item.name << " layout " << layout << ": " << item.widest.value << " -> "
                    << next.value;
            }
        }
    }
}

// The panel's whole surface, row by row.
std::vector<uint32_t> SurfacePixels(const CValuePanel& panel)
{
    const CBitmap& surface = panel.Surface();
    return std::vector<uint32_t>(surface.Bits(), surface.Bits() + surface.Width() * surface.Height());
}

// Pixels outside the rectangles that differ from before.
int ChangedOutside(const CValuePanel& panel, const std::vector<uint32_t>& before, const std::vector<CRect>& own)
{
    const std::vector<uint32_t> now = SurfacePixels(panel);
    const int width = panel.Surface().Width();
    std::vector<bool> inside(now.size(), false);
    for (const CRect& r : own)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) inside[static_cast<size_t>(y * width + x)] = true;
    int changed = 0;
    for (size_t i = 0; i < now.size(); ++i) changed += !inside[i] && now[i] != before[i];
    return changed;
}

// The longest texts a 16-bit value gives: the temperature has no range, so these print as
// "-3276.8", "-100.1", "-10.1", "100.0" and "3276.7"; the other items clamp them.
const int kExtremeValues[] = {-32768, -1001, -101, 1000, 32767};

TEST_P(ValuePanelFaces, NoTextDrawsOutsideItsOwnRegionAndAShortOneRestoresThePanel)
{
    const PanelFace& face = GetParam();
    for (int layout : {g_nLayoutNormal, g_nLayoutLarge}) {
        for (const NumericItem& item : face.numbers) {
            CreatedPanel created(face);
            CValuePanel& panel = *created.panel;
            panel.SetLargeMode(layout);
            // The other items at their widest: where they reach beyond their boxes must stay theirs.
            for (const NumericItem& other : face.numbers)
                other.set(panel, &other == &item ? other.shorter.front().value : other.widest.value);
            const std::vector<uint32_t> before = SurfacePixels(panel);
            const std::vector<CRect> own = panel.ClearRegion(*panel.Items().at(item.index), layout);
            std::vector<int> values(std::begin(kExtremeValues), std::end(kExtremeValues));
            values.push_back(item.widest.value);
            for (int value : values) {
                item.set(panel, value);
                EXPECT_EQ(ChangedOutside(panel, before, own), 0)
                    << face.name << " " << item.name << " layout " << layout << ": " << value;
                item.set(panel, item.shorter.front().value);
                EXPECT_TRUE(SurfacePixels(panel) == before)
                    << face.name << " " << item.name << " layout " << layout << ": " << value << " and back";
            }
        }
    }
}

TEST_P(ValuePanelFaces, ClearedRegionKeepsOffEveryNeighbour)
{
    CreatedPanel created(GetParam());
    CValuePanel& panel = *created.panel;
    for (int layout : {g_nLayoutNormal, g_nLayoutLarge}) {
        for (const PANEL_ITEM* item : panel.Items()) {
            const CRect box = item->rcBox[layout];
            if (box.IsRectEmpty()) continue;
            const std::vector<CRect> region = panel.ClearRegion(*item, layout);
            ASSERT_FALSE(region.empty());
            EXPECT_EQ(region.front(), box);
            for (size_t i = 1; i < region.size(); ++i) {
                CRect overlap;
                EXPECT_FALSE(overlap.IntersectRect(region[i], box));
                EXPECT_FALSE(overlap.IntersectRect(region[i], panel.Look().rcBell));
                // Nor any other item's region: drawing one item never changes another.
                for (const PANEL_ITEM* other : panel.Items()) {
                    if (other == item) continue;
                    for (const CRect& theirs : panel.ClearRegion(*other, layout))
                        EXPECT_FALSE(overlap.IntersectRect(region[i], theirs))
                            << GetParam().name << " layout " << layout << " box at " << box.left << "," << box.top;
                }
            }
        }
    }
}

// Every fixed label and the caption show whole, in the large layout and the normal one again:
// each compared with the same text drawn alone, over all it covers.
TEST_P(ValuePanelFaces, EveryLabelAndTheCaptionShowWholeInBothLayouts)
{
    const PanelFace& face = GetParam();
    CreatedPanel created(face);
    CValuePanel& panel = *created.panel;
    const PANEL_LOOK& look = panel.Look();
    const std::u16string caption = look.pszCaption;
    const CRect captionRect = TextRect({5, 0}, caption, CValuePanel::kTextFont);
    COLORREF captionBack = kBlack;
    for (int mode : {-1, 1, 0}) {  // -1: as created
        if (mode >= 0) {
            panel.SetLargeMode(mode);
            captionBack = look.crCaptionAfterSwitch;
        }
        EXPECT_TRUE(ShowsOnly(panel.Surface(), captionRect, {5, 0}, caption, CValuePanel::kTextFont, look.crPanel,
                              captionBack))
            << face.name << " caption, mode " << mode;
        for (const LabelItem& label : face.labels) {
            if (label.show) label.show(panel);
            EXPECT_TRUE(ItemShows(panel, label.index, label.text, label.colour))
                << face.name << " label " << ToUtf8(label.text) << ", mode " << mode;
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
    EXPECT_EQ(PictureMismatches(panel.Surface(), bell.TopLeft(), g_picBell), 0);
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
    const ValueCase& shown = main.shorter.back();
    main.set(panel, shown.value);

    panel.SetLargeMode(7);
    EXPECT_EQ(panel.GetLayoutSize(), look.szLarge);
    EXPECT_TRUE(ItemShows(panel, main.index, shown.text));

    panel.SetLargeMode(0);
    EXPECT_EQ(panel.GetLayoutSize(), look.szNormal);
    Scratch target(CRect(0, 0, look.szLarge.cx + 10, look.szLarge.cy + 10), RGB(1, 2, 3));
    panel.PaintWith(&target.dc);
    const CRect normal(CPoint(0, 0), look.szNormal);
    EXPECT_EQ(PixelsDiffering(target.bmp, normal, panel.Surface()), 0);
    EXPECT_EQ(target.bmp.GetPixel(normal.right, 0), RGB(1, 2, 3));
    EXPECT_EQ(target.bmp.GetPixel(0, normal.bottom), RGB(1, 2, 3));
}

INSTANTIATE_TEST_SUITE_P(AllPanels, ValuePanelFaces, ::testing::ValuesIn(AllFaces()),
                         [](const ::testing::TestParamInfo<PanelFace>& info) { return std::string(info.param.name); });

TEST(ValuePanelNumber, MarkerIsComparedBeforeClampingAndCacheKeepsTheRawValue)
{
    CreatedPanel created(AllFaces().front());
    auto& ecg = static_cast<CStaticValueECGNormal&>(*created.panel);
    ExpectShown(ecg, 0, Setter(&CStaticValueECGNormal::SetHr), {{-100, u"---"}, {-1, u"0"}, {400, u"300"}});
    ecg.RefreshIfDirty();
    ecg.SetHr(300, false);  // the cache holds 400, so this draws
    EXPECT_EQ(ecg.IsDirty(), 1);
}

}  // namespace
