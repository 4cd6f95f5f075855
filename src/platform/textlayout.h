// Line layout of text in fixed cells: splits at line ends and, with word break, at spaces and
// between full-width characters so that each line fits a width. Tabs expand to stops every
// eight half-width cells when asked.
#pragma once

#include <vector>

#include "platform/wintypes.h"

struct TextLine {
    int start = 0;   // index into the UTF-16 text
    int length = 0;  // UTF-16 units, line end excluded
    int width = 0;   // pixels
};

class CTextLayout {
public:
    static constexpr int kTabCells = 8;

    // Decodes the code point at text[i] (surrogate pairs joined); *units gets its length.
    static char32_t CodePointAt(const char16_t* text, int count, int i, int* units);
    // Pixel advance of ch drawn at pen position x (tabs depend on x).
    static int Advance(char32_t ch, int x, int cellHeight, bool expandTabs);
    // Width of a single line of text.
    static int Width(const char16_t* text, int count, int cellHeight, bool expandTabs);
    // The lines of text; maxWidth < 0 means no word break.
    static std::vector<TextLine> Lines(const char16_t* text, int count, int cellHeight, int maxWidth,
                                       bool singleLine, bool expandTabs);

private:
    static void BreakLine(const char16_t* text, int start, int end, int cellHeight, int maxWidth,
                          bool expandTabs, std::vector<TextLine>& out);
};
