#include "display/displayfont.h"

BOOL CreateDisplayFont(CFont& font, int height, bool italic)
{
    return font.CreateFont(height, 0, 0, 0, FW_NORMAL, italic ? 1 : 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, u"宋体");
}
