// The main dialog tick by tick with its threads running and the link's values set by hand, no
// two alike: where each value, limit, wave, trend point, record and start-up command lands.
// The ticks are driven by calling the timer handler; the threads sleep on the real clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "app/tesmordlg.h"
#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "display/ecgrespspo2trend.h"
#include "display/ecgwave.h"
#include "display/panelfaces.h"
#include "display/plethwave.h"
#include "display/respwave.h"
#include "display/threaddraw.h"
#include "display/trendpixels.h"
#include "display/trendresult.h"
#include "display/valuecolors.h"
#include "link/uartdatathread.h"
#include "platform/headlessscreen.h"
#include "platform/textu16.h"
#include "records/threaddataalmrec.h"
#include "support/tempfolder.h"
#include "support/waitfor.h"

namespace {

// Every limit differs from every other limit and from every value below; only the temperature
// alarm records, and the five-lead mode is not the default.
const char kIni[] =
    "[ECG]\nLEAD_MODE=1\nHR_ALM_H=121\nHR_ALM_L=52\nST_ALM_H=50\nST_ALM_L=-60\nARRA_PVCS_ALM_H=9\n"
    "[RESP]\nRR_ALM_H=36\nRR_ALM_L=9\n"
    "[TEMP]\nALM_SW=1\nALM_REC=1\nTEMP_ALM_H=385\nTEMP_ALM_L=352\n"
    "[OXY]\nOXY_ALM_H=99\nOXY_ALM_L=83\nOXY_PR_ALM_H=141\nOXY_PR_ALM_L=44\n"
    "[BP]\nSBP_ALM_H=117\nSBP_ALM_L=96\nDBP_ALM_H=86\nDBP_ALM_L=33\n"
    "[AIROXY]\nAIROXY_ALM_H=67\nAIROXY_ALM_L=26\n";

constexpr int16_t kHr = 72, kSt1 = 12, kSt2 = -34, kPvcs = 5, kRr = 23, kSpo2 = 95, kPr = 88;
constexpr int16_t kSbp = 112, kDbp = 71, kMean = 94, kTemp = 368, kAirOxy = 41;

using EcgFrame = std::array<uint16_t, 7>;  // one sample per channel: I, II, III, aVF, aVL, aVR, V
EcgFrame AllChannels(uint16_t sample)
{
    EcgFrame frame;
    frame.fill(sample);
    return frame;
}
const EcgFrame kFlat = AllChannels(2048);

// The number of records a record file's headers count (the newer copy counts more).
uint32_t RecordCount(const std::string& path)
{
    uint32_t count = 0;
    std::ifstream in(path, std::ios::binary);
    for (uint64_t at : {uint64_t{0}, g_u64HeadBOffset}) {
        REC_FILE_HEAD head{};
        in.clear();
        in.seekg(static_cast<std::streamoff>(at));
        if (in.read(reinterpret_cast<char*>(&head), sizeof head)) count = std::max(count, head.u32Count);
    }
    return count;
}

template <class Control>
std::vector<Control*> ChildrenOf(const CWnd& parent)
{
    std::vector<Control*> found;
    for (CWnd* child : parent.Children())
        if (auto* control = dynamic_cast<Control*>(child)) found.push_back(control);
    return found;
}

class MainDialogValuesThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scratchBitmap.CreateBitmap(CTesmorDlg::kWidth, CTesmorDlg::kHeight);
        scratch.CreateCompatibleDC(nullptr);
        scratch.SelectObject(&scratchBitmap);
        folder.Write("Para.ini", kIni);
        theApp.ResetForTests();
        data = std::make_unique<CMonitorData>();
        theApp.m_pMonitorData = data.get();
        // While the simulator's lock is held, the link thread stops at its first simulator step,
        // before it has parsed anything: only the values set here reach the data object, and
        // the start-up phase lasts until the test ends it.
        simulator = std::unique_lock<CCriticalSection>(theApp.m_csSim);
        ASSERT_TRUE(dlg.CreateMain());
        data->SetEcgHr(kHr);
        data->SetEcgSt(static_cast<uint16_t>(kSt1), static_cast<uint16_t>(kSt2));
        data->SetEcgPvcs(kPvcs);
        data->SetRespRr(kRr);
        data->SetSpo2(kSpo2);
        data->SetSpo2Pr(kPr);
        data->SetTemp(kTemp);
        data->SetAirOxy(kAirOxy);
        CSingleLock guard(data->m_csNibp);
        data->m_i16NibpSbp = kSbp;
        data->m_i16NibpDbp = kDbp;
        data->m_i16NibpMid = kMean;
    }
    void TearDown() override
    {
        if (simulator.owns_lock()) simulator.unlock();
        dlg.DestroyWindow();
        theApp.ResetForTests();
    }

    // n ticks of the 50 ms timer, each after `frames` groups of three time points of every wave:
    // the ECG channels at `ecg`, the pleth and respiration waves at `level`.
    void Ticks(int n, const EcgFrame& ecg = kFlat, uint8_t level = 0, int frames = 1)
    {
        std::array<uint16_t, 21> ecgSamples{};
        for (size_t i = 0; i < ecgSamples.size(); ++i) ecgSamples[i] = ecg[i % 7];
        const uint8_t bytes[3] = {level, level, level};
        for (int t = 0; t < n; ++t) {
            for (int f = 0; f < frames; ++f) {
                data->SetEcgWave(ecgSamples.data());
                data->SetPlethWave(bytes);
                data->SetRespWave(bytes);
            }
            dlg.OnTimer(CTesmorDlg::kTimerMain);
        }
    }

    // Paints a wave view's pending samples as the screen would; the row of the last one.
    int PaintedRow(CSweepWave& view)
    {
        view.ClearNeedsPaint();
        view.OnPaint(&scratch);
        return view.LastY();
    }

    static void DoubleClick(CWnd& wnd) { wnd.OnLButtonDblClk(0, CPoint(80, 50)); }

    // One alarm step (ten ticks), then two system events behind it. The record thread writes
    // one event per pass and, later in the same pass, one queued alarm record: once the second
    // event is in its file, the pass that wrote the first has ended, and the alarm records
    // the step queued are in theirs.
    void AlarmStepWritten()
    {
        Ticks(10);
        const uint32_t events = RecordCount(theApp.m_strSysSavePath);
        SYS_DATA event{};
        U16Copy(event.szEvent, 20, u"test");
        theApp.m_pThreadDataAlmRec->AddSysRecord(&event);
        theApp.m_pThreadDataAlmRec->AddSysRecord(&event);
        ASSERT_TRUE(WaitFor([&] { return RecordCount(theApp.m_strSysSavePath) >= events + 2; }));
    }

    TempFolder folder;
    CHeadlessScreen screen{CTesmorDlg::kWidth, CTesmorDlg::kHeight};
    std::unique_ptr<CMonitorData> data;
    CTesmorDlg dlg;
    std::unique_lock<CCriticalSection> simulator;
    CBitmap scratchBitmap;
    CDC scratch;  // what the wave views paint into
};

