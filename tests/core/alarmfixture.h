// A data object on the fake clock (2026-12-07 08:00:00) with every alarm group switched on,
// recording on, level low, and plain limits, for the alarm and record-builder tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "platform/apppaths.h"
#include "platform/fakeclock.h"
#include "platform/textu16.h"
#include "support/tempfolder.h"

class AlarmFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        theApp.ResetForTests();
        data = std::make_unique<CMonitorData>();
        SwitchEverythingOn();
    }
    void TearDown() override { theApp.ResetForTests(); }

    void SwitchEverythingOn()
    {
        CMonitorData& d = *data;
        for (int* sw : {&d.m_nEcgAlmSw, &d.m_nEcgStSw, &d.m_nEcgStAlmSw, &d.m_nEcgArraSw, &d.m_nEcgArraAlmSw,
                        &d.m_nRespAlmSw, &d.m_nTempAlmSw, &d.m_nOxyAlmSw, &d.m_nBpAlmSw, &d.m_nAirOxyAlmSw})
            *sw = g_i32AlmSwOn;
        for (int* rec : {&d.m_nEcgAlmRec, &d.m_nEcgStAlmRec, &d.m_nEcgArraAlmRec, &d.m_nRespAlmRec, &d.m_nTempAlmRec,
                         &d.m_nOxyAlmRec, &d.m_nBpAlmRec, &d.m_nAirOxyAlmRec})
            *rec = g_i32AlmRecOn;
        for (int* level : {&d.m_nEcgAlmLevel, &d.m_nEcgStAlmLevel, &d.m_nEcgArraAlmLevel, &d.m_nRespAlmLevel,
                           &d.m_nTempAlmLevel, &d.m_nOxyAlmLevel, &d.m_nBpAlmLevel, &d.m_nAirOxyAlmLevel})
            *level = g_i32AlmLevelLow;
        // No two limits alike, so a check against the wrong limit shows.
        d.m_nEcgHrAlmH = 120;
        d.m_nEcgHrAlmL = 50;
        d.m_nEcgStAlmH = 20;
        d.m_nEcgStAlmL = -20;
        d.m_nRespRrAlmH = 30;
        d.m_nRespRrAlmL = 8;
        d.m_nTempAlmH = 390;
        d.m_nTempAlmL = 350;
        d.m_nOxyAlmH = 100;
        d.m_nOxyAlmL = 90;
        d.m_nOxyPrAlmH = 125;
        d.m_nOxyPrAlmL = 45;
        d.m_nBpSbpAlmH = 140;
        d.m_nBpSbpAlmL = 95;
        d.m_nBpDbpAlmH = 85;
        d.m_nBpDbpAlmL = 55;
        d.m_nAirOxyAlmH = 60;
        d.m_nAirOxyAlmL = 21;
    }

    // Every live value inside its limits and no sensor off.
    void AllNormal()
    {
        CMonitorData& d = *data;
        d.SetEcgHr(80);
        d.SetEcgSt(0, 0);
        d.SetEcgLeadOff(0, 0);
        d.SetEcgArra(0);
        d.SetRespRr(15);
        d.SetRespApnea(0);
        d.SetSpo2(98);
        d.SetSpo2Pr(80);
        d.SetSpo2Status(0);
        d.SetTemp(370);
        d.SetTempProbeOff(0);
        d.SetAirOxy(30);
        d.SetAirOxyProbeOff(0);
        {
            CSingleLock guard(d.m_csNibp);
            d.m_i16NibpSbp = 110;
            d.m_i16NibpDbp = 70;
        }
    }

    // The texts of a list's entries in list order, as UTF-8.
    static std::vector<std::string> Texts(const std::list<SHOW_ALM>& list)
    {
        std::vector<std::string> out;
        for (const SHOW_ALM& alm : list) out.push_back(ToUtf8(alm.cText));
        return out;
    }

    TempFolder folder;  // the program's folder
    FakeClock clock;
    std::unique_ptr<CMonitorData> data;
};
