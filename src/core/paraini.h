// The store over the settings file "Para.ini" in the executable's folder. Each integer setting
// has a getter that reads its key (default 0) and a setter that writes it as "%d"; the four
// record-file names of section REC are read as strings. Every call sees the file as it is on
// disk now (an unchanged file is parsed only once, see privateprofile.h). A record-file name
// that would lead outside the folder, name a folder, the settings file or another file the
// program writes (see theApp.m_vecPicturePaths), or that holds a control byte or a part too
// long for a file name is replaced by its default. Runs on the UI thread only.
#pragma once

#include <memory>
#include <string>

struct ProfileVersion;

// Every integer key of the settings file, in load order: the stem of its getter and setter
// (GetEcgAlmSw / SetEcgAlmSw load and save the field m_nEcgAlmSw), its section, its key.
#define PARAINI_INT_KEYS(X)                         \
    X(EcgAlmSw, "ECG", "ALM_SW")                    \
    X(EcgAlmLevel, "ECG", "ALM_LEVEL")              \
    X(EcgAlmRec, "ECG", "ALM_REC")                  \
    X(EcgHrForm, "ECG", "HR_FORM")                  \
    X(EcgHrLead, "ECG", "HR_LEAD")                  \
    X(EcgLeadMode, "ECG", "LEAD_MODE")              \
    X(EcgHrAlmH, "ECG", "HR_ALM_H")                 \
    X(EcgHrAlmL, "ECG", "HR_ALM_L")                 \
    X(EcgTrap, "ECG", "ECG_TRAP")                   \
    X(EcgPaceSw, "ECG", "PACE_SW")                  \
    X(EcgWaveSpeed, "ECG", "WAVE_SPEED")            \
    X(EcgWaveGain, "ECG", "WAVE_GAIN")              \
    X(EcgWaveFilter, "ECG", "WAVE_FILTER")          \
    X(EcgBeatVol, "ECG", "BEAT_VOL")                \
    X(EcgStSw, "ECG", "ST_SW")                      \
    X(EcgStAlmSw, "ECG", "ST_ALM_SW")               \
    X(EcgStAlmLevel, "ECG", "ST_ALM_LEVEL")         \
    X(EcgStAlmRec, "ECG", "ST_ALM_REC")             \
    X(EcgStAlmH, "ECG", "ST_ALM_H")                 \
    X(EcgStAlmL, "ECG", "ST_ALM_L")                 \
    X(EcgIso, "ECG", "ISO")                         \
    X(EcgSt, "ECG", "ST")                           \
    X(EcgArraSw, "ECG", "ARRA_SW")                  \
    X(EcgArraAlmSw, "ECG", "ARRA_ALM_SW")           \
    X(EcgArraAlmLevel, "ECG", "ARRA_ALM_LEVEL")     \
    X(EcgArraAlmRec, "ECG", "ARRA_ALM_REC")         \
    X(EcgArraPvcsAlmH, "ECG", "ARRA_PVCS_ALM_H")    \
    X(RespAlmSw, "RESP", "ALM_SW")                  \
    X(RespAlmLevel, "RESP", "ALM_LEVEL")            \
    X(RespAlmRec, "RESP", "ALM_REC")                \
    X(RespApneaTime, "RESP", "APNEA_TIME")          \
    X(RespRrAlmH, "RESP", "RR_ALM_H")               \
    X(RespRrAlmL, "RESP", "RR_ALM_L")               \
    X(TempAlmSw, "TEMP", "ALM_SW")                  \
    X(TempAlmLevel, "TEMP", "ALM_LEVEL")            \
    X(TempAlmRec, "TEMP", "ALM_REC")                \
    X(TempAlmH, "TEMP", "TEMP_ALM_H")               \
    X(TempAlmL, "TEMP", "TEMP_ALM_L")               \
    X(OxyAlmSw, "OXY", "ALM_SW")                    \
    X(OxyAlmLevel, "OXY", "ALM_LEVEL")              \
    X(OxyAlmRec, "OXY", "ALM_REC")                  \
    X(OxyAlmH, "OXY", "OXY_ALM_H")                  \
    X(OxyAlmL, "OXY", "OXY_ALM_L")                  \
    X(OxyPrAlmH, "OXY", "OXY_PR_ALM_H")             \
    X(OxyPrAlmL, "OXY", "OXY_PR_ALM_L")             \
    X(BpAlmSw, "BP", "ALM_SW")                      \
    X(BpAlmLevel, "BP", "ALM_LEVEL")                \
    X(BpAlmRec, "BP", "ALM_REC")                    \
    X(BpSbpAlmH, "BP", "SBP_ALM_H")                 \
    X(BpSbpAlmL, "BP", "SBP_ALM_L")                 \
    X(BpDbpAlmH, "BP", "DBP_ALM_H")                 \
    X(BpDbpAlmL, "BP", "DBP_ALM_L")                 \
    X(BpPress, "BP", "PRESS")                       \
    X(AirOxyAlmSw, "AIROXY", "ALM_SW")              \
    X(AirOxyAlmLevel, "AIROXY", "ALM_LEVEL")        \
    X(AirOxyAlmRec, "AIROXY", "ALM_REC")            \
    X(AirOxyAlmH, "AIROXY", "AIROXY_ALM_H")         \
    X(AirOxyAlmL, "AIROXY", "AIROXY_ALM_L")         \
    X(SysAlmTime, "SYS", "ALM_TIME")                \
    X(SysAlmVol, "SYS", "ALM_VOL")

