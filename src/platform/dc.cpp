#include "platform/dc.h"

#include <algorithm>
#include <cstring>

#include "platform/glyphcache.h"
#include "platform/textlayout.h"
#include "platform/textu16.h"

namespace {

constexpr int64_t kCoordLimit = int64_t(1) << 30;

int ClampCoord(int64_t v) { return static_cast<int>(std::clamp(v, -kCoordLimit, kCoordLimit)); }

// The minor coordinate of step i of a line: minor0 + round(i * delta / n), halves upward
// (n > 0), stepped incrementally. The start needs more than 64 bits for far-off coordinates.
class CMinorStepper {
public:
    CMinorStepper(int64_t i, int64_t delta, int64_t n) : m_den(2 * n), m_step(2 * delta)
    {
        __int128 num = 2 * static_cast<__int128>(i) * delta + n;
        __int128 q = num / m_den;
        __int128 r = num % m_den;
        if (r < 0) {
            r += m_den;
            --q;
        }
        m_offset = static_cast<int64_t>(q);
        m_rest = static_cast<int64_t>(r);
    }
    int64_t Offset() const { return m_offset; }
    // |delta| <= n, so one correction per step is enough.
    void Next()
    {
        m_rest += m_step;
        if (m_rest >= m_den) {
            m_rest -= m_den;
            ++m_offset;
        } else if (m_rest < 0) {
            m_rest += m_den;
            --m_offset;
        }
    }

private:
    int64_t m_den;
    int64_t m_step;
    int64_t m_offset = 0;
    int64_t m_rest = 0;
};

inline uint32_t Blend(uint32_t dst, uint32_t src, unsigned a)
{
    if (a >= 255) return src;
    unsigned na = 255 - a;
    uint32_t rb = ((src & 0xFF00FFu) * a + (dst & 0xFF00FFu) * na + 0x800080u);
    uint32_t g = ((src & 0x00FF00u) * a + (dst & 0x00FF00u) * na + 0x008000u);
    // Divide each channel by 255: (v + (v >> 8)) >> 8 per channel.
    rb = ((rb + ((rb >> 8) & 0xFF00FFu)) >> 8) & 0xFF00FFu;
    g = ((g + ((g >> 8) & 0x00FF00u)) >> 8) & 0x00FF00u;
    return rb | g;
}

}  // namespace

struct CDC::Saved {
    State state;
};

CDC::CDC()
{
    m_state.pen = CPen::StockBlack();
    m_state.font = CFont::StockDefault();
    m_state.fontInfo = m_state.font->Info();
    m_state.brush = CBrush::StockWhite();
}

CDC::~CDC() = default;

BOOL CDC::CreateCompatibleDC(CDC* /*pDC*/)
{
    DeleteDC();
    return TRUE;
}

BOOL CDC::DeleteDC()
{
    m_state = State();
    m_state.pen = CPen::StockBlack();
    m_state.font = CFont::StockDefault();
    m_state.fontInfo = m_state.font->Info();
    m_state.brush = CBrush::StockWhite();
    m_attached = false;
    m_origin = CPoint();
    m_written = CRect();
    m_saved.clear();
    return TRUE;
}

void CDC::AttachTarget(const CBitmap& target, CPoint origin, const CRect& clip)
{
    m_state.bitmap = nullptr;
    m_state.surface = target.Surface();
    m_origin = origin;
    m_attachedClip = clip;
    m_attached = true;
    m_written = CRect();
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap)
{
    if (m_attached) return nullptr;
    CBitmap* previous = m_state.bitmap;
    m_state.bitmap = pBitmap;
    m_state.surface = pBitmap != nullptr ? pBitmap->Surface() : nullptr;
    m_written = CRect();
    return previous;
}

CPen* CDC::SelectObject(CPen* pPen)
{
    if (pPen == nullptr || !pPen->IsValid()) return nullptr;
    CPen* previous = m_state.pen;
    m_state.pen = pPen;
    m_state.penStyle = pPen->Style();
    m_state.penWidth = pPen->Width();
    m_state.penColor = pPen->Color();
    return previous;
}

CFont* CDC::SelectObject(CFont* pFont)
{
    if (pFont == nullptr || !pFont->IsValid()) return nullptr;
    CFont* previous = m_state.font;
    m_state.font = pFont;
    m_state.fontInfo = pFont->Info();
    return previous;
}

