#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "core/monitorsettings.h"
#include "platform/privateprofile.h"
#include "support/said.h"
#include "support/tempfolder.h"

namespace {

using S = CMonitorSettings;

class MonitorSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { theApp.ResetForTests(); }

    // Starts the data object over the settings file as it is in the folder now; what the start
    // said on standard error is kept in `said`.
    std::unique_ptr<CMonitorData> Start()
    {
        std::unique_ptr<CMonitorData> data;
        said = Said([&data] { data = std::make_unique<CMonitorData>(); });
        return data;
    }

    // Gives each setting of rows its value (unless kUnset), runs one validation step on them
    // alone, and expects each to hold its result.
    struct STEP_ROW {
        int S::*field;
        int given, want;
    };
    static constexpr int kUnset = INT_MIN;
    void Validate(int (S::*step)(), std::initializer_list<STEP_ROW> rows)
    {
        for (const STEP_ROW& row : rows)
            if (row.given != kUnset) s.*row.field = row.given;
        (s.*step)();
        int n = 0;
        for (const STEP_ROW& row : rows) EXPECT_EQ(s.*row.field, row.want) << "row " << n++;
    }

    TempFolder folder;
    CMonitorSettings s;  // for the validation steps on their own
    std::string said;
};

// ---- start-up over a missing, garbled or unreadable file ----

