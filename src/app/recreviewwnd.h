// The common part of the four record review windows: each places one request at a time with
// the record thread and acts on WM_REC_QUERY_DONE only when wParam is 2031. A window that goes
// away tells the record thread, so no answer is written into or posted to it afterwards.
#pragma once

#include "platform/wnd.h"

class CThreadDataAlmRec;

class CRecReviewWnd : public CWnd {
public:
    CRecReviewWnd() = default;
    ~CRecReviewWnd() override;

    bool IsWaiting() const { return m_bWaiting; }
    // Answers received and shown since the window was made.
    int AnswersShown() const { return m_nAnswers; }

    LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // The record thread when a request may be placed now (none pending); marks the window waiting.
    CThreadDataAlmRec* BeginRequest();
    // Called when the answer to the pending request has arrived.
    virtual void OnQueryDone() = 0;
    void OnDestroy() override;
    void Forget();

private:
    bool m_bWaiting = false;
    int m_nAnswers = 0;
};
