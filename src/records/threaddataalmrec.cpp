#include "records/threaddataalmrec.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <utility>

#include "appbase/tesmorapp.h"
#include "core/monitordefs.h"
#include "platform/pngfile.h"
#include "platform/textu16.h"
#include "platform/uiloop.h"
#include "platform/wnd.h"
#include "records/almrecreceiver.h"

namespace {

uint64_t AlmStubOffset(uint32_t slot) { return g_u64RecordAreaOffset + uint64_t{slot} * g_u32AlmStubSize; }
uint64_t AlmRecOffset(uint32_t slot) { return g_u64AlmRecAreaOffset + uint64_t{slot} * g_u32AlmRecSize; }

// A slot's seal follows its record, in bytes the record leaves unused. A new data, NIBP or
// system-event file is made of its two header copies alone; a new alarm file also of its stubs.
constexpr uint32_t kDataRecordEnd = g_u32DataWaveOffset + sizeof(WORD) * 3 * g_i32ECGWaveLen + g_i32RespWaveLen +
                                   g_i32PlethWaveLen;
const RING_LAYOUT kDataLayout{g_u32DataSaveMax, g_u32DataSlotSize, true, sizeof(REC_VALUES), kDataRecordEnd, 0};
const RING_LAYOUT kNibpLayout{g_u32NibpSaveMax, g_u32SmallSlotSize, false, sizeof(NIBP_DATA), sizeof(NIBP_DATA), 0};
const RING_LAYOUT kSysLayout{g_u32SysSaveMax, g_u32SmallSlotSize, false, sizeof(SYS_DATA), sizeof(SYS_DATA), 0};
constexpr uint32_t kAlmRecordEnd = g_u32AlmWaveOffset + sizeof(WORD) * 2 * g_i32AlmECGWaveLen + g_i32AlmRespWaveLen +
                                  g_i32AlmPlethWaveLen;

// An older version wrote a new alarm file's stubs before its header copies, so a start cut short
// between them left a file of empty stubs without a header. Such a file holds nothing: every
// byte before the stubs is zero, and every stub names no alarm, holding at most the time, state
// and slot number that a new file's stubs are made with. Raises.
bool AlmFileHoldsNothing(CRecordRing& ring, uint64_t length)
{
    std::vector<BYTE> bytes(length);
    if (ring.ReadAt(0, bytes.data(), static_cast<UINT>(length)) != length) return false;
    for (uint64_t at = g_u64RecordAreaOffset; at < length; at += g_u32AlmStubSize) {
        const size_t size = static_cast<size_t>(std::min<uint64_t>(sizeof(ALM_INDEX), length - at));
        ALM_INDEX stub{};
        std::memcpy(&stub, bytes.data() + at, size);
        if (stub.u8AlmType != 0 || stub.u8AlmCode != 0 || stub.u8Reserved != 0 || stub.i16Limit != 0 ||
            stub.i16Value != 0)
            return false;
        std::memset(bytes.data() + at, 0, size);
    }
    return std::all_of(bytes.begin(), bytes.end(), [](BYTE b) { return b == 0; });
}

// The alarm ring's header counts records; its slots are the records, from their area on, and a
// record is committed by its stub.
const RING_LAYOUT kAlmLayout{g_u32AlmSaveMax,
                             g_u32AlmRecSize,
                             true,
                             0,
                             kAlmRecordEnd,
                             AlmStubOffset(g_u32AlmSaveMax - 1) + sizeof(ALM_INDEX),
                             g_u64AlmRecAreaOffset,
                             AlmFileHoldsNothing};

constexpr uint32_t kPageLen = 10;
constexpr uint32_t kAlmScanFull = g_u32AlmSaveMax - 50;  // entries a first search looks at in a full ring
constexpr uint32_t kAlmOlderReach = 100;                 // how far an older step may go behind the anchor

// (a - b) modulo len for slots a, b below len.
uint32_t RingDiff(uint32_t a, uint32_t b, uint32_t len) { return (a + len - b) % len; }

// Compares two time texts like wcsncmp over at most 20 characters.
int CompareTime(const char16_t* a, const char16_t* b)
{
    for (int i = 0; i < 20; ++i) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
        if (a[i] == 0) return 0;
    }
    return 0;
}

// Copies n elements when the source is there, zeros otherwise.
template <class T>
void CopyWave(T* dst, const T* src, int n)
{
    if (dst == nullptr) return;
    if (src != nullptr)
        std::memcpy(dst, src, sizeof(T) * n);
    else
        std::memset(dst, 0, sizeof(T) * n);
}

// Wave lengths of the two record kinds that carry waves.
template <class R>
struct WaveLen;
template <>
struct WaveLen<SAVE_DATA> {
    static constexpr int ecg = g_i32ECGWaveLen, resp = g_i32RespWaveLen, pleth = g_i32PlethWaveLen;
};
template <>
struct WaveLen<SAVE_ALM> {
    static constexpr int ecg = g_i32AlmECGWaveLen, resp = g_i32AlmRespWaveLen, pleth = g_i32AlmPlethWaveLen;
};

template <class R>
void AllocWaves(R& r)
{
    for (auto& w : r.pEcgWave) w = new WORD[WaveLen<R>::ecg];
    r.pRespWave = new BYTE[WaveLen<R>::resp];
    r.pPlethWave = new BYTE[WaveLen<R>::pleth];
}

template <class R>
void FreeWaves(R& r)
{
    for (auto& w : r.pEcgWave) {
        delete[] w;
        w = nullptr;
    }
    delete[] r.pRespWave;
    delete[] r.pPlethWave;
    r.pRespWave = r.pPlethWave = nullptr;
}

