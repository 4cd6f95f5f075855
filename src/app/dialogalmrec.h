// The alarm review window: asks the record thread for the newest stored alarm of a type within a
// time range, then steps to older ("前一项") and newer ("下一项") matches. Closing it ends the
// review, which lifts the protection of the first hit's slot.
#pragma once

#include <vector>

#include "app/recreviewwnd.h"
#include "records/almrecreceiver.h"
#include "records/recordtypes.h"

class CDialogAlmRec : public CRecReviewWnd, public CAlmRecReceiver {
public:
    CDialogAlmRec();
    ~CDialogAlmRec() override;

    // Opens the review with the condition chosen in the alarm search window.
    bool StartSearch(const ALM_SEARCH& cond);
    bool OnOlderItem();  // "前一项"
    bool OnNewerItem();  // "下一项"

    SAVE_ALM* GetAlmRecord() override { return &m_stAlmRecord; }
    // The record shown holds an alarm (not the no-hit answer).
    bool HasRecord() const { return m_bHasRecord; }

    SAVE_ALM m_stAlmRecord{};

protected:
    void OnQueryDone() override;
    void OnDestroy() override;

private:
    bool Request(uint8_t kind);

    ALM_SEARCH m_stSearch{};
    bool m_bHasRecord = false;
    std::vector<WORD> m_ecg[2];
    std::vector<BYTE> m_resp;
    std::vector<BYTE> m_pleth;
};
