// The link thread's 4096-byte receive ring. Producers append whole groups of frames at the
// write index; the parser reads at the read index and removes what it has handled. An append
// that does not fit the free space is refused whole and counted, so unread bytes are never
// overwritten.
#pragma once

#include <cstdint>

#include "link/framecodec.h"

class CRxRing {
public:
    static constexpr int kSize = CFrameCodec::kRingSize;

    CRxRing() = default;

    // Appends n bytes; refuses (and counts) an append larger than the free space.
    bool Append(const uint8_t* bytes, int n);
    // Drops bytes from the front while the ring is not empty and the front byte has bit 7
    // set (it cannot start a frame). Returns the number dropped.
    int RxResync();
    // Removes n bytes from the front; never more than the ring holds.
    void RxConsume(int n);

    // The byte `offset` places after the read index.
    uint8_t Peek(int offset) const { return m_byBuf[(m_wRead + offset) & CFrameCodec::kRingMask]; }
    uint8_t* Buffer() { return m_byBuf; }
    int ReadIndex() const { return m_wRead; }
    int WriteIndex() const { return m_wWrite; }
    int Count() const { return m_wCount; }
    int FreeSpace() const { return kSize - m_wCount; }
    uint32_t RefusedAppends() const { return m_dwRefusedAppends; }
    uint32_t RefusedBytes() const { return m_dwRefusedBytes; }

private:
    uint8_t m_byBuf[kSize] = {};
    uint16_t m_wRead = 0;
    uint16_t m_wWrite = 0;
    uint16_t m_wCount = 0;
    uint32_t m_dwRefusedAppends = 0;
    uint32_t m_dwRefusedBytes = 0;
};
