#include "platform/static.h"

#include "platform/dc.h"

BOOL CStatic::Create(const char16_t* text, DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    SetWindowText(text);
    return CWnd::Create(parent, rect, id, style);
}

HBRUSH CStatic::CtlColor(CDC* /*pDC*/, UINT /*nCtlColor*/) { return nullptr; }

void CStatic::OnPaint(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    pDC->SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
    pDC->SetBkColor(GetSysColor(COLOR_BTNFACE));
    pDC->SetBkMode(OPAQUE);
    if (GetFont() != nullptr) pDC->SelectObject(GetFont());
    HBRUSH brush = CtlColor(pDC, CTLCOLOR_STATIC);
    CBrush face(GetSysColor(COLOR_BTNFACE));
    pDC->FillRect(&client, brush != nullptr ? brush : &face);
    UINT format = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
    if ((GetStyle() & SS_CENTER) != 0) format |= DT_CENTER;
    if ((GetStyle() & SS_RIGHT) != 0) format |= DT_RIGHT;
    pDC->DrawText(GetWindowText(), &client, format);
}
