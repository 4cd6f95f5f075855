// Runs the monitor program headless with real threads and real time, then checks what it
// showed and what it stored.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/mainlayout.h"
#include "display/colortext_static.h"
#include "display/staticvalueecgnormal.h"
#include "display/staticvaluerespnormal.h"
#include "display/staticvaluespo2normal.h"
#include "display/staticvaluetempnormal.h"
#include "platform/bitmap.h"
#include "platform/dc.h"
#include "platform/pngfile.h"
#include "platform/textu16.h"
#include "platform/uiloop.h"
#include "support/forked.h"
#include "support/picture.h"
#include "support/waitfor.h"

namespace {

#if defined(__SANITIZE_THREAD__)
constexpr int kRunSeconds = 8;   // the thread sanitizer slows everything: a shorter run
#else
constexpr int kRunSeconds = 20;  // past the 15 s start-up phase
#endif
// A timed run not ended this long after its time is late; the margin covers process start, fonts
// and the sanitizers on a loaded machine.
constexpr long long kEndMarginMs = 60000;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Utf16Bytes(const char16_t* text)
{
    std::string bytes;
    for (; *text != 0; ++text) {
        bytes += static_cast<char>(*text & 0xFF);
        bytes += static_cast<char>(*text >> 8);
    }
    return bytes;
}

struct RunResult {
    int status = -1;
    long long elapsedMs = 0;
    std::string log;
};

// Starts the program copy exe with its output in logPath; returns the child's id.
pid_t StartProgram(const std::string& exe, const std::vector<std::string>& args, const std::string& logPath)
{
    const pid_t pid = Forked();
    if (pid == 0) {
        FILE* out = std::freopen(logPath.c_str(), "w", stdout);
        if (out != nullptr) dup2(fileno(stdout), 2);
        std::vector<char*> argv{const_cast<char*>(exe.c_str())};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

// Waits for the child; its exit status, or 128 plus the signal that ended it.
int WaitProgram(pid_t pid)
{
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
}

// Runs the program headless for the given time and waits for its end.
RunResult RunProgram(const std::string& exe, int seconds, const std::string& snapshot)
{
    std::string log = exe + "-" + std::to_string(seconds) + ".txt";
    auto start = std::chrono::steady_clock::now();
    pid_t pid = StartProgram(exe, {"--headless", "--seconds", std::to_string(seconds), "--snapshot", snapshot}, log);
    RunResult result;
    result.status = WaitProgram(pid);
    result.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    result.log = ReadAll(log);
    return result;
}

int CountLit(const CBitmap& frame, const CRect& rect)
{
    int lit = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (frame.GetPixel(x, y) != 0) ++lit;
    return lit;
}

// Draws a panel of the same class with the expected value and compares its value box, and its
// caption, with the frame.
template <class Panel, class Setter>
void ExpectPanelShows(const CBitmap& frame, const PLACEMENT& place, Setter set, const char* what)
{
    Panel reference;
    reference.Create(u"", WS_VISIBLE, place.Rect(), nullptr, 123);
    set(reference);
    const CRect valueBox = reference.Items()[0]->rcBox[g_nLayoutNormal];
    auto differing = [&](const CRect& r) {
        return PixelsDiffering(reference.Surface(), r, frame, CPoint(place.x + r.left, place.y + r.top));
    };
    EXPECT_GT(CountLit(reference.Surface(), valueBox), 50) << what << ": the reference draws its value";
    EXPECT_EQ(differing(valueBox), 0) << what << " value";
    EXPECT_EQ(differing(CRect(5, 0, 53, 24)), 0) << what << " caption";
    reference.DestroyWindow();
}

// Draws a wave caption as the main screen makes it (its colour on black, 16 points of "宋体") and
// compares it with its rectangle of the frame.
void ExpectCaptionShows(const CBitmap& frame, int i, const char16_t* text, COLORREF colour)
{
    const PLACEMENT& place = MainLayout::kWaveCaption[i];
    CColorText_Static reference;
    reference.Create(text, WS_VISIBLE, CRect(0, 0, place.width, place.height), nullptr, 1);
    reference.SetTextColor(colour);
    reference.SetBkColor(0);
    reference.SetFontPointSize(160, u"宋体", TRUE);
    CBitmap picture;
    picture.CreateBitmap(place.width, place.height);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&picture);
    reference.PaintWith(&dc);
    const CRect all(0, 0, place.width, place.height);
    // The glyphs are smoothed: their cores stand in the caption's colour, their edges blend into black.
    int inColour = 0;
    for (int y = 0; y < place.height; ++y)
        for (int x = 0; x < place.width; ++x) inColour += picture.GetPixel(x, y) == colour ? 1 : 0;
    EXPECT_GT(CountLit(picture, all), 60) << "caption " << i << ": the reference draws its text";
    EXPECT_GT(inColour, 0) << "caption " << i;
    EXPECT_EQ(PixelsDiffering(picture, all, frame, CPoint(place.x, place.y)), 0) << "caption " << i;
    reference.DestroyWindow();
}

class ProgramThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tesmor-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        // The program keeps its settings and records beside itself: each test runs its own copy.
        exe = folder + "/tesmor";
        ASSERT_EQ(std::system(("cp '" TESMOR_EXE "' '" + exe + "'").c_str()), 0);
    }
    void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }
    std::string folder;
    std::string exe;
};

