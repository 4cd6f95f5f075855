#include "display/threaddraw.h"

#include <algorithm>

#include "core/monitordefs.h"
#include "display/displayfont.h"
#include "display/valuecolors.h"
#include "platform/clock.h"

namespace {

constexpr int kWidth = g_i32ECGRespSpo2TrendWidth;
constexpr int kHeight = g_i32ECGRespSpo2TrendHeight;
constexpr COLORREF kFrameColour = 0xD2D2D2;
constexpr int kNowX = 935;            // the newest point of every strip
constexpr int kLoopMs = 40;
constexpr int kGroupBytes = 5;        // respiration bytes per compressed point
constexpr int kGroupsPerPoint = 25;   // compressed points per trend point
constexpr int kMarkerOffset = 1000;   // puts a no-value point far above the picture
constexpr int kCaptionY = 222;

const int kGridColumns[] = {35, 215, 395, 575, 755, 935};
const int kHrRows[] = {2, 16, 30, 44, 58, 72};
const int kSpo2Rows[] = {76, 90, 104, 118, 132, 147};
const int kRrRows[] = {151, 168, 185, 202, 219};

}  // namespace

// Where and how one trend strip plots its values.
struct CThreadDraw::TrendStrip {
    int baseline;
    int mul;
    int div;
    int maxOffset;
    int16_t marker;

    int Offset(int16_t value) const
    {
        if (value == marker) return kMarkerOffset;
        return std::clamp(value * mul / div, 0, maxOffset);
    }
};

CThreadDraw::CThreadDraw() : m_pPoints(3750) {}

CThreadDraw::~CThreadDraw()
{
    FreeDrawObjects();
}

BOOL CThreadDraw::InitInstance()
{
    return TRUE;
}

int CThreadDraw::Run()
{
    for (;;) {
        RunPass();
        if (m_bExit.load()) return ExitInstance();
        Sleep(kLoopMs);
    }
}

int CThreadDraw::ExitInstance()
{
    // Take the picture for good before freeing it: a copy still in progress ends first, and
    // any later copy is skipped.
    for (;;) {
        {
            CSingleLock draw(m_csDraw);
            if (m_nSurfaceOwner == OWNER_NONE) {
                m_nSurfaceOwner = OWNER_DRAW;
                break;
            }
        }
        Sleep(1);
    }
    FreeDrawObjects();
    return CWinThread::ExitInstance();
}

void CThreadDraw::RunPass()
{
    if (!m_bDrawEnable.load() || !m_bSurfaces.load()) return;
    MergeInput();
    DrawFrame();
}

void CThreadDraw::AddData(const BYTE* resp, int n, WORD rr, WORD hr, WORD spo2)
{
    if (resp == nullptr) return;
    CSingleLock input(m_csInput);
    for (int i = 0; i < n; ++i) {
        m_nRespSum = static_cast<uint16_t>(m_nRespSum + resp[i]);
        if (++m_nRespCount < kGroupBytes) continue;
        m_nRespCount = 0;
        auto y = static_cast<int16_t>(219 - ((m_nRespSum * 65) / 256) / kGroupBytes);
        m_inResp75.Put(y);
        m_inResp150.Put(y);
        m_nRespSum = 0;
        if (++m_nTrendGroups < kGroupsPerPoint) continue;
        m_nTrendGroups = 0;
        m_inHr.Put(static_cast<int16_t>(hr));
        m_inSpo2.Put(static_cast<int16_t>(spo2));
        m_inRr.Put(static_cast<int16_t>(rr));
    }
}

void CThreadDraw::SetViewMode(int mode)
{
    CSingleLock input(m_csInput);
    m_nViewMode = mode;
}

void CThreadDraw::SetTimeScale(int scale)
{
    CSingleLock input(m_csInput);
    m_nTimeScale = scale;
}

void CThreadDraw::MergeInput()
{
    CSingleLock input(m_csInput);
    m_inResp75.MoveInto(m_ringResp75);
    m_inResp150.MoveInto(m_ringResp150);
    m_inHr.MoveInto(m_ringHr);
    m_inSpo2.MoveInto(m_ringSpo2);
    if (!m_inRr.IsEmpty()) {
        CSingleLock draw(m_csDraw);
        m_bRedraw = 1;
    }
    m_inRr.MoveInto(m_ringRr);
}

void CThreadDraw::DrawFrame()
{
    int viewMode;
    int timeScale;
    {
        CSingleLock input(m_csInput);
        viewMode = m_nViewMode;
        timeScale = m_nTimeScale;
    }
    int redraw;
    {
        CSingleLock draw(m_csDraw);
        if (m_nSurfaceOwner != OWNER_NONE) return;  // the UI thread is copying: next pass
        m_nSurfaceOwner = OWNER_DRAW;
        redraw = m_bRedraw;
    }
    if (redraw) {
        DrawPicture(viewMode, timeScale);
        CSingleLock draw(m_csDraw);
        m_bRedraw = 0;
    }
    CSingleLock draw(m_csDraw);
    m_nSurfaceOwner = OWNER_NONE;
}

