// The ECG group's value panel: heart rate with its limits, the heart-rate source, PVCs, ST1
// and ST2, the pace-detection switch and the heart that flashes on each detected beat.
#pragma once

#include "display/valuepanel.h"

class CStaticValueECGNormal : public CValuePanel {
public:
    static constexpr COLORREF kPanelColour = 0x00E100;
    static constexpr COLORREF kSpo2SourceColour = 0xE6C806;

    CStaticValueECGNormal();

    int SetHr(short value, bool force);
    int SetHrAlmH(short value, bool force);
    int SetHrAlmL(short value, bool force);
    int SetHrSource(short value, bool force);
    int SetPvcs(short value, bool force);
    int SetSt1(short value, bool force);
    int SetSt2(short value, bool force);
    int SetPaceSw(short value, bool force);
    int SetBeat(short beat, bool force);


    int OnCreate() override;

protected:
    void DrawLabels() override {}
    void RedrawItems() override;

private:
    int16_t m_i16Hr = 0;
    int16_t m_i16St1 = 0;
    int16_t m_i16St2 = 0;
    int16_t m_i16HrAlmH = 0;
    int16_t m_i16HrAlmL = 0;
    uint8_t m_u8Beat = 0;
    uint8_t m_u8HrSource = 0;
    int16_t m_i16Pvcs = 0;
    int16_t m_i16PaceSw = 0;
    CBitmap m_bmpHeart;
    CDC m_dcHeart;
};
