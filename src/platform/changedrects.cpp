#include "platform/changedrects.h"

#include <cstddef>

namespace {

long long Area(const CRect& r) { return static_cast<long long>(r.Width()) * r.Height(); }

// Close together, and their bounding box covers little besides them: two neighbouring strips
// merge, a wide strip and a tall column that merely touch at a corner stay apart.
bool Mergeable(const CRect& a, const CRect& b)
{
    CRect grown = a;
    grown.InflateRect(CChangedRects::kMergeDistance, CChangedRects::kMergeDistance);
    CRect overlap;
    if (!overlap.IntersectRect(grown, b)) return false;
    CRect box;
    box.UnionRect(a, b);
    return Area(box) <= 2 * (Area(a) + Area(b));
}

}  // namespace

void CChangedRects::Add(const CRect& rect)
{
    if (rect.IsRectEmpty()) return;
    CRect merged = rect;
    // A merge can bring the grown rectangle near one that was checked before: start over.
    for (size_t i = 0; i < m_rects.size();) {
        if (Mergeable(m_rects[i], merged)) {
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
