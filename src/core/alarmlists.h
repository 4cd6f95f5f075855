// The alarm lists of the four alarm groups with their flags and rotation. The 24 named list
// operations are faces of one mechanism driven by the table of alarm types; every caller runs
// on the user-interface thread, so nothing here takes a lock.
#pragma once

#include <cstdint>
#include <list>

#include "core/alarmtypes.h"

class CMonitorSettings;

class CAlarmLists {
public:
    explicit CAlarmLists(CMonitorSettings& settings);

    // Raise: 0 when an entry was appended, 1 when the alarm was already listed or is not an
    // alarm of this list.
    int AddEcgAlm(int type, int code, const char16_t* time, uint16_t limit, uint16_t value);
    int AddRespTempAlm(int type, int code, const char16_t* time, uint16_t limit, uint16_t value);
    int AddSpo2NibpAlm(int type, int code, const char16_t* time, uint16_t limit, uint16_t value);
    int AddAirOxyAlm(int type, int code, const char16_t* time, uint16_t limit, uint16_t value);

    int ClearEcgAlm(int type, int code);
    int ClearRespTempAlm(int type, int code);
    int ClearSpo2NibpAlm(int type, int code);
    int ClearAirOxyAlm(int type, int code);

    // Mode 1 removes every entry of the type, mode 2 only the latched ones.
    int RemoveEcgAlmByType(int type, int mode);
    int RemoveRespTempAlmByType(int type, int mode);
    int RemoveSpo2NibpAlmByType(int type, int mode);
    int RemoveAirOxyAlmByType(int type, int mode);

    // 0 when the n-th entry was erased, 1 when there is none.
    int RemoveEcgAlmAt(int n);
    int RemoveRespTempAlmAt(int n);
    int RemoveSpo2NibpAlmAt(int n);
    int RemoveAirOxyAlmAt(int n);

    // Copies the n-th entry; 1 and the structure untouched when there is none.
    int GetEcgAlmAt(SHOW_ALM* out, int n);
    int GetRespTempAlmAt(SHOW_ALM* out, int n);
    int GetSpo2NibpAlmAt(SHOW_ALM* out, int n);
    int GetAirOxyAlmAt(SHOW_ALM* out, int n);

    // Advances the rotation and hands out the entry there with its level, marker and latched
    // flag; 1 and the structure untouched when the list is empty.
    int GetEcgShowAlm(SHOW_ALM* out);
    int GetRespTempShowAlm(SHOW_ALM* out);
    int GetSpo2NibpShowAlm(SHOW_ALM* out);
    int GetAirOxyShowAlm(SHOW_ALM* out);

    // Row queries: 1 when any active flag of the row is set.
    int IsEcgAlmOn() const { return IsRowOn(ROW_ECG); }
    int IsStAlmOn() const { return IsRowOn(ROW_ST); }
    int IsArraAlmOn() const { return IsRowOn(ROW_ARR); }
    int IsRespAlmOn() const { return IsRowOn(ROW_RESP); }
    int IsSpo2AlmOn() const { return IsRowOn(ROW_SPO2); }
    int IsTempAlmOn() const { return IsRowOn(ROW_TEMP); }
    int IsNibpAlmOn() const { return IsRowOn(ROW_NIBP); }
    int IsAirOxyAlmOn() const { return IsRowOn(ROW_AIROXY); }
    int IsAnyEcgAlmOn() const;

    // The highest level setting among the rows with an active alarm, 0 when none.
    int GetTopAlmLevel() const;
    // 1 when any new-alarm flag was set; clears them all.
    int TakeNewAlm();
    int IsTechAlm(const SHOW_ALM* alm) const { return IsSensorAlarm(alm); }

    // Generic forms of the named operations, for the evaluation and the tests.
    int RaiseAlarm(int type, int code, const char16_t* time, uint16_t limit, uint16_t value);
    int ClearAlarm(int type, int code);
    int RemoveAlarmsByType(int type, int mode);

    uint8_t m_u8AlmOn[ALARM_ROWS][ALARM_CODES];
    uint8_t m_u8NewAlm[ALARM_ROWS][ALARM_CODES];

    std::list<SHOW_ALM> m_listEcgAlm;
    std::list<SHOW_ALM> m_listRespTempAlm;
    std::list<SHOW_ALM> m_listSpo2NibpAlm;
    std::list<SHOW_ALM> m_listAirOxyAlm;

    // Position of the entry shown last; -1 stands before the first entry.
    int m_nEcgAlmShowIdx = 0;
    int m_nRespTempAlmShowIdx = 0;
    int m_nSpo2NibpAlmShowIdx = 0;
    int m_nAirOxyAlmShowIdx = 0;

protected:
    CMonitorSettings& m_settings;

private:
    struct ListRef {
        std::list<SHOW_ALM>& list;
        int& showIdx;
    };
    ListRef List(AlarmListId id);
    // The type's table entry when (type, code) is an alarm of list id, else nullptr.
    static const ALARM_TYPE_INFO* Checked(AlarmListId id, int type, int code);

    int Raise(AlarmListId id, int type, int code, const char16_t* time, uint16_t limit, uint16_t value);
    int Clear(AlarmListId id, int type, int code);
    int RemoveByType(AlarmListId id, int type, int mode);
    int RemoveAt(AlarmListId id, int n);
    int GetAt(AlarmListId id, SHOW_ALM* out, int n);
    int Show(AlarmListId id, SHOW_ALM* out);

    void ResetFlags(const SHOW_ALM& alm);
    int IsRowOn(int row) const;
    static bool Latching();
};
