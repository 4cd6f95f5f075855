// Time for the monitor: a 32-bit millisecond tick, sleeping, and the local date and time,
// all behind one clock seam so that tests can run start-up phases and retries on a fake clock.
#pragma once

#include "platform/wintypes.h"

struct LocalTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

struct tm;
// The calendar fields of a broken-down time with the given milliseconds.
LocalTime LocalTimeFrom(const struct tm& fields, int millisecond);

class IClock {
public:
    virtual ~IClock() = default;
    virtual DWORD TickCount() = 0;
    virtual void SleepFor(DWORD ms) = 0;
    virtual LocalTime Now() = 0;
};

// Milliseconds since an arbitrary start, wrapping at 2^32; compare by unsigned difference.
DWORD GetTickCount();
// Suspends the calling thread (on the fake clock: advances it and returns at once).
void Sleep(DWORD ms);
// The current local date and time.
LocalTime GetLocalTime();

// Replaces the clock of the whole process; nullptr restores the system clock.
// Tests install a FakeClock before they start the code under test.
void SetClock(IClock* clock);
IClock& CurrentClock();
