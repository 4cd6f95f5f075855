#include "core/alarmcheck.h"

#include "core/monitordata.h"

void CAlarmCheck::Run()
{
    char16_t time[20];
    FormatTimeText(time);  // every alarm raised in this evaluation gets the same time
    LIVE_VALUES live;
    ReadLiveValues(m_data, &live);
    for (size_t i = 0; i < g_nAlarmCatalogueSize; ++i) {
        const ALARM_CHECK& check = g_stAlarmCatalogue[i];
        if (IsAlarmGroupOn(*FindAlarmType(check.nType), m_data)) Evaluate(check, live, time);
    }
}

void CAlarmCheck::Evaluate(const ALARM_CHECK& check, const LIVE_VALUES& live, const char16_t* time)
{
    // Values compare as signed numbers: the no-value marker -100 lies below every low limit.
    const int input = live.*check.pInput;
    const int limit = check.pLimit != nullptr ? m_data.*check.pLimit : 0;
    bool raised = false;
    switch (check.eKind) {
    case CHECK_HIGH: raised = input > limit; break;
    case CHECK_LOW: raised = input < limit; break;
    case CHECK_FLAG: raised = (input & check.u16Mask) != 0; break;
    case CHECK_ARRHYTHMIA: EvaluateArrhythmia(input, time); return;
    }
    if (!raised) {
        m_data.ClearAlarm(check.nType, check.nCode);
        return;
    }
    const int value = check.pValue != nullptr ? live.*check.pValue : 0;
    m_data.RaiseAlarm(check.nType, check.nCode, time, static_cast<uint16_t>(limit), static_cast<uint16_t>(value));
}

// An arrhythmia entry stays until the code returns to 0: a change from one code to another
// leaves both listed. A code without a text (above 8) raises and removes nothing.
void CAlarmCheck::EvaluateArrhythmia(int code, const char16_t* time)
{
    if (code == 0) {
        m_data.RemoveEcgAlmByType(8, 1);
        return;
    }
    m_data.AddEcgAlm(8, code, time, 0, 0);
}
