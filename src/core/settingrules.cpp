#include "core/settingrules.h"

#include <algorithm>

#include "core/monitorsettings.h"

namespace {

using Field = int CMonitorSettings::*;
using S = CMonitorSettings;

class RuleTable {
public:
    void Codes(const char* section, const std::string& key, Field field, std::vector<int> codes, int fallback,
               const std::string& meaning)
    {
        std::sort(codes.begin(), codes.end());
        m_rules.push_back({section, key, field, settingCodes, codes, fallback, 0, 0, meaning, nullptr, 0, nullptr});
    }
    void Range(const char* section, const std::string& key, Field field, int lo, int hi, const std::string& meaning)
    {
        m_rules.push_back({section, key, field, settingRange, {}, 0, lo, hi, meaning, nullptr, 0, nullptr});
    }
    // A high and a low limit, keys <stem>_H and <stem>_L; the high limit is kept above the low
    // one by the gap (no gap rule when it is 0).
    void Limits(const char* section, const std::string& stem, Field high, int highMin, int highMax, Field low,
                int lowMin, int lowMax, int gap, const std::string& what, const std::string& unit,
                const char* also = nullptr)
    {
        m_rules.push_back({section, stem + "_H", high, settingRange, {}, 0, highMin, highMax,
                           what + " high limit, " + unit, gap > 0 ? low : nullptr, gap, also});
        Range(section, stem + "_L", low, lowMin, lowMax, what + " low limit, " + unit);
    }
    void Free(const char* section, const std::string& key, Field field, const std::string& meaning)
    {
        m_rules.push_back({section, key, field, settingFree, {}, 0, 0, 0, meaning, nullptr, 0, nullptr});
    }
    // The switch, level and recording of one alarm.
    void Alarm(const char* section, const std::string& prefix, Field sw, Field level, Field rec,
               const std::string& what)
    {
        Codes(section, prefix + "ALM_SW", sw, {1, 0}, 1, what + " alarm switch: 1 on, 0 off");
        Codes(section, prefix + "ALM_LEVEL", level, {2, 1, 0}, 2, what + " alarm level: 2 high, 1 medium, 0 low");
        Codes(section, prefix + "ALM_REC", rec, {1, 0}, 0, what + " alarm recording: 1 on, 0 off");
    }

