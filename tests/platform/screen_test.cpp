#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/clientdc.h"
#include "platform/fakeclock.h"
#include "platform/headlessscreen.h"
#include "platform/pngfile.h"
#include "platform/static.h"
#include "platform/uiloop.h"
#include "support/tempfolder.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

std::vector<std::string> g_paintLog;

// A window that fills itself with one colour and logs its paints.
class CFillWnd : public CWnd {
public:
    CFillWnd(const char* name, COLORREF color) : m_name(name), m_color(color) {}
    void OnPaint(CDC* pDC) override
    {
        g_paintLog.push_back(m_name);
        CRect r;
        GetClientRect(&r);
        pDC->FillSolidRect(r, m_color);
    }
    void OnLButtonDown(UINT, CPoint p) override { downs.push_back(p); }
    void OnLButtonDblClk(UINT, CPoint p) override { doubles.push_back(p); }
    void OnTimer(UINT id) override { timers.push_back(id); }
    std::vector<CPoint> downs, doubles;
    std::vector<UINT> timers;

private:
    std::string m_name;
    COLORREF m_color;
};

class CLoggingStatic : public CStatic {
public:
    void OnLButtonDblClk(UINT, CPoint) override { ++doubles; }
    int doubles = 0;
};

class CColourStatic : public CStatic {
public:
    HBRUSH CtlColor(CDC* pDC, UINT) override
    {
        pDC->SetBkMode(TRANSPARENT);
        pDC->SetTextColor(kGreen);
        return m_brush;
    }
    CBrush m_brush{kBlue};
};

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override { g_paintLog.clear(); }
    FakeClock clock;
    CHeadlessScreen screen{120, 100};
};

