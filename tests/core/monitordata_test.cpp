#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "platform/apppaths.h"
#include "platform/fakeclock.h"
#include "platform/textu16.h"
#include "support/tempfolder.h"
#include "support/waitfor.h"

namespace {

class MonitorDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        theApp.ResetForTests();
        data = std::make_unique<CMonitorData>();
    }
    TempFolder folder;  // the program's folder
    std::unique_ptr<CMonitorData> data;
};

// Appends n time points numbered from first (channel c holds first + t + c * 1000).
void AppendEcg(CMonitorData& d, int first, int n)
{
    for (int t = 0; t < n; t += 3) {
        uint16_t s[21];
        for (int k = 0; k < 3; ++k)
            for (int c = 0; c < 7; ++c) s[k * 7 + c] = static_cast<uint16_t>((first + t + k + c * 1000) & 0xFFFF);
        d.SetEcgWave(s);
    }
}

struct EcgCopy {
    std::vector<uint16_t> buf[7];
    ECG_SHOW_DATA show{};
    explicit EcgCopy(int capacity)
    {
        show.nCapacity = capacity;
        for (int c = 0; c < 7; ++c) {
            buf[c].assign(static_cast<size_t>(capacity), 0);
            show.pWave[c] = buf[c].data();
        }
    }
};

TEST_F(MonitorDataTest, StartValuesAreTheNoValueMarkers)
{
    uint16_t hr = 0;
    data->GetEcgHr(&hr);
    EXPECT_EQ(static_cast<int16_t>(hr), -100);
    int16_t st1 = 0, st2 = 0;
    data->GetEcgSt(&st1, &st2);
    EXPECT_EQ(st1, -10000);
    EXPECT_EQ(st2, -10000);
    EXPECT_EQ(static_cast<int16_t>(data->m_wRespRr), -100);
    EXPECT_EQ(static_cast<int16_t>(data->m_wSpo2), -100);
    EXPECT_EQ(static_cast<int16_t>(data->m_wSpo2Pr), -100);
    EXPECT_EQ(static_cast<int16_t>(data->m_wTemp), -100);
    EXPECT_EQ(data->m_i16NibpSbp, -100);
    EXPECT_EQ(data->m_i16NibpDbp, -100);
    EXPECT_EQ(data->m_i16NibpMid, -100);
    uint8_t fio2 = 1, leadOff = 1, lead2 = 1, pvcs = 0;
    data->GetAirOxy(&fio2);
    data->GetEcgLeadOff(&leadOff, &lead2);
    data->GetEcgPvcs(&pvcs);
    EXPECT_EQ(fio2, 0);
    EXPECT_EQ(leadOff, 0);
    EXPECT_EQ(lead2, 0);
    EXPECT_EQ(pvcs, 0x9C);
    EXPECT_EQ(data->m_dwStartupFlags.load(), 4u);
    EXPECT_TRUE(data->InStartupPhase());
    data->EndStartupPhase();
    EXPECT_FALSE(data->InStartupPhase());
}

TEST_F(MonitorDataTest, SettersStoreWhatTheParserHandsOver)
{
    data->SetSpo2Status(0x90);
    EXPECT_EQ(data->m_wSpo2FingerOff, 1);
    EXPECT_EQ(data->m_wSpo2ProbeOff, 1);
    data->SetSpo2Status(0x10);
    EXPECT_EQ(data->m_wSpo2FingerOff, 0);
    EXPECT_EQ(data->m_wSpo2ProbeOff, 1);
    data->SetEcgLeadOff(0x1F3, 0x102);
    uint8_t leadOff = 0, lead2 = 0;
    data->GetEcgLeadOff(&leadOff, &lead2);
    EXPECT_EQ(leadOff, 0xF3);
    EXPECT_EQ(lead2, 0x02);
}

TEST_F(MonitorDataTest, BeatFlagIsReadAndCleared)
{
    int beat = -1;
    data->SetEcgBeat(1);
    data->GetEcgBeat(&beat);
    EXPECT_EQ(beat, 1);
    data->GetEcgBeat(&beat);
    EXPECT_EQ(beat, 0);
    data->SetEcgBeat(1);
    data->SetEcgBeat(1);
    data->SetEcgBeat(1);
    data->GetEcgBeat(&beat);
    EXPECT_EQ(beat, 1);
    data->GetEcgBeat(&beat);
    EXPECT_EQ(beat, 0);
}

