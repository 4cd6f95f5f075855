#include "app/tesmordlg.h"

#include <cstdio>

#include "app/mainlayout.h"
#include "appbase/tesmorapp.h"
#include "display/colortext_static.h"
#include "display/ecgwave.h"
#include "display/threaddraw.h"
#include "display/plethwave.h"
#include "display/respwave.h"
#include "display/wavelayout.h"
#include "link/uartdatathread.h"
#include "platform/dc.h"
#include "records/threaddataalmrec.h"

namespace {

constexpr COLORREF kBackground = RGB(0, 0, 0);
constexpr uint16_t kFlatEcg = 2048;
constexpr uint8_t kFlatByte = 0;  // the baseline of the pleth and respiration views

// Lead-label style of each ECG view ("II", "I", "III", "avF", "avL", "avL", "avL") and its
// grid scale unit.
const unsigned int kEcgStyle[CTesmorDlg::kEcgViews] = {1, 0, 2, 3, 4, 4, 4};
const int kEcgScaleUnit[CTesmorDlg::kEcgViews] = {30, 30, 25, 25, 25, 25, 25};

// Each wave caption's text and colour (the colour of the wave it names), in layout order.
struct WAVE_CAPTION {
    const char16_t* text;
    COLORREF colour;
};
const WAVE_CAPTION kWaveCaption[CTesmorDlg::kWaveCaptions] = {
    {u"ECG", 0x00E100}, {u"ECG", 0x00E100}, {u"PLETH", 0xFFCD80}, {u"RESP", 0x62EEEE}};
constexpr DWORD kCaptionStyle = WS_CHILD | WS_VISIBLE;  // 0x50000000
constexpr UINT kCaptionId = 0x10202;
constexpr int kCaptionPointSize = 160;  // tenths of a point

}  // namespace

CTesmorDlg::CTesmorDlg()
{
    for (int c = 0; c < 7; ++c) m_stShowEcg.pWave[c] = m_u16EcgBuf[static_cast<size_t>(c)].data();
    m_stShowEcg.nCapacity = kShowCapacity;
    m_stShowSpo2.pWave = m_u8PlethBuf.data();
    m_stShowSpo2.nCapacity = kShowCapacity;
    m_stShowResp.pWave = m_u8RespBuf.data();
    m_stShowResp.nCapacity = kShowCapacity;
}

CTesmorDlg::~CTesmorDlg()
{
    if (IsCreated()) DestroyWindow();
}

BOOL CTesmorDlg::CreateMain() { return Create(nullptr, CRect(0, 0, kWidth, kHeight), 102, WS_VISIBLE); }

int CTesmorDlg::OnCreate()
{
    m_pData = theApp.m_pMonitorData;
    if (m_pData == nullptr) {
        std::fprintf(stderr, "tesmor: the monitoring data object is missing; cannot start\n");
        return -1;
    }
    StartThreads();
    CreateWaveViews();
    CreateWaveCaptions();
    m_panels.Create(this, *m_pData);
    m_trends.Create(this);
    QueueStartupCommands();
    SetTimer(kTimerMain, kTimerPeriodMs);
    return 0;
}

void CTesmorDlg::StartThreads()
{
    theApp.m_pThreadDraw = AfxBeginThread<CThreadDraw>(&m_hDrawThread);
    theApp.m_pUartDataThread = AfxBeginThread<UartDataThread>(&m_hUartThread);
    theApp.m_pThreadDataAlmRec = AfxBeginThread<CThreadDataAlmRec>(&m_hRecThread);
    theApp.m_pThreadDataAlmRec->AddPowerOnRecord();
}

void CTesmorDlg::CreateWaveViews()
{
    for (int i = 0; i < kEcgViews; ++i) {
        auto view = std::make_unique<CECGWave>(0, 0, kEcgStyle[i]);
        view->SetScaleUnit(kEcgScaleUnit[i]);
        view->SetScaleDivisor(820);
        view->SetSpeed(m_pData->m_nEcgWaveSpeed);
        view->SetGain(m_pData->m_nEcgWaveGain);
        PlaceControl(*view, MainLayout::kEcgWave[i], this);
        m_pEcgWave[static_cast<size_t>(i)] = std::move(view);
    }
    m_pPlethWave = std::make_unique<CPlethWave>(0, 0, 0);
    m_pPlethWave->SetScaleUnit(g_i32PlethWaveHeight0 - 15);
    m_pPlethWave->SetScaleDivisor(120);
    m_pPlethWave->SetSpeed(m_pData->m_nPlethSpeed);
    m_pPlethWave->SetGain(1);
    PlaceControl(*m_pPlethWave, MainLayout::kPlethWave, this);

    m_pRespWave = std::make_unique<CRespWave>(0, 0, 0);
    m_pRespWave->SetScaleUnit(g_i32RespWaveHeight0 - 15);
    m_pRespWave->SetScaleDivisor(256);
    m_pRespWave->SetSpeed(m_pData->m_nRespSpeed);
    m_pRespWave->SetGain(m_pData->m_nRespGain);
    PlaceControl(*m_pRespWave, MainLayout::kRespWave, this);
}

