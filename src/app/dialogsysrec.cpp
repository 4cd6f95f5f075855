#include "app/dialogsysrec.h"

#include "appbase/tesmorapp.h"
#include "records/threaddataalmrec.h"

CDialogSysRec::~CDialogSysRec() { DestroyWindow(); }

bool CDialogSysRec::Open() { return Request(3); }

bool CDialogSysRec::OnOlderPage() { return Request(2); }

bool CDialogSysRec::OnNewerPage() { return Request(1); }

bool CDialogSysRec::Request(int dir)
{
    CThreadDataAlmRec* thread = BeginRequest();
    if (thread == nullptr) return false;
    thread->m_pSysWnd = this;
    return AwaitAnswer(thread->RequestSysPage(dir));
}

void CDialogSysRec::OnQueryDone()
{
    if (theApp.m_pThreadDataAlmRec != nullptr) theApp.m_pThreadDataAlmRec->CopySysResult(&m_vecShown);
}
