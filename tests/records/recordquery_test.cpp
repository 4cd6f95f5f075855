// Paged queries: the data review's read position and the NIBP and system-event pages.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <tuple>

#include "appbase/tesmorapp.h"
#include "core/monitordefs.h"
#include "platform/uiloop.h"
#include "recordfixture.h"

namespace {

// A window that counts the answers it receives and keeps the request number of the last one.
class ProbeWnd : public CWnd {
public:
    ProbeWnd() { Create(nullptr, CRect(0, 0, 10, 10), 1); }
    LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_REC_QUERY_DONE || wParam != g_wRecQueryDone) return 0;
        ++answers;
        lastNumber = lParam;
        return 0;
    }
    int answers = 0;
    LPARAM lastNumber = 0;
};

void CraftSysSlots(const std::string& path, uint32_t slots)
{
    for (uint32_t i = 0; i < slots; ++i) {
        SYS_DATA ev{};
        U16Format(ev.szEvent, 20, "EV%03u", i);
        WriteRaw(path, 0x20000 + i * 128, &ev, sizeof(ev));
    }
}

class RecordQueryTest : public RecordFixture {
protected:
    TestRecThread& Start() override
    {
        RecordFixture::Start().m_pNibpWnd = &probe;
        thread->m_pSysWnd = &probe;
        return *thread;
    }
    // Places a data request and serves it; returns the id of the record in the answer.
    uint32_t Data(int mode, int step)
    {
        sink.rec.pWnd = &probe;
        sink.rec.nMode = mode;
        sink.rec.nStep = step;
        thread->RequestDataRecord(&sink.rec);
        Serve();
        return DataId(sink.rec.val);
    }
    // Requests a system-event page and returns the slot numbers shown.
    std::vector<int> SysPage(int dir)
    {
        thread->RequestSysPage(dir);
        Serve();
        std::vector<SYS_DATA> page;
        thread->CopySysResult(&page);
        std::vector<int> slots;
        for (auto& ev : page) {
            const std::string text = ToUtf8(U16(ev.szEvent, 20));
            slots.push_back(text.size() > 2 ? std::stoi(text.substr(2)) : -1);  // -1: not an event of the test
        }
        return slots;
    }
    // Starts on a file of `slots` system events whose header copies count records up to index
    // `write` (B one behind), cut to `length` bytes unless 0; returns what the start said.
    std::string StartOnSysFile(uint32_t slots, uint32_t write, uint64_t length = 0)
    {
        const std::string& path = sysPath;
        CraftSysSlots(path, slots);
        WriteHeads(path, write, std::min(write, g_u32SysSaveMax), g_u32SysSaveMax);
        EXPECT_EQ(length == 0 ? 0 : truncate(path.c_str(), static_cast<off_t>(length)), 0);
        return StartSaying();
    }
    // What a start says of a file that ends before the records its header counts.
    static std::string Holds(const std::string& path, uint32_t held, uint32_t counted)
    {
        return "record file " + path + " holds " + std::to_string(held) + " of the " + std::to_string(counted) +
               " records its header counts; the records it holds are kept\n";
    }
    static std::vector<int> Range(int from, int to)  // from down to to
    {
        std::vector<int> v;
        for (int i = from; i >= to; --i) v.push_back(i);
        return v;
    }
    ProbeWnd probe;
    DataRecordSink sink;
};