    std::vector<SETTING_RULE> m_rules;
};

RuleTable BuildTable()
{
    RuleTable t;
    t.Alarm("ECG", "", &S::m_nEcgAlmSw, &S::m_nEcgAlmLevel, &S::m_nEcgAlmRec, "ECG (heart rate and lead-off)");
    t.Codes("ECG", "HR_FORM", &S::m_nEcgHrForm, {0, 1}, 0, "heart-rate source: 0 ECG, 1 SpO2");
    t.Codes("ECG", "HR_LEAD", &S::m_nEcgHrLead, {0, 1}, 0, "heart-rate lead: 0 lead I, 1 lead II");
    t.Codes("ECG", "LEAD_MODE", &S::m_nEcgLeadMode, {0, 1}, 0, "lead mode: 0 five leads, 1 three leads");
    t.Limits("ECG", "HR_ALM", &S::m_nEcgHrAlmH, g_i16HrAlmHMin, g_i16HrAlmHMax, &S::m_nEcgHrAlmL, g_i16HrAlmLMin,
             g_i16HrAlmLMax, 3, "heart-rate", "beats per minute");
    t.Codes("ECG", "ECG_TRAP", &S::m_nEcgTrap, {1, 0}, 1, "power-line notch filter: 1 on, 0 off");
    t.Free("ECG", "PACE_SW", &S::m_nEcgPaceSw, "pace detection: 1 on, 0 off (any other value works as off)");
    t.Codes("ECG", "WAVE_SPEED", &S::m_nEcgWaveSpeed, {0, 1}, 0, "ECG sweep speed: 0 25 mm/s, 1 50 mm/s");
    t.Codes("ECG", "WAVE_GAIN", &S::m_nEcgWaveGain, {0, 1, 2}, 1, "ECG gain: 0 5 mm/mV, 1 10 mm/mV, 2 20 mm/mV");
    t.Free("ECG", "WAVE_FILTER", &S::m_nEcgWaveFilter,
           "ECG filter: 0 diagnosis, 1 monitor, 2 surgery (any other value works as 0)");
    t.Codes("ECG", "BEAT_VOL", &S::m_nEcgBeatVol, {0, 1, 2, 3}, 0, "heartbeat sound: 0 off, 1 to 3 louder");
    t.Codes("ECG", "ST_SW", &S::m_nEcgStSw, {1, 0}, 0, "ST analysis: 1 on, 0 off");
    t.Alarm("ECG", "ST_", &S::m_nEcgStAlmSw, &S::m_nEcgStAlmLevel, &S::m_nEcgStAlmRec, "ST");
    t.Limits("ECG", "ST_ALM", &S::m_nEcgStAlmH, g_i16StAlmHMin, g_i16StAlmHMax, &S::m_nEcgStAlmL, g_i16StAlmLMin,
             g_i16StAlmLMax, 10, "ST", "hundredths of a millivolt");
    t.Range("ECG", "ISO", &S::m_nEcgIso, g_i32EcgIsoPointMin, g_i32EcgIsoPointMax, "ISO point, milliseconds");
    t.Range("ECG", "ST", &S::m_nEcgSt, g_i32EcgStPointMin, g_i32EcgStPointMax, "ST point, milliseconds");
    t.Free("ECG", "ARRA_SW", &S::m_nEcgArraSw, "arrhythmia analysis: 1 on, 0 off (any other value works as off)");
    t.Alarm("ECG", "ARRA_", &S::m_nEcgArraAlmSw, &S::m_nEcgArraAlmLevel, &S::m_nEcgArraAlmRec, "arrhythmia");
    t.Range("ECG", "ARRA_PVCS_ALM_H", &S::m_nEcgArraPvcsAlmH, g_i16PvcsAlmHMin, g_i16PvcsAlmHMax,
            "PVCs high limit, per minute");

    t.Alarm("RESP", "", &S::m_nRespAlmSw, &S::m_nRespAlmLevel, &S::m_nRespAlmRec, "respiration");
    t.Codes("RESP", "APNEA_TIME", &S::m_nRespApneaTime, {0, 1, 2, 3}, 1,
            "apnoea time: 0 15 s, 1 30 s, 2 45 s (3 is kept and works as 30 s)");
    t.Limits("RESP", "RR_ALM", &S::m_nRespRrAlmH, g_i16RrAlmHMin, g_i16RrAlmHMax, &S::m_nRespRrAlmL, g_i16RrAlmLMin,
             g_i16RrAlmLMax, 3, "respiration-rate", "breaths per minute");

    t.Alarm("TEMP", "", &S::m_nTempAlmSw, &S::m_nTempAlmLevel, &S::m_nTempAlmRec, "temperature");
    t.Limits("TEMP", "TEMP_ALM", &S::m_nTempAlmH, g_i16TempAlmHMin, g_i16TempAlmHMax, &S::m_nTempAlmL,
             g_i16TempAlmLMin, g_i16TempAlmLMax, 5, "temperature", "tenths of a degree Celsius");

    t.Alarm("OXY", "", &S::m_nOxyAlmSw, &S::m_nOxyAlmLevel, &S::m_nOxyAlmRec, "SpO2 (SpO2, pulse rate, probe)");
    t.Limits("OXY", "OXY_ALM", &S::m_nOxyAlmH, g_i16Spo2AlmHMin, g_i16Spo2AlmHMax, &S::m_nOxyAlmL, g_i16Spo2AlmLMin,
             g_i16Spo2AlmLMax, 3, "SpO2", "percent");
    t.Limits("OXY", "OXY_PR_ALM", &S::m_nOxyPrAlmH, g_i16PrAlmHMin, g_i16PrAlmHMax, &S::m_nOxyPrAlmL, g_i16PrAlmLMin,
             g_i16PrAlmLMax, 3, "pulse-rate", "beats per minute");

    t.Alarm("BP", "", &S::m_nBpAlmSw, &S::m_nBpAlmLevel, &S::m_nBpAlmRec, "NIBP");
    t.Limits("BP", "SBP_ALM", &S::m_nBpSbpAlmH, g_i16SbpAlmHMin, g_i16SbpAlmHMax, &S::m_nBpSbpAlmL, g_i16SbpAlmLMin,
             g_i16SbpAlmLMax, 3, "systolic", "mmHg", "then raised to DBP_ALM_H + 3 when not above DBP_ALM_H");
    t.Limits("BP", "DBP_ALM", &S::m_nBpDbpAlmH, g_i16DbpAlmHMin, g_i16DbpAlmHMax, &S::m_nBpDbpAlmL, g_i16DbpAlmLMin,
             g_i16DbpAlmLMax, 3, "diastolic", "mmHg",
             "then lowered to SBP_ALM_L - 3 when not below SBP_ALM_L, even below its own range");
    t.Free("BP", "PRESS", &S::m_nBpPress, "NIBP pre-inflation value, mmHg (used within 0 to 255)");

    t.Alarm("AIROXY", "", &S::m_nAirOxyAlmSw, &S::m_nAirOxyAlmLevel, &S::m_nAirOxyAlmRec, "oxygen-concentration");
    t.Limits("AIROXY", "AIROXY_ALM", &S::m_nAirOxyAlmH, g_i16AirOxyAlmHMin, g_i16AirOxyAlmHMax, &S::m_nAirOxyAlmL,
             g_i16AirOxyAlmLMin, g_i16AirOxyAlmLMax, 0, "oxygen-concentration", "percent",
             "may stay below AIROXY_ALM_L");

    t.Codes("SYS", "ALM_TIME", &S::m_nSysAlmTime, {g_i32AlmPause1Min, g_i32AlmPause2Min}, g_i32AlmPause1Min,
            "alarm pause time, seconds");
    t.Codes("SYS", "ALM_VOL", &S::m_nSysAlmVol, {0, 1, 2, 3}, 0, "alarm sound: 0 softest to 3 loudest");
    return t;
}

std::string Join(const std::vector<int>& codes)
{
    std::string text;
    for (int code : codes) text += (text.empty() ? "" : ", ") + std::to_string(code);
    return text;
}

}  // namespace

