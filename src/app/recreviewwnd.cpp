#include "app/recreviewwnd.h"

#include "appbase/tesmorapp.h"
#include "core/monitordefs.h"
#include "records/threaddataalmrec.h"

CRecReviewWnd::~CRecReviewWnd() { Forget(); }

void CRecReviewWnd::Forget()
{
    m_u32Pending = 0;  // the pending request is withdrawn: opened again, the window asks afresh
    if (theApp.m_pThreadDataAlmRec != nullptr) theApp.m_pThreadDataAlmRec->ForgetRequester(this);
}

void CRecReviewWnd::OnDestroy() { Forget(); }

CThreadDataAlmRec* CRecReviewWnd::BeginRequest()
{
    if (IsWaiting() || theApp.m_pThreadDataAlmRec == nullptr) return nullptr;
    return theApp.m_pThreadDataAlmRec;
}

bool CRecReviewWnd::AwaitAnswer(uint32_t number)
{
    m_u32Pending = number;
    return IsWaiting();
}

LRESULT CRecReviewWnd::OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_REC_QUERY_DONE || wParam != g_wRecQueryDone) return 0;
    if (!IsWaiting() || lParam != static_cast<LPARAM>(m_u32Pending)) return 0;  // not the answer awaited
    m_u32Pending = 0;
    ++m_nAnswers;
    OnQueryDone();
    return 0;
}
