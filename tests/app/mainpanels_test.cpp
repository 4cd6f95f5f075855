// The main screen's panels and status strip as the main dialog creates them and feeds them
// every tick, every 500 ms and every second. What they show is compared with reference
// controls of the same classes driven directly with the expected values.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/mainpanels.h"
#include "app/maintrends.h"
#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "display/displayfield.h"
#include "display/staticbpvaluenormal.h"
#include "display/staticvalueecgnormal.h"
#include "display/staticvaluefanormal.h"
#include "display/staticvaluerespnormal.h"
#include "display/staticvaluespo2normal.h"
#include "display/staticvaluetempnormal.h"
#include "display/surfacecheck.h"
#include "display/trendpixels.h"
#include "display/trendresult.h"
#include "platform/fakeclock.h"
#include "platform/powerstatus.h"
#include "platform/textu16.h"
#include "platform/wnd.h"
#include "support/columns.h"
#include "support/picture.h"
#include "support/tempfolder.h"

namespace {

using surfacecheck::ShowsOnly;

// The settings a panel takes at start-up: limits, alarm switches, pace and heart-rate source,
// and the pace switch the ECG panel shows (a pace code other than 0 and 1 shows off).
struct PANEL_SETTINGS {
    int hrH, hrL, sbpH, dbpH, sbpL, dbpL, tempH, tempL, spo2H, spo2L, prH, prL, rrH, rrL, oxyH, oxyL;
    int ecgSw, bpSw, tempSw, spo2Sw, respSw, faSw;
    int pace, hrForm, paceShown;
};

void Apply(CMonitorData& d, const PANEL_SETTINGS& s)
{
    d.m_nEcgHrAlmH = s.hrH;
    d.m_nEcgHrAlmL = s.hrL;
    d.m_nBpSbpAlmH = s.sbpH;
    d.m_nBpDbpAlmH = s.dbpH;
    d.m_nBpSbpAlmL = s.sbpL;
    d.m_nBpDbpAlmL = s.dbpL;
    d.m_nTempAlmH = s.tempH;
    d.m_nTempAlmL = s.tempL;
    d.m_nOxyAlmH = s.spo2H;
    d.m_nOxyAlmL = s.spo2L;
    d.m_nOxyPrAlmH = s.prH;
    d.m_nOxyPrAlmL = s.prL;
    d.m_nRespRrAlmH = s.rrH;
    d.m_nRespRrAlmL = s.rrL;
    d.m_nAirOxyAlmH = s.oxyH;
    d.m_nAirOxyAlmL = s.oxyL;
    d.m_nEcgAlmSw = s.ecgSw;
    d.m_nBpAlmSw = s.bpSw;
    d.m_nTempAlmSw = s.tempSw;
    d.m_nOxyAlmSw = s.spo2Sw;
    d.m_nRespAlmSw = s.respSw;
    d.m_nAirOxyAlmSw = s.faSw;
    d.m_nEcgPaceSw = s.pace;
    d.m_nEcgHrForm = s.hrForm;
}

// Every limit its own value, so a limit read from the wrong setting shows; over the four rows
// every setting differs from every other in some row and takes two values at least; the third
// row holds every limit at 0, the value the panels' caches start with.
const PANEL_SETTINGS kSettingRows[] = {
    {157, 43, 181, 117, 88, 52, 392, 351, 99, 91, 134, 47, 38, 9, 76, 24, 0, 1, 1, 0, 0, 1, 2, 1, 0},
    {212, 61, 163, 104, 97, 66, 385, 342, 96, 87, 151, 58, 44, 12, 68, 31, 1, 0, 1, 0, 1, 0, 1, 0, 1},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 0, 0, 0, 0, 0},
    {133, 37, 174, 96, 101, 59, 377, 358, 93, 85, 127, 52, 41, 15, 59, 33, 1, 0, 0, 0, 0, 0, 1, 1, 1},
};

