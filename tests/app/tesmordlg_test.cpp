// The main dialog tick by tick with its threads running and the link's values set by hand, no
// two alike: where each value, limit, wave, trend point, record and start-up command lands.
// The ticks are driven by calling the timer handler; the threads sleep on the real clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/tesmordlg.h"
#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "display/colortext_static.h"
#include "display/displayfield.h"
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
#include "support/columns.h"
#include "support/picture.h"
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
        ChooseSettings(*data);
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

    // Settings changed by hand between loading the settings file and creating the dialog.
    virtual void ChooseSettings(CMonitorData& /*settings*/) {}

    // Groups of three time points each wave gets before a tick.
    struct FRAMES {
        int ecg, pleth, resp;
    };
    // n ticks of the 50 ms timer, each after `frames` groups of three time points of every wave:
    // the ECG channels at `ecg`, the pleth wave at `level`, the respiration wave at `resp`
    // (at `level` too when not given).
    void Ticks(int n, const EcgFrame& ecg = kFlat, uint8_t level = 0, FRAMES frames = {1, 1, 1}, int resp = -1)
    {
        std::array<uint16_t, 21> ecgSamples{};
        for (size_t i = 0; i < ecgSamples.size(); ++i) ecgSamples[i] = ecg[i % 7];
        const uint8_t pleth[3] = {level, level, level};
        const uint8_t respLevel = resp < 0 ? level : static_cast<uint8_t>(resp);
        const uint8_t breath[3] = {respLevel, respLevel, respLevel};
        for (int t = 0; t < n; ++t) {
            for (int f = 0; f < frames.ecg; ++f) data->SetEcgWave(ecgSamples.data());
            for (int f = 0; f < frames.pleth; ++f) data->SetPlethWave(pleth);
            for (int f = 0; f < frames.resp; ++f) data->SetRespWave(breath);
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

// What the screen shows of a control: its part of the composed frame against its own picture.
int ScreenMismatches(const CHeadlessScreen& screen, const CWnd& control, const CBitmap& picture)
{
    return PixelsDiffering(screen.Frame(), control.ScreenRect(), picture, CPoint(0, 0));
}

struct SHOWN {
    CValuePanel* panel;
    size_t item;
    std::u16string text;
};

void ExpectShown(const std::vector<SHOWN>& shown)
{
    for (const SHOWN& s : shown) {
        EXPECT_TRUE(ItemShows(*s.panel, s.item, s.text))
            << ToUtf8(s.panel->Look().pszCaption) << " item " << s.item << ": " << ToUtf8(s.text);
    }
}

// The start-up phase shows the no-value markers; then every value and limit stands in its own
// place, and the screen shows each panel's new picture after the tick that follows the step.
TEST_F(MainDialogValuesThreadTest, PanelsShowEachValueAndEachLimitInItsOwnPlace)
{
    const CMainPanels& p = dlg.Panels();
    Ticks(11);  // one alarm step in the start-up phase
    ExpectShown({{p.EcgPanel(), 0, u"---"}, {p.EcgPanel(), 5, u"ST1 ---"}, {p.EcgPanel(), 6, u"ST2 ---"},
                 {p.TempPanel(), 0, u"---"}, {p.Spo2Panel(), 0, u"---"}, {p.Spo2Panel(), 1, u"---"},
                 {p.RespPanel(), 0, u"---"}, {p.FaPanel(), 0, u"---"}});
    screen.PaintPass();

    data->EndStartupPhase();
    Ticks(10);  // the next alarm step, then one tick
    ExpectShown({
        {p.EcgPanel(), 0, u"72"},        {p.EcgPanel(), 1, u"121"},      {p.EcgPanel(), 2, u"52"},
        {p.EcgPanel(), 5, u"ST1 0.12"},  {p.EcgPanel(), 6, u"ST2 -0.34"}, {p.BpPanel(), 1, u"117/86"},
        {p.BpPanel(), 2, u"96/33"},      {p.TempPanel(), 0, u"36.8"},    {p.TempPanel(), 1, u"38.5"},
        {p.TempPanel(), 2, u"35.2"},     {p.Spo2Panel(), 0, u"95"},      {p.Spo2Panel(), 1, u"88"},
        {p.Spo2Panel(), 2, u"99"},       {p.Spo2Panel(), 3, u"83"},      {p.Spo2Panel(), 4, u"141"},
        {p.Spo2Panel(), 5, u"44"},       {p.RespPanel(), 0, u"23"},      {p.RespPanel(), 1, u"36"},
        {p.RespPanel(), 2, u"9"},        {p.FaPanel(), 0, u"41"},        {p.FaPanel(), 1, u"67"},
        {p.FaPanel(), 2, u"26"},
    });
    screen.PaintPass();
    for (CValuePanel* panel : std::initializer_list<CValuePanel*>{p.EcgPanel(), p.BpPanel(), p.TempPanel(),
                                                                  p.Spo2Panel(), p.RespPanel(), p.FaPanel()}) {
        EXPECT_EQ(ScreenMismatches(screen, *panel, panel->Surface()), 0) << ToUtf8(panel->Look().pszCaption);
    }
}

// An alarm raised after the start-up phase reaches its line of the status strip, on the
// screen, within a second, and leaves it when it clears.
TEST_F(MainDialogValuesThreadTest, StatusStripShowsAnAlarmAfterStartupUntilItClears)
{
    const CDisplayField& strip = *dlg.Panels().StatusStrip();
    const CRect line(470, 0, 750, 29);  // respiration and temperature
    const COLORREF lowLevelText = 0xFAFAFA;
    screen.PaintPass();
    data->SetTemp(391);  // above the high limit of 38.5
    data->EndStartupPhase();
    Ticks(20);
    screen.PaintPass();
    EXPECT_GT(surfacecheck::CountColour(strip.Surface(), line, lowLevelText), 0);
    EXPECT_EQ(ScreenMismatches(screen, strip, strip.Surface()), 0);
    data->SetTemp(370);
    Ticks(20);
    screen.PaintPass();
    EXPECT_TRUE(surfacecheck::AllColour(strip.Surface(), line, 0));
    EXPECT_EQ(ScreenMismatches(screen, strip, strip.Surface()), 0);
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

// Every item of every trend tile, against a tile made from the screen's table and fed each
// parameter's own value by its id: a second of the start-up phase (markers but for the
// pressures, no PVCs), then a second with every value.
TEST_F(MainDialogValuesThreadTest, TrendTilesPlotEveryItemFromItsOwnValue)
{
    struct TILE {
        COLORREF colour;
        std::vector<TREND_RESULT_TYPE> items;
    };
    const TILE table[] = {
        {g_crECGValue, {{1, 0, 300, 0, u"心律"}, {2, 2, 100, -100, u"ST"}, {3, 0, 20, 0, u"PVC"}}},
        {g_crBPValue, {{4, 0, 300, 0, u"收缩压"}, {5, 0, 300, 0, u"舒张压"}}},
        {g_crTempValue, {{9, 1, 420, 340, u"体温"}}},
        {g_crSPO2Value, {{7, 0, 100, 0, u"饱和度"}, {8, 0, 300, 0, u"脉率"}}},
        {g_crRespValue, {{6, 0, 120, 0, u"呼吸率"}}},
        {g_crFAValue, {{10, 0, 100, 0, u"氧浓度"}}},
    };
    // By parameter id 1..10: HR, ST, PVCs, systolic, diastolic, RR, SpO2, PR, temperature, O2.
    const int16_t startup[] = {g_i16InvalidHr, g_i16InvalidSt, g_i16InvalidPvcs, kSbp, kDbp,
                               g_i16InvalidRr, g_i16InvalidSpo2, g_i16InvalidPr, g_i16InvalidTemp, g_i16InvalidAirOxy};
    const int16_t running[] = {kHr, kSt1, kPvcs, kSbp, kDbp, kRr, kSpo2, kPr, kTemp, kAirOxy};
    const std::vector<CTrendResult*> tiles = ChildrenOf<CTrendResult>(dlg);
    ASSERT_EQ(tiles.size(), std::size(table));
    CWnd parent;
    parent.Create(nullptr, CRect(0, 0, 200, 200), 1);
    std::vector<std::unique_ptr<CTrendResult>> made;
    for (size_t t = 0; t < tiles.size(); ++t) {  // before the first second: the captions alone
        made.push_back(std::make_unique<CTrendResult>(table[t].colour));
        for (const TREND_RESULT_TYPE& item : table[t].items) made[t]->AddItem(item);
        PlaceControl(*made[t], PLACEMENT{0, 0, g_i32TrendResultWidth, g_i32TrendResultHeight, true}, &parent);
        made[t]->DrawCaption();
        EXPECT_EQ(PixelsDiffering(BitmapOf(*tiles[t]->GetPicture()), BitmapOf(*made[t]->GetPicture())), 0) << t;
    }
    Ticks(20);
    data->EndStartupPhase();
    Ticks(20);
    for (size_t t = 0; t < tiles.size(); ++t) {
        CTrendResult& expected = *made[t];
        for (const int16_t* second : {startup, running}) {
            for (int16_t id = 1; id <= 10; ++id) expected.AddValue(id, second[id - 1]);
            expected.Refresh();
        }
        ASSERT_EQ(tiles[t]->GetItemCount(), expected.GetItemCount()) << "tile " << t;
        for (int sel = 0; sel < expected.GetItemCount(); ++sel) {
            ASSERT_EQ(tiles[t]->GetSel(), sel) << "tile " << t;
            ASSERT_EQ(expected.GetSel(), sel) << "tile " << t;
            EXPECT_EQ(PixelsDiffering(BitmapOf(*tiles[t]->GetPicture()), BitmapOf(*expected.GetPicture())), 0)
                << "tile " << t << ", item " << sel;
            DoubleClick(*tiles[t]);
            DoubleClick(expected);
        }
    }
}

// The three rate strips of the mini-trend: once a second the view takes the drawing thread's
// picture and is marked for painting; each strip shows its own rate, at the height its scale
// gives, along the newest points and nowhere else in the strip.
TEST_F(MainDialogValuesThreadTest, MiniTrendDrawsEachRateFromItsOwnValue)
{
    data->EndStartupPhase();
    Ticks(25, kFlat, 0, {5, 5, 5});  // 375 respiration samples: three trend points
    struct SERIES {
        const char* name;
        COLORREF colour;
        int top;
        int bottom;
        int row;
    };
    const SERIES series[] = {
        {"heart rate", g_crECGValue, 2, 74, 72 - kHr * 14 / 70},
        {"SpO2", g_crSPO2Value, 76, 149, 147 - kSpo2 * 14 / 20},
        {"respiration rate", g_crRespValue, 150, 220, 219 - kRr * 17 / 30},
    };
    const auto along = [](const SERIES& s, int left, int right) { return CRect(left, s.row - 1, right, s.row + 2); };
    // Until the thread has drawn all three points in every strip, wherever (the oldest segment
    // starts at x 911); where they stand is checked below.
    CBitmap drawnBitmap;
    drawnBitmap.CreateBitmap(938, 265);
    CDC drawn;
    drawn.CreateCompatibleDC(nullptr);
    drawn.SelectObject(&drawnBitmap);
    ASSERT_TRUE(WaitFor([&] {
        return theApp.m_pThreadDraw->BlitTo(&drawn) == 0 &&
               std::all_of(std::begin(series), std::end(series), [&](const SERIES& s) {
                   return CountInRect(drawn, CRect(911, s.top, 914, s.bottom), s.colour) > 0;
               });
    }));

    const std::vector<CECGRespSpo2Trend*> trend = ChildrenOf<CECGRespSpo2Trend>(dlg);
    ASSERT_EQ(trend.size(), 1u);
    CDC& picture = trend[0]->m_dcMem;
    picture.FillSolidRect(CRect(0, 0, 938, 265), 0);
    trend[0]->ClearNeedsPaint();
    Ticks(20, kFlat, 0, {0, 0, 0});  // a second step, with no new trend point
    EXPECT_TRUE(trend[0]->NeedsPaint());
    for (const SERIES& s : series) {
        EXPECT_GT(CountInRect(picture, along(s, 911, 936), s.colour), 0) << s.name;
        const int inStrip = CountInRect(picture, CRect(36, s.top, 938, s.bottom), s.colour);
        EXPECT_EQ(inStrip, CountInRect(picture, along(s, 911, 936), s.colour)) << s.name;
    }
}

// The bottom strip of the mini-trend shows the compressed respiration wave: 375 samples at 200
// during the start-up phase, then 375 at 0 (75 compressed points, three trend points). Only
// the second part may reach the drawing thread: a line along the bottom from the right edge
// to x 900, and nothing above it or further left. The thread first draws after the last tick.
TEST_F(MainDialogValuesThreadTest, MiniTrendGetsNothingDuringStartup)
{
    CThreadDraw& draw = *theApp.m_pThreadDraw;
    draw.SetViewMode(1);
    draw.m_bDrawEnable = 0;
    Ticks(25, kFlat, 200, {7, 2, 5});  // more ECG samples than respiration samples, fewer pleth
    data->EndStartupPhase();
    Ticks(25, kFlat, 0, {7, 2, 5});
    draw.m_bDrawEnable = 1;
    const std::vector<CECGRespSpo2Trend*> trend = ChildrenOf<CECGRespSpo2Trend>(dlg);
    ASSERT_EQ(trend.size(), 1u);
    CDC& picture = trend[0]->m_dcMem;
    const CRect strip(36, 151, 938, 265);
    ASSERT_TRUE(WaitFor([&] { return draw.BlitTo(&picture) == 0 && CountInRect(picture, strip, g_crRespValue) > 0; }));
    EXPECT_GT(CountInRect(picture, CRect(900, 216, 903, 222), g_crRespValue), 0);
    EXPECT_EQ(CountInRect(picture, strip, g_crRespValue), CountInRect(picture, CRect(900, 212, 938, 222), g_crRespValue));
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

// During the start-up phase no alarm is evaluated, shown or recorded, though every group's
// value lies beyond its limit (and every no-value marker below every low limit). After it,
// each group's alarm is raised, shown on its line of the status strip and recorded once, as
// long as it stays.
TEST_F(MainDialogValuesThreadTest, AlarmsWaitForTheEndOfStartupThenEachIsShownAndRecordedOnce)
{
    CMonitorData& d = *data;
    for (int* on : {&d.m_nEcgAlmSw, &d.m_nRespAlmSw, &d.m_nOxyAlmSw, &d.m_nBpAlmSw, &d.m_nAirOxyAlmSw, &d.m_nEcgAlmRec,
                    &d.m_nRespAlmRec, &d.m_nOxyAlmRec, &d.m_nBpAlmRec, &d.m_nAirOxyAlmRec})
        *on = 1;
    d.SetEcgHr(130);   // above 121
    d.SetRespRr(40);   // above 36
    d.SetTemp(391);    // above 38.5
    d.SetSpo2(80);     // below 83
    d.SetAirOxy(70);   // above 67
    {
        CSingleLock guard(d.m_csNibp);
        d.m_i16NibpSbp = 125;  // above 117
    }
    const auto alarmsOn = [&] {
        return std::vector<int>{d.IsAnyEcgAlmOn(), d.IsRespAlmOn(), d.IsTempAlmOn(),
                                d.IsSpo2AlmOn(), d.IsNibpAlmOn(), d.IsAirOxyAlmOn()};
    };
    const CBitmap& strip = dlg.Panels().StatusStrip()->Surface();
    const CRect lines[4] = {{190, 0, 470, 29}, {470, 0, 750, 29}, {190, 29, 470, 58}, {470, 29, 750, 58}};
    ASSERT_TRUE(WaitFor([] { return RecordCount(theApp.m_strSysSavePath) >= 1; }));  // the power-on event
    for (int step = 0; step < 3; ++step) ASSERT_NO_FATAL_FAILURE(AlarmStepWritten());
    EXPECT_EQ(alarmsOn(), std::vector<int>(6, 0));
    for (const CRect& line : lines) EXPECT_TRUE(surfacecheck::AllColour(strip, line, 0)) << "start-up";
    EXPECT_EQ(RecordCount(theApp.m_strAlmSavePath), 0u);

    d.EndStartupPhase();
    for (int step = 0; step < 4; ++step) ASSERT_NO_FATAL_FAILURE(AlarmStepWritten());
    EXPECT_EQ(alarmsOn(), std::vector<int>(6, 1));
    for (const CRect& line : lines) EXPECT_FALSE(surfacecheck::AllColour(strip, line, 0)) << "after start-up";
    EXPECT_EQ(RecordCount(theApp.m_strAlmSavePath), 6u);
}

// The ECG panel's heart shows on the tick after the link reports a beat, and only then; the
// SpO2 panel's pulse bar follows the pulse strength.
TEST_F(MainDialogValuesThreadTest, BeatHeartAndPulseBarFollowTheLink)
{
    const auto picture = [](const CValuePanel* panel) { return PixelsOf(panel->Surface()); };
    const CValuePanel* ecg = dlg.Panels().EcgPanel();
    const CValuePanel* spo2 = dlg.Panels().Spo2Panel();
    Ticks(1);
    const std::vector<uint32_t> ecgCalm = picture(ecg), spo2Calm = picture(spo2);
    data->SetEcgBeat(1);
    Ticks(1);
    EXPECT_NE(picture(ecg), ecgCalm);
    EXPECT_EQ(picture(spo2), spo2Calm);
    Ticks(1);
    EXPECT_EQ(picture(ecg), ecgCalm);  // the beat is taken once
    data->SetSpo2Strength(9);
    Ticks(1);
    EXPECT_NE(picture(spo2), spo2Calm);
    EXPECT_EQ(picture(ecg), ecgCalm);
}

// Wave, start-up and caption settings. Across the four rounds every setting differs from every
// other in some round and takes two values, three where it has three or more; the pace, filter
// and apnoea-time codes include ones the program sends as others (pace 2 as off, filter 3 as
// diagnosis, apnoea time 3 as 30 s), and the last three columns hold what each sends.
struct DISPLAY_SETTINGS {
    int ecgSpeed, plethSpeed, respSpeed, hrLead, trap, leadMode, ecgGain, respGain, trace1, trace2;
    int paceSw, filter, apnea, paceSent, filterSent, apneaSent;
};
const DISPLAY_SETTINGS kRounds[] = {
    {1, 0, 0, 1, 1, 0, 0, 4, 3, 5, /**/ 1, 2, 0, /**/ 1, 2, 0},
    {0, 1, 0, 0, 1, 1, 2, 1, 5, 6, /**/ 2, 3, 2, /**/ 0, 0, 2},
    {0, 0, 1, 0, 0, 1, 1, 3, 6, 7, /**/ 1, 1, 3, /**/ 1, 1, 1},  // trace lead 7 is none of the seven channels
    {1, 1, 1, 0, 0, 0, 2, 0, 0, 2, /**/ 0, 0, 1, /**/ 0, 0, 1},
};

void PrintTo(const DISPLAY_SETTINGS& s, std::ostream* out)
{
    *out << "trace leads " << s.trace1 << " and " << s.trace2;
}

class MainDialogSettingsThreadTest : public MainDialogValuesThreadTest,
                                     public ::testing::WithParamInterface<DISPLAY_SETTINGS> {
protected:
    void ChooseSettings(CMonitorData& d) override
    {
        const DISPLAY_SETTINGS& s = GetParam();
        d.m_nEcgWaveSpeed = s.ecgSpeed;
        d.m_nPlethSpeed = s.plethSpeed;
        d.m_nRespSpeed = s.respSpeed;
        d.m_nEcgHrLead = s.hrLead;
        d.m_nEcgTrap = s.trap;
        d.m_nEcgLeadMode = s.leadMode;
        d.m_nEcgWaveGain = s.ecgGain;
        d.m_nRespGain = s.respGain;
        d.m_nEcgTrace1Lead = s.trace1;
        d.m_nEcgTrace2Lead = s.trace2;
        d.m_nEcgPaceSw = s.paceSw;
        d.m_nEcgWaveFilter = s.filter;
        d.m_nRespApneaTime = s.apnea;
    }
};

INSTANTIATE_TEST_SUITE_P(Settings, MainDialogSettingsThreadTest, ::testing::ValuesIn(kRounds),
                         [](const auto& round) { return "Round" + std::to_string(round.index + 1); });

// Each wave view against a view made from the screen's table (lead label, scale, speed, gain)
// and fed its own channel: each ECG channel, the pleth and the respiration wave at a level of
// its own. What each paints must match pixel for pixel.
TEST_P(MainDialogSettingsThreadTest, EveryWaveViewDrawsItsOwnSignalAtItsOwnSettings)
{
    const DISPLAY_SETTINGS& s = GetParam();
    // Tick t: ECG channel c at 1928 + 40 c + 3 t, the pleth wave at 100 + 3 t, respiration at 10 + 2 t.
    const int ticks = 30;
    const auto ecgAt = [](int c, int t) { return static_cast<uint16_t>(2048 - 120 + 40 * c + 3 * t); };
    const auto plethAt = [](int t) { return 100 + 3 * t; };
    const auto respAt = [](int t) { return 10 + 2 * t; };
    const int startupTicks = 5;  // the same signals, shown flat
    const FRAMES frames = {2, 1, 3};  // samples a tick: 6 of each ECG channel, 3 pleth, 9 respiration
    for (int v = 0; v < CTesmorDlg::kEcgViews; ++v) dlg.EcgView(v)->ClearNeedsPaint();
    dlg.PlethView()->ClearNeedsPaint();
    dlg.RespView()->ClearNeedsPaint();
    for (int t = -startupTicks; t < ticks; ++t) {
        if (t == 0) data->EndStartupPhase();
        EcgFrame ecg;
        for (size_t c = 0; c < ecg.size(); ++c) ecg[c] = ecgAt(static_cast<int>(c), std::max(t, 0));
        Ticks(1, ecg, static_cast<uint8_t>(plethAt(std::max(t, 0))), frames, respAt(std::max(t, 0)));
    }

    struct VIEW {
        CSweepWave* shown;
        std::unique_ptr<CSweepWave> expected;
        std::function<int(int)> sampleAt;  // by tick
        int flat;                          // its baseline, shown during the start-up phase
        int perTick;                       // samples a tick
    };
    const unsigned styles[] = {1, 0, 2, 3, 4, 4, 4};  // lead labels II, I, III, aVF, aVL
    // A trace lead outside the seven channels shows lead II.
    const int channels[] = {s.trace1 == 7 ? 1 : s.trace1, s.trace2 == 7 ? 1 : s.trace2, 2, 3, 4, 5, 6};
    std::vector<VIEW> views;
    for (int v = 0; v < CTesmorDlg::kEcgViews; ++v) {
        auto view = std::make_unique<CECGWave>(0, 0, styles[v]);
        view->SetScaleUnit(v < 2 ? 30 : 25);
        view->SetScaleDivisor(820);
        view->SetSpeed(s.ecgSpeed);
        view->SetGain(s.ecgGain);
        const int channel = channels[v];
        views.push_back({dlg.EcgView(v), std::move(view), [&ecgAt, channel](int t) { return ecgAt(channel, t); }, 2048, 3 * frames.ecg});
    }
    auto plethView = std::make_unique<CPlethWave>(0, 0, 0);
    plethView->SetScaleUnit(105);
    plethView->SetScaleDivisor(120);
    plethView->SetSpeed(s.plethSpeed);
    plethView->SetGain(1);
    views.push_back({dlg.PlethView(), std::move(plethView), plethAt, 0, 3 * frames.pleth});
    auto respView = std::make_unique<CRespWave>(0, 0, 0);
    respView->SetScaleUnit(105);
    respView->SetScaleDivisor(256);
    respView->SetSpeed(s.respSpeed);
    respView->SetGain(s.respGain);
    views.push_back({dlg.RespView(), std::move(respView), respAt, 0, 3 * frames.resp});

    CWnd parent;
    parent.Create(nullptr, CRect(0, 0, CTesmorDlg::kWidth, CTesmorDlg::kHeight), 1);
    for (size_t v = 0; v < views.size(); ++v) {
        CSweepWave& expected = *views[v].expected;
        PlaceControl(expected, PLACEMENT{0, 0, views[v].shown->Width(), views[v].shown->Height(), true}, &parent);
        const int perTick = views[v].perTick;
        for (int i = 0; i < startupTicks * perTick; ++i) expected.AddSample(views[v].flat);
        for (int i = 0; i < ticks * perTick; ++i) expected.AddSample(views[v].sampleAt(i / perTick));
        ASSERT_EQ(views[v].shown->PendingCount(), expected.PendingCount()) << "view " << v;
        EXPECT_TRUE(views[v].shown->NeedsPaint()) << "view " << v;
        for (CSweepWave* view : {views[v].shown, &expected}) {
            view->Invalidate();  // both paints copy the whole picture
            view->ClearNeedsPaint();
        }
        CBitmap shownPicture, expectedPicture;
        PaintInto(*views[v].shown, shownPicture);
        PaintInto(expected, expectedPicture);
        EXPECT_EQ(PixelsDiffering(shownPicture, expectedPicture), 0) << "view " << v;
    }
}

// Each frame a command queue holds, as its letter followed by its bytes.
std::vector<std::vector<uint8_t>> Queued(CCommandQueue& queue)
{
    std::vector<std::vector<uint8_t>> frames;
    CCommandQueue::Slot slot{};
    for (int i = 0; queue.PeekQueued(i, &slot); ++i) {
        std::vector<uint8_t> frame{slot.byLetter};
        frame.insert(frame.end(), slot.byFrame, slot.byFrame + slot.wLength);
        frames.push_back(frame);
    }
    return frames;
}

// The frames of the `issued` commands in the order they were queued: the one the link thread
// may have taken to send (it takes at most one, the head, before it awaits its acknowledgement
// for 500 ms), then those still queued. A snapshot taken while the count stands still is whole.
std::vector<std::vector<uint8_t>> Commands(CCommandQueue& queue, size_t issued)
{
    int queued = 0;
    std::vector<std::vector<uint8_t>> frames;
    do {
        queued = queue.Count();
        frames = Queued(queue);
    } while (queue.Count() != queued);
    if (frames.size() < issued) {
        std::vector<uint8_t> frame{queue.AwaitedLetter()};
        frame.insert(frame.end(), queue.CurFrame(), queue.CurFrame() + queue.CurLength());
        frames.insert(frames.begin(), frame);
    }
    return frames;
}

// A command with one data byte below 0x80, as its letter followed by its frame: the letter, the
// two high-bit bytes, the byte with bit 7 set, and the checksum (bit 7 set over the low seven
// bits of the sum of the bytes before it).
std::vector<uint8_t> Command(char letter, int byte)
{
    const auto l = static_cast<uint8_t>(letter);
    return {l, l, 0x80, 0x80, static_cast<uint8_t>(0x80 | byte), static_cast<uint8_t>(0x80 | ((l + byte) & 0x7F))};
}

// Every start-up command, letter and bytes, carries its own setting, in the order the front
// end is set up.
TEST_P(MainDialogSettingsThreadTest, StartupCommandsCarryTheirOwnSettings)
{
    ExpectColumnsApart(IntColumns(kRounds, "ecgSpeed plethSpeed respSpeed hrLead trap leadMode ecgGain:3 respGain:3 trace1:3 "
                                           "trace2:3 paceSw:3 filter:3 apnea:3 paceSent filterSent:3 apneaSent:3"));
    const DISPLAY_SETTINGS& s = GetParam();
    const std::vector<std::vector<uint8_t>> expected = {
        Command('M', s.hrLead),    Command('H', s.ecgGain),   Command('K', s.paceSent),
        Command('J', s.trap),      Command('G', s.filterSent), Command('E', s.leadMode),
        Command('P', s.respGain),  Command('R', s.apneaSent), Command('W', 0),
        {'Y', 0x59, 0x80, 0x80, 0xD9},  // the NIBP reset, without data
    };
    EXPECT_EQ(Commands(theApp.m_pUartDataThread->Queue(), expected.size()), expected);
}

// The four captions over the wave views, each against a caption made where and as the screen
// names it.
TEST_F(MainDialogValuesThreadTest, WaveCaptionsNameTheirWavesInTheirColours)
{
    const std::vector<CColorText_Static*> captions = ChildrenOf<CColorText_Static>(dlg);
    struct CAPTION {
        const char16_t* text;
        COLORREF colour;
        CRect place;
    };
    const CAPTION expected[] = {{u"ECG", 0x00E100, {10, 60, 50, 80}},
                                {u"ECG", 0x00E100, {10, 260, 50, 280}},
                                {u"PLETH", 0xFFCD80, {10, 460, 70, 480}},
                                {u"RESP", 0x62EEEE, {10, 600, 70, 620}}};
    ASSERT_EQ(captions.size(), std::size(expected));
    CWnd parent;
    parent.Create(nullptr, CRect(0, 0, CTesmorDlg::kWidth, CTesmorDlg::kHeight), 1);
    for (size_t i = 0; i < captions.size(); ++i) {
        CColorText_Static reference;
        reference.Create(expected[i].text, WS_CHILD | WS_VISIBLE, expected[i].place, &parent, 0x10202);
        reference.SetTextColor(expected[i].colour);
        reference.SetBkColor(0);
        reference.SetFontPointSize(160, u"宋体", TRUE);
        CRect place;
        captions[i]->GetWindowRect(&place);
        EXPECT_EQ(place, expected[i].place) << "caption " << i;
        EXPECT_TRUE(captions[i]->IsWindowVisible()) << "caption " << i;
        EXPECT_EQ(captions[i]->GetDlgCtrlID(), reference.GetDlgCtrlID()) << "caption " << i;
        EXPECT_EQ(captions[i]->GetWindowText(), reference.GetWindowText()) << "caption " << i;
        CBitmap shown, made;
        PaintInto(*captions[i], shown);
        PaintInto(reference, made);
        EXPECT_EQ(PixelsDiffering(shown, made), 0) << "caption " << i;
    }
}

// The main window covers the screen; the panels' double clicks open nothing and answer 0, as
// does any other message; destroying the window stops the three threads and deletes every
// control, once.
TEST_F(MainDialogValuesThreadTest, MainWindowAnswersItsMessagesAndTakesEverythingDownOnce)
{
    CRect rect;
    dlg.GetWindowRect(&rect);
    EXPECT_EQ(rect, CRect(0, 0, CTesmorDlg::kWidth, CTesmorDlg::kHeight));
    for (UINT message = WM_PANEL_ECG_DBLCLK; message <= WM_PANEL_FA_DBLCLK + 1; ++message)
        EXPECT_EQ(dlg.OnUserMessage(message, 0, 0), 0) << "message " << message;
    // Its background is black whatever stood there before; a timer of another id runs nothing.
    CBitmap background;
    background.CreateBitmap(CTesmorDlg::kWidth, CTesmorDlg::kHeight);
    scratch.SelectObject(&background);
    scratch.FillSolidRect(rect, 0xFFFFFF);
    EXPECT_TRUE(dlg.OnEraseBkgnd(&scratch));
    EXPECT_TRUE(surfacecheck::AllColour(background, rect, 0));
    dlg.OnTimer(CTesmorDlg::kTimerMain + 1);
    EXPECT_EQ(dlg.TickCount(), 0u);

    // The link thread waits at its simulator step, 48 ms after it started, while this test
    // holds the simulator's lock. The window is destroyed on a second thread meanwhile: it
    // returns only when every worker thread, the link thread too, has ended.
    EXPECT_FALSE(dlg.WorkerThreadsEnded());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    BOOL destroyed = FALSE;
    bool endedWhenDestroyed = false;
    std::thread destroyer([&] {
        destroyed = dlg.DestroyWindow();
        endedWhenDestroyed = dlg.WorkerThreadsEnded();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    simulator.unlock();
    destroyer.join();
    EXPECT_TRUE(destroyed);
    EXPECT_TRUE(endedWhenDestroyed);
    EXPECT_FALSE(dlg.IsCreated());
    EXPECT_EQ(theApp.m_pUartDataThread, nullptr);
    EXPECT_EQ(theApp.m_pThreadDataAlmRec, nullptr);
    EXPECT_EQ(theApp.m_pThreadDraw, nullptr);
    for (int i = 0; i < CTesmorDlg::kEcgViews; ++i) EXPECT_EQ(dlg.EcgView(i), nullptr) << "view " << i;
    for (int i = 0; i < CTesmorDlg::kWaveCaptions; ++i) EXPECT_EQ(dlg.WaveCaption(i), nullptr) << "caption " << i;
    EXPECT_EQ(dlg.PlethView(), nullptr);
    EXPECT_EQ(dlg.RespView(), nullptr);
    EXPECT_EQ(dlg.Panels().StatusStrip(), nullptr);
    EXPECT_FALSE(dlg.DestroyWindow());
}

TEST(MainDialogTest, WithoutTheMonitoringDataObjectTheWindowIsNotMadeAndSaysWhy)
{
    TempFolder folder;
    theApp.ResetForTests();
    CTesmorDlg dlg;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(dlg.CreateMain());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "tesmor: the monitoring data object is missing; cannot start\n");
    dlg.OnTimer(CTesmorDlg::kTimerMain);  // a timer that still fired would find nothing to read
    EXPECT_EQ(dlg.TickCount(), 0u);
    EXPECT_EQ(theApp.m_pUartDataThread, nullptr);
}

}  // namespace