TEST_F(ProgramThreadTest, RunsShowsTheSimulatedPatientAndStoresRecords)
{
    std::string snapshot = folder + "/end.png";
    RunResult run = RunProgram(exe, kRunSeconds, snapshot);
    ASSERT_EQ(run.status, 0) << run.log;
    EXPECT_LT(run.elapsedMs, kRunSeconds * 1000LL + kEndMarginMs) << run.log;

    // The power-on event, and data records every 2 s of ECG.
    std::string sys = ReadAll(folder + "/SysSave.dat");
    EXPECT_NE(sys.find(Utf16Bytes(u"监护仪开机")), std::string::npos);
    std::string dataFile = ReadAll(folder + "/DataSave.dat");
    EXPECT_GT(dataFile.size(), 0x20000u) << "DataSave.dat holds no record";

    CBitmap frame;
    ASSERT_TRUE(CPngFile::Read(snapshot, &frame));
    ASSERT_EQ(frame.Width(), 1400);
    ASSERT_EQ(frame.Height(), 800);
    EXPECT_GT(CountLit(frame, MainLayout::kStatusStrip.Rect()), 200) << "status strip";
    ExpectCaptionShows(frame, 0, u"ECG", 0x00E100);
    ExpectCaptionShows(frame, 1, u"ECG", 0x00E100);
    ExpectCaptionShows(frame, 2, u"PLETH", 0xFFCD80);
    ExpectCaptionShows(frame, 3, u"RESP", 0x62EEEE);

#if !defined(__SANITIZE_THREAD__)
    // Real waves, more than the flat lines of the start-up phase.
    EXPECT_GT(CountLit(frame, MainLayout::kEcgWave[0].Rect()), 1000) << "ECG trace";
    EXPECT_GT(CountLit(frame, MainLayout::kPlethWave.Rect()), 1000) << "pleth wave";
    EXPECT_GT(CountLit(frame, MainLayout::kRespWave.Rect()), 1000) << "respiration wave";
    // Past the start-up phase the panels show the simulator's values instead of "---".
    ExpectPanelShows<CStaticValueECGNormal>(frame, MainLayout::kEcgPanel,
                                            [](CStaticValueECGNormal& p) { p.SetHr(30, true); }, "heart rate");
    ExpectPanelShows<CStaticValueSPO2Normal>(frame, MainLayout::kSpo2Panel,
                                             [](CStaticValueSPO2Normal& p) { p.SetSpo2(100, true); }, "SpO2");
    ExpectPanelShows<CStaticValueRespNormal>(frame, MainLayout::kRespPanel,
                                             [](CStaticValueRespNormal& p) { p.SetRr(15, true); }, "respiration");
    ExpectPanelShows<CStaticValueTempNormal>(frame, MainLayout::kTempPanel,
                                             [](CStaticValueTempNormal& p) { p.SetTemp(371, true); }, "temperature");
#endif
}

// True once the program copy in folder runs: its record thread has written the power-on event.
bool WaitUntilRunning(const std::string& folder)
{
    return WaitFor([&] { return ReadAll(folder + "/SysSave.dat").find(Utf16Bytes(u"监护仪开机")) != std::string::npos; });
}

TEST_F(ProgramThreadTest, TermSignalEndsTheRunInOrder)
{
    pid_t pid = StartProgram(exe, {"--headless"}, folder + "/log.txt");
    EXPECT_TRUE(WaitUntilRunning(folder));
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitProgram(pid), 0) << ReadAll(folder + "/log.txt");
}

