// For the alarm and record-builder tests: a data object on the fake clock (2026-12-07 08:00:00),
// every alarm group on, recording on, level low, the first of two limit sets; the alarm catalogue.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "platform/apppaths.h"
#include "platform/fakeclock.h"
#include "platform/textu16.h"
#include "support/columns.h"
#include "support/tempfolder.h"

using S = CMonitorSettings;

// The recording switch of each alarm row and the type of the alarms it records.
struct RECORD_SWITCH {
    int S::*field;
    int type;
};
inline const RECORD_SWITCH kRecordSwitches[] = {
    {&S::m_nEcgAlmRec, 1}, {&S::m_nEcgStAlmRec, 7}, {&S::m_nEcgArraAlmRec, 8}, {&S::m_nRespAlmRec, 2},
    {&S::m_nTempAlmRec, 4}, {&S::m_nOxyAlmRec, 3}, {&S::m_nBpAlmRec, 5},    {&S::m_nAirOxyAlmRec, 6},
};

// Two sets of limits. Within a set no limit equals another or an all-normal value, so a check
// against the wrong limit shows; between sets every limit changes, so a constant limit shows.
inline int S::*const kLimitFields[] = {
    &S::m_nEcgHrAlmH, &S::m_nEcgHrAlmL, &S::m_nEcgStAlmH, &S::m_nEcgStAlmL, &S::m_nRespRrAlmH, &S::m_nRespRrAlmL,
    &S::m_nTempAlmH,  &S::m_nTempAlmL,  &S::m_nOxyAlmH,   &S::m_nOxyAlmL,   &S::m_nOxyPrAlmH,  &S::m_nOxyPrAlmL,
    &S::m_nBpSbpAlmH, &S::m_nBpSbpAlmL, &S::m_nBpDbpAlmH, &S::m_nBpDbpAlmL, &S::m_nAirOxyAlmH, &S::m_nAirOxyAlmL,
};
inline const int kLimitSets[2][std::size(kLimitFields)] = {
    {120, 50, 20, -20, 30, 8, 390, 350, 100, 90, 125, 45, 140, 95, 85, 55, 60, 21},
    {105, 60, 16, -12, 25, 10, 380, 360, 99, 92, 115, 40, 135, 100, 82, 58, 50, 24},
};
inline const char kLimitNames[] = "hrH hrL stH stL rrH rrL tempH tempL oxyH oxyL prH prL sbpH sbpL dbpH dbpL fio2H "
                                  "fio2L";

