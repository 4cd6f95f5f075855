#include "platform/textu16.h"

#include <cstdio>
#include <vector>

size_t U16Len(const char16_t* s)
{
    size_t n = 0;
    while (s[n] != 0) ++n;
    return n;
}

size_t U16Copy(char16_t* dst, size_t cap, const char16_t* src)
{
    if (cap == 0) return 0;
    size_t n = 0;
    if (src != nullptr) {
        while (n + 1 < cap && src[n] != 0) {
            dst[n] = src[n];
            ++n;
        }
    }
    dst[n] = 0;
    return n;
}

int U16Compare(const char16_t* a, const char16_t* b)
{
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return static_cast<int>(*a) - static_cast<int>(*b);
}

size_t U16FormatV(char16_t* dst, size_t cap, const char* fmt, va_list args)
{
    if (cap == 0) return 0;
    char small[256];
    va_list copy;
    va_copy(copy, args);
    int len = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (len < 0) {
        dst[0] = 0;
        return 0;
    }
    std::string utf8;
    if (static_cast<size_t>(len) < sizeof small) {
        utf8.assign(small, static_cast<size_t>(len));
    } else {
        std::vector<char> big(static_cast<size_t>(len) + 1);
        std::vsnprintf(big.data(), big.size(), fmt, args);
        utf8.assign(big.data(), static_cast<size_t>(len));
    }
    std::u16string wide = ToUtf16(utf8);
    return U16Copy(dst, cap, wide.c_str());
}

size_t U16Format(char16_t* dst, size_t cap, const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    size_t n = U16FormatV(dst, cap, fmt, args);
    va_end(args);
    return n;
}

static void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string ToUtf8(const char16_t* s)
{
    std::string out;
    if (s == nullptr) return out;
    for (size_t i = 0; s[i] != 0; ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;  // a lone surrogate
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string ToUtf8(const std::u16string& s) { return ToUtf8(s.c_str()); }

char32_t DecodeUtf8(const std::string& s, size_t& i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    int extra = b0 < 0x80 ? 0 : (b0 >> 5) == 6 ? 1 : (b0 >> 4) == 14 ? 2 : (b0 >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= s.size() + (extra == 0 ? 1 : 0)) {
        ++i;
        return 0xFFFD;
    }
    char32_t cp = extra == 0 ? b0 : (b0 & (0x3F >> extra));
    for (int k = 1; k <= extra; ++k) {
        unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) {
            i += k;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += extra + 1;
    return cp;
}

// The length of the well-formed UTF-8 character at s[i] that is no control character; 0 when
// the byte there must be escaped.
static size_t PrintableCharLength(const std::string& s, size_t i)
{
    size_t end = i;
    const char32_t cp = DecodeUtf8(s, end);
    const size_t n = end - i;
    if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) return 0;
    // DecodeUtf8 also takes over-long forms, surrogates and values past U+10FFFF.
    const size_t shortest = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    if (n != shortest || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
    if (cp == 0xFFFD && s.compare(i, 3, "\xEF\xBF\xBD") != 0) return 0;
    return n;
}

std::string EscapedText(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const size_t n = PrintableCharLength(s, i);
        if (n > 0) {
            out.append(s, i, n);
            i += n;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(s[i++]));
        out += escaped;
    }
    return out;
}

std::u16string ToUtf16(const std::string& s)
{
    std::u16string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t cp = DecodeUtf8(s, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}
