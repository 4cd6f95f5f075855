// A static control: shows its window text. Before painting it asks its own colour query
// (CtlColor, the reflected colour notification) for colours, font and background brush; with
// no brush from it, black text on the button-face colour. Clicks pass through it unless it has
// the SS_NOTIFY style; only then does it receive clicks and double clicks.
#pragma once

#include "platform/brush.h"
#include "platform/wnd.h"

constexpr DWORD SS_LEFT = 0x00000000;
constexpr DWORD SS_CENTER = 0x00000001;
constexpr DWORD SS_RIGHT = 0x00000002;

constexpr UINT CTLCOLOR_STATIC = 6;

class CStatic : public CWnd {
public:
    using CWnd::Create;
    // Creates the control with its text (style, rectangle, parent and id as for CWnd).
    BOOL Create(const char16_t* text, DWORD style, const CRect& rect, CWnd* parent, UINT id = 0xFFFF);

    // The reflected colour query: may set colours, mode and font on pDC and return the brush
    // that fills the background. The default returns null (standard colours).
    virtual HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);

    bool IsClickTransparent() const override { return (GetStyle() & SS_NOTIFY) == 0; }
    // Draws the text with word break and tab expansion, after the colour query.
    void OnPaint(CDC* pDC) override;
};
