#include "app/maintrends.h"

#include "appbase/tesmorapp.h"
#include "display/ecgrespspo2trend.h"
#include "display/threaddraw.h"
#include "display/trendresult.h"
#include "display/valuecolors.h"

namespace {

// Parameter ids of the trend items.
enum TrendId : int16_t {
    kIdHr = 1, kIdSt = 2, kIdPvcs = 3, kIdSbp = 4, kIdDbp = 5,
    kIdRr = 6, kIdSpo2 = 7, kIdPr = 8, kIdTemp = 9, kIdAirOxy = 10,
};

struct TILE {
    COLORREF colour;
    int itemCount;
    TREND_RESULT_TYPE items[3];
};

// Each tile's colour and items in order: id, decimals, top, bottom, name.
const TILE kTiles[MainLayout::kTrendTiles] = {
    {g_crECGValue, 3, {{kIdHr, 0, 300, 0, u"心律"}, {kIdSt, 2, 100, -100, u"ST"}, {kIdPvcs, 0, 20, 0, u"PVC"}}},
    {g_crBPValue, 2, {{kIdSbp, 0, 300, 0, u"收缩压"}, {kIdDbp, 0, 300, 0, u"舒张压"}}},
    {g_crTempValue, 1, {{kIdTemp, 1, 420, 340, u"体温"}}},
    {g_crSPO2Value, 2, {{kIdSpo2, 0, 100, 0, u"饱和度"}, {kIdPr, 0, 300, 0, u"脉率"}}},
    {g_crRespValue, 1, {{kIdRr, 0, 120, 0, u"呼吸率"}}},
    {g_crFAValue, 1, {{kIdAirOxy, 0, 100, 0, u"氧浓度"}}},
};

}  // namespace

CMainTrends::CMainTrends() = default;
CMainTrends::~CMainTrends() { Delete(); }

void CMainTrends::Create(CWnd* parent)
{
    m_pTrend = std::make_unique<CECGRespSpo2Trend>();
    PlaceControl(*m_pTrend, MainLayout::kMiniTrend, parent);
    CreateTiles(parent);
}

void CMainTrends::CreateTiles(CWnd* parent)
{
    for (int t = 0; t < MainLayout::kTrendTiles; ++t) {
        const TILE& tile = kTiles[t];
        auto result = std::make_unique<CTrendResult>(tile.colour);
        for (int i = 0; i < tile.itemCount; ++i) result->AddItem(tile.items[i]);
        PlaceControl(*result, MainLayout::kTrendTile[t], parent);
        result->DrawCaption();
        m_pTile[static_cast<size_t>(t)] = std::move(result);
    }
}

void CMainTrends::OnTick(const uint8_t* resp, int count, uint16_t rr, uint16_t hr, uint16_t spo2)
{
    if (theApp.m_pThreadDraw != nullptr) theApp.m_pThreadDraw->AddData(resp, count, rr, hr, spo2);
}

void CMainTrends::OnSecond(const TREND_VALUES& v)
{
    if (theApp.m_pThreadDraw != nullptr && m_pTrend != nullptr) {
        theApp.m_pThreadDraw->BlitTo(&m_pTrend->m_dcMem);  // skipped while the thread draws
        m_pTrend->Invalidate(TRUE);
    }
    const std::pair<int16_t, int16_t> points[] = {
        {kIdHr, v.hr}, {kIdSt, v.st}, {kIdPvcs, v.pvcs}, {kIdSbp, v.sbp}, {kIdDbp, v.dbp},
        {kIdRr, v.rr}, {kIdSpo2, v.spo2}, {kIdPr, v.pr}, {kIdTemp, v.temp}, {kIdAirOxy, v.airOxy},
    };
    for (const auto& tile : m_pTile) {
        if (!tile) continue;
        for (const auto& p : points) tile->AddValue(p.first, p.second);
        tile->Refresh();
    }
}

void CMainTrends::Delete()
{
    m_pTrend.reset();
    for (auto& tile : m_pTile) tile.reset();
}
