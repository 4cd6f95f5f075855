#include "display/colortext_static.h"

#include "platform/dc.h"

CColorText_Static::CColorText_Static()
{
    SetBkColor(GetSysColor(COLOR_BTNFACE));
    SetTextColor(0);
}

CColorText_Static::~CColorText_Static() = default;

HBRUSH CColorText_Static::CtlColor(CDC* pDC, UINT /*nCtlColor*/)
{
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(m_crText);
    if (m_pFont) pDC->SelectObject(m_pFont.get());
    return IsWindowEnabled() ? static_cast<HBRUSH>(m_brBk) : static_cast<HBRUSH>(m_brDisabledBk);
}

BOOL CColorText_Static::OnEraseBkgnd(CDC* /*pDC*/) { return TRUE; }

void CColorText_Static::Redraw(BOOL bRedraw)
{
    if (bRedraw && IsCreated()) Invalidate(TRUE);
}

void CColorText_Static::SetBkColor(COLORREF colour)
{
    m_crBk = colour;
    m_brBk.DeleteObject();
    m_brBk.CreateSolidBrush(m_crBk);
    m_brDisabledBk.DeleteObject();
    m_brDisabledBk.CreateSolidBrush(m_crDisabledBk);
    Redraw(TRUE);
}

void CColorText_Static::SetTextColor(COLORREF colour)
{
    m_crText = colour;
    Redraw(TRUE);
}

void CColorText_Static::SetFontPointSize(int nPointSize, const char16_t* lpszFaceName, BOOL bRedraw)
{
    m_pFont = std::make_unique<CFont>();
    if (!m_pFont->CreatePointFont(nPointSize, lpszFaceName)) m_pFont.reset();
    Redraw(bRedraw);
}

void CColorText_Static::SetFontFrom(CFont* pFont, BOOL bRedraw)
{
    if (pFont == nullptr) return;
    LOGFONT lf;
    pFont->GetLogFont(&lf);
    // The font's height is in pixels; the label's fonts are made from tenths of a point.
    lf.lfHeight = lf.lfHeight * 720 / kScreenDpi;
    SetFontIndirect(&lf, bRedraw);
}

void CColorText_Static::SetFontIndirect(const LOGFONT* lpLogFont, BOOL bRedraw)
{
    m_pFont = std::make_unique<CFont>();
    if (lpLogFont == nullptr || !m_pFont->CreatePointFontIndirect(lpLogFont)) m_pFont.reset();
    Redraw(bRedraw);
}
