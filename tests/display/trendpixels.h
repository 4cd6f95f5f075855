// Reading the trend controls' pictures (memory device contexts) back through the shared
// surface checks.
#pragma once

#include <string>

#include "display/surfacecheck.h"
#include "platform/dc.h"

inline const CBitmap& BitmapOf(const CDC& dc)
{
    return *dc.GetCurrentBitmap();
}

// Pixels of colour c anywhere in r.
inline int CountInRect(const CDC& dc, const CRect& r, COLORREF c)
{
    return surfacecheck::CountColour(BitmapOf(dc), r, c);
}

// Pixels of colour c in the column x between rows y0 and y1 (exclusive).
inline int CountInColumn(const CDC& dc, int x, int y0, int y1, COLORREF c)
{
    return CountInRect(dc, CRect(x, y0, x + 1, y1), c);
}

// The picture shows exactly text at (x, y) in the display font, opaque on black.
inline bool ShowsText(const CDC& picture, int x, int y, int fontHeight, COLORREF colour, const std::u16string& text)
{
    const CPoint at(x, y);
    return surfacecheck::ShowsOnly(BitmapOf(picture), surfacecheck::TextRect(at, text, fontHeight), at, text,
                                   fontHeight, colour);
}
