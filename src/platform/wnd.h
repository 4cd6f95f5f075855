// The window base: a small window tree with rectangles, ids, visibility, a parent and
// children, virtual handlers, timers and posted messages. Every window lives on the UI thread;
// PostMessage may be called from any thread and is a harmless no-op for a window that is gone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/wintypes.h"

class CDC;
class CFont;

// System colours.
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWTEXT = 8;
// COLOR_BTNFACE is 0xF0F0F0; COLOR_WINDOW white; COLOR_WINDOWTEXT black.
COLORREF GetSysColor(int index);

// Mouse-key flags of the button handlers.
constexpr UINT MK_LBUTTON = 0x0001;

// Window styles used by the monitor's windows.
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD SS_NOTIFY = 0x00000100;  // a static that receives clicks

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// A window's identity for messages: unique for the whole run, never reused.
using WindowHandle = uint64_t;

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Creates the window as a child of parent (or a top-level window when parent is null) with
    // rect in the parent's client coordinates; calls OnCreate. Returns FALSE when OnCreate
    // returns -1 or the window already exists.
    virtual BOOL Create(CWnd* parent, const CRect& rect, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);
    // Destroys the children (last created first), calls OnDestroy and unregisters the window:
    // messages still queued for it are dropped.
    virtual BOOL DestroyWindow();
    bool IsCreated() const { return m_created; }

    WindowHandle GetSafeHwnd() const { return m_handle; }
    UINT GetDlgCtrlID() const { return m_id; }
    DWORD GetStyle() const { return m_style; }
    CWnd* GetParent() const { return m_parent; }
    const std::vector<CWnd*>& Children() const { return m_children; }

    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const CRect& rect, BOOL repaint = TRUE);
    BOOL ShowWindow(int cmdShow);
    BOOL IsWindowVisible() const;  // this window and every parent shown
    void GetClientRect(CRect* rect) const;   // 0,0 .. width,height
    void GetWindowRect(CRect* rect) const;   // in the parent's client coordinates
    CRect ScreenRect() const;                // in top-level window coordinates

    // Marks the window for painting on the next pass of the UI loop.
    void Invalidate(BOOL erase = TRUE);
    // Marks part of the window for painting (null: all of it, as Invalidate). A window whose
    // content changed in a way only it knows marks an empty rectangle and works out in its
    // OnPaint which part to copy.
    void InvalidateRect(const CRect* rect, BOOL erase = TRUE);
    bool NeedsPaint() const { return m_needsPaint; }
    // Starts a paint: the marked part becomes the paint rectangle and the mark is cleared.
    void ClearNeedsPaint();
    // During OnPaint: the part of the client area that must be painted (all of it after
    // Invalidate, a move, a show or when something covered the window).
    const CRect& PaintRect() const { return m_rcPaint; }
    // Paints now when the window is marked and a screen is running.
    void UpdateWindow();

    // Window text and font (the font is not owned; null means the default font).
    void SetWindowText(const char16_t* text);
    void SetWindowText(const std::u16string& text) { SetWindowText(text.c_str()); }
    const std::u16string& GetWindowText() const { return m_text; }
    void SetFont(CFont* font, BOOL redraw = TRUE);
    CFont* GetFont() const { return m_font; }
    BOOL EnableWindow(BOOL enable = TRUE);  // returns TRUE when the window was disabled
    BOOL IsWindowEnabled() const { return m_enabled ? TRUE : FALSE; }

    // Paints the window with a device context set up by the screen: erase, then OnPaint.
    void PaintWith(CDC* pDC);
    // True when clicks pass through this window to the one below (a static without SS_NOTIFY).
    virtual bool IsClickTransparent() const { return false; }

    // Timers fire OnTimer(id) from the UI loop every elapseMs on the process clock.
    UINT SetTimer(UINT id, UINT elapseMs);
    BOOL KillTimer(UINT id);

    // Queues a message for this window; safe from any thread.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Delivers a message now, on the calling (UI) thread.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Handlers.
    virtual int OnCreate() { return 0; }
    virtual void OnDestroy() {}
    virtual void OnPaint(CDC* /*pDC*/) {}
    // The default erase fills the client area with the button-face colour.
    virtual BOOL OnEraseBkgnd(CDC* pDC);
    virtual void OnLButtonDown(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnLButtonUp(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnLButtonDblClk(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnTimer(UINT /*id*/) {}
    // Messages from WM_USER on, posted or sent.
    virtual LRESULT OnUserMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return 0; }

private:
    // What the window covered paints again: its parent, or for a top-level window everything
    // the screen shows at its place.
    void UncoverBeneath();

    WindowHandle m_handle;
    CWnd* m_parent = nullptr;
    std::vector<CWnd*> m_children;
    CRect m_rect;
    UINT m_id = 0;
    DWORD m_style = 0;
    bool m_created = false;
    bool m_visible = false;
    bool m_needsPaint = false;
    bool m_fullPaint = false;  // the whole client area is marked
    CRect m_rcUpdate;          // the marked part when not the whole
    CRect m_rcPaint;           // the part being painted
    bool m_enabled = true;
    std::u16string m_text;
    CFont* m_font = nullptr;
};