void CThreadDraw::DrawPicture(int viewMode, int timeScale)
{
    static const TrendStrip hr{72, 14, 70, 70, g_i16InvalidHr};
    static const TrendStrip spo2{147, 14, 20, 70, g_i16InvalidSpo2};
    static const TrendStrip rr{219, 17, 30, 68, g_i16InvalidRr};
    DrawBackground(viewMode);
    if (viewMode == 0) {
        DrawTrend(m_ringRr, rr, m_pPenRr, timeScale);
    } else {
        DrawRespWave(timeScale);
    }
    DrawTrend(m_ringHr, hr, m_pPenHr, timeScale);
    DrawTrend(m_ringSpo2, spo2, m_pPenSpo2, timeScale);
    DrawCaptions(viewMode, timeScale);
}

int CThreadDraw::BlitTo(CDC* pDst)
{
    if (pDst == nullptr || !m_bSurfaces.load()) return 1;
    {
        CSingleLock draw(m_csDraw);
        if (m_nSurfaceOwner != OWNER_NONE) return 1;
        m_nSurfaceOwner = OWNER_COPY;
    }
    CopyPicture(pDst);
    CSingleLock draw(m_csDraw);
    m_nSurfaceOwner = OWNER_NONE;
    return 0;
}

void CThreadDraw::CopyPicture(CDC* pDst)
{
    pDst->BitBlt(0, 0, kWidth, kHeight, &m_dcFrame, 0, 0, SRCCOPY);
}

void CThreadDraw::DrawBackground(int viewMode)
{
    CDC& back = viewMode == 0 ? m_dcBackRr : m_dcBackWave;
    m_dcFrame.BitBlt(0, 0, kWidth, kHeight, &back, 0, 0, SRCCOPY);
}

void CThreadDraw::DrawTrend(const TREND_RING& ring, const TrendStrip& strip, CPen* pen, int timeScale)
{
    if (ring.IsEmpty()) return;
    const int n = timeScale == 0 ? 75 : 150;
    const int step = timeScale == 0 ? 12 : 6;
    int saved = m_dcFrame.SaveDC();
    m_dcFrame.SelectObject(pen);
    // A step curve: the value k entries back is a level segment ending k steps left of now.
    // The newest value itself draws nothing until the next point arrives.
    m_dcFrame.MoveTo(kNowX, strip.baseline - strip.Offset(ring.Back(0)));
    for (int k = 0; k < ring.count && k < n; ++k) {
        int x = kNowX - k * step;
        m_dcFrame.LineTo(x, strip.baseline - strip.Offset(ring.Back(k)));
        if (k + 1 < ring.count) m_dcFrame.MoveTo(x, strip.baseline - strip.Offset(ring.Back(k + 1)));
    }
    m_dcFrame.RestoreDC(saved);
}

void CThreadDraw::DrawRespWave(int timeScale)
{
    const TREND_RING& ring = timeScale == 0 ? m_ringResp75 : m_ringResp150;
    const int step = timeScale == 0 ? 12 : 6;
    if (ring.IsEmpty()) return;
    for (int i = 0; i < ring.count; ++i) {
        m_pPoints[static_cast<size_t>(i)] =
            CPoint(kNowX - (i * step) / 25, std::clamp<int>(ring.Back(i), 151, 219));
    }
    int saved = m_dcFrame.SaveDC();
    m_dcFrame.SelectObject(m_pPenRr);
    m_dcFrame.Polyline(m_pPoints.data(), ring.count);
    m_dcFrame.RestoreDC(saved);
}

void CThreadDraw::DrawCaptions(int viewMode, int timeScale)
{
    static const char16_t* const ticks75[] = {u"-75s", u"-60s", u"-45s", u"-30s", u"-15s"};
    static const char16_t* const ticks150[] = {u"-150s", u"-120s", u"-90s", u"-60s", u"-30s"};
    const char16_t* const* ticks = timeScale == 0 ? ticks75 : ticks150;
    for (int i = 0; i < 5; ++i) {
        DrawLabel(m_dcFrame, m_fontSmall, kFrameColour, 10 + 180 * i, kCaptionY, ticks[i]);
    }
    DrawLabel(m_dcFrame, m_fontLarge, g_crECGValue, 620, kCaptionY, viewMode == 0 ? u"呼吸率" : u"呼吸波");
    DrawLabel(m_dcFrame, m_fontLarge, g_crECGValue, 260, kCaptionY, timeScale == 0 ? u"75秒" : u"150秒");
}

void CThreadDraw::DrawLabel(CDC& dc, CFont& font, COLORREF colour, int x, int y, const char16_t* text)
{
    int saved = dc.SaveDC();
    dc.SelectObject(&font);
    dc.SetTextColor(colour);
    dc.TextOut(x, y, text);
    dc.RestoreDC(saved);
}

