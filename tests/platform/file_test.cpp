#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/filefaults.h"

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
    static constexpr UINT kRw = CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite;
    std::string dir, path;
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
        Put(f, 0, "hello world");
        f.Flush();
    }
    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), kRw));
    EXPECT_EQ(f.GetLength(), 11u);
    char buf[32] = {};
    f.Seek(6, CFile::begin);
    EXPECT_EQ(f.Read(buf, sizeof(buf)), 5u);
    EXPECT_STREQ(buf, "world");
    EXPECT_EQ(f.Seek(-3, CFile::end), 8u);
    EXPECT_EQ(f.Read(buf, 0), 0u);
}

TEST_F(FileTest, ErrorsRaiseWithPathAndCause)
{
    CFile f;
    CFileException err;
    EXPECT_FALSE(f.Open((dir + "/missing/f.dat").c_str(), kRw, &err));
    EXPECT_EQ(err.m_cause, CFileException::folderNotFound);
    EXPECT_NE(err.Describe().find("missing/f.dat"), std::string::npos);
    char c;
    EXPECT_THROW(f.Read(&c, 1), CFileException);
    ASSERT_TRUE(f.Open(path.c_str(), kRw));
    EXPECT_THROW(f.Seek(-1, CFile::begin), CFileException);
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
    EXPECT_TRUE(second.Open(path.c_str(), kRw | CFile::shareDenyWrite));
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
    auto make = [](const std::string& name, const std::string& text) {
        CFile f;
        ASSERT_TRUE(f.Open(name.c_str(), CFile::modeCreate | CFile::modeWrite));
        f.Write(text.data(), static_cast<UINT>(text.size()));
        f.Flush();
    };
    for (bool synced : {false, true}) {
        SCOPED_TRACE(synced ? "folder synced" : "folder not synced");
        std::filesystem::remove(created);
        make(path, "old");
        CFileFaults::PowerLossAt(100, 0);
        make(created, "new file");
        make(temp, "replacement");
        CFile::Rename(temp.c_str(), path.c_str());
        if (synced) CFile::SyncFolder(path);
        CFileFaults::PowerLossAt(1, 0);
        CFile f;
        EXPECT_FALSE(f.Open(path.c_str(), CFile::modeRead));
        CFileFaults::Reset();
        EXPECT_EQ(std::filesystem::exists(created), synced);
        EXPECT_EQ(Content(), synced ? "replacement" : "old");
    }
}

}  // namespace