TEST_F(MainDialogValuesThreadTest, PanelsShowEachValueAndEachLimitInItsOwnPlace)
{
    data->EndStartupPhase();
    Ticks(10);  // one alarm step
    const CMainPanels& p = dlg.Panels();
    struct SHOWN {
        CValuePanel* panel;
        size_t item;
        std::u16string text;
    };
    const SHOWN shown[] = {
        {p.EcgPanel(), 0, u"72"},        {p.EcgPanel(), 1, u"121"},      {p.EcgPanel(), 2, u"52"},
        {p.EcgPanel(), 5, u"ST1 0.12"},  {p.EcgPanel(), 6, u"ST2 -0.34"}, {p.BpPanel(), 1, u"117/86"},
        {p.BpPanel(), 2, u"96/33"},      {p.TempPanel(), 0, u"36.8"},    {p.TempPanel(), 1, u"38.5"},
        {p.TempPanel(), 2, u"35.2"},     {p.Spo2Panel(), 0, u"95"},      {p.Spo2Panel(), 1, u"88"},
        {p.Spo2Panel(), 2, u"99"},       {p.Spo2Panel(), 3, u"83"},      {p.Spo2Panel(), 4, u"141"},
        {p.Spo2Panel(), 5, u"44"},       {p.RespPanel(), 0, u"23"},      {p.RespPanel(), 1, u"36"},
        {p.RespPanel(), 2, u"9"},        {p.FaPanel(), 0, u"41"},        {p.FaPanel(), 1, u"67"},
        {p.FaPanel(), 2, u"26"},
    };
    for (const SHOWN& s : shown) {
        EXPECT_TRUE(ItemShows(*s.panel, s.item, s.text))
            << ToUtf8(s.panel->Look().pszCaption) << " item " << s.item << ": " << ToUtf8(s.text);
    }
}

