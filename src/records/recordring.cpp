#include "records/recordring.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/textu16.h"

namespace {

const char16_t kSignature[8] = {u'K', u'W', u'P', u'D', u'5', u'N', u'X', u'Q'};
const char16_t kVersion[8] = {u'V', u' ', u'1', u'.', u'0', u'0', 0, 0};

uint64_t HeadOffset(int copy) { return copy == 0 ? 0 : g_u64HeadBOffset; }

// A header copy keeps its check value in the last two characters of its write-time field, after
// the terminator of the time text, and the seal's tag (below) in the two before them.
constexpr size_t kHeadCheckOffset = offsetof(REC_FILE_HEAD, szWriteTime) + 30 * sizeof(char16_t);
constexpr size_t kHeadCheckSize = sizeof(uint32_t);
constexpr size_t kHeadTagOffset = kHeadCheckOffset - sizeof(uint32_t);
constexpr size_t kHeadSealSize = kHeadCheckSize + sizeof(uint32_t);
// A seal's tag says that the copy or slot was sealed at all: bytes a writer without seals left
// there are not taken for a failed check. A slot's seal is its check value followed by the tag.
constexpr uint32_t kSealTag = 0xC5E1A7D2u;

// The CRC-32 table of the reflected polynomial 0xEDB88320.
struct CrcTable {
    uint32_t entry[256];
    constexpr CrcTable() : entry()
    {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entry[i] = c;
        }
    }
};
constexpr CrcTable kCrc;