void CThreadDraw::CreateDrawSurfaces(CDC* pDC)
{
    if (m_bSurfaces.load()) return;  // made once; the drawing thread may already use them
    CDC* dcs[] = {&m_dcFrame, &m_dcBackRr, &m_dcBackWave};
    CBitmap* bmps[] = {&m_bmpFrame, &m_bmpBackRr, &m_bmpBackWave};
    for (int i = 0; i < 3; ++i) {
        dcs[i]->CreateCompatibleDC(pDC);
        bmps[i]->CreateCompatibleBitmap(pDC, kWidth, kHeight);
        dcs[i]->SelectObject(bmps[i]);
        dcs[i]->FillSolidRect(0, 0, kWidth, kHeight, 0x000000);
    }
    CreateDisplayFont(m_fontSmall, 18);
    CreateDisplayFont(m_fontLarge, 32);
    m_pPenFrame = new CPen(PS_SOLID, 1, kFrameColour);
    m_pPenGrid = new CPen(PS_DOT, 1, kFrameColour);
    m_pPenHr = new CPen(PS_SOLID, 2, g_crECGValue);
    m_pPenRr = new CPen(PS_SOLID, 2, g_crRespValue);
    m_pPenSpo2 = new CPen(PS_SOLID, 2, g_crSPO2Value);
    DrawBackgroundInto(m_dcBackRr, 0);
    DrawBackgroundInto(m_dcBackWave, 1);
    DrawBackground(0);
    DrawCaptions(0, 0);
    m_bSurfaces.store(true);
}

void CThreadDraw::DrawGrid(CDC& dc, const int* rows, int rowCount, int columnTop, int columnBottom)
{
    dc.SelectObject(m_pPenGrid);
    for (int i = 0; i < rowCount; ++i) {
        dc.MoveTo(35, rows[i]);
        dc.LineTo(kWidth, rows[i]);
    }
    for (int x : kGridColumns) {
        dc.MoveTo(x, columnTop);
        dc.LineTo(x, columnBottom);
    }
}

void CThreadDraw::DrawBackgroundInto(CDC& dc, int viewMode)
{
    int saved = dc.SaveDC();
    dc.SelectObject(m_pPenFrame);
    dc.MoveTo(0, 0);
    dc.LineTo(kWidth, 0);
    dc.MoveTo(0, kHeight - 1);
    dc.LineTo(kWidth, kHeight - 1);
    dc.MoveTo(0, 0);
    dc.LineTo(0, kHeight);
    dc.MoveTo(kWidth - 1, 0);
    dc.LineTo(kWidth - 1, kHeight - 1);
    DrawGrid(dc, kHrRows, 6, 2, 72);
    dc.SelectObject(m_pPenFrame);
    dc.MoveTo(35, 74);
    dc.LineTo(kWidth, 74);
    DrawGrid(dc, kSpo2Rows, 6, 76, 147);
    dc.SelectObject(m_pPenFrame);
    dc.MoveTo(35, 149);
    dc.LineTo(kWidth, 149);
    if (viewMode == 0) DrawGrid(dc, kRrRows, 5, 149, 219);
    dc.RestoreDC(saved);

    DrawLabel(dc, m_fontSmall, g_crECGValue, 0, 2, u"350");
    DrawLabel(dc, m_fontSmall, g_crECGValue, 0, 30, u"HR");
    DrawLabel(dc, m_fontSmall, g_crECGValue, 0, 58, u"0");
    DrawLabel(dc, m_fontSmall, g_crSPO2Value, 0, 76, u"100");
    DrawLabel(dc, m_fontSmall, g_crSPO2Value, 0, 104, u"So2");
    DrawLabel(dc, m_fontSmall, g_crSPO2Value, 0, 130, u"0");
    if (viewMode == 0) {
        DrawLabel(dc, m_fontSmall, g_crRespValue, 0, 149, u"120");
        DrawLabel(dc, m_fontSmall, g_crRespValue, 0, 178, u"RR");
        DrawLabel(dc, m_fontSmall, g_crRespValue, 0, 206, u"0");
    } else {
        DrawLabel(dc, m_fontSmall, g_crRespValue, 0, 155, u"呼吸");
        DrawLabel(dc, m_fontSmall, g_crRespValue, 0, 188, u"波");
    }
}

void CThreadDraw::FreeDrawObjects()
{
    m_bSurfaces.store(false);
    m_dcFrame.DeleteDC();
    m_dcBackRr.DeleteDC();
    m_dcBackWave.DeleteDC();
    m_bmpFrame.DeleteObject();
    m_bmpBackRr.DeleteObject();
    m_bmpBackWave.DeleteObject();
    m_fontSmall.DeleteObject();
    m_fontLarge.DeleteObject();
    for (CPen** pen : {&m_pPenHr, &m_pPenRr, &m_pPenSpo2, &m_pPenFrame, &m_pPenGrid}) {
        delete *pen;
        *pen = nullptr;
    }
}
