// Copies a window of samples out of a wave ring without draining it: count samples of one
// channel, starting `back` positions before `end` and moving forward, all positions taken with
// a true (non-negative) modulo of the ring length.
#pragma once

#include <cstdint>

template <typename Ring, typename T>
void CopyRingWindow(const Ring& ring, int channel, uint32_t end, uint32_t back, int count, T* dst)
{
    const uint32_t cap = Ring::kCapacity;
    uint32_t pos = (end % cap + cap - back % cap) % cap;
    for (int i = 0; i < count; ++i) {
        dst[i] = ring.Sample(channel, pos);
        pos = pos + 1 == cap ? 0 : pos + 1;
    }
}
