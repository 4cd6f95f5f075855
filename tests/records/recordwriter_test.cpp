// Writers and producer queues: header alternation, rings, the queue cap, the alarm commit
// protocol, the protected anchor and write errors.
#include <gtest/gtest.h>

#include <cstring>

#include "appbase/tesmorapp.h"
#include "recordfixture.h"
#include "support/columns.h"

namespace {

class RecordWriterTest : public RecordFixture {
protected:
    void SetUp() override
    {
        RecordFixture::SetUp();
        clock.SetLocalTime(LocalTime{2026, 12, 7, 9, 0, 0, 0});
        Start();
    }
    void WriteAlarm(uint32_t id) { ASSERT_EQ(thread->StoreAlarm(1, "2026-12-07 09:00:00", id), 0); }
};

TEST_F(RecordWriterTest, HeaderCopiesAlternateFromAOnAFreshFile)
{
    const std::string& path = dataPath;
    uint32_t expect[3][4] = {{1, 1, 0, 0}, {1, 1, 2, 2}, {3, 3, 2, 2}};
    for (int i = 0; i < 3; ++i) {
        thread->StoreData(100 + i);
        REC_FILE_HEAD a = ReadHead(path, 0), b = ReadHead(path, 1);
        EXPECT_EQ(a.u32WriteIndex, expect[i][0]) << i;
        EXPECT_EQ(a.u32Count, expect[i][1]);
        EXPECT_EQ(b.u32WriteIndex, expect[i][2]);
        EXPECT_EQ(b.u32Count, expect[i][3]);
        EXPECT_EQ(U16(a.szCreateTime, 32), u"2026-12-07 09:00:00");
    }
    auto slot = ReadRaw(path, 0x20000 + 2 * 0x2000, 0x2000);
    EXPECT_TRUE(DataSlotIntact(slot));
    REC_VALUES v;
    std::memcpy(&v, slot.data(), sizeof(v));
    EXPECT_EQ(DataId(v), 102u);
}

TEST_F(RecordWriterTest, NibpIndexGrowsPastTheRingAndWraps)
{
    for (int i = 0; i < 301; ++i) {
        NIBP_DATA n{};
        n.i16Sys = static_cast<int16_t>(i);
        ASSERT_EQ(thread->AddNibpRecord(&n), 0);
        thread->RunPass();
    }
    const std::string& path = nibpPath;
    REC_FILE_HEAD a = ReadHead(path, 0);  // the 301st update went to A
    EXPECT_EQ(a.u32WriteIndex, 301u);
    EXPECT_EQ(a.u32Count, 300u);
    EXPECT_EQ(ReadHead(path, 1).u32WriteIndex, 300u);
    int16_t sys;
    std::memcpy(&sys, ReadRaw(path, 0x20000, 2).data(), 2);
    EXPECT_EQ(sys, 300);
    EXPECT_EQ(FileSize(path), 0x20000u + 300 * 128);
}

TEST_F(RecordWriterTest, QueueHoldsThirtyThreeAndDropsTheNext)
{
    DataRecordSource d(1);
    AlmRecordSource a(1, 2, "2026-12-07 09:00:00", 1);
    NIBP_DATA n{};
    SYS_DATA s{};
    for (int i = 0; i < 33; ++i) {
        EXPECT_EQ(thread->AddDataRecord(&d.rec), 0) << i;
        EXPECT_EQ(thread->AddAlmRecord(&a.rec), 0);
        EXPECT_EQ(thread->AddNibpRecord(&n), 0);
        EXPECT_EQ(thread->AddSysRecord(&s), 0);
    }
    EXPECT_EQ(thread->AddDataRecord(&d.rec), 1);
    EXPECT_EQ(thread->AddAlmRecord(&a.rec), 1);
    EXPECT_EQ(thread->AddNibpRecord(&n), 1);
    EXPECT_EQ(thread->AddSysRecord(&s), 1);
    EXPECT_EQ(thread->m_listDataQueue.size(), 33u);
    thread->RunPass();  // one record per queue and pass
    EXPECT_EQ(thread->m_listDataQueue.size(), 32u);
    EXPECT_EQ(thread->m_listAlmQueue.size(), 32u);
    EXPECT_EQ(thread->AddDataRecord(&d.rec), 0);  // a pass makes room in each queue
    EXPECT_EQ(thread->AddAlmRecord(&a.rec), 0);
    EXPECT_EQ(thread->AddNibpRecord(&n), 0);
    EXPECT_EQ(thread->AddSysRecord(&s), 0);
}

TEST_F(RecordWriterTest, TimeTextsOfQueuedRecords)
{
    DataRecordSource d(5);
    U16Copy(d.rec.val.szTime, 20, u"1999-01-01 00:00:00");
    AlmRecordSource a(3, 1, "2026-12-07 08:59:58", 5);
    clock.Advance(3000);
    thread->AddDataRecord(&d.rec);
    thread->AddAlmRecord(&a.rec);
    ASSERT_EQ(thread->m_listDataQueue.size(), 1u);
    ASSERT_EQ(thread->m_listAlmQueue.size(), 1u);
    EXPECT_EQ(U16(thread->m_listDataQueue.front().val.szTime, 20), u"2026-12-07 09:00:03");
    EXPECT_EQ(U16(thread->m_listAlmQueue.front().idx.szTime, 20), u"2026-12-07 08:59:58");
    d.ecg[0][0] = 0xFFF;  // the queued copy does not follow the caller's buffers
    EXPECT_EQ(thread->m_listDataQueue.front().pEcgWave[0][0], EcgSample(5, 0, 0));
}

TEST_F(RecordWriterTest, PowerOnEventIsQueuedOnceAndWrittenFirstPass)
{
    thread->AddPowerOnRecord();
    EXPECT_EQ(thread->m_listSysQueue.size(), 1u);
    thread->RunPass();
    EXPECT_EQ(thread->m_u32SysCount, 1u);
    SYS_DATA ev;
    std::memcpy(&ev, ReadRaw(sysPath, 0x20000, sizeof(ev)).data(), sizeof(ev));
    EXPECT_EQ(U16(ev.szEvent, 20), u"监护仪开机");
}

TEST_F(RecordWriterTest, AlarmSlotCommitsAfterRecordAndHeader)
{
    WriteAlarm(1);
    const std::string& path = almPath;
    EXPECT_EQ(StubState(path, 0), 0);
    EXPECT_EQ(ReadHead(path, 0).u32WriteIndex, 1u);
    EXPECT_EQ(ReadHead(path, 0).u32Count, 1u);
    EXPECT_EQ(thread->m_pAlmIndex[0].u8State, 0);

    // Stop the second alarm at each step of its protocol: the stub stays marked until the end.
    struct Step {
        int failAt;        // operation that fails
        int recordOnDisk;  // the record of slot 1 is complete
        int head;          // write index in the copy updated by the second record (B)
    } steps[] = {{2, false, 0}, {5, false, 0}, {8, true, 0}, {9, true, 2}, {11, true, 2}};
    ExpectColumnsApart(IntColumns(steps, "failAt:3 recordOnDisk head"));
    for (const Step& st : steps) {
        RecordFolder fresh;
        Start();
        WriteAlarm(1);
        CFileFaults::FailOperation(st.failAt);  // seek, write, flush of stub; of record; of header; of stub
        Said([&] { WriteAlarm(2); });
        CFileFaults::Reset();
        EXPECT_EQ(thread->m_bAlmFileErr, 1) << st.failAt;
        EXPECT_EQ(StubState(almPath, 1), 0xEE) << st.failAt;
        EXPECT_EQ(AlmRecordIntact(ReadRaw(almPath, 0xF8000 + 0x8000, 0x8000)), st.recordOnDisk != 0) << st.failAt;
        EXPECT_EQ(ReadHead(almPath, 1).u32WriteIndex, static_cast<uint32_t>(st.head)) << st.failAt;
        EXPECT_EQ(thread->m_pAlmIndex[1].u8State, 0xEE);
        EXPECT_EQ(thread->m_pAlmIndex[1].u16Slot, 1);  // the slot it was written into, not the producer's 0
    }
}

TEST_F(RecordWriterTest, AnchorSlotIsProtectedWhileReviewIsBusy)
{
    for (uint32_t i = 0; i < 4; ++i) WriteAlarm(i);
    thread->m_u32AlmAnchor = 5;
    thread->m_bAlmFound = 1;  // the review shows the record at its anchor
    thread->m_bAlmBusy = 1;
    WriteAlarm(4);
    EXPECT_EQ(thread->m_u32AlmWrite, 4u);
    EXPECT_TRUE(thread->m_listAlmQueue.empty());  // dropped
    thread->m_bAlmBusy = 0;
    WriteAlarm(5);
    EXPECT_EQ(thread->m_u32AlmWrite, 5u);
    EXPECT_EQ(AlmId(thread->m_pAlmIndex[4]), 5u);
}

TEST_F(RecordWriterTest, WriteErrorMakesOnlyThatFileUnavailableAndIsReportedOnce)
{
    DataRecordSource d(1);
    thread->AddDataRecord(&d.rec);
    thread->AddDataRecord(&d.rec);
    thread->AddPowerOnRecord();
    CFileFaults::FailOperation(5);  // sys: seek, write, flush, seek, header write
    const std::string err = Said([this] { thread->RunPass(), thread->RunPass(); });
    EXPECT_EQ(thread->m_bSysFileErr, 1);
    EXPECT_EQ(thread->m_bDataFileErr, 0);
    EXPECT_EQ(thread->m_u32DataCount, 2u);
    EXPECT_NE(err.find(sysPath), std::string::npos);
    EXPECT_EQ(err.find("record file", err.find("record file") + 1), std::string::npos);
}

TEST_F(RecordWriterTest, UnavailableDataFileIsDrainedUntouched)
{
    thread->m_bDataFileErr = 1;
    uint64_t size = FileSize(dataPath);
    DataRecordSource d(1);
    for (int i = 0; i < 3; ++i) thread->AddDataRecord(&d.rec);
    thread->RunPass();
    EXPECT_EQ(thread->m_listDataQueue.size(), 2u);
    thread->RunPass();
    thread->RunPass();
    EXPECT_TRUE(thread->m_listDataQueue.empty());
    EXPECT_EQ(FileSize(dataPath), size);
    EXPECT_EQ(thread->m_u32DataCount, 0u);
}

TEST_F(RecordWriterTest, ExitFreesQueuedRecordsWithoutWritingThem)
{
    DataRecordSource d(1);
    AlmRecordSource a(1, 2, "2026-12-07 09:00:00", 1);
    for (int i = 0; i < 33; ++i) {
        thread->AddDataRecord(&d.rec);
        thread->AddAlmRecord(&a.rec);
    }
    thread->m_bExit = 1;
    thread->RunPass();
    EXPECT_EQ(thread->Run(), 0);  // one more pass, then the exit
    EXPECT_TRUE(thread->m_listDataQueue.empty());
    EXPECT_TRUE(thread->m_listAlmQueue.empty());
    EXPECT_EQ(ReadHead(dataPath, 1).u32Count, 2u);
}

}  // namespace
