#include <array>
#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

#include "alarmfixture.h"
#include "core/alarmrecordbuilder.h"
#include "core/datarecordbuilder.h"
#include "core/livevalues.h"
#include "support/waitfor.h"

namespace {

constexpr uint32_t kRing = 49152;

// Sample numbering: ECG channel c of time point t holds (t + c * 7) & 0xFFF, respiration and
// pleth bytes mixed from t, so a copy shows where it came from.
uint16_t EcgAt(uint32_t t, int c) { return static_cast<uint16_t>((t + static_cast<uint32_t>(c) * 7) & 0xFFF); }
uint8_t RespAt(uint32_t t) { return static_cast<uint8_t>((t * 3 + t / 256 + 1) & 0xFF); }
uint8_t PlethAt(uint32_t t) { return static_cast<uint8_t>((t * 5 + 2) & 0xFF); }

// The first i below n where got[i] is not want(i), or -1.
template <typename T, typename Want>
int FirstMismatch(const T* got, int n, Want want)
{
    for (int i = 0; i < n; ++i)
        if (got[i] != want(static_cast<uint32_t>(i))) return i;
    return -1;
}

// Two sets of live values in LIVE_VALUES order, every value distinct (sensor flags beyond the 0
// and 1 their setters give) and changed between sets, so a wrong field or a constant shows; the
// second name fills the name field.
struct LIVE_ROW {
    int hr, st1, st2, pvcs, rr, spo2, pr, sbp, dbp, mid, temp, fio2;
    int leadOff, arra, apnea, tempOff, fingerOff, spo2Off, fio2Off;
};
const LIVE_ROW kLive[2] = {
    {81, -12, 13, 4, 17, 94, 77, 118, 72, 88, 372, 33, 0x0B, 6, 2, 3, 7, 9, 5},
    {64, 25, -31, 12, 22, 91, 103, 131, 79, 96, 365, 45, 0x0D, 8, 10, 20, 19, 21, 18},
};
const char kLiveNames[] = "hr st1 st2 pvcs rr spo2 pr sbp dbp mid temp fio2 leadOff arra apnea tempOff fingerOff "
                          "spo2Off fio2Off";
const char16_t* const kNames[2] = {u"张三丰李四王五", u"欧阳张三丰李四王"};
static_assert(sizeof(LIVE_ROW) == sizeof(LIVE_VALUES) * 2, "a number for each live field");

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
    // Appends to each record ring a count of its own (multiples of 3), numbered from 0 per
    // ring, so a window taken from the wrong ring or position shows.
    void AppendUneven(uint32_t ecgCount, uint32_t respCount, uint32_t plethCount)
    {
        for (uint32_t t = 0; t < ecgCount; t += 3) {
            uint16_t ecg[21];
            for (uint32_t i = 0; i < 3; ++i)
                for (int c = 0; c < 7; ++c) ecg[i * 7 + c] = EcgAt(t + i, c);
            data->SetEcgRecWave(ecg);
        }
        for (uint32_t t = 0; t < respCount; t += 3) {
            const uint8_t resp[3] = {RespAt(t), RespAt(t + 1), RespAt(t + 2)};
            data->SetRespRecWave(resp);
        }
        for (uint32_t t = 0; t < plethCount; t += 3) {
            const uint8_t pleth[3] = {PlethAt(t), PlethAt(t + 1), PlethAt(t + 2)};
            data->SetPlethRecWave(pleth);
        }
    }
    uint32_t EcgCount()
    {
        CSingleLock guard(data->m_csEcgRec);
        return data->m_ringEcgRec.CountLocked();
    }
    // Gives every live value and sensor flag its number of a value set, and the patient a name.
    void SetLive(int set)
    {
        CMonitorData& d = *data;
        const LIVE_ROW& v = kLive[set];
        d.SetEcgHr(v.hr);
        d.SetEcgSt(v.st1, v.st2);
        d.SetEcgPvcs(v.pvcs);
        d.SetEcgLeadOff(v.leadOff, 0x0E);
        d.SetEcgArra(v.arra);
        d.SetRespRr(v.rr);
        d.SetRespApnea(v.apnea);
        d.SetSpo2(v.spo2);
        d.SetSpo2Pr(v.pr);
        d.SetTemp(v.temp);
        d.SetTempProbeOff(v.tempOff);
        d.SetAirOxy(v.fio2);
        d.SetAirOxyProbeOff(v.fio2Off);
        {
            CSingleLock guard(d.m_csSpo2);
            d.m_wSpo2FingerOff = v.fingerOff;
            d.m_wSpo2ProbeOff = v.spo2Off;
        }
        {
            CSingleLock guard(d.m_csNibp);
            d.m_i16NibpSbp = v.sbp;
            d.m_i16NibpDbp = v.dbp;
            d.m_i16NibpMid = v.mid;
        }
        CPatient patient;
        U16Copy(patient.m_szName, 9, kNames[set]);
        d.SetPatient(&patient);
    }
    // The value block after SetLive(set); an alarm record carries no mean pressure.
    static void ExpectLive(const REC_VALUES& v, int set, bool mean)
    {
        const auto columns = IntColumns(kLive, kLiveNames);
        ExpectColumnsApart(columns);
        const int got[] = {v.i16HR,  v.i16ST1, v.i16ST2, v.i16PVCs, v.i16RR,   v.i16SpO2,
                           v.i16PR,  v.i16SBP, v.i16DBP, v.i16MBP,  v.i16Temp, v.i8FiO2};
        for (size_t c = 0; c < std::size(got); ++c)
            EXPECT_EQ(got[c], c == 9 && !mean ? 0 : columns[c].values[set]) << columns[c].name;
        EXPECT_EQ(ToUtf8(v.szPatientName), ToUtf8(kNames[set]));
        EXPECT_EQ(v.szPatientName[std::char_traits<char16_t>::length(kNames[set])], 0);
    }
    // Spoils rec's wave buffers, expects build to give built, and then lead k to hold ECG channel
    // 0, 1, 6 (k = 0, 1, 2) from time point ecg on and the other two waves their own windows.
    template <class Rec>
    void ExpectWindows(Rec& rec, int ecgLen, int waveLen, uint32_t ecg, uint32_t resp, uint32_t pleth,
                       const std::function<int()>& build, int built)
    {
        for (uint16_t* lead : rec.pEcgWave) std::fill(lead, lead + ecgLen, 0x5A5A);
        std::memset(rec.pRespWave, 0x5A, waveLen);
        std::memset(rec.pPlethWave, 0x5A, waveLen);
        ASSERT_EQ(build(), built);
        for (int k = 0; k < static_cast<int>(std::size(rec.pEcgWave)); ++k) {
            const int c = k < 2 ? k : 6;
            EXPECT_EQ(FirstMismatch(rec.pEcgWave[k], ecgLen, [&](uint32_t i) { return EcgAt(ecg + i, c); }), -1) << k;
        }
        EXPECT_EQ(FirstMismatch(rec.pRespWave, waveLen, [&](uint32_t i) { return RespAt(resp + i); }), -1);
        EXPECT_EQ(FirstMismatch(rec.pPlethWave, waveLen, [&](uint32_t i) { return PlethAt(pleth + i); }), -1);
    }
    // Ring positions equal time points modulo the ring length.
    uint32_t m_time = 0;
};