TEST_F(ScreenTest, ChildrenPaintOverTheirParentInCreationOrder)
{
    CFillWnd parent("parent", kRed), a("a", kGreen), b("b", kBlue);
    parent.Create(nullptr, CRect(0, 0, 100, 100), 1);
    a.Create(&parent, CRect(10, 10, 50, 50), 2);
    b.Create(&parent, CRect(30, 30, 70, 70), 3);
    EXPECT_EQ(screen.PaintPass(), 3);
    EXPECT_EQ(g_paintLog, (std::vector<std::string>{"parent", "a", "b"}));
    const CBitmap& f = screen.Frame();
    EXPECT_EQ(f.GetPixel(5, 5), kRed);
    EXPECT_EQ(f.GetPixel(20, 20), kGreen);
    EXPECT_EQ(f.GetPixel(40, 40), kBlue);
    EXPECT_EQ(f.GetPixel(110, 5), 0u);  // outside every window
    EXPECT_EQ(screen.PaintPass(), 0);
    // Repainting the lower sibling repaints what lies over it.
    g_paintLog.clear();
    a.Invalidate();
    screen.PaintPass();
    EXPECT_EQ(g_paintLog, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(f.GetPixel(40, 40), kBlue);
}

TEST_F(ScreenTest, HiddenWindowsAreNeverPainted)
{
    CFillWnd parent("parent", kRed), child("child", kGreen), grandchild("grandchild", kBlue);
    parent.Create(nullptr, CRect(0, 0, 100, 100), 1);
    child.Create(&parent, CRect(10, 10, 50, 50), 2, WS_CHILD);  // created hidden
    grandchild.Create(&child, CRect(0, 0, 10, 10), 3);
    screen.PaintPass();
    EXPECT_EQ(g_paintLog, std::vector<std::string>{"parent"});
    EXPECT_EQ(screen.Frame().GetPixel(12, 12), kRed);
    child.ShowWindow(SW_SHOW);
    g_paintLog.clear();
    screen.PaintPass();
    EXPECT_EQ(g_paintLog, (std::vector<std::string>{"parent", "child", "grandchild"}));
    child.ShowWindow(SW_HIDE);
    screen.PaintPass();
    EXPECT_EQ(screen.Frame().GetPixel(12, 12), kRed);
}

TEST_F(ScreenTest, ChildPaintIsClippedToItsParent)
{
    CFillWnd parent("parent", kRed), child("child", kGreen);
    parent.Create(nullptr, CRect(10, 10, 50, 50), 1);
    child.Create(&parent, CRect(30, 30, 200, 200), 2);  // reaches far past the parent
    screen.PaintPass();
    EXPECT_EQ(screen.Frame().GetPixel(49, 49), kGreen);
    EXPECT_EQ(screen.Frame().GetPixel(50, 50), 0u);
}

TEST_F(ScreenTest, UpdateWindowPaintsAtOnce)
{
    CFillWnd top("top", kRed);
    top.Create(nullptr, CRect(0, 0, 10, 10), 1);
    top.UpdateWindow();
    EXPECT_EQ(g_paintLog, std::vector<std::string>{"top"});
    top.UpdateWindow();  // nothing marked
    EXPECT_EQ(g_paintLog.size(), 1u);
}

TEST_F(ScreenTest, TwoCloseClicksMakeADoubleClick)
{
    CFillWnd top("top", kRed);
    top.Create(nullptr, CRect(0, 0, 100, 100), 1);
    screen.Click(CPoint(10, 10));
    clock.Advance(500);
    screen.Click(CPoint(14, 6));
    ASSERT_EQ(top.doubles.size(), 1u);
    EXPECT_EQ(top.doubles[0], CPoint(14, 6));
    EXPECT_EQ(top.downs.size(), 1u);
    // Too slow, then too far: single clicks only.
    screen.Click(CPoint(10, 10));
    clock.Advance(501);
    screen.Click(CPoint(10, 10));
    screen.Click(CPoint(15, 10));
    EXPECT_EQ(top.doubles.size(), 1u);
    EXPECT_EQ(top.downs.size(), 4u);
}

TEST_F(ScreenTest, DoubleClicksReachOnlyNotifyStatics)
{
    CFillWnd top("top", kRed);
    CLoggingStatic notify, plain;
    top.Create(nullptr, CRect(0, 0, 100, 100), 1);
    notify.Create(u"a", WS_CHILD | WS_VISIBLE | SS_NOTIFY, CRect(0, 0, 50, 50), &top, 2);
    plain.Create(u"b", WS_CHILD | WS_VISIBLE, CRect(50, 0, 100, 50), &top, 3);
    screen.Click(CPoint(10, 10));
    screen.Click(CPoint(10, 10));
    EXPECT_EQ(notify.doubles, 1);
    EXPECT_EQ(screen.WindowAt(CPoint(60, 10)), &top);
    screen.Click(CPoint(60, 10));
    screen.Click(CPoint(60, 10));
    EXPECT_EQ(plain.doubles, 0);
    ASSERT_EQ(top.doubles.size(), 1u);
    EXPECT_EQ(top.doubles[0], CPoint(60, 10));
    notify.ShowWindow(SW_HIDE);
    EXPECT_EQ(screen.WindowAt(CPoint(10, 10)), &top);
}

TEST_F(ScreenTest, TimersFireAtTheirPeriodOnTheProcessClock)
{
    CFillWnd top("top", kRed);
    top.Create(nullptr, CRect(0, 0, 10, 10), 1);
    top.SetTimer(7, 50);
    clock.Advance(49);
    EXPECT_EQ(CUiLoop::Instance().FireDueTimers(), 0);
    clock.Advance(1);
    EXPECT_EQ(CUiLoop::Instance().FireDueTimers(), 1);
    clock.Advance(50);
    screen.RunOnce(0);
    EXPECT_EQ(top.timers, (std::vector<UINT>{7, 7}));
    top.KillTimer(7);
    clock.Advance(100);
    EXPECT_EQ(CUiLoop::Instance().FireDueTimers(), 0);
}

TEST_F(ScreenTest, StaticAsksItsColourQueryBeforePainting)
{
    CFillWnd top("top", kRed);
    CColourStatic coloured;
    CStatic standard;
    top.Create(nullptr, CRect(0, 0, 120, 100), 1);
    coloured.Create(u"ECG", WS_CHILD | WS_VISIBLE, CRect(0, 0, 60, 20), &top, 2);
    standard.Create(u"", WS_CHILD | WS_VISIBLE, CRect(0, 50, 60, 70), &top, 3);
    screen.PaintPass();
    const CBitmap& f = screen.Frame();
    EXPECT_EQ(f.GetPixel(59, 19), kBlue);
    EXPECT_EQ(f.GetPixel(0, 50), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0xF0F0F0u);
    int green = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) green += f.GetPixel(x, y) == kGreen;
    EXPECT_GT(green, 10);
}

TEST_F(ScreenTest, ClientDcDrawsAtTheWindowsPlace)
{
    CFillWnd top("top", kRed);
    top.Create(nullptr, CRect(20, 20, 40, 40), 1);
    CClientDC dc(&top);
    dc.FillSolidRect(CRect(-5, -5, 100, 100), kBlue);
    EXPECT_EQ(screen.Frame().GetPixel(20, 20), kBlue);
    EXPECT_EQ(screen.Frame().GetPixel(40, 40), 0u);
}