// The parts of a panel's normal layout that differ from the reference: its items by index,
// the bell, then anything else on the surface.
std::string DifferingParts(const CValuePanel& got, CValuePanel& want)
{
    std::string parts;
    for (size_t i = 0; i < want.Items().size(); ++i) {
        const PANEL_ITEM& item = *want.Items()[i];
        if (item.rcBox[g_nLayoutNormal].IsRectEmpty()) continue;
        int n = 0;
        for (const CRect& r : want.ClearRegion(item, g_nLayoutNormal)) n += PixelsDiffering(got.Surface(), r, want.Surface());
        if (n != 0) parts += " item" + std::to_string(i);
    }
    if (PixelsDiffering(got.Surface(), want.Look().rcBell, want.Surface()) != 0) parts += " bell";
    const CSize size = want.Look().szNormal;
    if (PixelsDiffering(got.Surface(), CRect(0, 0, size.cx, size.cy), want.Surface()) != 0) parts += " surface";
    return parts;
}

// The six panels made directly, each showing what start-up gives it under the settings.
struct ReferencePanels {
    CWnd parent;
    CStaticValueECGNormal ecg;
    CStaticBPValueNormal bp;
    CStaticValueTempNormal temp;
    CStaticValueSPO2Normal spo2;
    CStaticValueRespNormal resp;
    CStaticValueFANormal fa;

    explicit ReferencePanels(const PANEL_SETTINGS& s)
    {
        parent.Create(nullptr, CRect(0, 0, 1400, 800), 2);
        for (CValuePanel* p : std::vector<CValuePanel*>{&ecg, &bp, &temp, &spo2, &resp, &fa})
            p->Create(u"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, CRect(CPoint(0, 0), p->Look().szNormal), &parent, 123);
        ecg.SetHr(-100, true);
        ecg.SetSt1(-10000, true);
        ecg.SetSt2(-10000, true);
        ecg.SetHrAlmH(static_cast<short>(s.hrH), true);
        ecg.SetHrAlmL(static_cast<short>(s.hrL), true);
        ecg.SetPaceSw(static_cast<short>(s.paceShown), true);
        ecg.SetHrSource(static_cast<short>(s.hrForm), true);
        ecg.SetPvcs(0, true);
        ecg.SetAlmSw(s.ecgSw, true);
        bp.SetNibpTime(0, 0, 0, true);
        bp.SetNibp(300, 120, true);
        bp.SetNibpAlmH(s.sbpH, s.dbpH, true);
        bp.SetNibpAlmL(s.sbpL, s.dbpL, true);
        bp.SetNibpMidValue(0, true);
        bp.SetAlmSw(s.bpSw, true);
        temp.SetTemp(-100, true);
        temp.SetTempAlmH(static_cast<short>(s.tempH), true);
        temp.SetTempAlmL(static_cast<short>(s.tempL), true);
        temp.SetTempUnit(0, true);
        temp.SetAlmSw(s.tempSw, true);
        spo2.SetSpo2(-100, true);
        spo2.SetPr(-100, true);
        spo2.SetSpo2AlmH(static_cast<short>(s.spo2H), true);
        spo2.SetSpo2AlmL(static_cast<short>(s.spo2L), true);
        spo2.SetPrAlmH(static_cast<short>(s.prH), true);
        spo2.SetPrAlmL(static_cast<short>(s.prL), true);
        spo2.SetAlmSw(s.spo2Sw, true);
        resp.SetRr(-100, true);
        resp.SetRrAlmH(static_cast<short>(s.rrH), true);
        resp.SetRrAlmL(static_cast<short>(s.rrL), true);
        resp.SetAlmSw(s.respSw, true);
        fa.SetAirOxy(-100, true);
        fa.SetAirOxyAlmH(static_cast<short>(s.oxyH), true);
        fa.SetAirOxyAlmL(static_cast<short>(s.oxyL), true);
        fa.SetAlmSw(s.faSw, true);
    }
};

class MainPanelsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        theApp.ResetForTests();
        data = std::make_unique<CMonitorData>();
        theApp.m_pMonitorData = data.get();
        parent.Create(nullptr, CRect(0, 0, 1400, 800), 1);
        SetPowerSupplyFolder(folder.File("power"));
    }
    void TearDown() override
    {
        SetPowerSupplyFolder("/sys/class/power_supply");
        theApp.ResetForTests();
    }

    std::vector<CValuePanel*> Panels() const
    {
        return {panels.EcgPanel(), panels.BpPanel(),   panels.TempPanel(),
                panels.Spo2Panel(), panels.RespPanel(), panels.FaPanel()};
    }
    // Per control, strip first and then the panels in the order of Panels(): D while its surface
    // waits for a refresh, P when a refresh marked it for painting, - when neither; then clears
    // the paint marks for the next step.
    std::string RefreshState()
    {
        std::string state(1, panels.StatusStrip()->IsDirty() ? 'D' : panels.StatusStrip()->NeedsPaint() ? 'P' : '-');
        for (CValuePanel* p : Panels()) state += p->IsDirty() ? 'D' : p->NeedsPaint() ? 'P' : '-';
        panels.StatusStrip()->ClearNeedsPaint();
        for (CValuePanel* p : Panels()) p->ClearNeedsPaint();
        return state;
    }

    TempFolder folder;
    FakeClock clock;
    std::unique_ptr<CMonitorData> data;
    CWnd parent;
    CMainPanels panels;
};

