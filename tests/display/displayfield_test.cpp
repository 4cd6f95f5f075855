#include <gtest/gtest.h>

#include <memory>

#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "display/displayfield.h"
#include "platform/fakeclock.h"
#include "recordingparent.h"
#include "support/tempfolder.h"
#include "surfacecheck.h"

using namespace surfacecheck;

namespace {

constexpr COLORREF kBlack = 0;
constexpr COLORREF kWhiteText = 0xFAFAFA;
constexpr COLORREF kDarkText = 0x0A0A0A;
constexpr COLORREF kRedFill = 0x0214FA;
constexpr COLORREF kYellowFill = 0x00F0FF;
constexpr COLORREF kFieldText = CDisplayField::kTextColour;
const CRect kLine1(190, 0, 470, 29);
const CRect kLine2(470, 0, 750, 29);
const CRect kLine3(190, 29, 470, 58);
const CRect kLine4(470, 29, 750, 58);
const CRect kBattery(1110, 0, 1170, 30);
const CRect kBatteryBody(1113, 1, 1163, 28);
const CRect kMains(1110, 31, 1170, 60);
const CRect kMute(750, 0, 880, 60);

class DisplayFieldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        theApp.ResetForTests();
        data = std::make_unique<CMonitorData>();
        theApp.m_pMonitorData = data.get();
        data->m_nEcgAlmSw = data->m_nEcgStAlmSw = data->m_nEcgArraAlmSw = 1;
        data->m_nRespAlmSw = data->m_nTempAlmSw = data->m_nOxyAlmSw = data->m_nBpAlmSw = data->m_nAirOxyAlmSw = 1;
        field.Create(u"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, CRect(0, 0, 1280, 60), &parent, 123);
    }
    void TearDown() override { theApp.ResetForTests(); }

    const CBitmap& Strip() const { return field.Surface(); }
    // True when the line shows exactly text on fill (the alarm font, 24 px italic).
    bool LineShows(const CRect& line, CPoint at, const std::u16string& text, COLORREF colour, COLORREF fill)
    {
        return ShowsOnly(Strip(), line, at, text, 24, colour, fill, true);
    }

    TempFolder folder;
    FakeClock clock;
    RecordingParent parent;
    std::unique_ptr<CMonitorData> data;
    CDisplayField field;
};

TEST_F(DisplayFieldTest, EmptyListsBlackenTheirLines)
{
    data->m_nEcgAlmLevel = 2;
    data->AddEcgAlm(1, 2, u"2026-01-02 03:04:05", 120, 150);
    field.DrawAlarmMessages();
    EXPECT_GT(CountColour(Strip(), kLine1, kRedFill), Area(kLine1) / 2);
    data->ClearEcgAlm(1, 2);
    field.DrawAlarmMessages();
    for (const CRect& line : {kLine1, kLine2, kLine3, kLine4}) EXPECT_TRUE(AllColour(Strip(), line, kBlack));
    EXPECT_EQ(field.IsDirty(), 1);
}

TEST_F(DisplayFieldTest, AGroupWithSeveralAlarmsShowsThemInTurn)
{
    data->m_nEcgAlmLevel = 0;
    data->AddEcgAlm(1, 1, u"2026-01-02 03:04:05", 50, 40);
    data->AddEcgAlm(1, 2, u"2026-01-02 03:04:06", 120, 150);
    data->AddEcgAlm(1, 3, u"2026-01-02 03:04:07", 0, 0);
    const std::u16string turn[] = {u"心律过高*", u"LL导联脱落", u"心律过低*", u"心律过高*"};
    for (const std::u16string& text : turn) {
        field.DrawAlarmMessages();
        EXPECT_TRUE(LineShows(kLine1, {191, 0}, text, kWhiteText, kBlack));
    }
}

TEST_F(DisplayFieldTest, EachLineShowsItsGroupAtItsPlace)
{
    data->AddRespTempAlm(4, 2, u"2026-01-02 03:04:05", 390, 400);
    data->AddSpo2NibpAlm(5, 1, u"2026-01-02 03:04:05", 90, 80);
    data->AddAirOxyAlm(6, 3, u"2026-01-02 03:04:05", 0, 0);
    field.DrawAlarmMessages();
    EXPECT_TRUE(AllColour(Strip(), kLine1, kBlack));
    EXPECT_TRUE(LineShows(kLine2, {471, 0}, u"体温过高*", kWhiteText, kBlack));
    EXPECT_TRUE(LineShows(kLine3, {191, 29}, u"收缩压过低*", kWhiteText, kBlack));
    EXPECT_TRUE(LineShows(kLine4, {470, 29}, u"氧浓度探头脱落", kWhiteText, kBlack));
}

