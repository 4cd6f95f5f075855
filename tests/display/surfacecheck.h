// Reading a control's off-screen picture back: pixel counts in a rectangle, and text compared
// with the same string drawn into a scratch picture in the same font and colours.
#pragma once

#include <string>
#include <vector>

#include "display/displayfont.h"
#include "display/panelpicture.h"
#include "platform/bitmap.h"
#include "platform/dc.h"
#include "platform/font.h"
#include "platform/geometry.h"
#include "support/picture.h"

namespace surfacecheck {

// Pixels of rect (clipped to the picture) that have the colour.
inline int CountColour(const CBitmap& picture, const CRect& rect, COLORREF colour)
{
    int n = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) n += (picture.GetPixel(x, y) == colour) ? 1 : 0;
    return n;
}

inline int Area(const CRect& rect) { return rect.Width() * rect.Height(); }

inline bool AllColour(const CBitmap& picture, const CRect& rect, COLORREF colour)
{
    return CountColour(picture, rect, colour) == Area(rect);
}

// A scratch picture of area's size filled with back, with text drawn opaque at at (in the
// picture's own coordinates, like the control's).
struct Scratch {
    CBitmap bmp;
    CDC dc;
    CFont font;
    Scratch(const CRect& area, COLORREF back)
    {
        bmp.CreateBitmap(area.Width(), area.Height());
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(&bmp);
        dc.FillSolidRect(0, 0, area.Width(), area.Height(), back);
        origin = area.TopLeft();
    }
    void Text(CPoint at, const std::u16string& text, int height, COLORREF colour, bool italic = false)
    {
        font.DeleteObject();
        CreateDisplayFont(font, height, italic);
        dc.SelectObject(&font);
        dc.SetTextColor(colour);
        dc.TextOut(at.x - origin.x, at.y - origin.y, text);
    }
    // Pixels of the same area of picture that differ from the scratch.
    int DifferingIn(const CBitmap& picture) const
    {
        return PixelsDiffering(bmp, CRect(0, 0, bmp.Width(), bmp.Height()), picture, origin);
    }
    CPoint origin;
};

// Pixels of the picture at `at` that differ from one of the controls' fixed small pictures,
// read from its character table.
inline int PictureMismatches(const CBitmap& picture, CPoint at, const PIXEL_PICTURE& fixed)
{
    int n = 0;
    for (int y = 0; y < fixed.nHeight; ++y)
        for (int x = 0; x < fixed.nWidth; ++x) n += picture.GetPixel(at.x + x, at.y + y) != PictureColour(fixed.pRows[y][x]);
    return n;
}

// True when area holds exactly text at at on back and nothing else; what the picture shows in
// the rectangles left out is not judged.
inline bool ShowsOnly(const CBitmap& picture, const CRect& area, CPoint at, const std::u16string& text, int height,
                      COLORREF colour, COLORREF back = 0, bool italic = false, const std::vector<CRect>& leftOut = {})
{
    Scratch expected(area, back);
    expected.Text(at, text, height, colour, italic);
    // A text that leaves no ink would compare equal to an empty box.
    const CRect local(0, 0, area.Width(), area.Height());
    if (!text.empty() && AllColour(expected.bmp, local, back)) return false;
    for (const CRect& out : leftOut) {
        CRect r;
        r.IntersectRect(out, area);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) expected.dc.SetPixel(x - area.left, y - area.top, picture.GetPixel(x, y));
    }
    return expected.DifferingIn(picture) == 0;
}

// The rectangle text covers when drawn at at.
inline CRect TextRect(CPoint at, const std::u16string& text, int height, bool italic = false)
{
    CBitmap bmp;
    bmp.CreateBitmap(1, 1);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&bmp);
    CFont font;
    CreateDisplayFont(font, height, italic);
    dc.SelectObject(&font);
    const CSize size = dc.GetTextExtent(text);
    return CRect(at, size);
}

}  // namespace surfacecheck
