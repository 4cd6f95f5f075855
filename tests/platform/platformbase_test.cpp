#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <utility>

#include "platform/apppaths.h"
#include "platform/fakeclock.h"
#include "platform/powerstatus.h"
#include "platform/recurringerror.h"
#include "platform/textu16.h"
#include "platform/uiloop.h"
#include "platform/winthread.h"
#include "platform/wnd.h"
#include "support/tempfolder.h"

namespace {

TEST(TextU16Test, BoundedCopyAlwaysTerminates)
{
    char16_t buf[4];
    EXPECT_EQ(U16Copy(buf, 4, u"abcdef"), 3u);
    EXPECT_EQ(ToUtf8(buf), "abc");
    EXPECT_EQ(U16Copy(buf, 1, u"abc"), 0u);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(U16Copy(buf, 4, nullptr), 0u);
    EXPECT_EQ(buf[0], 0);
}

TEST(TextU16Test, FormatsIntoUtf16AndCutsAtTheBuffer)
{
    char16_t time[20];
    U16Format(time, 20, "%04d-%02d-%02d %02d:%02d:%02d", 2026, 12, 7, 9, 5, 3);
    EXPECT_EQ(ToUtf8(time), "2026-12-07 09:05:03");
    char16_t small[6];
    EXPECT_EQ(U16Format(small, 6, "%s%d", "心率", 12345), 5u);
    EXPECT_EQ(ToUtf8(small), "心率123");
    std::string longText(1000, 'x');
    char16_t big[8];
    U16Format(big, 8, "%s", longText.c_str());
    EXPECT_EQ(U16Len(big), 7u);
}

TEST(TextU16Test, Utf8RoundTripKeepsChineseAndSupplementaryCharacters)
{
    std::string text = "监护仪开机 \xF0\x9F\x98\x80 ok";
    std::u16string wide = ToUtf16(text);
    EXPECT_EQ(wide.size(), 11u);  // five Chinese, space, a surrogate pair, space, "ok"
    EXPECT_EQ(ToUtf8(wide), text);
    EXPECT_EQ(ToUtf16("\xFF" "a"), std::u16string(u"\uFFFDa"));  // an invalid byte
    EXPECT_EQ(ToUtf16("\xE7\x9B"), std::u16string(u"\uFFFD\uFFFD"));  // cut short
    EXPECT_LT(U16Compare(u"2026-01-01", u"2026-01-02"), 0);
    EXPECT_EQ(U16Compare(u"abc", u"abc"), 0);
}

TEST(TextU16Test, EscapedTextShowsOnlyWellFormedPrintableCharacters)
{
    EXPECT_EQ(EscapedText("监护 \xF0\x9F\x98\x80 \xEF\xBF\xBD ok"), "监护 \xF0\x9F\x98\x80 \xEF\xBF\xBD ok");
    EXPECT_EQ(EscapedText(std::string("a\0b\x7F", 4)), "a\\x00b\\x7F");
    EXPECT_EQ(EscapedText("\xE7\x9B"), "\\xE7\\x9B");                // cut short
    EXPECT_EQ(EscapedText("\xF0\x9F\x98" "A"), "\\xF0\\x9F\\x98A");  // cut short before a letter
    EXPECT_EQ(EscapedText("\xC0\xAF"), "\\xC0\\xAF");                // an over-long '/'
    EXPECT_EQ(EscapedText("\xED\xA0\x80"), "\\xED\\xA0\\x80");    // a lone surrogate
    EXPECT_EQ(EscapedText("\xC2\x85"), "\\xC2\\x85");                // a C1 control character
}

TEST(ClockTest, FakeClockMovesTickAndLocalTimeTogether)
{
    FakeClock clock(0xFFFFFF00u);
    LocalTime lt;
    lt.year = 2026;
    lt.month = 12;
    lt.day = 31;
    lt.hour = 23;
    lt.minute = 59;
    lt.second = 59;
    clock.SetLocalTime(lt);
    DWORD start = GetTickCount();
    Sleep(1500);  // on the fake clock this only moves time
    EXPECT_EQ(GetTickCount() - start, 1500u);  // across the 32-bit wrap
    LocalTime now = GetLocalTime();
    EXPECT_EQ(now.year, 2027);
    EXPECT_EQ(now.month, 1);
    EXPECT_EQ(now.day, 1);
    EXPECT_EQ(now.second, 0);
    EXPECT_EQ(now.millisecond, 500);
}

class CountingThread : public CWinThread {
public:
    CountingThread(std::atomic<int>* log, bool init) : m_log(log), m_init(init) {}
    ~CountingThread() override { m_log->fetch_add(100); }
    BOOL InitInstance() override
    {
        m_log->fetch_add(1);
        return m_init ? TRUE : FALSE;
    }
    int Run() override
    {
        m_log->fetch_add(10);
        return ExitInstance();
    }
    int ExitInstance() override
    {
        m_log->fetch_add(1000);
        return 0;
    }

private:
    std::atomic<int>* m_log;
    bool m_init;
};

TEST(WinThreadThreadTest, RunsInitRunExitThenDeletesItself)
{
    std::atomic<int> log{0};
    CThreadHandle handle;
    AfxBeginThread<CountingThread>(&handle, &log, true);
    EXPECT_TRUE(handle.Join());
    EXPECT_TRUE(handle.HasEnded());
    EXPECT_EQ(log.load(), 1 + 10 + 1000 + 100);
}

TEST(WinThreadThreadTest, FailedInitSkipsRunButStillExits)
{
    std::atomic<int> log{0};
    CThreadHandle handle;
    AfxBeginThread<CountingThread>(&handle, &log, false);
    EXPECT_TRUE(handle.WaitFor(5000));
    handle.Join();
    EXPECT_EQ(log.load(), 1 + 1000 + 100);
}

class RecordingWnd : public CWnd {
public:
    LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        messages.push_back(message);
        params.push_back(wParam);
        threads.push_back(std::this_thread::get_id());
        return 0;
    }
    void OnTimer(UINT id) override { timers.push_back(id); }
    std::vector<UINT> messages;
    std::vector<WPARAM> params;
    std::vector<std::thread::id> threads;
    std::vector<UINT> timers;
};

