#include "display/respwave.h"

#include "display/wavelayout.h"

namespace {
const CSize kSizes[CBaselineWave::kLayouts] = {
    CSize(g_i32RespWaveWidth0, g_i32RespWaveHeight0), CSize(g_i32RespWaveWidth1, g_i32RespWaveHeight1),
    CSize(g_i32RespWaveWidth2, g_i32RespWaveHeight2), CSize(g_i32RespWaveWidth3, g_i32RespWaveHeight3)};
}

CRespWave::CRespWave(int /*cx*/, int /*cy*/, unsigned int /*nStyle*/) : CBaselineWave(kSizes, RGB(238, 238, 98)) {}
