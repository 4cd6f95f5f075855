// The settings block of the data object: one 32-bit field per setting, loaded from the
// settings file and validated once at start-up, then kept as the live copy. A caller that
// changes a stored setting writes its field and then saves it through the matching setter of
// m_ParaIni (m_nEcgAlmSw -> m_ParaIni.SetEcgAlmSw). The block is used on the UI thread only
// and has no lock.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "core/paraini.h"
#include "core/settingdefs.h"
#include "core/settingrules.h"

class CMonitorSettings {
public:
    CMonitorSettings() = default;

    // Reads every stored setting from the settings file and sets the fields that are not
    // stored to their start values, and notes the text of each key the file holds for the
    // report of CheckPara. Writes nothing.
    void LoadSettings();
    // Sets the application's four record-file paths from section REC, and the settings file's path.
    void FillRecordPaths();
    // Forces every loaded setting into its allowed codes and ranges, opens the gaps between
    // high and low limits and derives the two sound volumes. Changes memory only. Then tells
    // on stderr, one line each, which value noted by LoadSettings was not a number or was
    // replaced, with the value used; keys missing from the file are not reported. Returns 0.
    int CheckPara();
    int CheckEcgPara();
    int CheckRespPara();
    int CheckOxyPara();
    int CheckTempPara();
    int CheckBpPara();
    int CheckAirOxyPara();
    int CheckSysPara();

    // Sound volumes in hundredths of a decibel for a sound step 0..3; a step outside that
    // range gives the volume of step 0. The sound choices use the same mapping.
    static int BeatVolumeFor(int step);
    static int AlmVolumeFor(int step);

    // The validation leaves these settings as loaded. Code that uses one as an index or sends
    // it as a byte takes it through these, which never leave the valid range.
    int EcgWaveFilterIndex() const;  // 0..2; any other code gives 0
    int EcgPaceSwByte() const;       // 0 or 1; any other code gives 0 (off)
    int EcgArraSwByte() const;       // 0 or 1; any other code gives 0 (off)
    int BpPressByte() const;         // clamped to 0..255 mmHg
    int RespApneaTimeIndex() const;  // 0..2 (15 s, 30 s, 45 s); code 3 or another gives 1

    // Shared by the validation and the accessors above.
    static int InSetOr(int value, std::initializer_list<int> allowed, int fallback);
    static int Clamp(int value, int lo, int hi);

    CParaIni m_ParaIni;

    // ECG. Alarm switch 1 on / 0 off, level 2 high / 1 medium / 0 low, recording 1 on / 0 off.
    int m_nEcgAlmSw = 0;
    int m_nEcgAlmLevel = 0;
    int m_nEcgAlmRec = 0;
    int m_nEcgHrForm = 0;       // heart-rate source: 0 ECG, 1 SpO2
    int m_nEcgHrLead = 0;       // 0 lead I, 1 lead II
    int m_nEcgLeadMode = 0;     // 0 five leads, 1 three leads
    int m_nEcgHrAlmH = 0;       // beats per minute
    int m_nEcgHrAlmL = 0;
    int m_nEcgTrap = 0;         // power-line notch filter
    int m_nEcgPaceSw = 0;       // pace detection (not validated: see EcgPaceSwByte)
    int m_nEcgWaveSpeed = 0;    // 0 25 mm/s, 1 50 mm/s
    int m_nEcgWaveGain = 0;     // 0 5, 1 10, 2 20 mm/mV
    int m_nEcgWaveFilter = 0;   // 0 diagnosis, 1 monitor, 2 surgery (see EcgWaveFilterIndex)
    int m_nEcgBeatVol = 0;      // heartbeat sound step 0 off, 1..3
    int m_nEcgStSw = 0;         // ST analysis
    int m_nEcgStAlmSw = 0;
    int m_nEcgStAlmLevel = 0;
    int m_nEcgStAlmRec = 0;
    int m_nEcgStAlmH = 0;       // hundredths
    int m_nEcgStAlmL = 0;
    int m_nEcgIso = 0;          // ISO point, ms
    int m_nEcgSt = 0;           // ST point, ms
    int m_nEcgArraSw = 0;       // arrhythmia analysis (not validated: see EcgArraSwByte)
    int m_nEcgArraAlmSw = 0;
    int m_nEcgArraAlmLevel = 0;
    int m_nEcgArraAlmRec = 0;
    int m_nEcgArraPvcsAlmH = 0;
    int m_nEcgTrace1Lead = 1;   // 0 I, 1 II, 2 III, 3 aVR, 4 aVL, 5 aVF, 6 V; not stored
    int m_nEcgTrace2Lead = 0;
    int m_nEcgTrace1LeadSaved = 0;  // kept by the layout that shows all leads; not stored
    int m_nEcgTrace2LeadSaved = 0;

