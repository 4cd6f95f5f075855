#include "platform/wnd.h"

#include <algorithm>
#include <atomic>

#include "platform/brush.h"
#include "platform/dc.h"
#include "platform/screen.h"
#include "platform/uiloop.h"

namespace {
std::atomic<WindowHandle> g_nextHandle{1};
}

CWnd::CWnd() : m_handle(g_nextHandle.fetch_add(1)) {}

CWnd::~CWnd()
{
    if (m_created) DestroyWindow();
}

BOOL CWnd::Create(CWnd* parent, const CRect& rect, UINT id, DWORD style)
{
    if (m_created) return FALSE;
    m_parent = parent;
    m_rect = rect;
    m_id = id;
    m_style = style;
    m_visible = (style & WS_VISIBLE) != 0;
    m_created = true;
    CUiLoop::Instance().Register(this);
    if (m_parent != nullptr) m_parent->m_children.push_back(this);
    if (OnCreate() == -1) {
        DestroyWindow();
        return FALSE;
    }
    Invalidate();
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_created) return FALSE;
    while (!m_children.empty()) {
        CWnd* child = m_children.back();
        child->DestroyWindow();  // removes itself from m_children
        if (!m_children.empty() && m_children.back() == child) m_children.pop_back();
    }
    OnDestroy();
    CUiLoop& loop = CUiLoop::Instance();
    loop.Unregister(this);
    UncoverBeneath();
    if (m_parent != nullptr) {
        auto& siblings = m_parent->m_children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        m_parent = nullptr;
    }
    m_created = false;
    return TRUE;
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    MoveWindow(CRect(x, y, x + width, y + height), repaint);
}

void CWnd::MoveWindow(const CRect& rect, BOOL repaint)
{
    UncoverBeneath();
    m_rect = rect;
    if (repaint) Invalidate();
}

BOOL CWnd::ShowWindow(int cmdShow)
{
    bool was = m_visible;
    m_visible = cmdShow != SW_HIDE;
    if (m_visible != was) {
        Invalidate();
        UncoverBeneath();
    }
    return was ? TRUE : FALSE;
}

void CWnd::UncoverBeneath()
{
    if (m_parent != nullptr) {
        m_parent->Invalidate();
        return;
    }
    CScreen* screen = CScreen::Current();
    if (screen != nullptr) screen->Uncover(m_rect);
}

BOOL CWnd::IsWindowVisible() const
{
    for (const CWnd* w = this; w != nullptr; w = w->m_parent) {
        if (!w->m_visible || !w->m_created) return FALSE;
    }
    return TRUE;
}

void CWnd::GetClientRect(CRect* rect) const
{
    if (rect != nullptr) *rect = CRect(0, 0, m_rect.Width(), m_rect.Height());
}

void CWnd::GetWindowRect(CRect* rect) const
{
    if (rect != nullptr) *rect = m_rect;
}

CRect CWnd::ScreenRect() const
{
    CRect r = m_rect;
    for (const CWnd* p = m_parent; p != nullptr; p = p->m_parent) r.OffsetRect(p->m_rect.left, p->m_rect.top);
    return r;
}

void CWnd::Invalidate(BOOL /*erase*/)
{
    m_needsPaint = true;
    m_fullPaint = true;
}

void CWnd::InvalidateRect(const CRect* rect, BOOL erase)
{
    if (rect == nullptr) {
        Invalidate(erase);
        return;
    }
    m_needsPaint = true;
    m_rcUpdate.UnionRect(m_rcUpdate, *rect);
}

void CWnd::ClearNeedsPaint()
{
    CRect client;
    GetClientRect(&client);
    if (m_fullPaint) {
        m_rcPaint = client;
    } else {
        m_rcPaint.IntersectRect(m_rcUpdate, client);
    }
    m_needsPaint = false;
    m_fullPaint = false;
    m_rcUpdate = CRect();
}

void CWnd::UpdateWindow()
{
    CScreen* screen = CScreen::Current();
    if (m_needsPaint && screen != nullptr && IsWindowVisible()) screen->PaintNow(this);
}

void CWnd::SetWindowText(const char16_t* text)
{
    m_text = text != nullptr ? text : u"";
    if (m_created) Invalidate();
}

void CWnd::SetFont(CFont* font, BOOL redraw)
{
    m_font = font;
    if (redraw && m_created) Invalidate();
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    bool wasDisabled = !m_enabled;
    m_enabled = enable != FALSE;
    if (wasDisabled == m_enabled && m_created) Invalidate();
    return wasDisabled ? TRUE : FALSE;
}

void CWnd::PaintWith(CDC* pDC)
{
    int saved = pDC->SaveDC();
    OnEraseBkgnd(pDC);
    pDC->RestoreDC(saved);
    OnPaint(pDC);
}

BOOL CWnd::OnEraseBkgnd(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    CBrush face(GetSysColor(COLOR_BTNFACE));
    pDC->FillRect(&client, &face);
    return TRUE;
}

COLORREF GetSysColor(int index)
{
    switch (index) {
    case COLOR_BTNFACE: return 0xF0F0F0;
    case COLOR_WINDOW: return 0xFFFFFF;
    default: return 0;
    }
}

UINT CWnd::SetTimer(UINT id, UINT elapseMs)
{
    CUiLoop::Instance().SetTimer(this, id, elapseMs);
    return id;
}

BOOL CWnd::KillTimer(UINT id) { return CUiLoop::Instance().KillTimer(this, id) ? TRUE : FALSE; }

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    CUiLoop::Instance().Post(m_handle, message, wParam, lParam);
    return TRUE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_USER) return OnUserMessage(message, wParam, lParam);
    return 0;
}
