// Opening record files: the choice of the better header copy, damaged and unusable files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <utility>

#include "appbase/tesmorapp.h"
#include "recordfixture.h"
#include "support/columns.h"

namespace {

class RecordOpenTest : public RecordFixture {
protected:
    void SetUp() override
    {
        RecordFixture::SetUp();
        clock.SetLocalTime(LocalTime{2026, 12, 7, 8, 0, 0, 0});
        theApp.m_vecPicturePaths.clear();
    }
    // Makes a file that is long enough to be opened rather than created.
    static void Extend(const std::string& path, uint64_t size = 0x30000)
    {
        ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(size)), 0);
    }
    static void Heads(const std::string& path, uint32_t wa, uint32_t na, uint32_t wb, uint32_t nb)
    {
        WriteHead(path, 0, wa, na);
        WriteHead(path, 1, wb, nb);
        Extend(path);
    }
    void WriteOneData() { ASSERT_EQ(thread->StoreData(77), 0); }
    // The file-error flags of the data, NIBP, system-event and alarm groups, one digit each.
    std::string FileErrs() const
    {
        const TestRecThread& t = *thread;
        return std::to_string(t.m_bDataFileErr) + std::to_string(t.m_bNibpFileErr) + std::to_string(t.m_bSysFileErr) +
               std::to_string(t.m_bAlmFileErr);
    }
    // What the open says of a file without a valid header that it kept aside under name `as`.
    static std::string KeptAs(const std::string& path, const std::string& as)
    {
        return "record file " + path + " is damaged (no valid header); it is kept as " + as +
               " and a new file is made\n";
    }
    void StoreAlarms(uint32_t n)
    {
        for (uint32_t i = 0; i < n; ++i) thread->StoreAlarm(1, "2026-12-07 07:00:00", i);
    }
};

TEST_F(RecordOpenTest, MissingFilesAreCreated)
{
    Start();
    for (const std::string* p : {&dataPath, &nibpPath, &sysPath, &almPath}) {
        for (int copy = 0; copy < 2; ++copy) {
            REC_FILE_HEAD h = ReadHead(*p, copy);
            EXPECT_EQ(U16(h.szSignature, 8), u"KWPD5NXQ") << *p;
            EXPECT_EQ(h.u32WriteIndex, 0u);
            EXPECT_EQ(h.u32Count, 0u);
            EXPECT_EQ(U16(h.szCreateTime, 32), u"2026-12-07 08:00:00");
            EXPECT_EQ(U16(h.szWriteTime, 32), u"2026-12-07 08:00:00");
        }
    }
    EXPECT_EQ(FileErrs(), "0000");
}

// Each made file's name is put on disk by its own making, also without an alarm file after it.
TEST_F(RecordOpenTest, CreatedFilesSurviveAPowerLoss)
{
    const std::string alarms = almPath;
    for (bool withAlarms : {false, true}) {
        thread.reset();
        almPath = withAlarms ? alarms : "";
        CFileFaults::PowerLossAt(100000, 0);  // from here the file layer keeps what a power loss takes back
        Start();
        CFileFaults::PowerLossAt(1, 0);
        CFile next;
        EXPECT_FALSE(next.Open(dataPath.c_str(), CFile::modeRead));
        ASSERT_TRUE(CFileFaults::PowerLost());
        CFileFaults::Reset();
        for (const std::string* p : {&dataPath, &nibpPath, &sysPath}) {
            EXPECT_EQ(U16(ReadHead(*p, 0).szSignature, 8), u"KWPD5NXQ") << *p;
            std::remove(p->c_str());
        }
    }
    EXPECT_EQ(U16(ReadHead(alarms, 0).szSignature, 8), u"KWPD5NXQ");
    // The alarm file is made with its stubs, the last one included.
    EXPECT_EQ(StubState(almPath, 199), 0xEE);
}

