// Worker threads. A thread object derives from CWinThread and overrides InitInstance, Run and
// ExitInstance. AfxBeginThread builds the object on the caller's thread and runs it on a
// std::thread: InitInstance, then Run when it succeeded (ExitInstance otherwise); Run is
// expected to call ExitInstance itself before it returns. The object then deletes itself.
// The starter keeps a CThreadHandle, which outlives the object, to wait for the end.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/wintypes.h"

class CThreadHandle {
public:
    CThreadHandle() = default;

    // Waits until the thread has ended (its object is deleted by then). Returns false for an
    // empty handle or when called from the thread itself.
    bool Join();
    // Waits at most timeoutMs of real time; true when the thread has ended.
    bool WaitFor(DWORD timeoutMs);
    bool HasEnded() const;
    bool IsEmpty() const { return !m_state; }

    struct State;

private:
    friend class CWinThread;
    explicit CThreadHandle(std::shared_ptr<State> state) : m_state(std::move(state)) {}
    std::shared_ptr<State> m_state;
};

class CWinThread {
public:
    CWinThread() = default;
    virtual ~CWinThread() = default;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int Run() { return ExitInstance(); }
    virtual int ExitInstance() { return 0; }

    // Starts this object on a new thread; the object must have been made with new. Returns a
    // handle that stays valid after the object has deleted itself.
    CThreadHandle Start();

private:
    static void Main(CWinThread* self, std::shared_ptr<CThreadHandle::State> state);
};

// Builds a T with the given arguments on the caller's thread and starts it. The handle, when
// given, receives the join handle. The returned pointer is valid until the thread ends.
template <class T, class... Args>
T* AfxBeginThread(CThreadHandle* handle, Args&&... args)
{
    T* thread = new T(std::forward<Args>(args)...);
    CThreadHandle h = thread->Start();
    if (handle != nullptr) *handle = h;
    return thread;
}
