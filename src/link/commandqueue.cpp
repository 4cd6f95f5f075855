#include "link/commandqueue.h"

#include <cstring>

#include "platform/clock.h"

int CCommandQueue::PushSendCmd(const uint8_t* frame, uint8_t letter, int length)
{
    if (frame == nullptr || length <= 0 || length > kSlotBytes) return kPushBadLength;
    CSingleLock guard(m_csQueue);
    if (m_nCount >= kSlots) return kPushFull;
    Slot& slot = m_slots[m_nTail];
    std::memcpy(slot.byFrame, frame, static_cast<size_t>(length));
    slot.wLength = static_cast<uint16_t>(length);
    slot.byLetter = letter;
    m_nTail = (m_nTail + 1) % kSlots;
    ++m_nCount;
    return kPushOk;
}

int CCommandQueue::SendCmdStep(int* status)
{
    DWORD now = GetTickCount();
    CSingleLock guard(m_csQueue);
    if (m_byReady != 1) return 0;
    if (m_byAcked != 0) {
        m_byRetry = 0;
        if (m_nCount > 0) {
            TakeHead(now);
            *status = kStatusNewFrame;
        }
        return 0;
    }
    if (now - m_dwLastSend < kAckTimeoutMs) return 0;
    if (m_byRetry < kMaxRetries) {
        m_dwLastSend = now;
        ++m_byRetry;
        m_byReady = 0;
        m_bySendIndex = 0;
        *status = kStatusResend;
    } else {
        // The next step starts a new series at once: the last-send time is not renewed.
        *status = kStatusGaveUp;
        m_byRetry = 0;
    }
    return 0;
}

void CCommandQueue::TakeHead(DWORD now)
{
    const Slot& slot = m_slots[m_nHead];
    m_dwLastSend = now;
    std::memcpy(m_byCurFrame, slot.byFrame, slot.wLength);
    m_byCurLength = static_cast<uint8_t>(slot.wLength);
    m_byAwaitedLetter = slot.byLetter;
    m_bySendIndex = 0;
    m_byReady = 0;
    m_byRetry = 0;
    m_byAcked = 0;
    --m_nCount;
    m_nHead = (m_nHead + 1) % kSlots;
}

void CCommandQueue::OnAcknowledge(uint8_t letter, uint8_t status)
{
    if (letter == m_byAwaitedLetter && (status == 0 || status == 5)) m_byAcked = 1;
}

void CCommandQueue::FrameSent()
{
    CSingleLock guard(m_csQueue);
    m_byReady = 1;
}

int CCommandQueue::Count()
{
    CSingleLock guard(m_csQueue);
    return m_nCount;
}

bool CCommandQueue::PeekQueued(int index, Slot* out)
{
    CSingleLock guard(m_csQueue);
    if (index < 0 || index >= m_nCount) return false;
    *out = m_slots[(m_nHead + index) % kSlots];
    return true;
}