// An alarm of each type, raised alone, blinks the frame of its own group's panel and of no
// other: the frame's left strip shows the panel colour on the first blink step, black otherwise.
// During the start-up phase the alarm step leaves every frame black.
TEST_F(MainPanelsTest, AnAlarmBlinksOnlyThePanelOfItsGroup)
{
    panels.Create(&parent, *data);
    const std::vector<CValuePanel*> all = Panels();
    struct GROUP {
        int type;
        CValuePanel* panel;
    };
    // ECG, ST and arrhythmia share the ECG panel.
    const GROUP groups[] = {{1, all[0]}, {7, all[0]}, {8, all[0]}, {5, all[1]},
                            {4, all[2]}, {3, all[3]}, {2, all[4]}, {6, all[5]}};
    const PANEL_VALUES markers = {-100, -10000, -10000, -100, -100, -100, -100, -100};
    for (const GROUP& group : groups) {
        ASSERT_EQ(data->RaiseAlarm(group.type, 1, u"2026-12-07 08:00:00", 0, 0), 0) << group.type;
        panels.OnAlarmStep(*data, markers, true);
        for (const CValuePanel* panel : all) EXPECT_EQ(panel->GetSurfacePixel(0, 20), 0u) << "start-up";
        panels.OnAlarmStep(*data, markers, false);
        for (const CValuePanel* panel : all) {
            const COLORREF expected = panel == group.panel ? panel->Look().crPanel : 0;
            EXPECT_EQ(panel->GetSurfacePixel(0, panel->GetLayoutSize().cy / 2), expected)
                << "type " << group.type << ", panel " << ToUtf8(panel->Look().pszCaption);
        }
        data->RemoveAlarmsByType(group.type, 1);
        panels.OnAlarmStep(*data, markers, false);
    }
    panels.Delete();
}

