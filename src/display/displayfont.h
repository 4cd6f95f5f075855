// The font of the display controls: face "宋体", weight 400, ANSI character set, pitch and
// family 0x20, at the given cell height.
#pragma once

#include "platform/font.h"

BOOL CreateDisplayFont(CFont& font, int height);