TEST_F(DisplayFieldTest, LevelChoosesTheLineColours)
{
    data->m_nRespAlmLevel = 2;
    data->m_nTempAlmLevel = 1;
    data->AddRespTempAlm(2, 3, u"2026-01-02 03:04:05", 0, 0);
    field.DrawAlarmMessages();
    EXPECT_TRUE(LineShows(kLine2, {471, 0}, u"呼吸窒息***", kDarkText, kRedFill));
    data->ClearRespTempAlm(2, 3);
    data->AddRespTempAlm(4, 1, u"2026-01-02 03:04:05", 360, 350);
    field.DrawAlarmMessages();
    EXPECT_TRUE(LineShows(kLine2, {471, 0}, u"体温过低**", kDarkText, kYellowFill));
}

TEST_F(DisplayFieldTest, SwitchedOffTypeLeavesItsLineAsItWas)
{
    data->AddEcgAlm(1, 2, u"2026-01-02 03:04:05", 120, 150);
    field.DrawAlarmMessages();
    ASSERT_TRUE(LineShows(kLine1, {191, 0}, u"心律过高*", kWhiteText, kBlack));
    data->ClearEcgAlm(1, 2);
    data->AddEcgAlm(8, 5, u"2026-01-02 03:04:06", 0, 0);
    data->m_nEcgArraAlmSw = 0;
    field.DrawAlarmMessages();
    EXPECT_TRUE(LineShows(kLine1, {191, 0}, u"心律过高*", kWhiteText, kBlack));
}

TEST_F(DisplayFieldTest, LatchedAlarmShowsItsDateAndTimeInTheSmallFont)
{
    theApp.m_nAlmLatch = 1;
    data->m_nBpAlmLevel = 2;
    data->AddSpo2NibpAlm(5, 2, u"2026-01-02 03:04:05", 160, 170);
    data->ClearSpo2NibpAlm(5, 2);
    field.DrawAlarmMessages();
    Scratch expected(kLine3, kRedFill);
    expected.Text({191, 29}, u"收缩压过高***", 24, kDarkText, true);
    expected.Text({408, 29}, u"2026-01-02", 12, kDarkText);
    expected.Text({408, 44}, u"03:04:05", 12, kDarkText);
    EXPECT_EQ(expected.DifferingIn(Strip()), 0);
}

TEST_F(DisplayFieldTest, PowerStatusDrawsOnlyOnAChange)
{
    field.DrawPowerStatus(1, 1, 80);
    EXPECT_EQ(field.IsDirty(), 1);
    field.RefreshIfDirty();
    EXPECT_TRUE(field.NeedsPaint());
    field.ClearNeedsPaint();
    field.DrawPowerStatus(1, 1, 80);
    EXPECT_EQ(field.IsDirty(), 0);
    field.RefreshIfDirty();
    EXPECT_FALSE(field.NeedsPaint());

    EXPECT_EQ(PictureMismatches(Strip(), kMains.TopLeft(), g_picMains), 0);
    field.DrawPowerStatus(255, 1, 80);  // only the AC line changed
    EXPECT_EQ(field.IsDirty(), 1);
    EXPECT_TRUE(AllColour(Strip(), kMains, kBlack));
    EXPECT_EQ(CountColour(Strip(), CRect(1113, 26, 1163, 27), 0x14F014), 40);
}

TEST_F(DisplayFieldTest, ChargeColumnsAndColoursFollowThePercent)
{
    struct Case {
        int percent;
        COLORREF pen;
    };
    for (Case c : {Case{29, 0x1414F0}, Case{30, 0x14F0F0}, Case{49, 0x14F0F0}, Case{50, 0x14F014}, Case{100, 0x14F014}}) {
        field.DrawPowerStatus(0, 1, c.percent);
        // Row 26 lies below the percent text; the columns fill from x 1162 leftwards.
        const int columns = c.percent / 2;
        EXPECT_EQ(CountColour(Strip(), CRect(1163 - columns, 26, 1163, 27), c.pen), columns) << c.percent;
        EXPECT_TRUE(AllColour(Strip(), CRect(1113, 26, 1163 - columns, 27), kBlack)) << c.percent;
        EXPECT_EQ(field.GetSurfacePixel(1112, 10), 0xD2D2D2u);
        EXPECT_EQ(field.GetSurfacePixel(1163, 10), 0xD2D2D2u);
    }
    // At 100 percent the text stands transparent over 50 green columns.
    Scratch expected(kBatteryBody, kBlack);
    expected.dc.FillSolidRect(0, 0, kBatteryBody.Width(), kBatteryBody.Height(), 0x14F014);
    expected.dc.SetBkMode(TRANSPARENT);
    expected.Text({1117, 4}, u"100%", 20, kFieldText);
    EXPECT_EQ(expected.DifferingIn(Strip()), 0);
    EXPECT_GT(CountColour(Strip(), kBatteryBody, 0x14F014), 0);
    EXPECT_LT(CountColour(Strip(), kBatteryBody, 0x14F014), Area(kBatteryBody) - 50);
}

