#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "platform/filefaults.h"

// The system's file syncs, counted with the file each was last made for; the file layer linked
// here reaches the system's through these.
struct SyncLog {
    std::atomic<long> calls{0};
    std::atomic<ino_t> file{0};
    int Forward(const char* name, int fd)
    {
        struct stat st {};
        file = fstat(fd, &st) == 0 ? st.st_ino : 0;
        ++calls;
        return reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, name))(fd);
    }
} g_dataSyncs, g_fileSyncs;
extern "C" int fdatasync(int fd) { return g_dataSyncs.Forward("fdatasync", fd); }
extern "C" int fsync(int fd) { return g_fileSyncs.Forward("fsync", fd); }

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CFileFaults::Reset();
        std::string pattern = ::testing::TempDir() + "fileXXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back(0);
        dir = mkdtemp(buf.data());
        path = dir + "/f.dat";
    }
    void TearDown() override
    {
        CFileFaults::Reset();
        std::filesystem::remove_all(dir);
    }
    std::string Content()
    {
        CFile f;
        EXPECT_TRUE(f.Open(path.c_str(), CFile::modeRead));
        std::string s(static_cast<size_t>(f.GetLength()), '\0');
        f.Read(s.data(), static_cast<UINT>(s.size()));
        return s;
    }
    void Put(CFile& f, uint64_t at, const std::string& s)
    {
        f.Seek(static_cast<int64_t>(at), CFile::begin);
        f.Write(s.data(), static_cast<UINT>(s.size()));
    }
    // The content of a file, or "-" when there is none.
    static std::string Text(const std::string& name)
    {
        std::ifstream in(name, std::ios::binary);
        return in ? std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()) : "-";
    }
    static mode_t ModeOf(const std::string& name)
    {
        struct stat st {};
        return stat(name.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
    }
    static ino_t InodeOf(const std::string& name)
    {
        struct stat st {};
        return stat(name.c_str(), &st) == 0 ? st.st_ino : 1;
    }
    static constexpr UINT kRw = CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite;
    std::string dir, path;
};

// Standard input closed while it lives, as when the monitor is started without one: the next
// descriptor a file gets is 0.
class StdinClosed {
public:
    StdinClosed() : m_saved(dup(0)) { close(0); }
    ~StdinClosed()
    {
        dup2(m_saved, 0);
        close(m_saved);
    }
    static bool ZeroFree() { return fcntl(0, F_GETFD) == -1; }

private:
    int m_saved;
};

TEST(FileFolderTest, FolderOfAFileInTheRootIsTheRoot)
{
    EXPECT_EQ(CFile::FolderOf("/Para.ini"), "/");
    EXPECT_EQ(CFile::FolderOf("/opt/mon/Para.ini"), "/opt/mon");
    EXPECT_EQ(CFile::FolderOf("Para.ini"), ".");
}

TEST_F(FileTest, OpenKeepsContentReadStopsAtEnd)
{
    {
        CFile f;
        ASSERT_TRUE(f.Open(path.c_str(), kRw));
        EXPECT_TRUE(f.WasCreated());
        Put(f, 0, "hello worl");
        Put(f, 10, "d");
        f.Flush();
    }
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(ModeOf(path), 0644 & ~mask);  // never executable
    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), kRw));
    EXPECT_FALSE(f.WasCreated());
    EXPECT_EQ(f.GetLength(), 11u);
    char buf[32] = {};
    f.Seek(6, CFile::begin);
    EXPECT_EQ(f.Read(buf, sizeof(buf)), 5u);
    EXPECT_STREQ(buf, "world");
    EXPECT_EQ(f.Seek(-3, CFile::end), 8u);
    EXPECT_EQ(f.Read(buf, 0), 0u);
    EXPECT_EQ(f.Seek(-11, CFile::end), 0u);
    CFile reader;
    ASSERT_TRUE(reader.Open(path.c_str(), CFile::modeRead));
    EXPECT_FALSE(reader.WasCreated());
    // Opened to be created and emptied, a longer file left there keeps none of its bytes.
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite));
    EXPECT_EQ(f.GetLength(), 0u);
    Put(f, 0, "new");
    EXPECT_EQ(Content(), "new");
}

