#include "display/ecgrespspo2trend.h"

#include <cstdio>

#include "appbase/tesmorapp.h"
#include "display/threaddraw.h"
#include "platform/clientdc.h"

namespace {

constexpr int kWidth = g_i32ECGRespSpo2TrendWidth;
constexpr int kHeight = g_i32ECGRespSpo2TrendHeight;

// The hot zones over the captions the drawing thread writes at y 222; bounds exclusive.
bool InZone(CPoint p, int left, int right)
{
    return p.x > left && p.x < right && p.y > 222 && p.y < 265;
}

}  // namespace

CECGRespSpo2Trend::CECGRespSpo2Trend(CThreadDraw* pThreadDraw) : m_pThreadDraw(pThreadDraw) {}

CECGRespSpo2Trend::~CECGRespSpo2Trend()
{
    if (IsCreated()) DestroyWindow();
}

CThreadDraw* CECGRespSpo2Trend::DrawThread() const
{
    return m_pThreadDraw != nullptr ? m_pThreadDraw : theApp.m_pThreadDraw;
}

int CECGRespSpo2Trend::OnCreate()
{
    CClientDC dc(this);
    CThreadDraw* thread = DrawThread();
    if (thread != nullptr) {
        thread->CreateDrawSurfaces(&dc);
        thread->m_bDrawEnable.store(1);
    } else {
        std::fprintf(stderr, "mini-trend: no drawing thread; the mini-trend stays black\n");
    }
    m_dcMem.CreateCompatibleDC(&dc);
    m_bmpMem.CreateCompatibleBitmap(&dc, kWidth, kHeight);
    m_dcMem.SelectObject(&m_bmpMem);
    m_dcMem.FillSolidRect(0, 0, kWidth, kHeight, 0x000000);
    return 0;
}

void CECGRespSpo2Trend::OnPaint(CDC* pDC)
{
    pDC->BitBlt(m_rcPaint.left, m_rcPaint.top, kWidth, kHeight, &m_dcMem, 0, 0, SRCCOPY);
}

BOOL CECGRespSpo2Trend::OnEraseBkgnd(CDC* /*pDC*/)
{
    return TRUE;
}

void CECGRespSpo2Trend::OnLButtonDblClk(UINT /*flags*/, CPoint point)
{
    CThreadDraw* thread = DrawThread();
    if (InZone(point, 260, 350)) {
        m_nTimeScale = (m_nTimeScale + 1) & 1;
        if (thread != nullptr) thread->SetTimeScale(m_nTimeScale);
    }
    if (InZone(point, 620, 710)) {
        m_nViewMode = (m_nViewMode + 1) & 1;
        if (thread != nullptr) thread->SetViewMode(m_nViewMode);
    }
}

void CECGRespSpo2Trend::OnDestroy()
{
    CStatic::OnDestroy();
    m_dcMem.DeleteDC();
    m_bmpMem.DeleteObject();
}