// Each panel shows its limits, alarm bell, labels and no-value markers from its own settings,
// and the NIBP panel its start-up value, time, middle value and nine result lines.
TEST_F(MainPanelsTest, EachPanelStartsWithItsOwnSettings)
{
    // The result lines as sbp, dbp, mean, extra and status.
    const std::vector<std::vector<int>> results = {{120, 80, 90, 80, 0}, {121, 80, 90, 80, 0}, {122, 80, 90, 80, 0},
                                                   {123, 80, 90, 80, 0}, {124, 80, 90, 80, 0}, {125, 80, 90, 80, 0},
                                                   {125, 80, 90, 80, 1}, {126, 80, 90, 80, 0}, {127, 80, 90, 80, 0}};
    ExpectColumnsApart(IntColumns(kSettingRows, "hrH:3 hrL:3 sbpH:3 dbpH:3 sbpL:3 dbpL:3 tempH:3 tempL:3 spo2H:3 "
                                                "spo2L:3 prH:3 prL:3 rrH:3 rrL:3 oxyH:3 oxyL:3 ecgSw bpSw tempSw spo2Sw "
                                                "respSw faSw pace:3 hrForm paceShown"));
    int row = 0;
    for (const PANEL_SETTINGS& s : kSettingRows) {
        Apply(*data, s);
        CMainPanels made;
        made.Create(&parent, *data);
        ReferencePanels want(s);
        EXPECT_EQ(DifferingParts(*made.EcgPanel(), want.ecg), "") << "ECG, row " << row;
        EXPECT_EQ(DifferingParts(*made.BpPanel(), want.bp), "") << "NIBP, row " << row;
        EXPECT_EQ(DifferingParts(*made.TempPanel(), want.temp), "") << "TEMP, row " << row;
        EXPECT_EQ(DifferingParts(*made.Spo2Panel(), want.spo2), "") << "SPO2, row " << row;
        EXPECT_EQ(DifferingParts(*made.RespPanel(), want.resp), "") << "RESP, row " << row;
        EXPECT_EQ(DifferingParts(*made.FaPanel(), want.fa), "") << "FA, row " << row;
        std::vector<std::vector<int>> lines;
        for (const RESULT& r : made.BpPanel()->Results()) lines.push_back({r.Sbp, r.Dbp, r.Mean, r.Extra, r.Status});
        EXPECT_EQ(lines, results) << "row " << row;
        ++row;
    }
}

// Every tick moves the beat heart and the pulse bar and refreshes the ECG and SpO2 panels
// only; the alarm step sets the values and blinks, then refreshes every other panel and the
// strip; the second refreshes the strip.
TEST_F(MainPanelsTest, EachTickAndAlarmStepRedrawsAndRefreshesItsOwnControls)
{
    Apply(*data, kSettingRows[0]);
    panels.Create(&parent, *data);
    ReferencePanels want(kSettingRows[0]);
    EXPECT_EQ(RefreshState(), "DDDDDDD");
    struct TICK {
        int beat;
        uint8_t strength;
        const char* state;
    };
    // The same beat and strength again redraw nothing and mark nothing for painting.
    for (const TICK& t : {TICK{1, 7, "DPDDPDD"}, TICK{1, 7, "D-DD-DD"}, TICK{0, 12, "DPDDPDD"}, TICK{3, 4, "DPDDPDD"}}) {
        panels.OnTick(t.beat, t.strength);
        want.ecg.SetBeat(static_cast<short>(t.beat), true);
        want.spo2.SetPulseBar(t.strength, true);
        EXPECT_EQ(RefreshState(), t.state) << "beat " << t.beat << ", strength " << int(t.strength);
        EXPECT_EQ(DifferingParts(*panels.EcgPanel(), want.ecg), "") << "beat " << t.beat;
        EXPECT_EQ(DifferingParts(*panels.Spo2Panel(), want.spo2), "") << "strength " << int(t.strength);
    }

    const PANEL_VALUES values = {72, -25, 13, 97, 68, 368, 19, 41};
    panels.OnAlarmStep(*data, values, false);
    EXPECT_EQ(RefreshState(), "PDPPPPP");
    want.ecg.SetHr(72, false);
    want.ecg.SetSt1(-25, false);
    want.ecg.SetSt2(13, false);
    want.spo2.SetSpo2(97, false);
    want.spo2.SetPr(68, false);
    want.temp.SetTemp(368, false);
    want.resp.SetRr(19, false);
    want.fa.SetAirOxy(41, false);
    const std::vector<CValuePanel*> got = Panels();
    const std::vector<CValuePanel*> expected = {&want.ecg, &want.bp, &want.temp, &want.spo2, &want.resp, &want.fa};
    for (size_t i = 0; i < got.size(); ++i) {
        expected[i]->BlinkAlmFrame();
        EXPECT_EQ(DifferingParts(*got[i], *expected[i]), "") << ToUtf8(got[i]->Look().pszCaption);
    }
    panels.OnSecond();
    EXPECT_EQ(RefreshState(), "PD-----");
}