// Created after the views, so each caption stands over the view it names.
void CTesmorDlg::CreateWaveCaptions()
{
    for (int i = 0; i < kWaveCaptions; ++i) {
        auto caption = std::make_unique<CColorText_Static>();
        const PLACEMENT& place = MainLayout::kWaveCaption[i];
        caption->Create(kWaveCaption[i].text, kCaptionStyle, place.Rect(), this, kCaptionId);
        if (!place.shown) caption->ShowWindow(SW_HIDE);
        caption->SetTextColor(kWaveCaption[i].colour);
        caption->SetBkColor(0);
        caption->SetFontPointSize(kCaptionPointSize, u"宋体", TRUE);
        m_pCaption[static_cast<size_t>(i)] = std::move(caption);
    }
}

void CTesmorDlg::QueueStartupCommands()
{
    UartDataThread* link = theApp.m_pUartDataThread;
    const CMonitorData& d = *m_pData;
    link->SendEcgHrLead(static_cast<uint8_t>(d.m_nEcgHrLead));
    link->SendEcgWaveGain(static_cast<uint8_t>(d.m_nEcgWaveGain));
    link->SendEcgPaceSw(d.EcgPaceSwByte());
    link->SendEcgTrap(static_cast<uint8_t>(d.m_nEcgTrap));
    link->SendEcgWaveFilter(static_cast<uint8_t>(d.EcgWaveFilterIndex()));
    link->SendEcgLeadMode(static_cast<uint8_t>(d.m_nEcgLeadMode));
    link->SendRespGain(static_cast<uint8_t>(d.m_nRespGain));
    link->SendRespApneaTime(static_cast<uint8_t>(d.RespApneaTimeIndex()));
    link->SendCmdW(0);
    link->SendNibpReset();
}

BOOL CTesmorDlg::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(rc, kBackground);
    return TRUE;
}

void CTesmorDlg::OnTimer(UINT id)
{
    if (id != kTimerMain || m_pData == nullptr) return;
    const MAIN_STEPS steps = m_schedule.Tick();
    CopyShowData();
    const bool startup = m_pData->InStartupPhase();
    FeedWaves(startup);
    m_panels.OnTick(m_nBeat, m_stShowSpo2.u8Strength);
    FeedDrawThread(startup);
    if (steps.bAlarm) AlarmStep(startup);
    if (steps.bSecond) SecondStep(startup);
}

void CTesmorDlg::CopyShowData()
{
    m_pData->GetShowEcg(&m_stShowEcg);
    m_pData->GetShowResp(&m_stShowResp);
    m_pData->GetShowSpo2(&m_stShowSpo2);
    m_pData->GetEcgBeat(&m_nBeat);
    m_pData->GetTemp(&m_wTemp);
    m_pData->GetAirOxy(&m_byAirOxy);
    m_pData->BuildDataRec();
}

void CTesmorDlg::FeedWaves(bool startup)
{
    // Channel shown by each ECG view: the two trace leads, then leads III, aVF, aVL, aVR, V.
    const int traceLead[2] = {m_pData->m_nEcgTrace1Lead, m_pData->m_nEcgTrace2Lead};
    for (int v = 0; v < kEcgViews; ++v) {
        int channel = v < 2 ? traceLead[v] : v;
        if (channel < 0 || channel > 6) channel = 1;
        const uint16_t* samples = m_stShowEcg.pWave[channel];
        for (int i = 0; i < m_stShowEcg.nCount; ++i) m_pEcgWave[static_cast<size_t>(v)]->AddSample(startup ? kFlatEcg : samples[i]);
    }
    for (int i = 0; i < m_stShowSpo2.nCount; ++i) m_pPlethWave->AddSample(startup ? kFlatByte : m_stShowSpo2.pWave[i]);
    for (int i = 0; i < m_stShowResp.nCount; ++i) m_pRespWave->AddSample(startup ? kFlatByte : m_stShowResp.pWave[i]);
    for (const auto& view : m_pEcgWave) view->RequestRedraw();
    m_pPlethWave->RequestRedraw();
    m_pRespWave->RequestRedraw();
}

void CTesmorDlg::AlarmStep(bool startup)
{
    if (!startup) {
        m_pData->CheckAlm();
        m_pData->BuildAlmRec();  // before TakeNewAlm, which clears the new-alarm flags it reads
    }
    m_panels.OnAlarmStep(*m_pData, ShownValues(startup), startup);
    if (!startup) m_pData->TakeNewAlm();
}

