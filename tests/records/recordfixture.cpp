#include "recordfixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "appbase/tesmorapp.h"
#include "platform/textu16.h"

RecordFolder::RecordFolder()
{
    // The record tests simulate crashes through the file layer; a real disk flush adds only time.
    CFileFaults::SetDiskSync(false);
    theApp.m_strDataSavePath = Path("DataSave.dat");
    theApp.m_strNibpSavePath = Path("NIBPSave.dat");
    theApp.m_strSysSavePath = Path("SysSave.dat");
    theApp.m_strAlmSavePath = Path("AlmSave.dat");
    theApp.m_strIniPath = Path("Para.ini");
}

RecordFolder::~RecordFolder()
{
    // A test may have made the folder read-only.
    std::error_code ec;
    std::filesystem::permissions(Dir(), std::filesystem::perms::owner_all, ec);
}

void TestRecThread::Drain(int limit)
{
    for (int i = 0; i < limit; ++i) {
        RunPass();
        if (m_listDataQueue.empty() && m_listAlmQueue.empty() && m_listSysQueue.empty()) return;
    }
}

WORD EcgSample(uint32_t id, int which, int k) { return static_cast<WORD>((id * 7 + which * 1000 + k * 3) & 0xFFF); }
BYTE ByteSample(uint32_t id, int which, int k) { return static_cast<BYTE>(id * 13 + which * 71 + k); }

uint32_t DataId(const REC_VALUES& v)
{
    return static_cast<uint16_t>(v.i16HR) | (static_cast<uint32_t>(static_cast<uint16_t>(v.i16PR)) << 16);
}

uint32_t AlmId(const ALM_INDEX& idx)
{
    return static_cast<uint16_t>(idx.i16Limit) | (static_cast<uint32_t>(static_cast<uint16_t>(idx.i16Value)) << 16);
}

DataRecordSource::DataRecordSource(uint32_t id)
{
    rec.val.i16HR = static_cast<int16_t>(id & 0xFFFF);
    rec.val.i16PR = static_cast<int16_t>(id >> 16);
    rec.val.i16ST1 = -10000;
    rec.val.i16SpO2 = -100;
    rec.val.i8FiO2 = 21;
    U16Copy(rec.val.szPatientName, 9, u"张三李四王五赵六");
    FillWaves(id);
}

AlmRecordSource::AlmRecordSource(uint8_t type, uint8_t code, const char* time, uint32_t id)
{
    U16Format(rec.idx.szTime, 20, "%s", time);
    rec.idx.u8AlmType = type;
    rec.idx.u8AlmCode = code;
    rec.idx.i16Limit = static_cast<int16_t>(id & 0xFFFF);
    rec.idx.i16Value = static_cast<int16_t>(id >> 16);
    rec.val.i16HR = 150;
    U16Format(rec.val.szTime, 20, "%s", time);
    FillWaves(id);
}

int TestRecThread::StoreData(uint32_t id)
{
    DataRecordSource d(id);
    const int answer = AddDataRecord(&d.rec);
    RunPass();
    return answer;
}

int TestRecThread::StoreAlarm(uint8_t type, const char* time, uint32_t id)
{
    AlmRecordSource a(type, 2, time, id);
    const int answer = AddAlmRecord(&a.rec);
    RunPass();
    return answer;
}

int TestRecThread::StoreEvent(const char* format, uint32_t n)
{
    SYS_DATA ev{};
    U16Format(ev.szEvent, 20, format, n);
    const int answer = AddSysRecord(&ev);
    RunPass();
    return answer;
}

namespace {

// Samples every 31st value and the last of each wave: a write cut short leaves a contiguous run of
// old bytes, far longer than the stride, at the end of the record.
bool WavesIntact(const uint8_t* p, uint32_t id, int ecgLen, int byteLen, int channels)
{
    auto next = [](int k, int len) { return k == len - 1 ? len : std::min(k + 31, len - 1); };
    for (int c = 0; c < channels; ++c)
        for (int k = 0; k < ecgLen; k = next(k, ecgLen)) {
            WORD s;
            std::memcpy(&s, p + (c * ecgLen + k) * 2, 2);
            if (s != EcgSample(id, c, k)) return false;
        }
    const uint8_t* b = p + channels * ecgLen * 2;
    for (int w = 0; w < 2; ++w)
        for (int k = 0; k < byteLen; k = next(k, byteLen))
            if (b[w * byteLen + k] != ByteSample(id, w, k)) return false;
    return true;
}

}  // namespace

