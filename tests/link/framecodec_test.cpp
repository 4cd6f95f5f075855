#include <gtest/gtest.h>

#include <cstring>

#include "link/framecodec.h"
#include "link/rxring.h"
#include "linktest.h"

using namespace linktest;

namespace {

struct Worked {
    uint8_t type;
    Bytes data;
    Bytes wire;
};

const Worked kWorked[] = {
    {'Y', {}, {0x59, 0x80, 0x80, 0xD9}},
    {'H', {0x02}, {0x48, 0x80, 0x80, 0x82, 0xCA}},
    {'L', {0x01, 0x2C, 0x00, 0xC8}, {0x4C, 0x80, 0x88, 0x81, 0xAC, 0x80, 0xC8, 0xC9}},
    {0x07, {0x00, 0x50}, {0x07, 0x80, 0x80, 0x80, 0xD0, 0xD7}},
    {0x0B, {0xFF, 0x9C, 0xFF, 0x9C}, {0x0B, 0x80, 0x8F, 0xFF, 0x9C, 0xFF, 0x9C, 0xD0}},
    {0x04, {0x48, 0x00}, {0x04, 0x80, 0x80, 0xC8, 0x80, 0xCC}},
};

// Places bytes into a 4096-byte ring starting at pos, wrapping at the end.
void Place(uint8_t* ring, int pos, const Bytes& bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i) ring[(pos + static_cast<int>(i)) & 0xFFF] = bytes[i];
}

Bytes Read(const uint8_t* ring, int pos, int n)
{
    Bytes out;
    for (int i = 0; i < n; ++i) out.push_back(ring[(pos + i) & 0xFFF]);
    return out;
}

const Bytes kFullData = {0xFF, 0x00, 0x80, 0x7F, 0x01, 0xFE, 0x55, 0xAA, 0x12, 0x93, 0x40, 0xC0, 0x3C, 0xE7};

}  // namespace

TEST(FrameCodecTest, WorkedFramesEncodeAndDecodeExactly)
{
    for (const Worked& w : kWorked) {
        Bytes wire = Frame(w.type, w.data);
        EXPECT_EQ(wire, w.wire) << "type " << int(w.type);

        uint8_t ring[4096] = {};
        Place(ring, 100, w.wire);
        int n = static_cast<int>(w.wire.size());
        ASSERT_EQ(CFrameCodec::CheckFrame(ring, 100, n), 0);
        EXPECT_EQ(ring[100], w.type);
        EXPECT_EQ(Read(ring, 101, n - 4), w.data);
    }
}

TEST(FrameCodecTest, RoundTripAtEveryRingOffset)
{
    Bytes wire = Frame(0x05, kFullData);
    ASSERT_EQ(wire.size(), 18u);
    for (int pos = 0; pos < 4096; ++pos) {
        uint8_t ring[4096];
        std::memset(ring, 0xEE, sizeof ring);
        Place(ring, pos, wire);
        ASSERT_EQ(CFrameCodec::CheckFrame(ring, pos, 18), 0) << "offset " << pos;
        ASSERT_EQ(Read(ring, pos + 1, 14), kFullData) << "offset " << pos;
        // Bytes outside the frame stay untouched, also across the wrap.
        ASSERT_EQ(ring[(pos + 18) & 0xFFF], 0xEE);
        ASSERT_EQ(ring[(pos + 4095) & 0xFFF], 0xEE);
    }
}

TEST(FrameCodecTest, HighBitTravelsInTheHeaderAndZeroAsEighty)
{
    Bytes wire = Frame(0x09, {0xFF});
    EXPECT_EQ(wire[1], 0x80);
    EXPECT_EQ(wire[2], 0x81);  // bit 7 of data byte 0
    EXPECT_EQ(wire[3], 0xFF);
    Bytes zero = Frame(0x09, {0x00});
    EXPECT_EQ(zero[3], 0x80);
    // Only the first byte of a frame has bit 7 clear.
    for (size_t i = 1; i < wire.size(); ++i) EXPECT_NE(wire[i] & 0x80, 0);
}

TEST(FrameCodecTest, AnySingleByteCorruptionIsDetectedAndChangesNothing)
{
    Bytes wire = Frame(0x05, kFullData);
    for (size_t at = 0; at < wire.size(); ++at) {
        for (int mask = 1; mask < 0x80; ++mask) {
            uint8_t ring[4096] = {};
            Bytes bad = wire;
            bad[at] = static_cast<uint8_t>(bad[at] ^ mask);
            Place(ring, 4090, bad);
            Bytes before(ring, ring + 4096);
            ASSERT_EQ(CFrameCodec::CheckFrame(ring, 4090, 18), -2) << "byte " << at << " mask " << mask;
            ASSERT_EQ(Bytes(ring, ring + 4096), before) << "a failed frame must not be decoded";
        }
    }
}

