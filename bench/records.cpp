// Record store speed: durable record writes (every slot and header flushed to this machine's
// disk) against the real rate of one data record per 2 s, an alarm search over a full alarm file,
// and one step of the data review.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "appbase/tesmorapp.h"
#include "platform/filefaults.h"
#include "platform/uiloop.h"
#include "platform/wnd.h"
#include "records/almrecreceiver.h"
#include "records/threaddataalmrec.h"

namespace {

// A folder of record files in the working directory (on disk, unlike a RAM-backed /tmp).
class BenchFolder {
public:
    BenchFolder()
    {
        char pattern[] = "bench-records-XXXXXX";
        dir = std::filesystem::absolute(mkdtemp(pattern)).string();
        theApp.m_strDataSavePath = dir + "/DataSave.dat";
        theApp.m_strNibpSavePath = dir + "/NIBPSave.dat";
        theApp.m_strSysSavePath = dir + "/SysSave.dat";
        theApp.m_strAlmSavePath = dir + "/AlmSave.dat";
    }
    ~BenchFolder() { std::filesystem::remove_all(dir); }
    std::string dir;
};

struct DataSource {
    DataSource() : ecg(3 * g_i32ECGWaveLen, 2048), resp(g_i32RespWaveLen, 128), pleth(g_i32PlethWaveLen, 64)
    {
        for (int i = 0; i < 3; ++i) rec.pEcgWave[i] = ecg.data() + i * g_i32ECGWaveLen;
        rec.pRespWave = resp.data();
        rec.pPlethWave = pleth.data();
    }
    SAVE_DATA rec{};
    std::vector<WORD> ecg;
    std::vector<BYTE> resp, pleth;
};

struct AlmSource {
    AlmSource() : ecg(2 * g_i32AlmECGWaveLen, 2048), resp(g_i32AlmRespWaveLen, 1), pleth(g_i32AlmPlethWaveLen, 2)
    {
        for (int i = 0; i < 2; ++i) rec.pEcgWave[i] = ecg.data() + i * g_i32AlmECGWaveLen;
        rec.pRespWave = resp.data();
        rec.pPlethWave = pleth.data();
    }
    SAVE_ALM rec{};
    std::vector<WORD> ecg;
    std::vector<BYTE> resp, pleth;
};

class Receiver : public CWnd, public CAlmRecReceiver {
public:
    Receiver() { Create(nullptr, CRect(0, 0, 1, 1), 1); }
    SAVE_ALM* GetAlmRecord() override { return &sink.rec; }
    AlmSource sink;
};

void BM_DurableDataRecordWrite(benchmark::State& state)
{
    CFileFaults::SetDiskSync(true);
    BenchFolder folder;
    CThreadDataAlmRec rec;
    rec.InitInstance();
    DataSource src;
    for (auto _ : state) {
        rec.AddDataRecord(&src.rec);
        rec.RunPass();  // one slot write and one header write, each followed by fdatasync
    }
    // The monitor produces one data record per 2 s: items_per_second / 0.5 is the margin.
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DurableDataRecordWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DurableAlarmRecordWrite(benchmark::State& state)
{
    CFileFaults::SetDiskSync(true);
    BenchFolder folder;
    CThreadDataAlmRec rec;
    rec.InitInstance();
    AlmSource src;
    U16Copy(src.rec.idx.szTime, 20, u"2026-12-07 10:00:00");
    src.rec.idx.u8AlmType = 1;
    for (auto _ : state) {
        rec.AddAlmRecord(&src.rec);
        rec.RunPass();  // stub, record, header and commit mark, each flushed
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DurableAlarmRecordWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

// A full alarm file whose only alarm of type 1 lies 149 entries behind the newest: the first
// search scans the most entries a search can and then reads the 32 KiB record.
void BM_AlarmSearchFullFile(benchmark::State& state)
{
    CFileFaults::SetDiskSync(false);  // only the setup writes
    BenchFolder folder;
    CThreadDataAlmRec rec;
    rec.InitInstance();
    AlmSource src;
    for (int i = 0; i < 200; ++i) {
        U16Format(src.rec.idx.szTime, 20, "2026-12-07 10:%02d:%02d", i / 60, i % 60);
        src.rec.idx.u8AlmType = i == 50 ? 1 : 2;
        rec.AddAlmRecord(&src.rec);
        rec.RunPass();
    }
    CFileFaults::SetDiskSync(true);
    Receiver receiver;
    rec.m_pAlmWnd = &receiver;
    ALM_SEARCH cond{};
    U16Copy(cond.szStartTime, 20, u"2026-12-07 00:00:00");
    U16Copy(cond.szEndTime, 20, u"2026-12-07 23:59:59");
    cond.u8Kind = 1;
    cond.u8AlmType = static_cast<uint8_t>(state.range(0));
    for (auto _ : state) {
        rec.RequestAlmSearch(&cond);
        rec.RunPass();
        CUiLoop::Instance().DispatchPosted();
    }
    if (state.range(0) == 1 && receiver.sink.rec.idx.u8State != 0) state.SkipWithError("alarm not found");
}
BENCHMARK(BM_AlarmSearchFullFile)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);

// One step of the data review in a file of 2000 records, back and forth by 30 records.
void BM_DataReviewStep(benchmark::State& state)
{
    CFileFaults::SetDiskSync(false);
    BenchFolder folder;
    CThreadDataAlmRec rec;
    rec.InitInstance();
    DataSource src;
    for (int i = 0; i < 2000; ++i) {
        rec.AddDataRecord(&src.rec);
        rec.RunPass();
    }
    CFileFaults::SetDiskSync(true);
    DataSource req;
    int n = 0;
    for (auto _ : state) {
        req.rec.nMode = n++ % 2 == 0 ? 2 : 1;
        req.rec.nStep = 30;
        rec.RequestDataRecord(&req.rec);
        rec.RunPass();
    }
}
BENCHMARK(BM_DataReviewStep)->Unit(benchmark::kMicrosecond);

}  // namespace
