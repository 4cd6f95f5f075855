// A screen without a display: the frame exists only in memory (tests, servers).
#pragma once

#include "platform/screen.h"

class CHeadlessScreen : public CScreen {
public:
    CHeadlessScreen(int width, int height) : CScreen(width, height) {}
};
