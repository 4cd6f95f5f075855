// Crash safety of the record files: a writer process killed at random moments, and power losses
// through the file layer's fault seam. After each crash the reopened files must show every header
// copy and counted record whole, every complete stub matching its whole record, nothing committed lost.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <cstring>
#include <random>

#include "appbase/tesmorapp.h"
#include "platform/filefaults.h"
#include "platform/textu16.h"
#include "recordfixture.h"
#include "support/forked.h"

namespace {

int Rounds()
{
    const char* env = std::getenv("TESMOR_CRASH_ROUNDS");
    int n = env != nullptr ? std::atoi(env) : 0;
    return n > 0 ? n : 200;
}

// Feeds one record of each kind, derived from n, and runs one pass.
void FeedAndPass(TestRecThread& t, uint32_t n)
{
    DataRecordSource d(n);
    t.AddDataRecord(&d.rec);
    char time[32];
    snprintf(time, sizeof(time), "2026-12-07 %02u:%02u:%02u", (n / 3600) % 24, (n / 60) % 60, n % 60);
    AlmRecordSource a(static_cast<uint8_t>(1 + n % 8), 2, time, n);
    t.AddAlmRecord(&a.rec);
    NIBP_DATA nibp{};
    nibp.i16Sys = static_cast<int16_t>(n & 0x7FFF);
    std::memset(nibp.u8Reserved, static_cast<int>(n & 0xFF), sizeof(nibp.u8Reserved));
    nibp.u8Reserved[17] = static_cast<uint8_t>(~n);
    t.AddNibpRecord(&nibp);
    SYS_DATA ev{};
    U16Format(ev.szEvent, 20, "EV%08X-%08X", n, n);
    t.AddSysRecord(&ev);
    t.RunPass();
}

bool NibpIntact(const std::vector<uint8_t>& raw)
{
    NIBP_DATA r;
    if (raw.size() < sizeof(r)) return false;
    std::memcpy(&r, raw.data(), sizeof(r));
    return r.u8Reserved[0] == (static_cast<uint16_t>(r.i16Sys) & 0xFF) &&
           r.u8Reserved[17] == static_cast<uint8_t>(~static_cast<uint16_t>(r.i16Sys));
}

bool SysIntact(const std::vector<uint8_t>& raw)
{
    SYS_DATA r;
    if (raw.size() < sizeof(r)) return false;
    std::memcpy(&r, raw.data(), sizeof(r));
    std::string ev = ToUtf8(U16(r.szEvent, 20));
    if (ev == "监护仪开机") return true;
    return ev.size() == 19 && ev.compare(2, 8, ev, 11, 8) == 0;
}

struct Counts {
    uint32_t data = 0, nibp = 0, sys = 0, alm = 0;
};

// A header copy that the open would accept, for a ring that wraps its index or not.
bool CopyUsable(const REC_FILE_HEAD& h, uint32_t len, bool wraps)
{
    if (U16(h.szSignature, 8) != u"KWPD5NXQ" || h.u32Count > len) return false;
    if (wraps) return h.u32WriteIndex < len && (h.u32Count == len || h.u32WriteIndex == h.u32Count);
    return h.u32Count == std::min(h.u32WriteIndex, len);
}

// At most `limit` slots counted by a header state, newest first, without the slot at a full
// ring's write index (the oldest record, the one being overwritten).
std::vector<uint32_t> CountedSlots(uint32_t write, uint32_t count, uint32_t len, uint32_t limit)
{
    std::vector<uint32_t> slots;
    const uint32_t w = write % len;
    const uint32_t n = count == len ? len - 1 : count;
    for (uint32_t i = 0; i < n && i < limit; ++i) slots.push_back((w + 2 * len - 1 - i) % len);
    return slots;
}

class RecordCrashTest : public ::testing::Test {
protected:
    void SetUp() override { CFileFaults::Reset(); }
    void TearDown() override { CFileFaults::Reset(); }

    // Reopens the files and checks them; `before` holds the counts of the previous check.
    void CheckAfterCrash(Counts* before, int round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        TestRecThread t;
        t.InitInstance();
        ASSERT_EQ(t.m_bDataFileErr + t.m_bNibpFileErr + t.m_bSysFileErr + t.m_bAlmFileErr, 0);
        // No committed record is lost: counts never go back.
        EXPECT_GE(t.m_u32DataCount.load(), before->data);
        EXPECT_GE(t.m_u32NibpCount.load(), before->nibp);
        EXPECT_GE(t.m_u32SysCount.load(), before->sys);
        EXPECT_GE(t.m_u32AlmCount.load(), before->alm);
        *before = {t.m_u32DataCount, t.m_u32NibpCount, t.m_u32SysCount, t.m_u32AlmCount};

        const std::string& data = theApp.m_strDataSavePath;
        for (int copy = 0; copy < 2; ++copy) {
            REC_FILE_HEAD h = ReadHead(data, copy);
            if (!CopyUsable(h, g_u32DataSaveMax, true)) continue;
            for (uint32_t s : CountedSlots(h.u32WriteIndex, h.u32Count, g_u32DataSaveMax, 8))
                EXPECT_TRUE(DataSlotIntact(ReadRaw(data, 0x20000 + uint64_t{s} * 0x2000, 0x2000))) << "data slot " << s;
        }
        CheckSmall(theApp.m_strNibpSavePath, g_u32NibpSaveMax, NibpIntact);
        CheckSmall(theApp.m_strSysSavePath, g_u32SysSaveMax, SysIntact);
        CheckAlarms(t);
    }