template <class R>
void CopyWaves(R& dst, const R& src)
{
    for (size_t i = 0; i < std::size(dst.pEcgWave); ++i) CopyWave(dst.pEcgWave[i], src.pEcgWave[i], WaveLen<R>::ecg);
    CopyWave(dst.pRespWave, src.pRespWave, WaveLen<R>::resp);
    CopyWave(dst.pPlethWave, src.pPlethWave, WaveLen<R>::pleth);
}

// Packs the waves of a record back to back from dst: the ECG leads, respiration, pleth.
template <class R>
void PackWaves(BYTE* dst, const R& r)
{
    for (auto* w : r.pEcgWave) {
        CopyWave(reinterpret_cast<WORD*>(dst), w, WaveLen<R>::ecg);
        dst += sizeof(WORD) * WaveLen<R>::ecg;
    }
    CopyWave(dst, r.pRespWave, WaveLen<R>::resp);
    CopyWave(dst + WaveLen<R>::resp, r.pPlethWave, WaveLen<R>::pleth);
}

template <class R>
void UnpackWaves(R& r, const BYTE* src)
{
    for (auto* w : r.pEcgWave) {
        CopyWave(w, reinterpret_cast<const WORD*>(src), WaveLen<R>::ecg);
        src += sizeof(WORD) * WaveLen<R>::ecg;
    }
    CopyWave(r.pRespWave, src, WaveLen<R>::resp);
    CopyWave(r.pPlethWave, src + WaveLen<R>::resp, WaveLen<R>::pleth);
}

// The answer to request `number`: the number travels in lParam, so the requester tells it apart
// from the answer to an earlier request.
void PostDone(WindowHandle target, uint32_t number)
{
    if (target == 0) return;
    CUiLoop::Instance().Post(target, WM_REC_QUERY_DONE, g_wRecQueryDone, static_cast<LPARAM>(number));
}

WindowHandle HandleOf(const CWnd* wnd) { return wnd != nullptr ? wnd->GetSafeHwnd() : 0; }

// The fields a stub shares with its record.
bool SameAlarm(const ALM_INDEX& a, const ALM_INDEX& b)
{
    return std::memcmp(a.szTime, b.szTime, sizeof(a.szTime)) == 0 && a.u8AlmType == b.u8AlmType &&
           a.u8AlmCode == b.u8AlmCode && a.i16Limit == b.i16Limit && a.i16Value == b.i16Value;
}

// Whether two paths name one file: the same name, or the same device and inode (also through a
// symbolic or hard link).
bool SamePath(const std::string& a, const std::string& b)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    return fs::path(a).lexically_normal() == fs::path(b).lexically_normal() || fs::equivalent(a, b, ec);
}

// Whether path names the file of an earlier group: the same file, or the file it has open.
bool SameFile(const std::string& earlierPath, const CFile& earlierFile, const std::string& path)
{
    return SamePath(earlierPath, path) || (earlierFile.IsOpen() && earlierFile.IsSameFile(path));
}

// A file no record may go to, with how a message names it.
struct OtherFile {
    std::string path;
    std::string named;
};

// The settings file, then each screen picture and the temporary file it is written through.
std::vector<OtherFile> OtherFiles()
{
    std::vector<OtherFile> files;
    const std::string& ini = theApp.m_strIniPath;
    if (!ini.empty()) files.push_back({ini, "the settings file " + EscapedText(ini)});
    for (const std::string& picture : theApp.m_vecPicturePaths) {
        files.push_back({picture, "the screen picture " + EscapedText(picture)});
        files.push_back(
            {CPngFile::TempName(picture), "the temporary file of the screen picture " + EscapedText(picture)});
    }
    return files;
}

}  // namespace

CThreadDataAlmRec::CThreadDataAlmRec()
    : m_pDataSlotBuf(g_u32DataSlotSize),
      m_ringData(kDataLayout, m_fileData, m_stDataHead, m_bDataHeadToggle, m_u32DataWrite, m_u32DataCount,
                 m_bDataFileErr),
      m_pNibpSlotBuf(g_u32SmallSlotSize),
      m_ringNibp(kNibpLayout, m_fileNibp, m_stNibpHead, m_bNibpHeadToggle, m_u32NibpWrite, m_u32NibpCount,
                 m_bNibpFileErr),
      m_pSysSlotBuf(g_u32SmallSlotSize),
      m_ringSys(kSysLayout, m_fileSys, m_stSysHead, m_bSysHeadToggle, m_u32SysWrite, m_u32SysCount, m_bSysFileErr),
      m_pAlmSlotBuf(g_u32AlmRecSize),
      m_pAlmIndex(g_u32AlmSaveMax),
      m_ringAlm(kAlmLayout, m_fileAlm, m_stAlmHead, m_bAlmHeadToggle, m_u32AlmWrite, m_u32AlmCount, m_bAlmFileErr)
{
    AllocWaves(m_stAlmResult);
    SAVE_ALM zero{};
    CopyAlmResult(&m_stAlmResult, &zero);
}

CThreadDataAlmRec::~CThreadDataAlmRec()
{
    FreeQueues();
    FreeWaves(m_stAlmResult);
}

// ---- Thread ---------------------------------------------------------------------------------

