// Helpers of the record-store tests: a scratch folder for the four record files, a record thread
// with readable internals, records whose waves derive from an id (a torn one shows), raw file access.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "appbase/tesmorapp.h"
#include "platform/fakeclock.h"
#include "platform/filefaults.h"
#include "platform/uiloop.h"
#include "records/threaddataalmrec.h"
#include "support/said.h"
#include "support/tempfolder.h"

// A fresh folder under the test temp dir; the application's record paths point into it.
class RecordFolder {
public:
    RecordFolder();
    ~RecordFolder();
    const std::string& Dir() const { return m_folder.Path(); }
    std::string Path(const char* name) const { return m_folder.File(name); }

private:
    TempFolder m_folder;
};

class TestRecThread : public CThreadDataAlmRec {
public:
    using CThreadDataAlmRec::m_bAlmBusy;
    using CThreadDataAlmRec::m_bAlmCancel;
    using CThreadDataAlmRec::m_bAlmFileErr;
    using CThreadDataAlmRec::m_bAlmFound;
    using CThreadDataAlmRec::m_bDataFileErr;
    using CThreadDataAlmRec::m_bNibpFileErr;
    using CThreadDataAlmRec::m_bSysFileErr;
    using CThreadDataAlmRec::m_listAlmQueue;
    using CThreadDataAlmRec::m_listDataQueue;
    using CThreadDataAlmRec::m_listDataReq;
    using CThreadDataAlmRec::m_listSysQueue;
    using CThreadDataAlmRec::m_pAlmIndex;
    using CThreadDataAlmRec::m_stAlmResult;
    using CThreadDataAlmRec::m_u32AlmAnchor;
    using CThreadDataAlmRec::m_u32AlmCount;
    using CThreadDataAlmRec::m_u32AlmCur;
    using CThreadDataAlmRec::m_u32AlmWrite;
    using CThreadDataAlmRec::m_u32DataCount;
    using CThreadDataAlmRec::m_u32DataRead;
    using CThreadDataAlmRec::m_u32DataWrite;
    using CThreadDataAlmRec::m_u32NibpCount;
    using CThreadDataAlmRec::m_u32NibpWrite;
    using CThreadDataAlmRec::m_u32SysCount;
    using CThreadDataAlmRec::m_u32SysWrite;
    using CThreadDataAlmRec::m_u8AlmQueryState;
    using CThreadDataAlmRec::m_u8NibpQueryState;
    using CThreadDataAlmRec::CreateDataFile;
    using CThreadDataAlmRec::m_stDataHead;
    using CThreadDataAlmRec::OpenDataFile;

    // Runs passes until every producer queue is empty (at most `limit` passes).
    void Drain(int limit = 1000);
    // Queue one record (alarms of code 2) and run one pass; the queue's answer, 1 when it dropped it.
    int StoreData(uint32_t id);
    int StoreAlarm(uint8_t type, const char* time, uint32_t id);
    int StoreEvent(const char* format, uint32_t n = 0);
};

// A test of the record thread driven pass by pass, on record files in a folder of its own.
class RecordFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        CFileFaults::Reset();
        CUiLoop::Instance().DispatchPosted();  // nothing left over for a window of an earlier test
    }
    void TearDown() override { CFileFaults::Reset(); }
    // A new record thread that has opened or made its files; what that start said.
    virtual TestRecThread& Start()
    {
        thread = std::make_unique<TestRecThread>();
        thread->InitInstance();
        return *thread;
    }
    std::string StartSaying() { return Said([this] { Start(); }); }
    // One pass of the record thread, then the answers it posted are delivered.
    void Serve()
    {
        thread->RunPass();
        CUiLoop::Instance().DispatchPosted();
    }
    FakeClock clock;
    RecordFolder folder;
    std::unique_ptr<TestRecThread> thread;
    // The four record files as the application names them.
    std::string& dataPath = theApp.m_strDataSavePath;
    std::string& nibpPath = theApp.m_strNibpSavePath;
    std::string& sysPath = theApp.m_strSysSavePath;
    std::string& almPath = theApp.m_strAlmSavePath;
};

// Sample k of wave `which` of the record with this id.
WORD EcgSample(uint32_t id, int which, int k);
BYTE ByteSample(uint32_t id, int which, int k);

// A record with full-size wave buffers, all zeros (to receive an answer) or derived from an id.
template <class Rec, int kChannels, int kEcgLen, int kByteLen>
class RecordBuffers {
public:
    RecordBuffers() : resp(kByteLen), pleth(kByteLen)
    {
        for (int c = 0; c < kChannels; ++c) {
            ecg[c].assign(kEcgLen, 0);
            rec.pEcgWave[c] = ecg[c].data();
        }
        rec.pRespWave = resp.data();
        rec.pPlethWave = pleth.data();
    }
    void FillWaves(uint32_t id)
    {
        for (int c = 0; c < kChannels; ++c)
            for (int k = 0; k < kEcgLen; ++k) ecg[c][k] = EcgSample(id, c, k);
        for (int k = 0; k < kByteLen; ++k) resp[k] = ByteSample(id, 0, k), pleth[k] = ByteSample(id, 1, k);
    }
    Rec rec{};
    std::vector<WORD> ecg[kChannels];
    std::vector<BYTE> resp, pleth;
};
using DataRecordSink = RecordBuffers<SAVE_DATA, 3, g_i32ECGWaveLen, g_i32RespWaveLen>;
using AlmRecordSink = RecordBuffers<SAVE_ALM, 2, g_i32AlmECGWaveLen, g_i32AlmRespWaveLen>;

// A data record whose values and waves are derived from id.
struct DataRecordSource : DataRecordSink {
    explicit DataRecordSource(uint32_t id);
};

// An alarm record of type and code at time text `time`, waves derived from id.
struct AlmRecordSource : AlmRecordSink {
    AlmRecordSource(uint8_t type, uint8_t code, const char* time, uint32_t id);
};

// The id a record carries in its values (HR and PR words).
uint32_t DataId(const REC_VALUES& v);
// The id an alarm record carries in its index (limit and value words).
uint32_t AlmId(const ALM_INDEX& idx);
// True when the data slot bytes hold a whole record of the id in its values.
bool DataSlotIntact(const std::vector<uint8_t>& slot);
// True when the alarm record bytes hold a whole record of the id in their index.
bool AlmRecordIntact(const std::vector<uint8_t>& rec);

// Writes a data record of the id into slot of the data file unsealed, as an earlier version did.
void CraftDataSlot(const std::string& path, uint32_t slot, uint32_t id);
std::vector<uint8_t> ReadRaw(const std::string& path, uint64_t offset, size_t size);
void WriteRaw(const std::string& path, uint64_t offset, const void* data, size_t size);
uint64_t FileSize(const std::string& path);
// The commit mark of the alarm stub of slot, as on disk; -1 when the file ends before it.
int StubState(const std::string& path, uint32_t slot);
REC_FILE_HEAD ReadHead(const std::string& path, int copy);
// Writes a valid header copy with the given index and count; both copies, B one record behind A.
void WriteHead(const std::string& path, int copy, uint32_t write, uint32_t count);
void WriteHeads(const std::string& path, uint32_t write, uint32_t count, uint32_t ringLen);
std::u16string U16(const char16_t* s, size_t cap);
// An alarm search condition.
ALM_SEARCH Search(uint8_t kind, uint8_t type, const char* start, const char* end);
