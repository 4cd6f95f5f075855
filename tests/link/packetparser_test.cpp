#include <gtest/gtest.h>

#include "core/monitordata.h"
#include "link/commandqueue.h"
#include "link/packetparser.h"
#include "link/rxring.h"
#include "linktest.h"
#include "support/columns.h"

using namespace linktest;

namespace {

class PacketParserTest : public ::testing::Test {
protected:
    void SetUp() override { data = FreshData(); }

    void Feed(const Bytes& bytes) { ASSERT_TRUE(ring.Append(bytes.data(), static_cast<int>(bytes.size()))); }
    void Parse() { parser.ParseRxData(ring, data.get(), queue); }

    std::unique_ptr<CMonitorData> data;
    CRxRing ring;
    CCommandQueue queue;
    CPacketParser parser;
};

// An ECG packet holding the same I, II and V in all three time points, and a beat mark.
Bytes EcgData(int i, int ii, int v, bool beat)
{
    // Nine 12-bit samples, two to every three bytes: the first takes a low byte and the low
    // nibble of the middle one, the second the high nibble and the byte above it.
    const int samples[] = {i, ii, v, i, ii, v, i, ii, v};
    Bytes d(14);
    for (int k = 0; k < 9; ++k) {
        const size_t at = static_cast<size_t>(k / 2 * 3);
        if (k % 2 == 0) {
            d[at] = static_cast<uint8_t>(samples[k] & 0xFF);
            d[at + 1] |= static_cast<uint8_t>((samples[k] >> 8) & 0x0F);
        } else {
            d[at + 1] |= static_cast<uint8_t>((samples[k] & 0x0F) << 4);
            d[at + 2] = static_cast<uint8_t>(samples[k] >> 4);
        }
    }
    d[13] |= beat ? 0x40 : 0;
    return d;
}

std::vector<int> Channels(int i, int ii, int v)
{
    uint16_t out[7];
    CPacketParser::DeriveEcgChannels(i, ii, v, out);
    return std::vector<int>(out, out + 7);
}

}  // namespace

TEST(EcgDerivationTest, ChannelsInOrderWithTruncatingHalves)
{
    EXPECT_EQ(Channels(2148, 2148, 2148), (std::vector<int>{2148, 2148, 2048, 2098, 2098, 1948, 2148}));
    auto c = Channels(1947, 2048, 2048);
    EXPECT_EQ(c[2], 2149);
    EXPECT_EQ(c[3], 2098);
    EXPECT_EQ(c[4], 1947);
    EXPECT_EQ(c[5], 2098);
}

TEST(EcgDerivationTest, DerivedChannelsClampInsteadOfWrapping)
{
    EXPECT_EQ(Channels(0, 4095, 0), (std::vector<int>{0, 4095, 4095, 4095, 0, 2048, 0}));
    EXPECT_EQ(Channels(4095, 0, 4095), (std::vector<int>{4095, 0, 0, 0, 4095, 2048, 4095}));
    EXPECT_EQ(Channels(0, 0, 0)[5], 4095);
    EXPECT_EQ(Channels(4095, 4095, 4095)[5], 1);
}

TEST_F(PacketParserTest, EcgPacketStoresBeatAndTwentyOneSamplesInBothRings)
{
    Feed(Frame(0x05, EcgData(2148, 1947, 4095, true)));
    Parse();
    int beat = 0;
    data->GetEcgBeat(&beat);
    EXPECT_EQ(beat, 1);
    auto ecg = TakeEcg(*data);
    ASSERT_EQ(ecg[0].size(), 3u);
    auto expected = Channels(2148, 1947, 4095);
    for (int t = 0; t < 3; ++t)
        for (int c = 0; c < 7; ++c) EXPECT_EQ(ecg[c][t], expected[c]) << "t" << t << " c" << c;
    CSingleLock guard(data->m_csEcgRec);
    EXPECT_EQ(data->m_ringEcgRec.CountLocked(), 3u);
}

// Two rows of packet values, no column like another: a value taken from another byte or
// stored by another setter shows. The arrhythmia code passes even outside 0..8; an SpO2 byte
// above 127 reads negative.
struct ValueRow {
    int leadOff, lead2, hr, pvcs, arra, st1, st2, rr, apnea, tempOff, temp, pr, spo2, fio2, oxyOff;
};
const ValueRow kValueRows[] = {{0x0B, 2, 300, 0xC8, 0x0C, -100, 50, 20, 1, 3, 371, 72, 0x80, 0x9C, 5},
                               {0x04, 1, 0x1A4, 7, 2, 25, -300, 0x123, 4, 1, 385, 250, 97, 45, 1}};