TEST_F(RecordQueryTest, DataStepsInAPartlyFilledRing)
{
    const std::string& path = dataPath;
    for (uint32_t i = 0; i <= 100; ++i) CraftDataSlot(path, i, 1000 + i);
    WriteHeads(path, 101, 101, g_u32DataSaveMax);
    Start();
    EXPECT_EQ(Data(3, 1), 1100u);
    EXPECT_EQ(probe.answers, 1);
    EXPECT_EQ(sink.ecg[2][999], EcgSample(1100, 2, 999));
    EXPECT_EQ(sink.pleth[249], ByteSample(1100, 1, 249));
    EXPECT_EQ(Data(2, 30), 1070u);
    EXPECT_EQ(Data(1, 30), 1100u);
    thread->m_u32DataRead = 71;
    EXPECT_EQ(Data(1, 30), 1100u);  // only 29 newer records
    thread->m_u32DataRead = 20;
    EXPECT_EQ(Data(2, 30), 1000u);
    EXPECT_EQ(Data(1, 0), 1000u);  // step 0 reads the current record again
    EXPECT_EQ(Data(2, 0), 1000u);
    EXPECT_EQ(Data(2, 1), 1000u);  // nothing older than the oldest
    EXPECT_EQ(probe.answers, 8);
    EXPECT_EQ(sink.rec.pWnd, &probe);
    EXPECT_EQ(sink.rec.nStep, 1);

    thread->m_bDataFileErr = 1;
    Data(1, 30);
    thread->RunPass();
    EXPECT_EQ(probe.answers, 8);                 // a request to an unavailable file waits
    EXPECT_EQ(thread->m_u32DataRead, 0u);        // and the position does not drift meanwhile
}

TEST_F(RecordQueryTest, DataStepsInAFullRing)
{
    const std::string& path = dataPath;
    const uint32_t w = 10;
    for (uint32_t s : {9u, 10u, 11u, 15u}) CraftDataSlot(path, s, 5000 + s);
    WriteHeads(path, w, 43200, g_u32DataSaveMax);
    ASSERT_EQ(truncate(path.c_str(), 0x20000 + 43200LL * 0x2000), 0);
    Start();
    EXPECT_EQ(Data(3, 1), 5009u);
    thread->m_u32DataRead = w + 5;
    EXPECT_EQ(Data(2, 30), 5010u);  // back to the oldest record
    EXPECT_EQ(Data(1, 1), 5011u);
}

TEST_F(RecordQueryTest, DataStepsAtWriteIndexZero)
{
    const std::string& path = dataPath;
    for (uint32_t s : {0u, 1u, 43198u, 43199u}) CraftDataSlot(path, s, 7000 + s);
    WriteHeads(path, 0, 43200, g_u32DataSaveMax);
    ASSERT_EQ(truncate(path.c_str(), 0x20000 + 43200LL * 0x2000), 0);
    Start();
    EXPECT_EQ(Data(3, 1), 7000u + 43199);
    EXPECT_EQ(Data(2, 1), 7000u + 43198);
    EXPECT_EQ(Data(1, 5), 7000u + 43199);  // one newer record only
    thread->m_u32DataRead = 3;
    EXPECT_EQ(Data(2, 30), 7000u);         // the oldest is slot 0
    EXPECT_EQ(Data(1, 1), 7001u);
}

// A full ring written before slots carried check values is served as it is. A cut write into
// slot 0, the oldest, leaves new values over old waves; after the reopen the review skips to slot 1.
TEST_F(RecordQueryTest, TornDataSlotIsPassedOverInAFileWrittenBefore)
{
    const std::string& path = dataPath;
    for (uint32_t s : {0u, 1u, 43199u}) CraftDataSlot(path, s, 7000 + s);
    WriteHead(path, 0, 43199, 43200);
    WriteHead(path, 1, 0, 43200);
    Start();
    EXPECT_EQ(Data(2, 50000), 7000u);  // the oldest, written before, read as it is
    CFileFaults::CutWrite(1, 0x1000);
    Said([&] { thread->StoreData(9); });
    CFileFaults::Reset();
    REC_VALUES torn;
    std::memcpy(&torn, ReadRaw(path, 0x20000, sizeof(torn)).data(), sizeof(torn));
    ASSERT_EQ(DataId(torn), 9u);  // new values over old waves
    Start();
    EXPECT_EQ(thread->m_u32DataWrite, 0u);
    EXPECT_EQ(Data(3, 1), 7000u + 43199);
    EXPECT_EQ(Data(2, 50000), 7001u);
    EXPECT_TRUE(std::equal(sink.ecg[2].begin(), sink.ecg[2].end(), DataRecordSource(7001).ecg[2].begin()));
}

