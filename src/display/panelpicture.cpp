#include "display/panelpicture.h"

namespace {

const char* const g_szHeartRows[] = {
    "..............................",
    "..............................",
    "..............................",
    "..............................",
    "......RRRRRRR....RRRRRRR......",
    ".....RRRRRRRRR..RRRRRRRRR.....",
    "....RRRRRRRRRRRRRRRRRRRRRR....",
    "...RRRRRRRRRRRRRRRRRRRRRRRR...",
    "...RRRRRRRRRRRRRRRRRRRRRRRR...",
    "...RRRRRRRRRRRRRRRRRRRRRRRR...",
    "...RRRRRRRRRRRRRRRRRRRRRRRR...",
    "...RRRRRRRRRRRRRRRRRRRRRRRR...",
    "...RRRRRRRRRRRRRRRRRRRRRRRR...",
    "...RRRRRRRRRRRRRRRRRRRRRRRR...",
    "...RRRRRRRRRRRRRRRRRRRRRRRR...",
    "....RRRRRRRRRRRRRRRRRRRRRR....",
    "....RRRRRRRRRRRRRRRRRRRRRR....",
    "....RRRRRRRRRRRRRRRRRRRRRR....",
    ".....RRRRRRRRRRRRRRRRRRRR.....",
    "......RRRRRRRRRRRRRRRRRR......",
    "......RRRRRRRRRRRRRRRRRR......",
    ".......RRRRRRRRRRRRRRRR.......",
    "........RRRRRRRRRRRRRR........",
    ".........RRRRRRRRRRRR.........",
    "...........RRRRRRRR...........",
    "............RRRRRR............",
    "..............RR..............",
    "..............................",
    "..............................",
    "..............................",
};

const char* const g_szBellRows[] = {
    "RR........................RR",
    ".RR..........WW..........RR.",
    "..RR.......WWWWWW.......RR..",
    "...RR....WWWWWWWWWW....RR...",
    "....RR..WWWWWWWWWWWW..RR....",
    ".....RR.WWWWWWWWWWWW.RR.....",
    "......RRWWWWWWWWWWWWRR......",
    ".......RRWWWWWWWWWWRR.......",
    ".......WRRRWWWWWWRRRW.......",
    "......WWWWRRWWWWRRWWWW......",
    "......WWWWWRRWWRRWWWWW......",
    "......WWWWWWRRRRWWWWWW......",
    ".....WWWWWWWWRRWWWWWWWW.....",
    ".....WWWWWWWRRRRWWWWWWW.....",
    ".....WWWWWWRRWWRRWWWWWW.....",
    "....WWWWWWRRWWWWRRWWWWWW....",
    "....WWWWRRRWWWWWWRRRWWWW....",
    "...WWWWRRWWWWWWWWWWRRWWWW...",
    "..WWWWRRWWWWWWWWWWWWRRWWWW..",
    ".....RR..............RR.....",
    "....RR......WWWW......RR....",
    "...RR.......WWWW.......RR...",
    "..RR....................RR..",
    ".RR......................RR.",
    "RR........................RR",
};

const char* const g_szMainsRows[] = {
    "......................................................",
    "......................................................",
    "......................................................",
    "......................................................",
    "......................................................",
    "...................GGGGGGGGGGGGGGGGGG.................",
    "..................GGGGGGGGGGGGGGGGGGGG................",
    "..................GGGGGGGGGGGGGGGGGGGG................",
    "......WWWWWWWWWWWWGGGGGGGGGGGGGGGGGGGG................",
    "......WWWWWWWWWWWWGGGGGGGGGGGGGGGGGGGG................",
    "......WWWWWWWWWWWWGGGGGGGGGGGGGGGGGGGG................",
    "..................GGGGGGGGGGGGGGGGGGGG................",
    "..................GGGGGGGGGGGGGGGGGGGG................",
    "..................GGGGGGGGGGGGGGGGGGGGGGGGGGGGGGGG....",
    "..................GGGGGGGGGGGGGGGGGGGGGGGGGGGGGGGG....",
    "..................GGGGGGGGGGGGGGGGGGGG..........GG....",
    "..................GGGGGGGGGGGGGGGGGGGG..........GG....",
    "......WWWWWWWWWWWWGGGGGGGGGGGGGGGGGGGG..........GG....",
    "......WWWWWWWWWWWWGGGGGGGGGGGGGGGGGGGG..........GG....",
    "......WWWWWWWWWWWWGGGGGGGGGGGGGGGGGGGG..........GG....",
    "..................GGGGGGGGGGGGGGGGGGGG..........GG....",
    "..................GGGGGGGGGGGGGGGGGGGG..........GG....",
    "...................GGGGGGGGGGGGGGGGGG...........GG....",
    "................................................GG....",
    "................................................GG....",
    "......................................................",
    "......................................................",
    "......................................................",
};

}  // namespace

const PIXEL_PICTURE g_picHeart = {30, 30, g_szHeartRows};
const PIXEL_PICTURE g_picBell = {28, 25, g_szBellRows};
const PIXEL_PICTURE g_picMains = {54, 28, g_szMainsRows};

COLORREF PictureColour(char code)
{
    switch (code) {
    case 'R': return RGB(255, 0, 0);
    case 'W': return RGB(255, 255, 255);
    case 'G': return RGB(0, 200, 0);
    default: return RGB(0, 0, 0);
    }
}

void LoadPicture(const PIXEL_PICTURE& picture, CBitmap& bmp, CDC& dc)
{
    bmp.CreateBitmap(picture.nWidth, picture.nHeight);
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&bmp);
    for (int y = 0; y < picture.nHeight; ++y) {
        for (int x = 0; x < picture.nWidth; ++x) dc.SetPixel(x, y, PictureColour(picture.pRows[y][x]));
    }
}
