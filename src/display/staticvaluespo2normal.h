// The SpO2 group's value panel: oxygen saturation, pulse rate, their limits and the
// pulse-strength bar.
#pragma once

#include "display/valuepanel.h"

class CStaticValueSPO2Normal : public CValuePanel {
public:
    static constexpr COLORREF kPanelColour = 0xE6C806;
    static constexpr COLORREF kValueColour = 0xFFCD80;

    CStaticValueSPO2Normal();

    int SetSpo2(short value, bool force);
    int SetPr(short value, bool force);
    int SetSpo2AlmH(short value, bool force);
    int SetSpo2AlmL(short value, bool force);
    int SetPrAlmH(short value, bool force);
    int SetPrAlmL(short value, bool force);
    // The pulse-strength bar: n lit segments from the bottom, as many as the bar area holds.
    void SetPulseBar(uint8_t n, bool force);

    // Segments the bar area of a layout holds.
    static int BarCapacity(int layout);

protected:
    void DrawLabels() override;
    void RedrawItems() override;

private:
    int16_t m_i16Spo2 = 0;
    int16_t m_i16Pr = 0;
    int16_t m_i16Spo2AlmH = 0;
    int16_t m_i16Spo2AlmL = 0;
    int16_t m_i16PrAlmH = 0;
    int16_t m_i16PrAlmL = 0;
    uint8_t m_u8PulseBar = 0;
};
