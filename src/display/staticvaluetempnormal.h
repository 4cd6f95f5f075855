// The temperature group's value panel: body temperature in tenths of a degree, its limits and
// the unit letter.
#pragma once

#include "display/valuepanel.h"

class CStaticValueTempNormal : public CValuePanel {
public:
    static constexpr COLORREF kPanelColour = 0xD2D2D2;

    CStaticValueTempNormal();

    int SetTemp(short value, bool force);
    int SetTempAlmH(short value, bool force);
    int SetTempAlmL(short value, bool force);
    // 0 Celsius ("C"), otherwise Fahrenheit ("F"); only the letter changes.
    int SetTempUnit(short value, bool force);

protected:
    void DrawLabels() override {}
    void RedrawItems() override;

private:
    int16_t m_i16Temp = 0;
    int16_t m_i16TempAlmH = 0;
    int16_t m_i16TempAlmL = 0;
    int16_t m_i16TempUnit = 0;
};
