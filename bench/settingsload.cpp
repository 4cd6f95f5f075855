// Start-up cost of the settings: the whole construction of the data object, which reads and
// validates every setting, over a typical settings file and over one of 1 MiB, the largest
// that is read. Each construction finds the file as a new start does: not yet parsed, and
// written well before. BM_SettingsLoadSideBySide times both in the same iteration and reports
// the two times and their difference in milliseconds.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "platform/apppaths.h"
#include "platform/privateprofile.h"

namespace {

// A settings file as the settings code writes it, every value valid. Its last line is a
// comment that each start numbers anew.
const char kTypical[] =
    "[ECG]\r\nALM_SW=1\r\nALM_LEVEL=1\r\nALM_REC=1\r\nHR_FORM=0\r\nHR_LEAD=1\r\nLEAD_MODE=0\r\n"
    "HR_ALM_H=120\r\nHR_ALM_L=50\r\nECG_TRAP=1\r\nPACE_SW=0\r\nWAVE_SPEED=0\r\nWAVE_GAIN=1\r\n"
    "WAVE_FILTER=1\r\nBEAT_VOL=2\r\nST_SW=1\r\nST_ALM_SW=1\r\nST_ALM_LEVEL=1\r\nST_ALM_REC=0\r\n"
    "ST_ALM_H=20\r\nST_ALM_L=-20\r\nISO=80\r\nST=40\r\nARRA_SW=1\r\nARRA_ALM_SW=1\r\n"
    "ARRA_ALM_LEVEL=2\r\nARRA_ALM_REC=1\r\nARRA_PVCS_ALM_H=10\r\n"
    "[RESP]\r\nALM_SW=1\r\nALM_LEVEL=1\r\nALM_REC=0\r\nAPNEA_TIME=1\r\nRR_ALM_H=30\r\nRR_ALM_L=8\r\n"
    "[TEMP]\r\nALM_SW=1\r\nALM_LEVEL=1\r\nALM_REC=0\r\nTEMP_ALM_H=390\r\nTEMP_ALM_L=350\r\n"
    "[OXY]\r\nALM_SW=1\r\nALM_LEVEL=2\r\nALM_REC=1\r\nOXY_ALM_H=100\r\nOXY_ALM_L=90\r\n"
    "OXY_PR_ALM_H=120\r\nOXY_PR_ALM_L=50\r\n"
    "[BP]\r\nALM_SW=1\r\nALM_LEVEL=1\r\nALM_REC=0\r\nSBP_ALM_H=120\r\nSBP_ALM_L=90\r\nDBP_ALM_H=80\r\n"
    "DBP_ALM_L=50\r\nPRESS=150\r\n"
    "[AIROXY]\r\nALM_SW=1\r\nALM_LEVEL=1\r\nALM_REC=0\r\nAIROXY_ALM_H=60\r\nAIROXY_ALM_L=21\r\n"
    "[SYS]\r\nALM_TIME=120\r\nALM_VOL=2\r\n"
    "[REC]\r\nDATA_SAVE_FILE_NAME=DataSave.dat\r\n";
const char kStartComment[] = "; start 0000000000\r\n";

// The typical file filled up to exactly 1 MiB with further keys of a section the monitor does
// not read.
std::string LargeText()
{
    std::string text = std::string(kTypical) + "[NOTES]\r\n";
    const size_t fill = g_u64ProfileSizeMax - (sizeof kStartComment - 1);
    for (int i = 0; text.size() < fill; ++i) text += "NOTE" + std::to_string(i) + "=1\r\n";
    text.resize(fill - 2);
    return text + "\r\n";
}

class SettingsFolder {
public:
    explicit SettingsFolder(const std::string& text) : m_text(text + kStartComment)
    {
        char pattern[] = "/tmp/bench-settings-XXXXXX";
        m_dir = mkdtemp(pattern);
    }
    ~SettingsFolder() { std::filesystem::remove_all(m_dir); }

    // One start of the monitor over this folder's settings file, in seconds.
    double Start()
    {
        Rewrite();
        theApp.ResetForTests();
        SetExeFolder(m_dir);
        auto begin = std::chrono::steady_clock::now();
        auto data = std::make_unique<CMonitorData>();
        benchmark::DoNotOptimize(data->m_nEcgHrAlmH);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    }

private:
    // Writes the file with a new number in its last line, so that no earlier parse of it can
    // serve, and dates it a minute back: a new start finds a file written well before.
    void Rewrite()
    {
        char number[12];
        std::snprintf(number, sizeof number, "%010ld", ++m_starts % 10000000000L);
        m_text.replace(m_text.size() - 12, 10, number);
        const std::string path = m_dir + "/Para.ini";
        std::ofstream(path, std::ios::binary) << m_text;
        timespec times[2] = {};
        clock_gettime(CLOCK_REALTIME, &times[0]);
        times[0].tv_sec -= 60;
        times[1] = times[0];
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    }

    std::string m_text;
    std::string m_dir;
    long m_starts = 0;
};

SettingsFolder& Typical()
{
    static SettingsFolder folder(kTypical);
    return folder;
}

SettingsFolder& Large()
{
    static SettingsFolder folder(LargeText());
    return folder;
}

void RunStarts(benchmark::State& state, SettingsFolder& folder)
{
    for (auto _ : state) state.SetIterationTime(folder.Start());
}

void BM_SettingsLoadTypical(benchmark::State& state) { RunStarts(state, Typical()); }
void BM_SettingsLoad1MiB(benchmark::State& state) { RunStarts(state, Large()); }

void BM_SettingsLoadSideBySide(benchmark::State& state)
{
    double typical = 0;
    double large = 0;
    for (auto _ : state) {
        double t = Typical().Start();
        double l = Large().Start();
        typical += t;
        large += l;
        state.SetIterationTime(t + l);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["typical_ms"] = typical / n * 1e3;
    state.counters["1MiB_ms"] = large / n * 1e3;
    state.counters["difference_ms"] = (large - typical) / n * 1e3;
}

}  // namespace

BENCHMARK(BM_SettingsLoadTypical)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SettingsLoad1MiB)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SettingsLoadSideBySide)->UseManualTime()->Unit(benchmark::kMillisecond);
