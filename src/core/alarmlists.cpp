#include "core/alarmlists.h"

#include <cstring>
#include <iterator>

#include "appbase/tesmorapp.h"
#include "platform/textu16.h"

namespace {

const char16_t* LevelMarker(int level)
{
    switch (level) {
    case g_i32AlmLevelHigh: return u"***";
    case g_i32AlmLevelMid: return u"**";
    case g_i32AlmLevelLow: return u"*";
    default: return u"";
    }
}

bool Matches(const SHOW_ALM& alm, int type, int code) { return alm.u8Type == type && alm.u8Code == code; }

}  // namespace

CAlarmLists::CAlarmLists(CMonitorSettings& settings) : m_settings(settings)
{
    std::memset(m_u8AlmOn, 0, sizeof m_u8AlmOn);
    std::memset(m_u8NewAlm, 0, sizeof m_u8NewAlm);
}

// ---- named faces ----------------------------------------------------------------------------

int CAlarmLists::AddEcgAlm(int type, int code, const char16_t* time, uint16_t limit, uint16_t value)
{
    return Raise(LIST_ECG, type, code, time, limit, value);
}
int CAlarmLists::AddRespTempAlm(int type, int code, const char16_t* time, uint16_t limit, uint16_t value)
{
    return Raise(LIST_RESPTEMP, type, code, time, limit, value);
}
int CAlarmLists::AddSpo2NibpAlm(int type, int code, const char16_t* time, uint16_t limit, uint16_t value)
{
    return Raise(LIST_SPO2NIBP, type, code, time, limit, value);
}
int CAlarmLists::AddAirOxyAlm(int type, int code, const char16_t* time, uint16_t limit, uint16_t value)
{
    return Raise(LIST_AIROXY, type, code, time, limit, value);
}

int CAlarmLists::ClearEcgAlm(int type, int code) { return Clear(LIST_ECG, type, code); }
int CAlarmLists::ClearRespTempAlm(int type, int code) { return Clear(LIST_RESPTEMP, type, code); }
int CAlarmLists::ClearSpo2NibpAlm(int type, int code) { return Clear(LIST_SPO2NIBP, type, code); }
int CAlarmLists::ClearAirOxyAlm(int type, int code) { return Clear(LIST_AIROXY, type, code); }

int CAlarmLists::RemoveEcgAlmByType(int type, int mode) { return RemoveByType(LIST_ECG, type, mode); }
int CAlarmLists::RemoveRespTempAlmByType(int type, int mode) { return RemoveByType(LIST_RESPTEMP, type, mode); }
int CAlarmLists::RemoveSpo2NibpAlmByType(int type, int mode) { return RemoveByType(LIST_SPO2NIBP, type, mode); }
int CAlarmLists::RemoveAirOxyAlmByType(int type, int mode) { return RemoveByType(LIST_AIROXY, type, mode); }

int CAlarmLists::RemoveEcgAlmAt(int n) { return RemoveAt(LIST_ECG, n); }
int CAlarmLists::RemoveRespTempAlmAt(int n) { return RemoveAt(LIST_RESPTEMP, n); }
int CAlarmLists::RemoveSpo2NibpAlmAt(int n) { return RemoveAt(LIST_SPO2NIBP, n); }
int CAlarmLists::RemoveAirOxyAlmAt(int n) { return RemoveAt(LIST_AIROXY, n); }

int CAlarmLists::GetEcgAlmAt(SHOW_ALM* out, int n) { return GetAt(LIST_ECG, out, n); }
int CAlarmLists::GetRespTempAlmAt(SHOW_ALM* out, int n) { return GetAt(LIST_RESPTEMP, out, n); }
int CAlarmLists::GetSpo2NibpAlmAt(SHOW_ALM* out, int n) { return GetAt(LIST_SPO2NIBP, out, n); }
int CAlarmLists::GetAirOxyAlmAt(SHOW_ALM* out, int n) { return GetAt(LIST_AIROXY, out, n); }

