#include <set>

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
    ExpectColumnsApart(IntColumns(kLimitSets, kLimitNames));
    const CMonitorData& d = *data;
    for (int set : {0, 1}) {
        SetLimits(set);
        std::set<int> apart{d.m_wEcgHr, d.m_i16EcgSt1, d.m_i16EcgSt2, d.m_wRespRr,     d.m_wSpo2,
                            d.m_wSpo2Pr, d.m_wTemp,     d.m_i8AirOxy,  d.m_i16NibpSbp, d.m_i16NibpDbp};
        apart.insert(std::begin(kLimitSets[set]), std::end(kLimitSets[set]));
        EXPECT_EQ(apart.size(), 10 + std::size(kLimitFields)) << "a limit alike another or a normal value, set " << set;
        data->CheckAlm();
        EXPECT_EQ(Listed(), 0u);
        EXPECT_EQ(data->TakeNewAlm(), 0);
    }
}

TEST_F(AlarmCheckTest, EveryLimitRaisesStrictlyBeyondAndClearsAtTheLimit)
{
    ForEachRow([this](const ALARM_ROW& row) {
        if (row.limit == nullptr) return;
        row.set(*data, LimitOf(row));
        data->CheckAlm();
        EXPECT_EQ(Listed(), 0u) << "at the limit";
        Raise(row);
        const SHOW_ALM* alm = Find(row.type, row.code);
        ASSERT_NE(alm, nullptr);
        EXPECT_EQ(static_cast<int16_t>(alm->u16Limit), LimitOf(row));
        EXPECT_EQ(static_cast<int16_t>(alm->u16Value), ValueOf(row));
        row.set(*data, LimitOf(row));
        data->CheckAlm();
        EXPECT_EQ(Listed(), 0u) << "back at the limit";
    });
}

TEST_F(AlarmCheckTest, EachAlarmIsRaisedOnItsOwnWithItsTextLimitAndValue)
{
    ForEachRow([this](const ALARM_ROW& row) {
        ASSERT_EQ(Listed(), 0u);
        Raise(row);
        EXPECT_EQ(Listed(), 1u) << "entries listed";
        const SHOW_ALM* alm = Find(row.type, row.code);
        ASSERT_NE(alm, nullptr);
        EXPECT_EQ(ToUtf8(alm->cText), row.text) << "cText";
        EXPECT_EQ(static_cast<int16_t>(alm->u16Limit), LimitOf(row)) << "u16Limit";
        EXPECT_EQ(static_cast<int16_t>(alm->u16Value), ValueOf(row)) << "u16Value";
    });
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