TEST_F(MainDialogValuesThreadTest, EveryWaveIsFlatDuringStartupThenTheTracesShowLeadsIIAndI)
{
    std::vector<CSweepWave*> views = {dlg.PlethView(), dlg.RespView()};
    for (int i = 0; i < CTesmorDlg::kEcgViews; ++i) views.push_back(dlg.EcgView(i));
    std::vector<std::set<int>> rows(views.size());
    for (int tick = 0; tick < 20; ++tick) {
        const bool high = tick % 2 == 0;
        Ticks(1, AllChannels(high ? 2548 : 1548), high ? 200 : 20);
        for (size_t v = 0; v < views.size(); ++v) rows[v].insert(PaintedRow(*views[v]));
    }
    for (size_t v = 0; v < views.size(); ++v) {
        EXPECT_EQ(rows[v].size(), 1u) << "view " << v;
        if (v >= 2) {
            EXPECT_EQ(*rows[v].begin(), views[v]->Height() / 2) << "view " << v;  // the ECG baseline
        }
    }

    data->EndStartupPhase();
    EcgFrame leads = kFlat;
    leads[0] = 2048 + 400;  // lead I above the baseline
    leads[1] = 2048 - 400;  // lead II below it
    Ticks(2, leads);
    CECGWave& trace1 = *dlg.EcgView(0);
    CECGWave& trace2 = *dlg.EcgView(1);
    ASSERT_EQ(data->m_nEcgTrace1Lead, 1);
    ASSERT_EQ(data->m_nEcgTrace2Lead, 0);
    EXPECT_GT(PaintedRow(trace1), trace1.Height() / 2);  // lead II
    EXPECT_LT(PaintedRow(trace2), trace2.Height() / 2);  // lead I
}

TEST_F(MainDialogValuesThreadTest, TrendTilesTakeTheDiastolicAndNoPvcsDuringStartup)
{
    Ticks(20);  // one second step, in the start-up phase
    const std::vector<CTrendResult*> tiles = ChildrenOf<CTrendResult>(dlg);
    ASSERT_EQ(tiles.size(), 6u);
    CTrendResult& ecg = *tiles[0];
    CTrendResult& bp = *tiles[1];
    DoubleClick(ecg);
    DoubleClick(ecg);
    ASSERT_EQ(ecg.GetSel(), 2);  // PVCs
    const CRect plot(60, 0, g_i32TrendResultWidth, g_i32TrendResultHeight);
    EXPECT_EQ(CountInRect(*ecg.GetPicture(), plot, g_crECGValue), 0);
    DoubleClick(bp);
    ASSERT_EQ(bp.GetSel(), 1);  // diastolic
    const int row = 109 - CTrendResult::PlotLevel(kDbp, 300, 0);  // the plot's bottom row is 109
    EXPECT_EQ(bp.GetPicture()->GetPixel(61, row), g_crBPValue);
    EXPECT_EQ(CountInRect(*bp.GetPicture(), plot, g_crBPValue), 1);
}