CBrush* CDC::SelectObject(CBrush* pBrush)
{
    if (pBrush == nullptr || !pBrush->IsValid()) return nullptr;
    CBrush* previous = m_state.brush;
    m_state.brush = pBrush;
    return previous;
}

COLORREF CDC::SetTextColor(COLORREF color)
{
    COLORREF previous = m_state.textColor;
    m_state.textColor = color & 0x00FFFFFFu;
    return previous;
}

COLORREF CDC::SetBkColor(COLORREF color)
{
    COLORREF previous = m_state.bkColor;
    m_state.bkColor = color & 0x00FFFFFFu;
    return previous;
}

int CDC::SetBkMode(int mode)
{
    int previous = m_state.bkMode;
    if (mode == TRANSPARENT || mode == OPAQUE) m_state.bkMode = mode;
    return previous;
}

CRect CDC::ClipRect() const
{
    const BitmapSurface* s = Target();
    if (s == nullptr) return CRect();
    CRect bounds(0, 0, s->width, s->height);
    if (!m_attached) return bounds;
    CRect clip;
    clip.IntersectRect(bounds, m_attachedClip);
    return clip;
}

CRect CDC::ToDevice(const CRect& r) const
{
    return CRect(ClampCoord(int64_t(r.left) + m_origin.x), ClampCoord(int64_t(r.top) + m_origin.y),
                 ClampCoord(int64_t(r.right) + m_origin.x), ClampCoord(int64_t(r.bottom) + m_origin.y));
}

void CDC::FillDevice(const CRect& rect, uint32_t pixel)
{
    CRect r;
    if (!r.IntersectRect(rect, ClipRect())) return;
    AddWritten(r);
    BitmapSurface* s = Target();
    for (int y = r.top; y < r.bottom; ++y) {
        uint32_t* row = s->pixels.data() + static_cast<size_t>(y) * s->width;
        std::fill(row + r.left, row + r.right, pixel);
    }
}

void CDC::FillSolidRect(const CRect& rect, COLORREF color)
{
    SetBkColor(color);
    FillDevice(ToDevice(rect), PixelFromColor(color & 0x00FFFFFFu));
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    FillSolidRect(CRect(x, y, ClampCoord(int64_t(x) + cx), ClampCoord(int64_t(y) + cy)), color);
}

int CDC::FillRect(const CRect* rect, const CBrush* brush)
{
    if (rect == nullptr || brush == nullptr || !brush->IsValid()) return 0;
    FillDevice(ToDevice(*rect), PixelFromColor(brush->Color()));
    return 1;
}

CPoint CDC::MoveTo(int x, int y)
{
    CPoint previous = m_state.position;
    m_state.position = CPoint(x, y);
    return previous;
}

BOOL CDC::LineTo(int x, int y)
{
    CPoint from = m_state.position;
    DrawLine(from.x, from.y, x, y);
    m_state.position = CPoint(x, y);
    return TRUE;
}

BOOL CDC::Polyline(const CPoint* points, int count)
{
    if (points == nullptr || count < 2) return FALSE;
    for (int i = 0; i + 1 < count; ++i) DrawLine(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y);
    return TRUE;
}

// A wide pen thickens the line across its direction: rows for a mostly horizontal line,
// columns for a steep one, from -(width / 2) to width - 1 - width / 2.
void CDC::PlotPen(int64_t major, int64_t minor, bool xMajor, uint32_t pixel, const CRect& clip)
{
    BitmapSurface* s = Target();
    int w = m_state.penWidth;
    for (int64_t m = minor - w / 2; m < minor - w / 2 + w; ++m) {
        int64_t x = xMajor ? major : m;
        int64_t y = xMajor ? m : major;
        if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom) {
            s->pixels[static_cast<size_t>(y) * s->width + static_cast<size_t>(x)] = pixel;
        }
    }
}

