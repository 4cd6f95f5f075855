// Feeds arbitrary bytes in arbitrary chunks into the receive ring and the packet parser, then
// checks that a good frame sent after them still arrives.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "link/commandqueue.h"
#include "link/framecodec.h"
#include "link/packetparser.h"
#include "link/rxring.h"
#include "platform/apppaths.h"

namespace {

CMonitorData& Data()
{
    static CMonitorData* data = [] {
        char folder[] = "/tmp/tesmor-link-XXXXXX";  // a scratch folder for the settings file
        if (mkdtemp(folder) != nullptr) SetExeFolder(folder);
        return new CMonitorData();
    }();
    return *data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider in(bytes, size);
    CRxRing ring;
    CCommandQueue queue;
    CPacketParser parser;
    CMonitorData& data = Data();
    while (in.remaining_bytes() > 0) {
        int chunk = in.ConsumeIntegralInRange<int>(1, 5000);
        std::vector<uint8_t> part = in.ConsumeBytes<uint8_t>(static_cast<size_t>(chunk));
        ring.Append(part.data(), static_cast<int>(part.size()));
        if (ring.Count() > CRxRing::kSize) std::abort();
        if (in.ConsumeBool()) parser.ParseRxData(ring, &data, queue);
    }
    parser.ParseRxData(ring, &data, queue);
    if (ring.Count() >= CFrameCodec::kMaxFrameLen) std::abort();  // only a frame still arriving may wait

    uint8_t hr[6] = {0x07, 0x12, 0x34};
    CFrameCodec::EncodeFrame(hr, 6);
    if (!ring.Append(hr, 6)) std::abort();
    parser.ParseRxData(ring, &data, queue);
    uint16_t got = 0;
    data.GetEcgHr(&got);
    if (got != 0x1234 || ring.Count() != 0) std::abort();
    data.SetEcgHr(0);
    return 0;
}