BOOL CThreadDataAlmRec::InitInstance()
{
    m_bDataFileErr = 0;
    // In the order of opening: each group's path, the settings key it comes from, its file and
    // ring, its unavailable flag and its opening.
    struct Group {
        const std::string& path;
        const char* key;
        const char* records;
        CFile& file;
        CRecordRing& ring;
        int& fileErr;
        int (CThreadDataAlmRec::*init)();
    };
    Group groups[] = {
        {theApp.m_strDataSavePath, "DATA_SAVE_FILE_NAME", "data", m_fileData, m_ringData, m_bDataFileErr,
         &CThreadDataAlmRec::InitDataFile},
        {theApp.m_strNibpSavePath, "NIBP_SAVE_FILE_NAME", "NIBP", m_fileNibp, m_ringNibp, m_bNibpFileErr,
         &CThreadDataAlmRec::InitNibpFile},
        {theApp.m_strSysSavePath, "SYS_SAVE_FILE_NAME", "system-event", m_fileSys, m_ringSys, m_bSysFileErr,
         &CThreadDataAlmRec::InitSysFile},
        {theApp.m_strAlmSavePath, "ALM_SAVE_FILE_NAME", "alarm", m_fileAlm, m_ringAlm, m_bAlmFileErr,
         &CThreadDataAlmRec::InitAlmFile},
    };
    const std::vector<OtherFile> others = OtherFiles();
    m_vecOtherFiles.clear();
    for (const OtherFile& other : others) m_vecOtherFiles.push_back(other.path);
    for (Group& group : groups) {
        // A group without a path has no usable file; the settings said why.
        if (group.path.empty()) {
            group.fileErr = 1;
            continue;
        }
        // Two groups in one file would overwrite each other's records: the later one is left out.
        const Group* first = nullptr;
        for (const Group* earlier = groups; earlier != &group && first == nullptr; ++earlier) {
            if (SameFile(earlier->path, earlier->file, group.path)) first = earlier;
        }
        // Records written into the settings file would destroy every setting, and a picture
        // written over a record file would lose its records. A link to such a file that is not
        // there yet is found only once the record file is open.
        const bool namesSettings = !theApp.m_strIniPath.empty() && SamePath(theApp.m_strIniPath, group.path);
        if (first != nullptr && !namesSettings) {
            std::fprintf(stderr,
                         "record file %s is named by both [REC] %s and [REC] %s; the %s records are not kept\n",
                         EscapedText(group.path).c_str(), first->key, group.key, group.records);
            group.fileErr = 1;
            continue;
        }
        const auto init = group.init;
        const OtherFile* other = namesSettings ? &others.front() : nullptr;
        if (other == nullptr && (this->*init)() == CRecordRing::openOtherFile)
            other = &others[group.ring.OtherFileIndex()];
        if (other != nullptr) {
            std::fprintf(stderr, "record file %s of [REC] %s is %s; the %s records are not kept\n",
                         EscapedText(group.path).c_str(), group.key, other->named.c_str(), group.records);
            group.fileErr = 1;
        }
    }
    return TRUE;
}

int CThreadDataAlmRec::Run()
{
    for (;;) {
        RunPass();
        if (m_bExit.load() != 0) return ExitInstance();
        Sleep(40);
    }
}

void CThreadDataAlmRec::RunPass()
{
    DoNibpQuery();
    WriteNibpRecord();
    WriteSysRecord();
    DoSysQuery();
    WriteDataRecord();
    DoDataQuery();
    WriteAlmRecord();
    DoAlmQuery();
}

int CThreadDataAlmRec::ExitInstance()
{
    CFile* files[] = {&m_fileData, &m_fileNibp, &m_fileSys, &m_fileAlm};
    for (CFile* f : files) {
        try {
            if (f->IsOpen()) {
                f->Flush();
                f->Close();
            }
        } catch (const CFileException&) {
            f->Abort();
        }
    }
    FreeQueues();
    return CWinThread::ExitInstance();
}

void CThreadDataAlmRec::FreeQueues()
{
    {
        CSingleLock g(m_csDataFile);
        for (auto& r : m_listDataQueue) FreeWaves(r);
        m_listDataQueue.clear();
        m_listDataReq.clear();
    }
    {
        CSingleLock g(m_csNibpFile);
        m_listNibpQueue.clear();
        m_listNibpResult.clear();
    }
    {
        CSingleLock g(m_csSysFile);
        m_listSysQueue.clear();
        m_listSysResult.clear();
    }
    CSingleLock g(m_csAlmFile);
    for (auto& r : m_listAlmQueue) FreeWaves(r);
    m_listAlmQueue.clear();
}

// ---- Producers ------------------------------------------------------------------------------

template <class T>
bool CThreadDataAlmRec::QueueFull(const std::list<T>& queue, CCriticalSection& cs)
{
    // A queue that already holds more than the cap drops the new record.
    CSingleLock g(cs);
    return queue.size() > g_nQueueMax;
}

template <class T>
int CThreadDataAlmRec::QueueRecord(std::list<T>& queue, CCriticalSection& cs, T&& rec)
{
    CSingleLock g(cs);
    queue.push_back(std::move(rec));
    return 0;
}

int CThreadDataAlmRec::AddDataRecord(SAVE_DATA* rec)
{
    if (rec == nullptr || QueueFull(m_listDataQueue, m_csDataFile)) return 1;
    SAVE_DATA copy{};
    copy.val = rec->val;
    FormatRecordTime(copy.val.szTime, 20);
    AllocWaves(copy);
    CopyWaves(copy, *rec);
    return QueueRecord(m_listDataQueue, m_csDataFile, std::move(copy));
}

