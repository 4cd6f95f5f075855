#include "link/packetparser.h"

#include <algorithm>

#include "core/monitordata.h"
#include "link/commandqueue.h"
#include "link/framecodec.h"
#include "link/rxring.h"

namespace {

uint16_t Word(const uint8_t* d, int first) { return static_cast<uint16_t>((d[first] << 8) | d[first + 1]); }

uint16_t Clamp12(int v) { return static_cast<uint16_t>(std::clamp(v, 0, 4095)); }

}  // namespace

int CPacketParser::FrameLength(uint8_t type)
{
    switch (type) {
    case 0x04: return 6;   // acknowledgement
    case 0x05: return 18;  // ECG samples
    case 0x06: return 6;   // lead status
    case 0x07: return 6;   // heart rate
    case 0x09: return 5;   // PVCs
    case 0x0A: return 6;   // arrhythmia
    case 0x0B: return 8;   // ST
    case 0x0C: return 10;  // ECG pattern
    case 0x10: return 7;   // respiration samples
    case 0x11: return 6;   // respiration rate
    case 0x12: return 7;   // apnoea
    case 0x15: return 9;   // temperature
    case 0x16: return 8;   // pleth samples
    case 0x17: return 8;   // SpO2 and pulse rate
    case 0x30: return 5;   // oxygen concentration
    case 0x31: return 5;   // oxygen probe
    default: return 0;
    }
}

void CPacketParser::ParseRxData(CRxRing& ring, CMonitorData* data, CCommandQueue& queue)
{
    while (ring.Count() > 0) {
        uint8_t type = ring.Peek(0);
        int n = FrameLength(type);
        if (n == 0) {
            ring.RxConsume(1);
            ++m_dwSkippedBytes;
            continue;
        }
        // Every byte after the type has bit 7 set; a frame start inside the window means this
        // frame was cut short, and waiting for the rest would swallow the next frame.
        if (HasFrameStartInside(ring, std::min(n, ring.Count()))) {
            DropBadFrame(ring);
            continue;
        }
        if (ring.Count() < n) return;  // not yet whole: looked at again on the next call
        if (CFrameCodec::CheckFrame(ring.Buffer(), ring.ReadIndex(), n) != 0) {
            DropBadFrame(ring);
            continue;
        }
        uint8_t d[CFrameCodec::kMaxDataBytes];
        for (int k = 0; k < n - 4; ++k) d[k] = ring.Peek(k + 1);
        Deliver(type, d, data, queue);
        ring.RxConsume(n);
        ++m_dwGoodFrames;
    }
}

bool CPacketParser::HasFrameStartInside(const CRxRing& ring, int len)
{
    for (int k = 1; k < len; ++k) {
        if ((ring.Peek(k) & 0x80) == 0) return true;
    }
    return false;
}

void CPacketParser::DropBadFrame(CRxRing& ring)
{
    ring.RxConsume(1);
    m_dwSkippedBytes += 1 + static_cast<uint32_t>(ring.RxResync());
    ++m_dwBadFrames;
}

void CPacketParser::Deliver(uint8_t type, const uint8_t* d, CMonitorData* data, CCommandQueue& queue)
{
    if (type == 0x04) {
        queue.OnAcknowledge(d[0], d[1]);
        return;
    }
    if (data == nullptr) return;
    switch (type) {
    case 0x05: DeliverEcg(d, *data); break;
    case 0x10:
    case 0x16: DeliverWave(type, d, *data); break;
    default: DeliverValue(type, d, *data); break;
    }
}

void CPacketParser::DeliverEcg(const uint8_t* d, CMonitorData& data)
{
    uint16_t samples[21];
    if (DecodeEcgPacket(d, samples)) data.SetEcgBeat(1);
    data.SetEcgWave(samples);
    data.SetEcgRecWave(samples);
}

void CPacketParser::DeliverWave(uint8_t type, const uint8_t* d, CMonitorData& data)
{
    if (type == 0x10) {
        data.SetRespWave(d);
        data.SetRespRecWave(d);
        return;
    }
    data.SetSpo2Status(static_cast<uint8_t>(d[3] & 0x90));
    data.SetSpo2Strength(static_cast<uint8_t>(d[3] & 0x0F));
    data.SetPlethWave(d);
    data.SetPlethRecWave(d);
}

void CPacketParser::DeliverValue(uint8_t type, const uint8_t* d, CMonitorData& data)
{
    switch (type) {
    case 0x06: data.SetEcgLeadOff(d[0], d[1]); break;
    case 0x07: data.SetEcgHr(Word(d, 0)); break;
    case 0x09: data.SetEcgPvcs(d[0]); break;
    case 0x0A: data.SetEcgArra(d[0]); break;
    case 0x0B: data.SetEcgSt(Word(d, 0), Word(d, 2)); break;
    case 0x0C: {
        uint8_t a_stECG_PATTERN[6];
        std::copy(d, d + 6, a_stECG_PATTERN);
        data.SetEcgPattern(a_stECG_PATTERN);
        break;
    }
    case 0x11: data.SetRespRr(Word(d, 0)); break;
    case 0x12: data.SetRespApnea(d[0]); break;
    case 0x15:
        data.SetTempProbeOff(d[0]);
        data.SetTemp(Word(d, 1));
        break;
    case 0x17:
        data.SetSpo2(static_cast<uint16_t>(static_cast<int16_t>(static_cast<int8_t>(d[3]))));
        data.SetSpo2Pr(Word(d, 1));
        break;
    case 0x30: data.SetAirOxy(d[0]); break;
    case 0x31: data.SetAirOxyProbeOff(d[0]); break;
    default: break;
    }
}

bool CPacketParser::DecodeEcgPacket(const uint8_t* d, uint16_t* samples)
{
    // d[0] is the first data byte. Three time points of I, II and V, 12 bits each.
    const int points[3][3] = {
        {d[0] + (d[1] & 0x0F) * 256, d[2] * 16 + (d[1] >> 4), d[3] + (d[4] & 0x0F) * 256},
        {d[5] * 16 + (d[4] >> 4), d[6] + (d[7] & 0x0F) * 256, d[8] * 16 + (d[7] >> 4)},
        {d[9] + (d[10] & 0x0F) * 256, d[11] * 16 + (d[10] >> 4), d[12] + (d[13] & 0x0F) * 256},
    };
    for (int t = 0; t < 3; ++t) DeriveEcgChannels(points[t][0], points[t][1], points[t][2], samples + t * 7);
    return (d[13] & 0x40) != 0;
}

void CPacketParser::DeriveEcgChannels(int leadI, int leadII, int leadV, uint16_t* out)
{
    // Integer division truncates towards zero, as the derivation requires.
    out[0] = Clamp12(leadI);
    out[1] = Clamp12(leadII);
    out[2] = Clamp12(leadII - leadI + 2048);
    out[3] = Clamp12((leadII - 2048) - (leadI - 2048) / 2 + 2048);
    out[4] = Clamp12((leadI - 2048) - (leadII - 2048) / 2 + 2048);
    out[5] = Clamp12(2048 - (leadI + leadII - 4096) / 2);
    out[6] = Clamp12(leadV);
}
