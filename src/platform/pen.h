// A pen: solid lines of width 1 or more, or the dotted cosmetic pen of width 1 (runs of
// kDotRun pixels on, kDotRun off, counted from each line's start; the gaps take the background
// colour when the background mode is opaque).
#pragma once

#include "platform/wintypes.h"

constexpr int PS_SOLID = 0;
constexpr int PS_DOT = 2;
constexpr int PS_NULL = 5;

class CPen {
public:
    static constexpr int kDotRun = 3;

    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    CPen(const CPen&) = delete;
    CPen& operator=(const CPen&) = delete;

    // Widths below 1 mean 1; a dotted pen is always 1 pixel wide.
    BOOL CreatePen(int style, int width, COLORREF color);
    BOOL DeleteObject();
    bool IsValid() const { return m_valid; }

    int Style() const { return m_style; }
    int Width() const { return m_width; }
    COLORREF Color() const { return m_color; }

    // The pen a device context starts with: solid black, 1 pixel.
    static CPen* StockBlack();

private:
    int m_style = PS_SOLID;
    int m_width = 1;
    COLORREF m_color = 0;
    bool m_valid = false;
};
