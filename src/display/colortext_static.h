// A static text label with its own text colour, background colour and, optionally, its own
// font. The window system draws its text; the label only answers the colour query with them.
#pragma once

#include <memory>

#include "platform/brush.h"
#include "platform/font.h"
#include "platform/static.h"

class CColorText_Static : public CStatic {
public:
    static constexpr COLORREF kDisabledBackground = 0xC8C8C8;

    CColorText_Static();
    ~CColorText_Static() override;

    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) override;
    BOOL OnEraseBkgnd(CDC* pDC) override;

    void SetBkColor(COLORREF colour);
    void SetTextColor(COLORREF colour);
    // A point font of nPointSize tenths of a point; a face that cannot be made leaves the label
    // with the window's font.
    virtual void SetFontPointSize(int nPointSize, const char16_t* lpszFaceName, BOOL bRedraw);
    // The label takes over pFont's face, style and size.
    virtual void SetFontFrom(CFont* pFont, BOOL bRedraw);
    // A point font from lpLogFont, its height read as tenths of a point.
    virtual void SetFontIndirect(const LOGFONT* lpLogFont, BOOL bRedraw);

    COLORREF GetBkColor() const { return m_crBk; }
    COLORREF GetTextColor() const { return m_crText; }
    CFont* GetOwnFont() const { return m_pFont.get(); }

private:
    void Redraw(BOOL bRedraw);

    COLORREF m_crDisabledBk = kDisabledBackground;
    COLORREF m_crBk = 0;
    COLORREF m_crText = 0;
    std::unique_ptr<CFont> m_pFont;
    CBrush m_brBk;
    CBrush m_brDisabledBk;
};
