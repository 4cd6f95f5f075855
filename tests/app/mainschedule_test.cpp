// The main dialog's 50 ms schedule, tick by tick on the fake clock.
#include <gtest/gtest.h>

#include <vector>

#include "app/mainschedule.h"
#include "app/tesmordlg.h"
#include "platform/fakeclock.h"

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

}  // namespace
