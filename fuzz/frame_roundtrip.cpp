// Encodes a random type and data at a random ring offset, checks and decodes it, compares; then
// corrupts one byte and checks that the frame is refused and the ring left as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "link/framecodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider in(bytes, size);
    uint8_t type = in.ConsumeIntegral<uint8_t>() & 0x7F;
    int count = in.ConsumeIntegralInRange<int>(0, CFrameCodec::kMaxDataBytes);
    int position = in.ConsumeIntegralInRange<int>(0, CFrameCodec::kRingMask);
    std::vector<uint8_t> data = in.ConsumeBytes<uint8_t>(static_cast<size_t>(count));
    data.resize(static_cast<size_t>(count), 0);
    int n = count + 4;

    uint8_t frame[CFrameCodec::kMaxFrameLen];
    frame[0] = type;
    if (count > 0) std::memcpy(frame + 1, data.data(), data.size());
    if (CFrameCodec::EncodeFrame(frame, n) != 1) std::abort();
    if (frame[0] != type) std::abort();
    for (int i = 1; i < n; ++i)
        if ((frame[i] & 0x80) == 0) std::abort();

    static uint8_t ring[CFrameCodec::kRingSize];
    for (int i = 0; i < n; ++i) ring[(position + i) & CFrameCodec::kRingMask] = frame[i];
    if (CFrameCodec::CheckFrame(ring, position, n) != 0) std::abort();
    for (int k = 0; k < count; ++k)
        if (ring[(position + 1 + k) & CFrameCodec::kRingMask] != data[static_cast<size_t>(k)]) std::abort();

    int at = in.ConsumeIntegralInRange<int>(0, n - 1);
    uint8_t mask = static_cast<uint8_t>(in.ConsumeIntegralInRange<int>(1, 0x7F));
    for (int i = 0; i < n; ++i) ring[(position + i) & CFrameCodec::kRingMask] = frame[i];
    ring[(position + at) & CFrameCodec::kRingMask] ^= mask;
    std::vector<uint8_t> before(ring, ring + CFrameCodec::kRingSize);
    if (CFrameCodec::CheckFrame(ring, position, n) != -2) std::abort();
    if (std::memcmp(before.data(), ring, CFrameCodec::kRingSize) != 0) std::abort();
    return 0;
}