// One alarm of the catalogue, raised from all-normal values: a limit alarm by the value limit +
// beyond, any other by handing beyond to set. Its entry carries the limit (0 without one) and that
// value, or value. Recorded: the alarm-record builder records it.
struct ALARM_ROW {
    const char* name;
    int type, code;
    const char* text;
    int S::*limit;
    int beyond, value;
    bool recorded;
    void (*set)(CMonitorData&, int);
};
using D = CMonitorData;
inline void SetHr(D& d, int v) { d.SetEcgHr(v); }
inline void SetSt1(D& d, int v) { d.SetEcgSt(v, d.m_i16EcgSt2); }
inline void SetSt2(D& d, int v) { d.SetEcgSt(d.m_i16EcgSt1, v); }
inline void SetLead(D& d, int v) { d.SetEcgLeadOff(v, 0); }
inline void SetArra(D& d, int v) { d.SetEcgArra(v); }
inline void SetRr(D& d, int v) { d.SetRespRr(v); }
inline void SetApnea(D& d, int v) { d.SetRespApnea(v); }
inline void SetTemp(D& d, int v) { d.SetTemp(v); }
inline void SetTempOff(D& d, int v) { d.SetTempProbeOff(v); }
inline void SetSpo2(D& d, int v) { d.SetSpo2(v); }
inline void SetPr(D& d, int v) { d.SetSpo2Pr(v); }
inline void SetSpo2Status(D& d, int v) { d.SetSpo2Status(v); }
inline void SetSbp(D& d, int v) { d.m_i16NibpSbp = v; }
inline void SetDbp(D& d, int v) { d.m_i16NibpDbp = v; }
inline void SetFiO2(D& d, int v) { d.SetAirOxy(v); }
inline void SetFiO2Off(D& d, int v) { d.SetAirOxyProbeOff(v); }
inline const ALARM_ROW kAlarmRows[] = {
    {"hr high", 1, 2, "心律过高", &S::m_nEcgHrAlmH, 1, 0, true, SetHr},
    {"hr low", 1, 1, "心律过低", &S::m_nEcgHrAlmL, -1, 0, true, SetHr},
    {"lead bit 0x1", 1, 3, "LL导联脱落", nullptr, 0x1, 0, false, SetLead},
    {"lead bit 0x2", 1, 4, "LA导联脱落", nullptr, 0x2, 0, false, SetLead},
    {"lead bit 0x4", 1, 5, "RA导联脱落", nullptr, 0x4, 0, false, SetLead},
    {"lead bit 0x8", 1, 6, "V导联脱落", nullptr, 0x8, 0, false, SetLead},
    {"st1 high", 7, 2, "ST1过高", &S::m_nEcgStAlmH, 1, 0, true, SetSt1},
    {"st1 low", 7, 1, "ST1过低", &S::m_nEcgStAlmL, -1, 0, true, SetSt1},
    {"st2 high", 7, 4, "ST2过高", &S::m_nEcgStAlmH, 2, 0, true, SetSt2},
    {"st2 low", 7, 3, "ST2过低", &S::m_nEcgStAlmL, -2, 0, true, SetSt2},
    {"arrhythmia 1", 8, 1, "二联律", nullptr, 1, 0, true, SetArra},
    {"arrhythmia 2", 8, 2, "三联律", nullptr, 2, 0, true, SetArra},
    {"arrhythmia 3", 8, 3, "心电过缓", nullptr, 3, 0, true, SetArra},
    {"arrhythmia 4", 8, 4, "心电过速", nullptr, 4, 0, true, SetArra},
    {"arrhythmia 5", 8, 5, "室早", nullptr, 5, 0, true, SetArra},
    {"arrhythmia 6", 8, 6, "室速", nullptr, 6, 0, true, SetArra},
    {"arrhythmia 7", 8, 7, "室早成对", nullptr, 7, 0, true, SetArra},
    {"arrhythmia 8", 8, 8, "停搏", nullptr, 8, 0, true, SetArra},
    {"rr high", 2, 2, "呼吸率过高", &S::m_nRespRrAlmH, 1, 0, true, SetRr},
    {"rr low", 2, 1, "呼吸率过低", &S::m_nRespRrAlmL, -1, 0, true, SetRr},
    {"apnoea", 2, 3, "呼吸窒息", nullptr, 1, 15, true, SetApnea},  // the all-normal rate
    {"temp high", 4, 2, "体温过高", &S::m_nTempAlmH, 1, 0, true, SetTemp},
    {"temp low", 4, 1, "体温过低", &S::m_nTempAlmL, -1, 0, true, SetTemp},
    {"temp probe off", 4, 3, "体温探头脱落", nullptr, 1, 0, false, SetTempOff},
    {"spo2 high", 3, 2, "血氧饱和度过高", &S::m_nOxyAlmH, 1, 0, true, SetSpo2},
    {"spo2 low", 3, 1, "血氧饱和度过低", &S::m_nOxyAlmL, -1, 0, true, SetSpo2},
    {"pr high", 3, 4, "脉率过高", &S::m_nOxyPrAlmH, 1, 0, true, SetPr},
    {"pr low", 3, 3, "脉率过低", &S::m_nOxyPrAlmL, -1, 0, true, SetPr},
    {"spo2 probe off", 3, 6, "血氧探头脱落", nullptr, 0x10, 0, false, SetSpo2Status},
    {"spo2 finger off", 3, 5, "血氧手指脱落", nullptr, 0x80, 0, false, SetSpo2Status},
    {"sbp high", 5, 2, "收缩压过高", &S::m_nBpSbpAlmH, 1, 0, true, SetSbp},
    {"sbp low", 5, 1, "收缩压过低", &S::m_nBpSbpAlmL, -1, 0, true, SetSbp},
    {"dbp high", 5, 4, "舒张压过高", &S::m_nBpDbpAlmH, 1, 0, true, SetDbp},
    {"dbp low", 5, 3, "舒张压过低", &S::m_nBpDbpAlmL, -1, 0, true, SetDbp},
    {"fio2 high", 6, 2, "氧浓度过高", &S::m_nAirOxyAlmH, 1, 0, true, SetFiO2},
    {"fio2 low", 6, 1, "氧浓度过低", &S::m_nAirOxyAlmL, -1, 0, true, SetFiO2},
    {"fio2 probe off", 6, 3, "氧浓度探头脱落", nullptr, 1, 0, false, SetFiO2Off},
};

class AlarmFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        theApp.ResetForTests();
        data = std::make_unique<CMonitorData>();
        SwitchEverythingOn();
    }
    void TearDown() override { theApp.ResetForTests(); }

    void SwitchEverythingOn()
    {
        CMonitorData& d = *data;
        for (int* sw : {&d.m_nEcgAlmSw, &d.m_nEcgStSw, &d.m_nEcgStAlmSw, &d.m_nEcgArraSw, &d.m_nEcgArraAlmSw,
                        &d.m_nRespAlmSw, &d.m_nTempAlmSw, &d.m_nOxyAlmSw, &d.m_nBpAlmSw, &d.m_nAirOxyAlmSw})
            *sw = g_i32AlmSwOn;
        for (const RECORD_SWITCH& rec : kRecordSwitches) d.*rec.field = g_i32AlmRecOn;
        for (int* level : {&d.m_nEcgAlmLevel, &d.m_nEcgStAlmLevel, &d.m_nEcgArraAlmLevel, &d.m_nRespAlmLevel,
                           &d.m_nTempAlmLevel, &d.m_nOxyAlmLevel, &d.m_nBpAlmLevel, &d.m_nAirOxyAlmLevel})
            *level = g_i32AlmLevelLow;
        SetLimits(0);
    }
    void SetLimits(int set)
    {
        for (size_t i = 0; i < std::size(kLimitFields); ++i) data.get()->*kLimitFields[i] = kLimitSets[set][i];
    }
    // The limit an alarm's entry carries under the limits set now, and its value.
    int LimitOf(const ALARM_ROW& row) const { return row.limit ? data.get()->*row.limit : 0; }
    int ValueOf(const ALARM_ROW& row) const { return row.limit ? LimitOf(row) + row.beyond : row.value; }
    // Raises the alarm of a row alone (from all-normal values) and evaluates.
    void Raise(const ALARM_ROW& row)
    {
        row.set(*data, row.limit ? ValueOf(row) : row.beyond);
        data->CheckAlm();
    }
    // Runs check on every alarm row under each set of limits (the rows' columns checked apart
    // first), each time from all-normal values evaluated and no new-alarm flag left.
    void ForEachRow(const std::function<void(const ALARM_ROW&)>& check)
    {
        for (int set : {0, 1}) {
            SetLimits(set);
            ExpectColumnsApart(AlarmRowColumns());
            for (const ALARM_ROW& row : kAlarmRows) {
                SCOPED_TRACE(row.name + std::string(", limit set ") + std::to_string(set));
                AllNormal();
                data->CheckAlm();
                data->TakeNewAlm();
                check(row);
            }
        }
    }
    // The type, code, limit and value columns of the alarm rows under the limits set now.
    std::vector<TABLE_COLUMN> AlarmRowColumns() const
    {
        std::vector<TABLE_COLUMN> columns{{"type", {}}, {"code", {}}, {"limit", {}}, {"value", {}}};
        for (const ALARM_ROW& row : kAlarmRows)
            for (auto [c, v] : {std::pair{0, row.type}, {1, row.code}, {2, LimitOf(row)}, {3, ValueOf(row)}})
                columns[c].values.push_back(v);
        return columns;
    }

    // Every live value inside its limits and no sensor off.
    void AllNormal()
    {
        CMonitorData& d = *data;
        d.SetEcgHr(80);
        d.SetEcgSt(5, static_cast<uint16_t>(-7));
        d.SetEcgLeadOff(0, 0);
        d.SetEcgArra(0);
        d.SetRespRr(15);
        d.SetRespApnea(0);
        d.SetSpo2(98);
        d.SetSpo2Pr(75);
        d.SetSpo2Status(0);
        d.SetTemp(370);
        d.SetTempProbeOff(0);
        d.SetAirOxy(33);
        d.SetAirOxyProbeOff(0);
        {
            CSingleLock guard(d.m_csNibp);
            d.m_i16NibpSbp = 110;
            d.m_i16NibpDbp = 70;
        }
    }

    // The texts of a list's entries in list order, as UTF-8.
    static std::vector<std::string> Texts(const std::list<SHOW_ALM>& list)
    {
        std::vector<std::string> out;
        for (const SHOW_ALM& alm : list) out.push_back(ToUtf8(alm.cText));
        return out;
    }

    TempFolder folder;  // the program's folder
    FakeClock clock;
    std::unique_ptr<CMonitorData> data;
};
