#include "platform/screen.h"

#include <cstdlib>

#include "platform/clock.h"
#include "platform/dc.h"
#include "platform/pngfile.h"
#include "platform/uiloop.h"

namespace {
CScreen* g_current = nullptr;
}

// The screens that exist form a chain from the oldest to the newest, which is the current one.
CScreen::CScreen(int width, int height)
{
    m_frame.CreateBitmap(width, height);
    m_previous = g_current;
    if (m_previous != nullptr) m_previous->m_next = this;
    g_current = this;
}

// A screen leaves the chain wherever it stands, so no closed screen stays reachable.
CScreen::~CScreen()
{
    if (m_previous != nullptr) m_previous->m_next = m_next;
    if (m_next != nullptr) {
        m_next->m_previous = m_previous;
    } else {
        g_current = m_previous;
    }
}

CScreen* CScreen::Current() { return g_current; }

CRect CScreen::VisibleRect(const CWnd* wnd) const
{
    if (wnd == nullptr || !wnd->IsWindowVisible()) return CRect();
    CRect visible(0, 0, Width(), Height());
    for (const CWnd* w = wnd; w != nullptr; w = w->GetParent()) {
        CRect r;
        if (!r.IntersectRect(visible, w->ScreenRect())) return CRect();
        visible = r;
    }
    return visible;
}

void CScreen::Uncover(const CRect& frameRect) { m_uncovered.Add(frameRect); }

int CScreen::PaintPass()
{
    std::vector<CRect> painted;
    // Where a top-level window was, the frame shows black until the windows there paint again.
    for (const CRect& gone : m_uncovered.Rects()) {
        CDC dc;
        dc.AttachTarget(m_frame, CPoint(0, 0), CRect(0, 0, Width(), Height()));
        dc.FillSolidRect(gone, 0);
        m_changed.Add(dc.WrittenBounds());
        painted.push_back(dc.WrittenBounds());
    }
    m_uncovered.Clear();
    int count = 0;
    for (CWnd* top : CUiLoop::Instance().TopLevelWindows()) count += PaintTree(top, painted, false);
    return count;
}

void CScreen::PaintNow(CWnd* /*wnd*/) { PaintPass(); }

// A window is painted when it is marked or when something painted earlier in the pass (its
// parent, an earlier sibling) wrote over part of it; its children follow, in creation order.
int CScreen::PaintTree(CWnd* wnd, std::vector<CRect>& painted, bool force)
{
    if (!wnd->IsWindowVisible()) return 0;
    CRect visible = VisibleRect(wnd);
    bool covered = force;
    for (size_t i = 0; !covered && i < painted.size(); ++i) {
        CRect overlap;
        covered = overlap.IntersectRect(painted[i], visible);
    }
    bool paint = covered || wnd->NeedsPaint();
    int count = 0;
    if (paint) {
        // Painted because something covered it: all of it is painted again.
        if (covered) wnd->Invalidate();
        wnd->ClearNeedsPaint();
        if (!visible.IsRectEmpty()) {
            // Only what the paint really wrote covers the windows above it: a sweep step that
            // copies a few columns leaves a caption elsewhere on the view untouched.
            const CRect written = PaintOne(wnd, visible);
            if (!written.IsRectEmpty()) painted.push_back(written);
            ++count;
        }
    }
    std::vector<CWnd*> children = wnd->Children();
    for (CWnd* child : children) count += PaintTree(child, painted, false);
    return count;
}

CRect CScreen::PaintOne(CWnd* wnd, const CRect& visible)
{
    CDC dc;
    dc.AttachTarget(m_frame, wnd->ScreenRect().TopLeft(), visible);
    wnd->PaintWith(&dc);
    m_changed.Add(dc.WrittenBounds());
    return dc.WrittenBounds();
}

CWnd* CScreen::HitTest(CWnd* wnd, CPoint framePoint, const CScreen& screen)
{
    if (!screen.VisibleRect(wnd).PtInRect(framePoint)) return nullptr;
    const std::vector<CWnd*>& children = wnd->Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        CWnd* hit = HitTest(*it, framePoint, screen);
        if (hit != nullptr) return hit;
    }
    return wnd->IsClickTransparent() ? nullptr : wnd;
}

CWnd* CScreen::WindowAt(CPoint framePoint) const
{
    std::vector<CWnd*> top = CUiLoop::Instance().TopLevelWindows();
    for (auto it = top.rbegin(); it != top.rend(); ++it) {
        CWnd* hit = HitTest(*it, framePoint, *this);
        if (hit != nullptr) return hit;
    }
    return nullptr;
}

CWnd* CScreen::Click(CPoint framePoint)
{
    CWnd* target = WindowAt(framePoint);
    if (target == nullptr) {
        m_haveLastClick = false;
        return nullptr;
    }
    DWORD now = GetTickCount();
    CRect where = target->ScreenRect();
    CPoint client(framePoint.x - where.left, framePoint.y - where.top);
    bool isDouble = m_haveLastClick && m_lastClickWnd == target->GetSafeHwnd() && now - m_lastClickTick <= kDoubleClickMs &&
                    std::abs(framePoint.x - m_lastClickPoint.x) <= kDoubleClickDistance &&
                    std::abs(framePoint.y - m_lastClickPoint.y) <= kDoubleClickDistance;
    if (isDouble) {
        m_haveLastClick = false;  // a third click starts a new pair
        target->OnLButtonDblClk(MK_LBUTTON, client);
        return target;
    }
    m_haveLastClick = true;
    m_lastClickWnd = target->GetSafeHwnd();
    m_lastClickTick = now;
    m_lastClickPoint = framePoint;
    WindowHandle handle = target->GetSafeHwnd();
    target->OnLButtonDown(MK_LBUTTON, client);
    // The handler may have destroyed the window.
    CWnd* still = CUiLoop::Instance().Find(handle);
    if (still != nullptr) still->OnLButtonUp(0, client);
    return target;
}

bool CScreen::RunOnce(DWORD maxWaitMs)
{
    CUiLoop& loop = CUiLoop::Instance();
    PollInput();
    loop.DispatchPosted();
    loop.FireDueTimers();
    PaintPass();
    Present(m_changed.Rects());
    m_changed.Clear();
    if (loop.QuitRequested()) return false;
    DWORD wait = loop.TimeToNextTimer(maxWaitMs);
    if (wait > 0) loop.WaitForMessage(wait);
    return !loop.QuitRequested();
}

void CScreen::Run()
{
    while (RunOnce(10)) {
    }
}

BOOL CScreen::SavePng(const std::string& path, std::string* reason) const
{
    return CPngFile::Write(m_frame, path, reason) ? TRUE : FALSE;
}
