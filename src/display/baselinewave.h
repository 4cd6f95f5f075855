// A sweep view whose trace rises from the bottom row (sample 0), with a bracket mark in its
// margin: the design of the pleth and respiration views, which differ only in their sizes and
// colour.
#pragma once

#include "display/sweepwave.h"
#include "platform/geometry.h"

class CBaselineWave : public CSweepWave {
public:
    static constexpr int kLayouts = 4;

    void SetGain(int gainIndex) override { m_nGainShift = gainIndex + 1; }
    void SetLayoutMode(int mode) override;
    void ResetSweep() override;

protected:
    // sizes: the view size of layout modes 0..3.
    CBaselineWave(const CSize (&sizes)[kLayouts], COLORREF color);

    int SampleRow(int sample) const override;
    int StoredSample(int sample) const override { return static_cast<int16_t>(sample & 0xFFFF); }
    void PrepareBackground() override;

private:
    CSize m_sizes[kLayouts];
};
