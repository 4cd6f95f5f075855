// The parameter colours of the main screen (COLORREF, 0x00BBGGRR): each parameter's panel,
// its trend curve and its trend tile use the same colour.
#pragma once

#include "platform/wintypes.h"

inline constexpr COLORREF g_crECGValue = 0x00E100;   // RGB(0, 225, 0)
inline constexpr COLORREF g_crBPValue = 0xD2D2D2;    // RGB(210, 210, 210)
inline constexpr COLORREF g_crTempValue = 0xD2D2D2;  // RGB(210, 210, 210)
inline constexpr COLORREF g_crSPO2Value = 0xE6C806;  // RGB(6, 200, 230)
inline constexpr COLORREF g_crRespValue = 0x0ADCDC;  // RGB(220, 220, 10)
inline constexpr COLORREF g_crFAValue = 0xD2D2D2;    // RGB(210, 210, 210)
