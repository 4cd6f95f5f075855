// The main dialog's 50 ms schedule, tick by tick on the fake clock.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "app/mainpanels.h"
#include "app/mainschedule.h"
#include "app/tesmordlg.h"
#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "display/displayfield.h"
#include "display/staticbpvaluenormal.h"
#include "platform/fakeclock.h"
#include "platform/uiloop.h"
#include "support/picture.h"
#include "support/tempfolder.h"

namespace {

// When each periodic step ran, in milliseconds from the start, over three seconds of ticks.
struct RAN {
    std::vector<DWORD> alarm;
    std::vector<DWORD> second;
};

RAN RunThreeSeconds(CMainSchedule& schedule)
{
    FakeClock clock(0);
    RAN ran;
    while (GetTickCount() < 3000) {
        clock.Advance(CTesmorDlg::kTimerPeriodMs);
        const MAIN_STEPS steps = schedule.Tick();
        if (steps.bAlarm) ran.alarm.push_back(GetTickCount());
        if (steps.bSecond) ran.second.push_back(GetTickCount());
    }
    return ran;
}

const std::vector<DWORD> kAlarmTimes = {500, 1000, 1500, 2000, 2500, 3000};
const std::vector<DWORD> kSecondTimes = {1000, 2000, 3000};

TEST(MainScheduleTest, AlarmStepEvery500MsAndTheOtherStepsEverySecond)
{
    CMainSchedule schedule;
    const RAN ran = RunThreeSeconds(schedule);
    EXPECT_EQ(ran.alarm, kAlarmTimes);
    EXPECT_EQ(ran.second, kSecondTimes);
    EXPECT_EQ(schedule.Ticks(), 60u);
}

TEST(MainScheduleTest, ATickCountThatWrapsKeepsTheSchedule)
{
    CMainSchedule schedule(0xFFFFFFFFu - 25);  // wraps on the 26th tick
    const RAN ran = RunThreeSeconds(schedule);
    EXPECT_EQ(ran.alarm, kAlarmTimes);
    EXPECT_EQ(ran.second, kSecondTimes);
    EXPECT_EQ(schedule.Ticks(), 34u);
}

// A clock that moves only when the test moves it, while the worker threads really sleep.
class SteppedClock : public FakeClock {
public:
    using FakeClock::FakeClock;
    void SleepFor(DWORD ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

// The dialog itself, on its own timer, with its threads running, over three seconds of the
// clock moved 10 ms at a time: when it ticks, when its alarm step blinks the NIBP panel and
// when its second step redraws the status strip. The NIBP alarm is the probe: no NIBP result
// ever arrives, so with its alarm switched on the no-value marker lies below the low limit from
// the first alarm step on, whatever the link thread does meanwhile; its frame blinks at every
// alarm step, and the strip's clock and alarm line change at every second step and at no other.
TEST(MainDialogThreadTest, TicksEvery50MsRunTheAlarmStepEvery500MsAndTheSecondStepEverySecond)
{
    TempFolder folder;
    folder.Write("Para.ini", "[BP]\nALM_SW=1\n");
    theApp.ResetForTests();
    theApp.m_pMonitorData = new CMonitorData();
    {
        SteppedClock clock(0);
        CTesmorDlg dlg;
        ASSERT_TRUE(dlg.CreateMain());
        theApp.m_pMonitorData->EndStartupPhase();
        const CBitmap& strip = dlg.Panels().StatusStrip()->Surface();
        const CBitmap& nibp = dlg.Panels().BpPanel()->Surface();
        std::vector<DWORD> ticks, blinks, stripChanges;
        for (DWORD now = 10; now <= 3000; now += 10) {
            const uint32_t tickCount = dlg.TickCount();
            const std::vector<uint32_t> stripBefore = PixelsOf(strip), nibpBefore = PixelsOf(nibp);
            clock.Advance(10);
            CUiLoop::Instance().FireDueTimers();
            if (dlg.TickCount() != tickCount) ticks.push_back(now);
            if (PixelsOf(nibp) != nibpBefore) blinks.push_back(now);
            if (PixelsOf(strip) != stripBefore) stripChanges.push_back(now);
        }
        dlg.DestroyWindow();
        std::vector<DWORD> every50;
        for (DWORD t = 50; t <= 3000; t += 50) every50.push_back(t);
        EXPECT_EQ(ticks, every50);
        EXPECT_EQ(blinks, kAlarmTimes);
        EXPECT_EQ(stripChanges, kSecondTimes);
    }
    delete theApp.m_pMonitorData;
    theApp.m_pMonitorData = nullptr;
}

}  // namespace
