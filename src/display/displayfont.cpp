#include "display/displayfont.h"

BOOL CreateDisplayFont(CFont& font, int height)
{
    return font.CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, u"宋体");
}
