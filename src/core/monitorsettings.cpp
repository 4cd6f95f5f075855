#include "core/monitorsettings.h"

#include <cstdio>
#include <cstring>

#include "appbase/tesmorapp.h"
#include "platform/privateprofile.h"

// ---- loading ------------------------------------------------------------------------------

void CMonitorSettings::LoadSettings()
{
    m_ParaIni.HoldFileVersion();
    m_ParaIni.ReportFileState();
#define LOAD_SETTING(stem, section, key) m_n##stem = m_ParaIni.Get##stem();
    PARAINI_INT_KEYS(LOAD_SETTING)
#undef LOAD_SETTING
    m_vecLoaded.clear();
    for (const SETTING_RULE& rule : SettingRules()) {
        std::string text;
        if (m_ParaIni.GetValueText(rule.szSection, rule.strKey.c_str(), text))
            m_vecLoaded.push_back({&rule, text, this->*rule.pField});
    }
    m_ParaIni.ReleaseFileVersion();
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
    theApp.m_strIniPath = m_ParaIni.m_strIniPath;
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
    ReportLoadedValues();
    return 0;
}

void CMonitorSettings::ApplyRules(const char* section)
{
    for (const SETTING_RULE& rule : SettingRules()) {
        if (std::strcmp(rule.szSection, section) == 0) this->*rule.pField = rule.Apply(this->*rule.pField);
    }
    // The gap rules run after the ranges of both limits, and their result is not clamped again.
    for (const SETTING_RULE& rule : SettingRules()) {
        if (std::strcmp(rule.szSection, section) != 0 || rule.pBelow == nullptr) continue;
        int& high = this->*rule.pField;
        const int low = this->*rule.pBelow;
        if (high <= low) high = low + rule.nGap;
    }
}

int CMonitorSettings::CheckEcgPara()
{
    ApplyRules("ECG");
    m_nBeatVolume = BeatVolumeFor(m_nEcgBeatVol);
    return 0;
}

int CMonitorSettings::CheckRespPara()
{
    ApplyRules("RESP");
    m_nRespSpeed = InSetOr(m_nRespSpeed, {0, 1}, 1);
    m_nRespGain = InSetOr(m_nRespGain, {0, 1, 2, 3, 4}, 2);
    return 0;
}

int CMonitorSettings::CheckOxyPara()
{
    ApplyRules("OXY");
    m_nPlethSpeed = InSetOr(m_nPlethSpeed, {0, 1}, 1);
    return 0;
}

int CMonitorSettings::CheckTempPara()
{
    ApplyRules("TEMP");
    return 0;
}

int CMonitorSettings::CheckBpPara()
{
    ApplyRules("BP");
    // The systolic high stays above the diastolic high, and the diastolic high below the
    // systolic low; the second rule has the last word, even below the diastolic bounds.
    if (m_nBpSbpAlmH <= m_nBpDbpAlmH) m_nBpSbpAlmH = m_nBpDbpAlmH + 3;
    if (m_nBpDbpAlmH >= m_nBpSbpAlmL) m_nBpDbpAlmH = m_nBpSbpAlmL - 3;
    return 0;
}

int CMonitorSettings::CheckAirOxyPara()
{
    // No gap rule here: a high limit below the low limit is kept as it is.
    ApplyRules("AIROXY");
    return 0;
}

int CMonitorSettings::CheckSysPara()
{
    ApplyRules("SYS");
    m_nAlmVolume = AlmVolumeFor(m_nSysAlmVol);
    return 0;
}

// ---- report of the values found in the file -----------------------------------------------

// Why a loaded value was not used as it stands, or an empty text when it was.
std::string CMonitorSettings::Replacement(const LoadedValue& loaded) const
{
    const SETTING_RULE& rule = *loaded.rule;
    const ProfileInteger number = ParseProfileInteger(loaded.text);
    const std::string read = " (read as " + std::to_string(loaded.read) + ")";
    if (!number.whole) return "is not a number" + read;
    if (number.beyond != 0) return (number.beyond > 0 ? "is too large" : "is too small") + read;
    if (this->*rule.pField == loaded.read) return "";
    if (rule.Apply(loaded.read) != loaded.read) {
        if (rule.eKind == settingCodes) return "is not one of " + rule.Accepted();
        return "is outside " + rule.Accepted();
    }
    return "does not fit the other limits (" + rule.Between() + ")";
}

void CMonitorSettings::ReportLoadedValues()
{
    for (const LoadedValue& loaded : m_vecLoaded) {
        std::string why = Replacement(loaded);
        if (why.empty()) continue;
        const SETTING_RULE& rule = *loaded.rule;
        std::fprintf(stderr, "settings: [%s] %s=%s %s; using %d\n", rule.szSection, rule.strKey.c_str(),
                     CParaIni::Shown(loaded.text).c_str(), why.c_str(), this->*rule.pField);
    }
    m_vecLoaded.clear();
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
