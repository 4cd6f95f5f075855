#include "core/alarmcatalogue.h"

namespace {
using S = CMonitorSettings;
using L = LIVE_VALUES;
constexpr uint16_t kAny = 0xFFFF;
}  // namespace

const ALARM_CHECK g_stAlarmCatalogue[] = {
    // ECG: heart rate, lead-off bits LL, LA, RA, V.
    {1, 2, CHECK_HIGH, &L::i16Hr, 0, &S::m_nEcgHrAlmH, &L::i16Hr},
    {1, 1, CHECK_LOW, &L::i16Hr, 0, &S::m_nEcgHrAlmL, &L::i16Hr},
    {1, 3, CHECK_FLAG, &L::i16LeadOff, 0x1, nullptr, nullptr},
    {1, 4, CHECK_FLAG, &L::i16LeadOff, 0x2, nullptr, nullptr},
    {1, 5, CHECK_FLAG, &L::i16LeadOff, 0x4, nullptr, nullptr},
    {1, 6, CHECK_FLAG, &L::i16LeadOff, 0x8, nullptr, nullptr},
    // ST.
    {7, 2, CHECK_HIGH, &L::i16St1, 0, &S::m_nEcgStAlmH, &L::i16St1},
    {7, 1, CHECK_LOW, &L::i16St1, 0, &S::m_nEcgStAlmL, &L::i16St1},
    {7, 4, CHECK_HIGH, &L::i16St2, 0, &S::m_nEcgStAlmH, &L::i16St2},
    {7, 3, CHECK_LOW, &L::i16St2, 0, &S::m_nEcgStAlmL, &L::i16St2},
    // Arrhythmia.
    {8, 0, CHECK_ARRHYTHMIA, &L::i16Arra, 0, nullptr, nullptr},
    // Respiration.
    {2, 2, CHECK_HIGH, &L::i16Rr, 0, &S::m_nRespRrAlmH, &L::i16Rr},
    {2, 1, CHECK_LOW, &L::i16Rr, 0, &S::m_nRespRrAlmL, &L::i16Rr},
    {2, 3, CHECK_FLAG, &L::i16Apnea, kAny, nullptr, &L::i16Rr},
    // Temperature.
    {4, 2, CHECK_HIGH, &L::i16Temp, 0, &S::m_nTempAlmH, &L::i16Temp},
    {4, 1, CHECK_LOW, &L::i16Temp, 0, &S::m_nTempAlmL, &L::i16Temp},
    {4, 3, CHECK_FLAG, &L::i16TempProbeOff, kAny, nullptr, nullptr},
    // SpO2 and pulse rate.
    {3, 2, CHECK_HIGH, &L::i16Spo2, 0, &S::m_nOxyAlmH, &L::i16Spo2},
    {3, 1, CHECK_LOW, &L::i16Spo2, 0, &S::m_nOxyAlmL, &L::i16Spo2},
    {3, 4, CHECK_HIGH, &L::i16Pr, 0, &S::m_nOxyPrAlmH, &L::i16Pr},
    {3, 3, CHECK_LOW, &L::i16Pr, 0, &S::m_nOxyPrAlmL, &L::i16Pr},
    {3, 6, CHECK_FLAG, &L::i16Spo2ProbeOff, kAny, nullptr, nullptr},
    {3, 5, CHECK_FLAG, &L::i16FingerOff, kAny, nullptr, nullptr},
    // NIBP.
    {5, 2, CHECK_HIGH, &L::i16Sbp, 0, &S::m_nBpSbpAlmH, &L::i16Sbp},
    {5, 1, CHECK_LOW, &L::i16Sbp, 0, &S::m_nBpSbpAlmL, &L::i16Sbp},
    {5, 4, CHECK_HIGH, &L::i16Dbp, 0, &S::m_nBpDbpAlmH, &L::i16Dbp},
    {5, 3, CHECK_LOW, &L::i16Dbp, 0, &S::m_nBpDbpAlmL, &L::i16Dbp},
    // Oxygen concentration.
    {6, 2, CHECK_HIGH, &L::i16AirOxy, 0, &S::m_nAirOxyAlmH, &L::i16AirOxy},
    {6, 1, CHECK_LOW, &L::i16AirOxy, 0, &S::m_nAirOxyAlmL, &L::i16AirOxy},
    {6, 3, CHECK_FLAG, &L::i16AirOxyProbeOff, kAny, nullptr, nullptr},
};

const size_t g_nAlarmCatalogueSize = sizeof g_stAlarmCatalogue / sizeof g_stAlarmCatalogue[0];

const ALARM_CHECK* FindAlarmCheck(int type, int code)
{
    for (const ALARM_CHECK& check : g_stAlarmCatalogue)
        if (check.nType == type && check.nCode == code) return &check;
    return nullptr;
}
