// The main dialog's 50 ms schedule, tick by tick on the fake clock.
#include <gtest/gtest.h>

#include <vector>

#include "app/mainpanels.h"
#include "app/mainschedule.h"
#include "app/tesmordlg.h"
#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "display/displayfield.h"
#include "platform/fakeclock.h"
#include "platform/headlessscreen.h"
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

std::vector<uint32_t> Pixels(const CBitmap& bitmap)
{
    const uint32_t* bits = bitmap.Bits();
    return std::vector<uint32_t>(bits, bits + static_cast<size_t>(bitmap.Width()) * bitmap.Height());
}

// The dialog itself, tick by tick, with its threads running. The NIBP alarm is the probe: no
// NIBP result ever arrives, so with its alarm switched on the no-value marker lies below the
// low limit from the first alarm step on, whatever the link thread does meanwhile; the status
// strip shows its line from the next second step on, and changes at no other tick.
TEST(MainDialogThreadTest, TicksRunTheAlarmStepEvery500MsAndTheSecondStepEverySecond)
{
    TempFolder folder;
    folder.Write("Para.ini", "[BP]\nALM_SW=1\n");
    theApp.ResetForTests();
    theApp.m_pMonitorData = new CMonitorData();
    {
        CHeadlessScreen screen(CTesmorDlg::kWidth, CTesmorDlg::kHeight);
        CTesmorDlg dlg;
        ASSERT_TRUE(dlg.CreateMain());
        theApp.m_pMonitorData->EndStartupPhase();
        const CDisplayField& strip = *dlg.Panels().StatusStrip();
        std::vector<int> alarmOnAt;
        std::vector<int> stripChangedAt;
        for (int tick = 1; tick <= 40; ++tick) {
            const std::vector<uint32_t> before = Pixels(strip.Surface());
            dlg.OnTimer(CTesmorDlg::kTimerMain);
            if (theApp.m_pMonitorData->IsNibpAlmOn() && alarmOnAt.empty()) alarmOnAt.push_back(tick);
            if (before != Pixels(strip.Surface())) stripChangedAt.push_back(tick);
        }
        dlg.DestroyWindow();
        EXPECT_EQ(alarmOnAt, std::vector<int>{10});
        // The clock and the alarm lines are drawn at every second step; the alarm line first
        // shows at tick 20, and nothing changes the strip in between.
        ASSERT_FALSE(stripChangedAt.empty());
        EXPECT_EQ(stripChangedAt.front(), 20);
        for (int tick : stripChangedAt) EXPECT_EQ(tick % 20, 0) << tick;
    }
    delete theApp.m_pMonitorData;
    theApp.m_pMonitorData = nullptr;
}

}  // namespace