    void CheckSmall(const std::string& path, uint32_t len, bool (*intact)(const std::vector<uint8_t>&))
    {
        for (int copy = 0; copy < 2; ++copy) {
            REC_FILE_HEAD h = ReadHead(path, copy);
            if (!CopyUsable(h, len, false)) continue;
            for (uint32_t s : CountedSlots(h.u32WriteIndex, h.u32Count, len, len))
                EXPECT_TRUE(intact(ReadRaw(path, 0x20000 + s * 128, 128))) << path << " slot " << s;
        }
    }

    void CheckAlarms(TestRecThread& t)
    {
        const std::string& path = theApp.m_strAlmSavePath;
        for (int copy = 0; copy < 2; ++copy)
            if (CopyUsable(ReadHead(path, copy), g_u32AlmSaveMax, true)) ++usableAlmCopies;
        for (uint32_t s = 0; s < g_u32AlmSaveMax; ++s) {
            auto raw = ReadRaw(path, 0x20000 + s * 0x1000, sizeof(ALM_INDEX));
            ASSERT_EQ(raw.size(), sizeof(ALM_INDEX));
            ALM_INDEX stub;
            std::memcpy(&stub, raw.data(), sizeof(stub));
            if (stub.u8State != 0) continue;
            auto rec = ReadRaw(path, 0xF8000 + uint64_t{s} * 0x8000, 0x8000);
            ASSERT_TRUE(AlmRecordIntact(rec)) << "alarm slot " << s;
            ALM_INDEX idx;
            std::memcpy(&idx, rec.data(), sizeof(idx));
            EXPECT_EQ(U16(idx.szTime, 20), U16(stub.szTime, 20)) << "alarm slot " << s;
            EXPECT_EQ(AlmId(idx), AlmId(stub));
            EXPECT_EQ(idx.u8AlmType, stub.u8AlmType);
            EXPECT_EQ(t.m_pAlmIndex[s].u8State, 0) << "a whole committed alarm is searchable";
            ++committedAlarms;
        }
    }

    // Runs crashes, the files checked after each; `crash` says whether it crashed.
    void CrashRounds(uint32_t seed, const char* what, const std::function<bool(uint32_t, std::mt19937&)>& crash)
    {
        std::mt19937 rng(seed);
        Counts counts;
        int crashes = 0;
        for (int round = 0; round < Rounds() && !HasFailure(); ++round) {
            crashes += crash(static_cast<uint32_t>(round) * 100000u, rng) ? 1 : 0;
            CheckAfterCrash(&counts, round);
        }
        EXPECT_EQ(crashes, Rounds());
        EXPECT_GT(counts.alm, 0u);
        EXPECT_GT(committedAlarms, 0);
        std::printf("[ record crash ] %d %s, %u data / %u alarm records stored, %ld committed alarms checked\n", crashes,
                    what, counts.data, counts.alm, committedAlarms);
    }

