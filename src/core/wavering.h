// A wave ring: fixed channel buffers of 49152 samples, one writer (the link thread) appending
// three time points per call and one draining reader (the UI thread). The fill count, changed
// only under the owning data block's lock, publishes the samples written before it and never
// passes the capacity, whatever counts the reader drains.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/criticalsection.h"

template <typename T, int Channels>
class CWaveRing {
public:
    static constexpr uint32_t kCapacity = 49152;
    static constexpr int kChannels = Channels;

    CWaveRing() : m_samples(static_cast<size_t>(Channels) * kCapacity, T(0)) {}

    // Appends three time points (samples[t * Channels + c]). While the ring has room for them
    // the three slots ahead of the write index are outside what the reader may copy, so the
    // samples are stored before the lock is taken. A ring without that room drops its oldest
    // unread samples under the lock first (the reader then resumes at the oldest one kept) and
    // stores the new samples while still holding it, never while the reader copies.
    void Append3(const T* samples, CCriticalSection& lock)
    {
        const bool room = m_count.load(std::memory_order_acquire) <= kCapacity - 3;
        if (room) Store3(samples);
        CSingleLock guard(lock);
        if (!room) {
            DropOldestLocked();
            Store3(samples);
        }
        m_writeIndex.store((m_writeIndex.load(std::memory_order_relaxed) + 3) % kCapacity, std::memory_order_release);
        m_count.store(m_count.load(std::memory_order_relaxed) + 3, std::memory_order_release);
    }

    // Copies up to capacity time points into out[c][i] and drains them. The caller holds the
    // block's lock. Returns the number copied per channel.
    int TakeLocked(T* const* out, int capacity)
    {
        const uint32_t count = m_count.load(std::memory_order_relaxed);
        int n = static_cast<int>(std::min<uint32_t>(count, capacity < 0 ? 0u : static_cast<uint32_t>(capacity)));
        for (int c = 0; c < Channels; ++c) {
            if (out[c] == nullptr) continue;
            for (int i = 0; i < n; ++i) out[c][i] = At(c, (m_readIndex + static_cast<uint32_t>(i)) % kCapacity);
        }
        m_readIndex = (m_readIndex + static_cast<uint32_t>(n)) % kCapacity;
        // Released after the copy: a writer that sees the lower count may reuse those slots.
        m_count.store(count - static_cast<uint32_t>(n), std::memory_order_release);
        return n;
    }

    // Raw access for the record builders on the UI thread.
    uint32_t WriteIndex() const { return m_writeIndex.load(std::memory_order_acquire); }
    uint32_t ReadIndexLocked() const { return m_readIndex; }
    uint32_t CountLocked() const { return m_count.load(std::memory_order_relaxed); }
    const T& Sample(int channel, uint32_t index) const { return m_samples[static_cast<size_t>(channel) * kCapacity + index % kCapacity]; }

private:
    T& At(int channel, uint32_t index) { return m_samples[static_cast<size_t>(channel) * kCapacity + index]; }

    // Stores three time points at the write index; only the writer calls it.
    void Store3(const T* samples)
    {
        uint32_t w = m_writeIndex.load(std::memory_order_relaxed);
        for (int t = 0; t < 3; ++t) {
            for (int c = 0; c < Channels; ++c) At(c, w) = samples[t * Channels + c];
            w = w + 1 == kCapacity ? 0 : w + 1;
        }
    }

    // Moves the read index past as many of the oldest unread samples as three new ones need.
    void DropOldestLocked()
    {
        const uint32_t count = m_count.load(std::memory_order_relaxed);
        const uint32_t drop = count + 3 > kCapacity ? count + 3 - kCapacity : 0;
        m_readIndex = (m_readIndex + drop) % kCapacity;
        m_count.store(count - drop, std::memory_order_relaxed);
    }

    std::vector<T> m_samples;
    std::atomic<uint32_t> m_writeIndex{0};
    uint32_t m_readIndex = 0;
    std::atomic<uint32_t> m_count{0};
};