TEST_F(RecordQueryTest, EmptyShortOrUnavailableDataFile)
{
    Start();
    sink.rec.val.i16HR = 42;
    EXPECT_EQ(Data(3, 1) & 0xFFFF, 42u);  // answered, record unchanged
    EXPECT_EQ(probe.answers, 1);

    thread->StoreData(9);
    ASSERT_EQ(truncate(dataPath.c_str(), 0x20000 + 0x1A00), 0);  // the bytes after the record cut
    EXPECT_EQ(Data(3, 1), 9u);
    ASSERT_EQ(truncate(dataPath.c_str(), 0x20000 + 0x1000), 0);  // half a slot left
    sink.rec.val.i16HR = 43;  // a marker, where the half slot holds record 9's values
    EXPECT_EQ(Data(3, 1), 43u);  // answered, the request untouched
    EXPECT_EQ(probe.answers, 3);

    thread->m_bDataFileErr = 1;
    Data(3, 1);
    EXPECT_EQ(probe.answers, 3);  // not answered
    EXPECT_EQ(thread->m_listDataReq.size(), 1u);
    thread->ForgetRequester(&probe);
    EXPECT_TRUE(thread->m_listDataReq.empty());
}

TEST_F(RecordQueryTest, NoAnswerReachesAForgottenRequester)
{
    Start();
    thread->StoreData(9);
    sink.rec.pWnd = &probe;
    sink.rec.nMode = 3;
    thread->RequestDataRecord(&sink.rec);
    thread->RequestSysPage(3);
    thread->ForgetRequester(&probe);
    Serve();
    EXPECT_EQ(probe.answers, 0);
    EXPECT_EQ(thread->m_pSysWnd.load(), nullptr);
    EXPECT_EQ(sink.rec.val.i16HR, 0);  // never written into
}

TEST_F(RecordQueryTest, EmptyNibpFileAnswersAnEmptyPage)
{
    Start();
    thread->RequestNibpPage(3);
    Serve();
    EXPECT_EQ(probe.answers, 1);
    std::vector<NIBP_DATA> page(3);
    thread->CopyNibpResult(&page);
    EXPECT_TRUE(page.empty());
}

TEST_F(RecordQueryTest, SystemPagesInAPartlyFilledRing)
{
    StartOnSysFile(25, 25);
    EXPECT_EQ(SysPage(3), Range(24, 15));
    EXPECT_EQ(SysPage(1), Range(24, 15));
    EXPECT_EQ(SysPage(2), Range(14, 5));
    EXPECT_EQ(SysPage(2), Range(9, 0));
    EXPECT_EQ(SysPage(2), Range(9, 0));
    EXPECT_EQ(SysPage(1), Range(19, 10));
    EXPECT_EQ(probe.answers, 6);
}

// The file is longer than its ring: what lies beyond the ring's last slot is no record of it.
TEST_F(RecordQueryTest, SystemPagesInAFullRing)
{
    StartOnSysFile(250, 237);
    EXPECT_EQ(SysPage(3), Range(36, 27));
    EXPECT_EQ(SysPage(2), Range(26, 17));
    SysPage(2);
    EXPECT_EQ(SysPage(2), (std::vector<int>{6, 5, 4, 3, 2, 1, 0, 199, 198, 197}));
    for (int i = 0; i < 14; ++i) SysPage(2);
    EXPECT_EQ(SysPage(2), Range(56, 47));
    EXPECT_EQ(SysPage(2), Range(46, 37));  // the oldest ten
    EXPECT_EQ(SysPage(2), Range(46, 37));
    EXPECT_EQ(SysPage(1), Range(56, 47));
}

TEST_F(RecordQueryTest, SystemPagesAtWriteIndexZero)
{
    StartOnSysFile(200, 400);
    EXPECT_EQ(SysPage(3), Range(199, 190));
    EXPECT_EQ(SysPage(1), Range(199, 190));
    EXPECT_EQ(SysPage(2), Range(189, 180));
    for (int i = 0; i < 17; ++i) SysPage(2);
    EXPECT_EQ(SysPage(2), Range(9, 0));  // the oldest ten
    EXPECT_EQ(SysPage(2), Range(9, 0));
}

