// The UI thread's loop: it dispatches messages posted from any thread, fires due timers and
// lets the screen paint windows that were invalidated.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "platform/wnd.h"

class CUiLoop {
public:
    static CUiLoop& Instance();

    // Window registry, used by CWnd.
    void Register(CWnd* wnd);
    void Unregister(CWnd* wnd);
    CWnd* Find(WindowHandle handle) const;  // UI thread only
    // Created windows without a parent, oldest first.
    std::vector<CWnd*> TopLevelWindows() const;

    // Posted messages; Post is safe from any thread and drops nothing while the window lives.
    void Post(WindowHandle target, UINT message, WPARAM wParam, LPARAM lParam);
    // Dispatches every message posted before the call. Returns how many reached a window.
    int DispatchPosted();
    size_t PendingCount() const;

    // Timers on the process clock.
    void SetTimer(CWnd* wnd, UINT id, UINT elapseMs);
    bool KillTimer(CWnd* wnd, UINT id);
    // Fires every timer that is due, each at most once per call. Returns how many fired.
    int FireDueTimers();
    // Milliseconds until the next timer is due (clamped to maxWaitMs).
    DWORD TimeToNextTimer(DWORD maxWaitMs) const;

    // Waits until a message is posted or timeoutMs of real time passed.
    void WaitForMessage(DWORD timeoutMs);

    // Asks the loop that runs the screen to end.
    void PostQuit();
    bool QuitRequested() const;
    void ResetQuit();

private:
    CUiLoop() = default;

    struct Posted {
        WindowHandle target;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    struct Timer {
        WindowHandle target;
        UINT id;
        UINT elapseMs;
        DWORD lastFired;
    };

    mutable std::mutex m_lock;
    std::condition_variable m_posted;
    std::deque<Posted> m_queue;
    bool m_quit = false;
    std::map<WindowHandle, CWnd*> m_windows;  // UI thread only
    std::vector<Timer> m_timers;              // UI thread only
};
