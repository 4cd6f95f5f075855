// UTF-16 text helpers. Every text that is stored in a record, a patient record or an alarm
// entry is char16_t, so record files stay byte-compatible whatever the size of wchar_t.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

// Length of a zero-terminated UTF-16 string.
size_t U16Len(const char16_t* s);

// Bounded copy: copies at most cap-1 characters and always terminates (cap > 0).
// Returns the number of characters copied.
size_t U16Copy(char16_t* dst, size_t cap, const char16_t* src);

// Compares two zero-terminated UTF-16 strings like strcmp.
int U16Compare(const char16_t* a, const char16_t* b);

// printf-style formatting into a UTF-16 buffer; the format and %s arguments are UTF-8.
// Always terminates; output longer than cap-1 characters is cut. Returns characters written.
size_t U16Format(char16_t* dst, size_t cap, const char* fmt, ...)
    __attribute__((format(printf, 3, 4)));
size_t U16FormatV(char16_t* dst, size_t cap, const char* fmt, va_list args);

// Conversions at the edges (files names, terminal output, font rendering).
std::string ToUtf8(const char16_t* s);
std::string ToUtf8(const std::u16string& s);
std::u16string ToUtf16(const std::string& s);

// Decodes one code point from UTF-8 at s[i], advancing i; invalid bytes give U+FFFD.
char32_t DecodeUtf8(const std::string& s, size_t& i);

// A text as a message line shows it: control bytes and bytes that are not well-formed UTF-8
// written as \xNN, every other character as it is.
std::string EscapedText(const std::string& s);