// A system event whose write into the oldest slot of a full ring was cut part-way is left off
// the oldest page.
TEST_F(RecordQueryTest, TornSystemEventIsLeftOffItsPage)
{
    Start();
    for (uint32_t i = 0; i <= 200; ++i) thread->StoreEvent("EV%03u", i % 200);
    CFileFaults::CutWrite(1, 40);  // into slot 1, the oldest
    Said([&] { thread->StoreEvent("EV999"); });
    CFileFaults::Reset();
    Start();
    for (int i = 0; i < 25; ++i) SysPage(2);
    EXPECT_EQ(SysPage(2), Range(10, 2));
}

TEST_F(RecordQueryTest, PendingPageRequestIsIgnored)
{
    StartOnSysFile(25, 25);
    const uint32_t number = thread->RequestSysPage(3);
    EXPECT_EQ(thread->RequestSysPage(2), 0u);
    thread->RunPass();
    Serve();
    EXPECT_EQ(probe.answers, 1);
    EXPECT_NE(number, 0u);
    EXPECT_EQ(probe.lastNumber, static_cast<LPARAM>(number));  // the answer carries its request's number
    std::vector<SYS_DATA> page;
    thread->CopySysResult(&page);
    ASSERT_EQ(page.size(), 10u);
    EXPECT_EQ(U16(page[0].szEvent, 20), u"EV024");
}

TEST_F(RecordQueryTest, PagesFromAnUnavailableOrShortFile)
{
    EXPECT_EQ(StartOnSysFile(25, 25, 0x20000 + 20 * 128 + 40), Holds(sysPath, 20, 25));
    // The 21st event is cut: the records in the file stay, and the next one follows them.
    EXPECT_EQ(SysPage(3), Range(19, 10));
    EXPECT_EQ(SysPage(2), Range(9, 0));
    EXPECT_EQ(thread->m_u32SysWrite, 20u);
    thread->m_bNibpFileErr = 1;
    thread->RequestNibpPage(3);
    Serve();
    EXPECT_EQ(probe.answers, 2);
    EXPECT_EQ(thread->m_u8NibpQueryState, 2);  // stays pending
}

// A full ring in a file that ends before its oldest records: the newest page goes on from slot 0
// to the last slot the file holds, never beyond; a file ending with its first event holds that
// one, and one with no whole slot answers an empty page.
TEST_F(RecordQueryTest, PagesOfAFullRingInAShortFileLeaveOffWhatIsNotThere)
{
    std::vector<int> newest = Range(4, 0);
    for (int slot : Range(99, 95)) newest.push_back(slot);
    const std::vector<int> first{0};
    for (auto [length, held, page] : {std::tuple{0x20000 + 100 * 128, 100u, newest}, {0x20000 + 80, 1u, first},
                                      {0x20000 + 79, 0u, {}}}) {
        SCOPED_TRACE(held);
        EXPECT_EQ(StartOnSysFile(200, 205, length), Holds(sysPath, held, 200));
        EXPECT_EQ(thread->m_u32SysCount, 200u);  // a full ring stays full
        EXPECT_EQ(SysPage(3), page);
    }
    EXPECT_EQ(probe.answers, 3);
}

// A full ring cut to its first 50 slots, write index 10: the newest page holds slots 9 to 0, and
// paging either way passes over missing slots, so every event is on a page and none is empty.
TEST_F(RecordQueryTest, PagesOfACutFullRingPassOverTheMissingSlots)
{
    const std::string& path = sysPath;
    EXPECT_EQ(StartOnSysFile(200, 210, 0x20000 + 50 * 128), Holds(path, 50, 200));
    std::vector<std::vector<int>> older{SysPage(3)};
    for (int i = 0; i < 5; ++i) older.push_back(SysPage(2));
    EXPECT_EQ(older, (std::vector<std::vector<int>>{Range(9, 0), Range(49, 40), Range(39, 30), Range(29, 20),
                                                    Range(19, 10), Range(19, 10)}));
    std::vector<std::vector<int>> newer;
    for (int i = 0; i < 5; ++i) newer.push_back(SysPage(1));
    EXPECT_EQ(newer, (std::vector<std::vector<int>>{Range(29, 20), Range(39, 30), Range(49, 40), Range(9, 0),
                                                    Range(9, 0)}));

    // Cut while the monitor runs, its write slot 149 beyond the cut: the newest page ends at the
    // last slot held.
    StartOnSysFile(200, 349);
    ASSERT_EQ(truncate(path.c_str(), 0x20000 + 50 * 128), 0);
    EXPECT_EQ(SysPage(1), Range(49, 40));
    EXPECT_EQ(SysPage(2), Range(39, 30));
}

