// The NIBP group's value panel: systolic and diastolic pressure, the limit pairs, a middle
// value, the time of the measurement and, in the large layout, the list of recent results.
#pragma once

#include <deque>

#include "display/valuepanel.h"

// The panel's sizes in the normal and the large layout.
constexpr int g_i32BPValueWidth = 340;
constexpr int g_i32BPValueHeight = 140;
constexpr int g_i32BPValueLargeWidth = 868;
constexpr int g_i32BPValueLargeHeight = 203;

// One line of the result list.
struct RESULT {
    int16_t Sbp;
    int16_t Dbp;
    int16_t Mean;
    int16_t Extra;   // stored, never shown
    int16_t Status;  // 0 a valid result; otherwise shown as "无结果"
    char16_t Time[20];  // "%04d-%02d-%02d %02d:%02d:%02d" when the line was added
};

class CStaticBPValueNormal : public CValuePanel {
public:
    static constexpr COLORREF kPanelColour = 0xD2D2D2;
    static constexpr COLORREF kTextColour = 0xEEDDDD;
    static constexpr size_t kMaxResults = 9;

    CStaticBPValueNormal();

    int SetNibp(int sbp, int dbp, bool force);
    int SetNibpAlmH(int sbpH, int dbpH, bool force);
    int SetNibpAlmL(int sbpL, int dbpL, bool force);
    int SetNibpMidValue(int value, bool force);
    int SetNibpTime(int hour, int minute, int second, bool force);
    // Appends a result stamped with the local time; a full list gives up its oldest line.
    // Nothing is drawn: the lines show at the next switch to the large layout.
    void AddNibpResult(short sbp, short dbp, short mean, short extra, short status);
    // Draws the result lines while the large layout is shown.
    void DrawNibpResults();

    const std::deque<RESULT>& Results() const { return m_listResult; }

protected:
    void DrawLabels() override;
    void RedrawItems() override;

private:
    int SetPair(const PANEL_ITEM& item, int16_t& sbpCache, int16_t& dbpCache, int sbp, int dbp, bool force);

    std::deque<RESULT> m_listResult;
    int16_t m_i16Sbp = 0;
    int16_t m_i16Dbp = 0;
    int16_t m_i16SbpAlmH = 0;
    int16_t m_i16DbpAlmH = 0;
    int16_t m_i16SbpAlmL = 0;
    int16_t m_i16DbpAlmL = 0;
    int16_t m_i16Hour = 0;
    int16_t m_i16Minute = 0;
    int16_t m_i16Second = 0;
    int16_t m_i16MidValue = 0;
};