// The pixels PlotPen can reach for a run of steps from (major0, minor0) to (major1, minor1),
// inside clip. The minor coordinate moves monotonically, so the ends bound it.
CRect CDC::PenBounds(int64_t major0, int64_t major1, int64_t minor0, int64_t minor1, bool xMajor, const CRect& clip) const
{
    int w = m_state.penWidth;
    int64_t lo = std::min(minor0, minor1) - w / 2;
    int64_t hi = std::max(minor0, minor1) - w / 2 + w;
    int64_t a = std::min(major0, major1), b = std::max(major0, major1) + 1;
    CRect run = xMajor ? CRect(ClampCoord(a), ClampCoord(lo), ClampCoord(b), ClampCoord(hi))
                       : CRect(ClampCoord(lo), ClampCoord(a), ClampCoord(hi), ClampCoord(b));
    CRect bounds;
    bounds.IntersectRect(run, clip);
    return bounds;
}

// Steps along the major axis one pixel at a time; the minor coordinate is the rounded exact
// position. Only the steps whose major coordinate can touch the clip rectangle are visited,
// so far-off end points cost nothing.
void CDC::DrawLine(int lx0, int ly0, int lx1, int ly1)
{
    if (m_state.penStyle == PS_NULL) return;
    CRect clip = ClipRect();
    if (clip.IsRectEmpty()) return;
    int64_t x0 = int64_t(lx0) + m_origin.x, y0 = int64_t(ly0) + m_origin.y;
    int64_t dx = int64_t(lx1) - lx0, dy = int64_t(ly1) - ly0;
    if (dx == 0 && dy == 0) return;
    bool xMajor = std::abs(dx) >= std::abs(dy);
    int64_t n = xMajor ? std::abs(dx) : std::abs(dy);
    int64_t step = (xMajor ? dx : dy) > 0 ? 1 : -1;
    int64_t minorDelta = xMajor ? dy : dx;
    int64_t major0 = xMajor ? x0 : y0;
    int64_t minor0 = xMajor ? y0 : x0;
    int pad = m_state.penWidth;
    int64_t lo = (xMajor ? clip.left : clip.top) - pad;
    int64_t hi = (xMajor ? clip.right : clip.bottom) + pad;  // exclusive
    int64_t iMin = step > 0 ? lo - major0 : major0 - (hi - 1);
    int64_t iMax = step > 0 ? hi - major0 : major0 - lo + 1;  // exclusive
    iMin = std::max<int64_t>(iMin, 0);
    iMax = std::min<int64_t>(iMax, n);
    uint32_t penPixel = PixelFromColor(m_state.penColor);
    uint32_t gapPixel = PixelFromColor(m_state.bkColor);
    bool dotted = m_state.penStyle == PS_DOT;
    bool opaqueGaps = m_state.bkMode == OPAQUE;
    if (iMin >= iMax) return;
    CMinorStepper minor(iMin, minorDelta, n);
    int64_t lastMinor = minor0 + CMinorStepper(iMax - 1, minorDelta, n).Offset();
    AddWritten(PenBounds(major0 + step * iMin, major0 + step * (iMax - 1), minor0 + minor.Offset(), lastMinor, xMajor, clip));
    for (int64_t i = iMin; i < iMax; ++i, minor.Next()) {
        bool on = !dotted || (i / CPen::kDotRun) % 2 == 0;
        if (!on && !opaqueGaps) continue;
        PlotPen(major0 + step * i, minor0 + minor.Offset(), xMajor, on ? penPixel : gapPixel, clip);
    }
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color)
{
    int64_t dx = int64_t(x) + m_origin.x, dy = int64_t(y) + m_origin.y;
    if (!ClipRect().PtInRect(CPoint(ClampCoord(dx), ClampCoord(dy)))) return CLR_INVALID;
    BitmapSurface* s = Target();
    s->pixels[static_cast<size_t>(dy) * s->width + static_cast<size_t>(dx)] = PixelFromColor(color & 0x00FFFFFFu);
    AddWritten(CRect(static_cast<int>(dx), static_cast<int>(dy), static_cast<int>(dx) + 1, static_cast<int>(dy) + 1));
    return color & 0x00FFFFFFu;
}

COLORREF CDC::GetPixel(int x, int y) const
{
    int64_t dx = int64_t(x) + m_origin.x, dy = int64_t(y) + m_origin.y;
    if (!ClipRect().PtInRect(CPoint(ClampCoord(dx), ClampCoord(dy)))) return CLR_INVALID;
    const BitmapSurface* s = Target();
    return ColorFromPixel(s->pixels[static_cast<size_t>(dy) * s->width + static_cast<size_t>(dx)]);
}

