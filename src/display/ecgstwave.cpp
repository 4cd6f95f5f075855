#include "display/ecgstwave.h"

#include <algorithm>

#include "display/displayfont.h"
#include "platform/clientdc.h"

CECGSTWave::CECGSTWave(int cx, int cy, int /*unused*/)
    : m_nHeight(cy),
      m_nWidth(cx),
      m_nBaseline1((cy - 4) / 4),
      m_nBaseline2((cy - 4) * 3 / 4 + 4),
      m_pPenIso(new CPen(PS_SOLID, 1, RGB(255, 128, 0))),
      m_pPenSt(new CPen(PS_SOLID, 1, RGB(61, 89, 171)))
{
}

CECGSTWave::~CECGSTWave()
{
    if (IsCreated()) DestroyWindow();
    delete m_pPenIso;
    delete m_pPenSt;
}

void CECGSTWave::SetScaleDivisor(int divisor)
{
    m_nScaleDiv = divisor;
}

void CECGSTWave::SetMeasurePoints(int st, int iso)
{
    m_nSt = st;
    m_nIso = iso;
}

int CECGSTWave::MarkerColumn(int ms, int sign)
{
    return kRefColumn + sign * std::clamp(ms / 4, -kMaxOffset, kMaxOffset);
}

int CECGSTWave::OnCreate()
{
    GetClientRect(&m_rcClient);
    CClientDC dc(this);
    m_dcMem.CreateCompatibleDC(&dc);
    m_bmpMem.CreateCompatibleBitmap(&dc, m_rcClient.Width(), m_rcClient.Height());
    m_dcMem.SelectObject(&m_bmpMem);
    m_dcMem.FillSolidRect(0, 0, m_nWidth, m_nHeight, RGB(0, 0, 0));
    CreateDisplayFont(m_fontLabel, 20);
    m_dcMem.SelectObject(&m_fontLabel);
    m_dcMem.SetTextColor(RGB(0, 255, 0));
    CRect upper(0, m_nBaseline1 - 10, 30, m_nBaseline1 + 10);
    CRect lower(0, m_nBaseline2 - 10, 30, m_nBaseline2 + 10);
    m_dcMem.DrawText(u"I", &upper, DT_LEFT | DT_TOP);
    m_dcMem.DrawText(u"II", &lower, DT_LEFT | DT_TOP);
    return 0;
}

void CECGSTWave::OnPaint(CDC* pDC)
{
    pDC->BitBlt(m_rcClient.left, m_rcClient.top, m_rcClient.Width(), m_rcClient.Height(), &m_dcMem, 0, 0,
                SRCCOPY);
}

void CECGSTWave::OnDestroy()
{
    CStatic::OnDestroy();
    m_dcMem.DeleteDC();
    m_bmpMem.DeleteObject();
    m_fontLabel.DeleteObject();
}

void CECGSTWave::DrawTemplate()
{
    if (!IsCreated()) return;
    // No beat template is ever delivered to this view, so only the marker lines are drawn.
    m_dcMem.FillSolidRect(kDrawLeft, 0, m_nWidth - kDrawLeft, m_nHeight, RGB(0, 0, 0));
    DrawMarker(m_pPenIso, MarkerColumn(m_nIso, -1));
    DrawMarker(m_pPenSt, MarkerColumn(m_nSt, +1));
}

void CECGSTWave::DrawMarker(CPen* pen, int column)
{
    int saved = m_dcMem.SaveDC();
    m_dcMem.SelectObject(pen);
    m_dcMem.MoveTo(column, 0);
    m_dcMem.LineTo(column, m_nHeight);
    m_dcMem.RestoreDC(saved);
}
