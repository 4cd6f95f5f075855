// The wave ring alone: one writer appending three time points per call, one reader draining
// under the owning block's lock.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "core/wavering.h"
#include "support/waitfor.h"

namespace {

// One channel whose samples are their own time points.
using Ring = CWaveRing<uint32_t, 1>;
constexpr uint32_t kCap = Ring::kCapacity;

void Append(Ring& ring, CCriticalSection& lock, uint32_t first)
{
    const uint32_t samples[3] = {first, first + 1, first + 2};
    ring.Append3(samples, lock);
}

int Take(Ring& ring, CCriticalSection& lock, std::vector<uint32_t>& out, int most)
{
    uint32_t* channels[1] = {out.data()};
    CSingleLock guard(lock);
    return ring.TakeLocked(channels, most);
}

// A full ring drained by one or two samples has no room for three more: the oldest unread give
// way, the count stays at capacity and what is kept runs on to the newest.
TEST(WaveRingTest, FullRingDrainedByOneOrTwoDropsItsOldestForThreeNew)
{
    for (int drained : {1, 2}) {
        auto ring = std::make_unique<Ring>();
        CCriticalSection lock;
        for (uint32_t t = 0; t < kCap; t += 3) Append(*ring, lock, t);
        std::vector<uint32_t> out(kCap + 3);
        ASSERT_EQ(Take(*ring, lock, out, drained), drained);
        Append(*ring, lock, kCap);
        EXPECT_EQ(ring->CountLocked(), kCap) << "drained " << drained;
        ASSERT_EQ(Take(*ring, lock, out, static_cast<int>(kCap) + 3), static_cast<int>(kCap)) << "drained " << drained;
        uint32_t wrong = 0;
        for (uint32_t i = 0; i < kCap; ++i) wrong += out[i] != 3 + i;
        EXPECT_EQ(wrong, 0u) << "drained " << drained;
    }
}

// A writer keeps a full ring full while a slow reader drains 1 to 3 samples at a time, storing
// outside the lock whenever room was left, so the thread sanitizer sees whether the count orders
// the reader's copy before the slots' reuse. Reads only move forward; the count never passes capacity.
TEST(WaveRingThreadTest, SlowReaderOfAFullRingTakesItsSamplesInOrder)
{
    auto ring = std::make_unique<Ring>();
    CCriticalSection lock;
    std::atomic<uint32_t> written{0};
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (uint32_t t = 0; !stop.load(); t += 3) {
            Append(*ring, lock, t);
            written.store(t + 3);
        }
    });
    const bool filled = WaitFor([&] { return written.load() >= kCap; }, std::chrono::milliseconds(1));
    std::vector<uint32_t> out(3);
    uint32_t next = 0;
    bool inOrder = true;
    uint32_t maxCount = 0;
    // Until the writer has lapped the ring once more, however the two threads are scheduled.
    for (int i = 0; filled && next < 2 * kCap; ++i) {
        const int n = Take(*ring, lock, out, 1 + i % 3);
        for (int k = 0; k < n; ++k) {
            inOrder = inOrder && (k == 0 ? out[0] >= next : out[k] == next);
            next = out[k] + 1;
        }
        {
            CSingleLock guard(lock);
            maxCount = std::max(maxCount, ring->CountLocked());
        }
        std::this_thread::yield();
    }
    stop.store(true);
    writer.join();
    EXPECT_TRUE(filled);
    EXPECT_TRUE(inOrder);
    EXPECT_LE(maxCount, kCap);
}

}  // namespace
