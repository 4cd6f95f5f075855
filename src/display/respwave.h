// The respiration wave sweep view.
#pragma once

#include "display/baselinewave.h"

class CRespWave : public CBaselineWave {
public:
    // The arguments are not used: the size is that of layout mode 0.
    CRespWave(int cx, int cy, unsigned int nStyle);
};
