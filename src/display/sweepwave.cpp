#include "display/sweepwave.h"

#include <algorithm>

#include "display/wavelayout.h"

CSweepWave::CSweepWave(int width, int height, COLORREF color, float columnDivisor)
    : m_nWidth(width),
      m_nHeight(height),
      m_samples(kRingSize, 0),
      m_columnDivisor(columnDivisor),
      m_pictureSize(width, height)
{
    m_penWave.CreatePen(PS_SOLID, 1, color);
    m_penErase.CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
}

CSweepWave::~CSweepWave() = default;

// A full ring drops its oldest sample: the read position moves on with the write position,
// so the next paint still draws the kept samples in time order.
void CSweepWave::StoreLocked(int sample)
{
    m_samples[static_cast<size_t>(m_nWriteIdx)] = StoredSample(sample);
    m_nWriteIdx = (m_nWriteIdx + 1) % kRingSize;
    if (m_nPending < kRingSize) {
        ++m_nPending;
    } else {
        m_nReadIdx = m_nWriteIdx;
    }
}

void CSweepWave::AddSample(int sample)
{
    CSingleLock guard(m_csRing);
    StoreLocked(sample);
}

void CSweepWave::AppendSamples(const int* samples, int count)
{
    if (samples == nullptr) return;
    int n = std::clamp(count, 0, kRingSize);
    CSingleLock guard(m_csRing);
    for (int i = 0; i < n; ++i) StoreLocked(samples[i]);
}

int CSweepWave::ClearSamples()
{
    CSingleLock guard(m_csRing);
    m_nWriteIdx = 0;
    m_nReadIdx = 0;
    m_nPending = 0;
    return 0;
}

int CSweepWave::PendingCount()
{
    CSingleLock guard(m_csRing);
    return m_nPending;
}

int CSweepWave::ReadIndex()
{
    CSingleLock guard(m_csRing);
    return m_nReadIdx;
}

int CSweepWave::WriteIndex()
{
    CSingleLock guard(m_csRing);
    return m_nWriteIdx;
}

void CSweepWave::RequestRedraw()
{
    // Only the paint knows which columns the pending samples reach; it copies those.
    CRect none;
    if (PendingCount() != 0 && IsCreated()) InvalidateRect(&none, FALSE);
}

void CSweepWave::SetSize(int width, int height)
{
    m_nWidth = width;
    m_nHeight = height;
}

// The picture and the background are made once at the largest layout size, so every later
// layout fits them.
int CSweepWave::OnCreate()
{
    GetClientRect(&m_rcClient);
    CDC* dcs[2] = {&m_dcMem, &m_dcBack};
    CBitmap* bitmaps[2] = {&m_bmpMem, &m_bmpBack};
    for (int i = 0; i < 2; ++i) {
        dcs[i]->CreateCompatibleDC(nullptr);
        bitmaps[i]->CreateCompatibleBitmap(dcs[i], m_pictureSize.cx, m_pictureSize.cy);
        dcs[i]->SelectObject(bitmaps[i]);
        dcs[i]->FillSolidRect(CRect(CPoint(0, 0), m_pictureSize), RGB(0, 0, 0));
    }
    m_pictureReady = true;
    PrepareBackground();
    ResetSweep();
    return 1;
}

void CSweepWave::StartSweep()
{
    m_nLastX = 0;
    m_nSweepCount = 0;
    m_nErasedX = 0;
    m_bNewLine = TRUE;
}

void CSweepWave::RestoreFromBackground(int x, int width)
{
    if (!m_pictureReady) return;
    m_dcMem.BitBlt(x, 0, width, m_nHeight, &m_dcBack, x, 0, SRCCOPY);
}

void CSweepWave::DrawVertical(CDC& dc, CPen* pen, int column, int top, int bottom)
{
    CPen* old = dc.SelectObject(pen);
    dc.MoveTo(column, top);
    dc.LineTo(column, bottom);
    dc.SelectObject(old);
}

void CSweepWave::DrawDot(CDC& dc, int column, int row)
{
    dc.MoveTo(column, row);
    dc.LineTo(column, row + 1);
}