// The bottom strip of the mini-trend shows the compressed respiration wave: 375 samples at 200
// during the start-up phase, then 375 at 0 (75 compressed points, three trend points). Only
// the second part may reach the drawing thread: a line along the bottom from the right edge
// to x 900, and nothing above it.
TEST_F(MainDialogValuesThreadTest, MiniTrendGetsNothingDuringStartup)
{
    CThreadDraw& draw = *theApp.m_pThreadDraw;
    draw.SetViewMode(1);
    Ticks(25, kFlat, 200, 5);
    data->EndStartupPhase();
    Ticks(25, kFlat, 0, 5);
    const std::vector<CECGRespSpo2Trend*> trend = ChildrenOf<CECGRespSpo2Trend>(dlg);
    ASSERT_EQ(trend.size(), 1u);
    CDC& picture = trend[0]->m_dcMem;
    ASSERT_TRUE(WaitFor([&] {
        return draw.BlitTo(&picture) == 0 && CountInRect(picture, CRect(900, 216, 903, 222), g_crRespValue) > 0;
    }));
    EXPECT_EQ(CountInRect(picture, CRect(850, 151, 936, 212), g_crRespValue), 0);
}

TEST_F(MainDialogValuesThreadTest, DataRecordCarriesEachValueFromItsOwnSource)
{
    const std::array<uint16_t, 21> ecg = {};
    for (int i = 0; i < 334; ++i) data->SetEcgRecWave(ecg.data());  // 1002 time points: one record
    Ticks(1);
    const REC_VALUES& v = data->m_stDataRec.val;
    const std::pair<int16_t REC_VALUES::*, int16_t> fields[] = {
        {&REC_VALUES::i16HR, kHr},   {&REC_VALUES::i16ST1, kSt1}, {&REC_VALUES::i16ST2, kSt2},
        {&REC_VALUES::i16PVCs, kPvcs}, {&REC_VALUES::i16RR, kRr},  {&REC_VALUES::i16SpO2, kSpo2},
        {&REC_VALUES::i16PR, kPr},   {&REC_VALUES::i16SBP, kSbp}, {&REC_VALUES::i16DBP, kDbp},
        {&REC_VALUES::i16MBP, kMean}, {&REC_VALUES::i16Temp, kTemp},
    };
    for (size_t i = 0; i < std::size(fields); ++i) EXPECT_EQ(v.*fields[i].first, fields[i].second) << "field " << i;
    EXPECT_EQ(v.i8FiO2, kAirOxy);
}

TEST_F(MainDialogValuesThreadTest, AnAlarmThatStaysIsRecordedOnce)
{
    data->SetTemp(391);  // above the high limit of 38.5
    data->EndStartupPhase();
    ASSERT_TRUE(WaitFor([] { return RecordCount(theApp.m_strSysSavePath) >= 1; }));  // the power-on event
    for (int step = 0; step < 4; ++step) AlarmStepWritten();
    EXPECT_EQ(data->IsTempAlmOn(), 1);
    EXPECT_EQ(RecordCount(theApp.m_strAlmSavePath), 1u);
}

TEST_F(MainDialogValuesThreadTest, StartupCommandsSendTheLeadModeOfTheSettings)
{
    ASSERT_EQ(data->m_nEcgLeadMode, 1);
    UartDataThread reference;
    reference.SendEcgLeadMode(1);
    CCommandQueue::Slot expected{};
    ASSERT_TRUE(reference.Queue().PeekQueued(0, &expected));
    // The link thread stops at its first simulator step, 48 ms after it started and long before
    // a command could time out: at most the first start-up command has left the queue.
    CCommandQueue& queue = theApp.m_pUartDataThread->Queue();
    int found = 0;
    CCommandQueue::Slot slot{};
    for (int i = 0; queue.PeekQueued(i, &slot); ++i) {
        if (slot.byLetter != 'E') continue;
        ++found;
        ASSERT_EQ(slot.wLength, expected.wLength);
        EXPECT_EQ(std::memcmp(slot.byFrame, expected.byFrame, expected.wLength), 0);
    }
    EXPECT_EQ(found, 1);
}

}  // namespace
