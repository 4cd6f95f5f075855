// Pictures compared pixel by pixel, and what a window paints caught in a picture of its own.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/bitmap.h"
#include "platform/dc.h"
#include "platform/geometry.h"
#include "platform/wnd.h"

// Pixels of `area` of picture a that differ from the area of the same size in b whose top-left
// corner stands at `from`; a pixel outside one picture differs from one inside the other.
inline int PixelsDiffering(const CBitmap& a, const CRect& area, const CBitmap& b, CPoint from)
{
    int n = 0;
    for (int y = 0; y < area.Height(); ++y)
        for (int x = 0; x < area.Width(); ++x)
            n += a.GetPixel(area.left + x, area.top + y) != b.GetPixel(from.x + x, from.y + y) ? 1 : 0;
    return n;
}
// The same area of both pictures.
inline int PixelsDiffering(const CBitmap& a, const CRect& area, const CBitmap& b)
{
    return PixelsDiffering(a, area, b, area.TopLeft());
}
// Two whole pictures; pictures of different sizes differ everywhere.
inline int PixelsDiffering(const CBitmap& a, const CBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return a.Width() * a.Height() + 1;
    return PixelsDiffering(a, CRect(0, 0, a.Width(), a.Height()), b);
}

// A picture's pixels, to compare one moment with another.
inline std::vector<uint32_t> PixelsOf(const CBitmap& b)
{
    return std::vector<uint32_t>(b.Bits(), b.Bits() + static_cast<size_t>(b.Width()) * b.Height());
}

// Erases and paints wnd into picture, made the window's size: what a screen shows of it.
inline void PaintInto(CWnd& wnd, CBitmap& picture)
{
    CRect rect;
    wnd.GetClientRect(&rect);
    picture.CreateBitmap(rect.Width(), rect.Height());
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&picture);
    wnd.OnEraseBkgnd(&dc);
    wnd.OnPaint(&dc);
}
