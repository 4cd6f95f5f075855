#include <gtest/gtest.h>

#include <functional>

#include "link/commandqueue.h"
#include "link/uartdatathread.h"
#include "linktest.h"
#include "support/columns.h"
#include "platform/fakeclock.h"

using namespace linktest;

namespace {

// A builder, its argument (-1: none or fixed in the call) and the frame it must queue.
struct BuilderCase {
    std::function<int(UartDataThread&, int)> call;
    int arg;
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
    using T = UartDataThread&;
    const BuilderCase cases[] = {
        {[](T t, int) { return t.SendStIsoPoint(300, 200); }, -1, {0x4C, 0x80, 0x88, 0x81, 0xAC, 0x80, 0xC8, 0xC9}},
        {[](T t, int a) { return t.SendRespApneaTime(a); }, 3, {0x52, 0x80, 0x80, 0x83, 0xD5}},
        {[](T t, int a) { return t.SendEcgCal(a); }, 1, {0x49, 0x80, 0x80, 0x81, 0xCA}},
        {[](T t, int a) { return t.SendEcgHrLead(a); }, 4, {0x4D, 0x80, 0x80, 0x84, 0xD1}},
        {[](T t, int a) { return t.SendEcgWaveGain(a); }, 2, {0x48, 0x80, 0x80, 0x82, 0xCA}},
        {[](T t, int) { return t.SendCmdN(); }, -1, {0x4E, 0x80, 0x80, 0xCE}},
        {[](T t, int a) { return t.SendEcgPaceSw(a); }, 5, {0x4B, 0x80, 0x80, 0x85, 0xD0}},
        {[](T t, int a) { return t.SendEcgTrap(a); }, 6, {0x4A, 0x80, 0x80, 0x86, 0xD0}},
        {[](T t, int a) { return t.SendEcgWaveFilter(a); }, 7, {0x47, 0x80, 0x80, 0x87, 0xCE}},
        {[](T t, int a) { return t.SendEcgLeadMode(a); }, 8, {0x45, 0x80, 0x80, 0x88, 0xCD}},
        {[](T t, int a) { return t.SendCmdF(a); }, 0xC8, {0x46, 0x80, 0x81, 0xC8, 0x8F}},
        {[](T t, int) { return t.SendNibpCal(); }, -1, {0x58, 0x80, 0x80, 0xD8}},
        {[](T t, int) { return t.SendCmdRBracket(); }, -1, {0x5D, 0x80, 0x80, 0xDD}},
        {[](T t, int) { return t.SendCmdV(); }, -1, {0x56, 0x80, 0x80, 0xD6}},
        {[](T t, int) { return t.SendCmdCaret(); }, -1, {0x5E, 0x80, 0x80, 0xDE}},
        {[](T t, int a) { return t.SendCmdW(a); }, 0x1234, {0x57, 0x80, 0x80, 0xB4, 0x8B}},
        {[](T t, int) { return t.SendNibpLeakTest(); }, -1, {0x5A, 0x80, 0x80, 0xDA}},
        {[](T t, int) { return t.SendCmdLBracket(); }, -1, {0x5B, 0x80, 0x80, 0xDB}},
        {[](T t, int) { return t.SendNibpPreInflate(0, 180); }, -1, {0x5C, 0x80, 0x82, 0x80, 0xB4, 0x92}},
        {[](T t, int) { return t.SendNibpReset(); }, -1, {0x59, 0x80, 0x80, 0xD9}},
        {[](T t, int) { return t.SendCmdU(); }, -1, {0x55, 0x80, 0x80, 0xD5}},
        {[](T t, int a) { return t.SendCmdB(a); }, 0xEE, {0x42, 0x80, 0x81, 0xEE, 0xB1}},
        {[](T t, int a) { return t.SendRespGain(a); }, 9, {0x50, 0x80, 0x80, 0x89, 0xD9}},
        {[](T t, int a) { return t.SendCmdT(a); }, 0x1FF, {0x54, 0x80, 0x81, 0xFF, 0xD4}},
        {[](T t, int a) { return t.SendCmdS(a); }, 0x80, {0x53, 0x80, 0x81, 0x80, 0xD4}},
    };
    std::vector<long long> args;  // each its own, so a builder sending a fixed byte shows
    for (const BuilderCase& c : cases)
        if (c.arg >= 0) args.push_back(c.arg);
    ExpectColumnsApart({{"argument", args, args.size()}});
    UartDataThread link(nullptr);
    int i = 0;
    for (const BuilderCase& c : cases) {
        EXPECT_EQ(c.call(link, c.arg), 0);
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
    void SetUp() override { data = FreshData(); }

    int Step()
    {
        status = 0;
        link.SendCmdStep(&status);
        return status;
    }
    void Ack(uint8_t letter, uint8_t st)
    {
        auto f = Frame(0x04, {letter, st});
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

