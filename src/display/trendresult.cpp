#include "display/trendresult.h"

#include <algorithm>

#include "core/monitordefs.h"
#include "display/displayfont.h"
#include "platform/clientdc.h"
#include "platform/textu16.h"

namespace {

constexpr int kWidth = g_i32TrendResultWidth;
constexpr int kHeight = g_i32TrendResultHeight;
constexpr int kScaleColumn = 59;   // width of the caption column, and the first grid column
constexpr int kNewestX = 61;       // column of the newest value
constexpr int kBottomRow = 109;    // row of a value at the scale bottom
constexpr int kOffPlot = 1000;     // a no-value point lands far outside the tile
constexpr COLORREF kGridColour = 0xC8640F;

}  // namespace

CTrendResult::CTrendResult(COLORREF crText) : m_crText(crText)
{
    m_pHistory.reserve(kMaxItems);
    for (int i = 0; i < kMaxItems; ++i) m_pHistory.emplace_back(kHistoryLen);
}

CTrendResult::~CTrendResult()
{
    if (IsCreated()) DestroyWindow();
}

int16_t CTrendResult::InvalidValueOf(int16_t id)
{
    switch (id) {
    case 1: return g_i16InvalidHr;
    case 2: return g_i16InvalidSt;
    case 3: return g_i16InvalidPvcs;
    case 4: return g_i16InvalidSbp;
    case 5: return g_i16InvalidDbp;
    case 6: return g_i16InvalidRr;
    case 7: return g_i16InvalidSpo2;
    case 8: return g_i16InvalidPr;
    case 9: return g_i16InvalidTemp;
    default: return g_i16InvalidAirOxy;
    }
}

int CTrendResult::PlotLevel(int value, int top, int bottom)
{
    // Quarters of the scale, as the grid rows mark them. A scale narrower than four steps is
    // measured by its full span, and a scale without span puts a value above it at the top.
    int quarter = (top - bottom) / 4;
    int level;
    if (quarter != 0) {
        level = (value - bottom) * 25 / quarter;
    } else if (top != bottom) {
        level = (value - bottom) * 100 / (top - bottom);
    } else {
        level = value > top ? 100 : 0;
    }
    return std::clamp(level, 0, 100);
}

void CTrendResult::AddItem(const TREND_RESULT_TYPE& item)
{
    if (m_listItem.size() >= static_cast<size_t>(kMaxItems)) {
        m_listItem.erase(m_listItem.begin());
        // The histories move down with their items; the freed ring starts empty.
        std::rotate(m_pHistory.begin(), m_pHistory.begin() + 1, m_pHistory.end());
        m_pHistory.back() = TREND_RING(kHistoryLen);
    }
    m_listItem.push_back(item);
    m_listItem.back().name[7] = u'\0';
}

void CTrendResult::AddValue(int16_t id, int16_t value)
{
    for (size_t k = 0; k < m_listItem.size(); ++k) {
        if (m_listItem[k].id == id) {
            m_pHistory[k].Put(value);
            return;
        }
    }
}

void CTrendResult::Refresh()
{
    DrawBackground();
    DrawCaption();
    DrawHistory();
    Invalidate(TRUE);
}

bool CTrendResult::HasPicture() const
{
    return IsCreated() && !m_bDestroyed;
}

void CTrendResult::DrawBackground()
{
    if (!HasPicture()) return;
    m_dcDraw.BitBlt(m_rcClient.left, m_rcClient.top, kWidth, kHeight, &m_dcBack, 0, 0, SRCCOPY);
}

