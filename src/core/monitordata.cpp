#include "core/monitordata.h"

#include <cstring>

#include "appbase/tesmorapp.h"
#include "core/alarmcheck.h"
#include "core/alarmrecordbuilder.h"
#include "core/datarecordbuilder.h"
#include "records/threaddataalmrec.h"

CMonitorData::CMonitorData() : CMonitorSettings(), CAlarmLists(static_cast<CMonitorSettings&>(*this))
{
    // Every setting of this start, the record-file names included, comes from one version of
    // the file, even when it is replaced meanwhile.
    m_ParaIni.HoldFileVersion();
    LoadSettings();
    FillRecordPaths();
    m_ParaIni.ReleaseFileVersion();
    AllocateScratchRecords();

    m_wEcgHr = static_cast<uint16_t>(g_i16InvalidHr);
    m_i16EcgSt1 = g_i16InvalidSt;
    m_i16EcgSt2 = g_i16InvalidSt;
    m_nEcgLeadOff = 0;
    m_nEcgLead2 = 0;
    m_wEcgPvcs = static_cast<uint16_t>(g_i16InvalidPvcs);
    m_byEcgArra = 0;
    m_nEcgBeat = 0;
    m_wRespRr = static_cast<uint16_t>(g_i16InvalidRr);
    m_byRespApnea = 0;
    m_wSpo2 = static_cast<uint16_t>(g_i16InvalidSpo2);
    m_wSpo2Pr = static_cast<uint16_t>(g_i16InvalidPr);
    m_wSpo2FingerOff = 0;
    m_wSpo2ProbeOff = 0;
    m_bySpo2Strength = 0;
    m_wTemp = static_cast<uint16_t>(g_i16InvalidTemp);
    m_byTempProbeOff = 0;
    m_i16NibpSbp = g_i16InvalidSbp;
    m_i16NibpDbp = g_i16InvalidDbp;
    m_i16NibpMid = -100;
    m_i8AirOxy = 0;
    m_byAirOxyProbeOff = 0;

    m_dwStartupFlags.store(g_dwStartupPhase);
    CheckPara();
}

CMonitorData::~CMonitorData() { FreeScratchRecords(); }

void CMonitorData::AllocateScratchRecords()
{
    // Zero-filled, so a record built before any wave has arrived holds zeros, not garbage.
    std::memset(&m_stDataRec, 0, sizeof m_stDataRec);
    for (auto& wave : m_stDataRec.pEcgWave) wave = new WORD[g_i32ECGWaveLen]();
    m_stDataRec.pRespWave = new BYTE[g_i32RespWaveLen]();
    m_stDataRec.pPlethWave = new BYTE[g_i32PlethWaveLen]();

    std::memset(&m_stAlmRec, 0, sizeof m_stAlmRec);
    for (auto& wave : m_stAlmRec.pEcgWave) wave = new WORD[g_i32AlmECGWaveLen]();
    m_stAlmRec.pRespWave = new BYTE[g_i32AlmRespWaveLen]();
    m_stAlmRec.pPlethWave = new BYTE[g_i32AlmPlethWaveLen]();
}

void CMonitorData::FreeScratchRecords()
{
    for (auto& wave : m_stDataRec.pEcgWave) delete[] wave;
    delete[] m_stDataRec.pRespWave;
    delete[] m_stDataRec.pPlethWave;
    for (auto& wave : m_stAlmRec.pEcgWave) delete[] wave;
    delete[] m_stAlmRec.pRespWave;
    delete[] m_stAlmRec.pPlethWave;
}

// ---- live-value setters -------------------------------------------------------------------

int CMonitorData::SetEcgHr(uint16_t hr)
{
    CSingleLock guard(m_csEcg);
    m_wEcgHr = hr;
    return 0;
}

int CMonitorData::SetEcgSt(uint16_t st1, uint16_t st2)
{
    CSingleLock guard(m_csEcg);
    m_i16EcgSt1 = static_cast<int16_t>(st1);
    m_i16EcgSt2 = static_cast<int16_t>(st2);
    return 0;
}

int CMonitorData::SetEcgLeadOff(int leadOff, int lead2)
{
    CSingleLock guard(m_csEcg);
    m_nEcgLeadOff = leadOff & 0xFF;
    m_nEcgLead2 = lead2 & 0xFF;
    return 0;
}