// Without the drawing thread (before it starts, or once it has ended) a second still plots
// every tile and copies no mini-trend picture; deleting the trends takes down every control.
TEST_F(MainPanelsTest, TrendTilesTakeTheirSecondWithoutTheDrawingThread)
{
    ASSERT_EQ(theApp.m_pThreadDraw, nullptr);
    CMainTrends trends;
    trends.Create(&parent);
    std::vector<std::pair<CTrendResult*, std::vector<uint32_t>>> tiles;
    for (CWnd* child : parent.Children())
        if (auto* tile = dynamic_cast<CTrendResult*>(child)) tiles.push_back({tile, PixelsOf(BitmapOf(*tile->GetPicture()))});
    ASSERT_EQ(tiles.size(), 6u);
    trends.OnSecond(TREND_VALUES{150, 50, 10, 150, 150, 60, 50, 150, 380, 50});
    for (const auto& [tile, before] : tiles) EXPECT_NE(PixelsOf(BitmapOf(*tile->GetPicture())), before);
    trends.Delete();
    EXPECT_TRUE(parent.Children().empty());
}

// What a power-supply folder says about the mains and the battery.
void WritePower(const std::string& root, int online, int capacity, const char* state)
{
    std::filesystem::create_directories(root + "/AC");
    std::ofstream(root + "/AC/type") << "Mains\n";
    std::ofstream(root + "/AC/online") << online << "\n";
    std::filesystem::remove_all(root + "/BAT0");
    if (capacity < 0) return;
    std::filesystem::create_directories(root + "/BAT0");
    std::ofstream(root + "/BAT0/type") << "Battery\n";
    std::ofstream(root + "/BAT0/capacity") << capacity << "\n";
    std::ofstream(root + "/BAT0/status") << state << "\n";
}