TEST_F(MonitorDataTest, ShowCopyDeliversSamplesInArrivalOrderAndDrains)
{
    AppendEcg(*data, 0, 21);
    EcgCopy copy(64);
    data->GetShowEcg(&copy.show);
    ASSERT_EQ(copy.show.nCount, 21);
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(copy.buf[0][i], i);
        EXPECT_EQ(copy.buf[6][i], 6000 + i);
    }
    data->GetShowEcg(&copy.show);
    EXPECT_EQ(copy.show.nCount, 0);
}

TEST_F(MonitorDataTest, ShowCopyIsLimitedByCapacityAndStillFillsValues)
{
    AppendEcg(*data, 0, 99);
    data->SetEcgHr(72);
    EcgCopy copy(64);
    data->GetShowEcg(&copy.show);
    EXPECT_EQ(copy.show.nCount, 64);
    EXPECT_EQ(copy.show.u16Hr, 72);
    data->GetShowEcg(&copy.show);
    EXPECT_EQ(copy.show.nCount, 35);
    EXPECT_EQ(copy.buf[0][0], 64);
    EcgCopy none(0);
    data->SetEcgHr(80);
    data->GetShowEcg(&none.show);
    EXPECT_EQ(none.show.nCount, 0);
    EXPECT_EQ(none.show.u16Hr, 80);
}

TEST_F(MonitorDataTest, RingWrapsAtTheEndOfTheBuffer)
{
    // Bring the write index to 49149, drain, then append across the end.
    const int cap = static_cast<int>(EcgRing::kCapacity);
    EcgCopy drain(4096);
    for (int done = 0; done < cap - 3; done += 4095) {
        int n = std::min(4095, cap - 3 - done);
        AppendEcg(*data, done, n);
        data->GetShowEcg(&drain.show);
        ASSERT_EQ(drain.show.nCount, n);
    }
    ASSERT_EQ(data->m_ringEcgShow.WriteIndex(), static_cast<uint32_t>(cap - 3));
    AppendEcg(*data, 1, 9);
    EXPECT_EQ(data->m_ringEcgShow.WriteIndex(), 6u);
    EcgCopy copy(64);
    data->GetShowEcg(&copy.show);
    ASSERT_EQ(copy.show.nCount, 9);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(copy.buf[0][i], 1 + i);
}

TEST_F(MonitorDataTest, OverflowKeepsTheCountAndDeliversTheNewestRingInOrder)
{
    const int cap = static_cast<int>(EcgRing::kCapacity);
    AppendEcg(*data, 0, cap + 9);  // 16387 appends: three past a full ring
    EXPECT_EQ(data->m_ringEcgShow.CountLocked(), static_cast<uint32_t>(cap));
    EcgCopy copy(64);
    data->GetShowEcg(&copy.show);
    ASSERT_EQ(copy.show.nCount, 64);
    // The oldest kept sample is time point 9; the rest follow in order.
    for (int i = 0; i < 64; ++i) EXPECT_EQ(copy.buf[0][i], 9 + i);
    // Drained by 64, not a multiple of three, and filled again past full: the count stays
    // within the capacity after every append and the copy resumes at the oldest kept sample.
    for (int t = cap + 9; t < cap + 9 + 66; t += 3) {
        AppendEcg(*data, t, 3);
        ASSERT_LE(data->m_ringEcgShow.CountLocked(), static_cast<uint32_t>(cap)) << "time point " << t;
    }
    data->GetShowEcg(&copy.show);
    ASSERT_EQ(copy.show.nCount, 64);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(copy.buf[0][i], 9 + 66 + i);  // cap + 75 written in all
}

TEST_F(MonitorDataTest, PatientRecordHasTodaysDefaultsAndCopiesWhole)
{
    FakeClock clock;
    LocalTime lt;
    lt.year = 2026;
    lt.month = 3;
    lt.day = 9;
    clock.SetLocalTime(lt);
    CPatient fresh;
    EXPECT_EQ(ToUtf8(fresh.m_szId), "1234567");
    EXPECT_EQ(ToUtf8(fresh.m_szName), "姓名");
    EXPECT_EQ(ToUtf8(fresh.m_szShort1), "0");
    EXPECT_EQ(ToUtf8(fresh.m_szDate1), "2026-03-09");
    EXPECT_EQ(ToUtf8(fresh.m_szDate2), "2026-03-09");
    EXPECT_EQ(fresh.m_nSex, 0);

    CPatient in;
    U16Copy(in.m_szName, 9, u"一二三四五六七八");
    U16Copy(in.m_szId, 32, u"A-77");
    in.m_nSex = 1;
    in.m_nReserved1 = 5;
    data->SetPatient(&in);
    CPatient out;
    out.m_nReserved1 = 9;
    data->GetPatient(&out);
    EXPECT_EQ(ToUtf8(out.m_szName), "一二三四五六七八");
    EXPECT_EQ(ToUtf8(out.m_szId), "A-77");
    EXPECT_EQ(out.m_nSex, 1);
    EXPECT_EQ(out.m_nReserved1, 9);  // not carried by the copy
}