int CMonitorData::SetEcgPvcs(uint8_t pvcs)
{
    CSingleLock guard(m_csEcg);
    m_wEcgPvcs = pvcs;
    return 0;
}

int CMonitorData::SetEcgArra(uint8_t arra)
{
    CSingleLock guard(m_csEcg);
    m_byEcgArra = arra;
    return 0;
}

int CMonitorData::SetEcgBeat(int beat)
{
    CSingleLock guard(m_csEcg);
    m_nEcgBeat = beat;
    return 0;
}

int CMonitorData::SetEcgPattern(const uint8_t* /*pattern*/) { return 0; }

int CMonitorData::SetRespRr(uint16_t rr)
{
    CSingleLock guard(m_csResp);
    m_wRespRr = rr;
    return 0;
}

int CMonitorData::SetRespApnea(uint8_t apnea)
{
    CSingleLock guard(m_csResp);
    m_byRespApnea = apnea;
    return 0;
}

int CMonitorData::SetSpo2(uint16_t spo2)
{
    CSingleLock guard(m_csSpo2);
    m_wSpo2 = spo2;
    return 0;
}

int CMonitorData::SetSpo2Pr(uint16_t pr)
{
    CSingleLock guard(m_csSpo2);
    m_wSpo2Pr = pr;
    return 0;
}

int CMonitorData::SetSpo2Status(uint8_t status)
{
    CSingleLock guard(m_csSpo2);
    m_wSpo2FingerOff = (status & 0x80) != 0 ? 1 : 0;
    m_wSpo2ProbeOff = (status & 0x10) != 0 ? 1 : 0;
    return 0;
}

int CMonitorData::SetSpo2Strength(uint8_t strength)
{
    CSingleLock guard(m_csSpo2);
    m_bySpo2Strength = strength;
    return 0;
}

int CMonitorData::SetTemp(uint16_t temp)
{
    CSingleLock guard(m_csTemp);
    m_wTemp = temp;
    return 0;
}

int CMonitorData::SetTempProbeOff(uint8_t probeOff)
{
    CSingleLock guard(m_csTemp);
    m_byTempProbeOff = probeOff;
    return 0;
}

int CMonitorData::SetAirOxy(uint8_t airOxy)
{
    CSingleLock guard(m_csAirOxy);
    m_i8AirOxy = static_cast<int8_t>(airOxy);
    return 0;
}

int CMonitorData::SetAirOxyProbeOff(uint8_t probeOff)
{
    CSingleLock guard(m_csAirOxy);
    m_byAirOxyProbeOff = probeOff;
    return 0;
}

// ---- wave setters -------------------------------------------------------------------------

int CMonitorData::SetEcgWave(const uint16_t* samples)
{
    m_ringEcgShow.Append3(samples, m_csEcg);
    return 0;
}

int CMonitorData::SetEcgRecWave(const uint16_t* samples)
{
    m_ringEcgRec.Append3(samples, m_csEcgRec);
    return 0;
}

int CMonitorData::SetRespWave(const uint8_t* samples)
{
    m_ringRespShow.Append3(samples, m_csResp);
    return 0;
}

int CMonitorData::SetRespRecWave(const uint8_t* samples)
{
    m_ringRespRec.Append3(samples, m_csResp);
    return 0;
}

int CMonitorData::SetPlethWave(const uint8_t* samples)
{
    m_ringPlethShow.Append3(samples, m_csSpo2);
    return 0;
}

int CMonitorData::SetPlethRecWave(const uint8_t* samples)
{
    m_ringPlethRec.Append3(samples, m_csSpo2);
    return 0;
}

// ---- getters ------------------------------------------------------------------------------

int CMonitorData::GetEcgBeat(int* beat)
{
    CSingleLock guard(m_csEcg);
    *beat = m_nEcgBeat;
    m_nEcgBeat = 0;
    return 0;
}

int CMonitorData::GetTemp(uint16_t* temp)
{
    CSingleLock guard(m_csTemp);
    *temp = m_wTemp;
    return 0;
}

int CMonitorData::GetAirOxy(uint8_t* airOxy)
{
    CSingleLock guard(m_csAirOxy);
    *airOxy = static_cast<uint8_t>(m_i8AirOxy);
    return 0;
}

