// A device context for a window's client area outside painting. It draws into the running
// screen's frame at the window's place; with no screen it draws nothing. Memory device
// contexts are usually made compatible with it.
#pragma once

#include "platform/dc.h"

class CWnd;

class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
};
