#include <gtest/gtest.h>

#include <functional>

#include "link/commandqueue.h"
#include "link/uartdatathread.h"
#include "linktest.h"
#include "platform/fakeclock.h"

using linktest::Bytes;

namespace {

struct BuilderCase {
    std::function<int(UartDataThread&)> call;
    Bytes frame;
};

Bytes QueuedFrame(CCommandQueue& queue, int index, uint8_t* letter = nullptr)
{
    CCommandQueue::Slot slot{};
    if (!queue.PeekQueued(index, &slot)) return {};
    if (letter != nullptr) *letter = slot.byLetter;
    return Bytes(slot.byFrame, slot.byFrame + slot.wLength);
}

}  // namespace

TEST(CommandBuilderTest, EveryBuilderQueuesItsExactFrameAndLetter)
{
    const BuilderCase cases[] = {
        {[](UartDataThread& t) { return t.SendStIsoPoint(300, 200); }, {0x4C, 0x80, 0x88, 0x81, 0xAC, 0x80, 0xC8, 0xC9}},
        {[](UartDataThread& t) { return t.SendRespApneaTime(3); }, {0x52, 0x80, 0x80, 0x83, 0xD5}},
        {[](UartDataThread& t) { return t.SendEcgCal(1); }, {0x49, 0x80, 0x80, 0x81, 0xCA}},
        {[](UartDataThread& t) { return t.SendEcgHrLead(1); }, {0x4D, 0x80, 0x80, 0x81, 0xCE}},
        {[](UartDataThread& t) { return t.SendEcgWaveGain(2); }, {0x48, 0x80, 0x80, 0x82, 0xCA}},
        {[](UartDataThread& t) { return t.SendCmdN(); }, {0x4E, 0x80, 0x80, 0xCE}},
        {[](UartDataThread& t) { return t.SendEcgPaceSw(1); }, {0x4B, 0x80, 0x80, 0x81, 0xCC}},
        {[](UartDataThread& t) { return t.SendEcgTrap(1); }, {0x4A, 0x80, 0x80, 0x81, 0xCB}},
        {[](UartDataThread& t) { return t.SendEcgWaveFilter(2); }, {0x47, 0x80, 0x80, 0x82, 0xC9}},
        {[](UartDataThread& t) { return t.SendEcgLeadMode(1); }, {0x45, 0x80, 0x80, 0x81, 0xC6}},
        {[](UartDataThread& t) { return t.SendCmdF(0xC8); }, {0x46, 0x80, 0x81, 0xC8, 0x8F}},
        {[](UartDataThread& t) { return t.SendNibpCal(); }, {0x58, 0x80, 0x80, 0xD8}},
        {[](UartDataThread& t) { return t.SendCmdRBracket(); }, {0x5D, 0x80, 0x80, 0xDD}},
        {[](UartDataThread& t) { return t.SendCmdV(); }, {0x56, 0x80, 0x80, 0xD6}},
        {[](UartDataThread& t) { return t.SendCmdCaret(); }, {0x5E, 0x80, 0x80, 0xDE}},
        {[](UartDataThread& t) { return t.SendCmdW(0x1234); }, {0x57, 0x80, 0x80, 0xB4, 0x8B}},
        {[](UartDataThread& t) { return t.SendNibpLeakTest(); }, {0x5A, 0x80, 0x80, 0xDA}},
        {[](UartDataThread& t) { return t.SendCmdLBracket(); }, {0x5B, 0x80, 0x80, 0xDB}},
        {[](UartDataThread& t) { return t.SendNibpPreInflate(0, 180); }, {0x5C, 0x80, 0x82, 0x80, 0xB4, 0x92}},
        {[](UartDataThread& t) { return t.SendNibpReset(); }, {0x59, 0x80, 0x80, 0xD9}},
        {[](UartDataThread& t) { return t.SendCmdU(); }, {0x55, 0x80, 0x80, 0xD5}},
        {[](UartDataThread& t) { return t.SendCmdB(0xFF); }, {0x42, 0x80, 0x81, 0xFF, 0xC2}},
        {[](UartDataThread& t) { return t.SendRespGain(4); }, {0x50, 0x80, 0x80, 0x84, 0xD4}},
        {[](UartDataThread& t) { return t.SendCmdT(0x1FF); }, {0x54, 0x80, 0x81, 0xFF, 0xD4}},
        {[](UartDataThread& t) { return t.SendCmdS(0x80); }, {0x53, 0x80, 0x81, 0x80, 0xD4}},
    };
    UartDataThread link(nullptr);
    int i = 0;
    for (const BuilderCase& c : cases) {
        EXPECT_EQ(c.call(link), 0);
        uint8_t letter = 0;
        EXPECT_EQ(QueuedFrame(link.Queue(), i, &letter), c.frame) << "builder " << i;
        EXPECT_EQ(letter, c.frame[0]) << "builder " << i;
        ++i;
    }
    EXPECT_EQ(link.Queue().Count(), 25);
}