// A file that can hold no record is new whatever its headers say; a larger one without a valid
// header is kept aside under a name of its own, never over one kept before.
TEST_F(RecordOpenTest, ShortOrEmptyFilesAreNewAndDamagedOnesAreKeptAside)
{
    WriteHead(dataPath, 0, 5, 5);
    ASSERT_EQ(truncate(dataPath.c_str(), 0x20000), 0);  // exactly the frame, yet counts records
    WriteRaw(nibpPath, 0, "garbage", 7);
    Extend(nibpPath);
    WriteRaw(nibpPath + ".damaged", 0, "an earlier one", 14);
    WriteRaw(sysPath, 0, "", 0);
    WriteHead(almPath, 0, 0, 0);  // made but never written: no records
    ASSERT_EQ(truncate(almPath.c_str(), 0x100E8), 0);
    const std::string err = StartSaying();
    EXPECT_EQ(thread->m_u32DataWrite, 0u);
    EXPECT_EQ(ReadHead(dataPath, 0).u32WriteIndex, 0u);
    EXPECT_EQ(ReadHead(nibpPath, 1).u32Count, 0u);
    EXPECT_EQ(U16(ReadHead(sysPath, 1).szSignature, 8), u"KWPD5NXQ");
    const std::string& nibp = nibpPath;
    EXPECT_EQ(ReadRaw(nibp + ".damaged", 0, 20), std::vector<uint8_t>(std::begin("an earlier one"), std::end("an earlier one") - 1));
    EXPECT_EQ(FileSize(nibp + ".damaged.2"), 0x30000u);
    EXPECT_EQ(ReadRaw(nibp + ".damaged.2", 0, 7), std::vector<uint8_t>(std::begin("garbage"), std::end("garbage") - 1));
    for (const char* name : {"DataSave.dat.damaged", "SysSave.dat.damaged", "AlmSave.dat.damaged", "NIBPSave.dat.damaged.3"})
        EXPECT_NE(access(folder.Path(name).c_str(), F_OK), 0) << name;
    EXPECT_EQ(err, KeptAs(nibp, nibp + ".damaged.2"));
}

TEST_F(RecordOpenTest, LargerIndexWinsAndOtherCopyIsUpdatedFirst)
{
    Heads(dataPath, 7, 7, 6, 6);
    Start();
    EXPECT_EQ(thread->m_u32DataWrite, 7u);
    EXPECT_EQ(thread->m_u32DataRead, 7u);
    WriteOneData();
    EXPECT_EQ(ReadHead(dataPath, 1).u32WriteIndex, 8u);  // the older copy B
    EXPECT_EQ(ReadHead(dataPath, 0).u32WriteIndex, 7u);  // the newest state kept
    EXPECT_TRUE(DataSlotIntact(ReadRaw(dataPath, 0x20000 + 7 * 0x2000, 0x2000)));
}

TEST_F(RecordOpenTest, CopyBNewerIsTakenAndAUpdatedFirst)
{
    Heads(sysPath, 11, 11, 12, 12);
    Start();
    EXPECT_EQ(thread->m_u32SysWrite, 12u);
    SYS_DATA ev{};
    thread->AddSysRecord(&ev);
    thread->RunPass();
    EXPECT_EQ(ReadHead(sysPath, 0).u32WriteIndex, 13u);
    EXPECT_EQ(ReadHead(sysPath, 1).u32WriteIndex, 12u);
}

TEST_F(RecordOpenTest, EqualCopiesTakeA)
{
    Heads(nibpPath, 4, 4, 4, 4);
    REC_FILE_HEAD b = ReadHead(nibpPath, 1);
    b.u8Reserved[0] = 9;  // tells the copies apart
    WriteRaw(nibpPath, 0x10000, &b, sizeof(b));
    Start();
    EXPECT_EQ(thread->m_u32NibpWrite, 4u);
    NIBP_DATA n{};
    thread->AddNibpRecord(&n);
    thread->RunPass();
    REC_FILE_HEAD b2 = ReadHead(nibpPath, 1);
    EXPECT_EQ(b2.u32WriteIndex, 5u);
    EXPECT_EQ(b2.u8Reserved[0], 9);  // reserved bytes written back as read
}

TEST_F(RecordOpenTest, BadCopyAIsRewrittenWithTheSignature)
{
    Heads(dataPath, 0, 0, 3, 3);
    WriteRaw(dataPath, 0, u"XXXXXXXX", 16);
    Start();
    EXPECT_EQ(thread->m_u32DataWrite, 3u);
    EXPECT_EQ(thread->m_u32DataCount, 3u);
    WriteOneData();
    REC_FILE_HEAD a = ReadHead(dataPath, 0);
    EXPECT_EQ(U16(a.szSignature, 8), u"KWPD5NXQ");
    EXPECT_EQ(a.u32WriteIndex, 4u);
    EXPECT_EQ(ReadHead(dataPath, 1).u32WriteIndex, 3u);
}