void ExpectStartValues(const CMonitorSettings& d)
{
    for (int sw : {d.m_nEcgAlmSw, d.m_nEcgStAlmSw, d.m_nEcgArraAlmSw, d.m_nRespAlmSw, d.m_nTempAlmSw,
                   d.m_nOxyAlmSw, d.m_nBpAlmSw, d.m_nAirOxyAlmSw})
        EXPECT_EQ(sw, g_i32AlmSwOff);
    for (int level : {d.m_nEcgAlmLevel, d.m_nEcgStAlmLevel, d.m_nEcgArraAlmLevel, d.m_nRespAlmLevel,
                      d.m_nTempAlmLevel, d.m_nOxyAlmLevel, d.m_nBpAlmLevel, d.m_nAirOxyAlmLevel})
        EXPECT_EQ(level, g_i32AlmLevelLow);
    for (int rec : {d.m_nEcgAlmRec, d.m_nEcgStAlmRec, d.m_nEcgArraAlmRec, d.m_nRespAlmRec, d.m_nTempAlmRec,
                    d.m_nOxyAlmRec, d.m_nBpAlmRec, d.m_nAirOxyAlmRec})
        EXPECT_EQ(rec, g_i32AlmRecOff);
    const std::pair<int S::*, int> rows[] = {
        {&S::m_nEcgHrForm, 0}, {&S::m_nEcgHrLead, 0}, {&S::m_nEcgLeadMode, 0}, {&S::m_nEcgTrap, 0},
        {&S::m_nEcgPaceSw, 0}, {&S::m_nEcgWaveSpeed, 0}, {&S::m_nEcgWaveGain, 0}, {&S::m_nEcgWaveFilter, 0},
        {&S::m_nEcgBeatVol, 0}, {&S::m_nBeatVolume, -10000}, {&S::m_nEcgStSw, 0}, {&S::m_nEcgArraSw, 0},
        {&S::m_nEcgSt, 0}, {&S::m_nEcgIso, 0}, {&S::m_nEcgHrAlmH, 25}, {&S::m_nEcgHrAlmL, 7}, {&S::m_nEcgStAlmH, 10},
        {&S::m_nEcgStAlmL, 0}, {&S::m_nEcgArraPvcsAlmH, 1}, {&S::m_nRespRrAlmH, 30}, {&S::m_nRespRrAlmL, 7},
        {&S::m_nOxyAlmH, 80}, {&S::m_nOxyAlmL, 70}, {&S::m_nOxyPrAlmH, 30}, {&S::m_nOxyPrAlmL, 10},
        {&S::m_nTempAlmH, 360}, {&S::m_nTempAlmL, 330}, {&S::m_nBpSbpAlmH, 60}, {&S::m_nBpSbpAlmL, 40},
        {&S::m_nBpDbpAlmH, 37}, {&S::m_nBpDbpAlmL, 30}, {&S::m_nAirOxyAlmH, 50}, {&S::m_nAirOxyAlmL, 20},
        {&S::m_nRespApneaTime, 0}, {&S::m_nBpPress, 0}, {&S::m_nSysAlmTime, 60}, {&S::m_nSysAlmVol, 0},
        {&S::m_nAlmVolume, -1398}, {&S::m_nEcgTrace1Lead, 1}, {&S::m_nEcgTrace2Lead, 0}, {&S::m_nRespGain, 0},
        {&S::m_nRespSpeed, 0}, {&S::m_nPlethSpeed, 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(d.*rows[i].first, rows[i].second) << "row " << i;
}

void ExpectDefaultRecordFiles(const TempFolder& folder)
{
    EXPECT_EQ(theApp.m_strDataSavePath, folder.File("DataSave.dat"));
    EXPECT_EQ(theApp.m_strNibpSavePath, folder.File("NIBPSave.dat"));
    EXPECT_EQ(theApp.m_strAlmSavePath, folder.File("AlmSave.dat"));
    EXPECT_EQ(theApp.m_strSysSavePath, folder.File("SysSave.dat"));
}

TEST_F(MonitorSettingsTest, MissingFileStartsWithTheValidatedZeros)
{
    auto data = Start();
    // One line for the missing file, none for the keys it lacks.
    EXPECT_EQ(said, "settings: " + folder.File("Para.ini") + " not found; starting with default settings\n");
    ExpectStartValues(*data);
    ExpectDefaultRecordFiles(folder);
    EXPECT_FALSE(std::filesystem::exists(folder.File("Para.ini")));  // loading writes nothing
    // An empty file lacks every key too, without a line.
    folder.Write("Para.ini", "");
    data = Start();
    EXPECT_EQ(said, "");
    ExpectStartValues(*data);
}

TEST_F(MonitorSettingsTest, FileOfOneMiBIsReadAndALargerOneIsLeftAsItIs)
{
    const std::string head = "[ECG]\r\nHR_ALM_H=120\r\n[NOTES]\r\n";
    std::string text = head;
    while (text.size() < g_u64ProfileSizeMax) text += "NOTE" + std::to_string(text.size()) + "=1\r\n";
    text.resize(g_u64ProfileSizeMax - 1);
    text += "\n";
    folder.Write("Para.ini", text);
    auto data = Start();
    EXPECT_EQ(said, "");
    EXPECT_EQ(data->m_nEcgHrAlmH, 120);
    const std::string path = folder.File("Para.ini");
    const std::string tooLarge = " to " + path +
                                 " (the file is larger than 1048576 bytes and is left as it is); the new value holds "
                                 "until exit\n";
    // A write that would make the file too large to be read at the next start is refused.
    EXPECT_EQ(Said([&] { EXPECT_EQ(data->m_ParaIni.SetEcgHrAlmL(60), 1); }),
              "settings: could not save [ECG] HR_ALM_L=60" + tooLarge);
    EXPECT_TRUE(folder.Read("Para.ini") == text);  // compared whole: a diff of 1 MiB would not fit in memory

    text += "\n";
    folder.Write("Para.ini", text);
    data = Start();
    EXPECT_EQ(said, "settings: " + path +
                        " is 1048577 bytes, larger than the 1048576 bytes a settings file may have; "
                        "it is not read and is left as it is; starting with default settings\n");
    ExpectStartValues(*data);
    EXPECT_EQ(Said([&] { EXPECT_EQ(data->m_ParaIni.SetEcgHrAlmH(150), 1); }),
              "settings: could not save [ECG] HR_ALM_H=150" + tooLarge);
    EXPECT_EQ(folder.Read("Para.ini"), text);
}

TEST_F(MonitorSettingsTest, ValuesNotANumberOrReplacedAreNamedWithTheValueUsed)
{
    folder.Write("Para.ini", "[ECG]\r\nALM_SW=abc\r\nHR_ALM_H=400\r\nHR_ALM_L=60\r\n");
    auto data = Start();
    EXPECT_EQ(said,
              "settings: [ECG] ALM_SW=abc is not a number (read as 0); using 0\n"
              "settings: [ECG] HR_ALM_H=400 is outside 25 to 350; using 350\n");
    EXPECT_EQ(data->m_nEcgAlmSw, g_i32AlmSwOff);
    EXPECT_EQ(data->m_nEcgHrAlmH, 350);

    // Valid values, and the keys the file does not hold, pass without a word.
    folder.Write("Para.ini", "[ECG]\r\nALM_SW=1\r\nHR_ALM_H=120\r\nHR_ALM_L=60\r\n");
    data = Start();
    EXPECT_EQ(said, "");
    EXPECT_EQ(data->m_nEcgAlmSw, g_i32AlmSwOn);
}

TEST_F(MonitorSettingsTest, NumbersBeyondAnIntAreCheckedAsTheNearestInt)
{
    folder.Write("Para.ini", "[ECG]\r\nHR_ALM_H=99999999999\r\nHR_ALM_L=-99999999999\r\n"
                             "[TEMP]\r\nTEMP_ALM_H=3000000000\r\n");
    auto data = Start();
    EXPECT_EQ(said,
              "settings: [ECG] HR_ALM_H=99999999999 is too large (read as 2147483647); using 350\n"
              "settings: [ECG] HR_ALM_L=-99999999999 is too small (read as -2147483648); using 7\n"
              "settings: [TEMP] TEMP_ALM_H=3000000000 is too large (read as 2147483647); using 430\n");
    EXPECT_EQ(data->m_nEcgHrAlmH, 350);
    EXPECT_EQ(data->m_nEcgHrAlmL, 7);
    EXPECT_EQ(data->m_nTempAlmH, 430);
}

TEST_F(MonitorSettingsTest, ExtremeIntsWrittenOutAreWholeNumbers)
{
    {
        CParaIni ini;
        ini.SetBpPress(INT_MIN);
        ini.SetEcgPaceSw(INT_MAX);
    }
    auto data = Start();
    EXPECT_EQ(said, "");
    EXPECT_EQ(data->m_nBpPress, INT_MIN);
    EXPECT_EQ(data->m_nEcgPaceSw, INT_MAX);
}

TEST_F(MonitorSettingsTest, GarbledFileStartsLikeAMissingOne)
{
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 131 + 7) % 256);
    folder.Write("Para.ini", junk);
    auto data = Start();
    ExpectStartValues(*data);
    ExpectDefaultRecordFiles(folder);
}

