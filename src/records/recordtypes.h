// The record types that the data core builds, the record thread stores in the record files and
// the review windows receive back. The value block, ALM_INDEX, NIBP_DATA and SYS_DATA are
// stored byte for byte (little-endian integers, UTF-16LE text); SAVE_DATA, SAVE_ALM and
// ALM_SEARCH as wholes live only in memory, since they hold pointers to wave buffers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/clock.h"
#include "platform/textu16.h"
#include "platform/wintypes.h"

class CWnd;

// Samples per record.
constexpr int g_i32ECGWaveLen = 1000;       // ECG samples per channel in one data record (2 s)
constexpr int g_i32RespWaveLen = 250;       // respiration bytes in one data record
constexpr int g_i32PlethWaveLen = 250;      // pleth bytes in one data record
constexpr int g_i32AlmECGWaveLen = 6000;    // ECG samples per channel with one alarm record (12 s)
constexpr int g_i32AlmRespWaveLen = 1500;   // respiration bytes with one alarm record
constexpr int g_i32AlmPlethWaveLen = 1500;  // pleth bytes with one alarm record

// Alarm index states.
constexpr uint8_t g_u8AlmStateComplete = 0x00;
constexpr uint8_t g_u8AlmStateEmpty = 0xEE;  // empty, or being written
constexpr uint8_t g_u8AlmStateNoHit = 0xAA;  // a search found nothing

// The values, time and patient name at one moment (82 bytes). The head of a data record and
// the value block of an alarm record. 16-bit values are signed; -100 is the no-value marker
// (-10000 for ST).
struct REC_VALUES {
    int16_t i16HR;
    int16_t i16ST1;
    int16_t i16ST2;
    int16_t i16PVCs;
    int16_t i16RR;
    int16_t i16SpO2;
    int16_t i16PR;
    int16_t i16SBP;
    int16_t i16DBP;
    int16_t i16MBP;
    int16_t i16Temp;
    int8_t i8FiO2;
    uint8_t u8Reserved;
    char16_t szTime[20];         // "%04d-%02d-%02d %02d:%02d:%02d"
    char16_t szPatientName[9];   // at most 8 characters
};
static_assert(sizeof(REC_VALUES) == 82, "value block is 82 bytes");
static_assert(offsetof(REC_VALUES, i16ST1) == 0x02, "value block layout");
static_assert(offsetof(REC_VALUES, i16PVCs) == 0x06, "value block layout");
static_assert(offsetof(REC_VALUES, i16RR) == 0x08, "value block layout");
static_assert(offsetof(REC_VALUES, i16SpO2) == 0x0A, "value block layout");
static_assert(offsetof(REC_VALUES, i16PR) == 0x0C, "value block layout");
static_assert(offsetof(REC_VALUES, i16SBP) == 0x0E, "value block layout");
static_assert(offsetof(REC_VALUES, i16DBP) == 0x10, "value block layout");
static_assert(offsetof(REC_VALUES, i16MBP) == 0x12, "value block layout");
static_assert(offsetof(REC_VALUES, i16Temp) == 0x14, "value block layout");
static_assert(offsetof(REC_VALUES, i8FiO2) == 0x16, "value block layout");
static_assert(offsetof(REC_VALUES, u8Reserved) == 0x17, "value block layout");
static_assert(offsetof(REC_VALUES, szTime) == 0x18, "value block layout");
static_assert(offsetof(REC_VALUES, szPatientName) == 0x40, "value block layout");

// A data record (2 s of waves); the same type carries a data-review request.
struct SAVE_DATA {
    REC_VALUES val;
    CWnd* pWnd;       // request only: the window that receives the answer
    int nMode;        // request only: 3 newest, 1 forward, 2 back
    int nStep;        // request only: step in records
    WORD* pEcgWave[3];  // leads I, II and V, g_i32ECGWaveLen samples each
    BYTE* pRespWave;    // g_i32RespWaveLen bytes
    BYTE* pPlethWave;   // g_i32PlethWaveLen bytes
};

// The index entry of an alarm record (50 bytes), also stored alone in the alarm file's stubs.
struct ALM_INDEX {
    char16_t szTime[20];
    uint8_t u8State;    // 0 complete, 0xEE empty or being written, 0xAA no hit
    uint8_t u8AlmType;  // 1..8; 0 in an empty stub
    uint8_t u8AlmCode;
    uint8_t u8Reserved;
    uint16_t u16Slot;
    int16_t i16Limit;
    int16_t i16Value;
};
static_assert(sizeof(ALM_INDEX) == 50, "alarm index entry is 50 bytes");
static_assert(offsetof(ALM_INDEX, u8State) == 0x28, "alarm index layout");
static_assert(offsetof(ALM_INDEX, u8AlmType) == 0x29, "alarm index layout");
static_assert(offsetof(ALM_INDEX, u8AlmCode) == 0x2A, "alarm index layout");
static_assert(offsetof(ALM_INDEX, u8Reserved) == 0x2B, "alarm index layout");
static_assert(offsetof(ALM_INDEX, u16Slot) == 0x2C, "alarm index layout");
static_assert(offsetof(ALM_INDEX, i16Limit) == 0x2E, "alarm index layout");
static_assert(offsetof(ALM_INDEX, i16Value) == 0x30, "alarm index layout");

