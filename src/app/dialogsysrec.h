// The system-event review window: pages of at most ten system events, newest first; the newest page when
// it opens, "前一页" for the older page and "后一页" for the newer one.
#pragma once

#include <vector>

#include "app/recreviewwnd.h"
#include "records/recordtypes.h"

class CDialogSysRec : public CRecReviewWnd {
public:
    ~CDialogSysRec() override;

    bool Open();
    bool OnOlderPage();  // "前一页"
    bool OnNewerPage();  // "后一页"

    // The page shown, in the record thread's list order (newest first).
    std::vector<SYS_DATA> m_vecShown;

protected:
    void OnQueryDone() override;

private:
    bool Request(int dir);
};