TEST_F(RecordOpenTest, OutOfRangeCopiesAreInvalid)
{
    Heads(dataPath, 50000, 5, 3, 3);        // index beyond the ring
    Heads(almPath, 9, 201, 8, 8);           // count beyond the ring
    Extend(almPath, 0xF8000 + 8 * 0x8000);  // long enough for its records
    Heads(nibpPath, 40, 12, 30, 30);        // index and count disagree
    Heads(sysPath, 0xFFFFFFFFu, 200, 0xFFFFFFF0u, 300);
    Start();
    EXPECT_EQ(thread->m_u32DataWrite, 3u);
    EXPECT_EQ(thread->m_u32AlmWrite, 8u);
    EXPECT_EQ(thread->m_u32AlmCount, 8u);
    EXPECT_EQ(thread->m_u32NibpWrite, 30u);
    EXPECT_EQ(thread->m_u32NibpCount, 30u);
    EXPECT_EQ(thread->m_u32SysWrite, 0xFFFFFFFFu);  // a huge never-wrapped index is still a ring position
    EXPECT_EQ(thread->m_u32SysCount, 200u);
    thread->AddPowerOnRecord();
    thread->RunPass();  // the index would overflow: it goes on at the next slot, 0xFFFFFFFF % 200 + 1
    EXPECT_EQ(thread->m_u32SysWrite, 200u + 96);
    Start();
    EXPECT_EQ(thread->m_u32SysWrite, 296u);
    EXPECT_EQ(thread->m_u32SysCount, 200u);
    // A data copy whose index reaches the ring's length, or disagrees with a count below it; and
    // a valid one further behind than one record.
    for (auto [w, n] : {std::pair{43200u, 43200u}, {7u, 5u}, {1u, 1u}}) {
        thread.reset();
        Heads(dataPath, w, n, 3, 3);
        Start();
        EXPECT_EQ(thread->m_u32DataWrite, 3u) << w;
    }
}

TEST_F(RecordOpenTest, CopiesAtTheWrapTakeTheOneAhead)
{
    Heads(dataPath, 0, 43200, 43199, 43200);
    Extend(dataPath, 0x20000 + 43200LL * 0x2000);  // the length of a full ring, sparse
    Heads(almPath, 199, 200, 0, 200);
    Start();
    EXPECT_EQ(thread->m_u32DataWrite, 0u);  // the last record went into slot 43199
    EXPECT_EQ(thread->m_u32AlmWrite, 0u);
    WriteOneData();  // the 43201st record goes into slot 0
    EXPECT_TRUE(DataSlotIntact(ReadRaw(dataPath, 0x20000, 0x2000)));
    EXPECT_EQ(thread->m_u32DataWrite, 1u);
    EXPECT_EQ(thread->m_u32DataCount, 43200u);
    EXPECT_EQ(ReadHead(dataPath, 1).u32WriteIndex, 1u);
    EXPECT_EQ(ReadHead(dataPath, 0).u32WriteIndex, 0u);
}

TEST_F(RecordOpenTest, BothCopiesBadKeepsTheFileAsideAndCreatesANewOne)
{
    const std::string& path = almPath;
    Heads(path, 3, 3, 2, 2);
    ALM_INDEX stub{};
    U16Copy(stub.szTime, 20, u"2026-12-01 00:00:00");
    stub.u8AlmType = 1;
    WriteRaw(path, 0x20000, &stub, sizeof(stub));
    WriteRaw(path, 0xF8000, &stub, sizeof(stub));
    Extend(path, 0x738000);
    for (uint64_t copy : {uint64_t{0}, g_u64HeadBOffset}) {
        WriteRaw(path, copy, "garbled header!!", 16);
        WriteRaw(path, copy + offsetof(REC_FILE_HEAD, u8Reserved), "kept?", 5);
    }
    EXPECT_EQ(StartSaying(), KeptAs(path, path + ".damaged"));
    EXPECT_EQ(FileSize(path + ".damaged"), 0x738000u);  // every old byte kept
    const auto* stubBytes = reinterpret_cast<const uint8_t*>(&stub);
    EXPECT_EQ(ReadRaw(path + ".damaged", 0xF8000, sizeof(stub)), std::vector<uint8_t>(stubBytes, stubBytes + sizeof(stub)));
    EXPECT_EQ(ReadHead(path, 0).u32WriteIndex, 0u);
    for (int copy = 0; copy < 2; ++copy) EXPECT_EQ(ReadHead(path, copy).u8Reserved[0], 0) << copy;  // nothing of the old
    EXPECT_EQ(thread->m_pAlmIndex[0].u8State, 0xEE);
    EXPECT_EQ(StubState(path, 0), 0xEE);
}

