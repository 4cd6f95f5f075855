#include "app/recreviewwnd.h"

#include "appbase/tesmorapp.h"
#include "core/monitordefs.h"
#include "records/threaddataalmrec.h"

CRecReviewWnd::~CRecReviewWnd() { Forget(); }

void CRecReviewWnd::Forget()
{
    m_bWaiting = false;  // the pending request is withdrawn: opened again, the window asks afresh
    if (theApp.m_pThreadDataAlmRec != nullptr) theApp.m_pThreadDataAlmRec->ForgetRequester(this);
}

void CRecReviewWnd::OnDestroy() { Forget(); }

CThreadDataAlmRec* CRecReviewWnd::BeginRequest()
{
    if (m_bWaiting || theApp.m_pThreadDataAlmRec == nullptr) return nullptr;
    m_bWaiting = true;
    return theApp.m_pThreadDataAlmRec;
}

LRESULT CRecReviewWnd::OnUserMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    if (message != WM_REC_QUERY_DONE || wParam != g_wRecQueryDone) return 0;
    m_bWaiting = false;
    ++m_nAnswers;
    OnQueryDone();
    return 0;
}
