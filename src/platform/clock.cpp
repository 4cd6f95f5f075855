#include "platform/clock.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace {

class SystemClock : public IClock {
public:
    DWORD TickCount() override
    {
        using namespace std::chrono;
        auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        return static_cast<DWORD>(ms);
    }

    void SleepFor(DWORD ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    LocalTime Now() override
    {
        using namespace std::chrono;
        auto now = system_clock::now();
        std::time_t t = system_clock::to_time_t(now);
        std::tm tm{};
        localtime_r(&t, &tm);
        return LocalTimeFrom(tm, static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000));
    }
};

SystemClock g_systemClock;
std::atomic<IClock*> g_clock{&g_systemClock};

}  // namespace

LocalTime LocalTimeFrom(const struct tm& fields, int millisecond)
{
    LocalTime lt;
    lt.year = fields.tm_year + 1900;
    lt.month = fields.tm_mon + 1;
    lt.day = fields.tm_mday;
    lt.hour = fields.tm_hour;
    lt.minute = fields.tm_min;
    lt.second = fields.tm_sec;
    lt.millisecond = millisecond;
    return lt;
}

void SetClock(IClock* clock) { g_clock.store(clock != nullptr ? clock : &g_systemClock); }
IClock& CurrentClock() { return *g_clock.load(); }
DWORD GetTickCount() { return CurrentClock().TickCount(); }
void Sleep(DWORD ms) { CurrentClock().SleepFor(ms); }
LocalTime GetLocalTime() { return CurrentClock().Now(); }