// The last name free is taken; once every name is taken, the damaged file is left alone.
TEST_F(RecordOpenTest, DamagedFileThatCannotBeKeptAsideIsLeftAlone)
{
    const std::string& path = nibpPath;
    const std::string text = "not a record file";
    WriteRaw(path, 0, text.data(), text.size());
    Extend(path);
    ASSERT_EQ(mkdir((path + ".damaged").c_str(), 0755), 0);  // a folder takes a name too
    for (int n = 2; n < CRecordRing::kKeptNamesMax; ++n) WriteRaw(CRecordRing::KeptName(path, n), 0, "k", 1);
    EXPECT_EQ(StartSaying(), KeptAs(path, path + ".damaged.99"));
    EXPECT_EQ(FileSize(path + ".damaged.99"), 0x30000u);
    thread.reset();
    ASSERT_EQ(truncate(path.c_str(), 0), 0);
    WriteRaw(path, 0, text.data(), text.size());
    Extend(path);
    EXPECT_EQ(StartSaying(), "record file " + path + " is damaged (no valid header) and cannot be kept: " + path +
                                 ".damaged to " + path + ".damaged.99 are all taken; the file is not used\n");
    EXPECT_EQ(thread->m_bNibpFileErr, 1);
    EXPECT_EQ(FileSize(path), 0x30000u);
    EXPECT_EQ(ReadRaw(path, 0, text.size()), std::vector<uint8_t>(text.begin(), text.end()));
    EXPECT_EQ(FileSize(path + ".damaged.99"), 0x30000u);
    CFile other;  // a file that is not used is not held either
    EXPECT_TRUE(other.Open(path.c_str(), CFile::modeReadWrite | CFile::shareDenyWrite));
}

// Without no-replace renames the put-aside links and unlinks, or renames when links are refused
// too; one that cannot complete leaves the file as it was, unused. The file keeps one name only.
TEST_F(RecordOpenTest, PutAsideWithoutNoReplaceRenamesKeepsTheFileOrLeavesItAlone)
{
    struct Case {
        std::vector<std::pair<CFileFaults::Call, int>> refused;  // each once
        bool kept;
        const char* tail;
    } cases[] = {
        {{{CFileFaults::callRenameNoReplace, EINVAL}}, true, "; it is kept as %s and a new file is made\n"},
        {{{CFileFaults::callRenameNoReplace, ENOSYS}}, true, "; it is kept as %s and a new file is made\n"},
        {{{CFileFaults::callRenameNoReplace, EOPNOTSUPP}}, true, "; it is kept as %s and a new file is made\n"},
        {{{CFileFaults::callRenameNoReplace, EINVAL}, {CFileFaults::callUnlink, EIO}}, false,
         " and cannot be kept as %s (Input/output error); the file is not used\n"},
        {{{CFileFaults::callRenameNoReplace, ENOSYS}, {CFileFaults::callLink, EPERM}}, true,
         "; it is kept as %s and a new file is made\n"},
        {{{CFileFaults::callRenameNoReplace, EOPNOTSUPP}, {CFileFaults::callLink, EOPNOTSUPP}, {CFileFaults::callRename, EACCES}},
         false, " and cannot be kept as %s (Permission denied); the file is not used\n"},
    };
    const std::string& path = nibpPath;
    const std::string kept = path + ".damaged";
    std::vector<uint8_t> noise(0x30000);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 7 + i / 251 + 1);
    for (const Case& c : cases) {
        thread.reset();
        std::remove(kept.c_str());
        std::remove(path.c_str());
        WriteRaw(path, 0, noise.data(), noise.size());
        CFileFaults::Reset();
        for (const auto& call : c.refused) CFileFaults::RefuseCall(call.first, call.second, 1);
        const std::string err = StartSaying();
        char tail[200];
        std::snprintf(tail, sizeof tail, c.tail, kept.c_str());
        EXPECT_EQ(err, "record file " + path + " is damaged (no valid header)" + tail);
        EXPECT_EQ(ReadRaw(c.kept ? kept : path, 0, noise.size() + 1), noise) << c.tail;
        EXPECT_EQ(thread->m_bNibpFileErr, c.kept ? 0 : 1);
        if (c.kept) {
            struct stat st {};
            ASSERT_EQ(stat(kept.c_str(), &st), 0);
            EXPECT_EQ(st.st_nlink, 1u);
            EXPECT_EQ(U16(ReadHead(path, 1).szSignature, 8), u"KWPD5NXQ");  // a new file in its place
        } else {
            EXPECT_NE(access(kept.c_str(), F_OK), 0) << c.tail;
        }
    }
}

TEST_F(RecordOpenTest, FileThisStartCouldNotFinishIsRemoved)
{
    const std::string fault = "record file error, file no longer used: injected fault: ";
    // Data, NIBP and system events write two header copies each; the 101st alarm stub fails.
    CFileFaults::CutWrite(6 + 101, 10);
    EXPECT_EQ(StartSaying(), fault + almPath + "; the unfinished file is removed\n");
    EXPECT_NE(access(almPath.c_str(), F_OK), 0);
    EXPECT_EQ(thread->m_bAlmFileErr, 1);

    // A file that was there before the start is left in place.
    thread.reset();
    ASSERT_EQ(truncate(nibpPath.c_str(), 0), 0);
    CFileFaults::CutWrite(4, 10);  // the NIBP file's second header copy
    EXPECT_EQ(StartSaying(), fault + nibpPath + "\n");
    EXPECT_EQ(access(nibpPath.c_str(), F_OK), 0);
    EXPECT_EQ(thread->m_bAlmFileErr, 0);

    // A file made through a link to nothing is removed; the link stays.
    thread.reset();
    ASSERT_EQ(unlink(dataPath.c_str()), 0);
    ASSERT_EQ(symlink("Elsewhere.dat", dataPath.c_str()), 0);
    CFileFaults::CutWrite(2, 10);  // the data file's second header copy
    EXPECT_EQ(StartSaying(), fault + dataPath + "; the unfinished file is removed\n");
    EXPECT_NE(access(folder.Path("Elsewhere.dat").c_str(), F_OK), 0);
    struct stat link {};
    EXPECT_EQ(lstat(dataPath.c_str(), &link), 0);
}

