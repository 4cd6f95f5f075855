// A short list of the frame's changed rectangles between two presents. Rectangles that overlap
// or lie close together are merged when their bounding box adds little area, and a list that
// grows past its cap becomes one bounding box, so a present updates a few compact areas instead
// of many slivers or one needlessly large one.
#pragma once

#include <vector>

#include "platform/geometry.h"

class CChangedRects {
public:
    static constexpr size_t kMaxRects = 16;
    // Rectangles this close (in pixels) are merged into one.
    static constexpr int kMergeDistance = 8;

    void Add(const CRect& rect);
    void Clear() { m_rects.clear(); }
    const std::vector<CRect>& Rects() const { return m_rects; }

private:
    std::vector<CRect> m_rects;
};
