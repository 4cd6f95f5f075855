// The record thread on a real thread: producers and review requests from other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/dialogsysrec.h"
#include "appbase/tesmorapp.h"
#include "platform/filefaults.h"
#include "platform/textu16.h"
#include "platform/uiloop.h"
#include "recordfixture.h"
#include "support/waitfor.h"

namespace {

TEST(RecordThreadTest, RunsWritesAnswersAndStops)
{
    CFileFaults::Reset();
    RecordFolder folder;
    CUiLoop::Instance().DispatchPosted();
    CThreadHandle handle;
    CThreadDataAlmRec* rec = AfxBeginThread<CThreadDataAlmRec>(&handle);
    theApp.m_pThreadDataAlmRec = rec;
    rec->AddPowerOnRecord();

    std::thread alarms([rec] {
        for (uint32_t i = 0; i < 20; ++i) {
            AlmRecordSource a(1, 2, "2026-12-07 12:00:00", i);
            while (rec->AddAlmRecord(&a.rec) != 0) std::this_thread::yield();
        }
    });
    for (uint32_t i = 0; i < 20; ++i) {
        DataRecordSource d(i);
        while (rec->AddDataRecord(&d.rec) != 0) std::this_thread::yield();
    }
    alarms.join();

    int answers = 0;
    {
        CDialogSysRec dlg;
        ASSERT_TRUE(dlg.Create(nullptr, CRect(0, 0, 10, 10), 5));
        WaitFor(
            [&] {
                if (!dlg.IsWaiting()) dlg.Open();
                CUiLoop::Instance().WaitForMessage(20);
                CUiLoop::Instance().DispatchPosted();
                return !dlg.m_vecShown.empty();
            },
            std::chrono::milliseconds(0));
        answers = dlg.AnswersShown();
        ASSERT_EQ(dlg.m_vecShown.size(), 1u);
        EXPECT_EQ(U16(dlg.m_vecShown[0].szEvent, 20), u"监护仪开机");
    }
    // The queues drain at one record per pass; allow the thread time for it.
    WaitFor([] { return ReadHead(theApp.m_strAlmSavePath, 1).u32Count + 1 >= 20; });
    rec->m_bExit = 1;
    EXPECT_TRUE(handle.Join());
    theApp.m_pThreadDataAlmRec = nullptr;
    EXPECT_GE(answers, 1);
    REC_FILE_HEAD a = ReadHead(theApp.m_strAlmSavePath, 0), b = ReadHead(theApp.m_strAlmSavePath, 1);
    EXPECT_EQ(std::max(a.u32Count, b.u32Count), 20u);
    EXPECT_EQ(std::max(ReadHead(theApp.m_strDataSavePath, 0).u32Count, ReadHead(theApp.m_strDataSavePath, 1).u32Count),
              20u);
}

// A page asked for before the record thread opened its file is worked out once it is open, with
// no write outside the group's lock.
TEST(RecordThreadTest, PageAskedForBeforeTheFileIsOpenShowsItsEvents)
{
    CFileFaults::Reset();
    RecordFolder folder;
    {
        TestRecThread writer;
        writer.InitInstance();
        for (int i = 0; i < 15; ++i) writer.AddPowerOnRecord();
        writer.Drain();
        writer.ExitInstance();
    }
    CUiLoop::Instance().DispatchPosted();
    CDialogSysRec dlg;
    ASSERT_TRUE(dlg.Create(nullptr, CRect(0, 0, 10, 10), 5));
    // The record thread's first file operation waits until the page has been asked for.
    std::atomic<bool> asked{false};
    CFileFaults::ActAt(1, [&asked] {
        while (!asked.load()) std::this_thread::yield();
    });
    CThreadHandle handle;
    CThreadDataAlmRec* rec = AfxBeginThread<CThreadDataAlmRec>(&handle);
    theApp.m_pThreadDataAlmRec = rec;
    EXPECT_TRUE(dlg.Open());
    asked = true;
    WaitFor([&] {
        CUiLoop::Instance().WaitForMessage(20);
        CUiLoop::Instance().DispatchPosted();
        return dlg.AnswersShown() > 0;
    });
    rec->m_bExit = 1;
    EXPECT_TRUE(handle.Join());
    theApp.m_pThreadDataAlmRec = nullptr;
    CFileFaults::Reset();
    EXPECT_EQ(dlg.m_vecShown.size(), 10u);
}

// The numbers the page test gives its events: the NIBP record's systolic value, the system
// event's text.
int EventNo(const NIBP_DATA& r) { return r.i16Sys; }
int EventNo(const SYS_DATA& r) { return std::stoi(ToUtf8(U16(r.szEvent, 20))); }

// One page group as the interface thread sees it: events queued, the page last copied, and
// whether every page copied held consecutive events, newest first.
template <class T>
struct PageWatch {
    int queued = 0;
    int asked = 0;
    std::vector<T> page;
    bool consecutive = true;

    void Check()
    {
        consecutive = consecutive && page.size() <= 10;
        for (size_t k = 1; k < page.size(); ++k) consecutive = consecutive && EventNo(page[k]) == EventNo(page[k - 1]) - 1;
    }
    bool ShowsNewest(int events) const { return page.size() == 10 && EventNo(page[0]) == events - 1; }
};

// The interface thread asks for NIBP and system-event pages without waiting for answers while the
// record thread serves them and writes its events. Each round ends with the NIBP request and a
// lock-free pause, so the thread sanitizer sees a page served without its group's lock.
TEST(RecordThreadTest, PagesAskedForAgainAndAgainWhileEventsAreWritten)
{
    CFileFaults::Reset();
    RecordFolder folder;
    CThreadHandle handle;
    CThreadDataAlmRec* rec = AfxBeginThread<CThreadDataAlmRec>(&handle);
    constexpr int kEvents = 15;
    const int dirs[] = {3, 2, 1, 2};
    PageWatch<NIBP_DATA> nibp;
    PageWatch<SYS_DATA> sys;
    const bool newest = WaitFor([&] {
        SYS_DATA ev{};
        U16Format(ev.szEvent, 20, "%d", sys.queued);
        if (sys.queued < kEvents && rec->AddSysRecord(&ev) == 0) ++sys.queued;
        if (rec->RequestSysPage(dirs[sys.asked % 4]) != 0) ++sys.asked;
        rec->CopySysResult(&sys.page);
        NIBP_DATA n{};
        n.i16Sys = static_cast<int16_t>(nibp.queued);
        if (nibp.queued < kEvents && rec->AddNibpRecord(&n) == 0) ++nibp.queued;
        rec->CopyNibpResult(&nibp.page);
        if (rec->RequestNibpPage(dirs[nibp.asked % 4]) != 0) ++nibp.asked;
        nibp.Check();
        sys.Check();
        return nibp.ShowsNewest(kEvents) && sys.ShowsNewest(kEvents);
    });
    rec->m_bExit = 1;
    EXPECT_TRUE(handle.Join());
    EXPECT_TRUE(newest);
    EXPECT_TRUE(nibp.consecutive);
    EXPECT_TRUE(sys.consecutive);
}

}  // namespace
