#include "records/recordring.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "platform/textu16.h"

namespace {

const char16_t kSignature[8] = {u'K', u'W', u'P', u'D', u'5', u'N', u'X', u'Q'};
const char16_t kVersion[8] = {u'V', u' ', u'1', u'.', u'0', u'0', 0, 0};
constexpr UINT kHeadReadSize = 256;

uint64_t HeadOffset(int copy) { return copy == 0 ? 0 : g_u64HeadBOffset; }

// A header copy keeps its check value in the last two characters of its write-time field, after
// the terminator of the time text.
constexpr size_t kHeadCheckOffset = offsetof(REC_FILE_HEAD, szWriteTime) + 30 * sizeof(char16_t);
constexpr size_t kCheckSize = sizeof(uint32_t);

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

// The check value of size bytes, with the check bytes at `at` read as zeros. Never 0: zeros in the
// check bytes mark a slot or header copy written before check values were kept.
uint32_t CheckValue(const BYTE* data, size_t size, size_t at)
{
    const BYTE zeros[kCheckSize] = {};
    uint32_t crc = CrcUpdate(0xFFFFFFFFu, data, at);
    crc = CrcUpdate(crc, zeros, kCheckSize);
    crc = ~CrcUpdate(crc, data + at + kCheckSize, size - at - kCheckSize);
    return crc != 0 ? crc : 1;
}

void Seal(BYTE* data, size_t size, size_t at)
{
    const uint32_t check = CheckValue(data, size, at);
    std::memcpy(data + at, &check, kCheckSize);
}

// A write cut part-way leaves a check value that does not match the bytes; one written without a
// check value is taken as it is.
bool CheckMatches(const BYTE* data, size_t size, size_t at)
{
    uint32_t stored;
    std::memcpy(&stored, data + at, kCheckSize);
    return stored == 0 || stored == CheckValue(data, size, at);
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
    if (!CheckMatches(reinterpret_cast<const BYTE*>(&head), sizeof(head), kHeadCheckOffset)) return false;
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
    Seal(reinterpret_cast<BYTE*>(head), sizeof(*head), kHeadCheckOffset);
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

int CRecordRing::Open(const std::string& path)
{
    m_path = path;
    if (!OpenFile()) return openFailed;
    try {
        const uint64_t length = m_file.GetLength();
        const bool small = length <= g_u64RecordAreaOffset;
        if (length == 0) return StartEmpty(openNew);
        bool valid[2];
        for (int copy = 0; copy < 2; ++copy) {
            uint8_t raw[kHeadReadSize];
            if (ReadAt(HeadOffset(copy), raw, kHeadReadSize) == kHeadReadSize)
                std::memcpy(&m_head[copy], raw, sizeof(REC_FILE_HEAD));
            valid[copy] = IsValid(m_head[copy]);
            StampSignature(&m_head[copy]);
        }
        const int chosen = ChooseCopy(valid[0], valid[1]);
        // A file without a valid header, or too short for the records its header counts, may
        // still hold records or be some other file: it is kept aside before a new one is made.
        if (chosen < 0) return PutAside("no valid header") ? StartEmpty(small ? openNew : openNoHeader) : openFailed;
        if (small) {
            const bool counts = (valid[0] && m_head[0].u32Count > 0) || (valid[1] && m_head[1].u32Count > 0);
            if (!counts) return StartEmpty(openNew);
            return PutAside("shorter than the records its header counts") ? StartEmpty(openNew) : openFailed;
        }
        m_write = m_head[chosen].u32WriteIndex;
        m_count = m_head[chosen].u32Count;
        m_headToggle = 1 - chosen;  // the older copy takes the next update
        return valid[0] && valid[1] ? openBoth : openOne;
    } catch (const CFileException& e) {
        Fail(e);
        return openFailed;
    }
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
    const std::string aside = m_path + ".damaged";
    const std::string shown = EscapedText(m_path);
    // Renamed while still open and locked, so no other writer slips in between.
    try {
        CFile::Rename(m_path.c_str(), aside.c_str());
    } catch (const CFileException& e) {
        m_fileErr = 1;
        m_file.Abort();
        std::fprintf(stderr, "record file %s is damaged (%s) and cannot be kept as %s (%s); the file is not used\n",
                     shown.c_str(), why, EscapedText(aside).c_str(), std::strerror(e.m_lOsError));
        m_reported = true;
        return false;
    }
    m_file.Abort();
    std::fprintf(stderr, "record file %s is damaged (%s); it is kept as %s and a new file is made\n", shown.c_str(),
                 why, EscapedText(aside).c_str());
    return OpenFile();
}

int CRecordRing::Create()
{
    char16_t now[32];
    FormatRecordTime(now, 32);
    if (!Available()) return 0;
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
    try {
        m_file.Seek(0, CFile::begin);
        m_file.Write(&m_head[0], sizeof(REC_FILE_HEAD));
        m_file.Seek(static_cast<int64_t>(g_u64HeadBOffset), CFile::begin);
        m_file.Write(&m_head[1], sizeof(REC_FILE_HEAD));
        m_file.Flush();
        CFile::SyncFolder(m_path);  // a new file's name survives a power loss only so
    } catch (const CFileException& e) {
        FailCreate(e);
        return 1;
    }
    m_madeNew = false;
    return 0;
}

void CRecordRing::StoreRecord(void* slot)
{
    if (!Available()) return;
    if (m_layout.u32CheckOffset != 0) Seal(static_cast<BYTE*>(slot), m_layout.u32SlotSize, m_layout.u32CheckOffset);
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
    return CheckMatches(static_cast<const BYTE*>(data), size, m_layout.u32CheckOffset) ? slotWhole : slotTorn;
}

int CRecordRing::ReadRecord(uint32_t& slot, void* data)
{
    const uint32_t len = m_layout.u32RingLen;
    uint32_t p = slot;
    const UINT need = m_layout.u32SlotSize;
    int read = ReadSlot(p, data, need);
    // A power loss cuts the slot being overwritten, the oldest record of a full ring: the record
    // after it is the oldest whole one.
    while (read == slotTorn && p != NewestSlot()) read = ReadSlot(p = (p + 1) % len, data, need);
    if (read == slotTorn) {
        p = slot;
        while (read == slotTorn && p != OldestSlot()) read = ReadSlot(p = (p + len - 1) % len, data, need);
    }
    if (read != slotTorn) slot = p;
    return read;
}

uint32_t CRecordRing::OldestSlot() const { return m_count.load() < m_layout.u32RingLen ? 0 : WriteSlot(); }

uint32_t CRecordRing::NewestSlot() const { return (WriteSlot() + m_layout.u32RingLen - 1) % m_layout.u32RingLen; }

void CRecordRing::Fail(const CFileException& e) { Stop(e, ""); }

void CRecordRing::FailCreate(const CFileException& e)
{
    m_file.Abort();
    // A file this start made holds no records; removed, it leaves its space to the other files.
    const bool removed = m_madeNew && std::remove(m_path.c_str()) == 0;
    Stop(e, removed ? "; the unfinished file is removed" : "");
}

void CRecordRing::Stop(const CFileException& e, const char* tail)
{
    m_fileErr = 1;
    m_file.Abort();
    if (!m_reported)
        std::fprintf(stderr, "record file error, file no longer used: %s%s\n", EscapedText(e.Describe()).c_str(), tail);
    m_reported = true;
}