int CMonitorData::GetEcgHr(uint16_t* hr)
{
    CSingleLock guard(m_csEcg);
    *hr = m_wEcgHr;
    return 0;
}

int CMonitorData::GetEcgSt(int16_t* st1, int16_t* st2)
{
    CSingleLock guard(m_csEcg);
    *st1 = m_i16EcgSt1;
    *st2 = m_i16EcgSt2;
    return 0;
}

int CMonitorData::GetEcgLeadOff(uint8_t* leadOff, uint8_t* lead2)
{
    CSingleLock guard(m_csEcg);
    *leadOff = static_cast<uint8_t>(m_nEcgLeadOff);
    *lead2 = static_cast<uint8_t>(m_nEcgLead2);
    return 0;
}

int CMonitorData::GetEcgPvcs(uint8_t* pvcs)
{
    CSingleLock guard(m_csEcg);
    *pvcs = static_cast<uint8_t>(m_wEcgPvcs & 0xFF);
    return 0;
}

int CMonitorData::GetEcgArra(uint8_t* arra)
{
    CSingleLock guard(m_csEcg);
    *arra = m_byEcgArra;
    return 0;
}

int CMonitorData::GetAirOxyProbeOff(uint8_t* probeOff)
{
    CSingleLock guard(m_csAirOxy);
    *probeOff = m_byAirOxyProbeOff;
    return 0;
}

// ---- per-tick copies ----------------------------------------------------------------------

int CMonitorData::GetShowEcg(ECG_SHOW_DATA* show)
{
    CSingleLock guard(m_csEcg);
    show->nCount = m_ringEcgShow.TakeLocked(show->pWave, show->nCapacity);
    show->u16Hr = m_wEcgHr;
    show->i16St1 = m_i16EcgSt1;
    show->i16St2 = m_i16EcgSt2;
    show->i16Pvcs = static_cast<int16_t>(m_wEcgPvcs);
    show->u8LeadOff = static_cast<uint8_t>(m_nEcgLeadOff);
    show->u8Lead2 = static_cast<uint8_t>(m_nEcgLead2);
    return 0;
}

int CMonitorData::GetShowSpo2(OXY_SHOW_DATA* show)
{
    CSingleLock guard(m_csSpo2);
    show->nCount = m_ringPlethShow.TakeLocked(&show->pWave, show->nCapacity);
    show->u16Spo2 = m_wSpo2;
    show->u16Pr = m_wSpo2Pr;
    show->u8Strength = m_bySpo2Strength;
    return 0;
}

int CMonitorData::GetShowResp(RESP_SHOW_DATA* show)
{
    CSingleLock guard(m_csResp);
    show->nCount = m_ringRespShow.TakeLocked(&show->pWave, show->nCapacity);
    show->u16Rr = m_wRespRr;
    return 0;
}

// ---- patient ------------------------------------------------------------------------------

void CMonitorData::GetPatient(CPatient* target)
{
    CSingleLock guard(m_csPatient);
    m_Patient.CopyTo(*target);
}

void CMonitorData::SetPatient(const CPatient* source)
{
    CSingleLock guard(m_csPatient);
    m_Patient.CopyFrom(*source);
}

// ---- alarm evaluation and record builders -------------------------------------------------

void CMonitorData::CheckAlm() { CAlarmCheck(*this).Run(); }

int CMonitorData::FillAlmRec(SAVE_ALM* rec) { return CAlarmRecordBuilder(*this).Fill(rec); }

// Without a running record thread a built record is dropped.
void CMonitorData::BuildDataRec()
{
    CDataRecordBuilder(*this).Build(&m_stDataRec, [](SAVE_DATA* rec) {
        if (theApp.m_pThreadDataAlmRec != nullptr) theApp.m_pThreadDataAlmRec->AddDataRecord(rec);
    });
}

int CMonitorData::BuildAlmRec()
{
    return CAlarmRecordBuilder(*this).Build(&m_stAlmRec, [](SAVE_ALM* rec) {
        if (theApp.m_pThreadDataAlmRec != nullptr) theApp.m_pThreadDataAlmRec->AddAlmRecord(rec);
    });
}
