#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/dc.h"

namespace {

// Draws a fresh set of glyphs (each thread its own heights, so both fill the cache at once).
std::vector<uint32_t> DrawStrings(int firstHeight)
{
    CBitmap bmp;
    bmp.CreateBitmap(400, 200);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&bmp);
    int y = 0;
    for (int h = firstHeight; h < firstHeight + 8; ++h) {
        CFont font;
        font.CreateFont(h, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0x20, u"宋体");
        dc.SelectObject(&font);
        dc.SetTextColor(RGB(0, 255, 0));
        dc.TextOut(0, y, u"趋势图 HR 72 呼吸率 SpO2");
        dc.SelectObject(CFont::StockDefault());
        y += h;
    }
    return std::vector<uint32_t>(bmp.Bits(), bmp.Bits() + 400 * 200);
}

TEST(TextThreadTest, TwoThreadsDrawTextAtOnce)
{
    std::vector<uint32_t> a, b;
    std::thread first([&] { a = DrawStrings(13); });
    std::thread second([&] { b = DrawStrings(14); });
    first.join();
    second.join();
    // Each result equals the same drawing done alone, now from the cache.
    EXPECT_EQ(a, DrawStrings(13));
    EXPECT_EQ(b, DrawStrings(14));
}

}  // namespace
