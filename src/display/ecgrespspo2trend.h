// The mini-trend view of the main screen, 938 x 265. It draws nothing itself: the drawing
// thread's picture is copied into m_dcMem once a second by the main dialog, and painting copies
// m_dcMem to the screen. Creating the view creates the drawing thread's surfaces and enables
// it. Double clicks on the two captions along the bottom edge switch the time scale (75 s or
// 150 s) and the bottom strip (respiration-rate trend or respiration wave). UI thread only.
#pragma once

#include "platform/dc.h"
#include "platform/static.h"

class CThreadDraw;

class CECGRespSpo2Trend : public CStatic {
public:
    // The drawing thread is theApp.m_pThreadDraw unless one is given (tests).
    explicit CECGRespSpo2Trend(CThreadDraw* pThreadDraw = nullptr);
    ~CECGRespSpo2Trend() override;

    int GetViewMode() const { return m_nViewMode; }
    int GetTimeScale() const { return m_nTimeScale; }

    // Destination of the drawing thread's BlitTo.
    CDC m_dcMem;

protected:
    int OnCreate() override;
    void OnPaint(CDC* pDC) override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnLButtonDblClk(UINT flags, CPoint point) override;
    void OnDestroy() override;

private:
    CThreadDraw* DrawThread() const;

    CThreadDraw* m_pThreadDraw;
    CBitmap m_bmpMem;
    CRect m_rcPaint;
    int m_nViewMode = 0;
    int m_nTimeScale = 0;
};
