// Helpers shared by the link tests: building wire frames and reading frames back out of a
// receive ring.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "link/framecodec.h"
#include "link/packetparser.h"
#include "link/rxring.h"
#include "platform/apppaths.h"
#include "support/tempfolder.h"

namespace linktest {

using Bytes = std::vector<uint8_t>;

// Bytes of ints, each cut to its low byte (v >> 8 gives a high byte).
inline Bytes Of(std::initializer_list<int> values)
{
    Bytes b;
    for (int v : values) b.push_back(static_cast<uint8_t>(v & 0xFF));
    return b;
}

// The wire frame of a type and raw data bytes.
inline Bytes Frame(uint8_t type, const Bytes& data)
{
    Bytes f(data.size() + 4, 0);
    f[0] = type;
    std::copy(data.begin(), data.end(), f.begin() + 1);
    CFrameCodec::EncodeFrame(f.data(), static_cast<int>(f.size()));
    return f;
}

struct Decoded {
    uint8_t type;
    Bytes data;
};

// Takes every whole frame out of the ring (the ring must hold only good frames).
inline std::vector<Decoded> DrainFrames(CRxRing& ring)
{
    std::vector<Decoded> out;
    while (ring.Count() > 0) {
        uint8_t type = ring.Peek(0);
        int n = CPacketParser::FrameLength(type);
        EXPECT_GT(n, 0) << "unknown type " << int(type);
        EXPECT_GE(ring.Count(), n);
        if (n == 0 || ring.Count() < n) break;
        EXPECT_EQ(CFrameCodec::CheckFrame(ring.Buffer(), ring.ReadIndex(), n), 0);
        Decoded d{type, {}};
        for (int k = 1; k <= n - 4; ++k) d.data.push_back(ring.Peek(k));
        out.push_back(d);
        ring.RxConsume(n);
    }
    return out;
}

// A data object with the application's state reset, its settings file in a scratch folder.
inline std::unique_ptr<CMonitorData> FreshData()
{
    static TempFolder folder;
    theApp.ResetForTests();
    SetExeFolder(folder.Path());
    return std::make_unique<CMonitorData>();
}

// Drains the display rings.
inline std::vector<std::vector<uint16_t>> TakeEcg(CMonitorData& data, int capacity = 4096)
{
    std::vector<std::vector<uint16_t>> ch(7, std::vector<uint16_t>(static_cast<size_t>(capacity)));
    ECG_SHOW_DATA show{};
    show.nCapacity = capacity;
    for (int c = 0; c < 7; ++c) show.pWave[c] = ch[c].data();
    data.GetShowEcg(&show);
    for (auto& v : ch) v.resize(static_cast<size_t>(show.nCount));
    return ch;
}

// Drains a display ring of byte samples into show, which tells its strength too.
template <class Show>
Bytes TakeBytes(CMonitorData& data, int (CMonitorData::*get)(Show*), Show& show, int capacity = 4096)
{
    Bytes buf(static_cast<size_t>(capacity));
    show.nCapacity = capacity;
    show.pWave = buf.data();
    (data.*get)(&show);
    buf.resize(static_cast<size_t>(show.nCount));
    return buf;
}
inline Bytes TakeResp(CMonitorData& data)
{
    RESP_SHOW_DATA show{};
    return TakeBytes(data, &CMonitorData::GetShowResp, show);
}
inline Bytes TakePleth(CMonitorData& data)
{
    OXY_SHOW_DATA show{};
    return TakeBytes(data, &CMonitorData::GetShowSpo2, show);
}

inline uint16_t Hr(CMonitorData& data)
{
    uint16_t hr = 0;
    data.GetEcgHr(&hr);
    return hr;
}

}  // namespace linktest
