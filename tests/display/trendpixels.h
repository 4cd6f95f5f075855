// Pixel helpers for the trend tests: a scratch picture, text drawn the way the controls draw
// it, and region comparison.
#pragma once

#include <string>

#include "display/displayfont.h"
#include "platform/bitmap.h"
#include "platform/dc.h"

// A memory picture of the given size, black.
struct ScratchPicture {
    ScratchPicture(int width, int height)
    {
        bmp.CreateBitmap(width, height);
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(&bmp);
        dc.FillSolidRect(0, 0, width, height, 0x000000);
    }
    // Draws text opaquely on black in the display font, as the controls do; returns the
    // rectangle of its cells.
    CRect Text(int x, int y, int height, COLORREF colour, const std::u16string& text)
    {
        CFont font;
        CreateDisplayFont(font, height);
        CFont* old = dc.SelectObject(&font);
        dc.SetTextColor(colour);
        dc.TextOut(x, y, text);
        CSize extent = dc.GetTextExtent(text);
        dc.SelectObject(old);
        return CRect(CPoint(x, y), extent);
    }
    COLORREF Px(int x, int y) const { return bmp.GetPixel(x, y); }

    CBitmap bmp;
    CDC dc;
};

// True when the two pictures agree on every pixel of r.
inline bool SameRegion(const CDC& a, const CDC& b, const CRect& r)
{
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
    return true;
}

// Pixels of colour c in the column x between rows y0 and y1 (exclusive).
inline int CountInColumn(const CDC& dc, int x, int y0, int y1, COLORREF c)
{
    int n = 0;
    for (int y = y0; y < y1; ++y) n += dc.GetPixel(x, y) == c;
    return n;
}

// Pixels of colour c anywhere in r.
inline int CountInRect(const CDC& dc, const CRect& r, COLORREF c)
{
    int n = 0;
    for (int x = r.left; x < r.right; ++x) n += CountInColumn(dc, x, r.top, r.bottom, c);
    return n;
}

// The same text drawn into a scratch picture of the same size matches the picture at (x, y).
inline bool ShowsText(const CDC& picture, int width, int height, int x, int y, int fontHeight,
                      COLORREF colour, const std::u16string& text)
{
    ScratchPicture expected(width, height);
    CRect r = expected.Text(x, y, fontHeight, colour, text);
    if (CountInRect(expected.dc, r, 0x000000) == r.Width() * r.Height()) return false;  // nothing drawn
    return SameRegion(picture, expected.dc, r);
}
