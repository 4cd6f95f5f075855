// A clock for tests: time stands still until Advance or Sleep moves it. Installs itself as
// the process clock while it lives.
#pragma once

#include <atomic>
#include <mutex>

#include "platform/clock.h"

class FakeClock : public IClock {
public:
    explicit FakeClock(DWORD startTick = 1000);
    ~FakeClock() override;
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    DWORD TickCount() override { return m_tick.load(); }
    // Sleeping on the fake clock advances it by the time asked for and returns at once.
    void SleepFor(DWORD ms) override { Advance(ms); }
    LocalTime Now() override;

    void Advance(DWORD ms);
    void SetTick(DWORD tick) { m_tick.store(tick); }
    // The local time at the current tick; it moves forward with Advance.
    void SetLocalTime(const LocalTime& lt);

private:
    std::atomic<DWORD> m_tick;
    std::mutex m_lock;
    LocalTime m_base;
    DWORD m_baseTick;
};