TEST_F(PacketParserTest, EveryValuePacketReachesItsSetter)
{
    ExpectColumnsApart(IntColumns(kValueRows, "leadOff lead2 hr pvcs arra st1 st2 rr apnea tempOff temp pr spo2 fio2 oxyOff"));
    for (const ValueRow& r : kValueRows) {
        for (const Bytes& f : {Frame(0x06, Of({r.leadOff, r.lead2})), Frame(0x07, Of({r.hr >> 8, r.hr})),
                               Frame(0x09, Of({r.pvcs})), Frame(0x0A, Of({r.arra, 0})),
                               Frame(0x0B, Of({r.st1 >> 8, r.st1, r.st2 >> 8, r.st2})), Frame(0x0C, {1, 2, 3, 4, 5, 6}),
                               Frame(0x11, Of({r.rr >> 8, r.rr})), Frame(0x12, Of({r.apnea, 0, 0})),
                               Frame(0x15, Of({r.tempOff, r.temp >> 8, r.temp, 0, 0})),
                               Frame(0x17, Of({0, r.pr >> 8, r.pr, r.spo2})), Frame(0x30, Of({r.fio2})),
                               Frame(0x31, Of({r.oxyOff}))})
            Feed(f);
        Parse();
        EXPECT_EQ(parser.GoodFrames(), &r == kValueRows ? 12u : 24u);
        EXPECT_EQ(ring.Count(), 0);
        uint8_t leadOff = 0, lead2 = 0, pvcs = 0, arra = 0, fio2 = 0, oxyOff = 0;
        uint16_t temp = 0;
        int16_t st1 = 0, st2 = 0;
        data->GetEcgLeadOff(&leadOff, &lead2);
        data->GetEcgPvcs(&pvcs);
        data->GetEcgArra(&arra);
        data->GetEcgSt(&st1, &st2);
        data->GetTemp(&temp);
        data->GetAirOxy(&fio2);
        data->GetAirOxyProbeOff(&oxyOff);
        EXPECT_EQ(std::vector<int>({leadOff, lead2, Hr(*data), pvcs, arra, st1, st2, data->m_wRespRr, data->m_byRespApnea,
                                    data->m_byTempProbeOff, temp, data->m_wSpo2Pr, int16_t(data->m_wSpo2), fio2, oxyOff}),
                  std::vector<int>({r.leadOff, r.lead2, r.hr, r.pvcs, r.arra, r.st1, r.st2, r.rr, r.apnea, r.tempOff,
                                    r.temp, r.pr, int8_t(r.spo2), r.fio2, r.oxyOff}));
    }
}

TEST_F(PacketParserTest, WavePacketsAndPlethStatus)
{
    Feed(Frame(0x10, {10, 200, 30}));
    Feed(Frame(0x16, {40, 50, 60, 0x9D}));
    Parse();
    EXPECT_EQ(TakeResp(*data), (Bytes{10, 200, 30}));
    OXY_SHOW_DATA show{};
    EXPECT_EQ(TakeBytes(*data, &CMonitorData::GetShowSpo2, show, 8), (Bytes{40, 50, 60}));
    EXPECT_EQ(show.u8Strength, 13);
    EXPECT_EQ(data->m_wSpo2FingerOff, 1);
    EXPECT_EQ(data->m_wSpo2ProbeOff, 1);
    CSingleLock guard(data->m_csResp);
    EXPECT_EQ(data->m_ringRespRec.CountLocked(), 3u);
}

TEST_F(PacketParserTest, PartialFrameWaitsForTheRest)
{
    Bytes ecg = Frame(0x05, EcgData(2100, 2100, 2100, false));
    Feed(Bytes(ecg.begin(), ecg.begin() + 10));
    Parse();
    EXPECT_EQ(ring.Count(), 10);
    EXPECT_EQ(ring.ReadIndex(), 0);
    Feed(Bytes(ecg.begin() + 10, ecg.end()));
    Parse();
    EXPECT_EQ(ring.Count(), 0);
    EXPECT_EQ(TakeEcg(*data)[0], (std::vector<uint16_t>{2100, 2100, 2100}));
    int beat = 1;
    data->GetEcgBeat(&beat);
    EXPECT_EQ(beat, 0);  // a frame without the beat mark sets no beat
}

TEST_F(PacketParserTest, BadChecksumIsSkippedAndTheNextFrameArrivesInTheSameCall)
{
    Bytes bad = Frame(0x07, {0x00, 0x99});
    bad[4] ^= 0x01;
    Feed(bad);
    Feed(Frame(0x07, {0x00, 0x50}));
    Parse();
    EXPECT_EQ(Hr(*data), 80);
    EXPECT_EQ(parser.BadFrames(), 1u);
    EXPECT_EQ(parser.SkippedBytes(), 6u);
}

TEST_F(PacketParserTest, StrayBytesAreDroppedAlone)
{
    for (uint8_t stray : {uint8_t{0x08}, uint8_t{0x85}}) {
        uint32_t skipped = parser.SkippedBytes();
        Feed({stray});
        Feed(Frame(0x07, {0x00, stray}));
        Parse();
        EXPECT_EQ(Hr(*data), stray);
        EXPECT_EQ(parser.SkippedBytes() - skipped, 1u);
        EXPECT_EQ(parser.BadFrames(), 0u);  // an unknown type is no frame that failed its check
    }
}