int CThreadDataAlmRec::AddAlmRecord(SAVE_ALM* rec)
{
    if (rec == nullptr || QueueFull(m_listAlmQueue, m_csAlmFile)) return 1;
    SAVE_ALM copy{};
    copy.idx = rec->idx;
    copy.val = rec->val;
    AllocWaves(copy);
    CopyWaves(copy, *rec);
    return QueueRecord(m_listAlmQueue, m_csAlmFile, std::move(copy));
}

int CThreadDataAlmRec::AddNibpRecord(NIBP_DATA* rec)
{
    if (rec == nullptr || QueueFull(m_listNibpQueue, m_csNibpFile)) return 1;
    NIBP_DATA copy = *rec;
    FormatRecordTime(copy.szTime, 20);
    return QueueRecord(m_listNibpQueue, m_csNibpFile, std::move(copy));
}

int CThreadDataAlmRec::AddSysRecord(SYS_DATA* rec)
{
    if (rec == nullptr || QueueFull(m_listSysQueue, m_csSysFile)) return 1;
    SYS_DATA copy = *rec;
    FormatRecordTime(copy.szTime, 20);
    return QueueRecord(m_listSysQueue, m_csSysFile, std::move(copy));
}

void CThreadDataAlmRec::AddPowerOnRecord()
{
    SYS_DATA ev{};
    U16Copy(ev.szEvent, 20, u"监护仪开机");
    AddSysRecord(&ev);
}

// ---- Opening and creating -------------------------------------------------------------------

int CThreadDataAlmRec::OpenDataFile()
{
    int result = m_ringData.Open(theApp.m_strDataSavePath, m_vecOtherFiles);
    CSingleLock g(m_csDataFile);
    m_u32DataRead = m_u32DataWrite;
    return result;
}

int CThreadDataAlmRec::OpenNibpFile()
{
    int result = m_ringNibp.Open(theApp.m_strNibpSavePath, m_vecOtherFiles);
    CSingleLock g(m_csNibpFile);
    m_u32NibpPageEnd = m_ringNibp.WriteSlot();
    return result;
}

int CThreadDataAlmRec::OpenSysFile()
{
    int result = m_ringSys.Open(theApp.m_strSysSavePath, m_vecOtherFiles);
    CSingleLock g(m_csSysFile);
    m_u32SysPageEnd = m_ringSys.WriteSlot();
    return result;
}

int CThreadDataAlmRec::OpenAlmFile()
{
    int result = m_ringAlm.Open(theApp.m_strAlmSavePath, m_vecOtherFiles);
    m_u32AlmCur = m_u32AlmWrite;
    if (result == CRecordRing::openBoth || result == CRecordRing::openOne) ReloadAlmIndex();
    return result;
}

int CThreadDataAlmRec::CreateDataFile() { return m_ringData.Create(); }
int CThreadDataAlmRec::CreateNibpFile() { return m_ringNibp.Create(); }
int CThreadDataAlmRec::CreateSysFile() { return m_ringSys.Create(); }

// The header copies go first: a start cut short while writing the stubs leaves a file that the
// next start sees as one that was being made, never as one without a header.
int CThreadDataAlmRec::CreateAlmFile()
{
    char16_t now[20];
    FormatRecordTime(now, 20);
    if (m_bAlmFileErr) return 0;
    m_u32AlmWrite = 0;
    m_u32AlmCount = 0;
    try {
        m_ringAlm.WriteNewHeaders();
        for (uint32_t i = 0; i < g_u32AlmSaveMax; ++i) {
            ALM_INDEX stub{};
            std::memcpy(stub.szTime, now, sizeof(now));
            stub.u8State = g_u8AlmStateEmpty;
            stub.u16Slot = static_cast<uint16_t>(i);
            m_fileAlm.Seek(static_cast<int64_t>(AlmStubOffset(i)), CFile::begin);
            m_fileAlm.Write(&stub, sizeof(stub));
        }
        m_fileAlm.Flush();
        m_ringAlm.FinishNew();
    } catch (const CFileException& e) {
        m_ringAlm.FailCreate(e);
        return 1;
    }
    return 0;
}

// Reads the 200 stubs into the in-memory index. A stub counts as a stored alarm only when it is
// marked complete and agrees with the record in its slot, which lies whole in the file; anything
// else is an empty slot.
int CThreadDataAlmRec::ReloadAlmIndex()
{
    try {
        const uint32_t held = m_ringAlm.SlotsInFile();
        for (uint32_t i = 0; i < g_u32AlmSaveMax; ++i) {
            ALM_INDEX stub;
            if (m_ringAlm.ReadAt(AlmStubOffset(i), &stub, sizeof(stub)) == sizeof(stub)) m_pAlmIndex[i] = stub;
            if (m_pAlmIndex[i].u8State != g_u8AlmStateComplete || i >= held) {
                m_pAlmIndex[i].u8State = g_u8AlmStateEmpty;
                continue;
            }
            ALM_INDEX rec;
            if (m_ringAlm.ReadAt(AlmRecOffset(i), &rec, sizeof(rec)) != sizeof(rec) || !SameAlarm(rec, m_pAlmIndex[i]))
                m_pAlmIndex[i].u8State = g_u8AlmStateEmpty;
        }
    } catch (const CFileException& e) {
        m_ringAlm.Fail(e);
        return 1;
    }
    return 0;
}

int CThreadDataAlmRec::InitDataFile()
{
    int result = OpenDataFile();
    if (result == CRecordRing::openNoHeader || result == CRecordRing::openNew) result = CreateDataFile();
    return result;
}

