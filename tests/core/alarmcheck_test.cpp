#include <functional>

#include "alarmfixture.h"

namespace {

class AlarmCheckTest : public AlarmFixture {
protected:
    void SetUp() override
    {
        AlarmFixture::SetUp();
        AllNormal();
    }
    const SHOW_ALM* Find(int type, int code)
    {
        for (auto* list : {&data->m_listEcgAlm, &data->m_listRespTempAlm, &data->m_listSpo2NibpAlm,
                           &data->m_listAirOxyAlm})
            for (const SHOW_ALM& alm : *list)
                if (alm.u8Type == type && alm.u8Code == code) return &alm;
        return nullptr;
    }
    size_t Listed()
    {
        return data->m_listEcgAlm.size() + data->m_listRespTempAlm.size() + data->m_listSpo2NibpAlm.size() +
               data->m_listAirOxyAlm.size();
    }
};

TEST_F(AlarmCheckTest, NormalValuesRaiseNothing)
{
    data->CheckAlm();
    EXPECT_EQ(Listed(), 0u);
    EXPECT_EQ(data->TakeNewAlm(), 0);
}

// One parameter, its alarm type and codes, its limits and how to set it.
struct LimitCase {
    const char* name;
    int type;
    int highCode;
    int lowCode;
    int CMonitorSettings::*high;
    int CMonitorSettings::*low;
    std::function<void(CMonitorData&, int)> set;
};

TEST_F(AlarmCheckTest, EveryLimitRaisesStrictlyBeyondAndClearsAtTheLimit)
{
    const LimitCase cases[] = {
        {"hr", 1, 2, 1, &CMonitorSettings::m_nEcgHrAlmH, &CMonitorSettings::m_nEcgHrAlmL,
         [](CMonitorData& d, int v) { d.SetEcgHr(static_cast<uint16_t>(v)); }},
        {"st1", 7, 2, 1, &CMonitorSettings::m_nEcgStAlmH, &CMonitorSettings::m_nEcgStAlmL,
         [](CMonitorData& d, int v) { d.SetEcgSt(static_cast<uint16_t>(v), 0); }},
        {"st2", 7, 4, 3, &CMonitorSettings::m_nEcgStAlmH, &CMonitorSettings::m_nEcgStAlmL,
         [](CMonitorData& d, int v) { d.SetEcgSt(0, static_cast<uint16_t>(v)); }},
        {"rr", 2, 2, 1, &CMonitorSettings::m_nRespRrAlmH, &CMonitorSettings::m_nRespRrAlmL,
         [](CMonitorData& d, int v) { d.SetRespRr(static_cast<uint16_t>(v)); }},
        {"temp", 4, 2, 1, &CMonitorSettings::m_nTempAlmH, &CMonitorSettings::m_nTempAlmL,
         [](CMonitorData& d, int v) { d.SetTemp(static_cast<uint16_t>(v)); }},
        {"spo2", 3, 2, 1, &CMonitorSettings::m_nOxyAlmH, &CMonitorSettings::m_nOxyAlmL,
         [](CMonitorData& d, int v) { d.SetSpo2(static_cast<uint16_t>(v)); }},
        {"pr", 3, 4, 3, &CMonitorSettings::m_nOxyPrAlmH, &CMonitorSettings::m_nOxyPrAlmL,
         [](CMonitorData& d, int v) { d.SetSpo2Pr(static_cast<uint16_t>(v)); }},
        {"sbp", 5, 2, 1, &CMonitorSettings::m_nBpSbpAlmH, &CMonitorSettings::m_nBpSbpAlmL,
         [](CMonitorData& d, int v) { d.m_i16NibpSbp = static_cast<int16_t>(v); }},
        {"dbp", 5, 4, 3, &CMonitorSettings::m_nBpDbpAlmH, &CMonitorSettings::m_nBpDbpAlmL,
         [](CMonitorData& d, int v) { d.m_i16NibpDbp = static_cast<int16_t>(v); }},
        {"fio2", 6, 2, 1, &CMonitorSettings::m_nAirOxyAlmH, &CMonitorSettings::m_nAirOxyAlmL,
         [](CMonitorData& d, int v) { d.SetAirOxy(static_cast<uint8_t>(v)); }},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        CMonitorData& d = *data;
        const int high = d.*c.high;
        const int low = d.*c.low;
        c.set(d, high);
        d.CheckAlm();
        EXPECT_EQ(Find(c.type, c.highCode), nullptr);
        c.set(d, high + 1);
        d.CheckAlm();
        const SHOW_ALM* alm = Find(c.type, c.highCode);
        ASSERT_NE(alm, nullptr);
        EXPECT_EQ(alm->u16Limit, high);
        EXPECT_EQ(alm->u16Value, high + 1);
        c.set(d, low);
        d.CheckAlm();
        EXPECT_EQ(Find(c.type, c.highCode), nullptr);
        EXPECT_EQ(Find(c.type, c.lowCode), nullptr);
        c.set(d, low - 1);
        d.CheckAlm();
        alm = Find(c.type, c.lowCode);
        ASSERT_NE(alm, nullptr);
        EXPECT_EQ(static_cast<int16_t>(alm->u16Limit), low);
        EXPECT_EQ(static_cast<int16_t>(alm->u16Value), low - 1);
        AllNormal();
        d.CheckAlm();
        EXPECT_EQ(Listed(), 0u);
    }
}

// One alarm of the catalogue: how to bring it about from all-normal values, and its entry.
struct SingleAlarmCase {
    const char* name;
    std::function<void(CMonitorData&)> set;
    int type;
    int code;
    const char* text;
    int limit;
    int value;
};

TEST_F(AlarmCheckTest, EachAlarmIsRaisedOnItsOwnWithItsTextLimitAndValue)
{
    using D = CMonitorData;
    const auto lead = [](int bits) { return [bits](D& d) { d.SetEcgLeadOff(bits, 0); }; };
    const auto st = [](int st1, int st2) {
        return [st1, st2](D& d) { d.SetEcgSt(static_cast<uint16_t>(st1), static_cast<uint16_t>(st2)); };
    };
    const auto arra = [](int code) { return [code](D& d) { d.SetEcgArra(static_cast<uint8_t>(code)); }; };
    const SingleAlarmCase cases[] = {
        {"hr high", [](D& d) { d.SetEcgHr(121); }, 1, 2, "心律过高", 120, 121},
        {"hr low", [](D& d) { d.SetEcgHr(49); }, 1, 1, "心律过低", 50, 49},
        {"lead bit 0x1", lead(0x1), 1, 3, "LL导联脱落", 0, 0},
        {"lead bit 0x2", lead(0x2), 1, 4, "LA导联脱落", 0, 0},
        {"lead bit 0x4", lead(0x4), 1, 5, "RA导联脱落", 0, 0},
        {"lead bit 0x8", lead(0x8), 1, 6, "V导联脱落", 0, 0},
        {"st1 high", st(21, 3), 7, 2, "ST1过高", 20, 21},
        {"st1 low", st(-21, 3), 7, 1, "ST1过低", -20, -21},
        {"st2 high", st(3, 22), 7, 4, "ST2过高", 20, 22},
        {"st2 low", st(3, -22), 7, 3, "ST2过低", -20, -22},
        {"arrhythmia 1", arra(1), 8, 1, "二联律", 0, 0},
        {"arrhythmia 2", arra(2), 8, 2, "三联律", 0, 0},
        {"arrhythmia 3", arra(3), 8, 3, "心电过缓", 0, 0},
        {"arrhythmia 4", arra(4), 8, 4, "心电过速", 0, 0},
        {"arrhythmia 5", arra(5), 8, 5, "室早", 0, 0},
        {"arrhythmia 6", arra(6), 8, 6, "室速", 0, 0},
        {"arrhythmia 7", arra(7), 8, 7, "室早成对", 0, 0},
        {"arrhythmia 8", arra(8), 8, 8, "停搏", 0, 0},
        {"rr high", [](D& d) { d.SetRespRr(31); }, 2, 2, "呼吸率过高", 30, 31},
        {"rr low", [](D& d) { d.SetRespRr(7); }, 2, 1, "呼吸率过低", 8, 7},
        {"apnoea", [](D& d) { d.SetRespApnea(1); }, 2, 3, "呼吸窒息", 0, 15},
        {"temp high", [](D& d) { d.SetTemp(391); }, 4, 2, "体温过高", 390, 391},
        {"temp low", [](D& d) { d.SetTemp(349); }, 4, 1, "体温过低", 350, 349},
        {"temp probe off", [](D& d) { d.SetTempProbeOff(1); }, 4, 3, "体温探头脱落", 0, 0},
        {"spo2 high", [](D& d) { d.SetSpo2(101); }, 3, 2, "血氧饱和度过高", 100, 101},
        {"spo2 low", [](D& d) { d.SetSpo2(89); }, 3, 1, "血氧饱和度过低", 90, 89},
        {"pr high", [](D& d) { d.SetSpo2Pr(126); }, 3, 4, "脉率过高", 125, 126},
        {"pr low", [](D& d) { d.SetSpo2Pr(44); }, 3, 3, "脉率过低", 45, 44},
        {"spo2 probe off", [](D& d) { d.SetSpo2Status(0x10); }, 3, 6, "血氧探头脱落", 0, 0},
        {"spo2 finger off", [](D& d) { d.SetSpo2Status(0x80); }, 3, 5, "血氧手指脱落", 0, 0},
        {"sbp high", [](D& d) { d.m_i16NibpSbp = 141; }, 5, 2, "收缩压过高", 140, 141},
        {"sbp low", [](D& d) { d.m_i16NibpSbp = 94; }, 5, 1, "收缩压过低", 95, 94},
        {"dbp high", [](D& d) { d.m_i16NibpDbp = 86; }, 5, 4, "舒张压过高", 85, 86},
        {"dbp low", [](D& d) { d.m_i16NibpDbp = 54; }, 5, 3, "舒张压过低", 55, 54},
        {"fio2 high", [](D& d) { d.SetAirOxy(61); }, 6, 2, "氧浓度过高", 60, 61},
        {"fio2 low", [](D& d) { d.SetAirOxy(20); }, 6, 1, "氧浓度过低", 21, 20},
        {"fio2 probe off", [](D& d) { d.SetAirOxyProbeOff(1); }, 6, 3, "氧浓度探头脱落", 0, 0},
    };
    for (const SingleAlarmCase& c : cases) {
        SCOPED_TRACE(c.name);
        AllNormal();
        data->CheckAlm();
        ASSERT_EQ(Listed(), 0u);
        c.set(*data);
        data->CheckAlm();
        EXPECT_EQ(Listed(), 1u) << "entries listed";
        const SHOW_ALM* alm = Find(c.type, c.code);
        ASSERT_NE(alm, nullptr);
        EXPECT_EQ(ToUtf8(alm->cText), c.text) << "cText";
        EXPECT_EQ(static_cast<int16_t>(alm->u16Limit), c.limit) << "u16Limit";
        EXPECT_EQ(static_cast<int16_t>(alm->u16Value), c.value) << "u16Value";
    }
}

TEST_F(AlarmCheckTest, NoValueMarkersCompareAsNegativeNumbers)
{
    data->SetEcgHr(static_cast<uint16_t>(g_i16InvalidHr));
    data->SetEcgSt(static_cast<uint16_t>(g_i16InvalidSt), static_cast<uint16_t>(g_i16InvalidSt));
    data->SetAirOxy(static_cast<uint8_t>(-100));
    data->CheckAlm();
    const SHOW_ALM* hr = Find(1, 1);
    ASSERT_NE(hr, nullptr);
    EXPECT_EQ(ToUtf8(hr->cText), "心律过低");
    EXPECT_EQ(hr->u16Value, 65436);
    EXPECT_EQ(Find(1, 2), nullptr);  // not 65436 > 120
    EXPECT_NE(Find(7, 1), nullptr);
    EXPECT_NE(Find(7, 3), nullptr);
    const SHOW_ALM* fio2 = Find(6, 1);
    ASSERT_NE(fio2, nullptr);
    EXPECT_EQ(fio2->u16Value, 65436);
}

TEST_F(AlarmCheckTest, LeadOffBitsRaiseAndClearTheirCodes)
{
    data->SetEcgLeadOff(0x0A, 0);
    data->CheckAlm();
    data->SetEcgLeadOff(0x05, 0);
    data->CheckAlm();
    EXPECT_EQ(Texts(data->m_listEcgAlm), (std::vector<std::string>{"LL导联脱落", "RA导联脱落"}));
    const SHOW_ALM* ll = Find(1, 3);
    EXPECT_EQ(ll->u16Limit, 0);
    EXPECT_EQ(ll->u16Value, 0);
}

TEST_F(AlarmCheckTest, RaisesOfOneEvaluationShareItsTimeAndFollowTheGroupOrder)
{
    data->SetEcgLeadOff(0x04, 0);
    data->SetEcgHr(130);
    data->SetEcgArra(2);
    data->SetEcgSt(50, 0);
    clock.Advance(2500);
    data->CheckAlm();
    EXPECT_EQ(Texts(data->m_listEcgAlm), (std::vector<std::string>{"心律过高", "RA导联脱落", "ST1过高", "三联律"}));
    for (const SHOW_ALM& alm : data->m_listEcgAlm) EXPECT_EQ(ToUtf8(alm.cTime), "2026-12-07 08:00:02");
}

TEST_F(AlarmCheckTest, ArrhythmiaCodesAccumulateUntilTheCodeReturnsToZero)
{
    data->SetEcgArra(5);
    data->CheckAlm();
    data->SetEcgArra(3);
    data->CheckAlm();
    EXPECT_EQ(Texts(data->m_listEcgAlm), (std::vector<std::string>{"室早", "心电过缓"}));
    EXPECT_EQ(data->m_listEcgAlm.front().u16Limit, 0);
    data->SetEcgArra(0);
    data->CheckAlm();
    EXPECT_TRUE(data->m_listEcgAlm.empty());
    EXPECT_EQ(data->IsArraAlmOn(), 0);
}

TEST_F(AlarmCheckTest, ArrhythmiaCodesWithoutATextRaiseAndRemoveNothing)
{
    data->SetEcgArra(8);
    data->CheckAlm();
    for (int code : {9, 15, 16, 23, 24, 200, 255}) {
        data->SetEcgArra(static_cast<uint8_t>(code));
        data->CheckAlm();
        EXPECT_EQ(Texts(data->m_listEcgAlm), std::vector<std::string>{"停搏"}) << code;
        for (const auto& row : data->m_u8AlmOn)
            for (int c = 9; c < ALARM_CODES; ++c) EXPECT_EQ(row[c], 0);
    }
}

TEST_F(AlarmCheckTest, SensorFlagsRaiseTheirAlarms)
{
    data->SetSpo2Status(0x90);
    data->SetTempProbeOff(1);
    data->SetAirOxyProbeOff(1);
    data->CheckAlm();
    EXPECT_EQ(Texts(data->m_listSpo2NibpAlm), (std::vector<std::string>{"血氧探头脱落", "血氧手指脱落"}));
    EXPECT_EQ(Texts(data->m_listRespTempAlm), std::vector<std::string>{"体温探头脱落"});
    EXPECT_EQ(Texts(data->m_listAirOxyAlm), std::vector<std::string>{"氧浓度探头脱落"});
    data->SetSpo2Status(0x10);
    data->CheckAlm();
    EXPECT_EQ(Texts(data->m_listSpo2NibpAlm), std::vector<std::string>{"血氧探头脱落"});
}

TEST_F(AlarmCheckTest, SwitchedOffGroupsKeepTheirEntries)
{
    data->SetEcgSt(50, 50);
    data->SetEcgHr(130);
    data->SetTemp(400);
    data->CheckAlm();
    ASSERT_NE(Find(7, 2), nullptr);

    data->m_nEcgStSw = 0;  // analysis off, alarm switch still on
    data->m_nEcgAlmSw = g_i32AlmSwOff;
    data->m_nTempAlmSw = g_i32AlmSwOff;
    AllNormal();
    data->SetEcgSt(-50, -50);
    data->SetTempProbeOff(1);
    data->CheckAlm();
    EXPECT_EQ(Texts(data->m_listEcgAlm), (std::vector<std::string>{"心律过高", "ST1过高", "ST2过高"}));
    EXPECT_EQ(Texts(data->m_listRespTempAlm), std::vector<std::string>{"体温过高"});

    data->m_nEcgStSw = 1;
    data->m_nEcgStAlmSw = g_i32AlmSwOff;
    data->CheckAlm();
    EXPECT_EQ(Find(7, 1), nullptr);
    EXPECT_NE(Find(7, 2), nullptr);
    // The arrhythmia group needs its analysis and its alarm switch.
    data->m_nEcgArraSw = 0;
    data->SetEcgArra(4);
    data->CheckAlm();
    EXPECT_EQ(Find(8, 4), nullptr);
}

}  // namespace
