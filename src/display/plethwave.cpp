#include "display/plethwave.h"

#include "display/wavelayout.h"

namespace {
const CSize kSizes[CBaselineWave::kLayouts] = {
    CSize(g_i32PlethWaveWidth0, g_i32PlethWaveHeight0), CSize(g_i32PlethWaveWidth1, g_i32PlethWaveHeight1),
    CSize(g_i32PlethWaveWidth2, g_i32PlethWaveHeight2), CSize(g_i32PlethWaveWidth3, g_i32PlethWaveHeight3)};
}

CPlethWave::CPlethWave(int /*cx*/, int /*cy*/, unsigned int /*nStyle*/) : CBaselineWave(kSizes, RGB(128, 205, 255)) {}