PANEL_VALUES CTesmorDlg::ShownValues(bool startup) const
{
    if (startup) {
        return PANEL_VALUES{g_i16InvalidHr, g_i16InvalidSt, g_i16InvalidSt, g_i16InvalidSpo2, g_i16InvalidPr,
                            g_i16InvalidTemp, g_i16InvalidRr, g_i16InvalidAirOxy};
    }
    PANEL_VALUES v;
    v.hr = static_cast<int16_t>(m_stShowEcg.u16Hr);
    v.st1 = m_stShowEcg.i16St1;
    v.st2 = m_stShowEcg.i16St2;
    v.spo2 = static_cast<int16_t>(m_stShowSpo2.u16Spo2);
    v.pr = static_cast<int16_t>(m_stShowSpo2.u16Pr);
    v.temp = static_cast<int16_t>(m_wTemp);
    v.rr = static_cast<int16_t>(m_stShowResp.u16Rr);
    v.airOxy = static_cast<int8_t>(m_byAirOxy);
    return v;
}

void CTesmorDlg::FeedDrawThread(bool startup)
{
    // The trend starts with the first real respiration samples, after the start-up phase.
    const PANEL_VALUES v = ShownValues(startup);
    m_trends.OnTick(m_stShowResp.pWave, startup ? 0 : m_stShowResp.nCount, static_cast<uint16_t>(v.rr),
                    static_cast<uint16_t>(v.hr), static_cast<uint16_t>(v.spo2));
}

void CTesmorDlg::SecondStep(bool startup)
{
    m_panels.OnSecond();
    const PANEL_VALUES v = ShownValues(startup);
    TREND_VALUES t;
    t.hr = v.hr;
    t.st = v.st1;
    t.pvcs = startup ? g_i16InvalidPvcs : m_stShowEcg.i16Pvcs;
    t.sbp = m_pData->m_i16NibpSbp;
    t.dbp = m_pData->m_i16NibpDbp;
    t.rr = v.rr;
    t.spo2 = v.spo2;
    t.pr = v.pr;
    t.temp = v.temp;
    t.airOxy = v.airOxy;
    m_trends.OnSecond(t);
}

LRESULT CTesmorDlg::OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PANEL_ECG_DBLCLK: return OnPanelEcgDblClk(wParam, lParam);
    case WM_PANEL_BP_DBLCLK: return OnPanelBpDblClk(wParam, lParam);
    case WM_PANEL_TEMP_DBLCLK: return OnPanelTempDblClk(wParam, lParam);
    case WM_PANEL_SPO2_DBLCLK: return OnPanelSpo2DblClk(wParam, lParam);
    case WM_PANEL_RESP_DBLCLK: return OnPanelRespDblClk(wParam, lParam);
    case WM_PANEL_FA_DBLCLK: return OnPanelFaDblClk(wParam, lParam);
    default: return 0;
    }
}

LRESULT CTesmorDlg::OnPanelEcgDblClk(WPARAM, LPARAM) { return 0; }
LRESULT CTesmorDlg::OnPanelBpDblClk(WPARAM, LPARAM) { return 0; }
LRESULT CTesmorDlg::OnPanelTempDblClk(WPARAM, LPARAM) { return 0; }
LRESULT CTesmorDlg::OnPanelSpo2DblClk(WPARAM, LPARAM) { return 0; }
LRESULT CTesmorDlg::OnPanelRespDblClk(WPARAM, LPARAM) { return 0; }
LRESULT CTesmorDlg::OnPanelFaDblClk(WPARAM, LPARAM) { return 0; }

BOOL CTesmorDlg::DestroyWindow()
{
    if (!IsCreated()) return FALSE;
    KillTimer(kTimerMain);
    BOOL result = CWnd::DestroyWindow();  // the child windows first
    DeleteControls();
    StopThreads();
    return result;
}

void CTesmorDlg::DeleteControls()
{
    m_panels.Delete();
    m_trends.Delete();
    for (auto& view : m_pEcgWave) view.reset();
    m_pPlethWave.reset();
    m_pRespWave.reset();
    for (auto& caption : m_pCaption) caption.reset();
}

void CTesmorDlg::StopThreads()
{
    // Link thread, record thread, drawing thread, in that order; each is waited for through
    // its handle, which outlives the self-deleting thread object.
    if (theApp.m_pUartDataThread != nullptr) {
        theApp.m_pUartDataThread->m_bExit = 1;
        m_hUartThread.Join();
        theApp.m_pUartDataThread = nullptr;
    }
    if (theApp.m_pThreadDataAlmRec != nullptr) {
        theApp.m_pThreadDataAlmRec->m_bExit = 1;
        m_hRecThread.Join();
        theApp.m_pThreadDataAlmRec = nullptr;
    }
    if (theApp.m_pThreadDraw != nullptr) {
        theApp.m_pThreadDraw->m_bExit = 1;
        m_hDrawThread.Join();
        theApp.m_pThreadDraw = nullptr;
    }
}
