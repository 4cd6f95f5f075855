#include "platform/brush.h"

BOOL CBrush::CreateSolidBrush(COLORREF color)
{
    m_color = color & 0x00FFFFFFu;
    m_valid = true;
    return TRUE;
}

BOOL CBrush::DeleteObject()
{
    bool was = m_valid;
    m_valid = false;
    return was ? TRUE : FALSE;
}

CBrush* CBrush::StockWhite()
{
    static CBrush brush(0xFFFFFF);
    return &brush;
}
