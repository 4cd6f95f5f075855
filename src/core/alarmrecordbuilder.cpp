#include "core/alarmrecordbuilder.h"

#include <cstring>

#include "core/alarmcatalogue.h"
#include "core/monitordata.h"
#include "core/ringwindow.h"

namespace {
// The window ends with the sample before the newest one.
constexpr uint32_t kEcgBack = g_i32AlmECGWaveLen + 1;
constexpr uint32_t kRespBack = g_i32AlmRespWaveLen + 1;
constexpr uint32_t kPlethBack = g_i32AlmPlethWaveLen + 1;
// Types in the order their rows are recorded (SpO2 and NIBP before temperature).
constexpr int kRecordOrder[] = {1, 7, 8, 2, 3, 5, 4, 6};
}  // namespace

int CAlarmRecordBuilder::Fill(SAVE_ALM* rec)
{
    CMonitorData& d = m_data;
    ReadLiveValues(d, &m_live);
    const uint32_t ecgEnd = d.m_ringEcgRec.WriteIndex();
    const uint32_t respEnd = d.m_ringRespRec.WriteIndex();
    const uint32_t plethEnd = d.m_ringPlethRec.WriteIndex();
    // The link thread only appends ahead of the write positions read above.
    for (int c = 0; c < 2; ++c) CopyRingWindow(d.m_ringEcgRec, c, ecgEnd, kEcgBack, g_i32AlmECGWaveLen, rec->pEcgWave[c]);
    CopyRingWindow(d.m_ringRespRec, 0, respEnd, kRespBack, g_i32AlmRespWaveLen, rec->pRespWave);
    CopyRingWindow(d.m_ringPlethRec, 0, plethEnd, kPlethBack, g_i32AlmPlethWaveLen, rec->pPlethWave);

    FillRecValues(m_live, &rec->val);
    rec->val.i16MBP = 0;
    FormatTimeText(rec->val.szTime);
    CopyPatientName(d, rec->val.szPatientName);
    return 0;
}

int CAlarmRecordBuilder::Build(SAVE_ALM* rec, const Sink& sink)
{
    for (int type : kRecordOrder) {
        const ALARM_TYPE_INFO& info = *FindAlarmType(type);
        if (m_data.*info.pRecord != g_i32AlmRecOn) continue;
        for (int code = 1; code < ALARM_CODES; ++code)
            if (m_data.m_u8NewAlm[info.eRow][code] != 0 && !IsSensorAlarmCode(type, code)) BuildOne(rec, type, code, sink);
    }
    return 0;
}

void CAlarmRecordBuilder::BuildOne(SAVE_ALM* rec, int type, int code, const Sink& sink)
{
    // Arrhythmia records carry limit and value 0; every other recorded alarm has its check.
    const ALARM_CHECK* check = FindAlarmCheck(type, code);
    if (check == nullptr && type != 8) return;
    Fill(rec);
    ALM_INDEX& idx = rec->idx;
    std::memcpy(idx.szTime, rec->val.szTime, sizeof idx.szTime);
    idx.u8State = g_u8AlmStateComplete;
    idx.u8AlmType = static_cast<uint8_t>(type);
    idx.u8AlmCode = static_cast<uint8_t>(code);
    idx.u8Reserved = 0;
    idx.u16Slot = 0;
    const bool hasLimit = check != nullptr && check->pLimit != nullptr;
    const bool hasValue = check != nullptr && check->pValue != nullptr;
    idx.i16Limit = static_cast<int16_t>(hasLimit ? m_data.*check->pLimit : 0);
    idx.i16Value = hasValue ? m_live.*check->pValue : 0;
    sink(rec);
}
