#include "display/baselinewave.h"

#include <cstdint>

namespace {
constexpr int kBracketWidth = 3;
constexpr int kTickLength = 20;
}  // namespace

CBaselineWave::CBaselineWave(const CSize (&sizes)[kLayouts], COLORREF color)
    : CSweepWave(sizes[0].cx, sizes[0].cy, color, 4.0f)
{
    for (int i = 0; i < kLayouts; ++i) m_sizes[i] = sizes[i];
}

int CBaselineWave::SampleRow(int sample) const
{
    int divisor = m_nScaleDiv != 0 ? m_nScaleDiv : 1;
    long long scaled = static_cast<long long>(sample) * (1LL << (m_nGainShift & 31)) * m_nScaleUnit;
    long long y = m_nHeight - scaled / divisor / 4;
    if (y >= m_nHeight) y = m_nHeight - 1;
    if (y < 0) y = 0;
    return static_cast<int>(y);
}

// The bracket: three columns at the left over the full height, with a three-row tick of 20
// pixels at the top and at the bottom.
void CBaselineWave::PrepareBackground()
{
    CPen* old = m_dcBack.SelectObject(&m_penWave);
    for (int c = 0; c < kBracketWidth; ++c) {
        m_dcBack.MoveTo(c, 0);
        m_dcBack.LineTo(c, m_nHeight);
    }
    for (int r = 0; r < kBracketWidth; ++r) {
        for (int row : {r, m_nHeight - kBracketWidth + r}) {
            m_dcBack.MoveTo(0, row);
            m_dcBack.LineTo(kTickLength, row);
        }
    }
    m_dcBack.SelectObject(old);
}

void CBaselineWave::ResetSweep()
{
    StartSweep();
    RestoreFromBackground(0, m_nWidth);
}

void CBaselineWave::SetLayoutMode(int mode)
{
    m_nLayoutMode = mode;
    const CSize& size = (mode >= 0 && mode <= 2) ? m_sizes[mode] : m_sizes[3];
    SetSize(size.cx, size.cy);
    m_nSweepCount = 0;
    m_nLastX = 0;
    m_nErasedX = 0;
    if (m_pictureReady) m_dcMem.FillSolidRect(CRect(0, 0, m_nWidth, m_nHeight), RGB(0, 0, 0));
    ClearSamples();
    ResetSweep();
    if (IsCreated()) Invalidate(TRUE);
}
