// The periodic alarm evaluation: compares the live values and sensor states with the limits
// and switches of the settings and raises or clears each alarm of the catalogue, group by
// group. A group whose switch is off is skipped whole: its alarms are neither raised nor
// cleared. Runs on the user-interface thread every 500 ms after the start-up phase.
#pragma once

#include "core/alarmcatalogue.h"

class CMonitorData;

class CAlarmCheck {
public:
    explicit CAlarmCheck(CMonitorData& data) : m_data(data) {}
    void Run();

private:
    void Evaluate(const ALARM_CHECK& check, const LIVE_VALUES& live, const char16_t* time);
    void EvaluateArrhythmia(int code, const char16_t* time);

    CMonitorData& m_data;
};
