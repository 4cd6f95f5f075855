// A screen: the UI loop's output. It composes every visible window into one 32-bit frame
// (children over their parent, in creation order; hidden windows and their children never
// painted), takes clicks at frame positions and turns two clicks within 500 ms and 4 pixels
// into a double click. Backends show the frame; any screen writes it as a PNG.
#pragma once

#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/changedrects.h"
#include "platform/geometry.h"
#include "platform/wnd.h"

class CScreen {
public:
    static constexpr DWORD kDoubleClickMs = 500;
    static constexpr int kDoubleClickDistance = 4;

    CScreen(int width, int height);
    virtual ~CScreen();
    CScreen(const CScreen&) = delete;
    CScreen& operator=(const CScreen&) = delete;

    // The screen windows paint on (the latest created that still exists; null when none).
    static CScreen* Current();

    const CBitmap& Frame() const { return m_frame; }
    int Width() const { return m_frame.Width(); }
    int Height() const { return m_frame.Height(); }

    // Paints every visible window that is marked, and whatever covers it. Returns the number
    // of windows painted.
    int PaintPass();
    // Paints one window (and what lies over it) now.
    void PaintNow(CWnd* wnd);
    // A top-level window left this frame rectangle (destroyed, hidden or moved): the next paint
    // pass clears it and paints again every window that shows there.
    void Uncover(const CRect& frameRect);

    // A left click at a frame position: finds the window under it and delivers the button
    // down/up or, for the second of two close clicks, the double click. Returns the window
    // that received it (null when none).
    CWnd* Click(CPoint framePoint);
    // The window a click at the position reaches.
    CWnd* WindowAt(CPoint framePoint) const;

    // One round of the UI loop: posted messages, due timers, paints, then Present and input.
    // Waits up to maxWaitMs for something to do. Returns false once quit was requested.
    bool RunOnce(DWORD maxWaitMs);
    // Runs rounds until quit is requested.
    void Run();

    // Writes the frame as a PNG; the reason of a failure as CPngFile::Write gives it.
    BOOL SavePng(const std::string& path, std::string* reason = nullptr) const;

    // The part of the frame where the window shows (inside every parent); empty when hidden.
    CRect VisibleRect(const CWnd* wnd) const;

    // Backend hooks: show the frame, and read input (calling Click). The headless screen does
    // neither. changed lists the parts of the frame written since the last present.
    virtual void Present(const std::vector<CRect>& /*changed*/) {}
    virtual void PollInput() {}

private:
    int PaintTree(CWnd* wnd, std::vector<CRect>& painted, bool force);
    // Paints the window into the frame; returns the frame rectangle the paint wrote.
    CRect PaintOne(CWnd* wnd, const CRect& visible);
    static CWnd* HitTest(CWnd* wnd, CPoint framePoint, const CScreen& screen);

    CBitmap m_frame;
    CChangedRects m_changed;  // written since the last present
    CChangedRects m_uncovered;  // left by top-level windows since the last paint pass
    CScreen* m_previous = nullptr;  // made before this one and still there
    CScreen* m_next = nullptr;      // made after this one and still there
    WindowHandle m_lastClickWnd = 0;
    DWORD m_lastClickTick = 0;
    CPoint m_lastClickPoint;
    bool m_haveLastClick = false;
};