bool DataSlotIntact(const std::vector<uint8_t>& slot)
{
    if (slot.size() < g_u32DataSlotSize) return false;
    REC_VALUES v;
    std::memcpy(&v, slot.data(), sizeof(v));
    return WavesIntact(slot.data() + g_u32DataWaveOffset, DataId(v), g_i32ECGWaveLen, g_i32RespWaveLen, 3);
}

bool AlmRecordIntact(const std::vector<uint8_t>& rec)
{
    if (rec.size() < g_u32AlmRecSize) return false;
    ALM_INDEX idx;
    std::memcpy(&idx, rec.data(), sizeof(idx));
    return WavesIntact(rec.data() + g_u32AlmWaveOffset, AlmId(idx), g_i32AlmECGWaveLen, g_i32AlmRespWaveLen, 2);
}

void CraftDataSlot(const std::string& path, uint32_t slot, uint32_t id)
{
    DataRecordSource src(id);
    std::vector<uint8_t> buf(g_u32DataSlotSize);
    std::memcpy(buf.data(), &src.rec.val, sizeof(REC_VALUES));
    uint8_t* p = buf.data() + g_u32DataWaveOffset;
    for (auto& w : src.ecg) {
        std::memcpy(p, w.data(), w.size() * 2);
        p += w.size() * 2;
    }
    std::memcpy(p, src.resp.data(), src.resp.size());
    std::memcpy(p + src.resp.size(), src.pleth.data(), src.pleth.size());
    WriteRaw(path, 0x20000 + uint64_t{slot} * 0x2000, buf.data(), buf.size());
}

std::vector<uint8_t> ReadRaw(const std::string& path, uint64_t offset, size_t size)
{
    std::vector<uint8_t> out(size);
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return {};
    ssize_t got = pread(fd, out.data(), size, static_cast<off_t>(offset));
    close(fd);
    out.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return out;
}

void WriteRaw(const std::string& path, uint64_t offset, const void* data, size_t size)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, data, size, static_cast<off_t>(offset)), static_cast<ssize_t>(size));
    close(fd);
}

int StubState(const std::string& path, uint32_t slot)
{
    const auto stub = ReadRaw(path, 0x20000 + uint64_t{slot} * 0x1000, sizeof(ALM_INDEX));
    return stub.size() == sizeof(ALM_INDEX) ? stub[offsetof(ALM_INDEX, u8State)] : -1;
}

uint64_t FileSize(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

REC_FILE_HEAD ReadHead(const std::string& path, int copy)
{
    REC_FILE_HEAD h{};
    auto raw = ReadRaw(path, copy == 0 ? 0 : g_u64HeadBOffset, sizeof(h));
    if (raw.size() == sizeof(h)) std::memcpy(&h, raw.data(), sizeof(h));
    return h;
}

void WriteHead(const std::string& path, int copy, uint32_t write, uint32_t count)
{
    REC_FILE_HEAD h{};
    CRecordRing::StampSignature(&h);
    U16Copy(h.szCreateTime, 32, u"2026-01-01 00:00:00");
    h.u32WriteIndex = write;
    h.u32Count = count;
    WriteRaw(path, copy == 0 ? 0 : g_u64HeadBOffset, &h, sizeof(h));
}

void WriteHeads(const std::string& path, uint32_t write, uint32_t count, uint32_t ringLen)
{
    WriteHead(path, 0, write, count);
    WriteHead(path, 1, write == 0 ? ringLen - 1 : write - 1, count == ringLen ? count : count - 1);
}

std::u16string U16(const char16_t* s, size_t cap)
{
    size_t n = 0;
    while (n < cap && s[n] != 0) ++n;
    return std::u16string(s, n);
}

ALM_SEARCH Search(uint8_t kind, uint8_t type, const char* start, const char* end)
{
    ALM_SEARCH s{};
    s.u8Kind = kind;
    s.u8AlmType = type;
    U16Format(s.szStartTime, 20, "%s", start);
    U16Format(s.szEndTime, 20, "%s", end);
    return s;
}