TEST_F(MonitorSettingsTest, UnreadableFileStartsLikeAMissingOne)
{
    std::filesystem::create_symlink("/proc/self/mem", folder.File("Para.ini"));
    auto data = Start();
    ExpectStartValues(*data);
    ExpectDefaultRecordFiles(folder);
}

TEST_F(MonitorSettingsTest, SettingsAmongGarbageLinesAreStillRead)
{
    folder.Write("Para.ini", "\x7f\x01 noise\n[ECG]\nHR_ALM_H=140\n%%%%\nALM_SW=1\n[SYS]\nALM_TIME=120\n");
    auto data = Start();
    EXPECT_EQ(data->m_nEcgHrAlmH, 140);
    EXPECT_EQ(data->m_nEcgAlmSw, 1);
    EXPECT_EQ(data->m_nSysAlmTime, 120);
}

TEST_F(MonitorSettingsTest, ViewsThatAreNotStoredReturnToTheirStartValues)
{
    folder.Write("Para.ini", "[ECG]\nWAVE_SPEED=1\nWAVE_GAIN=2\n");
    auto data = Start();
    EXPECT_EQ(data->m_nEcgWaveSpeed, 1);
    EXPECT_EQ(data->m_nEcgWaveGain, 2);
    data->m_nEcgTrace1Lead = 4;
    data->m_nRespGain = 3;
    data->m_nPlethSpeed = 1;
    data.reset();
    data = Start();
    EXPECT_EQ(data->m_nEcgTrace1Lead, 1);
    EXPECT_EQ(data->m_nRespGain, 0);
    EXPECT_EQ(data->m_nPlethSpeed, 0);
}