int CThreadDataAlmRec::InitNibpFile()
{
    int result = OpenNibpFile();
    if (result == CRecordRing::openNoHeader || result == CRecordRing::openNew) result = CreateNibpFile();
    return result;
}

int CThreadDataAlmRec::InitSysFile()
{
    int result = OpenSysFile();
    if (result == CRecordRing::openNoHeader || result == CRecordRing::openNew) result = CreateSysFile();
    return result;
}

int CThreadDataAlmRec::InitAlmFile()
{
    int result = OpenAlmFile();
    if (result == CRecordRing::openNoHeader || result == CRecordRing::openNew) {
        result = CreateAlmFile();
        if (!m_bAlmFileErr) ReloadAlmIndex();
    }
    return result;
}

// ---- Writers --------------------------------------------------------------------------------

void CThreadDataAlmRec::WriteDataRecord()
{
    SAVE_DATA* rec;
    {
        CSingleLock g(m_csDataFile);
        if (m_listDataQueue.empty()) return;
        rec = &m_listDataQueue.front();
    }
    // Only this thread removes records, so the front stays in place outside the lock.
    BYTE* slot = m_pDataSlotBuf.data();
    std::memcpy(slot, &rec->val, sizeof(REC_VALUES));
    PackWaves(slot + g_u32DataWaveOffset, *rec);
    FreeWaves(*rec);
    {
        CSingleLock g(m_csDataFile);
        m_listDataQueue.pop_front();
    }
    m_ringData.StoreRecord(slot);
}

template <class T>
void CThreadDataAlmRec::WriteSmallRecord(std::list<T>& queue, CCriticalSection& cs, CRecordRing& ring,
                                         std::vector<BYTE>& buf)
{
    {
        CSingleLock g(cs);
        if (queue.empty()) return;
        std::memcpy(buf.data(), &queue.front(), sizeof(T));
        queue.pop_front();
    }
    ring.StoreRecord(buf.data());
}

void CThreadDataAlmRec::WriteNibpRecord() { WriteSmallRecord(m_listNibpQueue, m_csNibpFile, m_ringNibp, m_pNibpSlotBuf); }

void CThreadDataAlmRec::WriteSysRecord() { WriteSmallRecord(m_listSysQueue, m_csSysFile, m_ringSys, m_pSysSlotBuf); }

void CThreadDataAlmRec::WriteAlmRecord()
{
    SAVE_ALM* rec;
    int busy;
    {
        CSingleLock g(m_csAlmFile);
        if (m_listAlmQueue.empty()) return;
        rec = &m_listAlmQueue.front();
        busy = m_bAlmBusy;
    }
    // While a review shows records from its first hit on, the slot of that hit is never
    // overwritten; a review that ended or whose search found nothing protects no slot.
    const bool protectAnchor = busy && m_bAlmFound && (m_u32AlmWrite + 1) % g_u32AlmSaveMax == m_u32AlmAnchor;
    if (!protectAnchor && !m_bAlmFileErr) WriteAlmSlot(rec);
    FreeWaves(*rec);
    CSingleLock g(m_csAlmFile);
    m_listAlmQueue.pop_front();
}

// Commit protocol: the stub is marked 0xEE before the record is written and set to 0 only after
// the record and the header are on disk, so a stub marked complete always has its record.
void CThreadDataAlmRec::WriteAlmSlot(SAVE_ALM* rec)
{
    const uint32_t s = m_u32AlmWrite % g_u32AlmSaveMax;
    BYTE* buf = m_pAlmSlotBuf.data();
    try {
        if (m_pAlmIndex[s].u8State == g_u8AlmStateComplete) {
            // Unmark the committed record in one byte first: a torn stub write below then never
            // leaves a stub marked complete over a record that is about to change.
            const uint8_t mark = g_u8AlmStateEmpty;
            m_pAlmIndex[s].u8State = mark;
            m_ringAlm.WriteAt(AlmStubOffset(s) + offsetof(ALM_INDEX, u8State), &mark, 1);
        }
        ALM_INDEX stub = rec->idx;
        stub.u16Slot = static_cast<uint16_t>(s);
        stub.u8State = g_u8AlmStateEmpty;
        m_pAlmIndex[s] = stub;
        std::memcpy(buf, &stub, sizeof(stub));
        m_ringAlm.WriteAt(AlmStubOffset(s), buf, g_u32AlmStubSize);

        std::memcpy(buf, &rec->idx, sizeof(ALM_INDEX));
        std::memcpy(buf + g_u32AlmValOffset, &rec->val, sizeof(REC_VALUES));
        PackWaves(buf + g_u32AlmWaveOffset, *rec);
        m_ringAlm.WriteAt(AlmRecOffset(s), buf, g_u32AlmRecSize);

        m_ringAlm.CommitHeader();

        stub.u8State = g_u8AlmStateComplete;
        std::memcpy(buf, &stub, sizeof(stub));
        m_ringAlm.WriteAt(AlmStubOffset(s), buf, g_u32AlmStubSize);
        m_pAlmIndex[s] = stub;
    } catch (const CFileException& e) {
        m_ringAlm.Fail(e);
    }
}

// ---- Data review ----------------------------------------------------------------------------

uint32_t CThreadDataAlmRec::NextRequestNo()
{
    uint32_t number = ++m_u32LastRequestNo;
    while (number == 0) number = ++m_u32LastRequestNo;  // 0 stands for no request
    return number;
}