TEST_F(PacketParserTest, TruncatedFrameDoesNotSwallowTheFrameBehindIt)
{
    Bytes ecg = Frame(0x05, EcgData(2100, 2100, 2100, false));
    Feed(Bytes(ecg.begin(), ecg.begin() + 7));  // cut short
    Feed(Frame(0x07, {0x00, 0x42}));
    Parse();
    EXPECT_EQ(Hr(*data), 0x42);
    EXPECT_EQ(ring.Count(), 0);
    EXPECT_EQ(parser.BadFrames(), 1u);
}

// A frame one byte short ends its window on the next frame's type byte. When that byte also
// reads as its checksum, only the frame start seen at the window's end keeps it from being taken.
TEST_F(PacketParserTest, FrameOneByteShortIsDroppedEvenWhenTheNextTypeMatchesItsChecksum)
{
    Bytes cut = Frame(0x07, {0x00, 0x0A});
    ASSERT_EQ(cut.back() & 0x7F, 0x11);  // the respiration-rate type
    cut.pop_back();
    Feed(Frame(0x07, {0x00, 0x78}));
    Feed(cut);
    Feed(Frame(0x11, {0x00, 0x14}));
    Parse();
    EXPECT_EQ(Hr(*data), 120);
    EXPECT_EQ(data->m_wRespRr, 20);
    EXPECT_EQ(parser.GoodFrames(), 2u);
    EXPECT_EQ(parser.BadFrames(), 1u);
    EXPECT_EQ(ring.Count(), 0);
}

TEST_F(PacketParserTest, AcknowledgementOnlyForTheAwaitedLetterWithStatusZeroOrFive)
{
    const uint8_t frame[] = {'H', 0x80, 0x80, 0x82, 0xCA};
    queue.PushSendCmd(frame, 'H', 5);
    int status = 0;
    queue.SendCmdStep(&status);
    ASSERT_FALSE(queue.Acknowledged());
    Feed(Frame(0x04, {'H', 0x01}));
    Feed(Frame(0x04, {'Y', 0x00}));
    Parse();
    EXPECT_FALSE(queue.Acknowledged());
    Feed(Frame(0x04, {'H', 0x05}));
    Parse();
    EXPECT_TRUE(queue.Acknowledged());
}

TEST_F(PacketParserTest, WithoutADataObjectFramesAreConsumed)
{
    Feed(Frame(0x07, {0x00, 0x50}));
    parser.ParseRxData(ring, nullptr, queue);
    EXPECT_EQ(ring.Count(), 0);
    EXPECT_EQ(parser.GoodFrames(), 1u);
}

// Numbered respiration frames between garbage, corrupt and truncated ones, fed in chunks of many
// sizes: every valid frame arrives once, in order.
TEST(PacketParserStreamTest, ValidFramesSurviveGarbageInAnyChunking)
{
    Bytes stream;
    Bytes expected;
    const Bytes ecgPrefix = Frame(0x05, EcgData(2000, 2001, 2002, true));
    for (int k = 0; k < 80; ++k) {
        Bytes samples = {static_cast<uint8_t>(3 * k), static_cast<uint8_t>(3 * k + 1), static_cast<uint8_t>(3 * k + 2)};
        Bytes good = Frame(0x10, samples);
        switch (k % 8) {
        case 0: stream.insert(stream.end(), {0x08, 0x85, 0xFF, 0x13, 0x00}); break;
        case 1: {
            Bytes bad = good;
            bad[3 + k % 3] ^= static_cast<uint8_t>(1 + k % 0x7F);
            stream.insert(stream.end(), bad.begin(), bad.end());
            break;
        }
        case 2: stream.insert(stream.end(), ecgPrefix.begin(), ecgPrefix.begin() + 1 + k % 16); break;
        case 3: stream.insert(stream.end(), good.begin(), good.begin() + 1 + k % 6); break;
        case 4: stream.insert(stream.end(), {0x05}); break;
        case 5: stream.insert(stream.end(), {0x90, 0xA0, 0xC4, 0x04, 0x81}); break;
        default: break;
        }
        stream.insert(stream.end(), good.begin(), good.end());
        expected.insert(expected.end(), samples.begin(), samples.end());
    }
    for (int chunk : {1, 2, 3, 5, 7, 13, 64, 1000, static_cast<int>(stream.size())}) {
        auto data = FreshData();
        CRxRing ring;
        CCommandQueue queue;
        CPacketParser parser;
        for (size_t at = 0; at < stream.size(); at += static_cast<size_t>(chunk)) {
            int n = static_cast<int>(std::min(stream.size() - at, static_cast<size_t>(chunk)));
            ASSERT_TRUE(ring.Append(stream.data() + at, n));
            parser.ParseRxData(ring, data.get(), queue);
        }
        EXPECT_EQ(TakeResp(*data), expected) << "chunk " << chunk;
        EXPECT_EQ(parser.GoodFrames(), 80u) << "chunk " << chunk;
        EXPECT_EQ(ring.Count(), 0) << "chunk " << chunk;
    }
}