TEST_F(MonitorSettingsTest, UnwritableFolderKeepsTheChangedValueInMemory)
{
    SetExeFolder(folder.File("missing"));
    auto data = Start();
    data->m_nEcgHrAlmH = 150;
    EXPECT_NE(data->m_ParaIni.SetEcgHrAlmH(data->m_nEcgHrAlmH), 0);
    EXPECT_EQ(data->m_nEcgHrAlmH, 150);
}

TEST_F(MonitorSettingsTest, ValidationChangesMemoryOnly)
{
    folder.Write("Para.ini", "[ECG]\nHR_ALM_H=400\n");
    auto data = Start();
    EXPECT_EQ(data->m_nEcgHrAlmH, 350);
    EXPECT_EQ(folder.Read("Para.ini"), "[ECG]\nHR_ALM_H=400\n");
}

// ---- ECG ----

TEST_F(MonitorSettingsTest, EcgCodesOutsideTheirSetsTakeTheirFallbacks)
{
    Validate(&S::CheckEcgPara, {{&S::m_nEcgAlmSw, 2, 1}, {&S::m_nEcgAlmLevel, 5, 2}, {&S::m_nEcgAlmRec, 7, 0},
                                {&S::m_nEcgTrap, 9, 1}, {&S::m_nEcgWaveGain, 3, 1}, {&S::m_nEcgWaveSpeed, 2, 0},
                                {&S::m_nEcgBeatVol, 4, 0}, {&S::m_nBeatVolume, kUnset, -10000},
                                {&S::m_nEcgLeadMode, 2, 0}, {&S::m_nEcgHrForm, -1, 0}, {&S::m_nEcgStSw, 3, 0},
                                {&S::m_nEcgStAlmSw, -1, 1}, {&S::m_nEcgArraAlmLevel, 3, 2}});
}

TEST_F(MonitorSettingsTest, EcgCodesInsideTheirSetsStay)
{
    Validate(&S::CheckEcgPara, {{&S::m_nEcgLeadMode, 1, 1}, {&S::m_nEcgAlmLevel, 1, 1}, {&S::m_nEcgWaveGain, 2, 2},
                                {&S::m_nEcgBeatVol, 2, 2}, {&S::m_nBeatVolume, kUnset, -444}, {&S::m_nEcgTrap, 0, 0}});
}

TEST_F(MonitorSettingsTest, EcgLimitsAreClampedIntoTheirRanges)
{
    Validate(&S::CheckEcgPara, {{&S::m_nEcgHrAlmH, 400, 350}, {&S::m_nEcgHrAlmL, 0, 7}, {&S::m_nEcgArraPvcsAlmH, 0, 1},
                                {&S::m_nEcgSt, 101, 100}, {&S::m_nEcgIso, -5, 0}});
    Validate(&S::CheckEcgPara, {{&S::m_nEcgArraPvcsAlmH, 11, 10}});
}

TEST_F(MonitorSettingsTest, EcgHighLimitsAreLiftedAboveTheirLowLimits)
{
    Validate(&S::CheckEcgPara, {{&S::m_nEcgHrAlmH, 100, 103}, {&S::m_nEcgHrAlmL, 100, 100},
                                {&S::m_nEcgStAlmH, -100, 110}, {&S::m_nEcgStAlmL, 100, 100}});
}

TEST_F(MonitorSettingsTest, EcgSettingsLeftAsLoadedKeepAnyValue)
{
    Validate(&S::CheckPara, {{&S::m_nEcgPaceSw, 77, 77}, {&S::m_nEcgWaveFilter, 9, 9}, {&S::m_nEcgArraSw, -3, -3},
                             {&S::m_nEcgTrace1Lead, 6, 6}});
}

