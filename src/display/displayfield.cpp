#include "display/displayfield.h"

#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "core/settingdefs.h"
#include "display/displayfont.h"
#include "display/panelpicture.h"
#include "platform/clock.h"
#include "platform/textu16.h"

const BYTE g_u8NoBatteryPattern[72] = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x0E, 0x00, 0x30, 0x07, 0x00, 0x60, 0x03, 0x80, 0xC0, 0x01, 0xC1, 0x80, 0x00, 0xE3, 0x00,
    0x00, 0x76, 0x00, 0x00, 0x3C, 0x00, 0x00, 0x1C, 0x00, 0x00, 0x3E, 0x00, 0x00, 0x67, 0x00,
    0x00, 0xC3, 0x80, 0x01, 0x81, 0xC0, 0x03, 0x00, 0xE0, 0x06, 0x00, 0x70, 0x00, 0x00, 0x30,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
};

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kAlarmWhite = 0xFAFAFA;
constexpr COLORREF kAlarmDark = 0x0A0A0A;
constexpr COLORREF kHighFill = 0x0214FA;
constexpr COLORREF kMidFill = 0x00F0FF;
constexpr COLORREF kNoBatteryRed = 0x0000FF;
constexpr int kNoSystemBattery = 128;

// The battery: body from x 1112 to 1163, charge columns from 1162 leftwards.
const CRect kBatteryBox(1110, 0, 1170, 30);
const CRect kMainsBox(1110, 31, 1170, 60);
constexpr int kChargeRight = 1162;
const CRect kMuteBox(750, 0, 880, 59);
const CRect kMuteTimeBox(750, 30, 880, 60);
const CRect kDateBox(1175, 0, 1280, 60);

// The switch setting under which alarms of a type are shown.
int AlarmSwitchOf(const CMonitorData& data, int type)
{
    switch (type) {
    case 1: return data.m_nEcgAlmSw;
    case 2: return data.m_nRespAlmSw;
    case 3: return data.m_nOxyAlmSw;
    case 4: return data.m_nTempAlmSw;
    case 5: return data.m_nBpAlmSw;
    case 6: return data.m_nAirOxyAlmSw;
    case 7: return data.m_nEcgStAlmSw;
    case 8: return data.m_nEcgArraAlmSw;
    default: return 0;
    }
}

}  // namespace

struct CDisplayField::ALARM_LINE {
    int (CMonitorData::*show)(SHOW_ALM* out);
    int types[3];  // 0: no further type
    CRect fill;
    CPoint text;
    CPoint date;
    CPoint time;
};

CDisplayField::CDisplayField() = default;

CDisplayField::~CDisplayField() = default;

int CDisplayField::OnCreate()
{
    GetClientRect(&m_rcClient);
    m_dcMem.CreateCompatibleDC(nullptr);
    m_bmpMem.CreateBitmap(m_rcClient.Width(), m_rcClient.Height());
    m_dcMem.SelectObject(&m_bmpMem);
    m_dcMem.FillSolidRect(0, 0, kWidth, kHeight, kBlack);
    m_dcMem.SetBkColor(kBlack);
    LoadPicture(g_picMains, m_bmpMains, m_dcMains);
    CreateDisplayFont(m_fontText, 20);
    CreateDisplayFont(m_fontAlarm, 24, true);
    CreateDisplayFont(m_fontSmall, 12);
    CreateDisplayFont(m_fontPercent, 20);
    m_pPenFrame = std::make_unique<CPen>(PS_SOLID, 1, 0xD2D2D2);
    m_pPenLow = std::make_unique<CPen>(PS_SOLID, 1, 0x1414F0);
    m_pPenMid = std::make_unique<CPen>(PS_SOLID, 1, 0x14F0F0);
    m_pPenHigh = std::make_unique<CPen>(PS_SOLID, 1, 0x14F014);
    return 1;
}

void CDisplayField::OnPaint(CDC* pDC)
{
    pDC->BitBlt(0, 0, m_rcClient.Width(), m_rcClient.Height(), &m_dcMem, 0, 0, SRCCOPY);
}

BOOL CDisplayField::OnEraseBkgnd(CDC* /*pDC*/) { return TRUE; }

void CDisplayField::OnLButtonDblClk(UINT /*flags*/, CPoint /*point*/)
{
    if (CWnd* parent = GetParent()) parent->PostMessage(WM_PANEL_RESP_DBLCLK, 0, 0);
}

