// The alarm search: first search, older and newer steps, the end of a review, failures.
#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>

#include "appbase/tesmorapp.h"
#include "core/monitordefs.h"
#include "platform/uiloop.h"
#include "records/almrecreceiver.h"
#include "recordfixture.h"

namespace {

// A requester that receives the record found.
class ReceiverWnd : public CWnd, public CAlmRecReceiver {
public:
    ReceiverWnd() { Create(nullptr, CRect(0, 0, 10, 10), 2); }
    SAVE_ALM* GetAlmRecord() override { return &sink.rec; }
    LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        if (message == WM_REC_QUERY_DONE && wParam == g_wRecQueryDone) ++answers;
        return 0;
    }
    AlmRecordSink sink;
    int answers = 0;
};

// A requester that is not an alarm review window.
class PlainWnd : public CWnd {
public:
    PlainWnd() { Create(nullptr, CRect(0, 0, 10, 10), 3); }
    LRESULT OnUserMessage(UINT message, WPARAM, LPARAM) override
    {
        if (message == WM_REC_QUERY_DONE) ++answers;
        return 0;
    }
    int answers = 0;
};

std::string TimeOf(uint32_t i)
{
    char buf[32];
    snprintf(buf, sizeof(buf), "2026-12-07 %02u:%02u:%02u", 10 + i / 3600, (i / 60) % 60, i % 60);
    return buf;
}

constexpr const char* kAllStart = "2026-12-07 00:00:00";
constexpr const char* kAllEnd = "2026-12-07 23:59:59";

class AlarmSearchTest : public RecordFixture {
protected:
    void SetUp() override
    {
        RecordFixture::SetUp();
        Start().m_pAlmWnd = &receiver;
    }
    // Writes records 0..n-1 (numbered from `first`); record i has type typeOf(i) and time TimeOf(i).
    void Fill(uint32_t n, const std::function<uint8_t(uint32_t)>& typeOf, uint32_t first = 0)
    {
        for (uint32_t i = first; i < first + n; ++i) ASSERT_EQ(thread->StoreAlarm(typeOf(i), TimeOf(i).c_str(), i), 0);
    }
    // Places a request, serves it and returns the id of the answer, or -1 for "no hit".
    long Ask(uint8_t kind, uint8_t type, const char* start = kAllStart, const char* end = kAllEnd)
    {
        ALM_SEARCH cond = Search(kind, type, start, end);
        thread->RequestAlmSearch(&cond);
        Serve();
        const ALM_INDEX& idx = receiver.sink.rec.idx;
        return idx.u8State == g_u8AlmStateNoHit ? -1 : static_cast<long>(AlmId(idx));
    }
    ReceiverWnd receiver;
};

TEST_F(AlarmSearchTest, EmptyFileAnswersNoHitToEveryStep)
{
    EXPECT_EQ(Ask(1, 1), -1);
    EXPECT_EQ(Ask(2, 1), -1);
    EXPECT_EQ(Ask(3, 1), -1);
    EXPECT_EQ(receiver.answers, 3);
}

TEST_F(AlarmSearchTest, FirstSearchFindsNewestMatchInRange)
{
    Fill(12, [](uint32_t i) { return static_cast<uint8_t>(i % 2 ? 2 : 1); });
    EXPECT_EQ(Ask(1, 1), 10);
    EXPECT_EQ(receiver.sink.rec.idx.u8AlmType, 1);
    EXPECT_EQ(receiver.sink.ecg[1][5999], EcgSample(10, 1, 5999));
    EXPECT_EQ(receiver.sink.pleth[0], ByteSample(10, 1, 0));
    EXPECT_EQ(Ask(1, 1, TimeOf(4).c_str(), TimeOf(7).c_str()), 6);
    EXPECT_EQ(Ask(1, 2, TimeOf(3).c_str(), TimeOf(3).c_str()), 3);  // both ends included
    EXPECT_EQ(Ask(1, 1, TimeOf(7).c_str(), TimeOf(4).c_str()), -1);  // end before start
    EXPECT_EQ(Ask(1, 5), -1);
    EXPECT_EQ(receiver.answers, 5);
}