const std::vector<SETTING_RULE>& SettingRules()
{
    static const RuleTable table = BuildTable();
    return table.m_rules;
}

const SETTING_RULE* RuleOfField(int CMonitorSettings::*field)
{
    for (const SETTING_RULE& rule : SettingRules()) {
        if (rule.pField == field) return &rule;
    }
    return nullptr;
}

int SETTING_RULE::Apply(int value) const
{
    switch (eKind) {
    case settingCodes:
        return std::find(vecCodes.begin(), vecCodes.end(), value) != vecCodes.end() ? value : nFallback;
    case settingRange: return CMonitorSettings::Clamp(value, nMin, nMax);
    case settingFree: break;
    }
    return value;
}

std::string SETTING_RULE::Accepted() const
{
    switch (eKind) {
    case settingCodes: return Join(vecCodes);
    case settingRange: return std::to_string(nMin) + " to " + std::to_string(nMax);
    case settingFree: break;
    }
    return "any whole number";
}

std::string SETTING_RULE::Otherwise() const
{
    switch (eKind) {
    case settingCodes: return "becomes " + std::to_string(nFallback);
    case settingRange: return "becomes the nearest bound";
    case settingFree: break;
    }
    return "is kept";
}

std::string SETTING_RULE::Between() const
{
    std::string text;
    if (pBelow != nullptr) {
        const std::string& low = RuleOfField(pBelow)->strKey;
        text = "raised to " + low + " + " + std::to_string(nGap) + " when not above " + low;
    }
    if (szAlso != nullptr) text += std::string(text.empty() ? "" : "; ") + szAlso;
    return text;
}