    RecordFolder folder;
    long committedAlarms = 0;
    long usableAlmCopies = 0;
};

TEST_F(RecordCrashTest, WriterKilledAtRandomMoments)
{
    CrashRounds(20261207, "writer processes killed", [](uint32_t base, std::mt19937& rng) {
        const useconds_t delay = rng() % 8000;
        const pid_t pid = Forked();
        if (pid == 0) {
            TestRecThread t;
            t.InitInstance();
            for (uint32_t n = base;; ++n) FeedAndPass(t, n);
        }
        usleep(delay);
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    });
}

TEST_F(RecordCrashTest, SimulatedPowerLossAtRandomOperations)
{
    CrashRounds(7122026, "power losses simulated", [](uint32_t base, std::mt19937& rng) {
        CFileFaults::PowerLossAt(1 + static_cast<long>(rng() % 700), rng() % 0x8001);
        Said([base] {
            TestRecThread t;
            t.InitInstance();
            for (uint32_t n = base; n < base + 100 && !CFileFaults::PowerLost(); ++n) FeedAndPass(t, n);
        });
        const bool lost = CFileFaults::PowerLost();
        CFileFaults::Reset();
        return lost;
    });
}

// A full alarm ring overwrites its oldest alarm, in slot 0, with another. A power loss at any
// operation of that write, torn in the stub's time or the waves, leaves a stub marked finished
// only with its own whole record, old or new; without a loss the new one is committed.
TEST_F(RecordCrashTest, PowerLossWhileACommittedAlarmIsOverwritten)
{
    const std::string& path = theApp.m_strAlmSavePath;
    {
        TestRecThread t;
        t.InitInstance();
        for (uint32_t n = 0; n < 200; ++n) t.StoreAlarm(1, "2026-12-07 09:00:00", n);
    }
    const auto stub = [&] { return ReadRaw(path, 0x20000, sizeof(ALM_INDEX)); };
    const std::vector<uint8_t> heads = ReadRaw(path, 0, 0x21000), old = ReadRaw(path, 0xF8000, 0x8000), oldStub = stub();
    AlmRecordSource next(3, 5, "2026-12-08 10:11:12", 200);
    auto overwrite = [&](long lossAt, size_t torn) {  // whether the power was lost
        WriteRaw(path, 0, heads.data(), heads.size());
        WriteRaw(path, 0xF8000, old.data(), old.size());
        TestRecThread t;
        t.InitInstance();
        CFileFaults::PowerLossAt(lossAt, torn);
        Said([&] { t.AddAlmRecord(&next.rec), t.RunPass(); });
        const bool lost = CFileFaults::PowerLost();
        CFileFaults::Reset();
        return lost;
    };
    overwrite(1000000, 0);
    const std::vector<uint8_t> written = ReadRaw(path, 0xF8000, 0x8000), newStub = stub();
    ASSERT_NE(written, old);
    ASSERT_NE(newStub, oldStub);
    for (size_t torn : {0x20, 0x4000}) {
        for (long n = 1; overwrite(n, torn); ++n) {
            TestRecThread t;
            t.InitInstance();
            const std::vector<uint8_t> slot = ReadRaw(path, 0xF8000, 0x8000), onDisk = stub();
            const bool unmarked = onDisk[offsetof(ALM_INDEX, u8State)] != 0 && t.m_pAlmIndex[0].u8State != 0;
            EXPECT_TRUE(unmarked || (onDisk == oldStub && slot == old) || (onDisk == newStub && slot == written))
                << n << ", " << torn;
        }
    }
    TestRecThread t;
    t.InitInstance();
    EXPECT_EQ(t.m_pAlmIndex[0].u8State, 0);
    EXPECT_EQ(ReadRaw(path, 0xF8000, 0x8000), written);
}

// The id of the newest data record a review shows.
uint32_t NewestDataId(TestRecThread& t)
{
    DataRecordSink sink;
    sink.rec.nMode = 3;
    t.RequestDataRecord(&sink.rec);
    t.RunPass();
    return DataId(sink.rec.val);
}

// A full data ring, copy A at 43199 and copy B, the last committed, at 0: the next record goes into
// slot 0 and rewrites copy A with index 1. That header write cut after any number of bytes leaves
// the file opening at the committed index 0. Also when both copies were written without check
// values by an earlier version. Reserved bytes hold noise, written back as read and sealed.
TEST_F(RecordCrashTest, HeaderCopyCutAtAnyByteNeverWinsOverTheLastCommitted)
{
    const std::string& path = theApp.m_strDataSavePath;
    for (bool checked : {true, false}) {
        SCOPED_TRACE(checked ? "copies with check values" : "copies without check values");
        std::remove(path.c_str());
        WriteHead(path, 0, 43197, 43200);
        WriteHead(path, 1, 43198, 43200);
        uint8_t reserved[sizeof(REC_FILE_HEAD::u8Reserved)];
        for (size_t i = 0; i < sizeof(reserved); ++i) reserved[i] = static_cast<uint8_t>(0xA5 + 37 * i);
        for (uint64_t copy : {uint64_t{0}, g_u64HeadBOffset})
            WriteRaw(path, copy + offsetof(REC_FILE_HEAD, u8Reserved), reserved, sizeof(reserved));
        ASSERT_EQ(truncate(path.c_str(), 0x20000 + 43200LL * 0x2000), 0);  // the length of a full ring, sparse
        CraftDataSlot(path, 43008, 9);  // a record of the last lap
        long opsPerRecord = 0;
        {
            TestRecThread t;
            t.InitInstance();
            t.StoreData(1);  // slot 43198, copy A 43199
            CFileFaults::Reset();
            t.StoreData(2);  // slot 43199, copy B 0
            opsPerRecord = CFileFaults::Operations();
        }
        if (!checked) {
            WriteHead(path, 0, 43199, 43200);
            WriteHead(path, 1, 0, 43200);
        }
        ASSERT_EQ(ReadHead(path, 0).u32WriteIndex, 43199u);
        ASSERT_EQ(ReadHead(path, 1).u32WriteIndex, 0u);
        const std::vector<uint8_t> copyA = ReadRaw(path, 0, sizeof(REC_FILE_HEAD));
        std::vector<uint8_t> newA;
        {
            TestRecThread t;
            t.InitInstance();
            t.StoreData(3);
            newA = ReadRaw(path, 0, sizeof(REC_FILE_HEAD));
        }
        for (size_t cut = 0; cut < sizeof(REC_FILE_HEAD); ++cut) {
            SCOPED_TRACE("header write cut after " + std::to_string(cut) + " bytes");
            WriteRaw(path, 0, copyA.data(), copyA.size());
            {
                TestRecThread t;
                t.InitInstance();
                ASSERT_EQ(t.m_u32DataWrite.load(), 0u);
                // The data header write is the last but one operation of a pass: a write, then its flush.
                CFileFaults::Reset();
                CFileFaults::PowerLossAt(opsPerRecord - 1, cut);
                Said([&] { t.StoreData(3); });
            }
            ASSERT_TRUE(CFileFaults::PowerLost());
            CFileFaults::Reset();
            // A cut that left only bytes that the new copy shares with the old one is the whole new copy.
            const bool whole = std::equal(newA.begin() + cut, newA.end(), copyA.begin() + cut);
            TestRecThread t;
            t.InitInstance();
            EXPECT_EQ(t.m_u32DataWrite.load(), whole ? 1u : 0u);
            EXPECT_EQ(t.m_u32DataCount.load(), 43200u);
            EXPECT_EQ(NewestDataId(t), whole ? 3u : 2u);
            if (HasFailure()) return;
        }
    }
}

// One start: open or make the four files and store the power-on event.
void StartOnce()
{
    TestRecThread t;
    t.InitInstance();
    t.AddPowerOnRecord();
    t.RunPass();
}

std::set<std::string> FilesIn(const std::string& dir)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.insert(entry.path().filename().string());
    return names;
}