void CDisplayField::RefreshIfDirty()
{
    if (m_bDirty != 1) return;
    m_bDirty = 0;
    Invalidate(TRUE);
}

void CDisplayField::DrawText(CFont& font, COLORREF colour, CPoint at, const char16_t* text)
{
    m_dcMem.SelectObject(&font);
    m_dcMem.SetTextColor(colour);
    m_dcMem.TextOut(at.x, at.y, text);
}

// ---- Patient ----

void CDisplayField::SetPatient(const CPatient& patient)
{
    SetPatientNo(patient.m_szId);
    SetPatientName(patient.m_szName);
    // The first integer of the patient record is its type; 0 is a newborn.
    if (patient.m_nReserved1 == 0) SetPatientType(u"新生儿");
    SetPatientSex(patient.m_nSex == 0 ? u"男" : u"女");
    Invalidate(TRUE);
}

int CDisplayField::DrawPatientField(std::u16string& member, const std::u16string& text, CPoint at)
{
    member = text;
    m_dcMem.FillSolidRect(at.x, at.y, at.x == 0 ? 100 : 30, 30, kBlack);
    DrawText(m_fontText, kTextColour, at, member.c_str());
    m_bDirty = 1;
    return 0;
}

int CDisplayField::SetPatientNo(const std::u16string& text) { return DrawPatientField(m_strPatientNo, text, {0, 0}); }

int CDisplayField::SetPatientName(const std::u16string& text)
{
    return DrawPatientField(m_strPatientName, text, {0, 30});
}

int CDisplayField::SetPatientSex(const std::u16string& text)
{
    return DrawPatientField(m_strPatientSex, text, {120, 0});
}

int CDisplayField::SetPatientType(const std::u16string& text)
{
    return DrawPatientField(m_strPatientType, text, {120, 30});
}

// ---- Date and time ----

void CDisplayField::DrawDateTime()
{
    const LocalTime now = GetLocalTime();
    m_dcMem.FillSolidRect(kDateBox, kBlack);
    char16_t text[32];
    U16Format(text, 32, "%04d-%02d-%02d", now.year, now.month, now.day);
    DrawText(m_fontText, kTextColour, kDateBox.TopLeft(), text);
    U16Format(text, 32, "%02d:%02d:%02d", now.hour, now.minute, now.second);
    DrawText(m_fontText, kTextColour, {kDateBox.left, 30}, text);
    m_bDirty = 1;
}

// ---- Power status ----

void CDisplayField::DrawPowerStatus(int acLine, int batteryFlag, int percent)
{
    if (acLine == m_nLastAcLine && batteryFlag == m_nLastBatteryFlag && percent == m_nLastBatteryPercent) return;
    m_dcMem.FillSolidRect(kBatteryBox, kBlack);
    m_nLastAcLine = acLine;
    m_nLastBatteryFlag = batteryFlag;
    m_nLastBatteryPercent = percent;
    DrawBatteryOutline();
    if (batteryFlag == kNoSystemBattery) {
        DrawNoBattery();
    } else if (percent >= 0 && percent <= 100) {
        // An unknown charge (255) or any other value outside 0..100 leaves the body empty.
        DrawCharge(percent);
    }
    if (acLine == 1) {
        m_dcMem.BitBlt(kMainsBox.left, kMainsBox.top, g_picMains.nWidth, g_picMains.nHeight, &m_dcMains, 0, 0,
                       SRCCOPY);
    } else {
        m_dcMem.FillSolidRect(kMainsBox, kBlack);
    }
    m_bDirty = 1;
}

void CDisplayField::DrawBatteryOutline()
{
    static const CRect kLines[] = {
        {1110, 6, 1110, 24}, {1111, 6, 1111, 24}, {1112, 0, 1163, 0},
        {1112, 28, 1163, 28}, {1112, 0, 1112, 28}, {1163, 0, 1163, 28},
    };
    m_dcMem.SelectObject(m_pPenFrame.get());
    for (const CRect& line : kLines) {
        m_dcMem.MoveTo(line.left, line.top);
        m_dcMem.LineTo(line.right, line.bottom);
    }
}

void CDisplayField::DrawNoBattery()
{
    for (int row = 0; row < 24; ++row) {
        for (int col = 0; col < 24; ++col) {
            const BYTE bits = g_u8NoBatteryPattern[row * 3 + col / 8];
            if (bits & (0x80 >> (col % 8))) m_dcMem.SetPixel(1126 + col, 2 + row, kNoBatteryRed);
        }
    }
}