// ---- respiration, SpO2, temperature, NIBP, oxygen concentration ----

TEST_F(MonitorSettingsTest, RespirationCodesLimitsAndGap)
{
    Validate(&S::CheckRespPara, {{&S::m_nRespAlmSw, 3, 1}, {&S::m_nRespApneaTime, 3, 3}, {&S::m_nRespSpeed, 2, 1},
                                 {&S::m_nRespGain, 5, 2}, {&S::m_nRespRrAlmH, 50, 63}, {&S::m_nRespRrAlmL, 60, 60}});
    Validate(&S::CheckRespPara,
             {{&S::m_nRespApneaTime, 4, 1}, {&S::m_nRespRrAlmH, 200, 120}, {&S::m_nRespRrAlmL, 1, 7}});
}

TEST_F(MonitorSettingsTest, Spo2LimitsAndGaps)
{
    // The low limit is clamped to 90 first, then the high limit is lifted to 93.
    Validate(&S::CheckOxyPara, {{&S::m_nOxyAlmH, 85, 93}, {&S::m_nOxyAlmL, 95, 90}, {&S::m_nOxyPrAlmH, 400, 300},
                                {&S::m_nOxyPrAlmL, 260, 250}, {&S::m_nPlethSpeed, 2, 1}, {&S::m_nOxyAlmLevel, -1, 2}});
}

TEST_F(MonitorSettingsTest, TemperatureGapIsFiveTenths)
{
    Validate(&S::CheckTempPara, {{&S::m_nTempAlmH, 370, 385}, {&S::m_nTempAlmL, 380, 380}, {&S::m_nTempAlmRec, 2, 0}});
}

TEST_F(MonitorSettingsTest, SystolicAndDiastolicHighLimitsAreSeparated)
{
    Validate(&S::CheckBpPara, {{&S::m_nBpSbpAlmH, 100, 103}, {&S::m_nBpSbpAlmL, 60, 60}, {&S::m_nBpDbpAlmH, 100, 57},
                               {&S::m_nBpDbpAlmL, 50, 50}});
}

TEST_F(MonitorSettingsTest, DiastolicHighMayEndBelowItsOwnBoundsAndLowLimit)
{
    Validate(&S::CheckBpPara, {{&S::m_nBpSbpAlmH, 60, 93}, {&S::m_nBpSbpAlmL, 40, 40}, {&S::m_nBpDbpAlmH, 90, 37},
                               {&S::m_nBpDbpAlmL, 80, 80}, {&S::m_nBpPress, 999, 999}});
}

TEST_F(MonitorSettingsTest, OxygenConcentrationHasNoGapRule)
{
    Validate(&S::CheckAirOxyPara, {{&S::m_nAirOxyAlmH, 50, 50}, {&S::m_nAirOxyAlmL, 80, 80}});
    Validate(&S::CheckAirOxyPara,
             {{&S::m_nAirOxyAlmH, 101, 100}, {&S::m_nAirOxyAlmL, 10, 20}, {&S::m_nAirOxyAlmSw, 5, 1}});
}

// ---- system and sound volumes ----

TEST_F(MonitorSettingsTest, AlarmPauseAndAlarmSound)
{
    Validate(&S::CheckSysPara,
             {{&S::m_nSysAlmTime, 90, 60}, {&S::m_nSysAlmVol, 2, 2}, {&S::m_nAlmVolume, kUnset, -194}});
    Validate(&S::CheckSysPara,
             {{&S::m_nSysAlmTime, 120, 120}, {&S::m_nSysAlmVol, 7, 0}, {&S::m_nAlmVolume, kUnset, -1398}});
}

