// The drawing thread running for real: input and copies from this (UI) thread while it merges
// and draws. Runs under the thread sanitizer too.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "display/ecgrespspo2trend.h"
#include "display/threaddraw.h"
#include "display/trendpixels.h"
#include "support/waitfor.h"

namespace {

struct Probe {
    std::atomic<int> drawing{0};
    std::atomic<int> copying{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> draws{0};
    std::atomic<int> copies{0};
    std::atomic<int> exited{0};
};

// Records every entry into the picture; each use lasts a few milliseconds, so the other side
// often finds it taken.
class ProbedThreadDraw : public CThreadDraw {
public:
    explicit ProbedThreadDraw(Probe* probe) : m_probe(probe) {}
    int ExitInstance() override
    {
        m_probe->exited = 1;
        return CThreadDraw::ExitInstance();
    }

protected:
    void DrawPicture(int viewMode, int timeScale) override
    {
        Enter(m_probe->drawing, m_probe->copying);
        CThreadDraw::DrawPicture(viewMode, timeScale);
        Leave(m_probe->drawing, m_probe->copying, m_probe->draws);
    }
    void CopyPicture(CDC* pDst) override
    {
        Enter(m_probe->copying, m_probe->drawing);
        CThreadDraw::CopyPicture(pDst);
        Leave(m_probe->copying, m_probe->drawing, m_probe->copies);
    }

private:
    void Enter(std::atomic<int>& mine, std::atomic<int>& other)
    {
        mine = 1;
        if (other.load()) ++m_probe->overlaps;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    void Leave(std::atomic<int>& mine, std::atomic<int>& other, std::atomic<int>& done)
    {
        if (other.load()) ++m_probe->overlaps;
        mine = 0;
        ++done;
    }
    Probe* m_probe;
};

TEST(ThreadDrawThreadTest, OwnerWordKeepsDrawingAndCopyingApart)
{
    Probe probe;
    CThreadHandle handle;
    ProbedThreadDraw* thread = AfxBeginThread<ProbedThreadDraw>(&handle, &probe);
    CECGRespSpo2Trend view(thread);  // creates the surfaces and enables drawing
    ASSERT_TRUE(view.Create(nullptr, CRect(0, 0, 938, 265), 123, WS_VISIBLE | SS_NOTIFY));

    std::vector<BYTE> second(125, 200);
    int skipped = 0;
    auto deadline = std::chrono::steady_clock::now() + kWaitLimit;
    for (int i = 0; std::chrono::steady_clock::now() < deadline; ++i) {
        thread->AddData(second.data(), 125, 15, static_cast<WORD>(60 + i % 100), 98);
        if (i % 7 == 0) thread->SetTimeScale(i % 2);
        if (i % 11 == 0) thread->SetViewMode(i % 2);
        skipped += thread->BlitTo(&view.m_dcMem);
        if (skipped > 0 && probe.draws >= 20 && probe.copies >= 20) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    view.DestroyWindow();
    thread->m_bExit = 1;
    ASSERT_TRUE(handle.Join());

    EXPECT_TRUE(handle.HasEnded());
    EXPECT_EQ(probe.exited.load(), 1);
    EXPECT_EQ(probe.overlaps.load(), 0);
    EXPECT_GE(probe.draws.load(), 20);
    EXPECT_GE(probe.copies.load(), 20);
    EXPECT_GT(skipped, 0);
}

TEST(ThreadDrawThreadTest, IdleThreadEndsWhenAskedAndIsWaitedForThroughItsHandle)
{
    Probe probe;
    CThreadHandle handle;
    ProbedThreadDraw* thread = AfxBeginThread<ProbedThreadDraw>(&handle, &probe);
    std::vector<BYTE> bytes(250, 0);
    thread->AddData(bytes.data(), 250, 15, 60, 98);  // accepted before drawing is enabled
    thread->m_bExit = 1;
    EXPECT_TRUE(handle.WaitFor(5000));
    EXPECT_TRUE(handle.Join());
    EXPECT_EQ(probe.exited.load(), 1);
    EXPECT_EQ(probe.draws.load(), 0);
}

}  // namespace