void CSweepWave::EraseAhead(int x)
{
    int area = m_nWidth - kMargin;
    for (int c = m_nErasedX; c < x && area > 0; ++c) {
        for (int k = 0; k < kEraseBar; ++k) {
            DrawVertical(m_dcMem, &m_penErase, kMargin + (c + 1 + k) % area, 0, m_nHeight);
            TouchColumns(kMargin + (c + 1 + k) % area, kMargin + (c + 1 + k) % area);
        }
        DrawGridColumn(m_dcMem, c);
        TouchColumns(kMargin + c, kMargin + c);
    }
    m_nErasedX = x;
}

void CSweepWave::DrawSample(int sample)
{
    int y = SampleRow(sample);
    int x = static_cast<int>(static_cast<float>(m_nSweepCount) * 1.0f * static_cast<float>(m_nSpeed) / m_columnDivisor);
    if (x + kMargin < m_nWidth) {
        if (!m_bFreeze) {
            EraseAhead(x);
            CPen* old = m_dcMem.SelectObject(&m_penWave);
            m_dcMem.MoveTo(m_nLastX + kMargin, m_bNewLine ? y : m_nLastY);
            m_dcMem.LineTo(x + kMargin, y);
            m_dcMem.SelectObject(old);
            TouchColumns(std::min(m_nLastX, x) + kMargin - 1, std::max(m_nLastX, x) + kMargin + 1);
            m_bNewLine = FALSE;
            m_nLastX = x;
            m_nLastY = y;
        }
        ++m_nSweepCount;
        return;
    }
    if (!m_bFreeze) {
        DrawVertical(m_dcMem, &m_penErase, kMargin, 0, m_nHeight);
        DrawVertical(m_dcMem, &m_penErase, kMargin + 1, 0, m_nHeight);
        DrawVertical(m_dcMem, &m_penWave, kMargin, m_nLastY, y);
        TouchColumns(kMargin - 1, kMargin + 2);
    }
    m_nLastX = 0;
    m_nLastY = y;
    m_nSweepCount = 1;
}

void CSweepWave::TouchColumns(int first, int last)
{
    if (m_nTouchedLeft > m_nTouchedRight) {
        m_nTouchedLeft = first;
        m_nTouchedRight = last;
        return;
    }
    m_nTouchedLeft = std::min(m_nTouchedLeft, first);
    m_nTouchedRight = std::max(m_nTouchedRight, last);
}

void CSweepWave::OnPaint(CDC* pDC)
{
    m_nTouchedLeft = 1;
    m_nTouchedRight = 0;  // nothing touched yet
    int n = 0;
    int read = 0;
    {
        CSingleLock guard(m_csRing);
        n = m_nPending;
        read = m_nReadIdx;
    }
    for (int i = 0; i < n; ++i) {
        DrawSample(m_samples[static_cast<size_t>(read)]);
        read = (read + 1) % kRingSize;
    }
    {
        CSingleLock guard(m_csRing);
        // Samples added meanwhile stay pending; a clear meanwhile leaves the ring empty.
        if (m_nPending >= n) {
            m_nReadIdx = read;
            m_nPending -= n;
        }
    }
    if (pDC == nullptr) return;
    // Copy what must be painted and the columns this paint drew: a sweep step touches a few
    // columns, so copying the whole picture every tick would be wasted work.
    CRect copy = PaintRect();
    if (m_nTouchedLeft <= m_nTouchedRight) {
        CRect band(m_nTouchedLeft, 0, m_nTouchedRight + 1, m_nHeight);
        copy = copy.IsRectEmpty() ? band
                                  : CRect(std::min(copy.left, band.left), 0, std::max(copy.right, band.right), m_nHeight);
    }
    CRect picture(0, 0, m_nWidth, m_nHeight);
    if (!copy.IntersectRect(copy, picture)) return;
    pDC->BitBlt(m_rcClient.left + copy.left, m_rcClient.top + copy.top, copy.Width(), copy.Height(), &m_dcMem,
                copy.left, copy.top, SRCCOPY);
}
