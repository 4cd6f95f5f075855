// A parent window that keeps the user messages its children post to it.
#pragma once

#include <vector>

#include "platform/uiloop.h"
#include "platform/wnd.h"

struct PostedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class RecordingParent : public CWnd {
public:
    RecordingParent() { Create(nullptr, CRect(0, 0, 1400, 800), 1, WS_VISIBLE); }
    LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        received.push_back({message, wParam, lParam});
        return 0;
    }
    // Delivers what was posted so far and returns everything received.
    const std::vector<PostedMessage>& Deliver()
    {
        CUiLoop::Instance().DispatchPosted();
        return received;
    }
    std::vector<PostedMessage> received;
};