// The record-file keys of section REC, in load order, with their default names and the records
// each file keeps.
struct REC_FILE_KEY {
    const char* szKey;
    const char* szDefaultName;
    const char* szRecords;
};
extern const REC_FILE_KEY g_stRecFileKeys[4];

class CParaIni {
public:
    // Forms the folder and the settings file's path; reads nothing.
    CParaIni();

    // For every key of PARAINI_INT_KEYS: Get<stem>() reads the key as an integer, 0 when the
    // file, the section or the key is missing or the value is empty. Set<stem>(value) writes
    // the value as "%d" (creating the file, section and key when missing) and returns 0, or 1
    // when the file could not be written: the old file is then left whole, and the caller
    // keeps the value in memory.
#define PARAINI_DECLARE(stem, section, key) \
    int Get##stem() const;                  \
    int Set##stem(int value);
    PARAINI_INT_KEYS(PARAINI_DECLARE)
#undef PARAINI_DECLARE

    // Record-file paths from section REC: the executable's folder joined with the key's name,
    // or with the default name ("DataSave.dat", "NIBPSave.dat", "AlmSave.dat", "SysSave.dat")
    // when the key is missing or empty, or when the name cannot be used (one line on stderr says
    // why); empty when the default cannot be used either (a link to a picture): that file is
    // not used, with one line. A name is cut to its first 99 characters, with one line. Return 0.
    int GetRecDataSaveFileName(std::string& path) const;
    int GetRecNibpSaveFileName(std::string& path) const;
    int GetRecAlmSaveFileName(std::string& path) const;
    int GetRecSysSaveFileName(std::string& path) const;

    // Why a screen picture may not be written at path, or nothing: the picture, or the temporary
    // file it is written through, is or leads to a record file of theApp's record paths, a damaged
    // record file kept aside, the settings file or a temporary file of it. Used once the record
    // paths are filled, before anything is written.
    std::string RefusedPicturePath(const std::string& picture) const;

    // The text of a key as the getters see it; false when the key is not in the file.
    bool GetValueText(const char* section, const char* key, std::string& text) const;
    // From HoldFileVersion to ReleaseFileVersion the integer getters, GetValueText and
    // ReportFileState read the file as it was at HoldFileVersion, so settings loaded together
    // come from one version of the file; otherwise each call reads the file as it is now. Holds
    // nest: the version is read at the outermost hold and let go at its release.
    void HoldFileVersion();
    void ReleaseFileVersion();
    // A text from the file as a message shows it: control bytes and bytes that are not UTF-8 as
    // \xNN, cut after 60 characters.
    static std::string Shown(const std::string& text);

    // Placeholder keys that nothing in the monitor uses: EXT/Blood, SAMPLE/Blood, Comm/Comm.
    int GetExtBlood1();
    int GetExtBlood2();
    int GetExtBlood3();
    int GetExtBlood4();
    int GetExtBlood5();
    int GetSampleBlood();
    int SetCommComm1(int value);
    int SetCommComm2(int value);
    int SetCommComm3(int value);
    int SetCommComm4(int value);
    int SetCommComm5(int value);
    int SetCommComm6(int value);  // also keeps the value in m_nSampleBlood

    // Tells on stderr when the settings file is missing, unreadable or holds lines that are
    // not settings; the getters then read 0 for what they cannot find. Returns true when the
    // file was read without complaint.
    bool ReportFileState() const;

    std::string m_strIniPath;
    std::string m_strExeFolder;
    int m_nSampleBlood = 0;
    int m_nExtBlood1 = 0;
    int m_nExtBlood4 = 0;
    int m_nExtBlood2 = 0;
    int m_nExtBlood3 = 0;
    int m_nExtBlood5 = 0;

private:
    std::shared_ptr<const ProfileVersion> m_pHeldVersion;
    int m_nHolds = 0;  // holds not yet released; the version is read at the first

    std::shared_ptr<const ProfileVersion> FileVersion() const;
    int ReadInt(const char* section, const char* key) const;
    int WriteInt(const char* section, const char* key, int value);
    int ReadPlaceholder(int& member, const char* section);
    std::string RecordPath(const REC_FILE_KEY& rec) const;
    std::string RefusedRecordName(const std::string& name) const;
    std::string OtherFileNamed(const std::string& name) const;
    std::string KeptFileAt(const std::string& path) const;
};
