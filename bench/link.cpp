// The device link without a thread: simulator ticks, parsing into the data object and the
// per-tick show copies the main dialog takes, reported as simulated seconds of monitoring per
// second of CPU time.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "link/uartdatathread.h"
#include "platform/apppaths.h"

namespace {

struct ShowBuffers {
    uint16_t ecg[7][64];
    uint8_t resp[64];
    uint8_t pleth[64];
    ECG_SHOW_DATA ecgShow{};
    RESP_SHOW_DATA respShow{};
    OXY_SHOW_DATA oxyShow{};

    ShowBuffers()
    {
        for (int c = 0; c < 7; ++c) ecgShow.pWave[c] = ecg[c];
        respShow.pWave = resp;
        oxyShow.pWave = pleth;
    }
    void Take(CMonitorData& data)
    {
        ecgShow.nCapacity = respShow.nCapacity = oxyShow.nCapacity = 64;
        data.GetShowEcg(&ecgShow);
        data.GetShowResp(&respShow);
        data.GetShowSpo2(&oxyShow);
    }
};

void BM_LinkSimulatedSeconds(benchmark::State& state)
{
    theApp.ResetForTests();
    static const bool scratch = [] {
        char folder[] = "/tmp/tesmor-link-XXXXXX";  // one scratch folder for the settings file
        if (mkdtemp(folder) == nullptr) return false;
        SetExeFolder(folder);
        return true;
    }();
    (void)scratch;
    auto data = std::make_unique<CMonitorData>();
    UartDataThread link(data.get());
    ShowBuffers show;
    int64_t ticks = 0;
    for (auto _ : state) {
        link.Tick();
        show.Take(*data);
        ++ticks;
    }
    benchmark::DoNotOptimize(show.ecg[0][0]);
    // One tick stands for 48 ms of monitoring; the rate is taken over CPU time.
    state.counters["simulated_s_per_cpu_s"] =
        benchmark::Counter(static_cast<double>(ticks) * UartDataThread::kSimTickMs / 1000.0, benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_LinkSimulatedSeconds);
