#include "core/livevalues.h"

#include "core/monitordata.h"
#include "platform/clock.h"
#include "platform/textu16.h"

void ReadLiveValues(CMonitorData& d, LIVE_VALUES* out)
{
    {
        CSingleLock guard(d.m_csEcg);
        out->i16Hr = static_cast<int16_t>(d.m_wEcgHr);
        out->i16St1 = d.m_i16EcgSt1;
        out->i16St2 = d.m_i16EcgSt2;
        out->i16Pvcs = static_cast<int16_t>(d.m_wEcgPvcs);
        out->i16LeadOff = static_cast<int16_t>(d.m_nEcgLeadOff & 0xFF);
        out->i16Arra = d.m_byEcgArra;
    }
    {
        CSingleLock guard(d.m_csResp);
        out->i16Rr = static_cast<int16_t>(d.m_wRespRr);
        out->i16Apnea = d.m_byRespApnea;
    }
    {
        CSingleLock guard(d.m_csSpo2);
        out->i16Spo2 = static_cast<int16_t>(d.m_wSpo2);
        out->i16Pr = static_cast<int16_t>(d.m_wSpo2Pr);
        out->i16FingerOff = static_cast<int16_t>(d.m_wSpo2FingerOff);
        out->i16Spo2ProbeOff = static_cast<int16_t>(d.m_wSpo2ProbeOff);
    }
    {
        CSingleLock guard(d.m_csTemp);
        out->i16Temp = static_cast<int16_t>(d.m_wTemp);
        out->i16TempProbeOff = d.m_byTempProbeOff;
    }
    {
        CSingleLock guard(d.m_csNibp);
        out->i16Sbp = d.m_i16NibpSbp;
        out->i16Dbp = d.m_i16NibpDbp;
        out->i16Mid = d.m_i16NibpMid;
    }
    {
        CSingleLock guard(d.m_csAirOxy);
        out->i16AirOxy = d.m_i8AirOxy;
        out->i16AirOxyProbeOff = d.m_byAirOxyProbeOff;
    }
}

void FillRecValues(const LIVE_VALUES& live, REC_VALUES* val)
{
    val->i16HR = live.i16Hr;
    val->i16ST1 = live.i16St1;
    val->i16ST2 = live.i16St2;
    val->i16PVCs = live.i16Pvcs;
    val->i16RR = live.i16Rr;
    val->i16SpO2 = live.i16Spo2;
    val->i16PR = live.i16Pr;
    val->i16SBP = live.i16Sbp;
    val->i16DBP = live.i16Dbp;
    val->i16MBP = live.i16Mid;
    val->i16Temp = live.i16Temp;
    val->i8FiO2 = static_cast<int8_t>(live.i16AirOxy);
}

void FormatTimeText(char16_t* dst)
{
    const LocalTime t = GetLocalTime();
    U16Format(dst, 20, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

void CopyPatientName(CMonitorData& data, char16_t* dst)
{
    CPatient patient;
    data.GetPatient(&patient);
    U16Copy(dst, 9, patient.m_szName);
}
