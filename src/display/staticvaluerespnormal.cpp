#include "display/staticvaluerespnormal.h"

#include "core/monitordefs.h"

namespace {

constexpr COLORREF kValue = CStaticValueRespNormal::kValueColour;

const PANEL_ITEM kRr = {{BoxAt(4, 45, 131, 81), BoxAt(15, 75, 131, 81)}, {80, 90}, kValue, u"150"};
const PANEL_ITEM kRrAlmH = {{BoxAt(140, 30, 40, 32), BoxAt(160, 30, 40, 32)}, {24, 24}, kValue, u"100"};
const PANEL_ITEM kRrAlmL = {{BoxAt(140, 70, 40, 32), BoxAt(160, 70, 40, 32)}, {24, 24}, kValue, u"100"};
const PANEL_ITEM kRpm = {{BoxAt(140, 110, 40, 32), BoxAt(160, 120, 40, 32)}, {24, 24}, kValue, u"RPM"};

const NUMBER_RULE kRrRule = {"%d", 1, "---", g_i16InvalidRr, true, 0, 150};
const NUMBER_RULE kRrLimitRule = {"%d", 1, nullptr, 0, true, 0, 100};

const PANEL_LOOK kLook = {u"呼吸", CStaticValueRespNormal::kPanelColour, CSize(190, 145), CSize(230, 182),
                          BoxAt(70, 0, 30, 30), WM_PANEL_RESP_DBLCLK, 0x000000};

}  // namespace

CStaticValueRespNormal::CStaticValueRespNormal() : CValuePanel(kLook, {&kRr, &kRrAlmH, &kRrAlmL, &kRpm}) {}

int CStaticValueRespNormal::SetRr(short value, bool force) { return SetNumber(kRr, kRrRule, m_i16Rr, value, force); }

int CStaticValueRespNormal::SetRrAlmH(short value, bool force)
{
    return SetNumber(kRrAlmH, kRrLimitRule, m_i16RrAlmH, value, force);
}

int CStaticValueRespNormal::SetRrAlmL(short value, bool force)
{
    return SetNumber(kRrAlmL, kRrLimitRule, m_i16RrAlmL, value, force);
}

void CStaticValueRespNormal::DrawLabels() { DrawItemText(kRpm, u"RPM"); }

void CStaticValueRespNormal::RedrawItems()
{
    SetRr(m_i16Rr, true);
    SetRrAlmH(m_i16RrAlmH, true);
    SetRrAlmL(m_i16RrAlmL, true);
}
