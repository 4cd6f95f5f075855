// The main dialog: the 1400 x 800 main window. It starts the three worker threads, creates
// every display control of the main screen from one layout table, queues the start-up device
// commands and drives the screen from its 50 ms timer. Destroying it stops the threads in
// order and waits for each.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "app/mainlayout.h"
#include "app/mainpanels.h"
#include "app/mainschedule.h"
#include "app/maintrends.h"
#include "core/monitordata.h"
#include "platform/winthread.h"
#include "platform/wnd.h"

class CColorText_Static;
class CECGWave;
class CPlethWave;
class CRespWave;
class CSweepWave;

class CTesmorDlg : public CWnd {
public:
    static constexpr int kWidth = 1400;
    static constexpr int kHeight = 800;
    static constexpr UINT kTimerMain = 1;
    static constexpr UINT kTimerPeriodMs = 50;
    static constexpr int kShowCapacity = 64;  // samples per channel copied per tick
    static constexpr int kEcgViews = MainLayout::kEcgViews;
    static constexpr int kWaveCaptions = MainLayout::kWaveCaptions;

    CTesmorDlg();
    ~CTesmorDlg() override;

    // Creates the main window at 0,0, 1400 x 800, as a top-level window.
    BOOL CreateMain();
    BOOL DestroyWindow() override;

    int OnCreate() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnTimer(UINT id) override;
    LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Receivers of the value panels' double clicks. The settings dialogs they would open are
    // not part of this monitor, so each returns 0 and opens nothing.
    LRESULT OnPanelEcgDblClk(WPARAM wParam, LPARAM lParam);
    LRESULT OnPanelBpDblClk(WPARAM wParam, LPARAM lParam);
    LRESULT OnPanelTempDblClk(WPARAM wParam, LPARAM lParam);
    LRESULT OnPanelSpo2DblClk(WPARAM wParam, LPARAM lParam);
    LRESULT OnPanelRespDblClk(WPARAM wParam, LPARAM lParam);
    LRESULT OnPanelFaDblClk(WPARAM wParam, LPARAM lParam);

    // For tests and measurements.
    uint32_t TickCount() const { return m_schedule.Ticks(); }
    CECGWave* EcgView(int i) const { return m_pEcgWave[static_cast<size_t>(i)].get(); }
    CPlethWave* PlethView() const { return m_pPlethWave.get(); }
    CRespWave* RespView() const { return m_pRespWave.get(); }
    CColorText_Static* WaveCaption(int i) const { return m_pCaption[static_cast<size_t>(i)].get(); }
    const CMainPanels& Panels() const { return m_panels; }
    // Whether each of the three worker threads was started and has ended.
    bool WorkerThreadsEnded() const
    {
        for (const CThreadHandle* thread : {&m_hDrawThread, &m_hUartThread, &m_hRecThread}) {
            if (thread->IsEmpty() || !thread->HasEnded()) return false;
        }
        return true;
    }

private:
    void StartThreads();
    void StopThreads();
    void CreateWaveViews();
    void CreateWaveCaptions();
    void QueueStartupCommands();
    void DeleteControls();

    // The steps of the 50 ms loop.
    void CopyShowData();
    void FeedWaves(bool startup);
    void AlarmStep(bool startup);
    PANEL_VALUES ShownValues(bool startup) const;
    void SecondStep(bool startup);
    void FeedDrawThread(bool startup);

    CMonitorData* m_pData = nullptr;
    CThreadHandle m_hDrawThread;
    CThreadHandle m_hUartThread;
    CThreadHandle m_hRecThread;

    std::array<std::unique_ptr<CECGWave>, kEcgViews> m_pEcgWave;
    CMainPanels m_panels;
    CMainTrends m_trends;
    std::unique_ptr<CPlethWave> m_pPlethWave;
    std::unique_ptr<CRespWave> m_pRespWave;
    std::array<std::unique_ptr<CColorText_Static>, kWaveCaptions> m_pCaption;

    // Per-tick copies and their buffers, allocated once.
    ECG_SHOW_DATA m_stShowEcg{};
    OXY_SHOW_DATA m_stShowSpo2{};
    RESP_SHOW_DATA m_stShowResp{};
    std::array<std::array<uint16_t, kShowCapacity>, 7> m_u16EcgBuf{};
    std::array<uint8_t, kShowCapacity> m_u8PlethBuf{};
    std::array<uint8_t, kShowCapacity> m_u8RespBuf{};
    int m_nBeat = 0;
    uint16_t m_wTemp = 0;
    uint8_t m_byAirOxy = 0;

    CMainSchedule m_schedule;  // which steps each 50 ms tick runs
};
