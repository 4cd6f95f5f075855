// Work done on every n-th tick of a periodic loop.
#pragma once

#include <cstdint>

// Counts one tick; true on every n-th. The counter restarts at 0 on each n-th tick, which keeps
// the schedule of a counter tested for multiples of n without ever overflowing, however long
// the loop runs.
inline bool EveryNth(int32_t* counter, int n)
{
    if (++*counter < n) return false;
    *counter = 0;
    return true;
}