uint32_t CThreadDataAlmRec::RequestDataRecord(SAVE_DATA* req)
{
    if (req == nullptr) return 0;
    CSingleLock g(m_csDataFile);
    m_listDataReq.push_back(DataRequest{req, NextRequestNo()});
    return m_listDataReq.back().number;
}

void CThreadDataAlmRec::DoDataQuery()
{
    DataRequest req;
    int mode;
    uint32_t step;
    {
        CSingleLock g(m_csDataFile);
        if (m_listDataReq.empty()) return;
        req = m_listDataReq.front();
        mode = req.rec->nMode;
        step = req.rec->nStep > 0 ? static_cast<uint32_t>(req.rec->nStep) : 0;
    }
    // Nothing is answered from an unavailable file; the request waits and the position stays.
    if (m_bDataFileErr) return;
    const uint32_t len = g_u32DataSaveMax;
    const uint32_t w = m_u32DataWrite % len;
    const uint32_t n = m_u32DataCount;
    const uint32_t newest = RingDiff(w, 1, len);
    // The new position is kept only when the request is still there once its record is read.
    uint32_t p = m_u32DataRead;
    if (n < len && p >= w) p = newest;  // the position is not a stored record
    if (mode == 3) {
        p = newest;
    } else if (mode == 1) {
        p = RingDiff(newest, p, len) < step ? newest : (p + step) % len;
    } else if (n < len) {
        p = p < step ? 0 : p - step;
    } else {
        p = RingDiff(p, w, len) < step ? w : RingDiff(p, step % len, len);
    }

    bool complete = false;
    try {
        const int direction = mode == 1 ? CRecordRing::towardsNewer : CRecordRing::towardsOlder;
        complete = n > 0 && m_ringData.ReadRecord(p, m_pDataSlotBuf.data(), direction) == CRecordRing::slotWhole;
    } catch (const CFileException& e) {
        m_ringData.Fail(e);
    }
    WindowHandle target = 0;
    {
        CSingleLock g(m_csDataFile);
        // Withdrawn meanwhile (its record may be asked for again under a new number): the
        // answer is dropped and the read position stays.
        if (m_listDataReq.empty() || m_listDataReq.front().number != req.number) return;
        m_u32DataRead = p;
        if (complete) {
            std::memcpy(&req.rec->val, m_pDataSlotBuf.data(), sizeof(REC_VALUES));
            UnpackWaves(*req.rec, m_pDataSlotBuf.data() + g_u32DataWaveOffset);
        }
        target = HandleOf(req.rec->pWnd);
        m_listDataReq.pop_front();
    }
    PostDone(target, req.number);
}

// ---- NIBP and system-event pages ------------------------------------------------------------

CThreadDataAlmRec::PageGroup CThreadDataAlmRec::NibpPages()
{
    return PageGroup{m_csNibpFile,     m_u8NibpQueryState, m_u32NibpRequestNo, m_nNibpPageDir, m_u32NibpPageEnd,
                     m_u32NibpPageSize, m_ringNibp,        m_pNibpSlotBuf,     m_pNibpWnd};
}

CThreadDataAlmRec::PageGroup CThreadDataAlmRec::SysPages()
{
    return PageGroup{m_csSysFile,     m_u8SysQueryState, m_u32SysRequestNo, m_nSysPageDir, m_u32SysPageEnd,
                     m_u32SysPageSize, m_ringSys,        m_pSysSlotBuf,     m_pSysWnd};
}

uint32_t CThreadDataAlmRec::RequestPage(int dir, const PageGroup& q)
{
    CSingleLock g(q.cs);
    if (q.state != 1) return 0;
    // The page itself is worked out when it is served, against the file as it is then open.
    q.dir = dir;
    q.state = 2;
    q.number = NextRequestNo();
    return q.number;
}

uint32_t CThreadDataAlmRec::RequestNibpPage(int dir) { return RequestPage(dir, NibpPages()); }

uint32_t CThreadDataAlmRec::RequestSysPage(int dir) { return RequestPage(dir, SysPages()); }

CThreadDataAlmRec::PageRing CThreadDataAlmRec::PagedRing(const CRecordRing& ring, uint32_t held)
{
    const uint32_t len = ring.RingLen();
    const uint32_t w = ring.WriteSlot();
    const uint32_t n = ring.Count();
    // A full ring whose file was cut holds its records in the slots before the cut; the others
    // are passed over. Its newest record is the one before the write slot, or the last slot held.
    // A whole file holds every slot, and the ring stays as it is.
    if (n < len || held == 0) return PageRing{len, w, n};
    return PageRing{held, w < held ? w : 0, held};
}

// Moves the page end and size by the requested direction, in the ring the file holds. Under the
// group's lock.
void CThreadDataAlmRec::MovePage(const PageGroup& q, const PageRing& ring)
{
    const uint32_t len = ring.len;
    const uint32_t w = ring.w;
    const uint32_t n = ring.n;
    const int dir = q.dir;
    uint32_t& e = q.pageEnd;
    e %= len;  // a page end kept from a longer ring
    const bool newest = dir == 3 || (dir == 1 && RingDiff(w, e, len) < kPageLen) ||
                        (dir != 1 && n < len && e < kPageLen);
    if (newest) {
        e = w;
        q.pageSize = std::min(n, kPageLen);
    } else if (dir == 1) {
        e = (e + kPageLen) % len;
        q.pageSize = kPageLen;
    } else if (n < len) {
        e = e - kPageLen < kPageLen ? kPageLen : e - kPageLen;
        q.pageSize = kPageLen;
    } else {
        // Records from the oldest up to the page's newest; a page ending at w spans the whole ring.
        uint32_t d = RingDiff(e, w, len);
        if (d == 0) d = len;
        e = d < 2 * kPageLen ? (w + kPageLen) % len : RingDiff(e, kPageLen, len);
        q.pageSize = kPageLen;
    }
}