TEST_F(AlarmSearchTest, FullRingSearchesTheNewestHundredFifty)
{
    Fill(200, [](uint32_t i) { return static_cast<uint8_t>(i == 39 ? 1 : i == 50 ? 3 : 2); });
    EXPECT_EQ(thread->m_u32AlmWrite, 0u);
    EXPECT_EQ(Ask(1, 1), -1);  // 160 behind the newest
    EXPECT_EQ(Ask(1, 3), 50);  // 149 behind
    EXPECT_EQ(Ask(1, 2), 199);
}

TEST_F(AlarmSearchTest, StepsAcrossTheWrapKeepTheCurrentRecordWithoutMatch)
{
    // Full ring with the write index at 4: slots 4 .. 199, 0 .. 3 from oldest to newest.
    Fill(204, [](uint32_t i) {
        uint32_t slot = i % 200;
        return static_cast<uint8_t>(slot == 3 || slot == 198 || slot == 60 ? 1 : 2);
    });
    ASSERT_EQ(thread->m_u32AlmWrite, 4u);
    EXPECT_EQ(Ask(1, 1), 203);  // slot 3, the anchor
    EXPECT_EQ(Ask(2, 1), 198);  // across the wrap
    EXPECT_EQ(Ask(2, 1), 198);  // slot 60 is more than 100 behind the anchor: no move, same record
    EXPECT_EQ(thread->m_u32AlmCur, 198u);
    EXPECT_EQ(Ask(3, 1), 203);
    EXPECT_EQ(Ask(3, 1), 203);  // already at the anchor
    EXPECT_EQ(Ask(2, 3), 203);  // no match of that type: the record shown before, never another type
    EXPECT_EQ(receiver.sink.rec.idx.u8AlmType, 1);
}

TEST_F(AlarmSearchTest, OlderStepReachesExactlyAHundredBehindTheAnchor)
{
    Fill(160, [](uint32_t i) { return static_cast<uint8_t>(i == 150 || i == 50 || i == 49 ? 1 : 2); });
    EXPECT_EQ(Ask(1, 1), 150);
    EXPECT_EQ(Ask(2, 1), 50);  // 100 behind the anchor
    EXPECT_EQ(Ask(2, 1), 50);  // 101 behind is out of reach
}

TEST_F(AlarmSearchTest, OlderStepStopsAtTheOldestRecord)
{
    // Write index 50: slot 50 is the oldest record, slot 45 one of the newest.
    Fill(250, [](uint32_t i) { return static_cast<uint8_t>(i % 200 == 110 || i % 200 == 45 ? 1 : 2); });
    ASSERT_EQ(thread->m_u32AlmWrite, 50u);
    EXPECT_EQ(Ask(1, 1, kAllStart, TimeOf(200).c_str()), 110);
    EXPECT_EQ(Ask(2, 1), 110);  // the walk ends at slot 50 and never reaches the newer slot 45
    EXPECT_EQ(thread->m_u32AlmCur, 110u);

    RecordFolder fresh;
    Start().m_pAlmWnd = &receiver;
    Fill(12, [](uint32_t i) { return static_cast<uint8_t>(i == 2 ? 1 : 2); });
    EXPECT_EQ(Ask(1, 1), 2);
    EXPECT_EQ(Ask(2, 1), 2);  // slots 1 and 0, then no further
}

TEST_F(AlarmSearchTest, InterruptedOrUnreadableSlotsAreNeverHits)
{
    Fill(5, [](uint32_t) { return uint8_t{1}; });
    thread->m_pAlmIndex[4].u8State = g_u8AlmStateEmpty;  // a write that did not finish
    EXPECT_EQ(Ask(1, 1), 3);
    ASSERT_EQ(truncate(almPath.c_str(), 0xF8000 + 3 * 0x8000 + 0x6A78), 0);
    EXPECT_EQ(Ask(1, 1), 3);  // cut after the record's last wave byte: the record is whole
    ASSERT_EQ(truncate(almPath.c_str(), 0xF8000 + 3 * 0x8000 + 100), 0);
    EXPECT_EQ(Ask(1, 1), -1);  // short read
    thread->m_bAlmFileErr = 1;
    EXPECT_EQ(Ask(1, 1), -1);
    EXPECT_EQ(receiver.answers, 4);
}

