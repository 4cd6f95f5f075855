#include "display/staticvaluefanormal.h"

#include "core/monitordefs.h"

namespace {

constexpr COLORREF kValue = CStaticValueFANormal::kValueColour;

const PANEL_ITEM kAirOxy = {{BoxAt(4, 45, 100, 71), BoxAt(4, 75, 130, 80)}, {64, 90}, kValue, u"100"};
const PANEL_ITEM kAirOxyAlmH = {{BoxAt(110, 30, 40, 32), BoxAt(140, 45, 40, 32)}, {24, 24}, kValue, u"100"};
const PANEL_ITEM kAirOxyAlmL = {{BoxAt(110, 70, 40, 32), BoxAt(140, 85, 40, 32)}, {24, 24}, kValue, u"100"};
// In the large layout the unit stands under the low limit, as it does in the normal one.
const PANEL_ITEM kPercent = {{BoxAt(110, 110, 40, 32), BoxAt(140, 125, 40, 32)}, {24, 24}, kValue, u"%"};

const NUMBER_RULE kAirOxyRule = {"%d", 1, "---", g_i16InvalidAirOxy, true, 0, 100};
const NUMBER_RULE kAirOxyLimitRule = {"%d", 1, nullptr, 0, true, 0, 100};

const PANEL_LOOK kLook = {u"空氧", CStaticValueFANormal::kPanelColour, CSize(150, 145), CSize(182, 182),
                          BoxAt(70, 0, 30, 30), WM_PANEL_FA_DBLCLK, 0x000000};

}  // namespace

CStaticValueFANormal::CStaticValueFANormal() : CValuePanel(kLook, {&kAirOxy, &kAirOxyAlmH, &kAirOxyAlmL, &kPercent})
{
}

int CStaticValueFANormal::SetAirOxy(short value, bool force)
{
    return SetNumber(kAirOxy, kAirOxyRule, m_i16AirOxy, value, force);
}

int CStaticValueFANormal::SetAirOxyAlmH(short value, bool force)
{
    return SetNumber(kAirOxyAlmH, kAirOxyLimitRule, m_i16AirOxyAlmH, value, force);
}

int CStaticValueFANormal::SetAirOxyAlmL(short value, bool force)
{
    return SetNumber(kAirOxyAlmL, kAirOxyLimitRule, m_i16AirOxyAlmL, value, force);
}

void CStaticValueFANormal::DrawLabels() { DrawItemText(kPercent, u"%"); }

void CStaticValueFANormal::RedrawItems()
{
    SetAirOxy(m_i16AirOxy, true);
    SetAirOxyAlmH(m_i16AirOxyAlmH, true);
    SetAirOxyAlmL(m_i16AirOxyAlmL, true);
}
