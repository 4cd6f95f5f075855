// The device-link frame: a type byte with bit 7 clear, two bytes carrying bit 7 of each data
// byte, the data bytes with bit 7 set, and a 7-bit checksum with bit 7 set. Because only the
// first byte of a frame has bit 7 clear, a receiver can find frame starts in a byte stream.
#pragma once

#include <cstdint>

class CFrameCodec {
public:
    static constexpr int kRingSize = 4096;
    static constexpr int kRingMask = kRingSize - 1;
    static constexpr int kMaxDataBytes = 14;
    static constexpr int kMaxFrameLen = kMaxDataBytes + 4;

    // Turns buffer[0] (the type) and the raw data bytes buffer[1 .. n-4] into the wire frame of
    // n bytes, in place. Returns 0 and writes nothing when n < 3 or when the frame would carry
    // more than 14 data bytes; else 1.
    static int EncodeFrame(uint8_t* buffer, int n);

    // Checks the frame of length n whose type byte is at `position` of the 4096-byte receive
    // ring (wrapping at its end). Only a frame whose checksum matches is decoded in place:
    // data byte k (k = 1 for the first) then stands at (position + k) & 0x0FFF. A frame that
    // fails leaves every ring byte as it was. Returns -1 when n < 2 or n is longer than any
    // frame, -2 on a checksum mismatch, 0 on success.
    static int CheckFrame(uint8_t* ring, int position, int n);

private:
    static uint8_t FrameSum(const uint8_t* ring, int position, int n);
    static void DecodeInPlace(uint8_t* ring, int position, int n);
};
