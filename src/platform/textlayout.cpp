#include "platform/textlayout.h"

#include "platform/glyphcache.h"

char32_t CTextLayout::CodePointAt(const char16_t* text, int count, int i, int* units)
{
    char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        *units = 2;
        return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    }
    *units = 1;
    return c;
}

int CTextLayout::Advance(char32_t ch, int x, int cellHeight, bool expandTabs)
{
    int half = cellHeight / 2;
    if (ch == u'\t' && expandTabs) {
        int stop = kTabCells * half;
        if (stop <= 0) return 0;
        return stop - (x % stop + stop) % stop;
    }
    if (ch == u'\r' || ch == u'\n') return 0;
    return CGlyphCache::CellWidth(ch, cellHeight);
}

int CTextLayout::Width(const char16_t* text, int count, int cellHeight, bool expandTabs)
{
    int x = 0;
    for (int i = 0, units = 1; i < count; i += units) {
        x += Advance(CodePointAt(text, count, i, &units), x, cellHeight, expandTabs);
    }
    return x;
}

std::vector<TextLine> CTextLayout::Lines(const char16_t* text, int count, int cellHeight, int maxWidth,
                                         bool singleLine, bool expandTabs)
{
    std::vector<TextLine> lines;
    if (singleLine) {
        lines.push_back(TextLine{0, count, Width(text, count, cellHeight, expandTabs)});
        return lines;
    }
    int start = 0;
    for (int i = 0; i <= count; ++i) {
        if (i < count && text[i] != u'\n') continue;
        int end = (i > start && text[i - 1] == u'\r') ? i - 1 : i;
        BreakLine(text, start, end, cellHeight, maxWidth, expandTabs, lines);
        start = i + 1;
    }
    return lines;
}

void CTextLayout::BreakLine(const char16_t* text, int start, int end, int cellHeight, int maxWidth,
                            bool expandTabs, std::vector<TextLine>& out)
{
    while (true) {
        int x = 0;
        int breakAt = -1;  // index where the next line may start
        int i = start;
        for (int units = 1; i < end; i += units) {
            char32_t ch = CodePointAt(text, end, i, &units);
            int adv = Advance(ch, x, cellHeight, expandTabs);
            if (maxWidth >= 0 && x + adv > maxWidth && i > start) break;
            x += adv;
            if (ch == u' ' || !CGlyphCache::IsHalfWidth(ch)) breakAt = i + units;
        }
        if (i >= end) {
            out.push_back(TextLine{start, end - start, x});
            return;
        }
        int cut = (breakAt > start) ? breakAt : i;  // a word longer than the line is cut
        int lineEnd = cut;
        while (lineEnd > start && text[lineEnd - 1] == u' ') --lineEnd;
        out.push_back(TextLine{start, lineEnd - start, Width(text + start, lineEnd - start, cellHeight, expandTabs)});
        start = cut;
        while (start < end && text[start] == u' ') ++start;
        if (start >= end) return;
    }
}
