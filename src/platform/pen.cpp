#include "platform/pen.h"

BOOL CPen::CreatePen(int style, int width, COLORREF color)
{
    if (style != PS_SOLID && style != PS_DOT && style != PS_NULL) style = PS_SOLID;
    m_style = style;
    m_width = (style == PS_DOT || width < 1) ? 1 : width;
    m_color = color & 0x00FFFFFFu;
    m_valid = true;
    return TRUE;
}

BOOL CPen::DeleteObject()
{
    bool was = m_valid;
    m_valid = false;
    return was ? TRUE : FALSE;
}

CPen* CPen::StockBlack()
{
    static CPen pen(PS_SOLID, 1, 0);
    return &pen;
}
