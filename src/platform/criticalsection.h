// A lock under the name the monitor's code uses. Works with std::lock_guard.
#pragma once

#include <mutex>

class CCriticalSection {
public:
    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }
    void lock() { m_mutex.lock(); }
    void unlock() { m_mutex.unlock(); }
    bool try_lock() { return m_mutex.try_lock(); }

private:
    std::mutex m_mutex;
};

using CSingleLock = std::lock_guard<CCriticalSection>;
