#include "app/rundeadline.h"

CRunDeadline::CRunDeadline(int seconds, DWORD startTick)
    : m_i64LimitMs(seconds < 0 ? -1 : static_cast<int64_t>(seconds) * 1000), m_dwLastTick(startTick)
{
}

bool CRunDeadline::Passed(DWORD now)
{
    if (m_i64LimitMs < 0) return false;
    m_u64ElapsedMs += static_cast<DWORD>(now - m_dwLastTick);
    m_dwLastTick = now;
    return m_u64ElapsedMs >= static_cast<uint64_t>(m_i64LimitMs);
}
