// The alarm entry, the alarm types with their text tables, and the table that ties each type
// to its list, flag row and settings.
#pragma once

#include <cstdint>

#include "core/monitorsettings.h"

// One alarm entry, copied whole by value.
struct SHOW_ALM {
    uint8_t u8Type;      // alarm type 1-8
    uint8_t u8Code;      // alarm code within the type
    uint8_t u8Level;     // level setting of the type; filled only in show copies
    uint8_t u8Active;    // 1 while the condition holds, 0 when latched
    uint8_t u8Latched;   // in a show copy: 1 when latching is on and the entry is not active
    char16_t cText[16];  // alarm text; in a show copy with the level marker appended
    char16_t cTime[20];  // raise time "%04d-%02d-%02d %02d:%02d:%02d"
    uint16_t u16Limit;   // the crossed limit, 0 for sensor, apnoea and arrhythmia alarms
    uint16_t u16Value;   // the value when raised, as 16-bit two's complement
};

// Alarm text tables: slots of 32 wide characters, slot 0 and unlisted slots empty.
extern const char16_t g_cAlmTextECG[24][32];
extern const char16_t g_cAlmTextST[24][32];
extern const char16_t g_cAlmTextARR[24][32];
extern const char16_t g_cAlmTextResp[12][32];
extern const char16_t g_cAlmTextSpo2[12][32];
extern const char16_t g_cAlmTextTemp[12][32];
extern const char16_t g_cAlmTextNibp[12][32];
extern const char16_t g_cAlmTextAirOxy[8][32];

// Flag rows of the alarm-active and new-alarm matrices.
enum AlarmRow { ROW_ECG, ROW_ST, ROW_ARR, ROW_RESP, ROW_SPO2, ROW_TEMP, ROW_NIBP, ROW_AIROXY, ALARM_ROWS };
constexpr int ALARM_CODES = 16;

// The four alarm lists.
enum AlarmListId { LIST_ECG, LIST_RESPTEMP, LIST_SPO2NIBP, LIST_AIROXY, ALARM_LISTS };

using SettingField = int CMonitorSettings::*;

struct ALARM_TYPE_INFO {
    int nType;
    AlarmListId eList;
    AlarmRow eRow;
    SettingField pLevel;
    SettingField pSwitch;       // on when it equals g_i32AlmSwOn
    SettingField pFuncSwitch;   // ST and arrhythmia analysis: on when not 0; nullptr elsewhere
    SettingField pRecord;       // recorded when it equals g_i32AlmRecOn
    const char16_t (*pTexts)[32];
    int nCodes;                 // codes 1..nCodes have a text
};

// The type's entry, or nullptr when the type is not 1 to 8.
const ALARM_TYPE_INFO* FindAlarmType(int type);
// The entry of the type when code is one of its codes, else nullptr.
const ALARM_TYPE_INFO* FindAlarmTypeCode(int type, int code);
// The type whose alarms sit in the given flag row.
const ALARM_TYPE_INFO& AlarmTypeOfRow(int row);
// Whether the group of the type is switched on.
bool IsAlarmGroupOn(const ALARM_TYPE_INFO& info, const CMonitorSettings& settings);
// 1 for the sensor alarms (lead, probe and finger off), which carry no level marker and are
// never recorded.
int IsSensorAlarmCode(int type, int code);
inline int IsSensorAlarm(const SHOW_ALM* alm) { return IsSensorAlarmCode(alm->u8Type, alm->u8Code); }
