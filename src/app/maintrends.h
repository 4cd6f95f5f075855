// The main screen's trends: the mini-trend view, whose picture the drawing thread draws, and
// the six trend tiles. Every tick the drawing thread gets the new respiration samples and the
// current rates; every second the picture is copied into the view and the tiles get a point.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "app/mainlayout.h"

class CWnd;
class CECGRespSpo2Trend;
class CTrendResult;

// One second's trend point of every parameter, as signed values with their markers.
struct TREND_VALUES {
    int16_t hr;
    int16_t st;
    int16_t pvcs;
    int16_t sbp;
    int16_t dbp;
    int16_t rr;
    int16_t spo2;
    int16_t pr;
    int16_t temp;
    int16_t airOxy;
};

class CMainTrends {
public:
    CMainTrends();
    ~CMainTrends();
    CMainTrends(const CMainTrends&) = delete;
    CMainTrends& operator=(const CMainTrends&) = delete;

    // The drawing thread must be running (theApp.m_pThreadDraw).
    void Create(CWnd* parent);
    void OnTick(const uint8_t* resp, int count, uint16_t rr, uint16_t hr, uint16_t spo2);
    void OnSecond(const TREND_VALUES& values);
    void Delete();

private:
    void CreateTiles(CWnd* parent);

    std::unique_ptr<CECGRespSpo2Trend> m_pTrend;
    std::array<std::unique_ptr<CTrendResult>, MainLayout::kTrendTiles> m_pTile;
};
