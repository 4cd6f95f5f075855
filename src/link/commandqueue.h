// Commands to the acquisition front end, sent stop-and-wait: one command at a time, each
// waiting for an acknowledgement that names its letter, with a 500 ms time-out and series of
// up to three retransmissions. Builders on the UI thread push frames into a 64-slot queue; the
// link thread advances it once per pass.
#pragma once

#include <cstdint>

#include "platform/criticalsection.h"
#include "platform/wintypes.h"

class CCommandQueue {
public:
    static constexpr int kSlots = 64;
    static constexpr int kSlotBytes = 40;
    static constexpr int kFrameBytes = 64;
    static constexpr DWORD kAckTimeoutMs = 500;
    static constexpr int kMaxRetries = 3;

    // SendCmdStep's status values.
    static constexpr int kStatusNewFrame = 1;
    static constexpr int kStatusResend = 238;
    static constexpr int kStatusGaveUp = 255;

    // PushSendCmd's results.
    static constexpr int kPushOk = 0;
    static constexpr int kPushFull = 1;
    static constexpr int kPushBadLength = 2;

    CCommandQueue() = default;

    // Queues a frame (UI thread). Refuses it when 64 wait or when it does not fit a slot.
    int PushSendCmd(const uint8_t* frame, uint8_t letter, int length);
    // The stop-and-wait step (link thread); writes *status only when it changes something.
    int SendCmdStep(int* status);
    // An acknowledgement packet arrived (link thread): status 0 or 5 for the awaited letter
    // acknowledges the current frame.
    void OnAcknowledge(uint8_t letter, uint8_t status);
    // Called by a transmit step once the whole current frame is on the wire: the queue then
    // waits for its acknowledgement.
    void FrameSent();

    // Snapshots for the link thread and for inspection.
    int Count();
    struct Slot {
        uint8_t byFrame[kSlotBytes];
        uint16_t wLength;
        uint8_t byLetter;
    };
    // The queued command `index` places behind the head (0 = next to send).
    bool PeekQueued(int index, Slot* out);

    // The current frame and its flags; read and written on the link thread only.
    const uint8_t* CurFrame() const { return m_byCurFrame; }
    int CurLength() const { return m_byCurLength; }
    uint8_t AwaitedLetter() const { return m_byAwaitedLetter; }
    int RetryCount() const { return m_byRetry; }
    bool Acknowledged() const { return m_byAcked != 0; }
    bool Ready() const { return m_byReady != 0; }
    int SendIndex() const { return m_bySendIndex; }

private:
    void TakeHead(DWORD now);

    CCriticalSection m_csQueue;
    Slot m_slots[kSlots] = {};
    int m_nHead = 0;
    int m_nTail = 0;
    int m_nCount = 0;
    DWORD m_dwLastSend = 0;

    uint8_t m_byCurFrame[kFrameBytes] = {};
    uint8_t m_byCurLength = 0;
    uint8_t m_byAwaitedLetter = 0;
    uint8_t m_bySendIndex = 0;
    uint8_t m_byRetry = 0;
    uint8_t m_byAcked = 1;
    uint8_t m_byReady = 1;
};