// ---- live values ----

TEST_F(RecordBuilderTest, EveryLiveValueIsReadFromItsOwnField)
{
    const auto columns = IntColumns(kLive, kLiveNames);
    ExpectColumnsApart(columns);
    for (int set : {0, 1}) {
        SetLive(set);
        LIVE_VALUES live;
        std::memset(&live, 0x5A, sizeof live);
        ReadLiveValues(*data, &live);
        int16_t got[sizeof live / sizeof(int16_t)];
        std::memcpy(got, &live, sizeof got);
        for (size_t c = 0; c < std::size(got); ++c) EXPECT_EQ(got[c], columns[c].values[set]) << columns[c].name;
    }
}

// ---- data records ----

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

TEST_F(DataRecordBuilderTest, EveryValueAndTheNameComeFromTheirOwnFields)
{
    for (int set : {0, 1}) {
        SetLive(set);
        AppendWaves(1002);
        std::memset(&data->m_stDataRec.val, 0x5A, sizeof data->m_stDataRec.val);
        ASSERT_EQ(Build(), 1);
        ExpectLive(data->m_stDataRec.val, set, true);
    }
}

TEST_F(DataRecordBuilderTest, EachWaveComesFromItsOwnRingWhenTheRingsAreNotLevel)
{
    // ECG ahead of respiration ahead of pleth; the respiration ring alone holds fewer than a
    // record of samples.
    AppendUneven(1500, 900, 600);
    // The 250 samples that end 50 before each ring's own newest.
    ExpectWindows(data->m_stDataRec, g_i32ECGWaveLen, g_i32RespWaveLen, 0, 900 - 300, 600 - 300, [&] { return Build(); },
                  1);
    EXPECT_EQ(EcgCount(), 500u);
}