TEST(FrameCodecTest, ChecksumBitSevenIsNotCompared)
{
    Bytes wire = Frame(0x07, {0x00, 0x50});
    wire.back() &= 0x7F;
    uint8_t ring[4096] = {};
    Place(ring, 0, wire);
    EXPECT_EQ(CFrameCodec::CheckFrame(ring, 0, 6), 0);
}

TEST(FrameCodecTest, ShortLengths)
{
    EXPECT_EQ(CFrameCodec::CheckFrame(nullptr, 0, 1), -1);  // nothing is read
    EXPECT_EQ(CFrameCodec::CheckFrame(nullptr, 0, 0), -1);
    uint8_t ring[4096] = {};
    // n = 2: only the type byte is summed.
    Place(ring, 4095, {0x07, 0x87});
    EXPECT_EQ(CFrameCodec::CheckFrame(ring, 4095, 2), 0);
    Place(ring, 4095, {0x07, 0x88});
    EXPECT_EQ(CFrameCodec::CheckFrame(ring, 4095, 2), -2);
    // n = 3: the middle byte is not summed and not changed.
    Place(ring, 10, {0x07, 0xAA, 0x87});
    EXPECT_EQ(CFrameCodec::CheckFrame(ring, 10, 3), 0);
    EXPECT_EQ(ring[11], 0xAA);
    // Longer than any frame.
    EXPECT_EQ(CFrameCodec::CheckFrame(ring, 0, 19), -1);
}

TEST(FrameCodecTest, EncodeRefusesBadLengths)
{
    uint8_t buf[24];
    for (int n : {0, 1, 2, 19, 20}) {
        std::memset(buf, 0x33, sizeof buf);
        EXPECT_EQ(CFrameCodec::EncodeFrame(buf, n), 0) << n;
        for (uint8_t b : buf) ASSERT_EQ(b, 0x33);
    }
    std::memset(buf, 0x33, sizeof buf);
    EXPECT_EQ(CFrameCodec::EncodeFrame(buf, 18), 1);
    EXPECT_EQ(buf[18], 0x33);  // nothing beyond the frame
}

TEST(RxRingTest, ResyncDropsOnlyBytesThatCannotStartAFrame)
{
    CRxRing ring;
    const uint8_t lead[] = {0x07, 0x85, 0x90};
    ring.Append(lead, 3);
    EXPECT_EQ(ring.RxResync(), 0);
    EXPECT_EQ(ring.Count(), 3);
    ring.RxConsume(1);
    EXPECT_EQ(ring.RxResync(), 2);
    EXPECT_EQ(ring.Count(), 0);
    EXPECT_EQ(ring.RxResync(), 0);

    const uint8_t tail[] = {0x81, 0x82, 0x11, 0x83};
    ring.Append(tail, 4);
    EXPECT_EQ(ring.RxResync(), 2);
    EXPECT_EQ(ring.Peek(0), 0x11);
    EXPECT_EQ(ring.ReadIndex(), 5);
}

TEST(RxRingTest, ConsumeNeverRemovesMoreThanHeld)
{
    CRxRing ring;
    const uint8_t bytes[] = {1, 2, 3};
    ring.Append(bytes, 3);
    ring.RxConsume(2);
    EXPECT_EQ(ring.Count(), 1);
    EXPECT_EQ(ring.Peek(0), 3);
    ring.RxConsume(10);
    EXPECT_EQ(ring.Count(), 0);
    EXPECT_EQ(ring.ReadIndex(), ring.WriteIndex());
}

TEST(RxRingTest, AppendThatDoesNotFitIsRefusedAndUnreadBytesSurvive)
{
    CRxRing ring;
    Bytes fill(4000);
    for (size_t i = 0; i < fill.size(); ++i) fill[i] = static_cast<uint8_t>(i);
    ASSERT_TRUE(ring.Append(fill.data(), 4000));
    Bytes more(97, 0xAB);
    EXPECT_FALSE(ring.Append(more.data(), 97));
    EXPECT_EQ(ring.RefusedAppends(), 1u);
    EXPECT_EQ(ring.RefusedBytes(), 97u);
    EXPECT_EQ(ring.Count(), 4000);
    EXPECT_TRUE(ring.Append(more.data(), 96));  // exactly full
    EXPECT_EQ(ring.Count(), 4096);
    for (int i = 0; i < 4000; ++i) ASSERT_EQ(ring.Peek(i), static_cast<uint8_t>(i));
    // Writing continues across the end of the buffer once space is freed.
    ring.RxConsume(4000);
    const uint8_t b[] = {9, 8, 7};
    ASSERT_TRUE(ring.Append(b, 3));
    EXPECT_EQ(ring.Peek(96), 9);
    EXPECT_EQ(ring.Peek(98), 7);
    EXPECT_EQ(ring.WriteIndex(), 3);
}
