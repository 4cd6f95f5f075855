// A device context: draws into the selected bitmap (a memory device context) or into a window's
// part of the screen frame (a paint or client device context, with an origin and a clip
// rectangle). It holds the selected bitmap, pen, font and brush, the text colour, the
// background colour and mode (opaque by default) and the current position. Every operation
// clips to the target first, so no coordinate can write outside it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/brush.h"
#include "platform/font.h"
#include "platform/geometry.h"
#include "platform/pen.h"
#include "platform/wintypes.h"

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr DWORD SRCCOPY = 0x00CC0020;

constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int kScreenDpi = 96;

// DrawText formats.
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_EXPANDTABS = 0x0040;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;

struct TEXTMETRIC {
    int tmHeight = 0;
    int tmAscent = 0;
    int tmDescent = 0;
    int tmAveCharWidth = 0;  // a half-width cell
    int tmMaxCharWidth = 0;  // a full-width cell
};

class CDC {
public:
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // A memory device context; it draws nothing until a bitmap is selected.
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();
    // Points the context at part of a bitmap: drawing coordinates are offset by origin and
    // clipped to clip (in bitmap coordinates). Used for window painting.
    void AttachTarget(const CBitmap& target, CPoint origin, const CRect& clip);

    // Selection returns the object selected before (a stock object at first).
    CBitmap* SelectObject(CBitmap* pBitmap);
    CPen* SelectObject(CPen* pPen);
    CFont* SelectObject(CFont* pFont);
    CBrush* SelectObject(CBrush* pBrush);
    CBitmap* GetCurrentBitmap() const { return m_state.bitmap; }
    CPen* GetCurrentPen() const { return m_state.pen; }
    CFont* GetCurrentFont() const { return m_state.font; }
    CBrush* GetCurrentBrush() const { return m_state.brush; }

    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const { return m_state.textColor; }
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const { return m_state.bkColor; }
    int SetBkMode(int mode);
    int GetBkMode() const { return m_state.bkMode; }

    // Fills with the colour and makes it the background colour.
    void FillSolidRect(const CRect& rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    int FillRect(const CRect* rect, const CBrush* brush);

    // Lines leave out their end point.
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(CPoint p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(CPoint p) { return LineTo(p.x, p.y); }
    // Joins the points with lines; the current position is neither used nor changed.
    BOOL Polyline(const CPoint* points, int count);
    CPoint GetCurrentPosition() const { return m_state.position; }

    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF SetPixel(CPoint p, COLORREF color) { return SetPixel(p.x, p.y, color); }
    COLORREF GetPixel(int x, int y) const;
    COLORREF GetPixel(CPoint p) const { return GetPixel(p.x, p.y); }

    // Text in the selected font, top-left of the first cell at (x, y); count -1: up to the end.
    BOOL TextOut(int x, int y, const char16_t* text, int count = -1);
    BOOL TextOut(int x, int y, const std::u16string& text);
    // Text laid out in rect (clipped to it unless DT_NOCLIP). Returns the text height.
    int DrawText(const char16_t* text, int count, CRect* rect, UINT format);
    int DrawText(const std::u16string& text, CRect* rect, UINT format);
    CSize GetTextExtent(const char16_t* text, int count = -1) const;
    CSize GetTextExtent(const std::u16string& text) const;
    BOOL GetTextMetrics(TEXTMETRIC* metrics) const;

    // Copies a w x h block from pSrc at (xSrc, ySrc) to (x, y); clipped at both ends.
    BOOL BitBlt(int x, int y, int width, int height, CDC* pSrc, int xSrc, int ySrc, DWORD rop = SRCCOPY);

    // Saves the selected objects, colours, mode and position; RestoreDC(-1) restores the latest.
    int SaveDC();
    BOOL RestoreDC(int savedDC);

    int GetDeviceCaps(int index) const;

    // The bounds of every pixel written since the target was attached or the bitmap selected,
    // in the target's coordinates (empty when nothing was written). A screen learns from it
    // what a paint really changed, whatever part the window had marked.
    const CRect& WrittenBounds() const { return m_written; }
    // The written bounds, which then start again empty: what an off-screen picture changed
    // since it was last asked.
    CRect TakeWrittenBounds();

private:
    struct State {
        CBitmap* bitmap = nullptr;
        CPen* pen = nullptr;
        CFont* font = nullptr;
        CBrush* brush = nullptr;
        std::shared_ptr<BitmapSurface> surface;
        std::shared_ptr<const FontInfo> fontInfo;
        // The selected pen's attributes, taken at selection, so a pen object that goes
        // first leaves nothing dangling.
        int penStyle = PS_SOLID;
        int penWidth = 1;
        COLORREF penColor = 0;
        COLORREF textColor = 0;
        COLORREF bkColor = 0xFFFFFF;
        int bkMode = OPAQUE;
        CPoint position;
    };
    struct Saved;

    // Drawing primitives in device coordinates of the target surface.
    BitmapSurface* Target() const { return m_state.surface.get(); }
    CRect ClipRect() const;  // in surface coordinates, inside the surface
    void FillDevice(const CRect& rect, uint32_t pixel);
    void DrawLine(int x0, int y0, int x1, int y1);
    void PlotPen(int64_t major, int64_t minor, bool xMajor, uint32_t pixel, const CRect& clip);
    CRect PenBounds(int64_t major0, int64_t major1, int64_t minor0, int64_t minor1, bool xMajor, const CRect& clip) const;
    // Draws one line of text with its first cell's top-left at device (x, y), clipped to clip.
    void DrawTextLine(int x, int y, const char16_t* text, int count, const CRect& clip, bool expandTabs);
    CRect ToDevice(const CRect& logical) const;
    void AddWritten(const CRect& rect) { m_written.UnionRect(m_written, rect); }

    State m_state;
    CPoint m_origin;
    CRect m_attachedClip;
    CRect m_written;
    bool m_attached = false;
    std::vector<std::unique_ptr<Saved>> m_saved;
};
