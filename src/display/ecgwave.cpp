#include "display/ecgwave.h"

#include "display/wavelayout.h"

namespace {

const char16_t* const kLeadLabels[CECGWave::kLabelCount] = {u"I",  u"II", u"III", u"avF", u"avL", u"avR",
                                                            u"V1", u"V2", u"V3",  u"V4",  u"V5",  u"V6"};

constexpr int kBarColumn = 30;
constexpr int kBarWidth = 3;
constexpr int kLabelWidth = 30;
constexpr int kLabelHalfHeight = 10;

}  // namespace

CECGWave::CECGWave(int /*cx*/, int /*cy*/, unsigned int nStyle)
    : CSweepWave(g_i32ECGWaveWidth0, g_i32ECGWaveHeight0, StyleColor(nStyle), 8.0f),
      m_nLeadLabel(static_cast<int>(nStyle & 0xF)),
      m_bGrid(((nStyle >> 4) & 0xF) != 0 ? TRUE : FALSE)
{
    m_penGrid.CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
}

COLORREF CECGWave::StyleColor(unsigned int nStyle)
{
    switch ((nStyle >> 8) & 0xF) {
    case 0: return RGB(0, 255, 0);
    case 1: return RGB(255, 215, 0);
    default: return RGB(221, 160, 221);
    }
}

const char16_t* CECGWave::LabelText(int index)
{
    if (index < 0 || index >= kLabelCount) return nullptr;
    return kLeadLabels[index];
}

int CECGWave::SampleRow(int sample) const
{
    int divisor = m_nScaleDiv != 0 ? m_nScaleDiv : 1;
    long long scaled = (static_cast<long long>(sample) - 2048) * (1LL << (m_nGainShift & 31)) * m_nScaleUnit;
    long long offset = scaled / divisor / 4;
    long long y = m_nHeight / 2 - offset;
    if (y >= m_nHeight) y = m_nHeight - 1;
    if (y < 0) y = 0;
    return static_cast<int>(y);
}

void CECGWave::PrepareBackground()
{
    DrawLeftMargin();
    if (!m_bGrid || m_nScaleUnit <= 0) return;
    CPen* old = m_dcBack.SelectObject(&m_penGrid);
    for (int c = kMargin; c < m_nWidth; c += m_nScaleUnit) DrawGridDots(m_dcBack, c, 4);
    for (int c = kMargin; c < m_nWidth; c += 4) DrawGridDots(m_dcBack, c, m_nScaleUnit);
    m_dcBack.SelectObject(old);
}

void CECGWave::DrawGridDots(CDC& dc, int column, int rowStep)
{
    for (int r = 0; r < m_nHeight; r += rowStep) DrawDot(dc, column, r);
}

void CECGWave::DrawGridColumn(CDC& dc, int sweepColumn)
{
    if (!m_bGrid || m_nScaleUnit <= 0) return;
    CPen* old = dc.SelectObject(&m_penGrid);
    if (sweepColumn % m_nScaleUnit == 0) DrawGridDots(dc, sweepColumn + kMargin, 4);
    if (sweepColumn % 4 == 0) DrawGridDots(dc, sweepColumn + kMargin, m_nScaleUnit);
    dc.SelectObject(old);
}

// The bar is scale unit x gain step high, so it grows by one unit per gain step while the
// trace doubles; it is kept that way on purpose.
void CECGWave::DrawCalibrationBar()
{
    int bar = m_nScaleUnit * m_nGainShift;
    if (bar >= m_nHeight) return;
    int top = (m_nHeight - bar) / 2;
    for (int i = 0; i < kBarWidth; ++i) DrawVertical(m_dcMem, &m_penWave, kBarColumn + i, top, top + bar);
}

void CECGWave::DrawLeftMargin()
{
    if (!m_pictureReady) return;
    m_dcMem.FillSolidRect(CRect(0, 0, kMargin, m_nHeight), RGB(0, 0, 0));
    DrawCalibrationBar();
    const char16_t* label = LabelText(m_nLeadLabel);
    if (label == nullptr) return;  // an index beyond the table shows no label
    m_dcMem.SetTextColor(RGB(0, 255, 0));
    m_dcMem.SetBkMode(OPAQUE);
    CRect box(0, m_nHeight / 2 - kLabelHalfHeight, kLabelWidth, m_nHeight / 2 + kLabelHalfHeight);
    m_dcMem.DrawText(label, -1, &box, DT_LEFT | DT_TOP);
}

void CECGWave::SetGain(int gainIndex)
{
    if (static_cast<long long>(gainIndex + 1) * m_nScaleUnit >= m_nHeight) return;
    m_nGainShift = gainIndex + 1;
    if (!m_pictureReady) return;
    m_dcMem.FillSolidRect(CRect(kBarColumn, 0, kBarColumn + kBarWidth, m_nHeight), RGB(0, 0, 0));
    DrawCalibrationBar();
    Invalidate(TRUE);
}

// Restores exactly the wave area, from the margin to the view's right edge.
void CECGWave::ResetSweep()
{
    StartSweep();
    RestoreFromBackground(kMargin, m_nWidth - kMargin);
}

void CECGWave::SetLayoutMode(int mode)
{
    m_nLayoutMode = mode;
    switch (mode) {
    case 1: SetSize(g_i32ECGWaveWidth1, g_i32ECGWaveHeight1); break;
    case 2: SetSize(g_i32ECGWaveWidth2, g_i32ECGWaveHeight2); break;
    case 3: SetSize(g_i32ECGWaveWidth3, g_i32ECGWaveHeight3); break;
    default: SetSize(g_i32ECGWaveWidth0, g_i32ECGWaveHeight0); break;
    }
    ResetSweep();
    DrawLeftMargin();
    ClearSamples();
    if (IsCreated()) Invalidate(TRUE);
}

void CECGWave::CopySamplesFrom(const CECGWave& other)
{
    if (&other == this) return;
    CSingleLock guard(m_csRing);
    m_nWriteIdx = other.m_nWriteIdx;
    m_nReadIdx = other.m_nReadIdx;
    m_nPending = other.m_nPending;
    m_samples = other.m_samples;
}
