#include "platform/uiloop.h"

#include <algorithm>
#include <chrono>

#include "platform/clock.h"

CUiLoop& CUiLoop::Instance()
{
    static CUiLoop loop;
    return loop;
}

void CUiLoop::Register(CWnd* wnd)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_windows[wnd->GetSafeHwnd()] = wnd;
}

void CUiLoop::Unregister(CWnd* wnd)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_windows.erase(wnd->GetSafeHwnd());
    WindowHandle h = wnd->GetSafeHwnd();
    m_timers.erase(std::remove_if(m_timers.begin(), m_timers.end(),
                                  [h](const Timer& t) { return t.target == h; }),
                   m_timers.end());
}

CWnd* CUiLoop::Find(WindowHandle handle) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_windows.find(handle);
    return it == m_windows.end() ? nullptr : it->second;
}

std::vector<CWnd*> CUiLoop::TopLevelWindows() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<CWnd*> top;
    for (const auto& entry : m_windows) {
        if (entry.second->GetParent() == nullptr) top.push_back(entry.second);
    }
    return top;
}

void CUiLoop::Post(WindowHandle target, UINT message, WPARAM wParam, LPARAM lParam)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_queue.push_back(Posted{target, message, wParam, lParam});
    }
    m_posted.notify_one();
}

int CUiLoop::DispatchPosted()
{
    std::deque<Posted> batch;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        batch.swap(m_queue);
    }
    int delivered = 0;
    for (const Posted& p : batch) {
        CWnd* wnd = Find(p.target);  // a window destroyed meanwhile is simply not found
        if (wnd == nullptr) continue;
        wnd->SendMessage(p.message, p.wParam, p.lParam);
        ++delivered;
    }
    return delivered;
}

size_t CUiLoop::PendingCount() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_queue.size();
}

void CUiLoop::SetTimer(CWnd* wnd, UINT id, UINT elapseMs)
{
    std::lock_guard<std::mutex> guard(m_lock);
    WindowHandle h = wnd->GetSafeHwnd();
    DWORD now = GetTickCount();
    for (Timer& t : m_timers) {
        if (t.target == h && t.id == id) {
            t.elapseMs = elapseMs;
            t.lastFired = now;
            return;
        }
    }
    m_timers.push_back(Timer{h, id, elapseMs, now});
}

bool CUiLoop::KillTimer(CWnd* wnd, UINT id)
{
    std::lock_guard<std::mutex> guard(m_lock);
    WindowHandle h = wnd->GetSafeHwnd();
    auto it = std::find_if(m_timers.begin(), m_timers.end(),
                           [&](const Timer& t) { return t.target == h && t.id == id; });
    if (it == m_timers.end()) return false;
    m_timers.erase(it);
    return true;
}

int CUiLoop::FireDueTimers()
{
    struct Due {
        WindowHandle target;
        UINT id;
    };
    std::vector<Due> due;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        DWORD now = GetTickCount();
        for (Timer& t : m_timers) {
            if (now - t.lastFired >= t.elapseMs) {
                // Keep the period steady; after a long stall, start again from now.
                t.lastFired = (now - t.lastFired >= 2 * t.elapseMs) ? now : t.lastFired + t.elapseMs;
                due.push_back(Due{t.target, t.id});
            }
        }
    }
    int fired = 0;
    for (const Due& d : due) {
        CWnd* wnd = Find(d.target);
        if (wnd == nullptr) continue;
        wnd->OnTimer(d.id);
        ++fired;
    }
    return fired;
}

DWORD CUiLoop::TimeToNextTimer(DWORD maxWaitMs) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    DWORD now = GetTickCount();
    DWORD wait = maxWaitMs;
    for (const Timer& t : m_timers) {
        DWORD elapsed = now - t.lastFired;
        DWORD left = elapsed >= t.elapseMs ? 0 : t.elapseMs - elapsed;
        wait = std::min(wait, left);
    }
    return wait;
}

void CUiLoop::WaitForMessage(DWORD timeoutMs)
{
    std::unique_lock<std::mutex> guard(m_lock);
    m_posted.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                      [this] { return !m_queue.empty() || m_quit; });
}

void CUiLoop::PostQuit()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_quit = true;
    }
    m_posted.notify_all();
}

bool CUiLoop::QuitRequested() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_quit;
}

void CUiLoop::ResetQuit()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_quit = false;
}
