// The end of a timed run. The 32-bit tick count wraps every 49.7 days, far shorter than the
// longest run that may be asked for, so the time run so far is kept in 64-bit milliseconds:
// each reading adds the unsigned difference since the reading before, which stays right as
// long as the deadline is asked at least once every 49 days.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

class CRunDeadline {
public:
    // seconds: the length of the run; negative: the run has no end.
    CRunDeadline(int seconds, DWORD startTick);

    // True once the run has lasted its seconds at the tick now.
    bool Passed(DWORD now);

private:
    int64_t m_i64LimitMs;  // negative: no end
    uint64_t m_u64ElapsedMs = 0;
    DWORD m_dwLastTick;
};