// A power loss at every operation of a first start, and of one keeping a damaged data file aside:
// the next start finds nothing else damaged, keeps that file aside once, whole, and opens all four.
TEST(RecordKillSweepTest, PowerLossAtEveryOperationOfAStartLeavesNoFileCalledDamaged)
{
    CFileFaults::Reset();
    std::vector<char> noise(0x30000);
    std::mt19937 rng(2212);
    for (char& c : noise) c = static_cast<char>(rng());
    long checked = 0;
    for (bool damaged : {false, true}) {
        long operations = 0;
        {
            RecordFolder folder;
            if (damaged) WriteRaw(theApp.m_strDataSavePath, 0, noise.data(), noise.size());
            Said([&] { StartOnce(); });
            operations = CFileFaults::Operations();
        }
        // With a damaged data file, what differs is the data file's part of the start: its open,
        // its put-aside and the making of the new file, a dozen operations.
        if (damaged) operations = 20;
        // A write at which the power fails leaves its first 10 bytes: part of a header copy's
        // signature, part of a stub. Losing none of it is the same as losing the power at the
        // operation before.
        for (long n = 1; n <= operations; ++n) {
            {
                SCOPED_TRACE("power lost at operation " + std::to_string(n));
                RecordFolder folder;
                const std::string data = theApp.m_strDataSavePath;
                if (damaged) WriteRaw(data, 0, noise.data(), noise.size());
                CFileFaults::Reset();
                CFileFaults::PowerLossAt(n, 10);
                Said([&] { StartOnce(); });
                CFileFaults::Reset();

                // The kept file of the damaged start may still be to make, once.
                const bool keptBefore = FilesIn(folder.Dir()).count("DataSave.dat.damaged") != 0;
                TestRecThread t;
                const std::string err = Said([&t] { t.InitInstance(); });
                const std::string keptLine = "record file " + data + " is damaged (no valid header); it is kept as " +
                                             data + ".damaged and a new file is made\n";
                EXPECT_EQ(err, damaged && !keptBefore ? keptLine : "");
                EXPECT_EQ(t.m_bDataFileErr + t.m_bNibpFileErr + t.m_bSysFileErr + t.m_bAlmFileErr, 0);
                std::set<std::string> expected{"DataSave.dat", "NIBPSave.dat", "SysSave.dat", "AlmSave.dat"};
                if (damaged) expected.insert("DataSave.dat.damaged");
                EXPECT_EQ(FilesIn(folder.Dir()), expected);
                if (damaged) {
                    EXPECT_EQ(ReadRaw(data + ".damaged", 0, noise.size()), std::vector<uint8_t>(noise.begin(), noise.end()));
                }
                ++checked;
                if (HasFailure()) return;
            }
        }
    }
    std::printf("[ record crash ] %ld power losses during starts checked\n", checked);
}

}  // namespace
