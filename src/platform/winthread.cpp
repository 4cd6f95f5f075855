#include "platform/winthread.h"

#include <chrono>

struct CThreadHandle::State {
    std::thread thread;
    std::mutex lock;
    std::condition_variable ended;
    bool hasEnded = false;

    ~State()
    {
        if (!thread.joinable()) return;
        if (thread.get_id() == std::this_thread::get_id()) {
            thread.detach();  // the last reference went away on the thread itself
        } else {
            thread.join();
        }
    }
};

bool CThreadHandle::Join()
{
    if (!m_state) return false;
    if (m_state->thread.get_id() == std::this_thread::get_id()) return false;
    std::unique_lock<std::mutex> guard(m_state->lock);
    m_state->ended.wait(guard, [this] { return m_state->hasEnded; });
    guard.unlock();
    if (m_state->thread.joinable()) m_state->thread.join();
    return true;
}

bool CThreadHandle::WaitFor(DWORD timeoutMs)
{
    if (!m_state) return false;
    std::unique_lock<std::mutex> guard(m_state->lock);
    return m_state->ended.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                   [this] { return m_state->hasEnded; });
}

bool CThreadHandle::HasEnded() const
{
    if (!m_state) return true;
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->hasEnded;
}

CThreadHandle CWinThread::Start()
{
    auto state = std::make_shared<CThreadHandle::State>();
    // Hold the state's lock while the thread starts so that it cannot finish (and drop its
    // reference) before the std::thread object has been stored.
    std::lock_guard<std::mutex> guard(state->lock);
    state->thread = std::thread(&CWinThread::Main, this, state);
    return CThreadHandle(state);
}

void CWinThread::Main(CWinThread* self, std::shared_ptr<CThreadHandle::State> state)
{
    { std::lock_guard<std::mutex> wait(state->lock); }
    if (self->InitInstance()) {
        self->Run();
    } else {
        self->ExitInstance();
    }
    delete self;
    {
        std::lock_guard<std::mutex> guard(state->lock);
        state->hasEnded = true;
    }
    state->ended.notify_all();
}
