#include "link/framecodec.h"

int CFrameCodec::EncodeFrame(uint8_t* buffer, int n)
{
    if (n < 3 || n > kMaxFrameLen) return 0;
    uint8_t sum = buffer[0];
    uint16_t highBits = 0;
    // The last data byte first: each moves two places on, so none is overwritten unread,
    // and the first data byte's bit 7 ends in bit 0 of the high-bit word.
    for (int i = n - 2; i >= 3; --i) {
        highBits = static_cast<uint16_t>(highBits << 1);
        highBits |= (buffer[i - 2] >> 7) & 1;
        buffer[i] = static_cast<uint8_t>(buffer[i - 2] | 0x80);
        sum = static_cast<uint8_t>(sum + buffer[i]);
    }
    buffer[1] = static_cast<uint8_t>(0x80 | ((highBits & 0x3F80) >> 7));
    buffer[2] = static_cast<uint8_t>(0x80 | (highBits & 0x7F));
    sum = static_cast<uint8_t>(sum + buffer[1] + buffer[2]);
    buffer[n - 1] = static_cast<uint8_t>(sum | 0x80);
    return 1;
}

int CFrameCodec::CheckFrame(uint8_t* ring, int position, int n)
{
    if (n < 2 || n > kMaxFrameLen) return -1;
    position &= kRingMask;
    uint8_t expected = ring[(position + n - 1) & kRingMask];
    if (((FrameSum(ring, position, n) ^ expected) & 0x7F) != 0) return -2;
    DecodeInPlace(ring, position, n);
    return 0;
}

// The 8-bit sum of the type byte, the two high-bit bytes and the data bytes as received.
// Frames of two or three bytes carry no high-bit bytes: only the type byte counts.
uint8_t CFrameCodec::FrameSum(const uint8_t* ring, int position, int n)
{
    uint8_t sum = ring[position];
    if (n <= 3) return sum;
    for (int k = 1; k <= n - 2; ++k) sum = static_cast<uint8_t>(sum + ring[(position + k) & kRingMask]);
    return sum;
}

// Moves each data byte two places towards the type byte, over bytes already read, and gives
// it back its bit 7 from the high-bit word.
void CFrameCodec::DecodeInPlace(uint8_t* ring, int position, int n)
{
    if (n <= 3) return;
    unsigned highBits = ((ring[(position + 1) & kRingMask] & 0x7Fu) << 7) | (ring[(position + 2) & kRingMask] & 0x7Fu);
    for (int k = 1; k <= n - 4; ++k) {
        uint8_t c = ring[(position + k + 2) & kRingMask];
        ring[(position + k) & kRingMask] = static_cast<uint8_t>((c & 0x7F) | ((highBits & 1) << 7));
        highBits >>= 1;
    }
}
