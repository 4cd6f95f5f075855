#include "display/staticvaluetempnormal.h"

#include "core/monitordefs.h"

namespace {

constexpr COLORREF kGrey = CStaticValueTempNormal::kPanelColour;

// No range applies to temperatures: the widest text is that of the lowest 16-bit value.
const PANEL_ITEM kTemp = {{BoxAt(4, 30, 180, 70), BoxAt(4, 40, 210, 100)}, {72, 100}, kGrey, u"-3276.8"};
const PANEL_ITEM kTempAlmH = {{BoxAt(190, 35, 61, 30), BoxAt(235, 40, 61, 30)}, {24, 24}, kGrey, u"-3276.8"};
const PANEL_ITEM kTempAlmL = {{BoxAt(190, 70, 61, 30), BoxAt(235, 80, 61, 30)}, {24, 24}, kGrey, u"-3276.8"};
const PANEL_ITEM kTempUnit = {{BoxAt(280, 70, 51, 30), BoxAt(320, 80, 51, 30)}, {24, 24}, kGrey, u"F"};

const NUMBER_RULE kTempRule = {"%2.1f", 10, "---", g_i16InvalidTemp, false, 0, 0};
const NUMBER_RULE kTempLimitRule = {"%2.1f", 10, nullptr, 0, false, 0, 0};

const PANEL_LOOK kLook = {u"体温", kGrey, CSize(340, 115), CSize(412, 145), BoxAt(70, 0, 30, 30),
                          WM_PANEL_TEMP_DBLCLK, 0x000000};

}  // namespace

CStaticValueTempNormal::CStaticValueTempNormal() : CValuePanel(kLook, {&kTemp, &kTempAlmH, &kTempAlmL, &kTempUnit})
{
}

int CStaticValueTempNormal::SetTemp(short value, bool force)
{
    return SetNumber(kTemp, kTempRule, m_i16Temp, value, force);
}

int CStaticValueTempNormal::SetTempAlmH(short value, bool force)
{
    return SetNumber(kTempAlmH, kTempLimitRule, m_i16TempAlmH, value, force);
}

int CStaticValueTempNormal::SetTempAlmL(short value, bool force)
{
    return SetNumber(kTempAlmL, kTempLimitRule, m_i16TempAlmL, value, force);
}

int CStaticValueTempNormal::SetTempUnit(short value, bool force)
{
    if (!TakeValue(m_i16TempUnit, value, force)) return 0;
    DrawItemText(kTempUnit, value == 0 ? u"C" : u"F");
    return 0;
}

void CStaticValueTempNormal::RedrawItems()
{
    SetTemp(m_i16Temp, true);
    SetTempAlmH(m_i16TempAlmH, true);
    SetTempAlmL(m_i16TempAlmL, true);
    SetTempUnit(m_i16TempUnit, true);
}
