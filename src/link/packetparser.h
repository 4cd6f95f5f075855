// Empties the receive ring: finds each frame, checks and decodes it, and hands its values and
// samples to the data object's setters, or an acknowledgement to the command queue. Garbage,
// corrupt and truncated frames are skipped and counted; every good frame behind them arrives.
#pragma once

#include <cstdint>

class CMonitorData;
class CCommandQueue;
class CRxRing;

class CPacketParser {
public:
    // The frame length of a packet type, 0 for a type outside the table.
    static int FrameLength(uint8_t type);

    // Handles every whole frame in the ring. A frame not yet whole stays for the next call.
    // With no data object the frames are checked and consumed but their values go nowhere.
    void ParseRxData(CRxRing& ring, CMonitorData* data, CCommandQueue& queue);

    // Derives the seven ECG channels (I, II, III, aVF, aVL, aVR, V) of one time point, each
    // clamped to the 12-bit range.
    static void DeriveEcgChannels(int leadI, int leadII, int leadV, uint16_t* out);
    // Unpacks the 14 data bytes of an ECG packet into 21 samples; returns the beat mark.
    static bool DecodeEcgPacket(const uint8_t* d, uint16_t* samples);

    uint32_t GoodFrames() const { return m_dwGoodFrames; }
    uint32_t BadFrames() const { return m_dwBadFrames; }
    uint32_t SkippedBytes() const { return m_dwSkippedBytes; }

private:
    static bool HasFrameStartInside(const CRxRing& ring, int len);
    void DropBadFrame(CRxRing& ring);
    static void Deliver(uint8_t type, const uint8_t* d, CMonitorData* data, CCommandQueue& queue);
    static void DeliverEcg(const uint8_t* d, CMonitorData& data);
    static void DeliverWave(uint8_t type, const uint8_t* d, CMonitorData& data);
    static void DeliverValue(uint8_t type, const uint8_t* d, CMonitorData& data);

    uint32_t m_dwGoodFrames = 0;
    uint32_t m_dwBadFrames = 0;
    uint32_t m_dwSkippedBytes = 0;
};
