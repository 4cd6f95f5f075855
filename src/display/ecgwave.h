// The ECG sweep view: one lead's trace around the centre row (sample 2048), with the lead label
// and a calibration bar in its margin and an optional dotted blue grid.
#pragma once

#include "display/sweepwave.h"

class CECGWave : public CSweepWave {
public:
    static constexpr int kLabelCount = 12;

    // cx and cy are not used: the size is that of layout mode 0. The style packs the lead-label
    // index (bits 0-3), the grid switch (bits 4-7) and the wave colour (bits 8-11: 0 green,
    // 1 gold, other plum).
    CECGWave(int cx, int cy, unsigned int nStyle);

    void SetGain(int gainIndex) override;
    void SetLayoutMode(int mode) override;
    void ResetSweep() override;
    void SetLeadLabel(int index) { m_nLeadLabel = index; }
    void DrawLeftMargin();
    void CopySamplesFrom(const CECGWave& other);

    int LeadLabel() const { return m_nLeadLabel; }
    BOOL HasGrid() const { return m_bGrid; }
    // The label text of an index; null beyond the table.
    static const char16_t* LabelText(int index);
    static COLORREF StyleColor(unsigned int nStyle);

protected:
    int SampleRow(int sample) const override;
    void PrepareBackground() override;
    void DrawGridColumn(CDC& dc, int sweepColumn) override;

private:
    void DrawCalibrationBar();
    void DrawGridDots(CDC& dc, int column, int rowStep);

    int m_nLeadLabel;
    BOOL m_bGrid;
    CPen m_penGrid;
};
