// The common part of the four record review windows: each places one request at a time with
// the record thread and acts on WM_REC_QUERY_DONE only when wParam is 2031 and lParam carries the
// number of its pending request, so an answer to an earlier request (one placed before the
// window was closed and opened again) is never taken. A window that goes away tells the record
// thread, so no answer is written into or posted to it afterwards.
#pragma once

#include <cstdint>

#include "platform/wnd.h"

class CThreadDataAlmRec;

class CRecReviewWnd : public CWnd {
public:
    CRecReviewWnd() = default;
    ~CRecReviewWnd() override;

    bool IsWaiting() const { return m_u32Pending != 0; }
    // Answers received and shown since the window was made.
    int AnswersShown() const { return m_nAnswers; }

    LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // The record thread when a request may be placed now (none pending).
    CThreadDataAlmRec* BeginRequest();
    // Waits for the answer to the request with this number; false when the request was
    // ignored (number 0).
    bool AwaitAnswer(uint32_t number);
    // Called when the answer to the pending request has arrived.
    virtual void OnQueryDone() = 0;
    void OnDestroy() override;
    void Forget();

private:
    uint32_t m_u32Pending = 0;  // the number of the request whose answer is awaited, 0 when none
    int m_nAnswers = 0;
};