TEST_F(RecordOpenTest, LinkToTheSettingsFileIsNeverWritten)
{
    const std::string ini = folder.Path("Para.ini");
    const std::string settings = "[ECG]\nALM_SW=1\n";
    WriteRaw(ini, 0, settings.data(), settings.size());
    ASSERT_EQ(link(ini.c_str(), dataPath.c_str()), 0);
    ASSERT_EQ(symlink("Para.ini", sysPath.c_str()), 0);
    const std::string err = StartSaying();
    EXPECT_EQ(err, "record file " + dataPath + " of [REC] DATA_SAVE_FILE_NAME is the settings file " + ini +
                       "; the data records are not kept\nrecord file " + sysPath +
                       " of [REC] SYS_SAVE_FILE_NAME is the settings file " + ini +
                       "; the system-event records are not kept\n");
    EXPECT_EQ(FileErrs(), "1010");
    WriteOneData();
    thread->AddPowerOnRecord();
    thread->RunPass();
    EXPECT_EQ(FileSize(ini), settings.size());
    EXPECT_EQ(ReadRaw(ini, 0, settings.size()), std::vector<uint8_t>(settings.begin(), settings.end()));
}

// A link to a settings file not there yet is found on the file the open made, which is removed
// again: no settings file full of records is left for the next start.
TEST_F(RecordOpenTest, LinkToAMissingSettingsFileMakesNoSettingsFile)
{
    const std::string ini = folder.Path("Para.ini");
    ASSERT_EQ(symlink("Para.ini", nibpPath.c_str()), 0);
    EXPECT_EQ(StartSaying(), "record file " + nibpPath + " of [REC] NIBP_SAVE_FILE_NAME is the settings file " + ini +
                                 "; the NIBP records are not kept\n");
    EXPECT_EQ(FileErrs(), "0100");
    NIBP_DATA n{};
    thread->AddNibpRecord(&n);
    thread->RunPass();
    EXPECT_NE(access(ini.c_str(), F_OK), 0);
}

// The same for a link to a screen picture or its temporary file; a group the settings left
// without a path is not used (the settings said why).
TEST_F(RecordOpenTest, LinkToAPictureThatIsNotThereYetKeepsNoRecords)
{
    const std::string picture = folder.Path("screen.png");
    theApp.m_vecPicturePaths = {picture};
    ASSERT_EQ(symlink("screen.png", dataPath.c_str()), 0);
    ASSERT_EQ(symlink("screen.png.part", almPath.c_str()), 0);
    nibpPath.clear();
    EXPECT_EQ(StartSaying(), "record file " + dataPath + " of [REC] DATA_SAVE_FILE_NAME is the screen picture " +
                                 picture + "; the data records are not kept\nrecord file " + almPath +
                                 " of [REC] ALM_SAVE_FILE_NAME is the temporary file of the screen picture " + picture +
                                 "; the alarm records are not kept\n");
    EXPECT_EQ(FileErrs(), "1101");
    WriteOneData();
    EXPECT_NE(access(picture.c_str(), F_OK), 0);
    EXPECT_NE(access((picture + ".part").c_str(), F_OK), 0);
    struct stat link {};
    EXPECT_EQ(lstat(dataPath.c_str(), &link), 0);
}

TEST_F(RecordOpenTest, StubsNotCommittedOrNotMatchingTheirRecordAreEmpty)
{
    Start();
    StoreAlarms(3);
    thread.reset();
    const std::string& path = almPath;
    uint8_t ee = 0xEE;
    WriteRaw(path, 0x20000 + 0x28, &ee, 1);                 // slot 0: interrupted before its commit
    int16_t other = 999;
    WriteRaw(path, 0xF8000 + 0x8000 + 0x2E, &other, 2);     // slot 1: record differs from its stub
    Start();
    EXPECT_EQ(thread->m_pAlmIndex[0].u8State, 0xEE);
    EXPECT_EQ(thread->m_pAlmIndex[1].u8State, 0xEE);
    EXPECT_EQ(thread->m_pAlmIndex[2].u8State, 0);
    EXPECT_EQ(thread->m_u32AlmCount, 3u);
}

