// The font of the display controls: face "宋体", normal weight, ANSI character set, default
// precisions and quality, pitch and family 0x20; only the height (and italics) differ.
#pragma once

#include "platform/font.h"

BOOL CreateDisplayFont(CFont& font, int height, bool italic = false);