template <class T>
void CThreadDataAlmRec::DoPageQuery(const PageGroup& q, std::list<T>& result)
{
    if (!q.ring.Available()) return;  // stays pending
    uint32_t served;
    {
        CSingleLock g(q.cs);
        if (q.state != 2) return;
        served = q.number;
    }
    PageRing ring;
    try {
        ring = PagedRing(q.ring, q.ring.SlotsInFile());
    } catch (const CFileException& ex) {
        q.ring.Fail(ex);  // the request stays pending
        return;
    }
    uint32_t e, n;
    {
        CSingleLock g(q.cs);
        if (served != q.number) return;  // withdrawn meanwhile
        MovePage(q, ring);
        e = q.pageEnd;
        n = std::min(q.pageSize, kPageLen);
    }
    const uint32_t len = ring.len;
    std::list<T> page;
    uint32_t p = RingDiff(e, 1, len);
    try {
        for (uint32_t i = 0; i < n; ++i, p = RingDiff(p, 1, len)) {
            // A slot cut by a power loss, or beyond the file's end, holds no record.
            if (q.ring.ReadSlot(p, q.buf.data(), sizeof(T)) != CRecordRing::slotWhole) continue;
            T rec;
            std::memcpy(&rec, q.buf.data(), sizeof(T));
            page.push_back(rec);
        }
    } catch (const CFileException& ex) {
        q.ring.Fail(ex);
    }
    WindowHandle target = 0;
    {
        CSingleLock g(q.cs);
        if (served != q.number) return;  // withdrawn meanwhile; a newer request may be pending
        result.swap(page);
        q.state = 1;
        target = HandleOf(q.wnd.load());
    }
    PostDone(target, served);
}

void CThreadDataAlmRec::DoNibpQuery() { DoPageQuery(NibpPages(), m_listNibpResult); }

void CThreadDataAlmRec::DoSysQuery() { DoPageQuery(SysPages(), m_listSysResult); }

void CThreadDataAlmRec::CopyNibpResult(std::vector<NIBP_DATA>* out)
{
    CSingleLock g(m_csNibpFile);
    out->assign(m_listNibpResult.begin(), m_listNibpResult.end());
}

void CThreadDataAlmRec::CopySysResult(std::vector<SYS_DATA>* out)
{
    CSingleLock g(m_csSysFile);
    out->assign(m_listSysResult.begin(), m_listSysResult.end());
}

void CThreadDataAlmRec::ForgetRequester(CWnd* wnd)
{
    {
        CSingleLock g(m_csDataFile);
        m_listDataReq.remove_if([wnd](const DataRequest& r) { return r.rec->pWnd == wnd; });
    }
    struct Group {
        std::atomic<CWnd*>& requester;
        CCriticalSection& cs;
        uint8_t& state;
        uint32_t& number;
    };
    Group groups[] = {{m_pNibpWnd, m_csNibpFile, m_u8NibpQueryState, m_u32NibpRequestNo},
                      {m_pSysWnd, m_csSysFile, m_u8SysQueryState, m_u32SysRequestNo},
                      {m_pAlmWnd, m_csAlmFile, m_u8AlmQueryState, m_u32AlmRequestNo}};
    for (Group& group : groups) {
        CSingleLock g(group.cs);
        CWnd* expected = wnd;
        if (!group.requester.compare_exchange_strong(expected, nullptr)) continue;
        // Its pending request is withdrawn: a query under way then drops its answer.
        if (group.state == 2) {
            group.state = 1;
            group.number = 0;
        }
    }
}

// ---- Alarm search ---------------------------------------------------------------------------

uint32_t CThreadDataAlmRec::RequestAlmSearch(ALM_SEARCH* cond)
{
    if (cond == nullptr) return 0;
    CSingleLock g(m_csAlmFile);
    // A new search also takes the place of a pending end of review: that review is over anyway.
    const bool replacesEnd = m_u8AlmQueryState == 2 && m_stAlmSearch.u8Kind == 5 && cond->u8Kind == 1;
    if (m_u8AlmQueryState == 1 || replacesEnd) {
        m_stAlmSearch = *cond;
        m_u8AlmQueryState = 2;
        m_u32AlmRequestNo = NextRequestNo();
        return m_u32AlmRequestNo;
    }
    if (cond->u8Kind == 5) m_bAlmCancel = 1;
    return 0;
}

