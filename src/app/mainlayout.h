// The main screen's layout (screen layout 0), in one table: where each display control
// stands in the 1400 x 800 main window and whether it shows. Sizes are the controls' own.
#pragma once

#include "display/wavelayout.h"
#include "platform/geometry.h"
#include "platform/wnd.h"

struct PLACEMENT {
    int x;
    int y;
    int width;
    int height;
    bool shown;
    CRect Rect() const { return CRect(x, y, x + width, y + height); }
};

// Creates a display control at its place: a child static with the notify style (so that
// double clicks reach it) and control id 123, hidden when this screen does not show it.
template <class Control>
void PlaceControl(Control& control, const PLACEMENT& place, CWnd* parent)
{
    control.Create(parent, place.Rect(), 123, WS_CHILD | WS_VISIBLE | SS_NOTIFY);
    if (!place.shown) control.ShowWindow(SW_HIDE);
}

namespace MainLayout {

constexpr int kEcgViews = 7;

//                                      x     y   width                height                shown
constexpr PLACEMENT kStatusStrip    = {   0,    0, 1280,                60,                   true};
// The two ECG traces of this layout; the other five leads wait hidden for the layouts that
// show every lead.
constexpr PLACEMENT kEcgWave[kEcgViews] = {
                                      {   0,   60, g_i32ECGWaveWidth0,  g_i32ECGWaveHeight0,  true},
                                      {   0,  240, g_i32ECGWaveWidth0,  g_i32ECGWaveHeight0,  true},
                                      {   0,   60, g_i32ECGWaveWidth0,  g_i32ECGWaveHeight0,  false},
                                      {   0,   60, g_i32ECGWaveWidth0,  g_i32ECGWaveHeight0,  false},
                                      {   0,   60, g_i32ECGWaveWidth0,  g_i32ECGWaveHeight0,  false},
                                      {   0,   60, g_i32ECGWaveWidth0,  g_i32ECGWaveHeight0,  false},
                                      {   0,   60, g_i32ECGWaveWidth0,  g_i32ECGWaveHeight0,  false}};
constexpr PLACEMENT kPlethWave      = {   0,  420, g_i32PlethWaveWidth0, g_i32PlethWaveHeight0, true};
constexpr PLACEMENT kRespWave       = {   0,  540, g_i32RespWaveWidth0, g_i32RespWaveHeight0, true};
// The wave captions "ECG", "ECG", "PLETH" and "RESP", over the views they name.
constexpr int kWaveCaptions = 4;
constexpr PLACEMENT kWaveCaption[kWaveCaptions] = {
                                      {  10,   60,   40,                 20,                   true},
                                      {  10,  260,   40,                 20,                   true},
                                      {  10,  460,   60,                 20,                   true},
                                      {  10,  600,   60,                 20,                   true}};
// Value panels at their normal positions.
constexpr PLACEMENT kEcgPanel       = { 940,   60,  340,                160,                  true};
constexpr PLACEMENT kBpPanel        = { 940,  222,  340,                140,                  true};
constexpr PLACEMENT kTempPanel      = { 940,  364,  340,                115,                  true};
constexpr PLACEMENT kSpo2Panel      = { 940,  481,  340,                115,                  true};
constexpr PLACEMENT kRespPanel      = { 940,  598,  190,                145,                  true};
constexpr PLACEMENT kFaPanel        = {1130,  598,  150,                145,                  true};

// The mini-trend and the trend tiles belong to the layouts with trends: created, placed and
// fed, but hidden on this screen.
constexpr PLACEMENT kMiniTrend      = {   0,  440,  938,                265,                  false};
constexpr int kTrendTiles = 6;
constexpr PLACEMENT kTrendTile[kTrendTiles] = {
                                      { 775,   60,  160,                114,                  false},
                                      { 775,  174,  160,                114,                  false},
                                      { 775,  288,  160,                114,                  false},
                                      { 775,  402,  160,                114,                  false},
                                      { 775,  516,  160,                114,                  false},
                                      { 775,  630,  160,                114,                  false}};

}  // namespace MainLayout