// Flush syncs a real file's data to disk, also when nothing was written through this object
// (another writer's bytes are the file's too), unless disk sync is off; a folder syncs its entries.
TEST_F(FileTest, FlushAndFolderSyncReachTheSystemsSync)
{
    CFileFaults::SetDiskSync(true);
    CFile f, other;
    ASSERT_TRUE(f.Open(path.c_str(), kRw));
    ASSERT_TRUE(other.Open(path.c_str(), kRw));
    const long before = g_dataSyncs.calls;
    Put(f, 0, "data");
    f.Flush();
    EXPECT_EQ(g_dataSyncs.calls - before, 1);
    EXPECT_EQ(g_dataSyncs.file, InodeOf(path));
    g_dataSyncs.file = 0;
    other.Flush();
    EXPECT_EQ(g_dataSyncs.calls - before, 2);
    EXPECT_EQ(g_dataSyncs.file, InodeOf(path));
    CFileFaults::SetDiskSync(false);
    f.Flush();
    EXPECT_EQ(g_dataSyncs.calls - before, 2);
    CFileFaults::SetDiskSync(true);
    CFile::SyncFolder(path);
    EXPECT_EQ(g_fileSyncs.file, InodeOf(dir));
}

TEST_F(FileTest, ErrorsRaiseWithPathAndCause)
{
    CFile f;
    CFileException err;
    EXPECT_FALSE(f.Open((dir + "/missing/f.dat").c_str(), kRw, &err));
    EXPECT_EQ(err.m_cause, CFileException::folderNotFound);
    EXPECT_NE(err.Describe().find("missing/f.dat"), std::string::npos);
    EXPECT_FALSE(f.Open((dir + "/missing.dat").c_str(), CFile::modeRead, &err));
    EXPECT_EQ(err.m_cause, CFileException::fileNotFound);
    char c;
    EXPECT_THROW(f.Read(&c, 1), CFileException);
    EXPECT_THROW(f.Seek(0, CFile::begin), CFileException);
    CFileFaults::SetDiskSync(false);  // not even asked of the disk
    EXPECT_THROW(f.Flush(), CFileException);
    CFileFaults::SetDiskSync(true);
    ASSERT_TRUE(f.Open(path.c_str(), kRw));
    EXPECT_THROW(f.Seek(-1, CFile::begin), CFileException);
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead));
    EXPECT_THROW(f.Write("x", 1), CFileException);
    ASSERT_TRUE(f.Open(dir.c_str(), CFile::modeRead));  // a folder opens, but reads nothing
    EXPECT_THROW(f.Read(&c, 1), CFileException);
    f.Abort();
    f.Abort();  // twice is harmless
    EXPECT_FALSE(f.IsOpen());
}

TEST_F(FileTest, LockedFileCannotBeOpenedTwice)
{
    CFile first, second;
    ASSERT_TRUE(first.Open(path.c_str(), kRw | CFile::shareDenyWrite));
    CFileException err;
    EXPECT_FALSE(second.Open(path.c_str(), kRw | CFile::shareDenyWrite, &err));
    EXPECT_EQ(err.m_cause, CFileException::sharingViolation);
    first.Close();
    EXPECT_FALSE(first.IsOpen());
    EXPECT_TRUE(second.Open(path.c_str(), kRw | CFile::shareDenyWrite));
    // Opened again, an object lets go of the file it held, and of its lock.
    EXPECT_TRUE(second.Open(path.c_str(), kRw | CFile::shareDenyWrite));
}

TEST_F(FileTest, AFileMayGetDescriptorZero)
{
    CFileFaults::SetDiskSync(true);
    const std::string link = dir + "/link.dat";
    ASSERT_EQ(symlink("made.dat", link.c_str()), 0);
    CFile holder;
    ASSERT_TRUE(holder.Open(path.c_str(), kRw | CFile::shareDenyWrite));
    StdinClosed closed;
    {
        CFile locked;
        EXPECT_FALSE(locked.Open(path.c_str(), kRw | CFile::shareDenyWrite));
        EXPECT_TRUE(StdinClosed::ZeroFree());
        CFile f;
        ASSERT_TRUE(f.Open(link.c_str(), kRw | CFile::shareDenyWrite));  // makes the file the link names
        EXPECT_FALSE(StdinClosed::ZeroFree());
        EXPECT_TRUE(f.WasCreated());
        EXPECT_TRUE(f.IsSameFile(dir + "/made.dat"));
        EXPECT_FALSE(f.IsSameFile(path));
        EXPECT_FALSE(f.IsSameFile(dir + "/missing.dat"));
        Put(f, 0, "zero");
        f.Flush();
        CFile second;
        EXPECT_FALSE(second.Open(link.c_str(), kRw | CFile::shareDenyWrite));
        f.Close();
        EXPECT_TRUE(StdinClosed::ZeroFree());
        EXPECT_EQ(Text(dir + "/made.dat"), "zero");
        EXPECT_EQ(ModeOf(dir + "/made.dat"), ModeOf(path));  // as any file made, never executable
        ASSERT_TRUE(f.Open((dir + "/new.dat").c_str(), kRw));
        EXPECT_FALSE(StdinClosed::ZeroFree());
        EXPECT_TRUE(f.WasCreated());
    }
    EXPECT_TRUE(StdinClosed::ZeroFree());
    errno = EIO;  // left by an earlier call: no error of the folder's sync
    EXPECT_NO_THROW(CFile::SyncFolder(path));
    EXPECT_TRUE(StdinClosed::ZeroFree());
}

