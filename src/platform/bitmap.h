// A 32-bit picture: width x height pixels stored row by row as 0x00RRGGBB. The pixels live in
// shared storage, so a device context that has the bitmap selected keeps drawing into valid
// memory even when the CBitmap object itself goes away first.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/wintypes.h"

class CDC;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

struct BitmapSurface {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB
};

// COLORREF (0x00BBGGRR) to and from the stored pixel form (0x00RRGGBB).
constexpr uint32_t PixelFromColor(COLORREF c)
{
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr COLORREF ColorFromPixel(uint32_t p)
{
    return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
}

class CBitmap {
public:
    CBitmap() = default;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // Creates a black 32-bit bitmap. Sizes below 1 give a 1 x 1 bitmap, as the window system does.
    BOOL CreateBitmap(int width, int height);
    // The same; the device context only names the colour format, which is always 32-bit here.
    BOOL CreateCompatibleBitmap(CDC* pDC, int width, int height);
    BOOL DeleteObject();
    bool IsValid() const { return m_surface != nullptr; }

    int Width() const { return m_surface ? m_surface->width : 0; }
    int Height() const { return m_surface ? m_surface->height : 0; }
    // Row-major pixels (0x00RRGGBB); null when not created.
    uint32_t* Bits() { return m_surface ? m_surface->pixels.data() : nullptr; }
    const uint32_t* Bits() const { return m_surface ? m_surface->pixels.data() : nullptr; }
    // COLORREF of one pixel; CLR_INVALID outside.
    COLORREF GetPixel(int x, int y) const;

    const std::shared_ptr<BitmapSurface>& Surface() const { return m_surface; }

private:
    std::shared_ptr<BitmapSurface> m_surface;
};