// Undefined bytes filled with noise, as another writer may leave them, and header check bytes
// holding what an earlier version left after the time texts: every record is served.
TEST_F(RecordQueryTest, FilesWrittenWithoutCheckValuesServeEveryRecord)
{
    std::mt19937 rng(5);
    auto noise = [&rng](const std::string& path, uint64_t at, size_t size) {
        std::vector<uint8_t> bytes(size);
        for (auto& b : bytes) b = static_cast<uint8_t>(rng() | 1);
        WriteRaw(path, at, bytes.data(), bytes.size());
    };
    const std::string& data = dataPath;
    const std::string& sys = sysPath;
    for (uint32_t i = 0; i < 5; ++i) {
        CraftDataSlot(data, i, 300 + i);
        noise(data, 0x20000 + i * 0x2000 + sizeof(REC_VALUES), 0x80 - sizeof(REC_VALUES));
        noise(data, 0x20000 + i * 0x2000 + 0x19E4, 0x2000 - 0x19E4);
        noise(sys, 0x20000 + i * 128 + sizeof(SYS_DATA), 128 - sizeof(SYS_DATA));
    }
    CraftSysSlots(sys, 5);
    for (const std::string* path : {&data, &sys}) {
        WriteHeads(*path, 5, 5, 200);
        for (uint64_t copy : {uint64_t{0}, g_u64HeadBOffset}) noise(*path, copy + 0x60 + 40, 24);
    }
    EXPECT_EQ(StartSaying(), "");
    EXPECT_EQ(thread->m_u32DataWrite, 5u);
    EXPECT_EQ(Data(3, 1), 304u);
    for (uint32_t id = 303; id >= 300; --id) EXPECT_EQ(Data(2, 1), id);
    EXPECT_EQ(SysPage(3), Range(4, 0));
}

// A record in mid-ring whose seal fails (a flipped bit) is passed over in the direction the
// review steps, never hiding what lies beyond.
TEST_F(RecordQueryTest, TornRecordsArePassedOverInTheDirectionOfTheStep)
{
    Start();
    for (uint32_t i = 0; i < 10; ++i) thread->StoreData(400 + i);
    for (uint32_t i = 0; i < 25; ++i) thread->StoreEvent("EV%03u", i);
    const uint8_t flipped = 0x5A;
    for (uint32_t slot : {1u, 5u}) WriteRaw(dataPath, 0x20000 + slot * 0x2000 + 0x1000, &flipped, 1);
    WriteRaw(sysPath, 0x20000 + 20 * 128 + 2, &flipped, 1);  // inside the newest page
    WriteRaw(sysPath, 0x20000 + 7 * 128 + 2, &flipped, 1);   // inside an older one
    Start();
    EXPECT_EQ(Data(3, 1), 409u);
    std::vector<uint32_t> back, forward;
    for (int i = 0; i < 9; ++i) back.push_back(Data(2, 1));
    EXPECT_EQ(back, (std::vector<uint32_t>{408, 407, 406, 404, 403, 402, 400, 400, 400}));
    for (int i = 0; i < 6; ++i) forward.push_back(Data(1, 1));
    EXPECT_EQ(forward, (std::vector<uint32_t>{402, 403, 404, 406, 407, 408}));
    EXPECT_EQ(SysPage(3), (std::vector<int>{24, 23, 22, 21, 19, 18, 17, 16, 15}));
    EXPECT_EQ(SysPage(2), (std::vector<int>{14, 13, 12, 11, 10, 9, 8, 6, 5}));
}