TEST_F(FileTest, SeamFailsTheNthOperationOnly)
{
    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), kRw));
    CFileFaults::FailOperation(2);
    f.Seek(0, CFile::begin);
    EXPECT_THROW(f.Write("ab", 2), CFileException);
    f.Write("cd", 2);
    f.Flush();
    EXPECT_EQ(Content(), "cd");
    CFileFaults::FailOperation(1);
    CFile other;
    CFileException err;
    EXPECT_FALSE(other.Open(path.c_str(), kRw, &err));
    EXPECT_EQ(err.m_cause, CFileException::injectedFault);
    // Renames and folder syncs count as operations too.
    CFileFaults::FailOperation(1);
    EXPECT_THROW(CFile::Rename(path.c_str(), (dir + "/g.dat").c_str()), CFileException);
    CFileFaults::FailOperation(1);
    EXPECT_THROW(CFile::SyncFolder(path), CFileException);
    EXPECT_EQ(Content(), "cd");
}

// A read or write cut short or interrupted by a signal goes on where it stopped; one that fails
// raises, as does a write that stores nothing (a full disk).
TEST_F(FileTest, ShortAndInterruptedCallsGoOnAndFailedOnesRaise)
{
    struct Case {
        const char* what;
        CFileFaults::Call call;
        int err;  // refused once with it, 0 for none
        long shortened;  // calls that move at most 2 bytes (0 with stored)
        int raised;      // errno of the error raised, 0 for none
    } cases[] = {
        {"write cut short", CFileFaults::callWrite, 0, 1, 0},
        {"write interrupted", CFileFaults::callWrite, EINTR, 0, 0},
        {"write failing", CFileFaults::callWrite, EIO, 0, EIO},
        {"write storing nothing", CFileFaults::callWrite, EINTR, -1, ENOSPC},
        {"read cut short", CFileFaults::callRead, 0, 1, 0},
        {"read interrupted", CFileFaults::callRead, EINTR, 0, 0},
        {"read failing", CFileFaults::callRead, EIO, 0, EIO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFileFaults::Reset();
        CFile f;
        ASSERT_TRUE(f.Open(path.c_str(), kRw | CFile::modeCreate));
        Put(f, 0, "hello world");
        if (c.err != 0) CFileFaults::RefuseCall(c.call, c.err, 1);
        if (c.shortened != 0) CFileFaults::ShortenCall(c.call, c.shortened > 0 ? 2 : 0, 1);
        int raised = 0;
        char head[6] = {}, tail[32] = {};
        try {
            if (c.call == CFileFaults::callWrite) Put(f, 0, "HELLO");
            f.Seek(0, CFile::begin);
            EXPECT_EQ(f.Read(head, 5), 5u);
            f.Seek(6, CFile::begin);
            EXPECT_EQ(f.Read(tail, sizeof tail), 5u);  // to the end, with an interruption's errno left behind
        } catch (const CFileException& e) {
            raised = e.m_lOsError;
        }
        EXPECT_EQ(raised, c.raised);
        if (c.raised != 0) continue;
        EXPECT_STREQ(head, c.call == CFileFaults::callWrite ? "HELLO" : "hello");
        EXPECT_STREQ(tail, "world");
        EXPECT_EQ(Content(), c.call == CFileFaults::callWrite ? "HELLO world" : "hello world");
    }
}

// A rename that never replaces a file; without it, a new link and removal of the old name, or
// without links a plain rename to a name found free just before. A failure changes neither name.
TEST_F(FileTest, RenameNoReplaceFallsBackAndNeverReplaces)
{
    using Refusals = std::vector<std::pair<CFileFaults::Call, int>>;
    const CFileFaults::Call noReplace = CFileFaults::callRenameNoReplace;
    struct Case {
        const char* what;
        Refusals refused;  // each once
        bool taken;        // the new name holds a file
        int err;           // errno of the failure, 0 when renamed
    } cases[] = {
        {"renamed", {}, false, 0},
        {"name taken", {}, true, EEXIST},
        {"no such rename (EINVAL)", {{noReplace, EINVAL}}, false, 0},
        {"no such rename (ENOSYS)", {{noReplace, ENOSYS}}, false, 0},
        {"no such rename (EOPNOTSUPP)", {{noReplace, EOPNOTSUPP}}, false, 0},
        {"refused for these files", {{noReplace, EPERM}}, false, EPERM},
        {"no links either", {{noReplace, EINVAL}, {CFileFaults::callLink, EPERM}}, false, 0},
        {"no links either, name taken", {{noReplace, EINVAL}, {CFileFaults::callLink, EPERM}}, true, EEXIST},
        {"link failing", {{noReplace, EINVAL}, {CFileFaults::callLink, EIO}}, false, EIO},
        {"old name not removable", {{noReplace, EINVAL}, {CFileFaults::callUnlink, EIO}}, false, EIO},
        {"no rename at all",
         {{noReplace, EOPNOTSUPP}, {CFileFaults::callLink, EOPNOTSUPP}, {CFileFaults::callRename, EACCES}},
         false,
         EACCES},
        {"failed by the seam", {}, false, -1},
    };
    const std::string to = dir + "/kept.dat";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFileFaults::Reset();
        std::filesystem::remove(to);
        std::ofstream(path) << "old";
        if (c.taken) std::ofstream(to) << "taken";
        for (const auto& r : c.refused) CFileFaults::RefuseCall(r.first, r.second, 1);
        if (c.err < 0) CFileFaults::FailOperation(1);
        int err = 0;
        try {
            CFile::RenameNoReplace(path.c_str(), to.c_str());
        } catch (const CFileException& e) {
            err = e.m_cause == CFileException::injectedFault ? -1 : e.m_lOsError;
        }
        EXPECT_EQ(err, c.err);
        EXPECT_EQ(Text(path), c.err == 0 ? "-" : "old");
        EXPECT_EQ(Text(to), c.err == 0 ? "old" : c.taken ? "taken" : "-");
    }
}