TEST_F(DisplayFieldTest, NoSystemBatteryShowsTheRedCrossWithoutPercent)
{
    field.DrawPowerStatus(1, 128, 100);
    int differing = 0;
    int crossPixels = 0;
    for (int r = 0; r < 24; ++r) {
        for (int c = 0; c < 24; ++c) {
            const bool set = (g_u8NoBatteryPattern[r * 3 + c / 8] & (0x80 >> (c % 8))) != 0;
            crossPixels += set ? 1 : 0;
            differing += (field.GetSurfacePixel(1126 + c, 2 + r) == 0x0000FFu) != set;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(CountColour(Strip(), kBattery, 0x0000FF), crossPixels);
    EXPECT_EQ(CountColour(Strip(), kBattery, kFieldText), 0);
}

TEST_F(DisplayFieldTest, UnknownOrImpossiblePercentDrawsOnlyTheOutline)
{
    for (int percent : {255, 101, -4}) {
        field.DrawPowerStatus(0, 1, 90);
        field.DrawPowerStatus(0, 255, percent);
        EXPECT_TRUE(AllColour(Strip(), kBatteryBody, kBlack)) << percent;
        EXPECT_EQ(field.GetSurfacePixel(1110, 10), 0xD2D2D2u);
        EXPECT_EQ(field.GetSurfacePixel(1163, 10), 0xD2D2D2u);
        // Nothing reaches past the outline into the countdown's side of the strip.
        EXPECT_TRUE(AllColour(Strip(), CRect(1030, 0, 1110, 30), kBlack));
    }
}

TEST_F(DisplayFieldTest, MuteCountdownIsClearedAndDrawnOnBlack)
{
    data->m_nAirOxyAlmLevel = 2;
    data->AddAirOxyAlm(6, 2, u"2026-01-02 03:04:05", 60, 70);
    field.DrawAlarmMessages();  // the last line drawn, and so the last fill, is red
    field.StartMuteCountdown(75);
    Scratch expected(kMute, kBlack);
    expected.Text({751, 0}, u"静音倒计时", 24, kWhiteText, true);
    expected.Text({751, 30}, u"1:15", 24, kWhiteText, true);
    EXPECT_EQ(expected.DifferingIn(Strip()), 0);

    field.StartMuteCountdown(66);
    field.TickMuteCountdown();
    EXPECT_EQ(field.GetMuteSeconds(), 65);
    EXPECT_TRUE(ShowsOnly(Strip(), CRect(750, 30, 880, 60), {751, 30}, u"1: 5", 24, kWhiteText, kBlack, true));

    field.StartMuteCountdown(0);
    field.TickMuteCountdown();
    EXPECT_EQ(field.GetMuteSeconds(), 0);
    field.ClearMuteCountdown();
    EXPECT_TRUE(AllColour(Strip(), CRect(750, 0, 880, 59), kBlack));
}

TEST_F(DisplayFieldTest, PatientSexAndType)
{
    CPatient patient;
    field.SetPatient(patient);
    EXPECT_TRUE(ShowsOnly(Strip(), CRect(0, 0, 100, 30), {0, 0}, u"1234567", 20, kFieldText));
    EXPECT_TRUE(ShowsOnly(Strip(), CRect(0, 30, 100, 60), {0, 30}, u"姓名", 20, kFieldText));
    EXPECT_TRUE(ShowsOnly(Strip(), CRect(120, 0, 150, 30), {120, 0}, u"男", 20, kFieldText));
    EXPECT_TRUE(ShowsOnly(Strip(), CRect(120, 30, 180, 60), {120, 30}, u"新生儿", 20, kFieldText));

    patient.m_nSex = 1;
    patient.m_nReserved1 = 1;
    field.SetPatientType(u"X");
    field.SetPatient(patient);
    EXPECT_TRUE(ShowsOnly(Strip(), CRect(120, 0, 150, 30), {120, 0}, u"女", 20, kFieldText));
    EXPECT_TRUE(ShowsOnly(Strip(), CRect(120, 30, 150, 60), {120, 30}, u"X", 20, kFieldText));
}

TEST_F(DisplayFieldTest, DateAndTimeFromTheLocalClock)
{
    clock.SetLocalTime({2026, 3, 4, 5, 6, 7, 0});
    field.DrawDateTime();
    Scratch expected(CRect(1175, 0, 1280, 60), kBlack);
    expected.Text({1175, 0}, u"2026-03-04", 20, kFieldText);
    expected.Text({1175, 30}, u"05:06:07", 20, kFieldText);
    EXPECT_EQ(expected.DifferingIn(Strip()), 0);
    EXPECT_EQ(field.IsDirty(), 1);
}

TEST_F(DisplayFieldTest, DoubleClickAsksForTheRespirationSettings)
{
    field.OnLButtonDblClk(0, CPoint(5, 5));
    const auto& got = parent.Deliver();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, WM_PANEL_RESP_DBLCLK);
    EXPECT_EQ(got[0].wParam, 0u);
    EXPECT_EQ(got[0].lParam, 0);
}

}  // namespace
