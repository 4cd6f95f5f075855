// The data review window: shows one data record at a time, the newest when it opens, then
// moved forward or back by the chosen step (1, 30, 300, 900 or 1800 records, or 0).
#pragma once

#include <vector>

#include "app/recreviewwnd.h"
#include "records/recordtypes.h"

class CDialogDataRec : public CRecReviewWnd {
public:
    CDialogDataRec();
    ~CDialogDataRec() override;

    bool Open();         // the newest record
    bool OnForward();    // newer by the step
    bool OnBack();       // older by the step
    // Chooses the step; false for a value that is not offered.
    bool SetStep(int step);
    int GetStep() const { return m_nStepChoice; }

    // The request and, once answered, the record shown.
    SAVE_DATA m_stDataRecord{};

protected:
    void OnQueryDone() override {}

private:
    bool Request(int mode, int step);

    int m_nStepChoice = 1;
    std::vector<WORD> m_ecg[3];
    std::vector<BYTE> m_resp;
    std::vector<BYTE> m_pleth;
};