int CAlarmLists::GetEcgShowAlm(SHOW_ALM* out) { return Show(LIST_ECG, out); }
int CAlarmLists::GetRespTempShowAlm(SHOW_ALM* out) { return Show(LIST_RESPTEMP, out); }
int CAlarmLists::GetSpo2NibpShowAlm(SHOW_ALM* out) { return Show(LIST_SPO2NIBP, out); }
int CAlarmLists::GetAirOxyShowAlm(SHOW_ALM* out) { return Show(LIST_AIROXY, out); }

// ---- generic forms by type ------------------------------------------------------------------

int CAlarmLists::RaiseAlarm(int type, int code, const char16_t* time, uint16_t limit, uint16_t value)
{
    const ALARM_TYPE_INFO* info = FindAlarmType(type);
    return info == nullptr ? 1 : Raise(info->eList, type, code, time, limit, value);
}

int CAlarmLists::ClearAlarm(int type, int code)
{
    const ALARM_TYPE_INFO* info = FindAlarmType(type);
    return info == nullptr ? 0 : Clear(info->eList, type, code);
}

int CAlarmLists::RemoveAlarmsByType(int type, int mode)
{
    const ALARM_TYPE_INFO* info = FindAlarmType(type);
    return info == nullptr ? 0 : RemoveByType(info->eList, type, mode);
}

// ---- the one mechanism ----------------------------------------------------------------------

CAlarmLists::ListRef CAlarmLists::List(AlarmListId id)
{
    switch (id) {
    case LIST_RESPTEMP: return {m_listRespTempAlm, m_nRespTempAlmShowIdx};
    case LIST_SPO2NIBP: return {m_listSpo2NibpAlm, m_nSpo2NibpAlmShowIdx};
    case LIST_AIROXY: return {m_listAirOxyAlm, m_nAirOxyAlmShowIdx};
    default: return {m_listEcgAlm, m_nEcgAlmShowIdx};
    }
}

const ALARM_TYPE_INFO* CAlarmLists::Checked(AlarmListId id, int type, int code)
{
    const ALARM_TYPE_INFO* info = FindAlarmTypeCode(type, code);
    return info != nullptr && info->eList == id ? info : nullptr;
}

bool CAlarmLists::Latching() { return theApp.m_nAlmLatch != 0; }

void CAlarmLists::ResetFlags(const SHOW_ALM& alm)
{
    const ALARM_TYPE_INFO* info = FindAlarmTypeCode(alm.u8Type, alm.u8Code);
    if (info == nullptr) return;
    m_u8NewAlm[info->eRow][alm.u8Code] = 0;
    m_u8AlmOn[info->eRow][alm.u8Code] = 0;
}

int CAlarmLists::Raise(AlarmListId id, int type, int code, const char16_t* time, uint16_t limit, uint16_t value)
{
    const ALARM_TYPE_INFO* info = Checked(id, type, code);
    if (info == nullptr) return 1;
    m_u8AlmOn[info->eRow][code] = 1;

    std::list<SHOW_ALM>& list = List(id).list;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (!Matches(*it, type, code)) continue;
        // Non-latching keeps the listed entry, even a latched one; latching replaces a latched
        // entry with a fresh one at the end.
        if (!Latching() || it->u8Active != 0) return 1;
        list.erase(it);
        break;
    }

    SHOW_ALM alm{};
    alm.u8Type = static_cast<uint8_t>(type);
    alm.u8Code = static_cast<uint8_t>(code);
    alm.u8Active = 1;
    U16Copy(alm.cText, 16, info->pTexts[code]);
    if (time != nullptr) U16Copy(alm.cTime, 20, time);
    alm.u16Limit = limit;
    alm.u16Value = value;
    list.push_back(alm);
    m_u8NewAlm[info->eRow][code] = 1;
    return 0;
}

