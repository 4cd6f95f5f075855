#include "display/staticbpvaluenormal.h"

#include <algorithm>
#include <string>

#include "core/monitordefs.h"
#include "platform/clock.h"
#include "platform/textu16.h"

namespace {

constexpr COLORREF kText = CStaticBPValueNormal::kTextColour;
constexpr int kMaxPressure = 300;
constexpr int kResultFont = 16;
const CRect kNone;

const PANEL_ITEM kNibp = {{BoxAt(4, 70, 210, 56), BoxAt(4, 100, 270, 80)}, {56, 100}, kText, u"300/300"};
const PANEL_ITEM kAlmH = {{BoxAt(220, 40, 101, 26), BoxAt(370, 100, 101, 26)}, {24, 24}, kText, u"300/300"};
const PANEL_ITEM kAlmL = {{BoxAt(220, 103, 101, 26), BoxAt(370, 163, 101, 26)}, {24, 24}, kText, u"300/300"};
const PANEL_ITEM kMid = {{BoxAt(220, 70, 58, 25), BoxAt(370, 135, 58, 25)}, {24, 24}, kText, u"300"};
const PANEL_ITEM kTime = {{BoxAt(100, 5, 121, 28), BoxAt(100, 5, 160, 40)}, {24, 32}, kText, u"00:00:00"};
const PANEL_ITEM kUnit = {{BoxAt(220, 5, 71, 31), BoxAt(370, 15, 71, 31)}, {24, 24}, kText, u"mmHg"};
// The result lines of the large layout: one 200 x 20 box per line from (480, 10) down.
const PANEL_ITEM kResults = {{kNone, BoxAt(480, 10, 200, 180)}, {kResultFont, kResultFont}, kText, nullptr};

const PANEL_LOOK kLook = {u"血压", CStaticBPValueNormal::kPanelColour, CSize(g_i32BPValueWidth, g_i32BPValueHeight),
                          CSize(g_i32BPValueLargeWidth, g_i32BPValueLargeHeight),
                          BoxAt(70, 0, 28, 25), WM_PANEL_BP_DBLCLK, 0x000000};

}  // namespace

CStaticBPValueNormal::CStaticBPValueNormal()
    : CValuePanel(kLook, {&kNibp, &kAlmH, &kAlmL, &kMid, &kTime, &kUnit, &kResults})
{
}

int CStaticBPValueNormal::SetPair(const PANEL_ITEM& item, int16_t& sbpCache, int16_t& dbpCache, int sbp, int dbp,
                                  bool force)
{
    if (!force && sbp == sbpCache && dbp == dbpCache) return 0;
    sbpCache = static_cast<int16_t>(sbp);
    dbpCache = static_cast<int16_t>(dbp);
    // The systolic value into 0..300, the diastolic into 0..systolic.
    const int high = std::clamp(sbp, 0, kMaxPressure);
    const int low = std::clamp(dbp, 0, high);
    char16_t text[16];
    U16Format(text, 16, "%d/%d", high, low);
    DrawItemText(item, text);
    return 0;
}

int CStaticBPValueNormal::SetNibp(int sbp, int dbp, bool force) { return SetPair(kNibp, m_i16Sbp, m_i16Dbp, sbp, dbp, force); }

int CStaticBPValueNormal::SetNibpAlmH(int sbpH, int dbpH, bool force)
{
    return SetPair(kAlmH, m_i16SbpAlmH, m_i16DbpAlmH, sbpH, dbpH, force);
}

int CStaticBPValueNormal::SetNibpAlmL(int sbpL, int dbpL, bool force)
{
    return SetPair(kAlmL, m_i16SbpAlmL, m_i16DbpAlmL, sbpL, dbpL, force);
}

int CStaticBPValueNormal::SetNibpMidValue(int value, bool force)
{
    if (!TakeValue(m_i16MidValue, value, force)) return 0;
    char16_t text[16];
    U16Format(text, 16, "%d", std::clamp(value, 0, kMaxPressure));
    DrawItemText(kMid, text);
    return 0;
}

int CStaticBPValueNormal::SetNibpTime(int hour, int minute, int second, bool force)
{
    if (!force && hour == m_i16Hour && minute == m_i16Minute && second == m_i16Second) return 0;
    m_i16Hour = static_cast<int16_t>(hour);
    m_i16Minute = static_cast<int16_t>(minute);
    m_i16Second = static_cast<int16_t>(second);
    char16_t text[32];
    U16Format(text, 32, "%2d:%2d:%2d", hour, minute, second);
    DrawItemText(kTime, text);
    return 0;
}

void CStaticBPValueNormal::AddNibpResult(short sbp, short dbp, short mean, short extra, short status)
{
    RESULT line{sbp, dbp, mean, extra, status, {}};
    const LocalTime now = GetLocalTime();
    U16Format(line.Time, 20, "%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day, now.hour, now.minute,
              now.second);
    if (m_listResult.size() >= kMaxResults) m_listResult.pop_front();
    m_listResult.push_back(line);
}

void CStaticBPValueNormal::DrawNibpResults()
{
    if (GetLargeMode() == 0) return;
    m_dcMem.SelectObject(Font(kResultFont));
    m_dcMem.SetTextColor(kText);
    const CRect& area = kResults.rcBox[g_nLayoutLarge];
    int y = area.top;
    for (const RESULT& line : m_listResult) {
        char16_t head[32];
        if (line.Status != 0) {
            U16Format(head, 32, "%s          ", "无结果");
        } else {
            U16Format(head, 32, "%3d/%3d (%3d)   ", line.Sbp, line.Dbp, line.Mean);
        }
        const std::u16string text = std::u16string(head) + line.Time;
        FillBox(BoxAt(area.left, y, area.Width(), 20), 0x000000);
        m_dcMem.TextOut(area.left, y, text);
        y += 20;
    }
}

void CStaticBPValueNormal::DrawLabels()
{
    DrawItemText(kUnit, u"mmHg");
    DrawNibpResults();
}

void CStaticBPValueNormal::RedrawItems()
{
    SetNibpTime(m_i16Hour, m_i16Minute, m_i16Second, true);
    SetNibp(m_i16Sbp, m_i16Dbp, true);
    SetNibpAlmH(m_i16SbpAlmH, m_i16DbpAlmH, true);
    SetNibpAlmL(m_i16SbpAlmL, m_i16DbpAlmL, true);
    SetNibpMidValue(m_i16MidValue, true);
}
