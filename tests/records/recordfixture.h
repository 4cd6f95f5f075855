// Shared helpers of the record-store tests: a scratch folder holding the four record files, a
// record thread whose internals the tests may read, record builders whose waves are derived
// from an id so that a torn record can be recognised, and raw file access.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "records/threaddataalmrec.h"
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
};

// A data record whose values and waves are derived from id.
class DataRecordSource {
public:
    explicit DataRecordSource(uint32_t id);
    SAVE_DATA rec{};
    std::vector<WORD> ecg[3];
    std::vector<BYTE> resp, pleth;
};

// An alarm record of type and code at time text `time`, waves derived from id.
class AlmRecordSource {
public:
    AlmRecordSource(uint8_t type, uint8_t code, const char* time, uint32_t id);
    SAVE_ALM rec{};
    std::vector<WORD> ecg[2];
    std::vector<BYTE> resp, pleth;
};

// Buffers of the full sizes for a record that receives an answer.
class DataRecordSink {
public:
    DataRecordSink();
    SAVE_DATA rec{};
    std::vector<WORD> ecg[3];
    std::vector<BYTE> resp, pleth;
};

class AlmRecordSink {
public:
    AlmRecordSink();
    SAVE_ALM rec{};
    std::vector<WORD> ecg[2];
    std::vector<BYTE> resp, pleth;
};

// The id a record carries in its values (HR and PR words).
uint32_t DataId(const REC_VALUES& v);
// The id an alarm record carries in its index (limit and value words).
uint32_t AlmId(const ALM_INDEX& idx);
// Sample k of wave `which` of the record with this id.
WORD EcgSample(uint32_t id, int which, int k);
BYTE ByteSample(uint32_t id, int which, int k);
// True when the data slot bytes hold a whole record of the id in its values.
bool DataSlotIntact(const std::vector<uint8_t>& slot);
// True when the alarm record bytes hold a whole record of the id in their index.
bool AlmRecordIntact(const std::vector<uint8_t>& rec);

// Writes a data record of the id into slot of the data file, without a seal, as an earlier
// version wrote them.
void CraftDataSlot(const std::string& path, uint32_t slot, uint32_t id);
std::vector<uint8_t> ReadRaw(const std::string& path, uint64_t offset, size_t size);
void WriteRaw(const std::string& path, uint64_t offset, const void* data, size_t size);
uint64_t FileSize(const std::string& path);
REC_FILE_HEAD ReadHead(const std::string& path, int copy);
// Writes a valid header copy with the given index and count.
void WriteHead(const std::string& path, int copy, uint32_t write, uint32_t count);
std::u16string U16(const char16_t* s, size_t cap);
// An alarm search condition.
ALM_SEARCH Search(uint8_t kind, uint8_t type, const char* start, const char* end);
