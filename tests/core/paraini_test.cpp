#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "appbase/tesmorapp.h"
#include "core/monitorsettings.h"
#include "core/paraini.h"
#include "platform/privateprofile.h"
#include "support/said.h"
#include "support/tempfolder.h"

namespace {

// Every integer key of the settings file, written out independently of the store's own list,
// with the accessors and the field that belong to it.
struct KeyRow {
    const char* section;
    const char* key;
    int (CParaIni::*get)() const;
    int (CParaIni::*set)(int);
    int CMonitorSettings::*field;
};

#define ROW(section, key, stem) \
    {section, key, &CParaIni::Get##stem, &CParaIni::Set##stem, &CMonitorSettings::m_n##stem}

const std::vector<KeyRow> kKeys = {
    ROW("ECG", "ALM_SW", EcgAlmSw),
    ROW("ECG", "ALM_LEVEL", EcgAlmLevel),
    ROW("ECG", "ALM_REC", EcgAlmRec),
    ROW("ECG", "HR_FORM", EcgHrForm),
    ROW("ECG", "HR_LEAD", EcgHrLead),
    ROW("ECG", "LEAD_MODE", EcgLeadMode),
    ROW("ECG", "HR_ALM_H", EcgHrAlmH),
    ROW("ECG", "HR_ALM_L", EcgHrAlmL),
    ROW("ECG", "ECG_TRAP", EcgTrap),
    ROW("ECG", "PACE_SW", EcgPaceSw),
    ROW("ECG", "WAVE_SPEED", EcgWaveSpeed),
    ROW("ECG", "WAVE_GAIN", EcgWaveGain),
    ROW("ECG", "WAVE_FILTER", EcgWaveFilter),
    ROW("ECG", "BEAT_VOL", EcgBeatVol),
    ROW("ECG", "ST_SW", EcgStSw),
    ROW("ECG", "ST_ALM_SW", EcgStAlmSw),
    ROW("ECG", "ST_ALM_LEVEL", EcgStAlmLevel),
    ROW("ECG", "ST_ALM_REC", EcgStAlmRec),
    ROW("ECG", "ST_ALM_H", EcgStAlmH),
    ROW("ECG", "ST_ALM_L", EcgStAlmL),
    ROW("ECG", "ISO", EcgIso),
    ROW("ECG", "ST", EcgSt),
    ROW("ECG", "ARRA_SW", EcgArraSw),
    ROW("ECG", "ARRA_ALM_SW", EcgArraAlmSw),
    ROW("ECG", "ARRA_ALM_LEVEL", EcgArraAlmLevel),
    ROW("ECG", "ARRA_ALM_REC", EcgArraAlmRec),
    ROW("ECG", "ARRA_PVCS_ALM_H", EcgArraPvcsAlmH),
    ROW("RESP", "ALM_SW", RespAlmSw),
    ROW("RESP", "ALM_LEVEL", RespAlmLevel),
    ROW("RESP", "ALM_REC", RespAlmRec),
    ROW("RESP", "APNEA_TIME", RespApneaTime),
    ROW("RESP", "RR_ALM_H", RespRrAlmH),
    ROW("RESP", "RR_ALM_L", RespRrAlmL),
    ROW("TEMP", "ALM_SW", TempAlmSw),
    ROW("TEMP", "ALM_LEVEL", TempAlmLevel),
    ROW("TEMP", "ALM_REC", TempAlmRec),
    ROW("TEMP", "TEMP_ALM_H", TempAlmH),
    ROW("TEMP", "TEMP_ALM_L", TempAlmL),
    ROW("OXY", "ALM_SW", OxyAlmSw),
    ROW("OXY", "ALM_LEVEL", OxyAlmLevel),
    ROW("OXY", "ALM_REC", OxyAlmRec),
    ROW("OXY", "OXY_ALM_H", OxyAlmH),
    ROW("OXY", "OXY_ALM_L", OxyAlmL),
    ROW("OXY", "OXY_PR_ALM_H", OxyPrAlmH),
    ROW("OXY", "OXY_PR_ALM_L", OxyPrAlmL),
    ROW("BP", "ALM_SW", BpAlmSw),
    ROW("BP", "ALM_LEVEL", BpAlmLevel),
    ROW("BP", "ALM_REC", BpAlmRec),
    ROW("BP", "SBP_ALM_H", BpSbpAlmH),
    ROW("BP", "SBP_ALM_L", BpSbpAlmL),
    ROW("BP", "DBP_ALM_H", BpDbpAlmH),
    ROW("BP", "DBP_ALM_L", BpDbpAlmL),
    ROW("BP", "PRESS", BpPress),
    ROW("AIROXY", "ALM_SW", AirOxyAlmSw),
    ROW("AIROXY", "ALM_LEVEL", AirOxyAlmLevel),
    ROW("AIROXY", "ALM_REC", AirOxyAlmRec),
    ROW("AIROXY", "AIROXY_ALM_H", AirOxyAlmH),
    ROW("AIROXY", "AIROXY_ALM_L", AirOxyAlmL),
    ROW("SYS", "ALM_TIME", SysAlmTime),
    ROW("SYS", "ALM_VOL", SysAlmVol),
};

#undef ROW

std::string Repeat(const std::string& text, size_t times)
{
    std::string out;
    for (size_t i = 0; i < times; ++i) out += text;
    return out;
}

// A value of its own for every row, negative for every third one.
int ValueOf(size_t row) { return (row % 3 == 0 ? -1 : 1) * static_cast<int>(100 + row * 7); }

class ParaIniTest : public ::testing::Test {
protected:
    void SetUp() override { theApp.ResetForTests(); }
    void TearDown() override { SetProfileWriteFailsBeforeRename(false); }

    // What filling the record paths from the settings file said on standard error.
    static std::string FillRecordPaths() { return Said([] { CMonitorSettings().FillRecordPaths(); }); }
    TempFolder folder;
};

TEST_F(ParaIniTest, PathIsParaIniInTheExecutablesFolder)
{
    CParaIni ini;
    EXPECT_EQ(ini.m_strExeFolder, folder.Path());
    EXPECT_EQ(ini.m_strIniPath, folder.File("Para.ini"));
}

TEST_F(ParaIniTest, EveryKeyRoundTripsThroughItsOwnSectionAndName)
{
    ASSERT_EQ(kKeys.size(), 60u);
    CParaIni ini;
    for (size_t i = 0; i < kKeys.size(); ++i) EXPECT_EQ((ini.*kKeys[i].set)(ValueOf(i)), 0) << kKeys[i].key;

    std::string path = folder.File("Para.ini");
    for (size_t i = 0; i < kKeys.size(); ++i) {
        const KeyRow& row = kKeys[i];
        SCOPED_TRACE(std::string(row.section) + "/" + row.key);
        EXPECT_EQ(GetPrivateProfileInt(row.section, row.key, 12345, path.c_str()), ValueOf(i));
        EXPECT_EQ((ini.*row.get)(), ValueOf(i));
    }

    // Loading puts each key into its own field.
    CMonitorSettings settings;
    settings.LoadSettings();
    for (size_t i = 0; i < kKeys.size(); ++i) EXPECT_EQ(settings.*kKeys[i].field, ValueOf(i)) << kKeys[i].key;
}

TEST_F(ParaIniTest, NegativeLimitIsWrittenAsSignedDecimalText)
{
    CParaIni ini;
    ini.SetEcgStAlmL(-50);
    EXPECT_EQ(folder.Read("Para.ini"), "[ECG]\r\nST_ALM_L=-50\r\n");
    EXPECT_EQ(ini.GetEcgStAlmL(), -50);
}

TEST_F(ParaIniTest, AHeldVersionServesEveryGetterUntilReleased)
{
    folder.Write("Para.ini", "[ECG]\nHR_ALM_H=120\nHR_ALM_L=50\n[REC]\nSYS_SAVE_FILE_NAME=a.dat\n");
    CParaIni ini;
    ini.ReleaseFileVersion();  // without a hold: nothing to let go
    ini.HoldFileVersion();
    ini.HoldFileVersion();  // holds nest: the inner release keeps the version
    folder.Write("Para.ini", "[ECG]\nHR_ALM_H=80\nHR_ALM_L=70\n[REC]\nSYS_SAVE_FILE_NAME=b.dat\n");
    ini.ReleaseFileVersion();
    std::string sys;
    ini.GetRecSysSaveFileName(sys);
    EXPECT_EQ(ini.GetEcgHrAlmH(), 120);
    EXPECT_EQ(ini.GetEcgHrAlmL(), 50);
    EXPECT_EQ(sys, folder.File("a.dat"));
    ini.ReleaseFileVersion();
    ini.GetRecSysSaveFileName(sys);
    EXPECT_EQ(ini.GetEcgHrAlmH(), 80);
    EXPECT_EQ(sys, folder.File("b.dat"));
}

TEST_F(ParaIniTest, RecordFilesDefaultToTheirNamesInTheExecutablesFolder)
{
    CParaIni ini;
    std::string data, nibp, alm, sys;
    EXPECT_EQ(ini.GetRecDataSaveFileName(data), 0);
    EXPECT_EQ(ini.GetRecNibpSaveFileName(nibp), 0);
    EXPECT_EQ(ini.GetRecAlmSaveFileName(alm), 0);
    EXPECT_EQ(ini.GetRecSysSaveFileName(sys), 0);
    EXPECT_EQ(data, folder.File("DataSave.dat"));
    EXPECT_EQ(nibp, folder.File("NIBPSave.dat"));
    EXPECT_EQ(alm, folder.File("AlmSave.dat"));
    EXPECT_EQ(sys, folder.File("SysSave.dat"));
}

TEST_F(ParaIniTest, RecordFileNamesComeFromSectionRec)
{
    folder.Write("Para.ini",
                 "[REC]\nDATA_SAVE_FILE_NAME=Bed1Data.dat\nNIBP_SAVE_FILE_NAME=\n"
                 "ALM_SAVE_FILE_NAME=sub\\Alm.dat\nSYS_SAVE_FILE_NAME=" + std::string(120, 'x') + "\n");
    CMonitorSettings settings;
    settings.FillRecordPaths();
    EXPECT_EQ(theApp.m_strDataSavePath, folder.File("Bed1Data.dat"));
    // An empty name gives the default file, never the folder itself.
    EXPECT_EQ(theApp.m_strNibpSavePath, folder.File("NIBPSave.dat"));
    EXPECT_EQ(theApp.m_strAlmSavePath, folder.File("sub/Alm.dat"));
    EXPECT_EQ(theApp.m_strSysSavePath, folder.File(std::string(99, 'x')));
}

TEST_F(ParaIniTest, RecordFileNamesLeadingOutsideTheFolderOrOverTheSettingsTakeTheirDefaults)
{
    const std::string settingsText = "[REC]\nDATA_SAVE_FILE_NAME=../escaped_DataSave.dat\nNIBP_SAVE_FILE_NAME=.\\Para.ini\n"
                                     "ALM_SAVE_FILE_NAME=/tmp/Alm.dat\nSYS_SAVE_FILE_NAME=sub\\..\\..\\Sys.dat\n";
    folder.Write("Para.ini", settingsText);
    const std::string err = FillRecordPaths();
    const std::string outside = " leads outside " + folder.Path() + "; using ";
    EXPECT_EQ(err, "settings: [REC] DATA_SAVE_FILE_NAME=../escaped_DataSave.dat" + outside + "DataSave.dat\n" +
                       "settings: [REC] NIBP_SAVE_FILE_NAME=.\\Para.ini names the settings file; using NIBPSave.dat\n" +
                       "settings: [REC] ALM_SAVE_FILE_NAME=/tmp/Alm.dat" + outside + "AlmSave.dat\n" +
                       "settings: [REC] SYS_SAVE_FILE_NAME=sub\\..\\..\\Sys.dat" + outside + "SysSave.dat\n");
    EXPECT_EQ(theApp.m_strDataSavePath, folder.File("DataSave.dat"));
    EXPECT_EQ(theApp.m_strAlmSavePath, folder.File("AlmSave.dat"));
    EXPECT_EQ(theApp.m_strSysSavePath, folder.File("SysSave.dat"));
    EXPECT_EQ(theApp.m_strNibpSavePath, folder.File("NIBPSave.dat"));
}

// A name part of exactly `bytes` bytes: 3-byte characters, then ASCII letters; few enough
// characters that the cut at 99 leaves it whole.
std::string NameOfBytes(size_t bytes) { return Repeat("监", bytes / 3) + std::string(bytes % 3, 'x'); }

TEST_F(ParaIniTest, RecordFileNamesThatNameNoUsableFileTakeTheirDefaultsWithOneLine)
{
    ASSERT_EQ(mkdir(folder.File("sub").c_str(), 0755), 0);
    // The program's pictures: the headless one, a snapshot named in a roundabout way, and one
    // that is a link, which the picture replaces when it is written.
    const std::string picture = folder.File("screen.png");
    const std::string snapshot = folder.File("sub/../end.png");
    const std::string linked = folder.File("shot.png");
    ASSERT_EQ(symlink("sub/far.png", linked.c_str()), 0);
    theApp.m_vecPicturePaths = {picture, snapshot, linked};
    const std::string lastPart245 = NameOfBytes(245);
    const struct {
        std::string name;
        std::string said;
    } cases[] = {
        {std::string("Para.ini\0x", 10), "Para.ini\\x00x holds a control character"},
        {"\xFF\x01.dat", "\\xFF\\x01.dat holds a control character"},
        {"Data\x7F.dat", "Data\\x7F.dat holds a control character"},
        {"./PARA.INI", "./PARA.INI names the settings file"},
        {"Para.ini.4242.17.TMP", "Para.ini.4242.17.TMP names a temporary file of the settings file"},
        {"SCREEN.PNG", "SCREEN.PNG names the screen picture " + picture},
        {"./END.png.Part", "./END.png.Part names the temporary file of the screen picture " + snapshot},
        {"End.png", "End.png names the screen picture " + snapshot},
        {"Shot.PNG", "Shot.PNG names the screen picture " + linked},
        {".", ". names a folder"},
        {"./", "./ names a folder"},
        {".\\", ".\\ names a folder"},
        {"sub/..", "sub/.. names a folder"},
        {"sub", "sub names a folder"},
        {"SysSave.dat.DAMAGED", "SysSave.dat.DAMAGED ends in .damaged, the name a damaged record file is kept under"},
        {"SysSave.dat.Damaged.37", "SysSave.dat.Damaged.37 ends in .damaged.37, the name a damaged record file is kept under"},
        {lastPart245, Repeat("监", 60) + "... has a last part longer than 244 bytes, which leaves no room for the "
                                         "name a damaged copy is kept under"},
    };
    for (const auto& c : cases) {
        folder.Write("Para.ini", "[REC]\nDATA_SAVE_FILE_NAME=" + c.name + "\n");
        EXPECT_EQ(FillRecordPaths(), "settings: [REC] DATA_SAVE_FILE_NAME=" + c.said + "; using DataSave.dat\n");
        EXPECT_EQ(theApp.m_strDataSavePath, folder.File("DataSave.dat")) << c.said;
    }
}

TEST_F(ParaIniTest, RecordFileNamesUpToTheirLimitsAndLikeOtherFilesAreUsed)
{
    // A picture that is a link replaces the link, never the file it leads to.
    ASSERT_EQ(mkdir(folder.File("sub").c_str(), 0755), 0);
    ASSERT_EQ(symlink("sub/far.png", folder.File("shot.png").c_str()), 0);
    theApp.m_vecPicturePaths = {folder.File("screen.png"), folder.File("shot.png")};
    // A folder part may be as long as any file name; the last part leaves room for ".damaged.99".
    const std::string names[] = {NameOfBytes(255) + "/Data.dat", NameOfBytes(244), "screen.png.dat", "sub/far.png",
                                 "Para.ini.1.tmp.dat", "Data.damaged.dat", "Data.damaged.2x", "Data.damaged.", "Bed 1.dat"};
    for (const std::string& name : names) {
        folder.Write("Para.ini", "[REC]\nDATA_SAVE_FILE_NAME=" + name + "\n");
        EXPECT_EQ(FillRecordPaths(), "") << name;
        EXPECT_EQ(theApp.m_strDataSavePath, folder.File(name));
    }
}

// A record file whose name and default both lead to the picture is not used, and not said to be.
TEST_F(ParaIniTest, RecordFileWhoseDefaultIsRefusedTooIsNotUsed)
{
    const std::string picture = folder.File("screen.png");
    theApp.m_vecPicturePaths = {picture};
    folder.Write("screen.png", "picture");
    ASSERT_EQ(symlink("screen.png", folder.File("DataSave.dat").c_str()), 0);
    const std::string names = " names the screen picture " + picture;
    const struct {
        std::string settings;
        std::string said;
    } cases[] = {
        {"", "DataSave.dat" + names},
        {"[REC]\nDATA_SAVE_FILE_NAME=Screen.png\n", "Screen.png" + names + ", and its default DataSave.dat" + names},
    };
    for (const auto& c : cases) {
        folder.Write("Para.ini", c.settings);
        EXPECT_EQ(FillRecordPaths(),
                  "settings: [REC] DATA_SAVE_FILE_NAME=" + c.said + "; the data records with waves are not kept\n");
        EXPECT_EQ(theApp.m_strDataSavePath, "");
        EXPECT_EQ(theApp.m_strSysSavePath, folder.File("SysSave.dat"));
    }
}

TEST_F(ParaIniTest, PicturesThatWouldBeWrittenOverAFileTheMonitorKeepsAreRefused)
{
    theApp.m_vecPicturePaths = {folder.File("screen.png")};
    folder.Write("Para.ini", "[REC]\nDATA_SAVE_FILE_NAME=rec.dat\n");
    folder.Write("rec.dat", "records");
    folder.Write("NIBPSave.dat.damaged.3", "kept");
    ASSERT_EQ(link(folder.File("NIBPSave.dat.damaged.3").c_str(), folder.File("hard.png").c_str()), 0);
    folder.Write("SysSave.dat.damaged.99", "kept last");
    ASSERT_EQ(link(folder.File("SysSave.dat.damaged.99").c_str(), folder.File("hard99.png").c_str()), 0);
    ASSERT_EQ(symlink("rec.dat", folder.File("shot.png.part").c_str()), 0);
    ASSERT_EQ(symlink("Para.ini", folder.File("link.png").c_str()), 0);
    // A picture's own name is no record file's: rec.dat, where a picture's temporary file leads, is used.
    ASSERT_EQ(symlink("rec.dat", folder.File("screen.png.part").c_str()), 0);
    CMonitorSettings settings;
    EXPECT_EQ(Said([&settings] { settings.FillRecordPaths(); }), "");
    const std::string over = "would be written over ";
    const struct {
        const char* picture;
        std::string said;
    } cases[] = {
        {"REC.dat", over + "the record file " + folder.File("rec.dat")},
        {"sub/../AlmSave.dat", over + "the record file " + folder.File("AlmSave.dat")},
        {"shot.png", over + "the record file " + folder.File("rec.dat") + " through " + folder.File("shot.png.part")},
        {"screen.png",
         over + "the record file " + folder.File("rec.dat") + " through " + folder.File("screen.png.part")},
        {"hard.png", over + "the kept file " + folder.File("NIBPSave.dat.damaged.3")},
        {"hard99.png", over + "the kept file " + folder.File("SysSave.dat.damaged.99")},
        {"Sys.dat.Damaged", over + folder.File("Sys.dat.Damaged") + ", a name a damaged record file is kept under"},
        {"link.png", over + "the settings file " + folder.File("Para.ini")},
        {"Para.ini.77.3.tmp", over + "a temporary file of the settings file " + folder.File("Para.ini")},
        {"DataSave.dat", ""},  // not a record file while DATA_SAVE_FILE_NAME names another
        {"rec.dat.png", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(settings.m_ParaIni.RefusedPicturePath(folder.File(c.picture)), c.said) << c.picture;
    // The data records not kept: every other record file is still kept from pictures.
    theApp.m_strDataSavePath.clear();
    for (const char* name : {"NIBPSave.dat", "AlmSave.dat", "SysSave.dat"})
        EXPECT_EQ(settings.m_ParaIni.RefusedPicturePath(folder.File(name)), over + "the record file " + folder.File(name));
    EXPECT_EQ(settings.m_ParaIni.RefusedPicturePath(folder.File("rec.dat")), "");
}

// One line for what keeps the settings file from being read whole, and whether it was.
TEST_F(ParaIniTest, FileStateIsToldInOneLineEach)
{
    const std::string path = folder.File("Para.ini");
    const std::string defaults = "; starting with default settings\n";
    const struct {
        const char* what;
        std::string text;  // the file's content; "/" for a folder in its place, "" for no file
        std::string said;
    } cases[] = {
        {"clean", "[ECG]\nHR_ALM_H=120\n", ""},
        {"missing", "", "settings: " + path + " not found" + defaults},
        {"unreadable", "/", "settings: " + path + " cannot be read" + defaults},
        {"too large", std::string(1048577, ';'),
         "settings: " + path + " is 1048577 bytes, larger than the 1048576 bytes a settings file may have; it is not "
                               "read and is left as it is" + defaults},
        {"lines that are no setting", "[ECG]\nHR_ALM_H=120\n\n; note\nnoise\nHR_ALM_L=50\nmore noise\n",
         "settings: " + path + " has 2 line(s) that are no setting (first: line 5); those are ignored and missing "
                               "settings take their defaults\n"},
        {"settings that do not count", "X=1\nY=2\n[ECG]\nHR_ALM_H=120\nHR_ALM_H=130\n",
         "settings: " + path + " has 3 setting line(s) outside any section, in a repeated section or repeating a key "
                               "(first: line 1); only the first section and key of a name count\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(path);
        if (c.text == "/") {
            ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
        } else if (!c.text.empty()) {
            folder.Write("Para.ini", c.text);
        }
        CParaIni ini;
        EXPECT_EQ(Said([&] { EXPECT_EQ(ini.ReportFileState(), c.said.empty()); }), c.said);
    }
}

TEST_F(ParaIniTest, LongRecordFileNameIsCutBetweenCharactersWithOneLine)
{
    std::string name;
    for (int i = 0; i < 40; ++i) name += "记";  // three bytes each
    name += std::string(70, 'x');
    std::string tooLong;
    for (int i = 0; i < 300; ++i) tooLong += "监";  // 99 of them are still 297 bytes
    folder.Write("Para.ini", "[REC]\nDATA_SAVE_FILE_NAME=" + name + "\nNIBP_SAVE_FILE_NAME=" + tooLong + "\n");
    EXPECT_EQ(FillRecordPaths(),
              "settings: [REC] DATA_SAVE_FILE_NAME=" + name.substr(0, 40 * 3 + 20) +
                  "... is longer than 99 characters; using its first 99\n"
                  "settings: [REC] NIBP_SAVE_FILE_NAME=" + tooLong.substr(0, 60 * 3) +
                  "... has a part longer than the 255 bytes a file name may have; using NIBPSave.dat\n");
    EXPECT_EQ(theApp.m_strDataSavePath, folder.File(name.substr(0, 40 * 3 + 59)));
    EXPECT_EQ(theApp.m_strNibpSavePath, folder.File("NIBPSave.dat"));
}

TEST_F(ParaIniTest, PlaceholderKeysShareOneKeyEach)
{
    folder.Write("Para.ini", "[EXT]\nBlood=7\n[SAMPLE]\nBlood=9\n");
    CParaIni ini;
    EXPECT_EQ(ini.GetExtBlood1(), 0);
    ini.GetExtBlood2();
    ini.GetExtBlood3();
    ini.GetExtBlood4();
    ini.GetExtBlood5();
    ini.GetSampleBlood();
    for (int value : {ini.m_nExtBlood1, ini.m_nExtBlood2, ini.m_nExtBlood3, ini.m_nExtBlood4, ini.m_nExtBlood5})
        EXPECT_EQ(value, 7);
    EXPECT_EQ(ini.m_nSampleBlood, 9);

    EXPECT_EQ(ini.SetCommComm1(1), 0);
    ini.SetCommComm5(5);
    EXPECT_EQ(GetPrivateProfileInt("Comm", "Comm", 0, ini.m_strIniPath.c_str()), 5);
    ini.SetCommComm6(6);
    EXPECT_EQ(ini.m_nSampleBlood, 6);
    EXPECT_EQ(GetPrivateProfileInt("Comm", "Comm", 0, ini.m_strIniPath.c_str()), 6);
}

TEST_F(ParaIniTest, SetterReportsAFailedWriteAndTheOldFileStays)
{
    CParaIni ini;
    ASSERT_EQ(ini.SetEcgHrAlmH(120), 0);
    const std::string before = folder.Read("Para.ini");
    SetProfileWriteFailsBeforeRename(true);
    EXPECT_NE(ini.SetEcgHrAlmH(150), 0);
    EXPECT_EQ(folder.Read("Para.ini"), before);
    EXPECT_EQ(ini.GetEcgHrAlmH(), 120);
}

TEST_F(ParaIniTest, UnwritableFolderFailsEverySetter)
{
    SetExeFolder(folder.File("missing\x1B"));
    CParaIni ini;
    const std::string err = Said([&ini] {
        for (size_t i = 0; i < kKeys.size(); ++i) EXPECT_NE((ini.*kKeys[i].set)(1), 0) << kKeys[i].key;
        EXPECT_NE(ini.SetCommComm6(1), 0);
    });
    // The path is shown as every message shows a text, its control bytes escaped.
    EXPECT_EQ(err.substr(0, err.find('\n') + 1),
              "settings: could not save [ECG] ALM_SW=1 to " + folder.File("missing\\x1B/Para.ini") +
                  "; the new value holds until exit\n");
    EXPECT_EQ(ini.GetEcgAlmSw(), 0);
}

}  // namespace
