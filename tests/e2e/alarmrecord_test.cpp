// One alarm end to end, on the fake clock without threads: the simulated heart rate above the
// limit in "Para.ini" raises "心律过高", its record lands in "AlmSave.dat", and a search for
// type 1 finds it, also after the file is opened again.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "link/uartdatathread.h"
#include "platform/fakeclock.h"
#include "platform/textu16.h"
#include "platform/wnd.h"
#include "records/almrecreceiver.h"
#include "records/threaddataalmrec.h"
#include "support/tempfolder.h"

namespace {

// The part of an alarm review window that receives a search result.
class AlarmReviewStub : public CWnd, public CAlmRecReceiver {
public:
    AlarmReviewStub() : m_ecg0(g_i32AlmECGWaveLen), m_ecg1(g_i32AlmECGWaveLen), m_resp(g_i32AlmRespWaveLen),
                        m_pleth(g_i32AlmPlethWaveLen)
    {
        m_rec.pEcgWave[0] = m_ecg0.data();
        m_rec.pEcgWave[1] = m_ecg1.data();
        m_rec.pRespWave = m_resp.data();
        m_rec.pPlethWave = m_pleth.data();
    }
    SAVE_ALM* GetAlmRecord() override { return &m_rec; }
    SAVE_ALM m_rec{};

private:
    std::vector<WORD> m_ecg0, m_ecg1;
    std::vector<BYTE> m_resp, m_pleth;
};

class AlarmRoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        theApp.ResetForTests();
        folder = std::make_unique<TempFolder>();
        folder->Write("Para.ini", "[ECG]\nALM_SW=1\nALM_REC=1\nALM_LEVEL=2\nHR_ALM_H=120\nHR_ALM_L=50\n");
        data = std::make_unique<CMonitorData>();
        theApp.m_pMonitorData = data.get();
        {
            CSingleLock guard(theApp.m_csSim);
            theApp.m_nSimHr = 150;
        }
        link = std::make_unique<UartDataThread>(data.get());
    }
    void TearDown() override { theApp.ResetForTests(); }

    // Starts a record thread object whose passes the test runs itself.
    std::unique_ptr<CThreadDataAlmRec> OpenRecords()
    {
        auto rec = std::make_unique<CThreadDataAlmRec>();
        rec->InitInstance();
        theApp.m_pThreadDataAlmRec = rec.get();
        return rec;
    }

    // The main dialog's 50 ms timer with the link passes in between, until the start-up phase
    // is over.
    void RunStartup(CThreadDataAlmRec& rec)
    {
        link->BeginLoop(GetTickCount());
        for (int ms = 0; data->InStartupPhase(); ms += 4) {
            ASSERT_LT(ms, 20000);
            clock.Advance(4);
            link->LoopPass(GetTickCount());
            if (ms % 48 == 0) {
                data->BuildDataRec();
                rec.RunPass();
            }
        }
    }

    // A first alarm search for type 1 over the hour of the test; the result lands in review.
    const SAVE_ALM& Search(CThreadDataAlmRec& rec)
    {
        review.m_rec.idx.u8State = 0x55;
        rec.m_pAlmWnd = &review;
        ALM_SEARCH cond{};
        U16Copy(cond.szStartTime, 20, u"2026-12-07 08:00:00");
        U16Copy(cond.szEndTime, 20, u"2026-12-07 08:59:59");
        cond.u8Kind = 1;
        cond.u8AlmType = 1;
        rec.RequestAlmSearch(&cond);
        rec.RunPass();
        rec.m_pAlmWnd = nullptr;
        return review.m_rec;
    }

    FakeClock clock;
    AlarmReviewStub review;
    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<CMonitorData> data;
    std::unique_ptr<UartDataThread> link;
};

TEST_F(AlarmRoadTest, SimulatedHeartRateAboveTheLimitIsRecordedAndFound)
{
    auto rec = OpenRecords();
    RunStartup(*rec);
    ASSERT_TRUE(data->m_listEcgAlm.empty());  // nothing is evaluated during the start-up phase

    // The 500 ms step of the main dialog.
    data->CheckAlm();
    ASSERT_EQ(data->m_listEcgAlm.size(), 1u);
    const SHOW_ALM alm = data->m_listEcgAlm.front();
    EXPECT_EQ(ToUtf8(alm.cText), "心律过高");
    EXPECT_EQ(alm.u16Limit, 120);
    EXPECT_EQ(alm.u16Value, 150);
    EXPECT_EQ(data->BuildAlmRec(), 0);
    EXPECT_EQ(data->IsAnyEcgAlmOn(), 1);
    EXPECT_EQ(data->GetTopAlmLevel(), 2);
    EXPECT_EQ(data->TakeNewAlm(), 1);
    SHOW_ALM shown{};
    ASSERT_EQ(data->GetEcgShowAlm(&shown), 0);
    EXPECT_EQ(ToUtf8(shown.cText), "心律过高***");
    rec->RunPass();
    EXPECT_TRUE(std::filesystem::exists(folder->File("AlmSave.dat")));

    const SAVE_ALM& found = Search(*rec);
    ASSERT_EQ(found.idx.u8State, 0);
    EXPECT_EQ(found.idx.u8AlmType, 1);
    EXPECT_EQ(found.idx.u8AlmCode, 2);
    EXPECT_EQ(found.idx.i16Limit, 120);
    EXPECT_EQ(found.idx.i16Value, 150);
    EXPECT_EQ(ToUtf8(found.idx.szTime), ToUtf8(alm.cTime));
    EXPECT_EQ(found.val.i16HR, 150);
    EXPECT_EQ(ToUtf8(found.val.szPatientName), "姓名");
    // 12 s of the simulated ECG came with it: not a flat line.
    int distinct = 0;
    for (int i = 1; i < g_i32AlmECGWaveLen; ++i) distinct += found.pEcgWave[1][i] != found.pEcgWave[1][i - 1];
    EXPECT_GT(distinct, 100);
    rec->ExitInstance();

    // The record is in the file: a record thread that opens it again finds it as well.
    theApp.m_pThreadDataAlmRec = nullptr;
    rec.reset();
    auto reopened = OpenRecords();
    const SAVE_ALM& again = Search(*reopened);
    EXPECT_EQ(again.idx.u8State, 0);
    EXPECT_EQ(again.idx.i16Value, 150);
    EXPECT_EQ(again.idx.i16Limit, 120);
    reopened->ExitInstance();
}

TEST_F(AlarmRoadTest, BuildersDropTheirRecordsWhenNoRecordThreadRuns)
{
    std::vector<uint16_t> ecg(21, 2048);
    for (int i = 0; i < 400; ++i) data->SetEcgRecWave(ecg.data());
    data->SetEcgHr(150);
    data->CheckAlm();
    EXPECT_EQ(data->BuildAlmRec(), 0);
    data->BuildDataRec();
    CSingleLock guard(data->m_csEcgRec);
    EXPECT_EQ(data->m_ringEcgRec.CountLocked(), 200u);  // the data record was built, then dropped
}

}  // namespace
