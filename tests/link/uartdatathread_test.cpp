#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "link/uartdatathread.h"
#include "link/wavetemplates.h"
#include "linktest.h"
#include "support/waitfor.h"
#include "platform/fakeclock.h"

using namespace linktest;

namespace {

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        data = FreshData();
        link = std::make_unique<UartDataThread>(data.get());
    }
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i) link->Tick();
    }
    uint16_t Hr() { return linktest::Hr(*data); }

    FakeClock clock{1000};
    std::unique_ptr<CMonitorData> data;
    std::unique_ptr<UartDataThread> link;
};

// The seven channels the monitor shows for a simulator sample s, which drives I, II and V alike.
std::vector<int> ExpectedChannels(int s)
{
    int half = (s - 2048) / 2;
    return {s, s, 2048, s - 2048 - half + 2048, s - 2048 - half + 2048, 2048 - (2 * s - 4096) / 2, s};
}

// The lead I sample the simulator sends at stream position k: each frame of three time points
// takes two template entries, the second one twice.
int SimEcgSample(uint64_t k)
{
    int p = static_cast<int>((2 * (k / 3)) % g_i32EcgTemplateLen);
    return g_stEcgTemplate[k % 3 == 0 ? p : (p + 1) % g_i32EcgTemplateLen].nSample;
}

}  // namespace

TEST_F(LinkTest, HundredTicksFillValuesAndRingsExactly)
{
    Ticks(100);
    EXPECT_EQ(link->RxRing().Count(), 0);
    EXPECT_EQ(link->Parser().BadFrames(), 0u);
    EXPECT_EQ(link->Parser().SkippedBytes(), 0u);

    auto ecg = TakeEcg(*data, 4096);
    ASSERT_EQ(ecg[0].size(), 2400u);  // 8 frames of 3 time points per tick
    for (int k = 0; k < 2400; ++k) {
        auto want = ExpectedChannels(SimEcgSample(static_cast<uint64_t>(k)));
        for (int c = 0; c < 7; ++c) ASSERT_EQ(ecg[c][k], want[c]) << "time point " << k << " c" << c;
    }
    {
        CSingleLock guard(data->m_csEcgRec);
        EXPECT_EQ(data->m_ringEcgRec.CountLocked(), 2400u);
    }
    Bytes resp = TakeResp(*data);
    Bytes pleth = TakePleth(*data);
    ASSERT_EQ(resp.size(), 600u);
    ASSERT_EQ(pleth.size(), 600u);
    for (int i = 0; i < 600; ++i) {
        ASSERT_EQ(resp[i], g_i32RespTemplate[i % 375] & 0xFF) << i;
        ASSERT_EQ(pleth[i], g_i32PlethTemplate[i % 250]) << i;
    }

    int16_t st1 = 1, st2 = 1;
    uint16_t temp = 0;
    uint8_t fio2 = 0;
    int beat = 0;
    data->GetEcgSt(&st1, &st2);
    data->GetTemp(&temp);
    data->GetAirOxy(&fio2);
    data->GetEcgBeat(&beat);
    // HR, ST1, ST2, RR, SpO2, PR, strength, temperature, oxygen, beat.
    EXPECT_EQ(std::vector<int>({Hr(), st1, st2, data->m_wRespRr, data->m_wSpo2, data->m_wSpo2Pr, data->m_bySpo2Strength,
                                temp, fio2, beat}),
              std::vector<int>({30, 0, 0, 15, 100, 30, g_i32PlethTemplate[599 % 250] / 6, 371, 30, 1}));
    EXPECT_TRUE(data->InStartupPhase());  // ticks alone do not end the start-up phase
}

TEST_F(LinkTest, ValuesKeepTheirMarkersUntilTheirFirstFrame)
{
    Ticks(19);
    EXPECT_EQ(static_cast<int16_t>(Hr()), -100);
    Ticks(1);
    EXPECT_EQ(Hr(), 30);
    EXPECT_EQ(static_cast<int16_t>(data->m_wTemp), -100);
    Ticks(5);
    EXPECT_EQ(data->m_wTemp, 371);
}

TEST_F(LinkTest, ChangedSimulatorValueArrivesWithTheNextScheduledFrame)
{
    Ticks(25);
    {
        CSingleLock guard(theApp.m_csSim);
        theApp.m_nSimHr = 120;
        theApp.m_wSimTemp = 390;
    }
    Ticks(14);  // tick 39
    EXPECT_EQ(Hr(), 30);
    Ticks(1);  // tick 40
    EXPECT_EQ(Hr(), 120);
    EXPECT_EQ(data->m_wTemp, 371);
    Ticks(10);  // tick 50
    EXPECT_EQ(data->m_wTemp, 390);
}

TEST_F(LinkTest, StartupPhaseEndsOnceStrictlyAfterFifteenSeconds)
{
    data->m_dwStartupFlags.fetch_or(0x11);
    link->BeginLoop(5000);
    link->LoopPass(5000 + 15000);
    EXPECT_TRUE(data->InStartupPhase());
    link->LoopPass(5000 + 15001);
    EXPECT_EQ(data->m_dwStartupFlags.load(), 0x11u);
    link->LoopPass(5000 + 30000);
    EXPECT_EQ(data->m_dwStartupFlags.load(), 0x11u);
}