void CTrendResult::DrawCaption()
{
    if (!HasPicture() || m_listItem.empty()) return;
    const TREND_RESULT_TYPE& item = m_listItem[static_cast<size_t>(m_nSel)];
    U16Copy(m_szName, 8, item.name);
    m_dcDraw.SelectObject(&m_font);
    m_dcDraw.SetTextColor(m_crText);
    m_dcDraw.FillSolidRect(0, 0, kScaleColumn, kHeight, 0x000000);
    char16_t top[32] = u"";
    char16_t bottom[32] = u"";
    switch (item.decimals) {
    case 0:
        U16Format(top, 32, "%d", item.top);
        U16Format(bottom, 32, "%d", item.bottom);
        break;
    case 1:
        U16Format(top, 32, "%0.1f", item.top / 10.0);
        U16Format(bottom, 32, "%0.1f", item.bottom / 10.0);
        break;
    case 2:
        U16Format(top, 32, "%0.2f", item.top / 100.0);
        U16Format(bottom, 32, "%0.2f", item.bottom / 100.0);
        break;
    default:
        break;
    }
    if (top[0] != u'\0') {
        m_dcDraw.TextOut(0, 10, top);
        m_dcDraw.TextOut(0, 90, bottom);
    }
    m_dcDraw.TextOut(0, 50, m_szName);
}

void CTrendResult::DrawHistory()
{
    if (!HasPicture() || m_listItem.empty()) return;
    const TREND_RESULT_TYPE& item = m_listItem[static_cast<size_t>(m_nSel)];
    const TREND_RING& ring = m_pHistory[static_cast<size_t>(m_nSel)];
    const int16_t marker = InvalidValueOf(item.id);
    for (int i = 0; i < kHistoryLen && i < ring.count; ++i) {
        int16_t v = ring.Back(i);
        int level = v == marker ? kOffPlot : PlotLevel(v, item.top, item.bottom);
        m_dcDraw.SetPixel(kNewestX + i, kBottomRow - level, m_crText);
    }
}

void CTrendResult::DrawGrid()
{
    for (int x = kScaleColumn; x < kWidth; x += 25) {
        for (int j = 1; j < 100; j += 2) m_dcBack.SetPixel(x, kHeight - (j + 5), kGridColour);
    }
    for (int r = 0; r < 5; ++r) {
        int y = kHeight - 5 - 25 * r;
        for (int x = 60; x < kWidth; x += 2) m_dcBack.SetPixel(x, y, kGridColour);
    }
}

int CTrendResult::OnCreate()
{
    GetClientRect(&m_rcClient);
    CClientDC dc(this);
    CDC* dcs[] = {&m_dcDraw, &m_dcBack};
    CBitmap* bmps[] = {&m_bmpDraw, &m_bmpBack};
    for (int i = 0; i < 2; ++i) {
        dcs[i]->CreateCompatibleDC(&dc);
        bmps[i]->CreateCompatibleBitmap(&dc, kWidth, kHeight);
        dcs[i]->SelectObject(bmps[i]);
        dcs[i]->FillSolidRect(0, 0, kWidth, kHeight, 0x000000);
    }
    DrawGrid();
    CreateDisplayFont(m_font, 18);
    m_dcDraw.SelectObject(&m_font);
    m_dcDraw.SetTextColor(m_crText);
    m_nSel = 0;
    m_bDestroyed = 0;
    Refresh();
    return 0;
}

void CTrendResult::OnPaint(CDC* pDC)
{
    pDC->BitBlt(m_rcClient.left, m_rcClient.top, kWidth, kHeight, &m_dcDraw, 0, 0, SRCCOPY);
}

void CTrendResult::OnLButtonDblClk(UINT /*flags*/, CPoint /*point*/)
{
    // A tile without items has nothing to switch to.
    if (!m_listItem.empty()) m_nSel = (m_nSel + 1) % static_cast<int>(m_listItem.size());
    Refresh();
}

void CTrendResult::OnDestroy()
{
    CStatic::OnDestroy();
    m_bDestroyed = 1;
    m_dcDraw.DeleteDC();
    m_dcBack.DeleteDC();
    m_bmpDraw.DeleteObject();
    m_bmpBack.DeleteObject();
}