TEST(UiLoopThreadTest, MessagePostedFromAnotherThreadArrivesOnTheUiThreadInOrder)
{
    RecordingWnd wnd;
    wnd.Create(nullptr, CRect(0, 0, 10, 10), 1);
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i) wnd.PostMessage(WM_USER + 6, static_cast<WPARAM>(i), 0);
    });
    poster.join();
    EXPECT_EQ(CUiLoop::Instance().DispatchPosted(), 100);
    ASSERT_EQ(wnd.messages.size(), 100u);
    for (size_t i = 0; i < 100; ++i) {
        EXPECT_EQ(wnd.params[i], i);
        EXPECT_EQ(wnd.threads[i], std::this_thread::get_id());
    }
}

TEST(UiLoopTest, MessageForADestroyedWindowIsDropped)
{
    auto wnd = std::make_unique<RecordingWnd>();
    wnd->Create(nullptr, CRect(0, 0, 10, 10), 1);
    wnd->PostMessage(WM_USER + 1);
    wnd.reset();
    EXPECT_EQ(CUiLoop::Instance().DispatchPosted(), 0);
}

// A window with timer 1 set to 50 ms, on the fake clock.
class UiLoopTimerTest : public ::testing::Test {
protected:
    void SetUp() override { wnd.Create(nullptr, CRect(0, 0, 10, 10), 1), wnd.SetTimer(1, 50); }
    FakeClock clock;
    RecordingWnd wnd;
    CUiLoop& loop = CUiLoop::Instance();
};

TEST_F(UiLoopTimerTest, TimerFiresAtItsPeriodOnTheFakeClock)
{
    EXPECT_EQ(loop.FireDueTimers(), 0);
    clock.Advance(49);
    EXPECT_EQ(loop.FireDueTimers(), 0);
    EXPECT_EQ(loop.TimeToNextTimer(1000), 1u);
    clock.Advance(1);
    EXPECT_EQ(loop.FireDueTimers(), 1);
    clock.Advance(60);  // late by 10 ms: the next one is still due at 100
    EXPECT_EQ(loop.FireDueTimers(), 1);
    clock.Advance(40);
    EXPECT_EQ(loop.FireDueTimers(), 1);
    wnd.KillTimer(1);
    clock.Advance(500);
    EXPECT_EQ(loop.FireDueTimers(), 0);
    EXPECT_EQ(wnd.timers.size(), 3u);
}

// A timer stalled exactly two periods fires once and restarts its period from then; a running
// timer set again restarts its period from that moment.
TEST_F(UiLoopTimerTest, StalledTimerStartsAgainFromNowAndSettingItAgainRestartsItsPeriod)
{
    clock.Advance(100);
    EXPECT_EQ(loop.FireDueTimers(), 1);
    EXPECT_EQ(loop.FireDueTimers(), 0);  // no catching up on the missed period
    EXPECT_EQ(loop.TimeToNextTimer(1000), 50u);
    clock.Advance(30);
    wnd.SetTimer(1, 50);
    clock.Advance(20);  // a period after the stall, 20 ms after setting again
    EXPECT_EQ(loop.FireDueTimers(), 0);
    EXPECT_EQ(loop.TimeToNextTimer(1000), 30u);
    clock.Advance(30);
    EXPECT_EQ(loop.FireDueTimers(), 1);
    wnd.KillTimer(1);
}

