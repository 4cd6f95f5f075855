#include "platform/pngfile.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Writes rows of 8-bit RGB with the fastest compression: a screen written every few seconds
// must not cost more than drawing it. Returns an error text, or null on success.
const char* WriteRgbRows(FILE* file, int w, int h, std::vector<png_bytep>& rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return "out of memory";
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return "write failed";
    }
    png_init_io(png, file);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return nullptr;
}

}  // namespace

bool CPngFile::Write(const CBitmap& bitmap, const std::string& path, std::string* reason)
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
    std::vector<png_bytep> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) rows[static_cast<size_t>(y)] = rgb.data() + static_cast<size_t>(y) * w * 3;
    // Written beside the target and renamed over it, so a reader never sees half a picture.
    const std::string temp = TempName(path);
    FILE* file = std::fopen(temp.c_str(), "wb");
    const char* error = file == nullptr ? std::strerror(errno) : WriteRgbRows(file, w, h, rows);
    if (file != nullptr && std::fclose(file) != 0 && error == nullptr) error = "write failed";
    if (error == nullptr && std::rename(temp.c_str(), path.c_str()) != 0) error = std::strerror(errno);
    if (error != nullptr) {
        if (reason != nullptr) {
            *reason = error;
        } else {
            std::fprintf(stderr, "tesmor: cannot write PNG %s: %s\n", path.c_str(), error);
        }
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

std::string CPngFile::TempName(const std::string& path) { return path + ".part"; }

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