TEST_F(FileTest, SeamCutsAWriteShort)
{
    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), kRw));
    CFileFaults::CutWrite(2, 3);
    Put(f, 0, "first");
    EXPECT_THROW(Put(f, 10, "second"), CFileException);
    EXPECT_EQ(FileTest::Content(), std::string("first\0\0\0\0\0sec", 13));
}

TEST_F(FileTest, PowerLossDropsUnflushedWritesAndTearsTheLast)
{
    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), kRw));
    Put(f, 0, "AAAAAAAA");
    f.Flush();
    CFileFaults::PowerLossAt(4, 2);  // seek, write, seek, then the second write
    Put(f, 0, "BBBB");               // not flushed: undone
    EXPECT_THROW(Put(f, 4, "CCCCCCCCCC"), CFileException);
    EXPECT_TRUE(CFileFaults::PowerLost());
    EXPECT_THROW(f.Flush(), CFileException);
    CFileFaults::Reset();
    EXPECT_EQ(Content(), "AAAACCAA");
}

TEST_F(FileTest, PowerLossUndoesAnUnflushedExtension)
{
    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), kRw));
    Put(f, 0, "keep");
    f.Flush();
    CFileFaults::PowerLossAt(3, 0);
    Put(f, 100, "gone");
    EXPECT_THROW(f.Flush(), CFileException);
    CFileFaults::Reset();
    EXPECT_EQ(Content(), "keep");
}

TEST_F(FileTest, PowerLossTakesBackCreationsAndRenamesWhoseFolderWasNotSynced)
{
    const std::string created = dir + "/new.dat";
    const std::string temp = dir + "/f.tmp";
    const std::string aside = dir + "/aside.dat";
    auto make = [](const std::string& name, const std::string& text) {
        CFile f;
        ASSERT_TRUE(f.Open(name.c_str(), CFile::modeCreate | CFile::modeWrite));
        f.Write(text.data(), static_cast<UINT>(text.size()));
        f.Flush();
    };
    for (bool synced : {false, true}) {
        SCOPED_TRACE(synced ? "folder synced" : "folder not synced");
        std::filesystem::remove(created);
        std::filesystem::remove(aside);
        make(path, "old");
        CFileFaults::PowerLossAt(100, 0);
        make(created, "new file");
        make(temp, "replacement");
        CFile::Rename(temp.c_str(), path.c_str());
        CFile::RenameNoReplace(created.c_str(), aside.c_str());
        if (synced) CFile::SyncFolder(path);
        CFileFaults::PowerLossAt(1, 0);
        CFile f;
        EXPECT_FALSE(f.Open(path.c_str(), CFile::modeRead));
        CFileFaults::Reset();
        EXPECT_EQ(std::filesystem::exists(aside), synced);
        EXPECT_FALSE(std::filesystem::exists(created));  // synced under its new name, or never made
        EXPECT_EQ(Content(), synced ? "replacement" : "old");
    }
}

}  // namespace