TEST(UiLoopTest, DestroyingAParentDestroysItsChildren)
{
    RecordingWnd parent;
    RecordingWnd child;
    parent.Create(nullptr, CRect(0, 0, 100, 100), 1);
    child.Create(&parent, CRect(10, 20, 30, 40), 2);
    EXPECT_EQ(child.ScreenRect(), CRect(10, 20, 30, 40));
    EXPECT_TRUE(child.IsWindowVisible());
    parent.ShowWindow(SW_HIDE);
    EXPECT_FALSE(child.IsWindowVisible());
    parent.DestroyWindow();
    EXPECT_FALSE(child.IsCreated());
    EXPECT_TRUE(parent.Children().empty());
}

TEST(AppPathsTest, WindowsStyleNamesJoinTheFolder)
{
    EXPECT_EQ(JoinAppPath("/opt/mon", "\\Para.ini"), "/opt/mon/Para.ini");
    EXPECT_EQ(JoinAppPath("/opt/mon/", "DataSave.dat"), "/opt/mon/DataSave.dat");
    EXPECT_EQ(JoinAppPath("/opt/mon", "sub\\x.dat"), "/opt/mon/sub/x.dat");
    SetExeFolder("/tmp/elsewhere");
    EXPECT_EQ(GetExeFolder(), "/tmp/elsewhere");
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

TEST(PowerStatusTest, ReadsMainsAndBatteryAnswersAsADesktopWithoutSuppliesAndUnknownWithoutTheFolder)
{
    TempFolder folder;
    const std::string root = folder.Path();
    std::string ac = root + "/AC";
    std::string bat = root + "/BAT0";
    std::system(("mkdir -p " + ac + " " + bat).c_str());
    WriteFile(ac + "/type", "Mains\n");
    WriteFile(ac + "/online", "1\n");
    WriteFile(bat + "/type", "Battery\n");
    WriteFile(bat + "/capacity", "20\n");
    WriteFile(bat + "/status", "Charging\n");
    SetPowerSupplyFolder(root);
    SYSTEM_POWER_STATUS s;
    GetSystemPowerStatus(&s);
    EXPECT_EQ(s.ACLineStatus, 1);
    EXPECT_EQ(s.BatteryLifePercent, 20);
    EXPECT_EQ(s.BatteryFlag, 2 | 8);  // low and charging

    // A machine that lists no supply at all is a desktop on mains without a battery.
    std::system(("rm -rf " + ac + " " + bat).c_str());
    GetSystemPowerStatus(&s);
    EXPECT_EQ(s.ACLineStatus, 1);
    EXPECT_EQ(s.BatteryFlag, 128);
    EXPECT_EQ(s.BatteryLifePercent, 255);

    SetPowerSupplyFolder(root + "/missing");
    GetSystemPowerStatus(&s);
    EXPECT_EQ(s.ACLineStatus, 255);
    EXPECT_EQ(s.BatteryLifePercent, 255);
    EXPECT_EQ(s.BatteryFlag, 255);
    SetPowerSupplyFolder("/sys/class/power_supply");
}

// The battery's charge flag at the edges of its bands: high above 66%, low below 33%, critical
// below 5%, none between.
TEST(PowerStatusTest, BatteryFlagBandsAtTheirEdges)
{
    TempFolder folder;
    std::string bat = folder.File("BAT0");
    std::system(("mkdir -p " + bat).c_str());
    WriteFile(bat + "/type", "Battery\n");
    WriteFile(bat + "/status", "Discharging\n");
    SetPowerSupplyFolder(folder.Path());
    const std::pair<int, int> bands[] = {{67, 1}, {66, 0}, {33, 0}, {32, 2}, {5, 2}, {4, 4}};
    for (const auto& [percent, flag] : bands) {
        WriteFile(bat + "/capacity", std::to_string(percent) + "\n");
        SYSTEM_POWER_STATUS s;
        GetSystemPowerStatus(&s);
        EXPECT_EQ(s.BatteryLifePercent, percent);
        EXPECT_EQ(s.BatteryFlag, flag) << percent << "%";
    }
    SetPowerSupplyFolder("/sys/class/power_supply");
}

TEST(RecurringErrorTest, AFailureIsSaidWhenItBeginsOrChangesAndItsEndOnce)
{
    CRecurringError said;
    ::testing::internal::CaptureStderr();
    said.Worked("works again");  // nothing had failed
    for (int i = 0; i < 3; ++i) said.Failed("cannot write x: Permission denied");
    for (int i = 0; i < 3; ++i) said.Failed("cannot write x: No space left on device");
    EXPECT_TRUE(said.IsFailing());
    for (int i = 0; i < 2; ++i) said.Worked("works again");
    EXPECT_FALSE(said.IsFailing());
    said.Failed("cannot write x: Permission denied");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "cannot write x: Permission denied\ncannot write x: No space left on device\nworks again\n"
              "cannot write x: Permission denied\n");
}

}  // namespace
