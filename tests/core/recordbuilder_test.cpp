#include <array>
#include <cstring>

#include "alarmfixture.h"
#include "core/alarmrecordbuilder.h"
#include "core/datarecordbuilder.h"

namespace {

constexpr uint32_t kRing = 49152;

// Sample numbering: ECG channel c of time point t holds (t + c * 7) & 0xFFF, respiration and
// pleth bytes mixed from t, so a copy shows where it came from.
uint16_t EcgAt(uint32_t t, int c) { return static_cast<uint16_t>((t + static_cast<uint32_t>(c) * 7) & 0xFFF); }
uint8_t RespAt(uint32_t t) { return static_cast<uint8_t>((t * 3 + t / 256 + 1) & 0xFF); }
uint8_t PlethAt(uint32_t t) { return static_cast<uint8_t>((t * 5 + 2) & 0xFF); }

class RecordBuilderTest : public AlarmFixture {
protected:
    // Appends n time points (a multiple of 3) to the record rings, as the parser does.
    void AppendWaves(uint32_t n)
    {
        for (uint32_t k = 0; k < n; k += 3, m_time += 3) {
            uint16_t ecg[21];
            uint8_t resp[3], pleth[3];
            for (uint32_t i = 0; i < 3; ++i) {
                for (int c = 0; c < 7; ++c) ecg[i * 7 + c] = EcgAt(m_time + i, c);
                resp[i] = RespAt(m_time + i);
                pleth[i] = PlethAt(m_time + i);
            }
            data->SetEcgRecWave(ecg);
            data->SetRespRecWave(resp);
            data->SetPlethRecWave(pleth);
        }
    }
    uint32_t EcgCount()
    {
        CSingleLock guard(data->m_csEcgRec);
        return data->m_ringEcgRec.CountLocked();
    }
    // Ring positions equal time points modulo the ring length.
    uint32_t m_time = 0;
};

// ---- data records -------------------------------------------------------------------------------

class DataRecordBuilderTest : public RecordBuilderTest {
protected:
    int Build()
    {
        return CDataRecordBuilder(*data).Build(&data->m_stDataRec, [this](SAVE_DATA* rec) {
            ++built;
            EXPECT_EQ(rec, &data->m_stDataRec);
        });
    }
    int built = 0;
};

TEST_F(DataRecordBuilderTest, WaitsForMoreThanOneRecordOfSamples)
{
    AppendWaves(999);
    EXPECT_EQ(Build(), 0);
    EXPECT_EQ(EcgCount(), 999u);
    AppendWaves(3);
    {
        CSingleLock guard(data->m_csEcgRec);
        data->m_ringEcgRec.TakeLocked(std::array<uint16_t*, 7>{}.data(), 2);  // leave exactly 1000
    }
    EXPECT_EQ(EcgCount(), 1000u);
    EXPECT_EQ(Build(), 0);
    EXPECT_EQ(built, 0);
}

TEST_F(DataRecordBuilderTest, TakesOneThousandSamplesOfLeadsOneTwoAndV)
{
    AppendWaves(1002);
    EXPECT_EQ(Build(), 1);
    EXPECT_EQ(built, 1);
    EXPECT_EQ(EcgCount(), 2u);
    const SAVE_DATA& rec = data->m_stDataRec;
    for (uint32_t i : {0u, 1u, 500u, 999u}) {
        EXPECT_EQ(rec.pEcgWave[0][i], EcgAt(i, 0));
        EXPECT_EQ(rec.pEcgWave[1][i], EcgAt(i, 1));
        EXPECT_EQ(rec.pEcgWave[2][i], EcgAt(i, 6));
    }
    // Respiration and pleth: the 250 samples that end 50 before the newest (1001).
    EXPECT_EQ(rec.pRespWave[0], RespAt(1002 - 300));
    EXPECT_EQ(rec.pRespWave[249], RespAt(1002 - 51));
    EXPECT_EQ(rec.pPlethWave[249], PlethAt(1002 - 51));
}

TEST_F(DataRecordBuilderTest, WorksOffABacklogOneRecordPerCall)
{
    AppendWaves(3003);
    EXPECT_EQ(Build(), 1);
    EXPECT_EQ(data->m_stDataRec.pEcgWave[0][0], EcgAt(0, 0));
    EXPECT_EQ(Build(), 1);
    EXPECT_EQ(data->m_stDataRec.pEcgWave[0][0], EcgAt(1000, 0));
    EXPECT_EQ(Build(), 1);
    EXPECT_EQ(data->m_stDataRec.pEcgWave[1][999], EcgAt(2999, 1));
    EXPECT_EQ(Build(), 0);
    EXPECT_EQ(built, 3);
    EXPECT_EQ(EcgCount(), 3u);
}

TEST_F(DataRecordBuilderTest, EarlyRecordCarriesTheMarkersAndTheDefaultName)
{
    data = std::make_unique<CMonitorData>();
    // Respiration and pleth have fewer than 300 samples: the window starts before position 0
    // and wraps to the never-written, zero-filled end of the ring.
    AppendWaves(1002);
    ASSERT_EQ(Build(), 1);
    const REC_VALUES& v = data->m_stDataRec.val;
    for (int16_t value : {v.i16HR, v.i16PVCs, v.i16RR, v.i16SpO2, v.i16PR, v.i16SBP, v.i16DBP, v.i16MBP, v.i16Temp})
        EXPECT_EQ(value, -100);
    EXPECT_EQ(v.i16ST1, -10000);
    EXPECT_EQ(v.i16ST2, -10000);
    EXPECT_EQ(v.i8FiO2, 0);
    EXPECT_EQ(ToUtf8(v.szPatientName), "姓名");
}

TEST_F(DataRecordBuilderTest, RespirationWindowBeforeTheFirstSamplesWrapsToTheRingEnd)
{
    // ECG arrives ahead of the other waves: 1002 ECG time points, 30 respiration samples.
    for (uint32_t t = 0; t < 1002; t += 3) {
        uint16_t ecg[21] = {};
        data->SetEcgRecWave(ecg);
    }
    for (uint32_t t = 0; t < 30; t += 3) {
        const uint8_t resp[3] = {static_cast<uint8_t>(t + 1), static_cast<uint8_t>(t + 2), static_cast<uint8_t>(t + 3)};
        data->SetRespRecWave(resp);
    }
    std::memset(data->m_stDataRec.pRespWave, 0xEE, g_i32RespWaveLen);
    ASSERT_EQ(Build(), 1);
    // Start = 30 - 300 modulo the ring: the never-written, zero-filled end of the ring.
    for (int i = 0; i < g_i32RespWaveLen; ++i) EXPECT_EQ(data->m_stDataRec.pRespWave[i], 0) << i;
}

TEST_F(DataRecordBuilderTest, WindowsAcrossTheWrapStartAtTheTrueModulo)
{
    AppendWaves(kRing + 30);  // write position 30, the ring's end holds the first round
    ASSERT_EQ(Build(), 1);
    const SAVE_DATA& rec = data->m_stDataRec;
    for (uint32_t i = 0; i < static_cast<uint32_t>(g_i32RespWaveLen); ++i) {
        ASSERT_EQ(rec.pRespWave[i], RespAt(kRing - 270 + i)) << i;
        ASSERT_EQ(rec.pPlethWave[i], PlethAt(kRing - 270 + i)) << i;
    }
}

TEST_F(DataRecordBuilderTest, FillsTheCurrentValuesAndName)
{
    AllNormal();
    data->SetEcgPvcs(3);
    CPatient patient;
    U16Copy(patient.m_szName, 9, u"张三丰李四王五");
    data->SetPatient(&patient);
    AppendWaves(1002);
    ASSERT_EQ(Build(), 1);
    const REC_VALUES& v = data->m_stDataRec.val;
    EXPECT_EQ(v.i16HR, 80);
    EXPECT_EQ(v.i16PVCs, 3);
    EXPECT_EQ(v.i16SBP, 110);
    EXPECT_EQ(v.i16DBP, 70);
    EXPECT_EQ(v.i16Temp, 370);
    EXPECT_EQ(v.i8FiO2, 30);
    EXPECT_EQ(ToUtf8(v.szPatientName), "张三丰李四王五");
}

// ---- alarm records ------------------------------------------------------------------------------

struct CapturedAlm {
    ALM_INDEX idx;
    REC_VALUES val;
    std::vector<uint16_t> ecg0, ecg1;
    std::vector<uint8_t> resp, pleth;
};

class AlarmRecordBuilderTest : public RecordBuilderTest {
protected:
    void SetUp() override
    {
        RecordBuilderTest::SetUp();
        AllNormal();
    }
    std::vector<CapturedAlm> Build()
    {
        std::vector<CapturedAlm> out;
        CAlarmRecordBuilder(*data).Build(&data->m_stAlmRec, [&out](SAVE_ALM* rec) {
            out.push_back({rec->idx, rec->val, {rec->pEcgWave[0], rec->pEcgWave[0] + g_i32AlmECGWaveLen},
                           {rec->pEcgWave[1], rec->pEcgWave[1] + g_i32AlmECGWaveLen},
                           {rec->pRespWave, rec->pRespWave + g_i32AlmRespWaveLen},
                           {rec->pPlethWave, rec->pPlethWave + g_i32AlmPlethWaveLen}});
        });
        return out;
    }
};

TEST_F(AlarmRecordBuilderTest, OneRecordPerNewAlarmOfARecordedRowInCodeOrder)
{
    data->SetEcgHr(130);
    data->SetEcgLeadOff(0x04, 0);
    data->m_i16NibpDbp = 90;
    data->m_i16NibpSbp = 80;
    data->CheckAlm();
    auto recs = Build();
    ASSERT_EQ(recs.size(), 3u);  // no record for the RA lead-off
    EXPECT_EQ(recs[0].idx.u8AlmType, 1);
    EXPECT_EQ(recs[0].idx.u8AlmCode, 2);
    EXPECT_EQ(recs[0].idx.i16Limit, 120);
    EXPECT_EQ(recs[0].idx.i16Value, 130);
    EXPECT_EQ(recs[1].idx.u8AlmType, 5);
    EXPECT_EQ(recs[1].idx.u8AlmCode, 1);
    EXPECT_EQ(recs[1].idx.i16Limit, 90);
    EXPECT_EQ(recs[1].idx.i16Value, 80);
    EXPECT_EQ(recs[2].idx.u8AlmCode, 4);  // diastolic high
    EXPECT_EQ(recs[2].idx.i16Limit, 80);
    EXPECT_EQ(recs[2].idx.i16Value, 90);
    for (const CapturedAlm& r : recs) {
        EXPECT_EQ(r.idx.u8State, 0);
        EXPECT_EQ(r.idx.u16Slot, 0);
        EXPECT_EQ(ToUtf8(r.idx.szTime), "2026-12-07 08:00:00");
        EXPECT_EQ(std::memcmp(r.idx.szTime, r.val.szTime, sizeof r.idx.szTime), 0);
        EXPECT_EQ(r.val.i16MBP, 0);
        EXPECT_EQ(r.val.i16HR, 130);
    }
    // The flags stay for TakeNewAlm: a second build repeats, after it nothing.
    EXPECT_EQ(Build().size(), 3u);
    data->TakeNewAlm();
    EXPECT_TRUE(Build().empty());
    data->CheckAlm();
    EXPECT_TRUE(Build().empty());
}

TEST_F(AlarmRecordBuilderTest, RowsFollowTheRecordingOrderAndSettings)
{
    data->SetTemp(400);
    data->SetSpo2(80);
    data->SetRespApnea(1);
    data->SetRespRr(9);
    data->SetAirOxy(static_cast<uint8_t>(-100));
    data->SetEcgArra(6);
    data->SetEcgSt(0, static_cast<uint16_t>(-30));
    data->m_nOxyAlmRec = g_i32AlmRecOff;
    data->CheckAlm();
    auto recs = Build();
    std::vector<std::pair<int, int>> got;
    for (const CapturedAlm& r : recs) got.emplace_back(r.idx.u8AlmType, r.idx.u8AlmCode);
    EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{7, 3}, {8, 6}, {2, 3}, {4, 2}, {6, 1}}));
    EXPECT_EQ(recs[0].idx.i16Limit, -20);
    EXPECT_EQ(recs[0].idx.i16Value, -30);
    EXPECT_EQ(recs[1].idx.i16Limit, 0);  // arrhythmia
    EXPECT_EQ(recs[1].idx.i16Value, 0);
    EXPECT_EQ(recs[2].idx.i16Limit, 0);  // apnoea: the rate, no limit
    EXPECT_EQ(recs[2].idx.i16Value, 9);
    EXPECT_EQ(recs[4].idx.i16Value, -100);
    EXPECT_EQ(static_cast<uint16_t>(recs[4].idx.i16Value), 65436);
    EXPECT_EQ(recs[4].val.i8FiO2, -100);
    // The SpO2 row was not recorded, and TakeNewAlm still clears its flag.
    EXPECT_EQ(data->m_u8NewAlm[ROW_SPO2][1], 1);
    EXPECT_EQ(data->TakeNewAlm(), 1);
    EXPECT_EQ(data->m_u8NewAlm[ROW_SPO2][1], 0);
}