TEST_F(AlarmSearchTest, OnlyAnAlarmReviewWindowReceivesACopy)
{
    Fill(3, [](uint32_t) { return uint8_t{1}; });
    PlainWnd plain;
    thread->m_pAlmWnd = &plain;
    Ask(1, 1);
    EXPECT_EQ(receiver.sink.rec.idx.u8AlmType, 0);  // not touched
    EXPECT_EQ(receiver.answers, 0);
    EXPECT_EQ(plain.answers, 1);
    EXPECT_EQ(AlmId(thread->m_stAlmResult.idx), 2u);
}

TEST_F(AlarmSearchTest, EndOfReviewLiftsTheAnchorProtection)
{
    Fill(5, [](uint32_t) { return uint8_t{1}; });
    EXPECT_EQ(Ask(1, 1, kAllStart, TimeOf(0).c_str()), 0);  // anchor slot 0
    EXPECT_EQ(thread->m_bAlmBusy, 1);
    Fill(195, [](uint32_t) { return uint8_t{2}; }, 5);
    EXPECT_EQ(thread->m_u32AlmWrite, 199u);
    Fill(1, [](uint32_t) { return uint8_t{2}; }, 200);  // the slot after 199 is the anchor: skipped
    EXPECT_EQ(thread->m_u32AlmWrite, 199u);

    EXPECT_EQ(Ask(5, 1), 0);  // no answer to an end of review
    EXPECT_EQ(receiver.answers, 1);
    EXPECT_EQ(thread->m_bAlmBusy, 0);
    Fill(2, [](uint32_t) { return uint8_t{2}; }, 201);
    EXPECT_EQ(thread->m_u32AlmWrite, 1u);
    EXPECT_EQ(AlmId(thread->m_pAlmIndex[0]), 202u);
}

TEST_F(AlarmSearchTest, SearchWithoutHitProtectsNoSlot)
{
    Fill(3, [](uint32_t) { return uint8_t{1}; });
    EXPECT_EQ(Ask(1, 2), -1);  // the anchor stays at slot 0 from start-up
    EXPECT_EQ(thread->m_bAlmBusy, 1);
    Fill(199, [](uint32_t) { return uint8_t{1}; }, 3);
    EXPECT_EQ(thread->m_u32AlmWrite, 2u);
    EXPECT_EQ(AlmId(thread->m_pAlmIndex[199]), 199u);
    EXPECT_EQ(AlmId(thread->m_pAlmIndex[0]), 200u);
}

TEST_F(AlarmSearchTest, WithdrawnSearchLeavesTheEndedReviewAsItStood)
{
    Fill(5, [](uint32_t) { return uint8_t{1}; });
    EXPECT_EQ(Ask(1, 1, kAllStart, TimeOf(0).c_str()), 0);  // anchor slot 0
    Ask(5, 1);                                              // review ended
    Fill(194, [](uint32_t) { return uint8_t{2}; }, 5);
    ASSERT_EQ(thread->m_u32AlmWrite, 199u);
    CFileFaults::ActAt(1, [this] { thread->ForgetRequester(&receiver); });  // while its hit is read
    Ask(1, 2);
    EXPECT_EQ(receiver.answers, 1);
    EXPECT_EQ(thread->m_u32AlmAnchor, 0u);
    EXPECT_EQ(thread->m_u32AlmCur, 0u);
    Fill(1, [](uint32_t) { return uint8_t{2}; }, 199);  // the ended review protects nothing
    EXPECT_EQ(thread->m_u32AlmWrite, 0u);
}

TEST_F(AlarmSearchTest, EndOfReviewWhilePendingEndsItAfterTheAnswer)
{
    Fill(3, [](uint32_t) { return uint8_t{1}; });
    ALM_SEARCH first = Search(1, 1, kAllStart, kAllEnd);
    ALM_SEARCH end = Search(5, 1, kAllStart, kAllEnd);
    thread->RequestAlmSearch(&first);
    thread->RequestAlmSearch(&end);
    EXPECT_EQ(thread->m_bAlmCancel, 1);
    Serve();
    EXPECT_EQ(receiver.answers, 1);
    EXPECT_EQ(thread->m_bAlmBusy, 0);
    EXPECT_EQ(thread->m_bAlmCancel, 0);
    EXPECT_EQ(thread->m_u8AlmQueryState, 1);
}

}  // namespace