int CAlarmLists::Clear(AlarmListId id, int type, int code)
{
    if (Checked(id, type, code) == nullptr) return 0;
    ListRef ref = List(id);
    if (Latching()) {
        for (SHOW_ALM& alm : ref.list) {
            if (!Matches(alm, type, code)) continue;
            alm.u8Active = 0;
            ResetFlags(alm);
            break;
        }
        return 0;
    }
    if (ref.list.empty()) return 0;
    int pos = 0;
    for (auto it = ref.list.begin(); it != ref.list.end(); ++it, ++pos) {
        if (!Matches(*it, type, code)) continue;
        ResetFlags(*it);
        ref.list.erase(it);
        break;
    }
    // Keeps the next shown entry the same after an erase at or before the one shown last,
    // and pulls an index beyond the end back towards it.
    if (pos <= ref.showIdx) --ref.showIdx;
    return 0;
}

int CAlarmLists::RemoveByType(AlarmListId id, int type, int mode)
{
    const ALARM_TYPE_INFO* info = FindAlarmType(type);
    if (info == nullptr || info->eList != id || (mode != 1 && mode != 2)) return 0;
    std::list<SHOW_ALM>& list = List(id).list;
    for (auto it = list.begin(); it != list.end();) {
        if (it->u8Type == type && (mode == 1 || it->u8Active == 0)) {
            ResetFlags(*it);
            it = list.erase(it);
        } else {
            ++it;
        }
    }
    return 0;
}

int CAlarmLists::RemoveAt(AlarmListId id, int n)
{
    std::list<SHOW_ALM>& list = List(id).list;
    if (n < 0 || static_cast<size_t>(n) >= list.size()) return 1;
    list.erase(std::next(list.begin(), n));
    return 0;
}

int CAlarmLists::GetAt(AlarmListId id, SHOW_ALM* out, int n)
{
    std::list<SHOW_ALM>& list = List(id).list;
    if (n < 0 || static_cast<size_t>(n) >= list.size()) return 1;
    *out = *std::next(list.begin(), n);
    return 0;
}

int CAlarmLists::Show(AlarmListId id, SHOW_ALM* out)
{
    ListRef ref = List(id);
    if (ref.list.empty()) return 1;
    const int n = static_cast<int>(ref.list.size());
    ref.showIdx = ((ref.showIdx + 1) % n + n) % n;
    SHOW_ALM alm = *std::next(ref.list.begin(), ref.showIdx);
    const ALARM_TYPE_INFO* info = FindAlarmType(alm.u8Type);
    const int level = m_settings.*info->pLevel;
    alm.u8Level = static_cast<uint8_t>(level & 0xFF);
    if (!IsSensorAlarm(&alm)) {
        const size_t len = U16Len(alm.cText);
        U16Copy(alm.cText + len, 16 - len, LevelMarker(level));
    }
    alm.u8Latched = Latching() && alm.u8Active == 0 ? 1 : 0;
    *out = alm;
    return 0;
}

// ---- queries --------------------------------------------------------------------------------

int CAlarmLists::IsRowOn(int row) const
{
    for (uint8_t flag : m_u8AlmOn[row])
        if (flag != 0) return 1;
    return 0;
}

int CAlarmLists::IsAnyEcgAlmOn() const { return IsEcgAlmOn() || IsStAlmOn() || IsArraAlmOn() ? 1 : 0; }

int CAlarmLists::GetTopAlmLevel() const
{
    int top = 0;
    for (int row = 0; row < ALARM_ROWS; ++row) {
        const int level = m_settings.*AlarmTypeOfRow(row).pLevel;
        if (IsRowOn(row) && level > top) top = level;
    }
    return top;
}

int CAlarmLists::TakeNewAlm()
{
    int any = 0;
    for (auto& row : m_u8NewAlm)
        for (uint8_t& flag : row) {
            any |= flag != 0 ? 1 : 0;
            flag = 0;
        }
    return any;
}