TEST(CommandQueueTest, FullQueueRefusesAndKeepsWhatItHolds)
{
    UartDataThread link(nullptr);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(link.SendEcgWaveGain(static_cast<uint8_t>(i)), 0);
    EXPECT_NE(link.SendNibpReset(), 0);
    EXPECT_EQ(link.Queue().Count(), 64);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(QueuedFrame(link.Queue(), i)[3], 0x80 | i);
    EXPECT_TRUE(QueuedFrame(link.Queue(), 64).empty());
}

TEST(CommandQueueTest, FrameLongerThanASlotIsRefused)
{
    CCommandQueue queue;
    uint8_t big[64] = {};
    EXPECT_EQ(queue.PushSendCmd(big, 'A', 41), CCommandQueue::kPushBadLength);
    EXPECT_EQ(queue.PushSendCmd(big, 'A', 0), CCommandQueue::kPushBadLength);
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_EQ(queue.PushSendCmd(big, 'A', 40), CCommandQueue::kPushOk);
}

class StopAndWaitTest : public ::testing::Test {
protected:
    void SetUp() override { data = linktest::FreshData(); }

    int Step()
    {
        status = 0;
        link.SendCmdStep(&status);
        return status;
    }
    void Ack(uint8_t letter, uint8_t st)
    {
        auto f = linktest::Frame(0x04, {letter, st});
        link.RxRing().Append(f.data(), static_cast<int>(f.size()));
        link.ParseRxData();
    }

    FakeClock clock{50000};
    std::unique_ptr<CMonitorData> data;
    UartDataThread link{nullptr};
    int status = 0;
};

TEST_F(StopAndWaitTest, TakesTheFirstCommandThenWaitsWhileNothingIsSent)
{
    link.SendNibpReset();
    link.SendRespGain(1);
    EXPECT_EQ(Step(), 1);
    EXPECT_EQ(link.Queue().Count(), 1);
    EXPECT_FALSE(link.Queue().Ready());
    EXPECT_FALSE(link.Queue().Acknowledged());
    EXPECT_EQ(link.Queue().AwaitedLetter(), 'Y');
    EXPECT_EQ(Bytes(link.Queue().CurFrame(), link.Queue().CurFrame() + link.Queue().CurLength()),
              (Bytes{0x59, 0x80, 0x80, 0xD9}));
    // The transmit step sends nothing, so the queue stays where it is, however long it waits.
    clock.Advance(5000);
    EXPECT_EQ(Step(), 0);
    Ack('Y', 0);
    EXPECT_EQ(Step(), 0);
    EXPECT_EQ(link.Queue().Count(), 1);
}

TEST_F(StopAndWaitTest, TimelineOfAcknowledgementTimeoutRetryAndGivingUp)
{
    link.SendEcgWaveGain(2);
    link.SendNibpReset();
    ASSERT_EQ(Step(), 1);
    link.Queue().FrameSent();
    clock.Advance(499);
    EXPECT_EQ(Step(), 0);
    clock.Advance(1);
    EXPECT_EQ(Step(), 238);
    EXPECT_EQ(link.Queue().RetryCount(), 1);
    for (int retry = 2; retry <= 3; ++retry) {
        link.Queue().FrameSent();
        clock.Advance(500);
        EXPECT_EQ(Step(), 238);
        EXPECT_EQ(link.Queue().RetryCount(), retry);
    }
    link.Queue().FrameSent();
    clock.Advance(500);
    EXPECT_EQ(Step(), 255);
    EXPECT_EQ(link.Queue().RetryCount(), 0);
    EXPECT_TRUE(link.Queue().Ready());
    // A new series starts at once: the time of the last transmission was not renewed.
    EXPECT_EQ(Step(), 238);
    EXPECT_EQ(link.Queue().RetryCount(), 1);
    EXPECT_EQ(link.Queue().Count(), 1);  // never dropped for want of an acknowledgement

    // A wrong letter or status does nothing; the right one lets the next command go.
    link.Queue().FrameSent();
    Ack('Y', 0);
    Ack('H', 1);
    EXPECT_EQ(Step(), 0);
    Ack('H', 5);
    EXPECT_EQ(Step(), 1);
    EXPECT_EQ(link.Queue().AwaitedLetter(), 'Y');
    EXPECT_EQ(link.Queue().Count(), 0);
}