TEST(MonitorDataThreadTest, WriterAndReaderMeetInOrder)
{
    theApp.ResetForTests();
    TempFolder folder;
    CMonitorData data;
    const int total = 300000;  // several laps of the ring, never more than a ring ahead
    std::thread writer([&] {
        for (int t = 0; t < total; t += 3) {
            uint8_t s[3] = {static_cast<uint8_t>(t), static_cast<uint8_t>(t + 1), static_cast<uint8_t>(t + 2)};
            while (true) {
                {
                    CSingleLock guard(data.m_csResp);
                    if (data.m_ringRespShow.CountLocked() < 40000) break;
                }
                std::this_thread::yield();
            }
            data.SetRespWave(s);
        }
    });
    int received = 0;
    bool inOrder = true;
    std::vector<uint8_t> buf(64);
    RESP_SHOW_DATA show{};
    show.nCapacity = 64;
    show.pWave = buf.data();
    while (received < total) {
        data.GetShowResp(&show);
        for (int i = 0; i < show.nCount; ++i) inOrder = inOrder && buf[i] == static_cast<uint8_t>(received + i);
        received += show.nCount;
        if (show.nCount == 0) std::this_thread::yield();
    }
    writer.join();
    EXPECT_EQ(received, total);
    EXPECT_TRUE(inOrder);
}

// Time point t of the overrun test: channels 0 and 1 carry t, the others a mark derived from it.
uint16_t OverrunSample(uint32_t t, int c)
{
    if (c == 0) return static_cast<uint16_t>(t & 0xFFFF);
    if (c == 1) return static_cast<uint16_t>(t >> 16);
    return static_cast<uint16_t>((t * 7 + static_cast<uint32_t>(c)) & 0xFFFF);
}

TEST(MonitorDataThreadTest, WriterOverrunningAFullRingNeverTearsWhatTheReaderTakes)
{
    theApp.ResetForTests();
    TempFolder folder;
    CMonitorData data;
    const uint32_t cap = EcgRing::kCapacity;
    const uint32_t total = 8 * cap;
    std::atomic<uint32_t> written{0};
    std::thread writer([&] {
        for (uint32_t t = 0; t < total; t += 3) {
            uint16_t s[21];
            for (int k = 0; k < 3; ++k)
                for (int c = 0; c < 7; ++c) s[k * 7 + c] = OverrunSample(t + static_cast<uint32_t>(k), c);
            data.SetEcgWave(s);
            written.store(t + 3);
        }
    });
    // The reader starts a lap behind a full ring, then takes 64 at a time while the writer
    // keeps going past it.
    const bool lapped = WaitFor([&] { return written.load() >= 2 * cap; }, std::chrono::milliseconds(1));
    EcgCopy copy(64);
    uint32_t delivered = 0, dropped = 0, expected = 0, maxCount = 0;
    bool intact = true;
    for (bool last = false; !last;) {
        last = written.load() == total;
        data.GetShowEcg(&copy.show);
        {
            CSingleLock guard(data.m_csEcg);
            maxCount = std::max(maxCount, data.m_ringEcgShow.CountLocked());
        }
        for (int i = 0; i < copy.show.nCount; ++i) {
            const uint32_t t = copy.buf[0][i] | static_cast<uint32_t>(copy.buf[1][i]) << 16;
            for (int c = 2; c < 7; ++c) intact = intact && copy.buf[c][i] == OverrunSample(t, c);
            // Within one copy the time points follow each other; between copies only forward.
            if (i == 0 && t > expected) dropped += t - expected;
            intact = intact && (i == 0 ? t >= expected : t == expected);
            expected = t + 1;
        }
        delivered += static_cast<uint32_t>(copy.show.nCount);
        if (last && copy.show.nCount > 0) last = false;  // drain what is left
        if (copy.show.nCount == 0) std::this_thread::yield();
    }
    writer.join();
    EXPECT_TRUE(lapped);
    EXPECT_TRUE(intact);
    EXPECT_LE(maxCount, cap);
    EXPECT_GE(dropped, cap);
    EXPECT_EQ(delivered + dropped, total);
}

}  // namespace
