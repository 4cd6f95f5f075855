// The respiration group's value panel: respiration rate and its limits.
#pragma once

#include "display/valuepanel.h"

class CStaticValueRespNormal : public CValuePanel {
public:
    static constexpr COLORREF kPanelColour = 0x0ADCDC;
    static constexpr COLORREF kValueColour = 0x62EEEE;

    CStaticValueRespNormal();

    int SetRr(short value, bool force);
    int SetRrAlmH(short value, bool force);
    int SetRrAlmL(short value, bool force);

protected:
    void DrawLabels() override;
    void RedrawItems() override;

private:
    int16_t m_i16Rr = 0;
    int16_t m_i16RrAlmH = 0;
    int16_t m_i16RrAlmL = 0;
};
