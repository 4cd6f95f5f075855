// The file mechanics shared by the four record files: opening with the choice of the better
// header copy, creating, writing a slot followed by the next header copy, reading, and turning
// a file error into an unavailable file. Header copies and record slots carry a check value in
// bytes the format leaves undefined, so that a write cut part-way by a power loss is told from a
// whole one; a check value judges only what a writer that keeps them sealed, so files written
// without them (by earlier versions or other writers) open with every record. The state lives in
// the record thread's members of each file group; a ring works on them through references.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file.h"
#include "records/recordtypes.h"

class CRecordRing;

struct RING_LAYOUT {
    uint32_t u32RingLen;
    uint32_t u32SlotSize;
    bool bWrapIndex;  // true: write index kept below the ring length; false: grows, slot = index % length
    // Where a slot keeps its seal (check value and tag, kSlotSealSize bytes), in bytes that its
    // record leaves unused; 0 when the ring's slots are not stored through StoreRecord and carry none.
    uint32_t u32CheckOffset;
    // The bytes of a slot that a review reads; a slot is in the file when these are.
    uint32_t u32ReadSize;
    // The length of a file once it is made: one that counts no record and is shorter was cut
    // short while it was made, and is made again.
    uint64_t u64MadeLength;
    // Where slot 0 lies: the record area, after the header copies, unless the ring says otherwise.
    uint64_t u64SlotAreaOffset = g_u64RecordAreaOffset;
    // Whether a file without a valid header, no longer than a made one, holds nothing: it was
    // then cut short while an older version made it, and is made anew. Raises. Null: such a
    // file is kept aside like any other.
    bool (*holdsNothing)(CRecordRing& ring, uint64_t length) = nullptr;
};

class CRecordRing {
public:
    // Results of Open.
    enum OpenResult { openBoth = 0, openOne = 1, openNoHeader = 2, openNew = 3, openFailed = 4, openOtherFile = 5 };
    // Results of ReadSlot and ReadRecord.
    enum SlotRead { slotWhole, slotTorn, slotMissing };
    // Directions of ReadRecord.
    enum Direction { towardsOlder = -1, towardsNewer = 1 };
    static constexpr uint32_t kSlotSealSize = 8;

    CRecordRing(const RING_LAYOUT& layout, CFile& file, REC_FILE_HEAD* head, int& headToggle,
                std::atomic<uint32_t>& write, std::atomic<uint32_t>& count, int& fileErr);

    // Opens path and restores the write index and count from the better header copy. The copy
    // not taken gets the next update. A file that can hold no record, or that was cut short
    // while it was made, is new, as is one without a valid header that the layout says holds
    // nothing. Any other larger file without a valid header is kept aside under a name of its
    // own (KeptName, one line says so) and a new file is opened for Create; openFailed when it
    // cannot be kept. A file that ends before the records its header counts keeps those it
    // holds (one line). The opened file turning out to be one of otherFiles (through a link) is
    // closed, removed when this open made it, and openOtherFile returned; OtherFileIndex() then
    // says which.
    int Open(const std::string& path, const std::vector<std::string>& otherFiles = {});
    size_t OtherFileIndex() const { return m_otherFile; }
    // Writes both header copies for the current write index and count; 0, or 1 after an error.
    int Create();
    // The steps of Create, for a file that writes more than its headers when it is made: both
    // header copies written and flushed, then, once the rest is written and flushed, the new
    // file's name put on disk. Raise.
    void WriteNewHeaders();
    void FinishNew();

    bool Available() const { return m_fileErr == 0; }
    uint32_t RingLen() const { return m_layout.u32RingLen; }
    uint32_t Count() const { return m_count.load(); }
    // The slot the next record goes to.
    uint32_t WriteSlot() const { return m_write.load() % m_layout.u32RingLen; }
    uint64_t SlotOffset(uint32_t slot) const
    {
        return m_layout.u64SlotAreaOffset + static_cast<uint64_t>(slot) * m_layout.u32SlotSize;
    }
    // The slots, from the first, whose bytes a review reads lie in the file; at most the ring
    // length. A ring whose file was cut holds the slots before the cut. Raises.
    uint32_t SlotsInFile();

