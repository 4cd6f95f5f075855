// A solid brush. HBRUSH is the brush handle a static's colour query returns (null: none).
#pragma once

#include "platform/wintypes.h"

class CBrush;
using HBRUSH = const CBrush*;

class CBrush {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    CBrush(const CBrush&) = delete;
    CBrush& operator=(const CBrush&) = delete;

    BOOL CreateSolidBrush(COLORREF color);
    BOOL DeleteObject();
    bool IsValid() const { return m_valid; }
    COLORREF Color() const { return m_color; }

    operator HBRUSH() const { return m_valid ? this : nullptr; }

    // The brush a device context starts with: solid white.
    static CBrush* StockWhite();

private:
    COLORREF m_color = 0;
    bool m_valid = false;
};
