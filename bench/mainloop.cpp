// The main loop of the whole monitor in one process, headless, with its real threads: one
// full 50 ms tick (the copies out of the data object, the alarm step every tenth tick, every
// control drawn and the frame composed), and the time from start-up to the first frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "appbase/tesmorapp.h"
#include "app/tesmordlg.h"
#include "core/monitordata.h"
#include "platform/apppaths.h"
#include "platform/headlessscreen.h"

namespace {

using Clock = std::chrono::steady_clock;

double Micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

// A settings file with every alarm group switched on and recorded.
void PrepareFolder()
{
    static std::string folder;
    if (folder.empty()) {
        char pattern[] = "/tmp/tesmor-bench-XXXXXX";
        folder = mkdtemp(pattern);
        std::ofstream ini(folder + "/Para.ini");
        for (const char* section : {"ECG", "RESP", "TEMP", "OXY", "BP", "AIROXY"})
            ini << "[" << section << "]\nALM_SW=1\nALM_LEVEL=2\nALM_REC=1\n";
        ini << "[ECG]\nST_ALM_SW=1\nARRA_ALM_SW=1\n";
    }
    SetExeFolder(folder);
}

struct Monitor {
    CHeadlessScreen screen{CTesmorDlg::kWidth, CTesmorDlg::kHeight};
    CTesmorDlg dlg;
    Monitor()
    {
        PrepareFolder();
        theApp.ResetForTests();
        theApp.m_pMonitorData = new CMonitorData();
        dlg.CreateMain();
        screen.PaintPass();
    }
    ~Monitor()
    {
        dlg.DestroyWindow();
        delete theApp.m_pMonitorData;
        theApp.m_pMonitorData = nullptr;
    }
};

void BM_StartupToFirstFrame(benchmark::State& state)
{
    for (auto _ : state) {
        auto start = Clock::now();
        Monitor* monitor = new Monitor();  // the constructor paints the first frame
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        delete monitor;
    }
}
BENCHMARK(BM_StartupToFirstFrame)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_MainTick(benchmark::State& state)
{
    Monitor monitor;
    theApp.m_pMonitorData->EndStartupPhase();  // values and alarms from the first tick on
    const int ticks = static_cast<int>(state.range(0));
    std::vector<double> us;
    us.reserve(static_cast<size_t>(ticks));
    for (auto _ : state) {
        for (int i = 0; i < ticks; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(CTesmorDlg::kTimerPeriodMs));
            auto start = Clock::now();
            monitor.dlg.OnTimer(CTesmorDlg::kTimerMain);
            monitor.screen.PaintPass();
            us.push_back(Micros(Clock::now() - start));
        }
        double total = 0;
        for (double u : us) total += u;
        state.SetIterationTime(total / 1e6);
    }
    std::sort(us.begin(), us.end());
    state.counters["median_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[us.size() * 99 / 100];
    state.counters["max_us"] = us.back();
    state.counters["ticks"] = static_cast<double>(us.size());
}
BENCHMARK(BM_MainTick)->Arg(400)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);

}  // namespace