// An alarm file cut from outside keeps the alarms whose records are whole in it, saying so in one
// line, and new alarms follow; one cut inside its stubs holds none.
TEST_F(RecordOpenTest, CutAlarmFileKeepsTheAlarmsItHoldsAndSaysSo)
{
    const std::string& path = almPath;
    Start();
    StoreAlarms(5);
    thread.reset();
    const auto line = [&path](int held) {
        return "record file " + path + " holds " + std::to_string(held) +
               " of the 5 records its header counts; the records it holds are kept\n";
    };
    ASSERT_EQ(truncate(path.c_str(), 0xF8000 + 3 * 0x8000 + 0x6A00), 0);  // inside the fourth record's waves
    EXPECT_EQ(StartSaying(), line(3));
    EXPECT_EQ(thread->m_u32AlmWrite, 3u);
    EXPECT_EQ(thread->m_u32AlmCount, 3u);
    std::vector<int> states;
    for (uint32_t i = 0; i < 5; ++i) states.push_back(thread->m_pAlmIndex[i].u8State);
    EXPECT_EQ(states, (std::vector<int>{0, 0, 0, 0xEE, 0xEE}));
    thread->StoreAlarm(1, "2026-12-07 07:01:00", 9);
    EXPECT_TRUE(AlmRecordIntact(ReadRaw(path, 0xF8000 + 3 * 0x8000, 0x8000)));
    EXPECT_EQ(ReadHead(path, 1).u32WriteIndex, 4u);

    thread.reset();  // copy A still counts 5
    ASSERT_EQ(truncate(path.c_str(), 0x20000 + 2 * 0x1000 + 20), 0);  // inside the third stub
    EXPECT_EQ(StartSaying(), line(0));
    EXPECT_EQ(thread->m_u32AlmCount, 0u);
    EXPECT_EQ(thread->m_pAlmIndex[0].u8State, 0xEE);
}

// An older version wrote a new alarm file's stubs before its headers: a start cut short between
// left empty stubs and no header, made anew without a word; with anything more it is kept aside.
TEST_F(RecordOpenTest, AlarmFileOfEmptyStubsWithoutAHeaderIsMadeAnew)
{
    const std::string& path = almPath;
    const uint64_t made = 0x20000 + 199 * 0x1000 + 50;  // a made file ends after its last stub
    struct Case {
        const char* what;
        uint64_t at;  // where one byte is written, 0 for none
        uint8_t byte;
        bool kept;
    };
    for (const Case& c : {Case{"empty stubs", 0, 0, false}, Case{"an alarm type in a stub", 0x20000 + 7 * 0x1000 + 0x29, 3, true},
                          Case{"a header byte", 0x10000 + 0x40, 1, true}, Case{"a byte after a stub", 0x20000 + 0x100, 1, true},
                          Case{"as long as a made file", made - 1, 0, false}, Case{"longer than a made file", made, 0, true}}) {
        SCOPED_TRACE(c.what);
        for (uint32_t i = 0; i < 120; ++i) {
            ALM_INDEX stub{};
            U16Copy(stub.szTime, 20, u"2025-01-01 00:00:00");
            stub.u8State = 0xEE;
            stub.u16Slot = static_cast<uint16_t>(i);
            WriteRaw(path, 0x20000 + uint64_t{i} * 0x1000, &stub, sizeof(stub));
        }
        if (c.at != 0) WriteRaw(path, c.at, &c.byte, 1);
        const std::string err = StartSaying();
        EXPECT_EQ(err.find("damaged") != std::string::npos, c.kept) << err;
        EXPECT_EQ(access((path + ".damaged").c_str(), F_OK) == 0, c.kept);
        EXPECT_EQ(U16(ReadHead(path, 0).szSignature, 8), u"KWPD5NXQ");
        EXPECT_EQ(FileSize(path), made);
        EXPECT_EQ(thread->m_bAlmFileErr, 0);
        thread.reset();
        ASSERT_EQ(unlink(path.c_str()), 0);
        unlink((path + ".damaged").c_str());
    }
}

// A start cut short while making an alarm file leaves one counting no records, shorter than a made
// one: it is made anew. One of the made length is opened as it is.
TEST_F(RecordOpenTest, AlarmFileCountingNoRecordsIsNewOnlyWhenShorterThanAMadeOne)
{
    const std::string& path = almPath;
    const uint64_t made = 0x20000 + 199 * 0x1000 + 50;
    for (auto [length, created] : {std::pair{made - 1, u"2026-12-07 08:00:00"}, {made, u"2026-01-01 00:00:00"}}) {
        SCOPED_TRACE(length);
        thread.reset();
        std::remove(path.c_str());
        WriteHead(path, 0, 0, 0);
        WriteHead(path, 1, 0, 0);
        ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(length)), 0);
        Start();
        EXPECT_EQ(U16(ReadHead(path, 0).szCreateTime, 32), created);
        EXPECT_EQ(FileSize(path), made);
        EXPECT_EQ(thread->m_bAlmFileErr, 0);
    }
}