TEST_F(LinkTest, StartupCheckSurvivesTheTickCountWrap)
{
    link->BeginLoop(0xFFFFF000u);
    link->LoopPass(0xFFFFF000u + 15000u);  // wrapped past zero
    EXPECT_TRUE(data->InStartupPhase());
    link->LoopPass(0xFFFFF000u + 15001u);
    EXPECT_FALSE(data->InStartupPhase());
}

TEST_F(LinkTest, LatePassIsMadeUpOneSimulatorTickPerPass)
{
    const DWORD t0 = 100000;
    link->BeginLoop(t0);
    auto frames = [&] { return link->Parser().GoodFrames(); };
    link->LoopPass(t0);
    EXPECT_EQ(frames(), 0u);
    const uint32_t perTick = 12;  // 8 ECG, 2 respiration, 2 pleth frames
    std::vector<uint32_t> perPass;
    for (DWORD t : {200u, 204u, 208u, 212u, 216u, 220u, 240u, 244u}) {
        uint32_t before = frames();
        link->LoopPass(t0 + t);
        perPass.push_back((frames() - before) / perTick);
    }
    // Held up for 200 ms: four ticks are due; the fifth comes at 240 ms.
    EXPECT_EQ(perPass, (std::vector<uint32_t>{1, 1, 1, 1, 0, 0, 1, 0}));
}

TEST_F(LinkTest, CatchUpAfterALongStallKeepsTheRingsWithinCapacityAndInOrder)
{
    // Held up for 160 s, the loop makes up one 48 ms tick per 4 ms pass while the screen takes
    // 64 samples every 50 ms: the display ring fills and the writer goes past the reader.
    const uint32_t cap = EcgRing::kCapacity;
    const DWORD t0 = 100000;
    link->BeginLoop(t0);
    uint64_t written = 0;  // ECG time points sent so far
    uint64_t next = 0;     // the time point the screen takes next
    bool overran = false;
    DWORD nextDraw = 160000;
    for (DWORD t = 160000; t < 200000; t += UartDataThread::kPassSleepMs) {
        const int pos = link->Simulator().EcgPosition();
        link->LoopPass(t0 + t);
        if (link->Simulator().EcgPosition() != pos) written += 24;
        {
            CSingleLock guard(data->m_csEcg);
            ASSERT_LE(data->m_ringEcgShow.CountLocked(), cap) << "at " << t << " ms";
        }
        {
            CSingleLock guard(data->m_csEcgRec);
            ASSERT_LE(data->m_ringEcgRec.CountLocked(), cap) << "at " << t << " ms";
        }
        if (t < nextDraw) continue;
        nextDraw += 50;
        auto ecg = TakeEcg(*data, 64);
        if (written - next > cap) {
            next = written - cap;  // the oldest time point still in the ring
            overran = true;
        }
        for (size_t i = 0; i < ecg[0].size(); ++i)
            ASSERT_EQ(ecg[0][i], SimEcgSample(next + i)) << "time point " << next + i << " at " << t << " ms";
        next += ecg[0].size();
    }
    EXPECT_TRUE(overran);
    EXPECT_EQ(written - next, static_cast<uint64_t>(data->m_ringEcgShow.CountLocked()));
}

// A fake clock that sets the link's stop flag once the loop has slept for a given time.
class StoppingClock : public FakeClock {
public:
    StoppingClock(DWORD start, DWORD stopAfter) : FakeClock(start), m_start(start), m_stopAfter(stopAfter) {}
    void SleepFor(DWORD ms) override
    {
        FakeClock::SleepFor(ms);
        if (m_link != nullptr && TickCount() - m_start >= m_stopAfter) m_link->m_bExit = 1;
    }
    UartDataThread* m_link = nullptr;

private:
    DWORD m_start;
    DWORD m_stopAfter;
};

TEST(LinkLoopTest, RunOnTheFakeClockEndsStartupAndStopsOnTheFlag)
{
    auto data = FreshData();
    StoppingClock clock(7000, 20000);
    UartDataThread link(data.get());
    clock.m_link = &link;
    EXPECT_TRUE(link.InitInstance());  // COM0 cannot be opened; the link runs all the same
    EXPECT_EQ(link.Run(), 0);
    EXPECT_EQ(link.SerialPort(), nullptr);  // closed and deleted by ExitInstance
    EXPECT_FALSE(data->InStartupPhase());
    EXPECT_EQ(clock.TickCount(), 7000u + 20000u);
    auto ecg = TakeEcg(*data, 20000);
    EXPECT_EQ(ecg[0].size(), static_cast<size_t>(20000 / 48 * 24));
    EXPECT_EQ(Hr(*data), 30);
}

TEST(UartDataThreadThreadTest, StartsRunsTakesCommandsAndStops)
{
    auto data = FreshData();
    theApp.m_nComPort = -1;
    CThreadHandle handle;
    UartDataThread* link = AfxBeginThread<UartDataThread>(&handle, data.get());
    EXPECT_EQ(link->SendNibpReset(), 0);
    EXPECT_EQ(link->SendRespGain(2), 0);
    WaitFor([&] { return Hr(*data) == 30; });
    auto ecg = TakeEcg(*data, 4096);
    EXPECT_GT(ecg[0].size(), 0u);
    EXPECT_EQ(Hr(*data), 30);
    link->m_bExit = 1;
    EXPECT_TRUE(handle.Join());
    theApp.m_nComPort = 0;
}