void CDisplayField::DrawCharge(int percent)
{
    CPen* pen = m_pPenHigh.get();
    if (percent < 30) {
        pen = m_pPenLow.get();
    } else if (percent < 50) {
        pen = m_pPenMid.get();
    }
    m_dcMem.SelectObject(pen);
    for (int i = 0; i < percent / 2; ++i) {
        m_dcMem.MoveTo(kChargeRight - i, 1);
        m_dcMem.LineTo(kChargeRight - i, 28);
    }
    char16_t text[16];
    U16Format(text, 16, "%d%%", percent);
    const int oldMode = m_dcMem.SetBkMode(TRANSPARENT);
    DrawText(m_fontPercent, kTextColour, {1117, 4}, text);
    m_dcMem.SetBkMode(oldMode);
}

// ---- Alarm lines ----

void CDisplayField::DrawAlarmMessages()
{
    static const ALARM_LINE kLines[] = {
        {&CMonitorData::GetEcgShowAlm, {1, 7, 8}, {190, 0, 470, 29}, {191, 0}, {408, 0}, {408, 15}},
        {&CMonitorData::GetRespTempShowAlm, {2, 4, 0}, {470, 0, 750, 29}, {471, 0}, {688, 0}, {688, 15}},
        {&CMonitorData::GetSpo2NibpShowAlm, {3, 5, 0}, {190, 29, 470, 58}, {191, 29}, {408, 29}, {408, 44}},
        {&CMonitorData::GetAirOxyShowAlm, {6, 0, 0}, {470, 29, 750, 58}, {470, 29}, {688, 29}, {688, 44}},
    };
    if (theApp.m_pMonitorData == nullptr) return;
    for (const ALARM_LINE& line : kLines) DrawAlarmLine(line);
    m_bDirty = 1;
}

void CDisplayField::DrawAlarmLine(const ALARM_LINE& line)
{
    CMonitorData& data = *theApp.m_pMonitorData;
    SHOW_ALM alm{};
    if ((data.*line.show)(&alm) == 1) {
        m_dcMem.FillSolidRect(line.fill, kBlack);
        return;
    }
    bool ownType = false;
    for (int type : line.types) ownType = ownType || (type != 0 && alm.u8Type == type);
    if (!ownType || AlarmSwitchOf(data, alm.u8Type) == 0) return;

    COLORREF fill = kBlack;
    COLORREF text = kAlarmWhite;
    if (alm.u8Level == g_i32AlmLevelHigh) {
        fill = kHighFill;
        text = kAlarmDark;
    } else if (alm.u8Level == g_i32AlmLevelMid) {
        fill = kMidFill;
        text = kAlarmDark;
    }
    m_dcMem.FillSolidRect(line.fill, fill);
    alm.cText[15] = 0;
    DrawText(m_fontAlarm, text, line.text, alm.cText);
    if (alm.u8Latched == 0) return;
    const std::u16string time(alm.cTime, 19);
    DrawText(m_fontSmall, text, line.date, time.substr(0, 10).c_str());
    DrawText(m_fontSmall, text, line.time, time.substr(11, 8).c_str());
}

// ---- Silence countdown ----

void CDisplayField::DrawMuteTime()
{
    char16_t text[32];
    U16Format(text, 32, "%d:%2d", m_nMuteSeconds / 60, m_nMuteSeconds % 60);
    DrawText(m_fontAlarm, kAlarmWhite, {751, 30}, text);
}

void CDisplayField::StartMuteCountdown(int seconds)
{
    // Cleared first and drawn opaque on black, whatever an alarm line filled last.
    m_dcMem.FillSolidRect(kMuteBox, kBlack);
    const int oldMode = m_dcMem.SetBkMode(OPAQUE);
    DrawText(m_fontAlarm, kAlarmWhite, {751, 0}, u"静音倒计时");
    m_nMuteSeconds = seconds;
    DrawMuteTime();
    m_dcMem.SetBkMode(oldMode);
}

void CDisplayField::TickMuteCountdown()
{
    if (m_nMuteSeconds > 0) --m_nMuteSeconds;
    m_dcMem.FillSolidRect(kMuteTimeBox, kBlack);
    const int oldMode = m_dcMem.SetBkMode(OPAQUE);
    DrawMuteTime();
    m_dcMem.SetBkMode(oldMode);
}

void CDisplayField::ClearMuteCountdown() { m_dcMem.FillSolidRect(kMuteBox, kBlack); }