// Header copies are sealed with a check value behind a tag; older builds sealed them untagged, or
// not at all. A copy failing its check beside one that passes was cut and is refused, as is a tagged
// one failing beside a valid unsealed one; beside an invalid copy it is all the file has. When
// neither check holds and neither copy is told cut, the copies' own fields decide.
TEST_F(RecordOpenTest, HeaderCopiesSealedOrCutEachWay)
{
    const std::string& path = dataPath;
    enum Copy { cut, olderSealed, olderCut, plain, invalid, unfinished };  // unfinished: invalid, untagged
    // Written into copy A (write index 1) and copy B (2); the write index the open restores.
    // Each comment gives what the neighbouring rule would answer (0: the file kept aside, new).
    const struct Row {
        int copyA, copyB, write;
    } rows[] = {
        {cut, cut, 2},                  // were a cut copy refused beside any copy: 0
        {olderSealed, olderSealed, 2},  // were a copy without the tag taken for cut: 0
        {olderSealed, olderCut, 1},     // were untagged copies judged by their fields alone: 2
        {olderSealed, cut, 1},          // were a tagged cut copy refused only beside a tagged one: 2
        {plain, cut, 1},                // were the fields to decide when neither check holds: 2
        {invalid, cut, 2},              // were a cut copy refused beside any copy: 0
        {cut, invalid, 1},              // were the larger index to win: 2
        {olderCut, invalid, 1},         // were the larger index to win: 2
        {cut, unfinished, 1},           // were a cut copy refused beside any copy not cut: 0
    };
    ExpectColumnsApart(IntColumns(rows, "copyA:3 copyB:3 write"));
    const size_t tagAt = offsetof(REC_FILE_HEAD, szWriteTime) + 28 * sizeof(char16_t);
    const uint64_t zeros = 0;
    auto make = [&path, tagAt, &zeros](uint64_t at, int copy) {
        if (copy != cut && copy != invalid) WriteRaw(path, at + tagAt, &zeros, copy >= plain ? 8 : 4);
        if (copy == cut || copy == olderCut) WriteRaw(path, at + offsetof(REC_FILE_HEAD, szCreateTime), u"1", 2);
        if (copy >= invalid) WriteRaw(path, at, u"KWPD5NXX", 16);
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "copy A " << row.copyA << ", copy B " << row.copyB);
        thread.reset();
        std::remove(path.c_str());
        Start();
        WriteOneData();  // copy A 1
        WriteOneData();  // copy B 2
        thread.reset();
        make(0, row.copyA);
        make(g_u64HeadBOffset, row.copyB);
        EXPECT_EQ(StartSaying(), "");
        EXPECT_EQ(thread->m_u32DataWrite, static_cast<uint32_t>(row.write));
        EXPECT_EQ(thread->m_u32DataCount, static_cast<uint32_t>(row.write));
    }
}

// What the open found: both copies, one, neither (the file is kept aside and made anew), or a
// file too short to hold a record.
TEST_F(RecordOpenTest, OpenSaysWhichCopiesItFound)
{
    const std::string& path = dataPath;
    struct Case {
        const char* what;
        const char* copyA;  // written over the signature of copy A, B or both
        const char* copyB;
        uint64_t length;
        int result;
        uint32_t write;
    } cases[] = {
        {"both", nullptr, nullptr, 0x30000, CRecordRing::openBoth, 2},
        {"A only", nullptr, "XXXXXXXX", 0x30000, CRecordRing::openOne, 2},
        {"B only", "XXXXXXXX", nullptr, 0x30000, CRecordRing::openOne, 1},
        {"neither", "XXXXXXXX", "XXXXXXXX", 0x30000, CRecordRing::openNoHeader, 0},
        {"too short", nullptr, nullptr, 0x20000, CRecordRing::openNew, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        thread.reset();
        std::remove(path.c_str());
        std::remove((path + ".damaged").c_str());
        Heads(path, 2, 2, 1, 1);
        ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(c.length)), 0);
        if (c.copyA != nullptr) WriteRaw(path, 0, c.copyA, 8);
        if (c.copyB != nullptr) WriteRaw(path, g_u64HeadBOffset, c.copyB, 8);
        thread = std::make_unique<TestRecThread>();
        Said([&] { EXPECT_EQ(thread->OpenDataFile(), c.result); });
        EXPECT_EQ(thread->m_u32DataWrite, c.write);
    }
}

