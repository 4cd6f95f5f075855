#include "core/alarmtypes.h"

const char16_t g_cAlmTextECG[24][32] = {
    u"", u"心律过低", u"心律过高", u"LL导联脱落", u"LA导联脱落", u"RA导联脱落", u"V导联脱落", u"导联脱落"};
const char16_t g_cAlmTextST[24][32] = {u"", u"ST1过低", u"ST1过高", u"ST2过低", u"ST2过高"};
const char16_t g_cAlmTextARR[24][32] = {
    u"", u"二联律", u"三联律", u"心电过缓", u"心电过速", u"室早", u"室速", u"室早成对", u"停搏"};
const char16_t g_cAlmTextResp[12][32] = {u"", u"呼吸率过低", u"呼吸率过高", u"呼吸窒息"};
const char16_t g_cAlmTextSpo2[12][32] = {
    u"", u"血氧饱和度过低", u"血氧饱和度过高", u"脉率过低", u"脉率过高", u"血氧手指脱落", u"血氧探头脱落"};
const char16_t g_cAlmTextTemp[12][32] = {u"", u"体温过低", u"体温过高", u"体温探头脱落"};
const char16_t g_cAlmTextNibp[12][32] = {u"", u"收缩压过低", u"收缩压过高", u"舒张压过低", u"舒张压过高"};
const char16_t g_cAlmTextAirOxy[8][32] = {u"", u"氧浓度过低", u"氧浓度过高", u"氧浓度探头脱落"};

namespace {

using S = CMonitorSettings;

// Indexed by type - 1.
const ALARM_TYPE_INFO kTypes[8] = {
    {1, LIST_ECG, ROW_ECG, &S::m_nEcgAlmLevel, &S::m_nEcgAlmSw, nullptr, &S::m_nEcgAlmRec, g_cAlmTextECG, 7},
    {2, LIST_RESPTEMP, ROW_RESP, &S::m_nRespAlmLevel, &S::m_nRespAlmSw, nullptr, &S::m_nRespAlmRec,
     g_cAlmTextResp, 3},
    {3, LIST_SPO2NIBP, ROW_SPO2, &S::m_nOxyAlmLevel, &S::m_nOxyAlmSw, nullptr, &S::m_nOxyAlmRec, g_cAlmTextSpo2,
     6},
    {4, LIST_RESPTEMP, ROW_TEMP, &S::m_nTempAlmLevel, &S::m_nTempAlmSw, nullptr, &S::m_nTempAlmRec,
     g_cAlmTextTemp, 3},
    {5, LIST_SPO2NIBP, ROW_NIBP, &S::m_nBpAlmLevel, &S::m_nBpAlmSw, nullptr, &S::m_nBpAlmRec, g_cAlmTextNibp, 4},
    {6, LIST_AIROXY, ROW_AIROXY, &S::m_nAirOxyAlmLevel, &S::m_nAirOxyAlmSw, nullptr, &S::m_nAirOxyAlmRec,
     g_cAlmTextAirOxy, 3},
    {7, LIST_ECG, ROW_ST, &S::m_nEcgStAlmLevel, &S::m_nEcgStAlmSw, &S::m_nEcgStSw, &S::m_nEcgStAlmRec, g_cAlmTextST,
     4},
    {8, LIST_ECG, ROW_ARR, &S::m_nEcgArraAlmLevel, &S::m_nEcgArraAlmSw, &S::m_nEcgArraSw, &S::m_nEcgArraAlmRec,
     g_cAlmTextARR, 8},
};

// Type of each flag row, in row order.
const int kTypeOfRow[ALARM_ROWS] = {1, 7, 8, 2, 3, 4, 5, 6};

}  // namespace

const ALARM_TYPE_INFO* FindAlarmType(int type)
{
    if (type < 1 || type > 8) return nullptr;
    return &kTypes[type - 1];
}

const ALARM_TYPE_INFO* FindAlarmTypeCode(int type, int code)
{
    const ALARM_TYPE_INFO* info = FindAlarmType(type);
    if (info == nullptr || code < 1 || code > info->nCodes) return nullptr;
    return info;
}

const ALARM_TYPE_INFO& AlarmTypeOfRow(int row) { return kTypes[kTypeOfRow[row] - 1]; }

bool IsAlarmGroupOn(const ALARM_TYPE_INFO& info, const CMonitorSettings& settings)
{
    if (info.pFuncSwitch != nullptr && settings.*info.pFuncSwitch == 0) return false;
    return settings.*info.pSwitch == g_i32AlmSwOn;
}

int IsSensorAlarmCode(int type, int code)
{
    switch (type) {
    case 1: return code >= 3 && code <= 6 ? 1 : 0;
    case 3: return code == 5 || code == 6 ? 1 : 0;
    case 4:
    case 6: return code == 3 ? 1 : 0;
    default: return 0;
    }
}
