#include "app/mainschedule.h"

#include "platform/everynth.h"

MAIN_STEPS CMainSchedule::Tick()
{
    ++m_u32Ticks;
    MAIN_STEPS steps;
    steps.bAlarm = EveryNth(&m_nAlarmTicks, kTicksPerAlarmStep);
    steps.bSecond = EveryNth(&m_nSecondTicks, kTicksPerSecondStep);
    return steps;
}
