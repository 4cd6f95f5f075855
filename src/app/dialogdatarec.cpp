#include "app/dialogdatarec.h"

#include "records/threaddataalmrec.h"

CDialogDataRec::CDialogDataRec() : m_resp(g_i32RespWaveLen), m_pleth(g_i32PlethWaveLen)
{
    for (int i = 0; i < 3; ++i) {
        m_ecg[i].assign(g_i32ECGWaveLen, 0);
        m_stDataRecord.pEcgWave[i] = m_ecg[i].data();
    }
    m_stDataRecord.pRespWave = m_resp.data();
    m_stDataRecord.pPlethWave = m_pleth.data();
}

CDialogDataRec::~CDialogDataRec() { DestroyWindow(); }

bool CDialogDataRec::SetStep(int step)
{
    if (step != 0 && step != 1 && step != 30 && step != 300 && step != 900 && step != 1800) return false;
    m_nStepChoice = step;
    return true;
}

bool CDialogDataRec::Open() { return Request(3, 1); }

bool CDialogDataRec::OnForward() { return Request(1, m_nStepChoice); }

bool CDialogDataRec::OnBack() { return Request(2, m_nStepChoice); }

bool CDialogDataRec::Request(int mode, int step)
{
    CThreadDataAlmRec* thread = BeginRequest();
    if (thread == nullptr) return false;
    m_stDataRecord.pWnd = this;
    m_stDataRecord.nMode = mode;
    m_stDataRecord.nStep = step;
    return AwaitAnswer(thread->RequestDataRecord(&m_stDataRecord));
}
