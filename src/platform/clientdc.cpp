#include "platform/clientdc.h"

#include "platform/screen.h"
#include "platform/wnd.h"

CClientDC::CClientDC(CWnd* wnd)
{
    CScreen* screen = CScreen::Current();
    if (wnd == nullptr || screen == nullptr || !wnd->IsWindowVisible()) return;
    AttachTarget(screen->Frame(), wnd->ScreenRect().TopLeft(), screen->VisibleRect(wnd));
}