TEST_F(ProgramThreadTest, OpensAWindowUnderAVirtualDisplay)
{
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
    std::string log = folder + "/window.txt";
    std::string snapshot = folder + "/window.png";
    // A whole start and stop in a window with leak detection on: anything the window leaves
    // behind at exit makes the leak-checking build end with status 1.
    std::string command = "ASAN_OPTIONS=detect_leaks=1 SDL_VIDEODRIVER=x11 xvfb-run -a -s '-screen 0 1400x800x24' '" + exe +
                          "' --seconds 3 --snapshot '" + snapshot + "' >'" + log + "' 2>&1";
    int status = std::system(command.c_str());
    std::string output = ReadAll(log);
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_EQ(output.find("running headless"), std::string::npos) << output;
    EXPECT_EQ(output.find("headless;"), std::string::npos) << output;
    CBitmap frame;
    ASSERT_TRUE(CPngFile::Read(snapshot, &frame)) << output;
    EXPECT_EQ(frame.Width(), 1400);
    EXPECT_GT(CountLit(frame, MainLayout::kStatusStrip.Rect()), 200);
}

// How often, since the last call, a file named name was closed after writing in watch's folder.
int ClosedAfterWriting(int watch, const std::string& name)
{
    alignas(inotify_event) char events[4096];
    int closed = 0;
    for (ssize_t got; (got = read(watch, events, sizeof events)) > 0;) {
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if (event->len > 0 && name == event->name) ++closed;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return closed;
}

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST_F(ProgramThreadTest, APictureThatCannotBeWrittenIsSaidOnceAndOnceMoreWhenWritingWorks)
{
    // A folder in the picture's place refuses every picture, also to the superuser. Each
    // attempt writes screen.png.part first.
    const std::string picture = folder + "/screen.png";
    ASSERT_EQ(mkdir(picture.c_str(), 0755), 0);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, folder.c_str(), IN_CLOSE_WRITE), 0);
    const std::string log = folder + "/log.txt";
    pid_t pid = StartProgram(exe, {"--headless"}, log);
    int attempts = 0;
    // Once the third attempt has begun, the first two have failed.
    EXPECT_TRUE(WaitFor([&] { return (attempts += ClosedAfterWriting(watch, "screen.png.part")) >= 3; }));
    rmdir(picture.c_str());
    const std::string again = "tesmor: the screen is written to " + picture + " again\n";
    EXPECT_TRUE(WaitFor([&] { return ReadAll(log).find(again) != std::string::npos; })) << ReadAll(log);
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitProgram(pid), 0);
    close(watch);
    const std::string output = ReadAll(log);
    EXPECT_EQ(CountOf(output, "tesmor: cannot write PNG " + picture + ": "), 1u) << output;
    EXPECT_EQ(CountOf(output, again), 1u) << output;
    struct stat written {};
    EXPECT_TRUE(stat(picture.c_str(), &written) == 0 && S_ISREG(written.st_mode));
}

TEST_F(ProgramThreadTest, StartsWithDamagedSettingsAndRecordFiles)
{
    std::ofstream(folder + "/Para.ini") << "\x01\x02garbage[ECG\nHR_ALM_H=abc\n";
    std::ofstream(folder + "/AlmSave.dat") << std::string(1000, '\xEE');
    std::ofstream(folder + "/DataSave.dat") << "short";
    RunResult run = RunProgram(exe, 2, folder + "/end.png");
    EXPECT_EQ(run.status, 0) << run.log;
    std::string sys = ReadAll(folder + "/SysSave.dat");
    EXPECT_NE(sys.find(Utf16Bytes(u"监护仪开机")), std::string::npos);
    // Too short to hold a record: both files were created afresh, not left as they were.
    EXPECT_NE(ReadAll(folder + "/AlmSave.dat"), std::string(1000, '\xEE'));
    EXPECT_NE(ReadAll(folder + "/DataSave.dat"), "short");
}

TEST_F(ProgramThreadTest, RecordFilesNeverTakeThePicturesNames)
{
    // The headless picture is renamed into place every few seconds, the snapshot at the end:
    // records written under either name would be lost.
    std::ofstream(folder + "/Para.ini")
        << "[REC]\nDATA_SAVE_FILE_NAME=Screen.png\nALM_SAVE_FILE_NAME=screen.png.part\n";
    RunResult run = RunProgram(exe, 1, folder + "/end.png");
    EXPECT_EQ(run.status, 0) << run.log;
    EXPECT_NE(run.log.find("settings: [REC] DATA_SAVE_FILE_NAME=Screen.png names the screen picture " + folder +
                           "/screen.png; using DataSave.dat\n"),
              std::string::npos)
        << run.log;
    EXPECT_NE(run.log.find("settings: [REC] ALM_SAVE_FILE_NAME=screen.png.part names the temporary file of the "
                           "screen picture " + folder + "/screen.png; using AlmSave.dat\n"),
              std::string::npos)
        << run.log;
}

