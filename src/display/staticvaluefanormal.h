// The value panel of the air-oxygen mix: oxygen concentration in percent and its limits.
#pragma once

#include "display/valuepanel.h"

class CStaticValueFANormal : public CValuePanel {
public:
    static constexpr COLORREF kPanelColour = 0xD2D2D2;
    static constexpr COLORREF kValueColour = 0xEEDDDD;

    CStaticValueFANormal();

    int SetAirOxy(short value, bool force);
    int SetAirOxyAlmH(short value, bool force);
    int SetAirOxyAlmL(short value, bool force);

protected:
    void DrawLabels() override;
    void RedrawItems() override;

private:
    int16_t m_i16AirOxy = 0;
    int16_t m_i16AirOxyAlmH = 0;
    int16_t m_i16AirOxyAlmL = 0;
};
