#include "alarmfixture.h"

namespace {

const char16_t kT1[] = u"2026-12-07 08:00:00";
const char16_t kT2[] = u"2026-12-07 08:00:05";

class AlarmListsTest : public AlarmFixture {
protected:
    SHOW_ALM ShowEcg()
    {
        SHOW_ALM alm{};
        EXPECT_EQ(data->GetEcgShowAlm(&alm), 0);
        return alm;
    }
    std::string ShowEcgText() { return ToUtf8(ShowEcg().cText); }
};

// ---- non-latching ----

TEST_F(AlarmListsTest, NonLatchingRaiseRepeatClearAndReRaise)
{
    EXPECT_EQ(data->AddEcgAlm(1, 2, kT1, 120, 130), 0);
    ASSERT_EQ(data->m_listEcgAlm.size(), 1u);
    const SHOW_ALM& alm = data->m_listEcgAlm.front();
    EXPECT_EQ(ToUtf8(alm.cText), "心律过高");
    EXPECT_EQ(ToUtf8(alm.cTime), "2026-12-07 08:00:00");
    EXPECT_EQ(alm.u16Limit, 120);
    EXPECT_EQ(alm.u16Value, 130);
    EXPECT_EQ(alm.u8Active, 1);
    EXPECT_EQ(alm.u8Latched, 0);
    EXPECT_EQ(data->m_u8AlmOn[ROW_ECG][2], 1);
    EXPECT_EQ(data->m_u8NewAlm[ROW_ECG][2], 1);

    // Repeats keep the first raise's time, limit and value.
    EXPECT_EQ(data->AddEcgAlm(1, 2, kT2, 125, 140), 1);
    EXPECT_EQ(data->m_listEcgAlm.size(), 1u);
    EXPECT_EQ(ToUtf8(data->m_listEcgAlm.front().cTime), "2026-12-07 08:00:00");
    EXPECT_EQ(data->m_listEcgAlm.front().u16Value, 130);

    data->AddEcgAlm(1, 5, kT1, 0, 0);
    EXPECT_EQ(data->ClearEcgAlm(1, 2), 0);
    EXPECT_EQ(Texts(data->m_listEcgAlm), std::vector<std::string>{"RA导联脱落"});
    EXPECT_EQ(data->m_u8AlmOn[ROW_ECG][2], 0);
    EXPECT_EQ(data->m_u8NewAlm[ROW_ECG][2], 0);

    // Back again: a new entry with a new time at the end.
    EXPECT_EQ(data->AddEcgAlm(1, 2, kT2, 120, 131), 0);
    EXPECT_EQ(Texts(data->m_listEcgAlm), (std::vector<std::string>{"RA导联脱落", "心律过高"}));
    EXPECT_EQ(ToUtf8(data->m_listEcgAlm.back().cTime), "2026-12-07 08:00:05");
}

TEST_F(AlarmListsTest, EachListTakesOnlyItsOwnTypes)
{
    EXPECT_EQ(data->AddRespTempAlm(2, 3, kT1, 0, 15), 0);
    EXPECT_EQ(data->AddRespTempAlm(4, 3, kT1, 0, 0), 0);
    EXPECT_EQ(data->AddSpo2NibpAlm(3, 1, kT1, 90, 85), 0);
    EXPECT_EQ(data->AddSpo2NibpAlm(5, 4, kT1, 80, 95), 0);
    EXPECT_EQ(data->AddAirOxyAlm(6, 3, kT1, 0, 0), 0);
    EXPECT_EQ(Texts(data->m_listRespTempAlm), (std::vector<std::string>{"呼吸窒息", "体温探头脱落"}));
    EXPECT_EQ(Texts(data->m_listSpo2NibpAlm), (std::vector<std::string>{"血氧饱和度过低", "舒张压过高"}));
    EXPECT_EQ(Texts(data->m_listAirOxyAlm), std::vector<std::string>{"氧浓度探头脱落"});
    EXPECT_EQ(data->m_u8AlmOn[ROW_NIBP][4], 1);
    EXPECT_EQ(data->m_u8AlmOn[ROW_TEMP][3], 1);

    // A type of another list is refused by this one.
    EXPECT_EQ(data->AddEcgAlm(2, 1, kT1, 0, 0), 1);
    EXPECT_TRUE(data->m_listEcgAlm.empty());
    EXPECT_EQ(data->m_u8AlmOn[ROW_RESP][1], 0);
}

TEST_F(AlarmListsTest, OutOfRangeTypesAndCodesTouchNothing)
{
    for (int code : {0, 8, 9, 15, 16, 23, 24, 200, 255, -1}) EXPECT_EQ(data->AddEcgAlm(1, code, kT1, 0, 0), 1) << code;
    for (int code : {0, 9, 15, 16, 24, 200, 255}) EXPECT_EQ(data->AddEcgAlm(8, code, kT1, 0, 0), 1) << code;
    for (int type : {0, 9, -3, 255}) EXPECT_EQ(data->AddEcgAlm(type, 1, kT1, 0, 0), 1) << type;
    EXPECT_EQ(data->AddAirOxyAlm(6, 7, kT1, 0, 0), 1);
    EXPECT_TRUE(data->m_listEcgAlm.empty());
    EXPECT_TRUE(data->m_listAirOxyAlm.empty());
    EXPECT_EQ(data->TakeNewAlm(), 0);
    EXPECT_EQ(data->IsAnyEcgAlmOn(), 0);

    data->AddEcgAlm(8, 5, kT1, 0, 0);
    EXPECT_EQ(data->ClearEcgAlm(8, 200), 0);
    EXPECT_EQ(data->RemoveEcgAlmByType(200, 1), 0);
    EXPECT_EQ(data->m_listEcgAlm.size(), 1u);
}

// ---- latching ----

TEST_F(AlarmListsTest, LatchingClearKeepsTheEntryUntilItIsRaisedAgain)
{
    theApp.m_nAlmLatch = 1;
    data->AddEcgAlm(1, 2, kT1, 120, 130);
    data->AddEcgAlm(1, 5, kT1, 0, 0);
    data->TakeNewAlm();

    data->ClearEcgAlm(1, 2);
    ASSERT_EQ(data->m_listEcgAlm.size(), 2u);
    EXPECT_EQ(data->m_listEcgAlm.front().u8Active, 0);
    EXPECT_EQ(data->m_u8AlmOn[ROW_ECG][2], 0);
    EXPECT_EQ(data->IsEcgAlmOn(), 1);  // the lead-off is still active
    data->ClearEcgAlm(1, 5);
    EXPECT_EQ(data->IsEcgAlmOn(), 0);

    data->m_nEcgAlmShowIdx = -1;
    SHOW_ALM shown = ShowEcg();
    EXPECT_EQ(shown.u8Latched, 1);
    EXPECT_EQ(ToUtf8(shown.cTime), "2026-12-07 08:00:00");
    EXPECT_EQ(data->m_listEcgAlm.front().u8Latched, 0);  // the listed entry is not changed

    // Raised again: the latched entry is replaced by a fresh one at the end.
    EXPECT_EQ(data->AddEcgAlm(1, 2, kT2, 120, 140), 0);
    EXPECT_EQ(Texts(data->m_listEcgAlm), (std::vector<std::string>{"RA导联脱落", "心律过高"}));
    EXPECT_EQ(ToUtf8(data->m_listEcgAlm.back().cTime), "2026-12-07 08:00:05");
    EXPECT_EQ(data->m_listEcgAlm.back().u8Active, 1);
    EXPECT_EQ(data->TakeNewAlm(), 1);
    // A present alarm is not raised twice.
    EXPECT_EQ(data->AddEcgAlm(1, 2, kT2, 120, 150), 1);
}

TEST_F(AlarmListsTest, RemoveByTypeModeOneTakesAllModeTwoOnlyLatched)
{
    theApp.m_nAlmLatch = 1;
    data->AddEcgAlm(1, 1, kT1, 50, 40);
    data->AddEcgAlm(7, 2, kT1, 20, 30);
    data->AddEcgAlm(1, 3, kT1, 0, 0);
    data->AddEcgAlm(1, 4, kT1, 0, 0);
    data->ClearEcgAlm(1, 1);
    data->ClearEcgAlm(1, 4);
    data->m_u8NewAlm[ROW_ECG][1] = 1;  // as if raised again before a clear

    EXPECT_EQ(data->RemoveEcgAlmByType(1, 3), 0);
    EXPECT_EQ(data->m_listEcgAlm.size(), 4u);

    data->RemoveEcgAlmByType(1, 2);
    EXPECT_EQ(Texts(data->m_listEcgAlm), (std::vector<std::string>{"ST1过高", "LL导联脱落"}));
    EXPECT_EQ(data->m_u8NewAlm[ROW_ECG][1], 0);

    data->RemoveEcgAlmByType(1, 1);
    EXPECT_EQ(Texts(data->m_listEcgAlm), std::vector<std::string>{"ST1过高"});
    EXPECT_EQ(data->IsEcgAlmOn(), 0);
    EXPECT_EQ(data->IsStAlmOn(), 1);
}

TEST_F(AlarmListsTest, SwitchToNonLatchingKeepsLatchedOxygenStAndArrhythmiaEntries)
{
    theApp.m_nAlmLatch = 1;
    data->AddEcgAlm(1, 2, kT1, 120, 130);
    data->AddEcgAlm(7, 1, kT1, static_cast<uint16_t>(-20), static_cast<uint16_t>(-30));
    data->AddEcgAlm(8, 5, kT1, 0, 0);
    data->AddRespTempAlm(2, 1, kT1, 8, 5);
    data->AddAirOxyAlm(6, 1, kT1, 21, 18);
    for (auto [type, code] : {std::pair{1, 2}, {7, 1}, {8, 5}, {2, 1}, {6, 1}}) data->ClearAlarm(type, code);

    // What the system-parameter dialog does when latching is switched off.
    theApp.m_nAlmLatch = 0;
    data->RemoveEcgAlmByType(1, 2);
    data->RemoveRespTempAlmByType(2, 2);
    data->RemoveRespTempAlmByType(4, 2);
    data->RemoveSpo2NibpAlmByType(3, 2);
    data->RemoveSpo2NibpAlmByType(5, 2);
    EXPECT_EQ(Texts(data->m_listEcgAlm), (std::vector<std::string>{"ST1过低", "室早"}));
    EXPECT_TRUE(data->m_listRespTempAlm.empty());
    EXPECT_EQ(data->m_listAirOxyAlm.size(), 1u);

    // Non-latching raise of a latched entry: only its active flag is set.
    EXPECT_EQ(data->AddAirOxyAlm(6, 1, kT2, 21, 17), 1);
    EXPECT_EQ(data->m_u8AlmOn[ROW_AIROXY][1], 1);
    EXPECT_EQ(data->m_listAirOxyAlm.front().u8Active, 0);
    EXPECT_EQ(ToUtf8(data->m_listAirOxyAlm.front().cTime), "2026-12-07 08:00:00");
    SHOW_ALM shown{};
    data->GetAirOxyShowAlm(&shown);
    EXPECT_EQ(shown.u8Latched, 0);
    // A non-latching clear then erases it.
    data->ClearAirOxyAlm(6, 1);
    EXPECT_TRUE(data->m_listAirOxyAlm.empty());
    EXPECT_EQ(data->IsAirOxyAlmOn(), 0);
}

// ---- rotation ----

class AlarmRotationTest : public AlarmListsTest {
protected:
    void SetUp() override
    {
        AlarmListsTest::SetUp();
        data->AddEcgAlm(1, 1, kT1, 0, 0);  // E1 "心律过低"
        data->AddEcgAlm(1, 3, kT1, 0, 0);  // E2 "LL导联脱落"
        data->AddEcgAlm(1, 5, kT1, 0, 0);  // E3 "RA导联脱落"
    }
};

TEST_F(AlarmRotationTest, SuccessiveShowsCycleFromTheSecondEntry)
{
    EXPECT_EQ(ShowEcgText(), "LL导联脱落");
    EXPECT_EQ(ShowEcgText(), "RA导联脱落");
    EXPECT_EQ(ShowEcgText(), "心律过低*");
    EXPECT_EQ(ShowEcgText(), "LL导联脱落");
}

TEST_F(AlarmRotationTest, ClearingBeforeTheShownEntryKeepsTheNextOne)
{
    ShowEcg();  // E2 shown last
    data->ClearEcgAlm(1, 1);
    EXPECT_EQ(ShowEcgText(), "RA导联脱落");
}

TEST_F(AlarmRotationTest, ClearingTheShownEntryShowsTheOneAfterIt)
{
    ShowEcg();  // E2, the entry the status strip shows
    data->ClearEcgAlm(1, 3);
    EXPECT_EQ(ShowEcgText(), "RA导联脱落");
    EXPECT_EQ(ShowEcgText(), "心律过低*");
}

TEST_F(AlarmRotationTest, ClearingAfterTheShownEntryWrapsToTheFirst)
{
    ShowEcg();
    data->ClearEcgAlm(1, 5);
    EXPECT_EQ(ShowEcgText(), "心律过低*");
}

TEST_F(AlarmRotationTest, ClearingAnUnlistedAlarmPullsAnIndexBeyondTheEnd)
{
    data->m_nEcgAlmShowIdx = 5;
    data->ClearEcgAlm(1, 2);  // not listed: p = 3 <= 5
    EXPECT_EQ(data->m_nEcgAlmShowIdx, 4);
    EXPECT_EQ(data->m_listEcgAlm.size(), 3u);
}

TEST_F(AlarmListsTest, RemovalThatShrinksTheListLeavesTheIndex)
{
    data->AddEcgAlm(1, 1, kT1, 0, 0);  // E1
    data->AddEcgAlm(7, 2, kT1, 0, 0);  // E2
    data->m_nEcgAlmShowIdx = 1;
    data->RemoveEcgAlmByType(7, 1);
    EXPECT_EQ(data->m_nEcgAlmShowIdx, 1);
    EXPECT_EQ(ShowEcgText(), "心律过低*");  // (1 + 1) mod 1 = 0
    EXPECT_EQ(ShowEcgText(), "心律过低*");  // a single entry every time
}

TEST_F(AlarmRotationTest, GetAtAndRemoveAtWorkOnPositions)
{
    SHOW_ALM alm{};
    alm.u8Type = 77;
    EXPECT_EQ(data->GetEcgAlmAt(&alm, 3), 1);
    EXPECT_EQ(data->GetEcgAlmAt(&alm, -1), 1);
    EXPECT_EQ(alm.u8Type, 77);
    EXPECT_EQ(data->GetEcgAlmAt(&alm, 2), 0);
    EXPECT_EQ(ToUtf8(alm.cText), "RA导联脱落");

    EXPECT_EQ(data->RemoveEcgAlmAt(3), 1);
    EXPECT_EQ(data->RemoveEcgAlmAt(1), 0);
    EXPECT_EQ(Texts(data->m_listEcgAlm), (std::vector<std::string>{"心律过低", "RA导联脱落"}));
    EXPECT_EQ(data->m_u8AlmOn[ROW_ECG][3], 1);  // flags are not touched
    EXPECT_EQ(data->RemoveAirOxyAlmAt(0), 1);
}

TEST_F(AlarmListsTest, ShowOnAnEmptyListLeavesTheCallersEntry)
{
    SHOW_ALM alm{};
    alm.u8Code = 42;
    EXPECT_EQ(data->GetEcgShowAlm(&alm), 1);
    EXPECT_EQ(data->GetRespTempShowAlm(&alm), 1);
    EXPECT_EQ(data->GetSpo2NibpShowAlm(&alm), 1);
    EXPECT_EQ(data->GetAirOxyShowAlm(&alm), 1);
    EXPECT_EQ(alm.u8Code, 42);
}

// ---- levels and markers ----

TEST_F(AlarmListsTest, MarkersFollowTheLevelAndSensorAlarmsGetNone)
{
    data->m_nRespAlmLevel = g_i32AlmLevelHigh;
    data->AddRespTempAlm(2, 3, kT1, 0, 15);
    SHOW_ALM alm{};
    data->GetRespTempShowAlm(&alm);
    EXPECT_EQ(ToUtf8(alm.cText), "呼吸窒息***");
    EXPECT_EQ(alm.u8Level, 2);

    data->m_nOxyAlmLevel = g_i32AlmLevelMid;
    data->AddSpo2NibpAlm(3, 2, kT1, 100, 101);  // the longest text: 7 characters and "**"
    data->GetSpo2NibpShowAlm(&alm);
    EXPECT_EQ(ToUtf8(alm.cText), "血氧饱和度过高**");
    EXPECT_EQ(alm.u8Level, 1);

    data->m_nEcgAlmLevel = g_i32AlmLevelLow;
    data->AddEcgAlm(1, 2, kT1, 120, 130);
    data->AddEcgAlm(1, 6, kT1, 0, 0);
    EXPECT_EQ(ShowEcgText(), "V导联脱落");
    EXPECT_EQ(ShowEcgText(), "心律过高*");

    data->m_nAirOxyAlmLevel = 3;  // not a level: no marker
    data->AddAirOxyAlm(6, 2, kT1, 60, 70);
    data->GetAirOxyShowAlm(&alm);
    EXPECT_EQ(ToUtf8(alm.cText), "氧浓度过高");

    data->AddSpo2NibpAlm(3, 5, kT1, 0, 0);
    data->AddRespTempAlm(4, 3, kT1, 0, 0);
    for (auto [type, code, tech] : {std::tuple{1, 3, 1}, {1, 7, 0}, {2, 3, 0}, {3, 5, 1}, {3, 6, 1}, {3, 4, 0},
                                    {4, 3, 1}, {6, 3, 1}, {6, 1, 0}, {8, 5, 0}}) {
        SHOW_ALM probe{};
        probe.u8Type = static_cast<uint8_t>(type);
        probe.u8Code = static_cast<uint8_t>(code);
        EXPECT_EQ(data->IsTechAlm(&probe), tech) << type << "/" << code;
    }
}

TEST_F(AlarmListsTest, TopLevelAndNewAlarms)
{
    EXPECT_EQ(data->GetTopAlmLevel(), 0);
    EXPECT_EQ(data->TakeNewAlm(), 0);
    data->AddEcgAlm(1, 2, kT1, 120, 130);
    EXPECT_EQ(data->GetTopAlmLevel(), 0);  // only low-level alarms
    data->m_nBpAlmLevel = g_i32AlmLevelHigh;
    data->m_nTempAlmLevel = g_i32AlmLevelMid;
    data->AddRespTempAlm(4, 1, kT1, 350, 340);
    EXPECT_EQ(data->GetTopAlmLevel(), 1);
    data->AddSpo2NibpAlm(5, 3, kT1, 50, 40);
    data->AddEcgAlm(8, 2, kT1, 0, 0);
    EXPECT_EQ(data->GetTopAlmLevel(), 2);
    EXPECT_EQ(data->IsArraAlmOn(), 1);
    data->ClearEcgAlm(1, 2);
    EXPECT_EQ(data->IsEcgAlmOn(), 0);
    EXPECT_EQ(data->IsAnyEcgAlmOn(), 1);  // the arrhythmia row counts for the ECG panel
    EXPECT_EQ(data->IsNibpAlmOn(), 1);
    EXPECT_EQ(data->IsSpo2AlmOn(), 0);

    EXPECT_EQ(data->TakeNewAlm(), 1);
    EXPECT_EQ(data->TakeNewAlm(), 0);
    EXPECT_EQ(data->GetTopAlmLevel(), 2);  // active flags stay
    data->ClearSpo2NibpAlm(5, 3);
    EXPECT_EQ(data->GetTopAlmLevel(), 1);
}

}  // namespace
