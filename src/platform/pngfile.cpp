#include "platform/pngfile.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

bool CPngFile::Write(const CBitmap& bitmap, const std::string& path)
{
    if (!bitmap.IsValid()) return false;
    int w = bitmap.Width(), h = bitmap.Height();
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    const uint32_t* src = bitmap.Bits();
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
        rgb[i * 3] = static_cast<uint8_t>(src[i] >> 16);
        rgb[i * 3 + 1] = static_cast<uint8_t>(src[i] >> 8);
        rgb[i * 3 + 2] = static_cast<uint8_t>(src[i]);
    }
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGB;
    if (png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), w * 3, nullptr) == 0) {
        std::fprintf(stderr, "tesmor: cannot write PNG %s: %s\n", path.c_str(), image.message);
        png_image_free(&image);
        return false;
    }
    return true;
}

bool CPngFile::Read(const std::string& path, CBitmap* bitmap)
{
    if (bitmap == nullptr) return false;
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return false;
    }
    int w = static_cast<int>(image.width), h = static_cast<int>(image.height);
    bitmap->CreateBitmap(w, h);
    uint32_t* dst = bitmap->Bits();
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
        dst[i] = (uint32_t(rgb[i * 3]) << 16) | (uint32_t(rgb[i * 3 + 1]) << 8) | rgb[i * 3 + 2];
    }
    return true;
}
