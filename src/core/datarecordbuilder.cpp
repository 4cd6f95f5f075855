#include "core/datarecordbuilder.h"

#include "core/livevalues.h"
#include "core/monitordata.h"
#include "core/ringwindow.h"

namespace {
constexpr uint32_t kEcgPerRecord = g_i32ECGWaveLen;
// Respiration and pleth: the 2 s that end 50 samples before the newest.
constexpr uint32_t kWaveBack = 300;
}  // namespace

int CDataRecordBuilder::Build(SAVE_DATA* rec, const Sink& sink)
{
    CMonitorData& d = m_data;
    {
        CSingleLock guard(d.m_csEcgRec);
        if (d.m_ringEcgRec.CountLocked() <= kEcgPerRecord) return 0;
    }
    uint32_t respEnd, plethEnd;
    {
        CSingleLock guard(d.m_csResp);
        respEnd = d.m_ringRespRec.WriteIndex();
    }
    {
        CSingleLock guard(d.m_csSpo2);
        plethEnd = d.m_ringPlethRec.WriteIndex();
    }
    {
        // Leads I, II and V of the record; the other channels are derived again when shown.
        WORD* out[7] = {rec->pEcgWave[0], rec->pEcgWave[1], nullptr, nullptr, nullptr, nullptr, rec->pEcgWave[2]};
        CSingleLock guard(d.m_csEcgRec);
        d.m_ringEcgRec.TakeLocked(out, static_cast<int>(kEcgPerRecord));
    }
    CopyRingWindow(d.m_ringRespRec, 0, respEnd, kWaveBack, g_i32RespWaveLen, rec->pRespWave);
    CopyRingWindow(d.m_ringPlethRec, 0, plethEnd, kWaveBack, g_i32PlethWaveLen, rec->pPlethWave);

    LIVE_VALUES live;
    ReadLiveValues(d, &live);
    FillRecValues(live, &rec->val);
    CopyPatientName(d, rec->val.szPatientName);
    sink(rec);
    return 1;
}
