#include "link/rxring.h"

bool CRxRing::Append(const uint8_t* bytes, int n)
{
    if (n <= 0) return true;
    if (n > FreeSpace()) {
        ++m_dwRefusedAppends;
        m_dwRefusedBytes += static_cast<uint32_t>(n);
        return false;
    }
    for (int i = 0; i < n; ++i) {
        m_byBuf[m_wWrite] = bytes[i];
        m_wWrite = static_cast<uint16_t>((m_wWrite + 1) & CFrameCodec::kRingMask);
    }
    m_wCount = static_cast<uint16_t>(m_wCount + n);
    return true;
}

int CRxRing::RxResync()
{
    int dropped = 0;
    while (m_wCount > 0 && (m_byBuf[m_wRead] & 0x80) != 0) {
        m_wRead = static_cast<uint16_t>((m_wRead + 1) & CFrameCodec::kRingMask);
        --m_wCount;
        ++dropped;
    }
    return dropped;
}

void CRxRing::RxConsume(int n)
{
    if (n <= 0) return;
    if (n > m_wCount) n = m_wCount;
    m_wRead = static_cast<uint16_t>((m_wRead + n) & CFrameCodec::kRingMask);
    m_wCount = static_cast<uint16_t>(m_wCount - n);
}