void CThreadDataAlmRec::DoAlmQuery()
{
    ALM_SEARCH cond;
    uint32_t served;
    AlmReviewState before{};
    {
        CSingleLock g(m_csAlmFile);
        if (m_u8AlmQueryState != 2) return;
        served = m_u32AlmRequestNo;
        cond = m_stAlmSearch;
        before = AlmReviewState{m_u32AlmCur, m_u32AlmAnchor, m_bAlmFound, m_bAlmBusy};
        m_bAlmBusy = 1;
    }
    const bool answer = cond.u8Kind >= 1 && cond.u8Kind <= 3;
    if (cond.u8Kind == 1) SearchAlmFirst(&cond);
    if (cond.u8Kind == 2 && m_bAlmFound) SearchAlmOlder(&cond);
    if (cond.u8Kind == 3 && m_bAlmFound) SearchAlmNewer(&cond);

    WindowHandle target = 0;
    bool current;
    {
        CSingleLock g(m_csAlmFile);
        current = served == m_u32AlmRequestNo;  // not withdrawn or replaced meanwhile
        if (answer && !current) m_bAlmBusy = before.busy;
        if (answer && current) {
            CWnd* wnd = m_pAlmWnd.load();
            if (auto* receiver = dynamic_cast<CAlmRecReceiver*>(wnd)) CopyAlmResult(receiver->GetAlmRecord(), &m_stAlmResult);
            target = HandleOf(wnd);
        }
        // An end-of-review request, served now or received while another was pending, ends the
        // review and with it the protection of the anchor.
        if (!answer || m_bAlmCancel) {
            m_bAlmBusy = 0;
            m_bAlmCancel = 0;
        }
        if (current) m_u8AlmQueryState = 1;
    }
    if (answer && !current) RestoreAlmReview(before);
    PostDone(target, served);
}

// A withdrawn search leaves the review where it stood, its record read again to match.
void CThreadDataAlmRec::RestoreAlmReview(const AlmReviewState& before)
{
    m_u32AlmCur = before.cur;
    m_u32AlmAnchor = before.anchor;
    m_bAlmFound = before.found;
    if (!m_bAlmFound || !ReadAlmSlot()) m_stAlmResult.idx.u8State = g_u8AlmStateNoHit;
}

bool CThreadDataAlmRec::AlmEntryMatches(uint32_t slot, const ALM_SEARCH& cond) const
{
    const ALM_INDEX& e = m_pAlmIndex[slot];
    return e.u8State == g_u8AlmStateComplete && e.u8AlmType == cond.u8AlmType &&
           CompareTime(e.szTime, cond.szStartTime) >= 0 && CompareTime(e.szTime, cond.szEndTime) <= 0;
}

int CThreadDataAlmRec::FindAlmNewest(ALM_SEARCH* cond)
{
    const uint32_t len = g_u32AlmSaveMax;
    const uint32_t n = m_u32AlmCount;
    if (n == 0) return -1;
    uint32_t p = RingDiff(m_u32AlmWrite % len, 1, len);
    const uint32_t scan = n < len ? n : kAlmScanFull;
    for (uint32_t i = 0; i < scan; ++i, p = RingDiff(p, 1, len))
        if (AlmEntryMatches(p, *cond)) return static_cast<int>(p);
    return -1;
}

void CThreadDataAlmRec::SearchAlmFirst(ALM_SEARCH* cond)
{
    const int s = m_bAlmFileErr ? -1 : FindAlmNewest(cond);
    if (s >= 0) {
        m_u32AlmCur = m_u32AlmAnchor = static_cast<uint32_t>(s);
        m_bAlmFound = 1;
        if (ReadAlmSlot()) return;
    }
    m_stAlmResult.idx.u8State = g_u8AlmStateNoHit;
    m_bAlmFound = 0;
}

void CThreadDataAlmRec::SearchAlmOlder(ALM_SEARCH* cond)
{
    const uint32_t len = g_u32AlmSaveMax;
    const uint32_t a = m_u32AlmAnchor;
    const uint32_t oldest = m_u32AlmCount < len ? 0 : m_u32AlmWrite % len;
    uint32_t p = m_u32AlmCur;
    while (RingDiff(a, p, len) < kAlmOlderReach && p != oldest) {
        p = RingDiff(p, 1, len);
        if (AlmEntryMatches(p, *cond)) {
            const uint32_t before = m_u32AlmCur;
            m_u32AlmCur = p;
            if (!ReadAlmSlot()) {
                m_u32AlmCur = before;
                m_stAlmResult.idx.u8State = g_u8AlmStateNoHit;
            }
            return;
        }
    }
    // No older match: the current record stays and is answered again.
}

void CThreadDataAlmRec::SearchAlmNewer(ALM_SEARCH* cond)
{
    const uint32_t len = g_u32AlmSaveMax;
    uint32_t p = m_u32AlmCur;
    while (p != m_u32AlmAnchor) {
        p = (p + 1) % len;
        if (AlmEntryMatches(p, *cond)) {
            const uint32_t before = m_u32AlmCur;
            m_u32AlmCur = p;
            if (!ReadAlmSlot()) {
                m_u32AlmCur = before;
                m_stAlmResult.idx.u8State = g_u8AlmStateNoHit;
            }
            return;
        }
    }
}

bool CThreadDataAlmRec::ReadAlmSlot()
{
    if (m_bAlmFileErr) return false;
    BYTE* buf = m_pAlmSlotBuf.data();
    try {
        if (m_ringAlm.ReadAt(AlmRecOffset(m_u32AlmCur), buf, g_u32AlmRecSize) < kAlmRecordEnd) return false;
    } catch (const CFileException& e) {
        m_ringAlm.Fail(e);
        return false;
    }
    std::memcpy(&m_stAlmResult.idx, buf, sizeof(ALM_INDEX));
    std::memcpy(&m_stAlmResult.val, buf + g_u32AlmValOffset, sizeof(REC_VALUES));
    UnpackWaves(m_stAlmResult, buf + g_u32AlmWaveOffset);
    return true;
}

void CThreadDataAlmRec::CopyAlmResult(SAVE_ALM* dst, const SAVE_ALM* src)
{
    if (dst == nullptr || src == nullptr || dst == src) return;
    dst->idx = src->idx;
    dst->val = src->val;
    CopyWaves(*dst, *src);
}