void CDC::DrawTextLine(int x, int y, const char16_t* text, int count, const CRect& clip, bool expandTabs)
{
    BitmapSurface* s = Target();
    if (s == nullptr || clip.IsRectEmpty()) return;
    const FontInfo& font = *m_state.fontInfo;
    int h = font.cellHeight;
    CGlyphCache& cache = CGlyphCache::Instance();
    uint32_t textPixel = PixelFromColor(m_state.textColor);
    uint32_t bkPixel = PixelFromColor(m_state.bkColor);
    int penX = 0;
    for (int i = 0, units = 1; i < count; i += units) {
        char32_t ch = CTextLayout::CodePointAt(text, count, i, &units);
        int adv = CTextLayout::Advance(ch, penX, h, expandTabs);
        int64_t cellX = int64_t(x) + penX;
        penX += adv;
        if (cellX >= clip.right) break;
        if (cellX + adv <= clip.left || adv == 0) continue;
        CRect cell(ClampCoord(cellX), y, ClampCoord(cellX + adv), ClampCoord(int64_t(y) + h));
        CRect visible;
        if (!visible.IntersectRect(cell, clip)) continue;
        if (m_state.bkMode == OPAQUE) FillDevice(visible, bkPixel);
        if (ch < 0x20) continue;
        AddWritten(visible);
        const Glyph* g = cache.Get(font.faceId, h, font.italic, ch);
        for (int gy = 0; gy < g->height; ++gy) {
            int py = cell.top + g->top + gy;
            if (py < visible.top || py >= visible.bottom) continue;
            const uint8_t* cov = g->coverage.data() + static_cast<size_t>(gy) * g->width;
            uint32_t* row = s->pixels.data() + static_cast<size_t>(py) * s->width;
            int gx0 = std::max(0, visible.left - (cell.left + g->left));
            int gx1 = std::min(g->width, visible.right - (cell.left + g->left));
            for (int gx = gx0; gx < gx1; ++gx) {
                unsigned a = cov[gx];
                if (a == 0) continue;
                uint32_t& dst = row[cell.left + g->left + gx];
                dst = Blend(dst, textPixel, a);
            }
        }
    }
}

BOOL CDC::TextOut(int x, int y, const char16_t* text, int count)
{
    if (text == nullptr) return FALSE;
    if (count < 0) count = static_cast<int>(U16Len(text));
    CPoint p(ClampCoord(int64_t(x) + m_origin.x), ClampCoord(int64_t(y) + m_origin.y));
    DrawTextLine(p.x, p.y, text, count, ClipRect(), false);
    return TRUE;
}

BOOL CDC::TextOut(int x, int y, const std::u16string& text)
{
    return TextOut(x, y, text.c_str(), static_cast<int>(text.size()));
}

int CDC::DrawText(const char16_t* text, int count, CRect* rect, UINT format)
{
    if (text == nullptr || rect == nullptr) return 0;
    if (count < 0) count = static_cast<int>(U16Len(text));
    int h = m_state.fontInfo->cellHeight;
    bool expandTabs = (format & DT_EXPANDTABS) != 0;
    bool singleLine = (format & DT_SINGLELINE) != 0;
    int maxWidth = ((format & DT_WORDBREAK) != 0 && !singleLine) ? std::max(rect->Width(), 0) : -1;
    std::vector<TextLine> lines = CTextLayout::Lines(text, count, h, maxWidth, singleLine, expandTabs);
    int total = h * static_cast<int>(lines.size());
    if ((format & DT_CALCRECT) != 0) {
        int widest = 0;
        for (const TextLine& line : lines) widest = std::max(widest, line.width);
        rect->right = rect->left + widest;
        rect->bottom = rect->top + total;
        return total;
    }
    int top = rect->top;
    if ((format & DT_VCENTER) != 0) top = rect->top + (rect->Height() - total) / 2;
    if ((format & DT_BOTTOM) != 0) top = rect->bottom - total;
    CRect clip = ClipRect();
    if ((format & DT_NOCLIP) == 0) {
        CRect inside;
        if (!inside.IntersectRect(clip, ToDevice(*rect))) return total;
        clip = inside;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        const TextLine& line = lines[i];
        int left = rect->left;
        if ((format & DT_CENTER) != 0) left = rect->left + (rect->Width() - line.width) / 2;
        if ((format & DT_RIGHT) != 0) left = rect->right - line.width;
        CPoint p(ClampCoord(int64_t(left) + m_origin.x),
                 ClampCoord(int64_t(top) + h * static_cast<int64_t>(i) + m_origin.y));
        DrawTextLine(p.x, p.y, text + line.start, line.length, clip, expandTabs);
    }
    return total;
}

