#include "core/monitorsettings.h"

#include "appbase/tesmorapp.h"

// ---- loading ------------------------------------------------------------------------------

void CMonitorSettings::LoadSettings()
{
    m_ParaIni.ReportFileState();
#define LOAD_SETTING(stem, section, key) m_n##stem = m_ParaIni.Get##stem();
    PARAINI_INT_KEYS(LOAD_SETTING)
#undef LOAD_SETTING
    // Views and speeds that the main window chooses are not stored; every start shows these.
    m_nEcgTrace1Lead = 1;
    m_nEcgTrace2Lead = 0;
    m_nRespGain = 0;
    m_nRespSpeed = 0;
    m_nPlethSpeed = 0;
}

void CMonitorSettings::FillRecordPaths()
{
    m_ParaIni.GetRecDataSaveFileName(theApp.m_strDataSavePath);
    m_ParaIni.GetRecNibpSaveFileName(theApp.m_strNibpSavePath);
    m_ParaIni.GetRecAlmSaveFileName(theApp.m_strAlmSavePath);
    m_ParaIni.GetRecSysSaveFileName(theApp.m_strSysSavePath);
}

// ---- rules --------------------------------------------------------------------------------

int CMonitorSettings::InSetOr(int value, std::initializer_list<int> allowed, int fallback)
{
    for (int code : allowed) {
        if (value == code) return value;
    }
    return fallback;
}

int CMonitorSettings::Clamp(int value, int lo, int hi)
{
    if (value > hi) return hi;
    if (value < lo) return lo;
    return value;
}

// ---- validation ---------------------------------------------------------------------------

int CMonitorSettings::CheckPara()
{
    CheckEcgPara();
    CheckRespPara();
    CheckOxyPara();
    CheckTempPara();
    CheckBpPara();
    CheckAirOxyPara();
    CheckSysPara();
    return 0;
}

// An alarm switch off or on (else on), a level low to high (else high), recording off or on
// (else off).
void CMonitorSettings::CheckAlarmCodes(int& sw, int& level, int& rec)
{
    sw = InSetOr(sw, {g_i32AlmSwOn, g_i32AlmSwOff}, g_i32AlmSwOn);
    level = InSetOr(level, {g_i32AlmLevelHigh, g_i32AlmLevelMid, g_i32AlmLevelLow}, g_i32AlmLevelHigh);
    rec = InSetOr(rec, {g_i32AlmRecOn, g_i32AlmRecOff}, g_i32AlmRecOff);
}

// Clamps a high and a low limit into their ranges, then lifts the high limit to low + gap when
// it is not above the low limit (gap 0: no gap rule).
void CMonitorSettings::CheckLimits(int& high, int highMin, int highMax, int& low, int lowMin, int lowMax,
                                   int gap)
{
    high = Clamp(high, highMin, highMax);
    low = Clamp(low, lowMin, lowMax);
    if (gap > 0 && high <= low) high = low + gap;
}

int CMonitorSettings::CheckEcgPara()
{
    CheckAlarmCodes(m_nEcgAlmSw, m_nEcgAlmLevel, m_nEcgAlmRec);
    m_nEcgHrForm = InSetOr(m_nEcgHrForm, {0, 1}, 0);
    m_nEcgHrLead = InSetOr(m_nEcgHrLead, {0, 1}, 0);
    m_nEcgLeadMode = InSetOr(m_nEcgLeadMode, {0, 1}, 0);
    m_nEcgTrap = InSetOr(m_nEcgTrap, {1, 0}, 1);
    m_nEcgWaveSpeed = InSetOr(m_nEcgWaveSpeed, {0, 1}, 0);
    m_nEcgWaveGain = InSetOr(m_nEcgWaveGain, {0, 1, 2}, 1);
    m_nEcgBeatVol = InSetOr(m_nEcgBeatVol, {0, 1, 2, 3}, 0);
    m_nBeatVolume = BeatVolumeFor(m_nEcgBeatVol);
    CheckLimits(m_nEcgHrAlmH, g_i16HrAlmHMin, g_i16HrAlmHMax, m_nEcgHrAlmL, g_i16HrAlmLMin, g_i16HrAlmLMax, 3);

    m_nEcgStSw = InSetOr(m_nEcgStSw, {1, 0}, 0);
    CheckAlarmCodes(m_nEcgStAlmSw, m_nEcgStAlmLevel, m_nEcgStAlmRec);
    m_nEcgSt = Clamp(m_nEcgSt, g_i32EcgStPointMin, g_i32EcgStPointMax);
    m_nEcgIso = Clamp(m_nEcgIso, g_i32EcgIsoPointMin, g_i32EcgIsoPointMax);
    CheckLimits(m_nEcgStAlmH, g_i16StAlmHMin, g_i16StAlmHMax, m_nEcgStAlmL, g_i16StAlmLMin, g_i16StAlmLMax, 10);

    CheckAlarmCodes(m_nEcgArraAlmSw, m_nEcgArraAlmLevel, m_nEcgArraAlmRec);
    m_nEcgArraPvcsAlmH = Clamp(m_nEcgArraPvcsAlmH, g_i16PvcsAlmHMin, g_i16PvcsAlmHMax);
    return 0;
}

