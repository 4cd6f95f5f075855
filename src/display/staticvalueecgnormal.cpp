#include "display/staticvalueecgnormal.h"

#include "core/monitordefs.h"
#include "display/panelpicture.h"

namespace {

constexpr COLORREF kGreen = CStaticValueECGNormal::kPanelColour;

const PANEL_ITEM kHr = {{BoxAt(4, 55, 151, 94), BoxAt(4, 55, 160, 128)}, {96, 140}, kGreen, u"300"};
const PANEL_ITEM kHrAlmH = {{BoxAt(162, 70, 41, 20), BoxAt(235, 90, 41, 20)}, {20, 20}, kGreen, u"300"};
const PANEL_ITEM kHrAlmL = {{BoxAt(162, 130, 41, 20), BoxAt(235, 140, 41, 20)}, {20, 20}, kGreen, u"300"};
const PANEL_ITEM kHrSource = {{BoxAt(160, 10, 60, 26), BoxAt(230, 10, 60, 26)}, {24, 24}, kGreen, u"血氧"};
const PANEL_ITEM kPvcs = {{BoxAt(220, 130, 110, 26), BoxAt(290, 150, 110, 26)}, {24, 24}, kGreen, u"PVCs 99"};
const PANEL_ITEM kSt1 = {{BoxAt(220, 70, 120, 26), BoxAt(290, 90, 120, 26)}, {24, 24}, kGreen, u"ST1 -1.00"};
const PANEL_ITEM kSt2 = {{BoxAt(220, 100, 120, 26), BoxAt(290, 120, 120, 26)}, {24, 24}, kGreen, u"ST2 -1.00"};
const PANEL_ITEM kPaceSw = {{BoxAt(220, 10, 80, 20), BoxAt(290, 10, 80, 20)}, {24, 24}, kGreen, u"起搏关"};
const PANEL_ITEM kBeat = {{BoxAt(70, 10, 30, 30), BoxAt(70, 10, 30, 30)}, {24, 24}, kGreen, nullptr};

const NUMBER_RULE kHrRule = {"%d", 1, "---", g_i16InvalidHr, true, 0, 300};
const NUMBER_RULE kHrLimitRule = {"%d", 1, nullptr, 0, true, 0, 300};
const NUMBER_RULE kPvcsRule = {"PVCs %d", 1, nullptr, 0, true, 0, 99};
const NUMBER_RULE kSt1Rule = {"ST1 %0.2f", 100, "ST1 ---", g_i16InvalidSt, true, -100, 100};
const NUMBER_RULE kSt2Rule = {"ST2 %0.2f", 100, "ST2 ---", g_i16InvalidSt, true, -100, 100};

const PANEL_LOOK kLook = {u"心电", kGreen, CSize(340, 160), CSize(412, 195), BoxAt(102, 10, 30, 30),
                          WM_PANEL_ECG_DBLCLK, 0x141414};

}  // namespace

CStaticValueECGNormal::CStaticValueECGNormal()
    : CValuePanel(kLook, {&kHr, &kHrAlmH, &kHrAlmL, &kHrSource, &kPvcs, &kSt1, &kSt2, &kPaceSw, &kBeat})
{
}

int CStaticValueECGNormal::OnCreate()
{
    LoadPicture(g_picHeart, m_bmpHeart, m_dcHeart);
    return CValuePanel::OnCreate();
}

int CStaticValueECGNormal::SetHr(short value, bool force) { return SetNumber(kHr, kHrRule, m_i16Hr, value, force); }

int CStaticValueECGNormal::SetHrAlmH(short value, bool force)
{
    return SetNumber(kHrAlmH, kHrLimitRule, m_i16HrAlmH, value, force);
}

int CStaticValueECGNormal::SetHrAlmL(short value, bool force)
{
    return SetNumber(kHrAlmL, kHrLimitRule, m_i16HrAlmL, value, force);
}

int CStaticValueECGNormal::SetPvcs(short value, bool force)
{
    return SetNumber(kPvcs, kPvcsRule, m_i16Pvcs, value, force);
}

int CStaticValueECGNormal::SetSt1(short value, bool force) { return SetNumber(kSt1, kSt1Rule, m_i16St1, value, force); }

int CStaticValueECGNormal::SetSt2(short value, bool force) { return SetNumber(kSt2, kSt2Rule, m_i16St2, value, force); }

int CStaticValueECGNormal::SetHrSource(short value, bool force)
{
    if (!TakeValue(m_u8HrSource, value, force)) return 0;
    if (value == 0) {
        DrawItemText(kHrSource, u"ECG", kGreen);
    } else {
        DrawItemText(kHrSource, u"血氧", kSpo2SourceColour);
    }
    return 0;
}

int CStaticValueECGNormal::SetPaceSw(short value, bool force)
{
    if (!TakeValue(m_i16PaceSw, value, force)) return 0;
    DrawItemText(kPaceSw, value == 0 ? u"起搏关" : u"起搏开");
    return 0;
}

int CStaticValueECGNormal::SetBeat(short beat, bool force)
{
    if (!TakeValue(m_u8Beat, beat, force)) return 0;
    const CRect& box = kBeat.rcBox[Layout()];
    if (beat != 0) {
        CopyPicture(box, m_dcHeart);
    } else {
        FillBox(box, 0x000000);
    }
    MarkDirty();
    return 0;
}

void CStaticValueECGNormal::RedrawItems()
{
    SetHr(m_i16Hr, true);
    SetSt1(m_i16St1, true);
    SetSt2(m_i16St2, true);
    SetHrAlmH(m_i16HrAlmH, true);
    SetHrAlmL(m_i16HrAlmL, true);
    SetBeat(m_u8Beat, true);
    SetHrSource(m_u8HrSource, true);
    SetPvcs(m_i16Pvcs, true);
    SetPaceSw(m_i16PaceSw, true);
}
