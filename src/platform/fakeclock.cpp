#include "platform/fakeclock.h"

#include <ctime>

FakeClock::FakeClock(DWORD startTick) : m_tick(startTick), m_baseTick(startTick)
{
    m_base.year = 2026;
    m_base.month = 12;
    m_base.day = 7;
    m_base.hour = 8;
    SetClock(this);
}

FakeClock::~FakeClock() { SetClock(nullptr); }

void FakeClock::Advance(DWORD ms) { m_tick.fetch_add(ms); }

void FakeClock::SetLocalTime(const LocalTime& lt)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_base = lt;
    m_baseTick = m_tick.load();
}

LocalTime FakeClock::Now()
{
    std::lock_guard<std::mutex> guard(m_lock);
    DWORD elapsed = m_tick.load() - m_baseTick;
    std::tm tm{};
    tm.tm_year = m_base.year - 1900;
    tm.tm_mon = m_base.month - 1;
    tm.tm_mday = m_base.day;
    tm.tm_hour = m_base.hour;
    tm.tm_min = m_base.minute;
    tm.tm_sec = m_base.second;
    long long totalMs = static_cast<long long>(m_base.millisecond) + elapsed;
    tm.tm_sec += static_cast<int>(totalMs / 1000);
    std::time_t t = timegm(&tm);  // normalises the fields without any time zone
    std::tm out{};
    gmtime_r(&t, &out);
    return LocalTimeFrom(out, static_cast<int>(totalMs % 1000));
}
