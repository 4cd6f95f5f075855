#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "appbase/tesmorapp.h"
#include "platform/filefaults.h"
#include "platform/privateprofile.h"
#include "support/forked.h"
#include "support/tempfolder.h"

namespace {

class PrivateProfileTest : public ::testing::Test {
protected:
    void SetUp() override { theApp.ResetForTests(); }
    void TearDown() override
    {
        SetProfileWriteFailsBeforeRename(false);
        CFileFaults::Reset();
    }

    int Int(const char* section, const char* key, int def = -7) const
    {
        return GetPrivateProfileInt(section, key, def, path.c_str());
    }
    std::string Str(const char* section, const char* key, const char* def = "dflt") const
    {
        return GetPrivateProfileString(section, key, def, path.c_str());
    }
    bool Put(const char* section, const char* key, const char* value) const
    {
        return WritePrivateProfileString(section, key, value, path.c_str());
    }

    TempFolder folder;
    std::string path = folder.File("Para.ini");
};

TEST_F(PrivateProfileTest, NamesAreCaseInsensitiveAndTheFirstMatchWins)
{
    folder.Write("Para.ini",
                 "[ecg]\r\nalm_sw=1\r\nALM_SW=2\r\n"
                 "[Resp]\r\n Alm_Sw = 3 \r\n"
                 "[ECG]\r\nALM_SW=4\r\nHR_FORM=5\r\n");
    EXPECT_EQ(Int("ECG", "ALM_SW"), 1);
    EXPECT_EQ(Int("RESP", "alm_sw"), 3);
    // Only the first [ECG] section is searched, so a key of the second is not found.
    EXPECT_EQ(Int("ECG", "HR_FORM"), -7);
}

TEST_F(PrivateProfileTest, ReadsSeeTheFileAsItIsNow)
{
    folder.Write("Para.ini", "[ECG]\nALM_SW=1\n");
    EXPECT_EQ(Int("ECG", "ALM_SW"), 1);
    // Rewritten in place at once: the same size and inode, and on a file system with coarse
    // time stamps the same modification time.
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    folder.Write("Para.ini", "[ECG]\nALM_SW=2\n");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_EQ(Int("ECG", "ALM_SW"), 2);
    ASSERT_TRUE(Put("ECG", "ALM_SW", "3"));
    EXPECT_EQ(Int("ECG", "ALM_SW"), 3);
}

TEST_F(PrivateProfileTest, ReadsSeeASameSizeRewriteWithinOneCoarseTimeStamp)
{
    // A file system with whole-second stamps dates a file written now up to a second back; the
    // rewrite in place gets the same stamp.
    folder.Write("Para.ini", "[ECG]\nALM_SW=1\n");
    timespec stamp {};
    clock_gettime(CLOCK_REALTIME, &stamp);
    stamp.tv_sec -= 1;
    const timespec times[2] = {stamp, stamp};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_EQ(Int("ECG", "ALM_SW"), 1);
    folder.Write("Para.ini", "[ECG]\nALM_SW=2\n");
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_EQ(Int("ECG", "ALM_SW"), 2);
}

TEST_F(PrivateProfileTest, AVersionKeepsTheFileAsItWasRead)
{
    folder.Write("Para.ini", "[ECG]\nHR_ALM_H=120\n");
    auto version = ReadProfileVersion(path.c_str());
    folder.Write("Para.ini", "[ECG]\nHR_ALM_H=150\nHR_ALM_L=60\n");
    std::string value;
    ASSERT_TRUE(GetProfileVersionValue(*version, "ECG", "HR_ALM_H", value));
    EXPECT_EQ(value, "120");
    EXPECT_FALSE(GetProfileVersionValue(*version, "ECG", "HR_ALM_L", value));
    EXPECT_EQ(Int("ECG", "HR_ALM_H"), 150);
}

TEST_F(PrivateProfileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    EXPECT_EQ(Int("ECG", "ALM_SW"), -7);
    EXPECT_EQ(Str("REC", "NAME"), "dflt");
    folder.Write("Para.ini", "[ECG]\nALM_SW=1\n");
    EXPECT_EQ(Int("RESP", "ALM_SW"), -7);
    EXPECT_EQ(Int("ECG", "ALM_LEVEL"), -7);
}

TEST_F(PrivateProfileTest, IntegersParseTheirLeadingSignAndDigits)
{
    folder.Write("Para.ini",
                 "[S]\nneg=-50\nplus=+12\ntail=42abc\ntext=abc\nempty=\nblank=   \n"
                 "big=4294967295\nmin=-2147483648\nspaced=  17  \n");
    EXPECT_EQ(Int("S", "neg"), -50);
    EXPECT_EQ(Int("S", "plus"), 12);
    EXPECT_EQ(Int("S", "tail"), 42);
    EXPECT_EQ(Int("S", "text"), 0);
    EXPECT_EQ(Int("S", "empty"), 0);
    EXPECT_EQ(Int("S", "blank"), 0);
    EXPECT_EQ(Int("S", "big"), 2147483647);
    EXPECT_EQ(Int("S", "min"), -2147483648);
    EXPECT_EQ(Int("S", "spaced"), 17);

    // Numbers beyond an int give the nearest int; the whole extreme ints are plain numbers.
    EXPECT_EQ(ParseProfileInteger("99999999999").value, 2147483647);
    EXPECT_EQ(ParseProfileInteger("99999999999").beyond, 1);
    EXPECT_EQ(ParseProfileInteger("-99999999999x").value, -2147483647 - 1);
    EXPECT_EQ(ParseProfileInteger("-2147483649").beyond, -1);
    for (const char* extreme : {"2147483647", "-2147483648"}) {
        EXPECT_TRUE(ParseProfileInteger(extreme).whole) << extreme;
        EXPECT_EQ(ParseProfileInteger(extreme).beyond, 0) << extreme;
    }
}

TEST_F(PrivateProfileTest, StringsLoseBlanksAndOnePairOfQuotes)
{
    folder.Write("Para.ini", "[REC]\nA=  my file.dat  \nB=\"quoted name\"\nC=\nD=a=b\n");
    EXPECT_EQ(Str("REC", "A"), "my file.dat");
    EXPECT_EQ(Str("REC", "B"), "quoted name");
    EXPECT_EQ(Str("REC", "C"), "");
    EXPECT_EQ(Str("REC", "D"), "a=b");

    char buf[5];
    EXPECT_EQ(GetPrivateProfileString("REC", "A", "", buf, sizeof buf, path.c_str()), 4u);
    EXPECT_STREQ(buf, "my f");
}

TEST_F(PrivateProfileTest, ALeadingByteOrderMarkDoesNotHideTheFirstSection)
{
    folder.Write("Para.ini", "\xEF\xBB\xBF[ECG]\r\nALM_SW=1\r\n");
    EXPECT_EQ(Int("ECG", "ALM_SW"), 1);
}

TEST_F(PrivateProfileTest, OneKeyWriteKeepsEveryOtherLine)
{
    const std::string before =
        "; monitor settings\r\n[ECG]\r\nALM_SW=1\r\n# note\r\nHR_FORM = 0\r\n\r\n"
        "[RESP]\r\nALM_SW=0\r\n";
    folder.Write("Para.ini", before);
    ASSERT_TRUE(Put("ecg", "hr_form", "1"));
    EXPECT_EQ(folder.Read("Para.ini"),
              "; monitor settings\r\n[ECG]\r\nALM_SW=1\r\n# note\r\nhr_form=1\r\n\r\n"
              "[RESP]\r\nALM_SW=0\r\n");
}

TEST_F(PrivateProfileTest, WriteAddsMissingKeysAtTheEndOfTheirSectionAndNewSections)
{
    folder.Write("Para.ini", "[ECG]\r\nALM_SW=1\r\n\r\n[RESP]\r\nALM_SW=0\r\n");
    ASSERT_TRUE(Put("ECG", "ST", "-5"));
    ASSERT_TRUE(Put("SYS", "ALM_VOL", "2"));
    EXPECT_EQ(folder.Read("Para.ini"),
              "[ECG]\r\nALM_SW=1\r\nST=-5\r\n\r\n[RESP]\r\nALM_SW=0\r\n[SYS]\r\nALM_VOL=2\r\n");
    EXPECT_EQ(Int("ECG", "ST"), -5);
    EXPECT_EQ(Int("SYS", "ALM_VOL"), 2);
}

TEST_F(PrivateProfileTest, WriteKeepsTheFilesOwnLineEnds)
{
    folder.Write("Para.ini", "[ECG]\nALM_SW=1\n");
    ASSERT_TRUE(Put("ECG", "HR_FORM", "1"));
    EXPECT_EQ(folder.Read("Para.ini"), "[ECG]\nALM_SW=1\nHR_FORM=1\n");
}

TEST_F(PrivateProfileTest, WriteWhoseResultWouldBeTooLargeIsRefused)
{
    std::string text = "[ECG]\nALM_SW=1\n[NOTES]\n";
    while (text.size() < g_u64ProfileSizeMax - 8) text += "N" + std::to_string(text.size()) + "=1\n";
    text.resize(g_u64ProfileSizeMax - 8);
    text += "\nX=1234\n";
    ASSERT_EQ(text.size(), g_u64ProfileSizeMax);
    folder.Write("Para.ini", text);
    errno = 0;
    EXPECT_FALSE(Put("ECG", "HR_FORM", "1"));
    EXPECT_EQ(errno, EFBIG);
    EXPECT_TRUE(folder.Read("Para.ini") == text);  // compared whole: a diff of 1 MiB would not fit in memory
    // A write that keeps the size is made.
    EXPECT_TRUE(Put("NOTES", "X", "4321"));
    EXPECT_EQ(Int("NOTES", "X"), 4321);
}

TEST_F(PrivateProfileTest, FirstWriteCreatesTheFileAndANullValueRemovesTheKey)
{
    ASSERT_TRUE(Put("ECG", "ALM_SW", "1"));
    ASSERT_TRUE(Put("ECG", "ALM_REC", "0"));
    ASSERT_TRUE(Put("ECG", "ALM_SW", nullptr));
    EXPECT_EQ(folder.Read("Para.ini"), "[ECG]\r\nALM_REC=0\r\n");
}

TEST_F(PrivateProfileTest, WriteInterruptedBeforeTheRenameLeavesTheOldFileWholeAndTheNextRemovesWhatItLeft)
{
    const std::string before = "[ECG]\r\nALM_SW=1\r\nHR_ALM_H=120\r\n";
    folder.Write("Para.ini", before);
    SetProfileWriteFailsBeforeRename(true);
    EXPECT_FALSE(Put("ECG", "HR_ALM_H", "150"));
    EXPECT_EQ(folder.Read("Para.ini"), before);
    EXPECT_EQ(Int("ECG", "HR_ALM_H"), 120);

    SetProfileWriteFailsBeforeRename(false);
    // Left by another process's write cut at the same moment; the other names are no temporary
    // file of this settings file.
    folder.Write("Para.ini.99999999.3.tmp", before);
    const std::set<std::string> others = {"Para.ini.tmp", "Para.ini.1.x.tmp", "Para.ini.1.2.tmp.old",
                                          "para.ini.1.2.tmp", "Other.ini.1.2.tmp"};
    for (const std::string& name : others) folder.Write(name, before);
    EXPECT_TRUE(Put("ECG", "HR_ALM_H", "150"));
    EXPECT_EQ(Int("ECG", "HR_ALM_H"), 150);
    // The later write removed both left temporary files and nothing else.
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        names.insert(entry.path().filename().string());
    std::set<std::string> expected = others;
    expected.insert("Para.ini");
    EXPECT_EQ(names, expected);
}

TEST_F(PrivateProfileTest, AWriteReportedDoneSurvivesAPowerLoss)
{
    folder.Write("Para.ini", "[ECG]\r\nALM_SW=1\r\nHR_ALM_H=120\r\n");
    // From here the file layer keeps what a power loss would take back.
    CFileFaults::PowerLossAt(1000, 0);
    ASSERT_TRUE(Put("ECG", "HR_ALM_H", "150"));
    CFileFaults::PowerLossAt(1, 0);
    EXPECT_FALSE(Put("ECG", "ALM_SW", "0"));
    ASSERT_TRUE(CFileFaults::PowerLost());
    CFileFaults::Reset();
    EXPECT_EQ(folder.Read("Para.ini"), "[ECG]\r\nALM_SW=1\r\nHR_ALM_H=150\r\n");
}

TEST_F(PrivateProfileTest, UnwritableOrUnreadablePlacesFailTheWrite)
{
    std::string inMissingFolder = folder.File("no-such-folder/Para.ini");
    EXPECT_FALSE(WritePrivateProfileString("ECG", "ALM_SW", "1", inMissingFolder.c_str()));
    EXPECT_EQ(GetPrivateProfileInt("ECG", "ALM_SW", 3, inMissingFolder.c_str()), 3);

    // A folder where the file should be cannot be read, so it must not be replaced.
    std::filesystem::create_directory(path);
    EXPECT_FALSE(Put("ECG", "ALM_SW", "1"));
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(Int("ECG", "ALM_SW"), -7);
}

TEST_F(PrivateProfileTest, AFileThatFailsToReadIsNotReplacedByAOneKeyFile)
{
    // Reading the start of this process's memory file fails with an input/output error, as a
    // damaged disk would; a write must not throw the unread settings away.
    std::filesystem::create_symlink("/proc/self/mem", path);
    EXPECT_FALSE(InspectProfileFile(path.c_str()).readable);
    EXPECT_FALSE(Put("ECG", "ALM_SW", "1"));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
}

TEST_F(PrivateProfileTest, NullNamesAreRefused)
{
    EXPECT_EQ(GetPrivateProfileInt(nullptr, "K", 9, path.c_str()), 9);
    EXPECT_EQ(GetPrivateProfileString("S", nullptr, "d", path.c_str()), "d");
    EXPECT_FALSE(Put("S", nullptr, "1"));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(PrivateProfileTest, InspectionCountsLinesThatAreNoSetting)
{
    EXPECT_FALSE(InspectProfileFile(path.c_str()).exists);

    folder.Write("Para.ini", "; c\n[ECG]\nALM_SW=1\n\n# d\n");
    ProfileFileState clean = InspectProfileFile(path.c_str());
    EXPECT_TRUE(clean.exists);
    EXPECT_TRUE(clean.readable);
    EXPECT_EQ(clean.strayLines, 0);

    folder.Write("Para.ini", "[ECG]\nALM_SW=1\n\x01\x02garbage\n[broken\nmore garbage\n");
    ProfileFileState garbled = InspectProfileFile(path.c_str());
    EXPECT_EQ(garbled.strayLines, 3);
    EXPECT_EQ(garbled.firstStrayLine, 3);
    EXPECT_EQ(GetPrivateProfileInt("ECG", "ALM_SW", 0, path.c_str()), 1);
    EXPECT_EQ(garbled.unusedLines, 0);

    // Settings that are never read: outside any section, a repeated key, a repeated section.
    folder.Write("Para.ini", "ALM_SW=2\n[ECG]\nALM_SW=1\nalm_sw=3\n[RESP]\n[ecg]\nHR_FORM=1\n");
    ProfileFileState unused = InspectProfileFile(path.c_str());
    EXPECT_EQ(unused.unusedLines, 3);
    EXPECT_EQ(unused.firstUnusedLine, 1);
    EXPECT_EQ(unused.strayLines, 0);
    // A folder under the file's name is reported as unreadable, not read.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_FALSE(InspectProfileFile(path.c_str()).readable);
}

TEST_F(PrivateProfileTest, WritersInTwoProcessesLoseNothing)
{
    // Each process saves values 1 to 100 of a key of its own and finds, before each save, its
    // last value still there: a write of the other process that read the file before that
    // save and was put in place after it would have brought the older value back.
    constexpr int kSaves = 100;
    auto saveAll = [&](const char* key) {
        bool all = true;
        for (int i = 1; i <= kSaves; ++i) {
            all = Int("S", key, 0) == i - 1 && all;
            all = Put("S", key, std::to_string(i).c_str()) && all;
        }
        return all;
    };
    const pid_t child = Forked();
    if (child == 0) _exit(saveAll("CHILD") ? 0 : 1);
    EXPECT_TRUE(saveAll("PARENT"));
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Int("S", "CHILD"), kSaves);
    EXPECT_EQ(Int("S", "PARENT"), kSaves);
}

TEST(PrivateProfileThreadTest, WritersOnTwoThreadsLoseNoKey)
{
    TempFolder folder;
    const std::string path = folder.File("Para.ini");
    constexpr int kKeys = 40;
    bool done[2][kKeys] = {};
    auto writer = [&](int t) {
        for (int i = 0; i < kKeys; ++i) {
            const std::string key = "K" + std::to_string(t) + "_" + std::to_string(i);
            done[t][i] = WritePrivateProfileString("S", key.c_str(), std::to_string(i).c_str(), path.c_str());
        }
    };
    std::thread first(writer, 0);
    std::thread second(writer, 1);
    first.join();
    second.join();
    for (int t = 0; t < 2; ++t) {
        for (int i = 0; i < kKeys; ++i) {
            const std::string key = "K" + std::to_string(t) + "_" + std::to_string(i);
            EXPECT_TRUE(done[t][i]) << key;
            EXPECT_EQ(GetPrivateProfileInt("S", key.c_str(), -1, path.c_str()), i) << key;
        }
    }
}

}  // namespace
