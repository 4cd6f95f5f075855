// The sweep mechanics shared by the wave views: a ring of 8192 samples filled by the UI timer,
// an off-screen picture and its background, and a paint that draws each pending sample as the
// next segment of a left-to-right sweep starting at view column 40, with a black erase bar
// running seven columns ahead of the trace. The views differ in how a sample maps to a row,
// how fast the sweep runs, and what their 40-pixel margin shows.
#pragma once

#include <vector>

#include "platform/bitmap.h"
#include "platform/criticalsection.h"
#include "platform/dc.h"
#include "platform/pen.h"
#include "platform/static.h"

class CSweepWave : public CStatic {
public:
    static constexpr int kRingSize = 8192;
    static constexpr int kMargin = 40;
    static constexpr int kEraseBar = 7;

    ~CSweepWave() override;

    // Ring of samples; safe to call before the window exists.
    void AddSample(int sample);
    int ClearSamples();
    // Invalidates the view when samples are pending.
    void RequestRedraw();
    void AppendSamples(const int* samples, int count);

    void SetFreeze(BOOL freeze) { m_bFreeze = freeze; }
    void SetSpeed(int speedIndex) { m_nSpeed = speedIndex + 1; }
    void SetScaleUnit(int pixels) { m_nScaleUnit = pixels; }
    void SetScaleDivisor(int divisor) { m_nScaleDiv = divisor; }
    virtual void SetGain(int gainIndex) = 0;
    virtual void SetLayoutMode(int mode) = 0;
    virtual void ResetSweep() = 0;

    int OnCreate() override;
    void OnPaint(CDC* pDC) override;
    BOOL OnEraseBkgnd(CDC* /*pDC*/) override { return TRUE; }

    // State, for the owner and for tests.
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    int LayoutMode() const { return m_nLayoutMode; }
    int SpeedFactor() const { return m_nSpeed; }
    int GainStep() const { return m_nGainShift; }
    BOOL IsFrozen() const { return m_bFreeze; }
    int PendingCount();
    int ReadIndex();
    int WriteIndex();
    int SweepCount() const { return m_nSweepCount; }
    int LastX() const { return m_nLastX; }
    int LastY() const { return m_nLastY; }
    int ErasedX() const { return m_nErasedX; }

protected:
    // colour: the wave pen; columnDivisor: samples per sweep column at speed factor 1.
    CSweepWave(int width, int height, COLORREF color, float columnDivisor);

    // The row of a sample, clamped to the view.
    virtual int SampleRow(int sample) const = 0;
    // What a ring entry keeps of a sample (all of it, or its low 16 bits).
    virtual int StoredSample(int sample) const { return sample; }
    // Draws the margin and background after the picture and background are made.
    virtual void PrepareBackground() = 0;

    void SetSize(int width, int height);
    void EraseAhead(int x);
    // Restores a rectangle of the picture from the background.
    void RestoreFromBackground(int x, int width);
    void DrawVertical(CDC& dc, CPen* pen, int column, int top, int bottom);
    // A one-pixel dot.
    void DrawDot(CDC& dc, int column, int row);
    // Grid dots of one view column (vertical dotted lines every scale unit, horizontal every
    // scale unit along columns that are multiples of 4); does nothing without the grid.
    virtual void DrawGridColumn(CDC& /*dc*/, int /*sweepColumn*/) {}
    void StartSweep();

    int m_nWidth;
    int m_nHeight;
    int m_nLayoutMode = 0;
    CRect m_rcClient;
    CDC m_dcMem;
    CDC m_dcBack;
    CBitmap m_bmpMem;
    CBitmap m_bmpBack;
    int m_nSpeed = 1;
    int m_nGainShift = 1;
    int m_nScaleUnit = 1;
    int m_nScaleDiv = 1;
    BOOL m_bFreeze = FALSE;
    int m_nLastX = 0;
    int m_nLastY = 0;
    BOOL m_bNewLine = TRUE;
    std::vector<int> m_samples;
    int m_nWriteIdx = 0;
    int m_nReadIdx = 0;
    int m_nPending = 0;
    CCriticalSection m_csRing;
    int m_nSweepCount = 0;
    int m_nErasedX = 0;
    CPen m_penWave;
    CPen m_penErase;
    float m_columnDivisor;
    CSize m_pictureSize;  // the layout-mode-0 size, the largest
    bool m_pictureReady = false;
    int m_nTouchedLeft = 1;  // columns changed by the current paint; empty when left > right
    int m_nTouchedRight = 0;

private:
    // Widens the range of picture columns the current paint changed.
    void TouchColumns(int first, int last);
    void StoreLocked(int sample);
    void DrawSample(int sample);
};
