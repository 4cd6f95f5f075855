// PNG files of 32-bit bitmaps through libpng (8-bit RGB, no alpha).
#pragma once

#include <string>

#include "platform/bitmap.h"

class CPngFile {
public:
    // Writes the bitmap; false when the file cannot be written. The reason goes to *reason, or
    // without one, in a line on standard error.
    static bool Write(const CBitmap& bitmap, const std::string& path, std::string* reason = nullptr);
    // The file Write writes first, beside path, and then renames over it.
    static std::string TempName(const std::string& path);
    // Reads an 8-bit RGB or RGBA PNG into a new bitmap; false for a missing or damaged file.
    static bool Read(const std::string& path, CBitmap* bitmap);
};