TEST_F(MonitorSettingsTest, VolumeTableFollowsTheAmplitudeFractions)
{
    auto centiBel = [](double fraction) { return static_cast<int>(std::lround(2000 * std::log10(fraction))); };
    EXPECT_EQ(CMonitorSettings::BeatVolumeFor(0), -10000);
    EXPECT_EQ(CMonitorSettings::BeatVolumeFor(1), centiBel(0.2));
    EXPECT_EQ(CMonitorSettings::BeatVolumeFor(2), centiBel(0.6));
    EXPECT_EQ(CMonitorSettings::BeatVolumeFor(3), 0);
    EXPECT_EQ(CMonitorSettings::AlmVolumeFor(0), centiBel(0.2));
    EXPECT_EQ(CMonitorSettings::AlmVolumeFor(1), centiBel(0.5));
    EXPECT_EQ(CMonitorSettings::AlmVolumeFor(2), centiBel(0.8));
    EXPECT_EQ(CMonitorSettings::AlmVolumeFor(3), 0);
    EXPECT_EQ(CMonitorSettings::BeatVolumeFor(-1), -10000);
    EXPECT_EQ(CMonitorSettings::AlmVolumeFor(4), centiBel(0.2));
}

// ---- checked accessors for settings the validation leaves as loaded ----

TEST_F(MonitorSettingsTest, CheckedAccessorsStayInRange)
{
    s.m_nEcgWaveFilter = 2;
    s.m_nEcgPaceSw = 1;
    s.m_nEcgArraSw = 1;
    s.m_nBpPress = 180;
    s.m_nRespApneaTime = 2;
    EXPECT_EQ(s.EcgWaveFilterIndex(), 2);
    EXPECT_EQ(s.EcgPaceSwByte(), 1);
    EXPECT_EQ(s.EcgArraSwByte(), 1);
    EXPECT_EQ(s.BpPressByte(), 180);
    EXPECT_EQ(s.RespApneaTimeIndex(), 2);

    s.m_nEcgWaveFilter = 3;
    s.m_nEcgPaceSw = 256;
    s.m_nEcgArraSw = -1;
    s.m_nBpPress = 300;
    s.m_nRespApneaTime = 3;
    EXPECT_EQ(s.EcgWaveFilterIndex(), 0);
    EXPECT_EQ(s.EcgPaceSwByte(), 0);
    EXPECT_EQ(s.EcgArraSwByte(), 0);
    EXPECT_EQ(s.BpPressByte(), 255);
    EXPECT_EQ(s.RespApneaTimeIndex(), 1);
    s.m_nBpPress = -20;
    EXPECT_EQ(s.BpPressByte(), 0);
}

// Another program replaces the settings file again and again while the monitor loads it.
TEST(MonitorSettingsThreadTest, LoadTakesEveryKeyFromOneVersionOfTheFile)
{
    TempFolder folder;
    const std::string versions[2] = {"[ECG]\nHR_ALM_H=120\n[SYS]\nALM_VOL=1\n",
                                     "[ECG]\nHR_ALM_H=80\n[SYS]\nALM_VOL=2\n"};
    folder.Write("Para.ini", versions[0]);
    std::atomic<bool> stop{false};
    std::thread replacer([&] {
        for (int n = 1; !stop.load(); ++n) {
            folder.Write("next.ini", versions[n % 2]);
            std::rename(folder.File("next.ini").c_str(), folder.File("Para.ini").c_str());
        }
    });
    std::string mixed;
    for (int i = 0; i < 200 && mixed.empty(); ++i) {
        CMonitorSettings s;
        s.LoadSettings();
        const bool first = s.m_nEcgHrAlmH == 120 && s.m_nSysAlmVol == 1;
        const bool second = s.m_nEcgHrAlmH == 80 && s.m_nSysAlmVol == 2;
        if (!first && !second)
            mixed = "HR_ALM_H " + std::to_string(s.m_nEcgHrAlmH) + " with ALM_VOL " + std::to_string(s.m_nSysAlmVol);
    }
    stop = true;
    replacer.join();
    EXPECT_EQ(mixed, "");
}

}  // namespace
