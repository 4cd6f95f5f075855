// Sizes of the sweep wave views in each screen layout (width x height in pixels); the main
// dialog places the views with the same constants.
#pragma once

constexpr int g_i32ECGWaveWidth0 = 930;
constexpr int g_i32ECGWaveHeight0 = 180;
constexpr int g_i32ECGWaveWidth1 = 863;
constexpr int g_i32ECGWaveHeight1 = 180;
constexpr int g_i32ECGWaveWidth2 = 930;
constexpr int g_i32ECGWaveHeight2 = 95;
constexpr int g_i32ECGWaveWidth3 = 770;
constexpr int g_i32ECGWaveHeight3 = 180;

constexpr int g_i32PlethWaveWidth0 = 930;
constexpr int g_i32PlethWaveHeight0 = 120;
constexpr int g_i32PlethWaveWidth1 = 863;
constexpr int g_i32PlethWaveHeight1 = 120;
constexpr int g_i32PlethWaveWidth2 = 930;
constexpr int g_i32PlethWaveHeight2 = 95;
constexpr int g_i32PlethWaveWidth3 = 770;
constexpr int g_i32PlethWaveHeight3 = 120;

constexpr int g_i32RespWaveWidth0 = 930;
constexpr int g_i32RespWaveHeight0 = 120;
constexpr int g_i32RespWaveWidth1 = 863;
constexpr int g_i32RespWaveHeight1 = 120;
constexpr int g_i32RespWaveWidth2 = 930;
constexpr int g_i32RespWaveHeight2 = 95;
constexpr int g_i32RespWaveWidth3 = 770;
constexpr int g_i32RespWaveHeight3 = 120;
