// The small pictures the display controls copy from: the beat heart, the crossed bell of a
// switched-off alarm and the mains plug. Each is a constant pixel table, one character per
// pixel, loaded into a bitmap held by its own memory device context.
#pragma once

#include "platform/bitmap.h"
#include "platform/dc.h"

struct PIXEL_PICTURE {
    int nWidth;
    int nHeight;
    const char* const* pRows;  // nHeight rows of nWidth characters
};

// '.' black, 'R' red, 'W' white, 'G' green.
COLORREF PictureColour(char code);

extern const PIXEL_PICTURE g_picHeart;  // red heart on black, 30 x 30
extern const PIXEL_PICTURE g_picBell;   // white bell crossed by a red X, on black, 28 x 25
extern const PIXEL_PICTURE g_picMains;  // mains plug, 54 x 28

// Creates bmp at the picture's size, paints the picture into it and leaves it selected in dc.
void LoadPicture(const PIXEL_PICTURE& picture, CBitmap& bmp, CDC& dc);