int CDC::DrawText(const std::u16string& text, CRect* rect, UINT format)
{
    return DrawText(text.c_str(), static_cast<int>(text.size()), rect, format);
}

CSize CDC::GetTextExtent(const char16_t* text, int count) const
{
    int h = m_state.fontInfo->cellHeight;
    if (text == nullptr) return CSize(0, h);
    if (count < 0) count = static_cast<int>(U16Len(text));
    return CSize(CTextLayout::Width(text, count, h, false), h);
}

CSize CDC::GetTextExtent(const std::u16string& text) const
{
    return GetTextExtent(text.c_str(), static_cast<int>(text.size()));
}

BOOL CDC::GetTextMetrics(TEXTMETRIC* metrics) const
{
    if (metrics == nullptr) return FALSE;
    int h = m_state.fontInfo->cellHeight;
    metrics->tmHeight = h;
    metrics->tmAscent = CGlyphCache::Instance().Ascent(m_state.fontInfo->faceId, h);
    metrics->tmDescent = h - metrics->tmAscent;
    metrics->tmAveCharWidth = h / 2;
    metrics->tmMaxCharWidth = h;
    return TRUE;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* pSrc, int xSrc, int ySrc, DWORD rop)
{
    if (pSrc == nullptr || rop != SRCCOPY || width <= 0 || height <= 0) return FALSE;
    BitmapSurface* dst = Target();
    BitmapSurface* src = pSrc->Target();
    if (dst == nullptr || src == nullptr) return FALSE;
    CRect dstRect = ToDevice(CRect(x, y, ClampCoord(int64_t(x) + width), ClampCoord(int64_t(y) + height)));
    int sx = ClampCoord(int64_t(xSrc) + pSrc->m_origin.x);
    int sy = ClampCoord(int64_t(ySrc) + pSrc->m_origin.y);
    // Shift the destination rectangle into source coordinates, clip there, and shift back.
    int offX = sx - dstRect.left, offY = sy - dstRect.top;
    CRect inSrc(dstRect.left + offX, dstRect.top + offY, dstRect.right + offX, dstRect.bottom + offY);
    CRect srcClip;
    if (!srcClip.IntersectRect(inSrc, pSrc->ClipRect())) return TRUE;
    CRect dstClip(srcClip.left - offX, srcClip.top - offY, srcClip.right - offX, srcClip.bottom - offY);
    CRect r;
    if (!r.IntersectRect(dstClip, ClipRect())) return TRUE;
    AddWritten(r);
    size_t rowBytes = static_cast<size_t>(r.Width()) * sizeof(uint32_t);
    auto copyRow = [&](int row) {
        uint32_t* d = dst->pixels.data() + static_cast<size_t>(row) * dst->width + r.left;
        const uint32_t* s = src->pixels.data() + static_cast<size_t>(row + offY) * src->width + (r.left + offX);
        std::memmove(d, s, rowBytes);
    };
    if (dst == src && offY < 0) {
        for (int row = r.bottom - 1; row >= r.top; --row) copyRow(row);
    } else {
        for (int row = r.top; row < r.bottom; ++row) copyRow(row);
    }
    return TRUE;
}

CRect CDC::TakeWrittenBounds()
{
    CRect written = m_written;
    m_written = CRect();
    return written;
}

int CDC::SaveDC()
{
    m_saved.push_back(std::make_unique<Saved>(Saved{m_state}));
    return static_cast<int>(m_saved.size());
}

BOOL CDC::RestoreDC(int savedDC)
{
    int depth = static_cast<int>(m_saved.size());
    int level = savedDC < 0 ? depth + 1 + savedDC : savedDC;
    if (level < 1 || level > depth) return FALSE;
    m_state = m_saved[static_cast<size_t>(level - 1)]->state;
    m_saved.resize(static_cast<size_t>(level - 1));
    return TRUE;
}

int CDC::GetDeviceCaps(int index) const
{
    if (index == LOGPIXELSX || index == LOGPIXELSY) return kScreenDpi;
    return 0;
}
