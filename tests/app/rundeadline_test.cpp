// The end of a timed run (--seconds N) on the fake clock, across wraps of the 32-bit tick.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "app/rundeadline.h"
#include "platform/fakeclock.h"

namespace {

// Reads the deadline at most step milliseconds apart over total milliseconds; true when any
// reading said the run was over.
bool PassedWithin(CRunDeadline& deadline, FakeClock& clock, uint64_t total, DWORD step)
{
    bool passed = false;
    for (uint64_t done = 0; done < total;) {
        const DWORD ms = static_cast<DWORD>(std::min<uint64_t>(step, total - done));
        clock.Advance(ms);
        done += ms;
        passed = deadline.Passed(GetTickCount()) || passed;
    }
    return passed;
}

constexpr DWORD kDay = 24 * 3600 * 1000;

TEST(RunDeadlineTest, AnyAcceptedLengthRunsItsSecondsExactly)
{
    // 4,294,968 s is 704 ms past 2^32 ms; 100,000,000 s is the longest run accepted.
    for (int seconds : {1, 4294968, 100000000}) {
        FakeClock clock(0xFFFFF000u);
        CRunDeadline deadline(seconds, GetTickCount());
        EXPECT_FALSE(PassedWithin(deadline, clock, static_cast<uint64_t>(seconds) * 1000 - 1, 30 * kDay)) << seconds;
        clock.Advance(1);
        EXPECT_TRUE(deadline.Passed(GetTickCount())) << seconds;
    }
}

TEST(RunDeadlineTest, ANegativeLengthNeverEnds)
{
    FakeClock clock;
    CRunDeadline deadline(-1, GetTickCount());
    EXPECT_FALSE(PassedWithin(deadline, clock, 200ull * kDay, 30 * kDay));
}

}  // namespace
