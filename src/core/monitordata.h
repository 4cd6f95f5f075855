// The one shared data object in which all threads meet: the patient record, the settings
// block, the live values of every parameter in data blocks with their own locks, the wave
// rings, the alarm lists and the scratch records. The link thread's parser is its only
// producer of measurements; the UI thread reads values and waves out of it.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/alarmlists.h"
#include "core/monitordefs.h"
#include "core/monitorsettings.h"
#include "core/patient.h"
#include "core/wavering.h"
#include "platform/criticalsection.h"
#include "platform/wintypes.h"
#include "records/recordtypes.h"

// Per-tick copies out of the display rings; the caller owns the blocks and their buffers.
struct ECG_SHOW_DATA {
    uint16_t u16Hr;
    int16_t i16St1;
    int16_t i16St2;
    int16_t i16Pvcs;
    uint8_t u8LeadOff;
    uint8_t u8Lead2;
    int nCapacity;  // in: samples per channel the buffers take
    int nCount;     // out: samples copied per channel
    uint16_t* pWave[7];  // I, II, III, aVF, aVL, aVR, V
};

struct OXY_SHOW_DATA {
    uint16_t u16Spo2;
    uint16_t u16Pr;
    uint8_t u8Strength;  // 0..15
    int nCapacity;
    int nCount;
    uint8_t* pWave;
};

struct RESP_SHOW_DATA {
    uint16_t u16Rr;
    int nCapacity;
    int nCount;
    uint8_t* pWave;
};

using EcgRing = CWaveRing<uint16_t, 7>;
using ByteRing = CWaveRing<uint8_t, 1>;

class CMonitorData : public CMonitorSettings, public CAlarmLists {
public:
    // Loads and validates every setting and fills the application's record-file paths.
    CMonitorData();
    ~CMonitorData();
    CMonitorData(const CMonitorData&) = delete;
    CMonitorData& operator=(const CMonitorData&) = delete;

    // Live-value setters (link thread). Each stores its argument under its block's lock.
    int SetEcgHr(uint16_t hr);
    int SetEcgSt(uint16_t st1, uint16_t st2);
    int SetEcgLeadOff(int leadOff, int lead2);
    int SetEcgPvcs(uint8_t pvcs);
    int SetEcgArra(uint8_t arra);
    int SetEcgBeat(int beat);
    int SetEcgPattern(const uint8_t* pattern);
    int SetRespRr(uint16_t rr);
    int SetRespApnea(uint8_t apnea);
    int SetSpo2(uint16_t spo2);
    int SetSpo2Pr(uint16_t pr);
    int SetSpo2Status(uint8_t status);
    int SetSpo2Strength(uint8_t strength);
    int SetTemp(uint16_t temp);
    int SetTempProbeOff(uint8_t probeOff);
    int SetAirOxy(uint8_t airOxy);
    int SetAirOxyProbeOff(uint8_t probeOff);

    // Wave setters: three time points each (ECG: 21 samples, time point by time point).
    int SetEcgWave(const uint16_t* samples);
    int SetEcgRecWave(const uint16_t* samples);
    int SetRespWave(const uint8_t* samples);
    int SetRespRecWave(const uint8_t* samples);
    int SetPlethWave(const uint8_t* samples);
    int SetPlethRecWave(const uint8_t* samples);

    // Getters.
    int GetEcgBeat(int* beat);  // reads and clears the beat flag
    int GetTemp(uint16_t* temp);
    int GetAirOxy(uint8_t* airOxy);
    int GetEcgHr(uint16_t* hr);
    int GetEcgSt(int16_t* st1, int16_t* st2);
    int GetEcgLeadOff(uint8_t* leadOff, uint8_t* lead2);
    int GetEcgPvcs(uint8_t* pvcs);
    int GetEcgArra(uint8_t* arra);
    int GetAirOxyProbeOff(uint8_t* probeOff);

    // Per-tick copies of the display rings with the values of the moment.
    int GetShowEcg(ECG_SHOW_DATA* show);
    int GetShowSpo2(OXY_SHOW_DATA* show);
    int GetShowResp(RESP_SHOW_DATA* show);

    // The patient record, copied whole under its lock.
    void GetPatient(CPatient* target);
    void SetPatient(const CPatient* source);

    // Alarm evaluation and the record builders (UI thread). CheckAlm runs every 500 ms after
    // the start-up phase, then BuildAlmRec; BuildDataRec runs on every 50 ms tick.
    void CheckAlm();
    void BuildDataRec();
    int FillAlmRec(SAVE_ALM* rec);
    int BuildAlmRec();

    bool InStartupPhase() const { return (m_dwStartupFlags.load() & g_dwStartupPhase) != 0; }
    void EndStartupPhase() { m_dwStartupFlags.fetch_and(~g_dwStartupPhase); }

    // Patient record.
    CPatient m_Patient;
    CCriticalSection m_csPatient;

    // Scratch data record with its five wave buffers.
    SAVE_DATA m_stDataRec;

    // ECG block.
    CCriticalSection m_csEcg;
    uint16_t m_wEcgHr;
    int16_t m_i16EcgSt1;
    int16_t m_i16EcgSt2;
    int m_nEcgLeadOff;
    int m_nEcgLead2;
    uint16_t m_wEcgPvcs;
    uint8_t m_byEcgArra;
    int m_nEcgBeat;
    EcgRing m_ringEcgShow;

    // Record ECG ring with its own lock.
    CCriticalSection m_csEcgRec;
    EcgRing m_ringEcgRec;

    // Respiration block.
    CCriticalSection m_csResp;
    uint16_t m_wRespRr;
    uint8_t m_byRespApnea;
    ByteRing m_ringRespShow;
    ByteRing m_ringRespRec;

    // SpO2 block.
    CCriticalSection m_csSpo2;
    uint16_t m_wSpo2;
    uint16_t m_wSpo2Pr;
    uint16_t m_wSpo2FingerOff;
    uint16_t m_wSpo2ProbeOff;
    uint8_t m_bySpo2Strength;
    ByteRing m_ringPlethShow;
    ByteRing m_ringPlethRec;

    // Temperature block.
    CCriticalSection m_csTemp;
    uint16_t m_wTemp;
    uint8_t m_byTempProbeOff;

    // NIBP block: no packet carries NIBP values, so these keep their markers.
    CCriticalSection m_csNibp;
    int16_t m_i16NibpSbp;
    int16_t m_i16NibpDbp;
    int16_t m_i16NibpMid;

    // Oxygen-concentration block.
    CCriticalSection m_csAirOxy;
    int8_t m_i8AirOxy;
    uint8_t m_byAirOxyProbeOff;

    // Scratch alarm record with its four wave buffers.
    SAVE_ALM m_stAlmRec;

    // Bit 0x4: start-up phase, set from construction until the link thread clears it.
    std::atomic<uint32_t> m_dwStartupFlags;

private:
    void AllocateScratchRecords();
    void FreeScratchRecords();
};
