// The builders and evaluation on the UI thread while the link thread appends samples and stores
// values: under the thread sanitizer no access may race.
#include <atomic>
#include <thread>

#include "alarmfixture.h"

namespace {

class AlarmBuildersThreadTest : public AlarmFixture {};

TEST_F(AlarmBuildersThreadTest, BuildersReadTheRingsWhileTheLinkAppends)
{
    std::atomic<bool> done{false};
    // Stays short of one ring length, so the writer never comes round to the windows read.
    constexpr int kAppends = 12000;
    std::thread link([&] {
        uint16_t ecg[21];
        uint8_t bytes[3] = {1, 2, 3};
        for (int i = 0; i < kAppends; ++i) {
            for (int k = 0; k < 21; ++k) ecg[k] = static_cast<uint16_t>(i + k);
            data->SetEcgRecWave(ecg);
            data->SetRespRecWave(bytes);
            data->SetPlethRecWave(bytes);
            data->SetEcgHr(static_cast<uint16_t>(i % 2 == 0 ? 130 : 80));
            data->SetSpo2Status(static_cast<uint8_t>(i % 3 == 0 ? 0x90 : 0));
        }
        done = true;
    });
    while (!done) {
        data->CheckAlm();
        data->BuildAlmRec();
        data->TakeNewAlm();
        data->BuildDataRec();
    }
    link.join();
    for (int i = 0; i < 40; ++i) data->BuildDataRec();
    CSingleLock guard(data->m_csEcgRec);
    EXPECT_LE(data->m_ringEcgRec.CountLocked(), 1000u);  // every full record was taken
}

}  // namespace
