// The drawing thread of the mini-trend: it gathers respiration samples and heart-rate, SpO2 and
// respiration-rate points from the UI thread, and every 40 ms merges them into its display
// rings and, when a new trend point has arrived, redraws the 938 x 265 picture: heart rate on
// top, SpO2 in the middle, and at the bottom the respiration-rate trend (view mode 0) or the
// compressed respiration wave (view mode 1), over 75 s or 150 s (time scale 0 or 1).
//
// The UI thread copies the picture once a second with BlitTo. The picture is guarded by an
// owner word under the draw lock: 0 idle, 1 the drawing thread drawing, 2 the UI thread
// copying. Whichever side finds the word taken skips its turn. Lock order: the input lock
// before the draw lock, never the other way; no drawing or copying happens under a lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "display/trendring.h"
#include "platform/criticalsection.h"
#include "platform/dc.h"
#include "platform/geometry.h"
#include "platform/winthread.h"
#include "platform/wintypes.h"

constexpr int g_i32ECGRespSpo2TrendWidth = 938;
constexpr int g_i32ECGRespSpo2TrendHeight = 265;

class CThreadDraw : public CWinThread {
public:
    // Who holds the picture.
    enum { OWNER_NONE = 0, OWNER_DRAW = 1, OWNER_COPY = 2 };

    CThreadDraw();
    ~CThreadDraw() override;

    BOOL InitInstance() override;
    // Loops every 40 ms until m_bExit is set; returns ExitInstance's result.
    int Run() override;
    // Frees the drawing objects; the rings stay until the object is deleted.
    int ExitInstance() override;

    // UI thread: the n new respiration samples of this tick and the current respiration
    // rate, heart rate and SpO2 (each may be its no-value marker).
    void AddData(const BYTE* resp, int n, WORD rr, WORD hr, WORD spo2);
    // UI thread: copies the picture to pDst at (0, 0). Returns 0 when copied, 1 when skipped
    // because the drawing thread held the picture or the surfaces do not exist yet.
    int BlitTo(CDC* pDst);
    // UI thread, once: creates the picture and both backgrounds compatible with pDC, the
    // fonts and pens, and draws the first picture (the empty background of view mode 0).
    void CreateDrawSurfaces(CDC* pDC);
    void SetViewMode(int mode);
    void SetTimeScale(int scale);

    // One pass of the loop: merges the input and draws when drawing is enabled.
    void RunPass();

    // Set by the mini-trend view once the surfaces exist; set by the main dialog at shutdown.
    std::atomic<int> m_bDrawEnable{0};
    std::atomic<int> m_bExit{0};

protected:
    // The two uses of the picture; each runs only while its side holds the owner word.
    virtual void DrawPicture(int viewMode, int timeScale);
    virtual void CopyPicture(CDC* pDst);

private:
    struct TrendStrip;

    void MergeInput();
    void DrawFrame();
    void DrawBackground(int viewMode);
    void DrawTrend(const TREND_RING& ring, const TrendStrip& strip, CPen* pen, int timeScale);
    void DrawRespWave(int timeScale);
    void DrawCaptions(int viewMode, int timeScale);
    void DrawBackgroundInto(CDC& dc, int viewMode);
    void DrawGrid(CDC& dc, const int* rows, int rowCount, int columnTop, int columnBottom);
    void DrawLabel(CDC& dc, CFont& font, COLORREF colour, int x, int y, const char16_t* text);
    void FreeDrawObjects();

    std::atomic<bool> m_bSurfaces{false};

    CCriticalSection m_csDraw;  // guards m_nSurfaceOwner and m_bRedraw
    int m_nSurfaceOwner = OWNER_NONE;
    int m_bRedraw = 0;

    CDC m_dcFrame;
    CBitmap m_bmpFrame;
    CDC m_dcBackRr;
    CBitmap m_bmpBackRr;
    CDC m_dcBackWave;
    CBitmap m_bmpBackWave;

    CCriticalSection m_csInput;  // guards the input rings, the grouping counters and the modes
    int m_nViewMode = 0;
    int m_nTimeScale = 0;

    CFont m_fontSmall;
    CFont m_fontLarge;
    CPen* m_pPenHr = nullptr;
    CPen* m_pPenRr = nullptr;
    CPen* m_pPenSpo2 = nullptr;
    CPen* m_pPenFrame = nullptr;
    CPen* m_pPenGrid = nullptr;

    // Display rings, touched only by the drawing thread.
    TREND_RING m_ringHr{150};
    TREND_RING m_ringSpo2{150};
    TREND_RING m_ringRr{150};
    std::vector<CPoint> m_pPoints;
    TREND_RING m_ringResp75{1875};
    TREND_RING m_ringResp150{3750};

    // Input rings and grouping counters, under m_csInput.
    uint16_t m_nTrendGroups = 0;
    uint16_t m_nRespSum = 0;
    uint16_t m_nRespCount = 0;
    TREND_RING m_inHr{150};
    TREND_RING m_inSpo2{150};
    TREND_RING m_inRr{150};
    TREND_RING m_inResp75{1875};
    TREND_RING m_inResp150{3750};
};