// Each header copy is made from its own copy in memory, reserved bytes as held, with the group's
// index and count; an error answers 1, and a file that is not available is not written.
TEST_F(RecordOpenTest, CreateWritesEachCopyAsHeldAndNothingWhenUnavailable)
{
    const std::string& path = dataPath;
    Start();
    thread->m_stDataHead[0].u8Reserved[0] = 'A';
    thread->m_stDataHead[1].u8Reserved[0] = 'B';
    EXPECT_EQ(thread->CreateDataFile(), 0);
    EXPECT_EQ(ReadHead(path, 0).u8Reserved[0], 'A');
    EXPECT_EQ(ReadHead(path, 1).u8Reserved[0], 'B');
    thread->m_u32DataWrite = 5;  // and its index and count as they stand
    thread->m_u32DataCount = 43200;
    EXPECT_EQ(thread->CreateDataFile(), 0);
    EXPECT_EQ(ReadHead(path, 1).u32WriteIndex, 5u);
    EXPECT_EQ(ReadHead(path, 1).u32Count, 43200u);
    CFileFaults::FailOperation(1);
    Said([this] { EXPECT_EQ(thread->CreateDataFile(), 1); });  // a file error
    EXPECT_EQ(thread->m_bDataFileErr, 1);
    thread->m_stDataHead[0].u8Reserved[0] = 'C';
    EXPECT_EQ(thread->CreateDataFile(), 0);
    EXPECT_EQ(ReadHead(path, 0).u8Reserved[0], 'A');
}

TEST_F(RecordOpenTest, UnopenableOrLockedFileLeavesOthersWorking)
{
    ASSERT_EQ(mkdir(dataPath.c_str(), 0755), 0);  // a folder where the file should be
    CFile holder;  // another holder of the alarm file's lock
    ASSERT_TRUE(holder.Open(almPath.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::shareDenyWrite));
    std::string err = StartSaying();
    EXPECT_NE(err.find(dataPath), std::string::npos);
    EXPECT_NE(err.find(almPath), std::string::npos);
    EXPECT_EQ(FileErrs(), "1001");

    DataRecordSource d(1);
    AlmRecordSource a(1, 2, "2026-12-07 08:00:00", 1);
    thread->AddDataRecord(&d.rec);
    thread->AddAlmRecord(&a.rec);
    thread->AddPowerOnRecord();
    thread->RunPass();
    EXPECT_TRUE(thread->m_listDataQueue.empty());  // drained without writing
    EXPECT_TRUE(thread->m_listAlmQueue.empty());
    EXPECT_EQ(FileSize(almPath), 0u);
    EXPECT_EQ(thread->m_u32SysWrite, 1u);
}

TEST_F(RecordOpenTest, ReadOnlyFolderMakesEveryFileUnavailable)
{
    if (geteuid() == 0) GTEST_SKIP() << "file permissions do not bind the superuser";
    ASSERT_EQ(chmod(folder.Dir().c_str(), 0555), 0);
    StartSaying();
    EXPECT_EQ(FileErrs(), "1111");
    thread->AddPowerOnRecord();
    thread->RunPass();
    EXPECT_TRUE(thread->m_listSysQueue.empty());
}

TEST_F(RecordOpenTest, TwoKeysNamingOneFileLeaveTheLaterGroupOutAndSaySo)
{
    almPath = folder.Dir() + "/./" + "DataSave.dat";
    std::string err = StartSaying();
    EXPECT_EQ(err, "record file " + almPath +
                       " is named by both [REC] DATA_SAVE_FILE_NAME and [REC] ALM_SAVE_FILE_NAME;"
                       " the alarm records are not kept\n");
    EXPECT_EQ(FileErrs(), "0001");
    WriteOneData();
    EXPECT_EQ(ReadHead(dataPath, 0).u32WriteIndex + ReadHead(dataPath, 1).u32WriteIndex, 1u);
}

TEST_F(RecordOpenTest, ErrorWhileOpeningMarksOnlyThatGroup)
{
    Heads(dataPath, 1, 1, 0, 0);
    Heads(nibpPath, 4, 4, 3, 3);
    // Data: open, length, two seeks and reads; NIBP: open, length, seek, then its first read.
    CFileFaults::FailOperation(10);
    std::string err = StartSaying();
    EXPECT_EQ(FileErrs(), "0100");
    EXPECT_NE(err.find(nibpPath), std::string::npos);
    EXPECT_EQ(ReadHead(nibpPath, 0).u32WriteIndex, 4u);  // left alone
    CFile other;  // and no longer held
    EXPECT_TRUE(other.Open(nibpPath.c_str(), CFile::modeReadWrite | CFile::shareDenyWrite));
}

}  // namespace
