#include "platform/changedrects.h"

#include <cstddef>

namespace {

bool Near(const CRect& a, const CRect& b)
{
    CRect grown = a;
    grown.InflateRect(CChangedRects::kMergeDistance, CChangedRects::kMergeDistance);
    CRect overlap;
    return overlap.IntersectRect(grown, b);
}

}  // namespace

void CChangedRects::Add(const CRect& rect)
{
    if (rect.IsRectEmpty()) return;
    CRect merged = rect;
    // A merge can bring the grown rectangle near one that was checked before: start over.
    for (size_t i = 0; i < m_rects.size();) {
        if (Near(m_rects[i], merged)) {
            merged.UnionRect(merged, m_rects[i]);
            m_rects.erase(m_rects.begin() + static_cast<std::ptrdiff_t>(i));
            i = 0;
        } else {
            ++i;
        }
    }
    m_rects.push_back(merged);
    if (m_rects.size() <= kMaxRects) return;
    CRect box;
    for (const CRect& r : m_rects) box.UnionRect(box, r);
    m_rects.assign(1, box);
}
