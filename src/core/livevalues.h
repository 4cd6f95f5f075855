// One consistent reading of the live values and sensor states, each block read under its own
// lock, for the alarm evaluation and the record builders. Values are signed 16-bit numbers as
// the panels read them; FiO2 is widened from 8 bits with its sign.
#pragma once

#include <cstdint>

#include "records/recordtypes.h"

class CMonitorData;

struct LIVE_VALUES {
    int16_t i16Hr;
    int16_t i16St1;
    int16_t i16St2;
    int16_t i16Pvcs;
    int16_t i16Rr;
    int16_t i16Spo2;
    int16_t i16Pr;
    int16_t i16Sbp;
    int16_t i16Dbp;
    int16_t i16Mid;
    int16_t i16Temp;
    int16_t i16AirOxy;
    int16_t i16LeadOff;
    int16_t i16Arra;
    int16_t i16Apnea;
    int16_t i16TempProbeOff;
    int16_t i16FingerOff;
    int16_t i16Spo2ProbeOff;
    int16_t i16AirOxyProbeOff;
};

void ReadLiveValues(CMonitorData& data, LIVE_VALUES* out);

// The value block of a record from a reading; time and patient name are left alone.
void FillRecValues(const LIVE_VALUES& live, REC_VALUES* val);

// The current local time as "%04d-%02d-%02d %02d:%02d:%02d" into 20 wide characters.
void FormatTimeText(char16_t* dst);

// The patient's name (at most 8 characters) into 9 wide characters.
void CopyPatientName(CMonitorData& data, char16_t* dst);