    // Seals the slot with its check value, writes it at the write slot, advances the index and
    // count and writes the next header copy, flushing after each step. A file error makes the
    // file unavailable.
    void StoreRecord(void* slot);
    // Advances the write index and count by one record and writes the next header copy. Raises.
    void CommitHeader();
    // Seek, write and flush. Raises.
    void WriteAt(uint64_t offset, const void* data, UINT size);
    // Seek and read; returns the bytes read. Raises.
    UINT ReadAt(uint64_t offset, void* data, UINT size);
    // Reads one slot into data: slotWhole, slotTorn when its seal does not match (a write cut
    // part-way), slotMissing when the file ends before `need` of its bytes or the slot holds
    // nothing (no seal, and zeros in every byte a review reads). Raises.
    int ReadSlot(uint32_t slot, void* data, UINT need);
    // Reads the stored record at slot, a whole slot, into data. A torn or missing slot is passed
    // over in `direction` to the next whole record beyond it, or, when there is none that way, to
    // the nearest one the other way. slot ends at the record read. Raises.
    int ReadRecord(uint32_t& slot, void* data, int direction);
    // Marks the file unavailable, closes it by abort and reports the error once.
    void Fail(const CFileException& e);
    // The same for an error while the file is being created: a file this start made is removed.
    void FailCreate(const CFileException& e);

    // Names a damaged record file may be kept under: path + ".damaged" for the first, then
    // path + ".damaged.2" up to path + ".damaged.99"; a kept file is never replaced.
    static constexpr int kKeptNamesMax = 99;
    static std::string KeptName(const std::string& path, int n);
    // The longest ending that KeptName adds to a record file's name.
    static size_t KeptSuffixMax();

    // Puts the signature and the version into a header copy.
    static void StampSignature(REC_FILE_HEAD* head);
    // A copy is usable by its own fields: signature right, index and count inside the ring and
    // in agreement. Its check value is judged beside the other copy's at open.
    bool IsValid(const REC_FILE_HEAD& head) const;
    // Seals a header copy with the tag and the check value of its other bytes; whether a copy's
    // check value holds.
    static void SealHeader(REC_FILE_HEAD* head);
    static bool HeaderSealed(const REC_FILE_HEAD& head);

private:
    // The write index after one more record.
    uint32_t NextIndex(uint32_t index) const;
    int ChooseCopy(bool validA, bool validB);
    // Reads both header copies into memory and says which are valid.
    void ReadCopies(bool valid[2]);
    // Moves a write slot that lies beyond the file's end back to it.
    void KeepRecordsInFile(uint64_t length);
    int LeaveOtherFile(size_t index);
    // Closes the file by abort; a file this start made is removed, only while its name still
    // leads to it. Whether it was removed.
    bool AbortRemovingMade();
    uint32_t SlotsIn(uint64_t length) const;
    // A file without a valid header that the layout says holds nothing. Raises.
    bool UnfinishedByOlderVersion(uint64_t length);
    // Opens m_path, creating it when missing; reports a failure once.
    bool OpenFile();
    // Write index, count and both header copies as for a file made from nothing; returns result.
    int StartEmpty(int result);
    // Renames the open file aside to the first free KeptName and opens a new one in its place.
    bool PutAside(const char* why);
    // A damaged file that cannot be kept aside is left as it is and not used; false.
    bool LeaveDamaged();
    void Stop(const CFileException& e, const char* tail);
    // The oldest and the newest stored record's slot; only with records stored.
    uint32_t OldestSlot() const;
    uint32_t NewestSlot() const;

    RING_LAYOUT m_layout;
    CFile& m_file;
    REC_FILE_HEAD* m_head;  // two copies, A and B
    int& m_headToggle;
    std::atomic<uint32_t>& m_write;
    std::atomic<uint32_t>& m_count;
    int& m_fileErr;
    std::string m_path;
    bool m_reported = false;
    bool m_madeNew = false;  // the open file was made by this start and is not finished yet
    size_t m_otherFile = 0;  // which of the other files an open found
};