TEST_F(ProgramThreadTest, NoPictureIsWrittenOverARecordFile)
{
    std::ofstream(folder + "/Para.ini") << "[REC]\nSYS_SAVE_FILE_NAME=Events.dat\n";
    ASSERT_EQ(RunProgram(exe, 1, folder + "/first.png").status, 0);
    const std::string sys = folder + "/Events.dat";
    const std::string events = ReadAll(sys);
    const std::string powerOn = Utf16Bytes(u"监护仪开机");
    ASSERT_EQ(CountOf(events, powerOn), 1u);

    // A snapshot over a record file, or a link to one, ends the start before anything is written
    // (judged by its own name alone, it would be written through the link: status 0).
    ASSERT_EQ(symlink("Events.dat", (folder + "/shot.png").c_str()), 0);
    ASSERT_EQ(link(sys.c_str(), (folder + "/hard.png").c_str()), 0);
    for (const std::string& snapshot : {sys, folder + "/shot.png", folder + "/hard.png"}) {
        RunResult refused = RunProgram(exe, 1, snapshot);
        EXPECT_EQ(refused.status, 2) << snapshot;
        EXPECT_EQ(refused.log, "tesmor: --snapshot " + snapshot + " would be written over the record file " + sys +
                                   "; nothing is written\n");
        EXPECT_TRUE(ReadAll(sys) == events) << "the records are changed";
    }

    // No headless picture is written when it, or its temporary file, is a link to a record file;
    // that file keeps its name and takes the records, and the snapshot is written.
    const std::string picture = folder + "/screen.png";
    size_t runs = 1;
    for (const std::string& at : {picture + ".part", picture}) {
        ASSERT_EQ(symlink("Events.dat", at.c_str()), 0);
        const auto before = std::filesystem::symlink_status(picture).type();
        RunResult run = RunProgram(exe, 6, folder + "/end.png");
        EXPECT_EQ(run.status, 0) << run.log;
        const std::string through = at == picture ? "" : " through " + at;
        const std::string said = "tesmor: headless; the screen picture " + picture + " would be written over the record file " +
                                 sys + through + ", so the screen is not written\n";
        EXPECT_NE(run.log.find(said), std::string::npos) << run.log;
        EXPECT_EQ(CountOf(ReadAll(sys), powerOn), ++runs);
        EXPECT_EQ(std::filesystem::symlink_status(picture).type(), before) << "the screen is written";
        EXPECT_EQ(access((folder + "/end.png").c_str(), F_OK), 0);
        std::remove(at.c_str());
    }
}

// The data records not kept (their file is a link to the picture): a snapshot over any other
// record file is still refused, before anything is written.
TEST_F(ProgramThreadTest, NoSnapshotOverARecordFileWhileTheDataRecordsAreNotKept)
{
    ASSERT_EQ(symlink("screen.png", (folder + "/DataSave.dat").c_str()), 0);
    for (const char* name : {"NIBPSave.dat", "AlmSave.dat", "SysSave.dat"}) {
        const std::string file = folder + "/" + name;
        RunResult refused = RunProgram(exe, 1, file);
        EXPECT_EQ(refused.status, 2) << refused.log;
        EXPECT_NE(refused.log.find("tesmor: --snapshot " + file + " would be written over the record file " + file +
                                   "; nothing is written\n"),
                  std::string::npos)
            << refused.log;
        EXPECT_NE(access(file.c_str(), F_OK), 0) << name;
    }
}

TEST_F(ProgramThreadTest, SecondCopyInTheSameFolderRunsWithoutTheLockedRecordFiles)
{
    pid_t first = StartProgram(exe, {"--headless"}, folder + "/first.txt");
    EXPECT_TRUE(WaitUntilRunning(folder));  // the first copy holds its record files
    RunResult second = RunProgram(exe, 1, folder + "/second.png");
    kill(first, SIGTERM);
    EXPECT_EQ(WaitProgram(first), 0);
    EXPECT_EQ(second.status, 0) << second.log;
    EXPECT_NE(second.log.find("locked by another process"), std::string::npos) << second.log;
    EXPECT_NE(second.log.find("AlmSave.dat"), std::string::npos) << second.log;
}

}  // namespace
