#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <vector>

#include "platform/dc.h"
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

// SDL's dummy video driver gives a real SDL window, with a window surface, without a display.
class SdlScreenTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "dummy", 1); }
    void SetUp() override
    {
        if (!screen.IsOpen()) GTEST_SKIP() << "no SDL video: " << screen.Error();
        top.Create(nullptr, CRect(0, 0, 100, 80), 1);
    }
    FakeClock clock;
    CSdlScreen screen{100, 80};
    CWnd top;
};

TEST_F(SdlScreenTest, ClicksFromTheWindowReachTheWindowUnderThePointer)
{
    CCountingStatic label;
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

// Works as a sweep does: marks an empty rectangle and writes, in OnPaint, the one column that
// moved on since the last paint.
class CColumnSweep : public CWnd {
public:
    BOOL OnEraseBkgnd(CDC* /*pDC*/) override { return TRUE; }
    void OnPaint(CDC* pDC) override { pDC->FillSolidRect(column, 0, 1, 40, RGB(0, 40 * column % 256, 255)); }
    void Step()
    {
        ++column;
        CRect none;
        InvalidateRect(&none, FALSE);
    }
    int column = 0;
};

void ExpectWindowShowsTheFrame(const CSdlScreen& screen)
{
    int wrong = 0;
    for (int y = 0; y < screen.Height(); ++y)
        for (int x = 0; x < screen.Width(); ++x) wrong += screen.WindowPixel(x, y) != screen.Frame().GetPixel(x, y);
    EXPECT_EQ(wrong, 0);
}

TEST_F(SdlScreenTest, PresentsTheWholeFrameAtFirstAndAfterExposureThenOnlyWhatChanged)
{
    CColumnSweep sweep;
    sweep.Create(&top, CRect(30, 20, 90, 60), 2);
    screen.RunOnce(0);
    EXPECT_EQ(screen.LastPresented(), std::vector<CRect>{CRect(0, 0, 100, 80)});
    ExpectWindowShowsTheFrame(screen);
    for (int tick = 1; tick <= 3; ++tick) {
        sweep.Step();
        screen.RunOnce(0);
        EXPECT_EQ(screen.LastPresented(), std::vector<CRect>{CRect(30 + tick, 20, 31 + tick, 60)});
        ExpectWindowShowsTheFrame(screen);
    }
    SDL_Event exposed{};
    exposed.type = SDL_WINDOWEVENT;
    exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
    SDL_PushEvent(&exposed);
    screen.RunOnce(0);
    EXPECT_EQ(screen.LastPresented(), std::vector<CRect>{CRect(0, 0, 100, 80)});
}

TEST_F(SdlScreenTest, WhatAFailedPresentLeftOutIsShownAtTheNextRound)
{
    CColumnSweep sweep;
    sweep.Create(&top, CRect(30, 20, 90, 60), 2);
    screen.RunOnce(0);
    // A pixel format SDL cannot convert to makes the copy of the next column fail.
    SDL_PixelFormat* format = SDL_GetWindowSurface(screen.Window())->format;
    const Uint32 real = format->format;
    format->format = SDL_PIXELFORMAT_INDEX8;
    sweep.Step();
    screen.RunOnce(0);
    format->format = real;
    EXPECT_TRUE(screen.LastPresented().empty());
    screen.RunOnce(0);
    ExpectWindowShowsTheFrame(screen);
    // A top-level window hidden leaves black, in the window too.
    top.ShowWindow(SW_HIDE);
    screen.RunOnce(0);
    EXPECT_EQ(screen.WindowPixel(40, 30), 0u);
    ExpectWindowShowsTheFrame(screen);
}

TEST(SdlScreenCloseTest, ClosingTheLastScreenShutsSdlDownAsAWhole)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    {
        CSdlScreen screen(10, 10);
        if (!screen.IsOpen()) GTEST_SKIP() << "no SDL video: " << screen.Error();
        EXPECT_NE(SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION), nullptr);
    }
    // Quitting SDL, not only its video, forgets the hints the screen set.
    EXPECT_EQ(SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION), nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
}

}  // namespace
