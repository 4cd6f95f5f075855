#include "platform/bitmap.h"

#include <algorithm>

#include "platform/dc.h"

BOOL CBitmap::CreateBitmap(int width, int height)
{
    auto surface = std::make_shared<BitmapSurface>();
    surface->width = std::max(width, 1);
    surface->height = std::max(height, 1);
    surface->pixels.assign(static_cast<size_t>(surface->width) * static_cast<size_t>(surface->height), 0u);
    m_surface = std::move(surface);
    return TRUE;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* /*pDC*/, int width, int height) { return CreateBitmap(width, height); }

BOOL CBitmap::DeleteObject()
{
    if (!m_surface) return FALSE;
    m_surface.reset();
    return TRUE;
}

COLORREF CBitmap::GetPixel(int x, int y) const
{
    if (!m_surface || x < 0 || y < 0 || x >= m_surface->width || y >= m_surface->height) return CLR_INVALID;
    return ColorFromPixel(m_surface->pixels[static_cast<size_t>(y) * m_surface->width + x]);
}
