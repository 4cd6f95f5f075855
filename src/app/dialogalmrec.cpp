#include "app/dialogalmrec.h"

#include "appbase/tesmorapp.h"
#include "records/threaddataalmrec.h"

CDialogAlmRec::CDialogAlmRec()
    : m_ecg{std::vector<WORD>(g_i32AlmECGWaveLen), std::vector<WORD>(g_i32AlmECGWaveLen)},
      m_resp(g_i32AlmRespWaveLen), m_pleth(g_i32AlmPlethWaveLen)
{
    m_stAlmRecord.pEcgWave[0] = m_ecg[0].data();
    m_stAlmRecord.pEcgWave[1] = m_ecg[1].data();
    m_stAlmRecord.pRespWave = m_resp.data();
    m_stAlmRecord.pPlethWave = m_pleth.data();
}

CDialogAlmRec::~CDialogAlmRec() { DestroyWindow(); }

bool CDialogAlmRec::StartSearch(const ALM_SEARCH& cond)
{
    m_stSearch = cond;
    return Request(1);
}

bool CDialogAlmRec::OnOlderItem() { return Request(2); }

bool CDialogAlmRec::OnNewerItem() { return Request(3); }

bool CDialogAlmRec::Request(uint8_t kind)
{
    CThreadDataAlmRec* thread = BeginRequest();
    if (thread == nullptr) return false;
    thread->m_pAlmWnd = this;
    m_stSearch.u8Kind = kind;
    return AwaitAnswer(thread->RequestAlmSearch(&m_stSearch));
}

void CDialogAlmRec::OnQueryDone() { m_bHasRecord = m_stAlmRecord.idx.u8State != g_u8AlmStateNoHit; }

void CDialogAlmRec::OnDestroy()
{
    CRecReviewWnd::OnDestroy();
    if (theApp.m_pThreadDataAlmRec == nullptr) return;
    ALM_SEARCH end = m_stSearch;
    end.u8Kind = 5;
    theApp.m_pThreadDataAlmRec->RequestAlmSearch(&end);
}
