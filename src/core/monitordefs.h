// Constants of the live values: the no-value markers and the window messages that the value
// panels and the record thread post.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

// No-value markers of the live values; 16-bit fields hold them as two's complement.
constexpr int16_t g_i16InvalidHr = -100;
constexpr int16_t g_i16InvalidPvcs = -100;
constexpr int16_t g_i16InvalidRr = -100;
constexpr int16_t g_i16InvalidSpo2 = -100;
constexpr int16_t g_i16InvalidPr = -100;
constexpr int16_t g_i16InvalidTemp = -100;
constexpr int16_t g_i16InvalidSbp = -100;
constexpr int16_t g_i16InvalidDbp = -100;
constexpr int16_t g_i16InvalidAirOxy = -100;
constexpr int16_t g_i16InvalidSt = -10000;

// Bit of CMonitorData::m_dwStartupFlags set during the first 15 s after the link started.
constexpr uint32_t g_dwStartupPhase = 0x4;

// Window messages.
constexpr UINT WM_PANEL_ECG_DBLCLK = WM_USER + 1000;
constexpr UINT WM_PANEL_BP_DBLCLK = WM_USER + 1001;
constexpr UINT WM_PANEL_TEMP_DBLCLK = WM_USER + 1002;
constexpr UINT WM_PANEL_SPO2_DBLCLK = WM_USER + 1003;
constexpr UINT WM_PANEL_RESP_DBLCLK = WM_USER + 1004;
constexpr UINT WM_PANEL_FA_DBLCLK = WM_USER + 1005;
constexpr UINT WM_REC_QUERY_DONE = WM_USER + 1006;
constexpr WPARAM g_wRecQueryDone = 2031;  // wParam of WM_REC_QUERY_DONE
