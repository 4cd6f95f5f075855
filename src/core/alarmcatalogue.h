// Every alarm the evaluation raises: what it compares, with which limit, and the limit and
// value the entry and the alarm record carry. In evaluation order, group by group.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/alarmtypes.h"
#include "core/livevalues.h"

enum AlarmCheckKind {
    CHECK_HIGH,        // value > limit
    CHECK_LOW,         // value < limit
    CHECK_FLAG,        // (input & mask) != 0
    CHECK_ARRHYTHMIA,  // the arrhythmia code itself is the alarm code
};

using LiveField = int16_t LIVE_VALUES::*;

struct ALARM_CHECK {
    int nType;
    int nCode;
    AlarmCheckKind eKind;
    LiveField pInput;     // compared value or flag word
    uint16_t u16Mask;     // flag checks: the bits that raise the alarm
    SettingField pLimit;  // high and low checks: the limit; nullptr: 0
    LiveField pValue;     // the value handed over; nullptr: 0
};

extern const ALARM_CHECK g_stAlarmCatalogue[];
extern const size_t g_nAlarmCatalogueSize;

// The check that raises (type, code), or nullptr (the arrhythmia codes have none of their own).
const ALARM_CHECK* FindAlarmCheck(int type, int code);
