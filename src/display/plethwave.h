// The SpO2 plethysmogram sweep view.
#pragma once

#include "display/baselinewave.h"

class CPlethWave : public CBaselineWave {
public:
    // The arguments are not used: the size is that of layout mode 0.
    CPlethWave(int cx, int cy, unsigned int nStyle);
};