int CMonitorSettings::CheckRespPara()
{
    CheckAlarmCodes(m_nRespAlmSw, m_nRespAlmLevel, m_nRespAlmRec);
    CheckLimits(m_nRespRrAlmH, g_i16RrAlmHMin, g_i16RrAlmHMax, m_nRespRrAlmL, g_i16RrAlmLMin, g_i16RrAlmLMax, 3);
    m_nRespApneaTime = InSetOr(m_nRespApneaTime, {0, 1, 2, 3}, 1);
    m_nRespSpeed = InSetOr(m_nRespSpeed, {0, 1}, 1);
    m_nRespGain = InSetOr(m_nRespGain, {0, 1, 2, 3, 4}, 2);
    return 0;
}

int CMonitorSettings::CheckOxyPara()
{
    CheckAlarmCodes(m_nOxyAlmSw, m_nOxyAlmLevel, m_nOxyAlmRec);
    CheckLimits(m_nOxyAlmH, g_i16Spo2AlmHMin, g_i16Spo2AlmHMax, m_nOxyAlmL, g_i16Spo2AlmLMin, g_i16Spo2AlmLMax, 3);
    CheckLimits(m_nOxyPrAlmH, g_i16PrAlmHMin, g_i16PrAlmHMax, m_nOxyPrAlmL, g_i16PrAlmLMin, g_i16PrAlmLMax, 3);
    m_nPlethSpeed = InSetOr(m_nPlethSpeed, {0, 1}, 1);
    return 0;
}

int CMonitorSettings::CheckTempPara()
{
    CheckAlarmCodes(m_nTempAlmSw, m_nTempAlmLevel, m_nTempAlmRec);
    CheckLimits(m_nTempAlmH, g_i16TempAlmHMin, g_i16TempAlmHMax, m_nTempAlmL, g_i16TempAlmLMin,
                g_i16TempAlmLMax, 5);
    return 0;
}

int CMonitorSettings::CheckBpPara()
{
    CheckAlarmCodes(m_nBpAlmSw, m_nBpAlmLevel, m_nBpAlmRec);
    CheckLimits(m_nBpSbpAlmH, g_i16SbpAlmHMin, g_i16SbpAlmHMax, m_nBpSbpAlmL, g_i16SbpAlmLMin, g_i16SbpAlmLMax, 3);
    CheckLimits(m_nBpDbpAlmH, g_i16DbpAlmHMin, g_i16DbpAlmHMax, m_nBpDbpAlmL, g_i16DbpAlmLMin, g_i16DbpAlmLMax, 3);
    // The systolic high stays above the diastolic high, and the diastolic high below the
    // systolic low; the second rule has the last word, even below the diastolic bounds.
    if (m_nBpSbpAlmH <= m_nBpDbpAlmH) m_nBpSbpAlmH = m_nBpDbpAlmH + 3;
    if (m_nBpDbpAlmH >= m_nBpSbpAlmL) m_nBpDbpAlmH = m_nBpSbpAlmL - 3;
    return 0;
}

int CMonitorSettings::CheckAirOxyPara()
{
    CheckAlarmCodes(m_nAirOxyAlmSw, m_nAirOxyAlmLevel, m_nAirOxyAlmRec);
    // No gap rule here: a high limit below the low limit is kept as it is.
    CheckLimits(m_nAirOxyAlmH, g_i16AirOxyAlmHMin, g_i16AirOxyAlmHMax, m_nAirOxyAlmL, g_i16AirOxyAlmLMin,
                g_i16AirOxyAlmLMax, 0);
    return 0;
}

int CMonitorSettings::CheckSysPara()
{
    m_nSysAlmTime = InSetOr(m_nSysAlmTime, {g_i32AlmPause1Min, g_i32AlmPause2Min}, g_i32AlmPause1Min);
    m_nSysAlmVol = InSetOr(m_nSysAlmVol, {0, 1, 2, 3}, 0);
    m_nAlmVolume = AlmVolumeFor(m_nSysAlmVol);
    return 0;
}

// ---- volumes and checked accessors --------------------------------------------------------

int CMonitorSettings::BeatVolumeFor(int step)
{
    return g_i32BeatVolumeTable[InSetOr(step, {0, 1, 2, 3}, 0)];
}

int CMonitorSettings::AlmVolumeFor(int step)
{
    return g_i32AlmVolumeTable[InSetOr(step, {0, 1, 2, 3}, 0)];
}

int CMonitorSettings::EcgWaveFilterIndex() const { return InSetOr(m_nEcgWaveFilter, {0, 1, 2}, 0); }
int CMonitorSettings::EcgPaceSwByte() const { return InSetOr(m_nEcgPaceSw, {0, 1}, 0); }
int CMonitorSettings::EcgArraSwByte() const { return InSetOr(m_nEcgArraSw, {0, 1}, 0); }
int CMonitorSettings::BpPressByte() const { return Clamp(m_nBpPress, 0, 255); }
int CMonitorSettings::RespApneaTimeIndex() const { return InSetOr(m_nRespApneaTime, {0, 1, 2}, 1); }
