// The four review windows against a record thread driven pass by pass.
#include <gtest/gtest.h>

#include "app/dialogalmrec.h"
#include "app/dialogdatarec.h"
#include "app/dialognibprec.h"
#include "app/dialogsysrec.h"
#include "appbase/tesmorapp.h"
#include "core/monitordefs.h"
#include "platform/uiloop.h"
#include "recordfixture.h"

namespace {

class ReviewWindowTest : public RecordFixture {
protected:
    void SetUp() override
    {
        RecordFixture::SetUp();
        theApp.m_pThreadDataAlmRec = &Start();
    }
    void TearDown() override { theApp.m_pThreadDataAlmRec = nullptr; }
    // Stores data records 300, 301, ... and alarms of type 4 numbered 0, 1, ...
    void StoreData(uint32_t n)
    {
        for (uint32_t i = 0; i < n; ++i) thread->StoreData(300 + i);
    }
    void StoreAlarms(uint32_t n)
    {
        for (uint32_t i = 0; i < n; ++i) thread->StoreAlarm(4, "2026-12-07 11:00:00", i);
    }
    template <class W>
    static void Make(W& w)
    {
        ASSERT_TRUE(w.Create(nullptr, CRect(0, 0, 100, 100), 10));
    }
    // Closes the window and, once it is read, opens it again and asks afresh.
    template <class W>
    static void ReopenWhileRead(W& w)
    {
        CFileFaults::ActAt(1, [&w] {
            w.DestroyWindow();
            Make(w);
            w.Open();
        });
    }
};

TEST_F(ReviewWindowTest, DataWindowShowsNewestAndStepsBack)
{
    StoreData(40);
    CDialogDataRec dlg;
    Make(dlg);
    EXPECT_TRUE(dlg.Open());
    EXPECT_FALSE(dlg.OnBack());  // one request at a time
    Serve();
    EXPECT_EQ(dlg.AnswersShown(), 1);
    EXPECT_EQ(DataId(dlg.m_stDataRecord.val), 339u);
    EXPECT_EQ(dlg.m_stDataRecord.pEcgWave[1][10], EcgSample(339, 1, 10));
    EXPECT_FALSE(dlg.SetStep(45));
    EXPECT_TRUE(dlg.SetStep(30));
    EXPECT_TRUE(dlg.OnBack());
    Serve();
    EXPECT_EQ(DataId(dlg.m_stDataRecord.val), 309u);
    EXPECT_EQ(dlg.m_stDataRecord.nMode, 2);
    EXPECT_EQ(dlg.m_stDataRecord.nStep, 30);
}

TEST_F(ReviewWindowTest, OnlyWParam2031CountsAsAnAnswer)
{
    CDialogNIBPRec dlg;
    Make(dlg);
    EXPECT_TRUE(dlg.Open());
    dlg.PostMessage(WM_REC_QUERY_DONE, 2030, 0);
    CUiLoop::Instance().DispatchPosted();
    EXPECT_EQ(dlg.AnswersShown(), 0);
    EXPECT_TRUE(dlg.IsWaiting());
    Serve();
    EXPECT_EQ(dlg.AnswersShown(), 1);
    EXPECT_TRUE(dlg.m_vecShown.empty());  // no NIBP results in this system
}

TEST_F(ReviewWindowTest, SystemWindowListsThePowerOnEvent)
{
    thread->AddPowerOnRecord();
    thread->RunPass();
    CDialogSysRec dlg;
    Make(dlg);
    EXPECT_TRUE(dlg.Open());
    Serve();
    ASSERT_EQ(dlg.m_vecShown.size(), 1u);
    EXPECT_EQ(U16(dlg.m_vecShown[0].szEvent, 20), u"监护仪开机");
    EXPECT_TRUE(dlg.OnOlderPage());
    Serve();
    EXPECT_EQ(dlg.AnswersShown(), 2);
}

TEST_F(ReviewWindowTest, ClosingTheAlarmWindowEndsTheReview)
{
    StoreAlarms(3);
    {
        CDialogAlmRec dlg;
        Make(dlg);
        EXPECT_TRUE(dlg.StartSearch(Search(1, 4, "2026-12-07 11:00:00", "2026-12-07 11:00:59")));
        Serve();
        EXPECT_TRUE(dlg.HasRecord());
        EXPECT_EQ(AlmId(dlg.m_stAlmRecord.idx), 2u);
        EXPECT_EQ(dlg.m_stAlmRecord.pRespWave[1499], ByteSample(2, 0, 1499));
        EXPECT_TRUE(dlg.OnOlderItem());
        Serve();
        EXPECT_EQ(AlmId(dlg.m_stAlmRecord.idx), 1u);
        EXPECT_EQ(thread->m_bAlmBusy, 1);
    }
    EXPECT_EQ(thread->m_pAlmWnd.load(), nullptr);
    Serve();
    EXPECT_EQ(thread->m_bAlmBusy, 0);
}

TEST_F(ReviewWindowTest, WindowClosedWithARequestPendingIsLeftAlone)
{
    thread->StoreData(1);
    {
        CDialogDataRec data;
        CDialogSysRec sys;
        Make(data);
        Make(sys);
        data.Open();
        sys.Open();
    }
    EXPECT_TRUE(thread->m_listDataReq.empty());
    Serve();  // nothing written into or posted to the closed windows
    EXPECT_EQ(CUiLoop::Instance().PendingCount(), 0u);
}

TEST_F(ReviewWindowTest, WindowClosedBeforeItsAnswerAsksAfreshWhenOpenedAgain)
{
    thread->AddPowerOnRecord();
    thread->RunPass();
    StoreAlarms(3);
    CDialogSysRec sys;
    CDialogAlmRec alm;
    Make(sys);
    Make(alm);
    EXPECT_TRUE(sys.Open());
    EXPECT_TRUE(alm.StartSearch(Search(1, 2, "2026-12-07 11:00:00", "2026-12-07 11:00:59")));  // no such alarm
    sys.DestroyWindow();
    alm.DestroyWindow();

    // The same window objects opened again: each asks afresh and gets the answer to its new question.
    Make(sys);
    Make(alm);
    EXPECT_TRUE(sys.Open());
    EXPECT_TRUE(alm.StartSearch(Search(1, 4, "2026-12-07 11:00:00", "2026-12-07 11:00:59")));
    Serve();
    EXPECT_EQ(sys.AnswersShown(), 1);
    ASSERT_EQ(sys.m_vecShown.size(), 1u);
    EXPECT_EQ(U16(sys.m_vecShown[0].szEvent, 20), u"监护仪开机");
    EXPECT_EQ(alm.AnswersShown(), 1);
    EXPECT_TRUE(alm.HasRecord());
    EXPECT_EQ(AlmId(alm.m_stAlmRecord.idx), 2u);
    EXPECT_FALSE(alm.IsWaiting());
    EXPECT_FALSE(sys.IsWaiting());
}

TEST_F(ReviewWindowTest, AnswerPostedBeforeTheWindowClosedIsNotTakenWhenItOpensAgain)
{
    thread->AddPowerOnRecord();
    StoreData(40);
    StoreAlarms(3);
    auto reopen = [](CRecReviewWnd& w) {
        w.DestroyWindow();
        Make(w);
    };
    CDialogDataRec data;
    CDialogSysRec sys;
    CDialogNIBPRec nibp;
    CDialogAlmRec alm;
    Make(data);
    Make(sys);
    Make(nibp);
    Make(alm);
    data.Open();
    Serve();
    data.SetStep(30);

    // Answered, then closed and opened again before the answer is delivered.
    EXPECT_TRUE(data.OnBack());
    EXPECT_TRUE(sys.Open());
    EXPECT_TRUE(nibp.Open());
    EXPECT_TRUE(alm.StartSearch(Search(1, 4, "2026-12-07 11:00:00", "2026-12-07 11:00:59")));
    thread->RunPass();
    for (CRecReviewWnd* w : {static_cast<CRecReviewWnd*>(&data), static_cast<CRecReviewWnd*>(&sys),
                             static_cast<CRecReviewWnd*>(&nibp), static_cast<CRecReviewWnd*>(&alm)})
        reopen(*w);
    // The NIBP and alarm windows' new answers are posted after the old ones; the data and system
    // windows' old answers arrive while their new requests wait.
    EXPECT_TRUE(nibp.Open());
    EXPECT_TRUE(alm.StartSearch(Search(1, 2, "2026-12-07 11:00:00", "2026-12-07 11:00:59")));  // no such alarm
    thread->RunPass();
    EXPECT_TRUE(data.Open());
    EXPECT_TRUE(sys.Open());
    CUiLoop::Instance().DispatchPosted();
    EXPECT_TRUE(data.IsWaiting());
    EXPECT_EQ(data.AnswersShown(), 1);
    EXPECT_TRUE(sys.IsWaiting());
    EXPECT_FALSE(sys.OnOlderPage());         // still one request at a time
    EXPECT_EQ(nibp.AnswersShown(), 1);
    EXPECT_EQ(alm.AnswersShown(), 1);
    EXPECT_FALSE(alm.HasRecord());
    Serve();
    EXPECT_EQ(data.AnswersShown(), 2);
    EXPECT_EQ(DataId(data.m_stDataRecord.val), 339u);
    EXPECT_EQ(sys.AnswersShown(), 1);
    ASSERT_EQ(sys.m_vecShown.size(), 1u);
    EXPECT_TRUE(sys.OnOlderPage());          // not dropped by the record thread
    Serve();
    EXPECT_EQ(sys.AnswersShown(), 2);
}

TEST_F(ReviewWindowTest, WindowClosedAndOpenedAgainWhileItsRecordIsReadGetsTheNewAnswer)
{
    thread->AddPowerOnRecord();
    StoreData(40);
    CDialogDataRec data;
    Make(data);
    data.Open();
    Serve();
    data.SetStep(30);
    EXPECT_TRUE(data.OnBack());
    ReopenWhileRead(data);  // while the record 30 back is read; opened again, it asks for the newest
    Serve();
    EXPECT_EQ(data.AnswersShown(), 1);
    EXPECT_EQ(thread->m_u32DataRead, 39u);  // the withdrawn request moved nothing
    Serve();
    EXPECT_EQ(data.AnswersShown(), 2);
    EXPECT_EQ(DataId(data.m_stDataRecord.val), 339u);
    EXPECT_TRUE(data.OnBack());
    Serve();
    EXPECT_EQ(DataId(data.m_stDataRecord.val), 309u);

    // A page being read when its window goes and, opened again, asks anew.
    CDialogSysRec sys;
    Make(sys);
    EXPECT_TRUE(sys.Open());
    ReopenWhileRead(sys);
    Serve();
    EXPECT_EQ(sys.AnswersShown(), 0);
    Serve();
    EXPECT_EQ(sys.AnswersShown(), 1);
    EXPECT_FALSE(sys.IsWaiting());
}

}  // namespace
