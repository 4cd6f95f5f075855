// The small picture of the ISO/ST point dialog: the captions "I" and "II" at two baselines and
// two vertical marker lines, the ISO point left of column 165 and the ST point right of it, at
// one pixel per 4 ms. UI thread only.
#pragma once

#include "platform/dc.h"
#include "platform/static.h"

class CECGSTWave : public CStatic {
public:
    static constexpr int kRefColumn = 165;   // the column both marker lines are measured from
    static constexpr int kMaxOffset = 124;   // farthest a marker line moves from kRefColumn
    static constexpr int kDrawLeft = 40;     // the drawing area starts right of the captions

    // cx, cy: the size of the view; the third argument is not used.
    CECGSTWave(int cx, int cy, int unused = 0);
    ~CECGSTWave() override;

    // Stores the amplitude divisor of beat templates; nothing is redrawn.
    void SetScaleDivisor(int divisor);
    // Stores the ST and ISO points in ms; nothing is redrawn.
    void SetMeasurePoints(int st, int iso);
    // Clears the drawing area and draws the two marker lines into the picture; the caller
    // invalidates the window.
    void DrawTemplate();

    // Column of a marker line: kRefColumn + sign * (ms / 4), the offset limited to
    // -kMaxOffset..kMaxOffset so the line stays between the captions and the right edge.
    static int MarkerColumn(int ms, int sign);

    int GetScaleDivisor() const { return m_nScaleDiv; }
    CDC* GetPicture() { return &m_dcMem; }
    int GetBaseline1() const { return m_nBaseline1; }
    int GetBaseline2() const { return m_nBaseline2; }

protected:
    int OnCreate() override;
    void OnPaint(CDC* pDC) override;
    void OnDestroy() override;

private:
    void DrawMarker(CPen* pen, int column);

    CRect m_rcClient;
    CDC m_dcMem;
    CBitmap m_bmpMem;
    CFont m_fontLabel;
    int m_nHeight;
    int m_nWidth;
    int m_nScaleDiv = 0;
    int m_nBaseline1;
    int m_nBaseline2;
    int m_nIso = 64;
    int m_nSt = 80;
    CPen* m_pPenIso;
    CPen* m_pPenSt;
};
