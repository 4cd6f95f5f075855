#include "display/staticvaluespo2normal.h"

#include <algorithm>

#include "core/monitordefs.h"

namespace {

constexpr COLORREF kValue = CStaticValueSPO2Normal::kValueColour;

const PANEL_ITEM kSpo2 = {{BoxAt(4, 30, 120, 71), BoxAt(4, 45, 160, 100)}, {72, 100}, kValue, u"100"};
const PANEL_ITEM kPr = {{BoxAt(208, 42, 70, 24), BoxAt(242, 68, 80, 30)}, {40, 50}, kValue, u"300"};
const PANEL_ITEM kSpo2AlmH = {{BoxAt(130, 40, 50, 20), BoxAt(166, 70, 61, 20)}, {24, 24}, kValue, u"100"};
const PANEL_ITEM kSpo2AlmL = {{BoxAt(130, 70, 45, 20), BoxAt(166, 105, 45, 20)}, {24, 24}, kValue, u"100"};
const PANEL_ITEM kPrAlmH = {{BoxAt(285, 35, 35, 20), BoxAt(330, 60, 35, 25)}, {24, 24}, kValue, u"300"};
const PANEL_ITEM kPrAlmL = {{BoxAt(285, 65, 35, 20), BoxAt(330, 95, 35, 25)}, {24, 24}, kValue, u"300"};
const PANEL_ITEM kPercent = {{BoxAt(130, 5, 21, 24), BoxAt(166, 20, 21, 32)}, {24, 24}, kValue, u"%"};
const PANEL_ITEM kPrLabel = {{BoxAt(212, 5, 70, 24), BoxAt(252, 20, 70, 24)}, {24, 24}, kValue, u"PR(BPM)"};
const PANEL_ITEM kBar = {{BoxAt(182, 37, 12, 50), BoxAt(215, 15, 18, 137)}, {24, 24}, kValue, nullptr};

const NUMBER_RULE kSpo2Rule = {"%d", 1, "---", g_i16InvalidSpo2, true, 0, 100};
const NUMBER_RULE kPrRule = {"%d", 1, "---", g_i16InvalidPr, true, 0, 300};
const NUMBER_RULE kSpo2LimitRule = {"%d", 1, nullptr, 0, true, 0, 100};
const NUMBER_RULE kPrLimitRule = {"%d", 1, nullptr, 0, true, 0, 300};

const PANEL_LOOK kLook = {u"血氧", CStaticValueSPO2Normal::kPanelColour, CSize(340, 115), CSize(412, 157),
                          BoxAt(70, 0, 28, 25), WM_PANEL_SPO2_DBLCLK, 0x000000};

// The bar's segments: the bottom one's top edge, its width, and the pitch upwards.
struct BAR_SEGMENTS {
    int nBottomY;
    int nWidth;
    int nPitch;
};
const BAR_SEGMENTS kSegments[2] = {{115 - 30, 12, 3}, {157 - 40, 15, 4}};

}  // namespace

CStaticValueSPO2Normal::CStaticValueSPO2Normal()
    : CValuePanel(kLook, {&kSpo2, &kPr, &kSpo2AlmH, &kSpo2AlmL, &kPrAlmH, &kPrAlmL, &kPercent, &kPrLabel, &kBar})
{
}

int CStaticValueSPO2Normal::SetSpo2(short value, bool force)
{
    return SetNumber(kSpo2, kSpo2Rule, m_i16Spo2, value, force);
}

int CStaticValueSPO2Normal::SetPr(short value, bool force) { return SetNumber(kPr, kPrRule, m_i16Pr, value, force); }

int CStaticValueSPO2Normal::SetSpo2AlmH(short value, bool force)
{
    return SetNumber(kSpo2AlmH, kSpo2LimitRule, m_i16Spo2AlmH, value, force);
}

int CStaticValueSPO2Normal::SetSpo2AlmL(short value, bool force)
{
    return SetNumber(kSpo2AlmL, kSpo2LimitRule, m_i16Spo2AlmL, value, force);
}

int CStaticValueSPO2Normal::SetPrAlmH(short value, bool force)
{
    return SetNumber(kPrAlmH, kPrLimitRule, m_i16PrAlmH, value, force);
}

int CStaticValueSPO2Normal::SetPrAlmL(short value, bool force)
{
    return SetNumber(kPrAlmL, kPrLimitRule, m_i16PrAlmL, value, force);
}

int CStaticValueSPO2Normal::BarCapacity(int layout)
{
    const BAR_SEGMENTS& seg = kSegments[layout];
    return (seg.nBottomY - kBar.rcBox[layout].top) / seg.nPitch + 1;
}

void CStaticValueSPO2Normal::SetPulseBar(uint8_t n, bool force)
{
    if (!TakeValue(m_u8PulseBar, n, force)) return;
    const int layout = Layout();
    const CRect& area = kBar.rcBox[layout];
    const BAR_SEGMENTS& seg = kSegments[layout];
    FillBox(area, 0x000000);
    const int lit = std::min<int>(n, BarCapacity(layout));
    for (int i = 0; i < lit; ++i) FillBox(BoxAt(area.left, seg.nBottomY - seg.nPitch * i, seg.nWidth, 2), kPanelColour);
    MarkDirty();
}

void CStaticValueSPO2Normal::DrawLabels()
{
    DrawItemText(kPercent, u"%");
    DrawItemText(kPrLabel, u"PR(BPM)");
}

void CStaticValueSPO2Normal::RedrawItems()
{
    SetSpo2(m_i16Spo2, true);
    SetPr(m_i16Pr, true);
    SetSpo2AlmH(m_i16Spo2AlmH, true);
    SetSpo2AlmL(m_i16Spo2AlmL, true);
    SetPrAlmH(m_i16PrAlmH, true);
    SetPrAlmL(m_i16PrAlmL, true);
    SetPulseBar(m_u8PulseBar, true);
}