TEST_F(AlarmRecordBuilderTest, NibpAndTemperatureRaisedInOneCheckAreRecordedNibpFirst)
{
    data->SetTemp(400);
    data->m_i16NibpSbp = 80;
    data->CheckAlm();
    std::vector<std::pair<int, int>> got;
    for (const CapturedAlm& r : Build()) got.emplace_back(r.idx.u8AlmType, r.idx.u8AlmCode);
    EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{5, 1}, {4, 2}}));
}

TEST_F(AlarmRecordBuilderTest, SensorAlarmsAreNeverRecorded)
{
    data->SetEcgLeadOff(0x0F, 0);
    data->SetSpo2Status(0x90);
    data->SetTempProbeOff(1);
    data->SetAirOxyProbeOff(1);
    data->CheckAlm();
    EXPECT_TRUE(Build().empty());
    EXPECT_EQ(data->TakeNewAlm(), 1);
}

TEST_F(AlarmRecordBuilderTest, TwelveSecondsOfWavesEndBeforeTheNewestSampleAcrossTheWrap)
{
    AppendWaves(kRing - 3000);
    {
        CSingleLock guard(data->m_csEcgRec);
        data->m_ringEcgRec.TakeLocked(std::array<uint16_t*, 7>{}.data(), static_cast<int>(kRing));
    }
    AppendWaves(6000);  // write position now 3000 past the wrap
    ASSERT_EQ(data->m_ringEcgRec.WriteIndex(), 3000u);
    data->SetEcgHr(130);
    data->CheckAlm();
    auto recs = Build();
    ASSERT_EQ(recs.size(), 1u);
    const uint32_t newest = m_time - 1;
    const CapturedAlm& r = recs[0];
    EXPECT_EQ(r.ecg0.front(), EcgAt(newest - 6000, 0));  // write position - 6001
    EXPECT_EQ(r.ecg0.back(), EcgAt(newest - 1, 0));
    EXPECT_EQ(r.ecg1.back(), EcgAt(newest - 1, 1));
    for (uint32_t i = 0; i < static_cast<uint32_t>(g_i32AlmECGWaveLen); ++i)
        ASSERT_EQ(r.ecg1[i], EcgAt(newest - 6000 + i, 1)) << i;
    EXPECT_EQ(r.resp.front(), RespAt(newest - 1500));
    EXPECT_EQ(r.resp.back(), RespAt(newest - 1));
    EXPECT_EQ(r.pleth.front(), PlethAt(newest - 1500));
    EXPECT_EQ(r.pleth.back(), PlethAt(newest - 1));
}

TEST_F(AlarmRecordBuilderTest, RecordBeforeAnyWaveHoldsZeros)
{
    AppendWaves(30);
    ASSERT_EQ(data->FillAlmRec(&data->m_stAlmRec), 0);
    const SAVE_ALM& rec = data->m_stAlmRec;
    for (int i = 0; i < g_i32AlmECGWaveLen - 30; ++i) ASSERT_EQ(rec.pEcgWave[0][i], 0) << i;
    EXPECT_EQ(rec.pEcgWave[0][g_i32AlmECGWaveLen - 1], EcgAt(28, 0));
    EXPECT_EQ(rec.pRespWave[0], 0);
    EXPECT_EQ(rec.pPlethWave[g_i32AlmPlethWaveLen - 1], PlethAt(28));
    EXPECT_EQ(ToUtf8(rec.val.szPatientName), "姓名");
    EXPECT_EQ(ToUtf8(rec.val.szTime), "2026-12-07 08:00:00");
}

}  // namespace
