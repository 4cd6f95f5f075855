// The settings block of the data object: one 32-bit field per setting, loaded from the
// settings file and validated once at start-up, then kept as the live copy.
#pragma once

// Alarm setting codes.
constexpr int g_i32AlmSwOn = 1;
constexpr int g_i32AlmSwOff = 0;
constexpr int g_i32AlmLevelHigh = 2;
constexpr int g_i32AlmLevelMid = 1;
constexpr int g_i32AlmLevelLow = 0;
constexpr int g_i32AlmRecOn = 1;
constexpr int g_i32AlmRecOff = 0;

class CMonitorSettings {
public:
    CMonitorSettings() = default;

    // Reads every setting from the settings file into the block.
    void LoadSettings() {}
    // Sets the application's four record-file paths from section REC.
    void FillRecordPaths() {}
    // Forces every loaded setting into its allowed values and ranges.
    void CheckPara() {}

    int m_nEcgAlmSw = 0;
    int m_nEcgAlmLevel = 0;
    int m_nEcgAlmRec = 0;
    int m_nEcgHrAlmH = 0;
    int m_nEcgHrAlmL = 0;
    int m_nEcgStSw = 0;
    int m_nEcgStAlmSw = 0;
    int m_nEcgStAlmLevel = 0;
    int m_nEcgStAlmRec = 0;
    int m_nEcgStAlmH = 0;
    int m_nEcgStAlmL = 0;
    int m_nEcgArraSw = 0;
    int m_nEcgArraAlmSw = 0;
    int m_nEcgArraAlmLevel = 0;
    int m_nEcgArraAlmRec = 0;
    int m_nRespAlmSw = 0;
    int m_nRespAlmLevel = 0;
    int m_nRespAlmRec = 0;
    int m_nRespRrAlmH = 0;
    int m_nRespRrAlmL = 0;
    int m_nTempAlmSw = 0;
    int m_nTempAlmLevel = 0;
    int m_nTempAlmRec = 0;
    int m_nTempAlmH = 0;
    int m_nTempAlmL = 0;
    int m_nOxyAlmSw = 0;
    int m_nOxyAlmLevel = 0;
    int m_nOxyAlmRec = 0;
    int m_nOxyAlmH = 0;
    int m_nOxyAlmL = 0;
    int m_nOxyPrAlmH = 0;
    int m_nOxyPrAlmL = 0;
    int m_nBpAlmSw = 0;
    int m_nBpAlmLevel = 0;
    int m_nBpAlmRec = 0;
    int m_nBpSbpAlmH = 0;
    int m_nBpSbpAlmL = 0;
    int m_nBpDbpAlmH = 0;
    int m_nBpDbpAlmL = 0;
    int m_nAirOxyAlmSw = 0;
    int m_nAirOxyAlmLevel = 0;
    int m_nAirOxyAlmRec = 0;
    int m_nAirOxyAlmH = 0;
    int m_nAirOxyAlmL = 0;
};
