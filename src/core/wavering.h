// A wave ring: fixed channel buffers of 49152 samples, one writer (the link thread) appending
// three time points per call and one draining reader (the UI thread). The fill count, changed
// only under the owning data block's lock, publishes the samples written before it.
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

    // Appends three time points (samples[t * Channels + c]). The samples and the write index
    // are stored without the lock; the count is raised under it. A full ring keeps its count
    // and overwrites the oldest samples; the reader then resumes at the oldest kept sample.
    void Append3(const T* samples, CCriticalSection& lock)
    {
        uint32_t w = m_writeIndex.load(std::memory_order_relaxed);
        for (int t = 0; t < 3; ++t) {
            for (int c = 0; c < Channels; ++c) At(c, w) = samples[t * Channels + c];
            w = (w + 1) % kCapacity;
        }
        CSingleLock guard(lock);
        m_writeIndex.store(w, std::memory_order_release);
        if (m_count < kCapacity) {
            m_count += 3;
        } else {
            m_overrun = true;
        }
    }

    // Copies up to capacity time points into out[c][i] and drains them. The caller holds the
    // block's lock. Returns the number copied per channel.
    int TakeLocked(T* const* out, int capacity)
    {
        if (m_overrun) {
            // The writer went past the reader: deliver the newest full ring in time order.
            m_readIndex = (m_writeIndex.load(std::memory_order_acquire) + kCapacity - m_count) % kCapacity;
            m_overrun = false;
        }
        int n = static_cast<int>(std::min<uint32_t>(m_count, capacity < 0 ? 0u : static_cast<uint32_t>(capacity)));
        for (int c = 0; c < Channels; ++c) {
            if (out[c] == nullptr) continue;
            for (int i = 0; i < n; ++i) out[c][i] = At(c, (m_readIndex + static_cast<uint32_t>(i)) % kCapacity);
        }
        m_count -= static_cast<uint32_t>(n);
        m_readIndex = (m_readIndex + static_cast<uint32_t>(n)) % kCapacity;
        return n;
    }

    // Raw access for the record builders on the UI thread.
    uint32_t WriteIndex() const { return m_writeIndex.load(std::memory_order_acquire); }
    uint32_t ReadIndexLocked() const { return m_readIndex; }
    uint32_t CountLocked() const { return m_count; }
    const T& Sample(int channel, uint32_t index) const { return m_samples[static_cast<size_t>(channel) * kCapacity + index % kCapacity]; }

private:
    T& At(int channel, uint32_t index) { return m_samples[static_cast<size_t>(channel) * kCapacity + index]; }

    std::vector<T> m_samples;
    std::atomic<uint32_t> m_writeIndex{0};
    uint32_t m_readIndex = 0;
    uint32_t m_count = 0;
    bool m_overrun = false;
};
