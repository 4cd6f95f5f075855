#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "platform/fakeclock.h"
#include "platform/sdlscreen.h"
#include "platform/static.h"
#include "platform/uiloop.h"

namespace {

class CCountingStatic : public CStatic {
public:
    void OnLButtonDblClk(UINT, CPoint p) override { doubles.push_back(p); }
    std::vector<CPoint> doubles;
};

void PushClick(int x, int y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
}

// SDL's dummy video driver gives a real SDL window without a display.
TEST(SdlScreenTest, ClicksFromTheWindowReachTheWindowUnderThePointer)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    FakeClock clock;
    CSdlScreen screen(100, 80);
    if (!screen.IsOpen()) GTEST_SKIP() << "no SDL video: " << screen.Error();
    CWnd top;
    CCountingStatic label;
    top.Create(nullptr, CRect(0, 0, 100, 80), 1);
    label.Create(u"RESP", WS_CHILD | WS_VISIBLE | SS_NOTIFY, CRect(10, 10, 60, 30), &top, 2);
    screen.RunOnce(0);
    EXPECT_EQ(screen.Frame().GetPixel(0, 0), GetSysColor(COLOR_BTNFACE));
    PushClick(20, 15);
    PushClick(21, 16);
    screen.RunOnce(0);
    ASSERT_EQ(label.doubles.size(), 1u);
    EXPECT_EQ(label.doubles[0], CPoint(11, 6));
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_FALSE(screen.RunOnce(0));
    CUiLoop::Instance().ResetQuit();
}

}  // namespace