// ---- alarm records ----

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
        const int result = CAlarmRecordBuilder(*data).Build(&data->m_stAlmRec, [&out](SAVE_ALM* rec) {
            out.push_back({rec->idx, rec->val, {rec->pEcgWave[0], rec->pEcgWave[0] + g_i32AlmECGWaveLen},
                           {rec->pEcgWave[1], rec->pEcgWave[1] + g_i32AlmECGWaveLen},
                           {rec->pRespWave, rec->pRespWave + g_i32AlmRespWaveLen},
                           {rec->pPlethWave, rec->pPlethWave + g_i32AlmPlethWaveLen}});
        });
        EXPECT_EQ(result, 0) << "Build's result";
        return out;
    }
    // A high alarm in every row: each type has one code 2.
    void RaiseEveryRow()
    {
        for (const ALARM_ROW& row : kAlarmRows)
            if (row.code == 2) Raise(row);
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
    EXPECT_EQ(recs[1].idx.i16Limit, 95);
    EXPECT_EQ(recs[1].idx.i16Value, 80);
    EXPECT_EQ(recs[2].idx.u8AlmCode, 4);  // diastolic high
    EXPECT_EQ(recs[2].idx.i16Limit, 85);
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

TEST_F(AlarmRecordBuilderTest, AllRowsRaisedInOneCheckAreRecordedInRowOrderNibpBeforeTemperature)
{
    RaiseEveryRow();
    std::vector<int> types;
    for (const CapturedAlm& r : Build()) types.push_back(r.idx.u8AlmType);
    EXPECT_EQ(types, (std::vector<int>{1, 7, 8, 2, 3, 5, 4, 6}));
}

TEST_F(AlarmRecordBuilderTest, EachRecordedAlarmCarriesItsOwnTypeCodeLimitAndValue)
{
    SAVE_ALM& rec = data->m_stAlmRec;
    ForEachRow([&](const ALARM_ROW& row) {
        Raise(row);
        // What the builder leaves unwritten keeps this filling.
        std::memset(&rec.idx, 0x5A, sizeof rec.idx);
        std::memset(&rec.val, 0x5A, sizeof rec.val);
        const auto recs = Build();
        ASSERT_EQ(recs.size(), row.recorded ? 1u : 0u);
        if (!row.recorded) return;
        const ALM_INDEX& idx = recs[0].idx;
        EXPECT_EQ(idx.u8AlmType, row.type) << "u8AlmType";
        EXPECT_EQ(idx.u8AlmCode, row.code) << "u8AlmCode";
        EXPECT_EQ(idx.i16Limit, LimitOf(row)) << "i16Limit";
        EXPECT_EQ(idx.i16Value, ValueOf(row)) << "i16Value";
        EXPECT_EQ(idx.u8State, g_u8AlmStateComplete) << "u8State";
        EXPECT_EQ(idx.u8Reserved, 0) << "u8Reserved";
        EXPECT_EQ(idx.u16Slot, 0) << "u16Slot";
        EXPECT_EQ(ToUtf8(idx.szTime), "2026-12-07 08:00:00") << "szTime";
        EXPECT_EQ(ToUtf8(recs[0].val.szTime), "2026-12-07 08:00:00") << "value block szTime";
        EXPECT_EQ(recs[0].val.i16MBP, 0) << "i16MBP";
    });
}

TEST_F(AlarmRecordBuilderTest, EachRecordingSwitchOnAloneRecordsItsOwnRowAndNoOther)
{
    RaiseEveryRow();
    for (const RECORD_SWITCH& on : kRecordSwitches) {
        for (const RECORD_SWITCH& sw : kRecordSwitches)
            data.get()->*sw.field = &sw == &on ? g_i32AlmRecOn : g_i32AlmRecOff;
        std::vector<int> types;
        for (const CapturedAlm& r : Build()) types.push_back(r.idx.u8AlmType);
        EXPECT_EQ(types, std::vector<int>{on.type}) << "switch of type " << on.type;
    }
}

TEST_F(AlarmRecordBuilderTest, ValueBlockTakesEveryValueAndTheNameFromTheirOwnFields)
{
    for (int set : {0, 1}) {
        SetLive(set);
        std::memset(&data->m_stAlmRec.val, 0x5A, sizeof data->m_stAlmRec.val);
        ASSERT_EQ(data->FillAlmRec(&data->m_stAlmRec), 0);
        ExpectLive(data->m_stAlmRec.val, set, false);
    }
}

TEST_F(AlarmRecordBuilderTest, EachWaveWindowEndsBeforeItsOwnRingsNewestWhenTheRingsAreNotLevel)
{
    AppendUneven(9000, 4500, 3000);
    ExpectWindows(data->m_stAlmRec, g_i32AlmECGWaveLen, g_i32AlmRespWaveLen, 9000 - 6001, 4500 - 1501, 3000 - 1501,
                  [&] { return data->FillAlmRec(&data->m_stAlmRec); }, 0);
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

// ---- locks ----

// A call on a thread of its own, watched from this one while this one holds locks the call needs.
class WatchedCall {
public:
    explicit WatchedCall(std::function<void()> call)
        : m_thread([this, call] {
              m_tid = CurrentThreadId();
              call();
              m_ended = true;
          })
    {
        WaitFor([this] { return m_tid.load() != 0; }, std::chrono::milliseconds(1));
    }
    WatchedCall(const WatchedCall&) = delete;
    WatchedCall& operator=(const WatchedCall&) = delete;
    // Waits until the call has ended, or sleeps (waits for a lock) after more than `sleeps`
    // sleeps; returns whether it ended.
    bool EndsOrSleeps(long sleeps = -1)
    {
        WaitFor([&] { return m_ended.load() || (ThreadAsleep(m_tid) && ThreadSleeps(m_tid) > sleeps); },
                std::chrono::milliseconds(1));
        return m_ended.load();
    }
    long Sleeps() const { return ThreadSleeps(m_tid); }
    // Call after releasing the locks the call waits for.
    void Join() { m_thread.join(); }

private:
    std::atomic<pid_t> m_tid{0};
    std::atomic<bool> m_ended{false};
    std::thread m_thread;  // last: starts once the members above exist
};

class RecordLockThreadTest : public RecordBuilderTest {
protected:
    // Whether call ends while this thread holds lock; whileHeld runs before the lock is let go.
    static bool EndsWhileHeld(CCriticalSection& lock, const std::function<void()>& call,
                              const std::function<void()>& whileHeld = [] {})
    {
        lock.Lock();
        WatchedCall watched(call);
        const bool ended = watched.EndsOrSleeps();
        whileHeld();
        lock.Unlock();
        watched.Join();
        return ended;
    }
    int BuildDataRecord()
    {
        return CDataRecordBuilder(*data).Build(&data->m_stDataRec, [](SAVE_DATA*) {});
    }
};

TEST_F(RecordLockThreadTest, EachBlockOfLiveValuesIsReadUnderItsOwnLock)
{
    CMonitorData& d = *data;
    const struct {
        const char* lock;
        CCriticalSection* cs;
    } rows[] = {
        {"m_csEcg", &d.m_csEcg},   {"m_csResp", &d.m_csResp}, {"m_csSpo2", &d.m_csSpo2},
        {"m_csTemp", &d.m_csTemp}, {"m_csNibp", &d.m_csNibp}, {"m_csAirOxy", &d.m_csAirOxy},
    };
    for (const auto& row : rows) {
        LIVE_VALUES live;
        EXPECT_FALSE(EndsWhileHeld(*row.cs, [&] { ReadLiveValues(d, &live); })) << row.lock;
    }
}

TEST_F(RecordLockThreadTest, DataRecordNotesEachWavePositionUnderItsLockBeforeTakingSamples)
{
    CMonitorData& d = *data;
    const struct {
        const char* lock;
        CCriticalSection* cs;
    } rows[] = {{"m_csEcgRec", &d.m_csEcgRec}, {"m_csResp", &d.m_csResp}, {"m_csSpo2", &d.m_csSpo2}};
    int built = 0;
    for (const auto& row : rows) {
        AppendWaves(1002);
        const uint32_t before = EcgCount();
        uint32_t whileHeld = 0;
        // The count is atomic: it can be read here whichever lock is held.
        EXPECT_FALSE(EndsWhileHeld(*row.cs, [&] { built += BuildDataRecord(); },
                                   [&] { whileHeld = d.m_ringEcgRec.CountLocked(); }))
            << row.lock;
        EXPECT_EQ(whileHeld, before) << "samples taken while " << row.lock << " was held";
    }
    EXPECT_EQ(built, 3);
}

TEST_F(RecordLockThreadTest, DataRecordTakesTheEcgSamplesUnderTheRecordRingsLock)
{
    CMonitorData& d = *data;
    AppendWaves(1002);
    int built = 0;
    d.m_csSpo2.Lock();
    WatchedCall watched([&] { built = BuildDataRecord(); });
    EXPECT_FALSE(watched.EndsOrSleeps());  // waits at the pleth position, past the count check
    const long sleeps = watched.Sleeps();
    d.m_csEcgRec.Lock();
    d.m_csSpo2.Unlock();
    EXPECT_FALSE(watched.EndsOrSleeps(sleeps));
    EXPECT_EQ(d.m_ringEcgRec.CountLocked(), 1002u);
    d.m_csEcgRec.Unlock();
    watched.Join();
    EXPECT_EQ(built, 1);
    EXPECT_EQ(EcgCount(), 2u);
}

}  // namespace