LocalTime At(int year, int month, int day, int hour, int minute, int second)
{
    LocalTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

// The strip shows the data object's patient, the clock and the alarms raised before it was
// made; every second the clock, the power status as the power-supply folder says it at that
// moment, and the next alarm of each group, as they are raised, rotated and cleared.
TEST_F(MainPanelsTest, StatusStripFollowsThePatientClockPowerAndAlarms)
{
    data->m_nEcgAlmSw = data->m_nEcgStAlmSw = data->m_nRespAlmSw = data->m_nTempAlmSw = 1;
    data->m_nOxyAlmSw = data->m_nBpAlmSw = data->m_nAirOxyAlmSw = 1;
    data->m_nEcgAlmLevel = data->m_nEcgStAlmLevel = data->m_nTempAlmLevel = 0;
    data->m_nBpAlmLevel = data->m_nAirOxyAlmLevel = 0;
    U16Copy(data->m_Patient.m_szId, 32, u"C-4711");
    U16Copy(data->m_Patient.m_szName, 9, u"王小明");
    data->m_Patient.m_nSex = 1;
    data->m_Patient.m_nReserved1 = 3;  // not carried by the patient copy: the strip shows the newborn type
    clock.SetLocalTime(At(2026, 3, 9, 14, 27, 5));
    data->RaiseAlarm(6, 1, u"2026-03-09 14:27:00", 21, 15);
    panels.Create(&parent, *data);

    CWnd refParent;
    refParent.Create(nullptr, CRect(0, 0, 1400, 800), 2);
    CDisplayField want;
    want.Create(u"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, CRect(0, 0, 1280, 60), &refParent, 123);
    want.SetPatientNo(u"C-4711");
    want.SetPatientName(u"王小明");
    want.SetPatientSex(u"女");
    want.SetPatientType(u"新生儿");
    want.DrawDateTime();
    struct REGION {
        const char* name;
        CRect rect;
    };
    const REGION regions[] = {{"number", {0, 0, 100, 30}},      {"name", {0, 30, 100, 60}},
                              {"sex", {120, 0, 150, 30}},       {"type", {120, 30, 150, 60}},
                              {"battery", {1110, 0, 1170, 30}}, {"mains", {1110, 31, 1170, 60}},
                              {"clock", {1175, 0, 1280, 60}}};
    const CBitmap& strip = panels.StatusStrip()->Surface();
    for (const REGION& r : regions) EXPECT_EQ(PixelsDiffering(strip, r.rect, want.Surface()), 0) << r.name << " at start";
    const CRect lineRects[4] = {{190, 0, 470, 29}, {470, 0, 750, 29}, {190, 29, 470, 58}, {470, 29, 750, 58}};
    const CPoint lineTexts[4] = {{191, 0}, {471, 0}, {191, 29}, {470, 29}};
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(surfacecheck::AllColour(strip, lineRects[i], 0)) << "line " << i + 1;
    EXPECT_TRUE(ShowsOnly(strip, lineRects[3], lineTexts[3], u"氧浓度过低*", 24, 0xFAFAFA, 0, true));

    struct ALARM {
        int type, code;
    };
    struct SECOND {
        LocalTime time;
        int online, capacity;
        const char* state;
        int acLine, batteryFlag, percent;
        std::vector<ALARM> raise, clear;
        const char16_t* lines[4];  // null: a black line
    };
    const SECOND seconds[] = {
        {At(2027, 11, 23, 8, 41, 56), 1, 80, "Charging", 1, 1 | 8, 80, {{1, 2}, {4, 2}, {5, 1}}, {},
         {u"心律过高*", u"体温过高*", u"收缩压过低*", u"氧浓度过低*"}},
        {At(2028, 5, 17, 21, 3, 38), 0, 29, "Discharging", 0, 2, 29, {{7, 2}}, {{6, 1}},
         {u"ST1过高*", u"体温过高*", u"收缩压过低*", nullptr}},
        {At(2029, 7, 28, 16, 52, 19), 1, -1, "", 1, 128, 255, {}, {},
         {u"心律过高*", u"体温过高*", u"收缩压过低*", nullptr}},
        {At(2030, 12, 31, 23, 15, 47), 0, 64, "Discharging", 0, 0, 64, {}, {{1, 2}, {7, 2}, {4, 2}, {5, 1}},
         {nullptr, nullptr, nullptr, nullptr}},
    };
    for (const SECOND& s : seconds) {
        const std::string at = "second " + std::to_string(&s - seconds + 1);
        clock.SetLocalTime(s.time);
        WritePower(folder.File("power"), s.online, s.capacity, s.state);
        for (const ALARM& a : s.raise) data->RaiseAlarm(a.type, a.code, u"2026-03-09 14:28:00", 0, 0);
        for (const ALARM& a : s.clear) data->ClearAlarm(a.type, a.code);
        panels.StatusStrip()->ClearNeedsPaint();
        panels.OnSecond();
        EXPECT_EQ(panels.StatusStrip()->IsDirty(), 0) << at;
        EXPECT_TRUE(panels.StatusStrip()->NeedsPaint()) << at;
        want.DrawDateTime();
        want.DrawPowerStatus(s.acLine, s.batteryFlag, s.percent);
        for (const REGION& r : regions) EXPECT_EQ(PixelsDiffering(strip, r.rect, want.Surface()), 0) << r.name << ", " << at;
        for (int i = 0; i < 4; ++i) {
            if (s.lines[i] == nullptr) {
                EXPECT_TRUE(surfacecheck::AllColour(strip, lineRects[i], 0)) << "line " << i + 1 << ", " << at;
            } else {
                EXPECT_TRUE(ShowsOnly(strip, lineRects[i], lineTexts[i], s.lines[i], 24, 0xFAFAFA, 0, true))
                    << "line " << i + 1 << ", " << at;
            }
        }
    }

    panels.Delete();
    EXPECT_EQ(panels.StatusStrip(), nullptr);
    for (CValuePanel* p : Panels()) EXPECT_EQ(p, nullptr);
    EXPECT_TRUE(parent.Children().empty());
}

}  // namespace
