#include "app/dialognibprec.h"

#include "appbase/tesmorapp.h"
#include "records/threaddataalmrec.h"

CDialogNIBPRec::~CDialogNIBPRec() { DestroyWindow(); }

bool CDialogNIBPRec::Open() { return Request(3); }

bool CDialogNIBPRec::OnOlderPage() { return Request(2); }

bool CDialogNIBPRec::OnNewerPage() { return Request(1); }

bool CDialogNIBPRec::Request(int dir)
{
    CThreadDataAlmRec* thread = BeginRequest();
    if (thread == nullptr) return false;
    thread->m_pNibpWnd = this;
    return AwaitAnswer(thread->RequestNibpPage(dir));
}

void CDialogNIBPRec::OnQueryDone()
{
    if (theApp.m_pThreadDataAlmRec != nullptr) theApp.m_pThreadDataAlmRec->CopyNibpResult(&m_vecShown);
}