// An alarm record with 12 s of waves ending just before the alarm.
struct SAVE_ALM {
    ALM_INDEX idx;
    REC_VALUES val;
    WORD* pEcgWave[2];  // leads I and II, g_i32AlmECGWaveLen samples each
    BYTE* pRespWave;    // g_i32AlmRespWaveLen bytes
    BYTE* pPlethWave;   // g_i32AlmPlethWaveLen bytes
};

// An alarm search condition (memory only).
struct ALM_SEARCH {
    char16_t szStartTime[20];
    char16_t szEndTime[20];
    uint8_t u8Kind;     // 1 first search, 2 older, 3 newer, 5 end of review
    uint8_t u8AlmType;  // 1..8
};

// One NIBP result (66 bytes).
struct NIBP_DATA {
    int16_t i16Sys;
    int16_t i16Dia;
    int16_t i16Mean;
    int16_t i16Extra;
    char16_t szTime[20];
    uint8_t u8Reserved[18];
};
static_assert(sizeof(NIBP_DATA) == 66, "NIBP result is 66 bytes");
static_assert(offsetof(NIBP_DATA, i16Dia) == 0x02, "NIBP result layout");
static_assert(offsetof(NIBP_DATA, i16Mean) == 0x04, "NIBP result layout");
static_assert(offsetof(NIBP_DATA, i16Extra) == 0x06, "NIBP result layout");
static_assert(offsetof(NIBP_DATA, szTime) == 0x08, "NIBP result layout");
static_assert(offsetof(NIBP_DATA, u8Reserved) == 0x30, "NIBP result layout");

// One system event (80 bytes).
struct SYS_DATA {
    char16_t szEvent[20];
    char16_t szTime[20];
};
static_assert(sizeof(SYS_DATA) == 80, "system event is 80 bytes");
static_assert(offsetof(SYS_DATA, szTime) == 0x28, "system event layout");

// The header of a record file (232 bytes); every file holds two copies, at 0 and at 0x10000.
struct REC_FILE_HEAD {
    char16_t szSignature[8];    // "KWPD5NXQ", no terminator
    char16_t szVersion[8];      // "V 1.00" and two NULs
    char16_t szCreateTime[32];  // time text of the creation, terminated
    char16_t szWriteTime[32];   // time text of this copy's last update, terminated
    uint8_t u8Reserved[64];     // written back as held in memory
    uint32_t u32WriteIndex;     // the slot the next record goes to (see the ring kinds)
    uint32_t u32Count;          // records in the ring
};
static_assert(sizeof(REC_FILE_HEAD) == 232, "record file header is 232 bytes");
static_assert(offsetof(REC_FILE_HEAD, szVersion) == 0x10, "record file header layout");
static_assert(offsetof(REC_FILE_HEAD, szCreateTime) == 0x20, "record file header layout");
static_assert(offsetof(REC_FILE_HEAD, szWriteTime) == 0x60, "record file header layout");
static_assert(offsetof(REC_FILE_HEAD, u8Reserved) == 0xA0, "record file header layout");
static_assert(offsetof(REC_FILE_HEAD, u32WriteIndex) == 0xE0, "record file header layout");
static_assert(offsetof(REC_FILE_HEAD, u32Count) == 0xE4, "record file header layout");

// Ring lengths of the four record files.
constexpr uint32_t g_u32DataSaveMax = 43200;  // one data record per 2 s for 24 h
constexpr uint32_t g_u32NibpSaveMax = 300;
constexpr uint32_t g_u32SysSaveMax = 200;
constexpr uint32_t g_u32AlmSaveMax = 200;

// File frame: header copy A at 0, copy B at 0x10000, records from 0x20000.
constexpr uint64_t g_u64HeadBOffset = 0x10000;
constexpr uint64_t g_u64RecordAreaOffset = 0x20000;
// Slot sizes: a data record (0x80 + 3 x 2000 + 250 + 250 bytes) rounded up to 8 KiB.
constexpr uint32_t g_u32DataSlotSize =
    ((6 * g_i32ECGWaveLen + g_i32RespWaveLen + g_i32PlethWaveLen + 0x80 + 0x1FFF) / 0x2000) * 0x2000;
static_assert(g_u32DataSlotSize == 0x2000, "data slot is 8 KiB");
constexpr uint32_t g_u32SmallSlotSize = 128;   // NIBP and system-event slots
constexpr uint32_t g_u32AlmStubSize = 0x1000;  // alarm index stubs, from 0x20000
constexpr uint32_t g_u32AlmRecSize = 0x8000;   // alarm records, from 0xF8000
constexpr uint64_t g_u64AlmRecAreaOffset = 0xF8000;

// Offsets inside a data slot and an alarm record.
constexpr uint32_t g_u32DataWaveOffset = 0x80;
constexpr uint32_t g_u32AlmValOffset = 0x80;
constexpr uint32_t g_u32AlmWaveOffset = 0x100;

// Formats the current local time as "%04d-%02d-%02d %02d:%02d:%02d" into dst.
inline void FormatRecordTime(char16_t* dst, size_t cap)
{
    LocalTime t = GetLocalTime();
    U16Format(dst, cap, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}