    // Respiration.
    int m_nRespAlmSw = 0;
    int m_nRespAlmLevel = 0;
    int m_nRespAlmRec = 0;
    int m_nRespApneaTime = 0;   // 0 15 s, 1 30 s, 2 45 s (3 passes validation: see RespApneaTimeIndex)
    int m_nRespRrAlmH = 0;      // breaths per minute
    int m_nRespRrAlmL = 0;
    int m_nRespGain = 0;        // 0..4; not stored
    int m_nRespSpeed = 0;       // 0 12.5 mm/s, 1 25 mm/s; not stored

    // Temperature, tenths of a degree Celsius.
    int m_nTempAlmSw = 0;
    int m_nTempAlmLevel = 0;
    int m_nTempAlmRec = 0;
    int m_nTempAlmH = 0;
    int m_nTempAlmL = 0;

    // SpO2 (percent) and pulse rate (beats per minute).
    int m_nOxyAlmSw = 0;
    int m_nOxyAlmLevel = 0;
    int m_nOxyAlmRec = 0;
    int m_nOxyAlmH = 0;
    int m_nOxyAlmL = 0;
    int m_nOxyPrAlmH = 0;
    int m_nOxyPrAlmL = 0;
    int m_nPlethSpeed = 0;      // 0 12.5 mm/s, 1 25 mm/s; not stored

    // NIBP, mmHg.
    int m_nBpAlmSw = 0;
    int m_nBpAlmLevel = 0;
    int m_nBpAlmRec = 0;
    int m_nBpSbpAlmH = 0;
    int m_nBpSbpAlmL = 0;
    int m_nBpDbpAlmH = 0;
    int m_nBpDbpAlmL = 0;
    int m_nBpPress = 0;         // pre-inflation value (not validated: see BpPressByte)

    // Oxygen concentration, percent.
    int m_nAirOxyAlmSw = 0;
    int m_nAirOxyAlmLevel = 0;
    int m_nAirOxyAlmRec = 0;
    int m_nAirOxyAlmH = 0;
    int m_nAirOxyAlmL = 0;

    // System.
    int m_nSysAlmTime = 0;      // alarm pause, 60 or 120 s
    int m_nSysAlmVol = 0;       // alarm sound step 0..3

    // Derived sound volumes, hundredths of a decibel (0 full, -10000 silent); not stored.
    int m_nBeatVolume = g_i32BeatVolumeTable[0];
    int m_nAlmVolume = g_i32AlmVolumeTable[0];

private:
    // A key found in the file at loading: its rule, its text and the value read from it.
    struct LoadedValue {
        const SETTING_RULE* rule;
        std::string text;
        int read;
    };

    // Applies the rules of one section: first each setting's own rule, then the gaps between
    // high and low limits.
    void ApplyRules(const char* section);
    void ReportLoadedValues();
    std::string Replacement(const LoadedValue& loaded) const;

    std::vector<LoadedValue> m_vecLoaded;
};