// Files cut to nothing while the monitor runs are written on at their old indexes; the holes of
// zeros before hold no record and review and pages pass over them, also after a restart.
TEST_F(RecordQueryTest, SlotsOfZerosAreNoRecords)
{
    auto store = [this](uint32_t id) {
        DataRecordSource d(id);
        thread->AddDataRecord(&d.rec);
        NIBP_DATA nibp{};
        nibp.i16Sys = static_cast<int16_t>(id);
        thread->AddNibpRecord(&nibp);
        SYS_DATA ev{};
        U16Format(ev.szEvent, 20, "EV%03u", id);
        thread->AddSysRecord(&ev);
        thread->RunPass();
    };
    Start();
    for (uint32_t id = 100; id < 105; ++id) store(id);
    for (const std::string* path : {&dataPath, &nibpPath, &sysPath}) ASSERT_EQ(truncate(path->c_str(), 0), 0);
    for (uint32_t id = 105; id < 108; ++id) store(id);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run == 0 ? "running" : "restarted");
        EXPECT_EQ(Data(3, 1), 107u);
        EXPECT_EQ(Data(2, 2), 105u);
        EXPECT_EQ(Data(2, 1), 105u);
        EXPECT_EQ(SysPage(3), Range(107, 105));
        thread->RequestNibpPage(3);
        thread->RunPass();
        std::vector<NIBP_DATA> page;
        thread->CopyNibpResult(&page);
        ASSERT_EQ(page.size(), 3u);
        EXPECT_EQ(page.back().i16Sys, 105);
        Start();
    }
}

// The oldest records of a full ring cut by a power loss are left off: stepping back to the oldest
// lands on the oldest whole record, and the oldest page shows whole ones only.
TEST_F(RecordQueryTest, TornOldestRecordsOfAFullRingAreLeftOff)
{
    Start();
    for (uint32_t i = 0; i < 205; ++i) thread->StoreEvent("EV%03u", i % 200);
    const uint8_t flipped = 0x5A;
    for (uint32_t slot : {5u, 6u}) WriteRaw(sysPath, 0x20000 + slot * 128 + 2, &flipped, 1);
    Start();
    for (int i = 0; i < 19; ++i) SysPage(2);
    EXPECT_EQ(SysPage(2), Range(14, 7));
}

// A file ending before the records its header counts keeps those it holds; a last slot cut after
// its record still holds it, one cut inside its pleth wave does not; new records follow.
TEST_F(RecordQueryTest, ShortDataFileKeepsTheRecordsItHolds)
{
    const std::string& path = dataPath;
    const uint32_t plethEnd = g_u32DataWaveOffset + 6 * g_i32ECGWaveLen + g_i32RespWaveLen + g_i32PlethWaveLen;
    for (auto [cut, held] : {std::pair{0x1A00u, 50u}, {plethEnd, 50u}, {plethEnd - 1, 49u}}) {
        SCOPED_TRACE("last slot cut after " + std::to_string(cut) + " bytes");
        thread.reset();
        for (uint32_t i = 0; i < 100; ++i) CraftDataSlot(path, i, 600 + i);
        WriteHeads(path, 100, 100, g_u32DataSaveMax);
        ASSERT_EQ(truncate(path.c_str(), 0x20000 + 49 * 0x2000 + cut), 0);
        EXPECT_EQ(StartSaying(), Holds(path, held, 100));
        const uint32_t newest = 600 + held - 1;
        EXPECT_EQ(Data(3, 1), newest);
        EXPECT_EQ(Data(2, 30), newest - 30);
        EXPECT_EQ(Data(1, 100), newest);
        thread->StoreData(7);
        EXPECT_EQ(Data(3, 1), 7u);
        EXPECT_EQ(Data(2, 1), newest);
        Start();
        EXPECT_EQ(thread->m_u32DataWrite, held + 1);
        EXPECT_EQ(thread->m_u32DataCount, held + 1);
    }
}

}  // namespace
