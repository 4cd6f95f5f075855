#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/headlessscreen.h"
#include "platform/uiloop.h"

namespace {

class CReceiver : public CWnd {
public:
    LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        EXPECT_EQ(std::this_thread::get_id(), uiThread);
        received.push_back(static_cast<int>(message - WM_USER) * 1000 + static_cast<int>(wParam));
        return 0;
    }
    std::thread::id uiThread = std::this_thread::get_id();
    std::vector<int> received;
};

TEST(WindowThreadTest, MessagePostedFromAnotherThreadArrivesOnTheUiThread)
{
    CHeadlessScreen screen(10, 10);
    CReceiver wnd;
    wnd.Create(nullptr, CRect(0, 0, 10, 10), 1);
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i) wnd.PostMessage(WM_USER + 1, static_cast<WPARAM>(i));
    });
    worker.join();
    screen.RunOnce(0);
    ASSERT_EQ(wnd.received.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(wnd.received[static_cast<size_t>(i)], 1000 + i);
}

}  // namespace
