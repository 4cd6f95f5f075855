// The status strip across the top of the main screen (1280 x 60): the patient, four alarm
// lines (one per alarm group, rotating through the group's alarms), the alarm-silence
// countdown, the battery and mains symbols and the date and time. Everything is drawn into an
// off-screen surface that painting only copies; RefreshIfDirty turns changes into a repaint.
#pragma once

#include <memory>
#include <string>

#include "core/patient.h"
#include "platform/bitmap.h"
#include "platform/dc.h"
#include "platform/font.h"
#include "platform/pen.h"
#include "platform/static.h"

struct SHOW_ALM;

// The cross drawn instead of the charge when there is no system battery: 24 x 24, 3 bytes a
// row, leftmost pixel in the most significant bit.
extern const BYTE g_u8NoBatteryPattern[72];

class CDisplayField : public CStatic {
public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 60;
    static constexpr COLORREF kTextColour = 0xF5F5F5;

    CDisplayField();
    ~CDisplayField() override;

    void SetPatient(const CPatient& patient);
    int SetPatientNo(const std::u16string& text);
    int SetPatientName(const std::u16string& text);
    int SetPatientSex(const std::u16string& text);
    int SetPatientType(const std::u16string& text);

    // Local date and time at the right end.
    void DrawDateTime();
    // Battery and mains symbols from the platform's power status; drawn only on a change.
    void DrawPowerStatus(int acLine, int batteryFlag, int percent);
    // The next entry of each alarm group, on its level's colours.
    void DrawAlarmMessages();
    void RefreshIfDirty();

    void StartMuteCountdown(int seconds);
    void TickMuteCountdown();
    void ClearMuteCountdown();

    // The off-screen picture and its state, for tests.
    const CBitmap& Surface() const { return m_bmpMem; }
    COLORREF GetSurfacePixel(int x, int y) const { return m_bmpMem.GetPixel(x, y); }
    int IsDirty() const { return m_bDirty; }
    int GetMuteSeconds() const { return m_nMuteSeconds; }

    int OnCreate() override;
    void OnPaint(CDC* pDC) override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnLButtonDblClk(UINT flags, CPoint point) override;

private:
    struct ALARM_LINE;

    int DrawPatientField(std::u16string& member, const std::u16string& text, CPoint at);
    void DrawText(CFont& font, COLORREF colour, CPoint at, const char16_t* text);
    void DrawBatteryOutline();
    void DrawNoBattery();
    void DrawCharge(int percent);
    void DrawAlarmLine(const ALARM_LINE& line);
    void DrawMuteTime();

    int m_nLastAcLine = -1;
    int m_nLastBatteryFlag = -1;
    int m_nLastBatteryPercent = -1;
    std::u16string m_strPatientNo;
    std::u16string m_strPatientName;
    std::u16string m_strPatientType;
    std::u16string m_strPatientSex;
    CRect m_rcClient;
    CDC m_dcMem;
    CBitmap m_bmpMem;
    CBitmap m_bmpMains;
    CDC m_dcMains;
    int m_bDirty = 0;
    CFont m_fontText;
    CFont m_fontAlarm;
    CFont m_fontSmall;
    CFont m_fontPercent;
    std::unique_ptr<CPen> m_pPenFrame;
    std::unique_ptr<CPen> m_pPenLow;
    std::unique_ptr<CPen> m_pPenMid;
    std::unique_ptr<CPen> m_pPenHigh;
    int m_nMuteSeconds = 0;
};