uint32_t CrcUpdate(uint32_t crc, const BYTE* data, size_t size)
{
    for (size_t i = 0; i < size; ++i) crc = kCrc.entry[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

// The check value of size bytes, with the `sealSize` seal bytes at `at` read as zeros. Never 0,
// so zeros never pass for a check value.
uint32_t CheckValue(const BYTE* data, size_t size, size_t at, size_t sealSize)
{
    const BYTE zeros[CRecordRing::kSlotSealSize] = {};
    uint32_t crc = CrcUpdate(0xFFFFFFFFu, data, at);
    crc = CrcUpdate(crc, zeros, sealSize);
    crc = ~CrcUpdate(crc, data + at + sealSize, size - at - sealSize);
    return crc != 0 ? crc : 1;
}

uint32_t LoadU32(const BYTE* at)
{
    uint32_t value;
    std::memcpy(&value, at, sizeof(value));
    return value;
}

bool CheckHolds(const BYTE* data, size_t size, size_t at, size_t sealSize)
{
    return LoadU32(data + at) == CheckValue(data, size, at, sealSize);
}

void SealSlot(BYTE* data, size_t size, size_t at)
{
    const uint32_t check = CheckValue(data, size, at, CRecordRing::kSlotSealSize);
    std::memcpy(data + at, &check, sizeof(check));
    std::memcpy(data + at + sizeof(check), &kSealTag, sizeof(kSealTag));
}

// A tagged slot whose check value does not match was cut part-way. A slot without the tag was
// written by a writer without seals and is a record as it is, unless every byte a review reads
// is zero: such a slot is a hole (a file cut and written on at its old index, a sparse copy)
// and holds no record, like one beyond the file's end.
int JudgeSlot(const BYTE* data, size_t size, size_t at, size_t readSize)
{
    if (LoadU32(data + at + sizeof(uint32_t)) == kSealTag)
        return CheckHolds(data, size, at, CRecordRing::kSlotSealSize) ? CRecordRing::slotWhole : CRecordRing::slotTorn;
    const bool empty = std::all_of(data, data + readSize, [](BYTE b) { return b == 0; });
    return empty ? CRecordRing::slotMissing : CRecordRing::slotWhole;
}

bool HeaderTagged(const REC_FILE_HEAD& head)
{
    return LoadU32(reinterpret_cast<const BYTE*>(&head) + kHeadTagOffset) == kSealTag;
}

}  // namespace

CRecordRing::CRecordRing(const RING_LAYOUT& layout, CFile& file, REC_FILE_HEAD* head, int& headToggle,
                         std::atomic<uint32_t>& write, std::atomic<uint32_t>& count, int& fileErr)
    : m_layout(layout), m_file(file), m_head(head), m_headToggle(headToggle), m_write(write), m_count(count),
      m_fileErr(fileErr)
{
}

std::string CRecordRing::KeptName(const std::string& path, int n)
{
    return n <= 1 ? path + ".damaged" : path + ".damaged." + std::to_string(n);
}

size_t CRecordRing::KeptSuffixMax() { return KeptName("", kKeptNamesMax).size(); }

void CRecordRing::StampSignature(REC_FILE_HEAD* head)
{
    std::memcpy(head->szSignature, kSignature, sizeof(kSignature));
    std::memcpy(head->szVersion, kVersion, sizeof(kVersion));
}

bool CRecordRing::IsValid(const REC_FILE_HEAD& head) const
{
    if (std::memcmp(head.szSignature, kSignature, sizeof(kSignature)) != 0) return false;
    const uint32_t len = m_layout.u32RingLen;
    const uint32_t w = head.u32WriteIndex;
    const uint32_t n = head.u32Count;
    if (n > len) return false;
    // Until the ring is full every record went to the next slot, so index and count agree.
    if (m_layout.bWrapIndex) return w < len && (n == len || w == n);
    return n == (w < len ? w : len);
}

void CRecordRing::SealHeader(REC_FILE_HEAD* head)
{
    auto* bytes = reinterpret_cast<BYTE*>(head);
    const uint32_t check = CheckValue(bytes, sizeof(*head), kHeadTagOffset, kHeadSealSize);
    std::memcpy(bytes + kHeadTagOffset, &kSealTag, sizeof(kSealTag));
    std::memcpy(bytes + kHeadCheckOffset, &check, sizeof(check));
}

bool CRecordRing::HeaderSealed(const REC_FILE_HEAD& head)
{
    // A tagged copy's check value covers its bytes with the tag read as zeros; one from a build
    // before the tag covers every byte but its check value.
    const auto* bytes = reinterpret_cast<const BYTE*>(&head);
    const bool tagged = HeaderTagged(head);
    const size_t at = tagged ? kHeadTagOffset : kHeadCheckOffset;
    const size_t sealSize = tagged ? kHeadSealSize : kHeadCheckSize;
    return LoadU32(bytes + kHeadCheckOffset) == CheckValue(bytes, sizeof(head), at, sealSize);
}

uint32_t CRecordRing::NextIndex(uint32_t index) const
{
    const uint32_t len = m_layout.u32RingLen;
    if (m_layout.bWrapIndex) return (index + 1) % len;
    // An index that never wraps would overflow after 2^32 records: it goes on at the next slot
    // with an index that still says the ring is full.
    return index + 1 > index ? index + 1 : len + (index % len + 1) % len;
}

int CRecordRing::ChooseCopy(bool validA, bool validB)
{
    if (!validA && !validB) return -1;
    if (validA != validB) return validA ? 0 : 1;
    const uint32_t a = m_head[0].u32WriteIndex;
    const uint32_t b = m_head[1].u32WriteIndex;
    // The copy one record ahead holds the newer state, also across the wrap.
    if (NextIndex(a) == b) return 1;
    if (NextIndex(b) == a) return 0;
    return b > a ? 1 : 0;
}

int CRecordRing::Open(const std::string& path, const std::vector<std::string>& otherFiles)
{
    m_path = path;
    if (!OpenFile()) return openFailed;
    for (size_t i = 0; i < otherFiles.size(); ++i) {
        if (m_file.IsSameFile(otherFiles[i])) return LeaveOtherFile(i);
    }
    try {
        const uint64_t length = m_file.GetLength();
        // A file that can hold no record is new, whatever its headers hold: a start cut short
        // while making the file leaves one.
        if (length <= g_u64RecordAreaOffset) return StartEmpty(openNew);
        bool valid[2];
        ReadCopies(valid);
        const int chosen = ChooseCopy(valid[0], valid[1]);
        // Without a valid header the file may still hold records, or be some other file: it is
        // kept aside before a new one is made. One that an older version left unfinished while
        // making it holds nothing and is made anew.
        if (chosen < 0 && UnfinishedByOlderVersion(length)) return StartEmpty(openNew);
        if (chosen < 0) return PutAside("no valid header") ? StartEmpty(openNoHeader) : openFailed;
        m_write = m_head[chosen].u32WriteIndex;
        m_count = m_head[chosen].u32Count;
        m_headToggle = 1 - chosen;  // the older copy takes the next update
        if (m_count.load() == 0 && length < m_layout.u64MadeLength) return StartEmpty(openNew);
        KeepRecordsInFile(length);
        return valid[0] && valid[1] ? openBoth : openOne;
    } catch (const CFileException& e) {
        Fail(e);
        return openFailed;
    }
}

void CRecordRing::ReadCopies(bool valid[2])
{
    bool sealed[2], torn[2];
    for (int copy = 0; copy < 2; ++copy) {
        // A copy that lies whole in the file is read; one cut by the file's end keeps what memory held.
        REC_FILE_HEAD read;
        if (ReadAt(HeadOffset(copy), &read, sizeof(read)) == sizeof(read)) m_head[copy] = read;
        sealed[copy] = HeaderSealed(m_head[copy]);
        torn[copy] = !sealed[copy] && HeaderTagged(m_head[copy]);
        valid[copy] = IsValid(m_head[copy]);
        StampSignature(&m_head[copy]);
    }
    // Copies are written one at a time, each sealed by its check value. A copy whose check fails
    // beside one whose check holds was cut while being written. A copy that carries the tag and
    // whose check fails was cut too, also beside a copy written without check values (the first
    // write after an older version): it is refused beside any valid copy that was not cut. When
    // neither check holds and no copy is told cut, the file was written without check values and
    // the copies' own fields decide.
    bool refused[2];
    for (int copy = 0; copy < 2; ++copy) {
        const int other = 1 - copy;
        refused[copy] = !sealed[copy] && (sealed[other] || (torn[copy] && valid[other] && !torn[other]));
    }
    for (int copy = 0; copy < 2; ++copy) valid[copy] = valid[copy] && !refused[copy];
}

// A file that ends before the slots its header counts (copied in part, or cut from outside)
// keeps the records it holds: a write slot beyond its end moves back to the end, so new records
// follow those in the file, and reviews pass over the slots that are not there.
void CRecordRing::KeepRecordsInFile(uint64_t length)
{
    const uint32_t len = m_layout.u32RingLen;
    const uint32_t held = SlotsIn(length);
    const uint32_t counted = std::min(m_count.load(), len);
    if (held >= counted) return;
    const uint32_t slot = WriteSlot();
    if (slot > held) {
        m_write = m_write.load() - (slot - held);
        if (m_count.load() < len) m_count = m_write.load();
    }
    std::fprintf(stderr, "record file %s holds %u of the %u records its header counts; the records it holds are kept\n",
                 EscapedText(m_path).c_str(), static_cast<unsigned>(held), static_cast<unsigned>(counted));
}

bool CRecordRing::UnfinishedByOlderVersion(uint64_t length)
{
    return length <= m_layout.u64MadeLength && m_layout.holdsNothing != nullptr && m_layout.holdsNothing(*this, length);
}

uint32_t CRecordRing::SlotsInFile() { return SlotsIn(m_file.GetLength()); }

uint32_t CRecordRing::SlotsIn(uint64_t length) const
{
    const uint64_t need = m_layout.u64SlotAreaOffset + m_layout.u32ReadSize;
    if (length < need) return 0;
    return static_cast<uint32_t>(std::min<uint64_t>((length - need) / m_layout.u32SlotSize + 1, m_layout.u32RingLen));
}

int CRecordRing::LeaveOtherFile(size_t index)
{
    // Made by this open, through a link to a file that was not there: nothing was lost.
    AbortRemovingMade();
    m_fileErr = 1;
    m_reported = true;
    m_otherFile = index;
    return openOtherFile;
}

bool CRecordRing::OpenFile()
{
    CFileException error;
    if (m_file.Open(m_path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite |
                                          CFile::shareDenyWrite, &error)) {
        m_madeNew = m_file.WasCreated();
        return true;
    }
    m_fileErr = 1;
    if (!m_reported) std::fprintf(stderr, "record file cannot be opened: %s\n", EscapedText(error.Describe()).c_str());
    m_reported = true;
    return false;
}

int CRecordRing::StartEmpty(int result)
{
    // The file is made anew: nothing read from it is written back.
    m_head[0] = REC_FILE_HEAD{};
    m_head[1] = REC_FILE_HEAD{};
    m_write = 0;
    m_count = 0;
    m_headToggle = 0;
    return result;
}

bool CRecordRing::PutAside(const char* why)
{
    const std::string shown = EscapedText(m_path);
    // Renamed while still open and locked, so no other writer slips in between; never over an
    // earlier kept file.
    for (int n = 1; n <= kKeptNamesMax; ++n) {
        const std::string kept = KeptName(m_path, n);
        try {
            CFile::RenameNoReplace(m_path.c_str(), kept.c_str());
        } catch (const CFileException& e) {
            if (e.m_lOsError == EEXIST) continue;
            std::fprintf(stderr, "record file %s is damaged (%s) and cannot be kept as %s (%s); the file is not used\n",
                         shown.c_str(), why, EscapedText(kept).c_str(), std::strerror(e.m_lOsError));
            return LeaveDamaged();
        }
        m_file.Abort();
        std::fprintf(stderr, "record file %s is damaged (%s); it is kept as %s and a new file is made\n", shown.c_str(),
                     why, EscapedText(kept).c_str());
        return OpenFile();
    }
    std::fprintf(stderr, "record file %s is damaged (%s) and cannot be kept: %s to %s are all taken; the file is not used\n",
                 shown.c_str(), why, EscapedText(KeptName(m_path, 1)).c_str(),
                 EscapedText(KeptName(m_path, kKeptNamesMax)).c_str());
    return LeaveDamaged();
}

bool CRecordRing::LeaveDamaged()
{
    m_fileErr = 1;
    m_file.Abort();
    m_reported = true;
    return false;
}

int CRecordRing::Create()
{
    if (!Available()) return 0;
    try {
        WriteNewHeaders();
        FinishNew();
    } catch (const CFileException& e) {
        FailCreate(e);
        return 1;
    }
    return 0;
}

void CRecordRing::WriteNewHeaders()
{
    char16_t now[32];
    FormatRecordTime(now, 32);
    for (int copy = 0; copy < 2; ++copy) {
        REC_FILE_HEAD& h = m_head[copy];
        StampSignature(&h);
        h.u32WriteIndex = m_write;
        h.u32Count = m_count;
        U16Copy(h.szCreateTime, 32, now);
        U16Copy(h.szWriteTime, 32, now);
        SealHeader(&h);
    }
    m_headToggle = 0;
    m_file.Seek(0, CFile::begin);
    m_file.Write(&m_head[0], sizeof(REC_FILE_HEAD));
    m_file.Seek(static_cast<int64_t>(g_u64HeadBOffset), CFile::begin);
    m_file.Write(&m_head[1], sizeof(REC_FILE_HEAD));
    m_file.Flush();
}

void CRecordRing::FinishNew()
{
    CFile::SyncFolder(m_path);  // a new file's name survives a power loss only so
    m_madeNew = false;
}

void CRecordRing::StoreRecord(void* slot)
{
    if (!Available()) return;
    if (m_layout.u32CheckOffset != 0) SealSlot(static_cast<BYTE*>(slot), m_layout.u32SlotSize, m_layout.u32CheckOffset);
    try {
        WriteAt(SlotOffset(WriteSlot()), slot, m_layout.u32SlotSize);
        CommitHeader();
    } catch (const CFileException& e) {
        Fail(e);
    }
}

void CRecordRing::CommitHeader()
{
    const uint32_t len = m_layout.u32RingLen;
    const uint32_t w = NextIndex(m_write.load());
    m_write = w;
    if (m_count.load() < len) m_count = m_count.load() + 1;

    const int copy = m_headToggle;
    REC_FILE_HEAD& h = m_head[copy];
    StampSignature(&m_head[0]);
    StampSignature(&m_head[1]);
    h.u32WriteIndex = w;
    h.u32Count = m_count;
    FormatRecordTime(h.szWriteTime, 32);
    SealHeader(&h);
    m_headToggle = 1 - copy;
    WriteAt(HeadOffset(copy), &h, sizeof(REC_FILE_HEAD));
}

void CRecordRing::WriteAt(uint64_t offset, const void* data, UINT size)
{
    m_file.Seek(static_cast<int64_t>(offset), CFile::begin);
    m_file.Write(data, size);
    m_file.Flush();
}

UINT CRecordRing::ReadAt(uint64_t offset, void* data, UINT size)
{
    m_file.Seek(static_cast<int64_t>(offset), CFile::begin);
    return m_file.Read(data, size);
}

int CRecordRing::ReadSlot(uint32_t slot, void* data, UINT need)
{
    const UINT size = m_layout.u32SlotSize;
    const UINT got = ReadAt(SlotOffset(slot), data, size);
    if (got < need) return slotMissing;
    // Bytes past the end of the file read as the zeros they become when the file grows.
    std::memset(static_cast<BYTE*>(data) + got, 0, size - got);
    if (m_layout.u32CheckOffset == 0) return slotWhole;
    return JudgeSlot(static_cast<const BYTE*>(data), size, m_layout.u32CheckOffset, m_layout.u32ReadSize);
}

int CRecordRing::ReadRecord(uint32_t& slot, void* data, int direction)
{
    const uint32_t len = m_layout.u32RingLen;
    const UINT need = m_layout.u32ReadSize;
    int read = ReadSlot(slot, data, need);
    for (int towards : {direction, -direction}) {
        const uint32_t end = towards == towardsNewer ? NewestSlot() : OldestSlot();
        for (uint32_t p = slot; read != slotWhole && p != end;) {
            p = (p + len + static_cast<uint32_t>(towards)) % len;
            read = ReadSlot(p, data, need);
            if (read == slotWhole) slot = p;
        }
    }
    return read;
}

uint32_t CRecordRing::OldestSlot() const { return m_count.load() < m_layout.u32RingLen ? 0 : WriteSlot(); }

uint32_t CRecordRing::NewestSlot() const { return (WriteSlot() + m_layout.u32RingLen - 1) % m_layout.u32RingLen; }

void CRecordRing::Fail(const CFileException& e) { Stop(e, ""); }

void CRecordRing::FailCreate(const CFileException& e)
{
    // A file this start made holds no records; removed, it leaves its space to the other files.
    Stop(e, AbortRemovingMade() ? "; the unfinished file is removed" : "");
}

bool CRecordRing::AbortRemovingMade()
{
    // Only while its name still leads to it: the name may lead to another file by now.
    // Through a link, the file it leads to is removed, not the link.
    std::error_code ec;
    const bool ours = m_madeNew && m_file.IsOpen() && m_file.IsSameFile(m_path);
    const std::filesystem::path made = ours ? std::filesystem::canonical(m_path, ec) : std::filesystem::path();
    m_file.Abort();
    return ours && !ec && std::remove(made.c_str()) == 0;
}

void CRecordRing::Stop(const CFileException& e, const char* tail)
{
    m_fileErr = 1;
    m_file.Abort();
    if (!m_reported)
        std::fprintf(stderr, "record file error, file no longer used: %s%s\n", EscapedText(e.Describe()).c_str(), tail);
    m_reported = true;
}
