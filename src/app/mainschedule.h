// The schedule of the main dialog's 50 ms timer: the waves and the panels' beat heart and
// pulse bar run on every tick, the alarm step on every 10th (500 ms), and the second step (the
// clock, power status, alarm lines and trends) on every 20th (1 s), on the same tick as an
// alarm step.
#pragma once

#include <cstdint>

// The periodic steps that a tick runs besides the ones of every tick.
struct MAIN_STEPS {
    bool bAlarm;
    bool bSecond;
};

class CMainSchedule {
public:
    static constexpr int kTicksPerAlarmStep = 10;   // 500 ms
    static constexpr int kTicksPerSecondStep = 20;  // 1000 ms

    // ticks: the tick count to start from (0 at start-up).
    explicit CMainSchedule(uint32_t ticks = 0) : m_u32Ticks(ticks) {}

    // Counts one tick and tells which periodic steps it runs.
    MAIN_STEPS Tick();
    // Ticks counted; wraps to 0 after 2^32 ticks (6.8 years), which the schedule does not see.
    uint32_t Ticks() const { return m_u32Ticks; }

private:
    uint32_t m_u32Ticks;
    int32_t m_nAlarmTicks = 0;   // ticks since the last alarm step
    int32_t m_nSecondTicks = 0;  // ticks since the last second step
};