TEST_F(ScreenTest, FrameWrittenAsPngReadsBack)
{
    CFillWnd top("top", kRed), child("child", RGB(12, 34, 56));
    top.Create(nullptr, CRect(0, 0, 60, 40), 1);
    child.Create(&top, CRect(10, 10, 20, 20), 2);
    screen.PaintPass();
    TempFolder folder;
    const std::string path = folder.File("frame.png");
    ASSERT_TRUE(screen.SavePng(path));
    CBitmap back;
    ASSERT_TRUE(CPngFile::Read(path, &back));
    ASSERT_EQ(back.Width(), 120);
    ASSERT_EQ(back.Height(), 100);
    EXPECT_TRUE(std::equal(back.Bits(), back.Bits() + 120 * 100, screen.Frame().Bits()));
    EXPECT_EQ(back.GetPixel(15, 15), RGB(12, 34, 56));
    EXPECT_FALSE(screen.SavePng("/nonexistent-folder/frame.png"));
    EXPECT_FALSE(CPngFile::Read("/nonexistent-folder/frame.png", &back));
}

}  // namespace

namespace {

TEST_F(ScreenTest, PictureThatCannotBeWrittenLeavesNoTemporaryFileBehind)
{
    TempFolder folder;
    const std::string path = folder.File("frame.png");
    std::filesystem::create_directory(path);  // the picture cannot take its place
    std::string reason;
    EXPECT_FALSE(screen.SavePng(path, &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

TEST_F(ScreenTest, DestroyingAChildUncoversItsParent)
{
    CFillWnd parent("parent", kRed);
    auto child = std::make_unique<CFillWnd>("child", kGreen);
    parent.Create(nullptr, CRect(0, 0, 50, 50), 1);
    child->Create(&parent, CRect(10, 10, 20, 20), 2);
    screen.PaintPass();
    EXPECT_EQ(screen.Frame().GetPixel(15, 15), kGreen);
    child.reset();
    screen.PaintPass();
    EXPECT_EQ(screen.Frame().GetPixel(15, 15), kRed);
}

TEST_F(ScreenTest, HidingMovingOrDestroyingATopLevelWindowUncoversWhatLayBeneath)
{
    CFillWnd below("below", kRed);
    auto above = std::make_unique<CFillWnd>("above", kGreen);
    below.Create(nullptr, CRect(0, 0, 60, 60), 1);
    above->Create(nullptr, CRect(40, 40, 100, 100), 2);
    screen.PaintPass();
    EXPECT_EQ(screen.Frame().GetPixel(50, 50), kGreen);
    above->ShowWindow(SW_HIDE);
    screen.PaintPass();
    EXPECT_EQ(screen.Frame().GetPixel(50, 50), kRed);
    EXPECT_EQ(screen.PaintPass(), 0);  // the uncovered area was repainted once, and is done
    EXPECT_EQ(screen.Frame().GetPixel(90, 90), 0u);  // no window there any more
    above->ShowWindow(SW_SHOW);
    screen.PaintPass();
    EXPECT_EQ(screen.Frame().GetPixel(90, 90), kGreen);
    above->MoveWindow(CRect(45, 45, 100, 100));
    screen.PaintPass();
    EXPECT_EQ(screen.Frame().GetPixel(42, 42), kRed);
    EXPECT_EQ(screen.Frame().GetPixel(42, 80), 0u);
    above.reset();
    screen.PaintPass();
    EXPECT_EQ(screen.Frame().GetPixel(50, 50), kRed);
    EXPECT_EQ(screen.Frame().GetPixel(90, 90), 0u);
}

// Screens made and closed in every order: the newest open one is current, and a top-level window
// hidden then uncovers its place on it, never on a closed one.
TEST(ScreenChainTest, NewestOpenScreenIsCurrentWhateverOrderTheyClose)
{
    ASSERT_EQ(CScreen::Current(), nullptr);
    std::vector<int> order = {0, 1, 2};
    do {
        std::unique_ptr<CHeadlessScreen> screens[3];
        for (auto& made : screens) made = std::make_unique<CHeadlessScreen>(40, 30);
        for (int closing : order) {
            screens[closing].reset();
            CScreen* newest = nullptr;
            for (auto& open : screens) newest = open ? open.get() : newest;
            ASSERT_EQ(CScreen::Current(), newest) << "closed " << closing;
            if (newest == nullptr) continue;
            CFillWnd top("top", kRed);
            top.Create(nullptr, CRect(0, 0, 10, 10), 1);
            newest->PaintPass();
            ASSERT_EQ(newest->Frame().GetPixel(5, 5), kRed);
            top.ShowWindow(SW_HIDE);
            newest->PaintPass();
            EXPECT_EQ(newest->Frame().GetPixel(5, 5), 0u) << "closed " << closing;
        }
    } while (std::next_permutation(order.begin(), order.end()));
}

}  // namespace
