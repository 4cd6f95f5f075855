#include "core/paraini.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>

#include "appbase/tesmorapp.h"
#include "platform/apppaths.h"
#include "platform/pngfile.h"
#include "platform/privateprofile.h"
#include "platform/textu16.h"
#include "records/recordring.h"

namespace {

constexpr size_t kMaxRecordNameChars = 99;
constexpr const char* kIniName = "\\Para.ini";

// The first maxChars characters of a UTF-8 text (never cut inside a character).
std::string FirstChars(const std::string& text, size_t maxChars)
{
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        bool startsCharacter = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (startsCharacter && chars++ == maxChars) return text.substr(0, i);
    }
    return text;
}

std::string LowerCase(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The ending that makes a name (in lower case) one a damaged record file is kept under
// (".damaged", ".damaged.2", any number), or nothing.
std::string KeptEnding(const std::string& lowerName)
{
    const std::string aside = CRecordRing::KeptName("", 1);
    const size_t at = lowerName.rfind(aside);
    if (at == std::string::npos) return "";
    const std::string ending = lowerName.substr(at);
    const std::string number = ending.substr(aside.size());
    const bool digits = number.size() > 1 && number[0] == '.' &&
                        number.find_first_not_of("0123456789", 1) == std::string::npos;
    return number.empty() || digits ? ending : "";
}

// Whether path is, or leads to, the file at other: one name in any letter case once links are
// followed, or one device and inode (also through a hard link).
bool LeadsTo(const std::string& path, const std::string& other)
{
    std::error_code ec;
    return LowerCase(PlainPath(path)) == LowerCase(PlainPath(other)) || std::filesystem::equivalent(path, other, ec);
}

// One line about lines of the settings file that were not used; false when there are any.
bool ReportLines(const char* path, int count, int firstLine, const char* what, const char* effect)
{
    if (count == 0) return true;
    std::fprintf(stderr, "settings: %s has %d %s (first: line %d); %s\n", path, count, what, firstLine, effect);
    return false;
}

}  // namespace

const REC_FILE_KEY g_stRecFileKeys[4] = {
    {"DATA_SAVE_FILE_NAME", "DataSave.dat", "data records with waves"},
    {"NIBP_SAVE_FILE_NAME", "NIBPSave.dat", "NIBP results"},
    {"ALM_SAVE_FILE_NAME", "AlmSave.dat", "alarm records with waves"},
    {"SYS_SAVE_FILE_NAME", "SysSave.dat", "system events"},
};

CParaIni::CParaIni()
    : m_strIniPath(JoinAppPath(GetExeFolder(), kIniName)), m_strExeFolder(GetExeFolder())
{
}

void CParaIni::HoldFileVersion()
{
    if (m_nHolds++ == 0) m_pHeldVersion = ReadProfileVersion(m_strIniPath.c_str());
}

void CParaIni::ReleaseFileVersion()
{
    if (m_nHolds > 0 && --m_nHolds == 0) m_pHeldVersion.reset();
}

std::shared_ptr<const ProfileVersion> CParaIni::FileVersion() const
{
    return m_pHeldVersion ? m_pHeldVersion : ReadProfileVersion(m_strIniPath.c_str());
}

int CParaIni::ReadInt(const char* section, const char* key) const
{
    std::string text;
    return GetValueText(section, key, text) ? ParseProfileInteger(text).value : 0;
}

bool CParaIni::GetValueText(const char* section, const char* key, std::string& text) const
{
    return GetProfileVersionValue(*FileVersion(), section, key, text);
}

std::string CParaIni::Shown(const std::string& text)
{
    constexpr size_t kMaxShownChars = 60;
    const std::string head = FirstChars(text, kMaxShownChars);
    return EscapedText(head) + (head.size() < text.size() ? "..." : "");
}

int CParaIni::WriteInt(const char* section, const char* key, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    errno = 0;
    if (WritePrivateProfileString(section, key, text, m_strIniPath.c_str())) return 0;
    std::string why;
    if (errno == EFBIG)
        why = " (the file is larger than " + std::to_string(g_u64ProfileSizeMax) + " bytes and is left as it is)";
    std::fprintf(stderr, "settings: could not save [%s] %s=%s to %s%s; the new value holds until exit\n",
                 section, key, text, EscapedText(m_strIniPath).c_str(), why.c_str());
    return 1;
}

#define PARAINI_DEFINE(stem, section, key)                                       \
    int CParaIni::Get##stem() const { return ReadInt(section, key); }            \
    int CParaIni::Set##stem(int value) { return WriteInt(section, key, value); }
PARAINI_INT_KEYS(PARAINI_DEFINE)
#undef PARAINI_DEFINE

std::string CParaIni::RecordPath(const REC_FILE_KEY& rec) const
{
    const char* key = rec.szKey;
    const char* defaultName = rec.szDefaultName;
    std::string text;
    if (!GetValueText("REC", key, text)) text = defaultName;
    std::string name = FirstChars(text, kMaxRecordNameChars);
    // An empty name would make the folder itself the record file.
    if (name.empty()) name = defaultName;
    const std::string refused = RefusedRecordName(name);
    // A default that cannot be used either (a link to a picture) is not used at all.
    const std::string defaultRefused = refused.empty() ? "" : RefusedRecordName(defaultName);
    if (!defaultRefused.empty()) {
        const std::string also =
            name == defaultName ? "" : ", and its default " + std::string(defaultName) + " " + defaultRefused;
        std::fprintf(stderr, "settings: [REC] %s=%s %s%s; the %s are not kept\n", key, Shown(text).c_str(),
                     refused.c_str(), also.c_str(), rec.szRecords);
        return "";
    }
    if (!refused.empty()) {
        std::fprintf(stderr, "settings: [REC] %s=%s %s; using %s\n", key, Shown(text).c_str(), refused.c_str(),
                     defaultName);
        name = defaultName;
    } else if (name.size() < text.size()) {
        std::fprintf(stderr, "settings: [REC] %s=%s is longer than %zu characters; using its first %zu\n", key,
                     Shown(text).c_str(), kMaxRecordNameChars, kMaxRecordNameChars);
    }
    return JoinAppPath(m_strExeFolder, name);
}

// Why a record-file name cannot be used, or nothing. The monitor writes only inside its own
// folder, into a file of the name it was given. Names are compared in any letter case, which
// some file systems ignore.
std::string CParaIni::RefusedRecordName(const std::string& name) const
{
    // The system would open a name with a NUL only up to that byte.
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "holds a control character";
    }
    if (NameIsFolder(m_strExeFolder, name)) return "names a folder";
    if (!NameStaysInFolder(name)) return "leads outside " + EscapedText(m_strExeFolder);
    const std::string other = OtherFileNamed(name);
    if (!other.empty()) return other;
    const std::string kept = KeptEnding(LowerCase(name));
    if (!kept.empty()) return "ends in " + kept + ", the name a damaged record file is kept under";
    if (LongestNamePart(name) > NAME_MAX)
        return "has a part longer than the " + std::to_string(NAME_MAX) + " bytes a file name may have";
    // The name a damaged copy is kept under must still be a file name.
    const size_t lastPartMax = NAME_MAX - CRecordRing::KeptSuffixMax();
    if (LastNamePart(name).size() > lastPartMax)
        return "has a last part longer than " + std::to_string(lastPartMax) +
               " bytes, which leaves no room for the name a damaged copy is kept under";
    return "";
}

// Which other file of the program a record-file name is, or may become, as a refusal, or
// nothing. Records written there would be lost when that file is replaced (the settings file
// and the screen pictures are renamed into place from their temporary files), and would
// destroy every setting in the settings file.
std::string CParaIni::OtherFileNamed(const std::string& name) const
{
    const std::string relative = LowerCase(FolderRelativeName(name));
    const std::string settings = LowerCase(FolderRelativeName(kIniName));
    if (relative == settings) return "names the settings file";
    if (IsProfileTempName(settings, relative)) return "names a temporary file of the settings file";
    // A picture is compared by the folder entry it is renamed to, as it is; one that leads to a
    // record file is refused itself (RefusedPicturePath).
    const std::string path = LowerCase(PlainPath(JoinAppPath(m_strExeFolder, name)));
    for (const std::string& picture : theApp.m_vecPicturePaths) {
        if (path == LowerCase(PlainEntryPath(picture))) return "names the screen picture " + EscapedText(picture);
        if (path == LowerCase(PlainEntryPath(CPngFile::TempName(picture))))
            return "names the temporary file of the screen picture " + EscapedText(picture);
    }
    return "";
}

// The file the monitor keeps that path is, or leads to, as a message names it, or nothing: a
// record file in use, a damaged record file kept aside, the settings file or a temporary file of it.
std::string CParaIni::KeptFileAt(const std::string& path) const
{
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    for (const std::string* record : {&theApp.m_strDataSavePath, &theApp.m_strNibpSavePath,
                                      &theApp.m_strAlmSavePath, &theApp.m_strSysSavePath}) {
        if (record->empty()) continue;
        if (LeadsTo(path, *record)) return "the record file " + EscapedText(*record);
        // A kept file under another name (a hard link); its own names are told by their ending.
        for (int n = 1; exists && n <= CRecordRing::kKeptNamesMax; ++n) {
            const std::string kept = CRecordRing::KeptName(*record, n);
            if (std::filesystem::equivalent(path, kept, ec)) return "the kept file " + EscapedText(kept);
        }
    }
    const std::string plain = PlainPath(path);
    if (!KeptEnding(LowerCase(LastNamePart(plain))).empty())
        return EscapedText(plain) + ", a name a damaged record file is kept under";
    if (LeadsTo(path, m_strIniPath)) return "the settings file " + EscapedText(m_strIniPath);
    if (IsProfileTempName(LowerCase(PlainPath(m_strIniPath)), LowerCase(plain)))
        return "a temporary file of the settings file " + EscapedText(m_strIniPath);
    return "";
}

std::string CParaIni::RefusedPicturePath(const std::string& picture) const
{
    const std::string kept = KeptFileAt(picture);
    if (!kept.empty()) return "would be written over " + kept;
    // The picture is written into its temporary file first, through a link there too.
    const std::string temp = CPngFile::TempName(picture);
    const std::string keptByTemp = KeptFileAt(temp);
    if (!keptByTemp.empty()) return "would be written over " + keptByTemp + " through " + EscapedText(temp);
    return "";
}

int CParaIni::GetRecDataSaveFileName(std::string& path) const
{
    path = RecordPath(g_stRecFileKeys[0]);
    return 0;
}

int CParaIni::GetRecNibpSaveFileName(std::string& path) const
{
    path = RecordPath(g_stRecFileKeys[1]);
    return 0;
}

int CParaIni::GetRecAlmSaveFileName(std::string& path) const
{
    path = RecordPath(g_stRecFileKeys[2]);
    return 0;
}

int CParaIni::GetRecSysSaveFileName(std::string& path) const
{
    path = RecordPath(g_stRecFileKeys[3]);
    return 0;
}

// ---- placeholder keys ---------------------------------------------------------------------

int CParaIni::ReadPlaceholder(int& member, const char* section)
{
    member = ReadInt(section, "Blood");
    return 0;
}

int CParaIni::GetExtBlood1() { return ReadPlaceholder(m_nExtBlood1, "EXT"); }
int CParaIni::GetExtBlood2() { return ReadPlaceholder(m_nExtBlood2, "EXT"); }
int CParaIni::GetExtBlood3() { return ReadPlaceholder(m_nExtBlood3, "EXT"); }
int CParaIni::GetExtBlood4() { return ReadPlaceholder(m_nExtBlood4, "EXT"); }
int CParaIni::GetExtBlood5() { return ReadPlaceholder(m_nExtBlood5, "EXT"); }
int CParaIni::GetSampleBlood() { return ReadPlaceholder(m_nSampleBlood, "SAMPLE"); }

int CParaIni::SetCommComm1(int value) { return WriteInt("Comm", "Comm", value); }
int CParaIni::SetCommComm2(int value) { return WriteInt("Comm", "Comm", value); }
int CParaIni::SetCommComm3(int value) { return WriteInt("Comm", "Comm", value); }
int CParaIni::SetCommComm4(int value) { return WriteInt("Comm", "Comm", value); }
int CParaIni::SetCommComm5(int value) { return WriteInt("Comm", "Comm", value); }

int CParaIni::SetCommComm6(int value)
{
    m_nSampleBlood = value;
    return WriteInt("Comm", "Comm", value);
}

// ---- file state ---------------------------------------------------------------------------

bool CParaIni::ReportFileState() const
{
    ProfileFileState state = InspectProfileVersion(*FileVersion());
    const std::string shownPath = EscapedText(m_strIniPath);
    const char* path = shownPath.c_str();
    if (!state.exists) {
        std::fprintf(stderr, "settings: %s not found; starting with default settings\n", path);
        return false;
    }
    if (state.tooLarge) {
        std::fprintf(stderr,
                     "settings: %s is %llu bytes, larger than the %llu bytes a settings file may have; "
                     "it is not read and is left as it is; starting with default settings\n",
                     path, static_cast<unsigned long long>(state.size),
                     static_cast<unsigned long long>(g_u64ProfileSizeMax));
        return false;
    }
    if (!state.readable) {
        std::fprintf(stderr, "settings: %s cannot be read; starting with default settings\n", path);
        return false;
    }
    bool clean = ReportLines(path, state.strayLines, state.firstStrayLine, "line(s) that are no setting",
                             "those are ignored and missing settings take their defaults");
    return ReportLines(path, state.unusedLines, state.firstUnusedLine,
                       "setting line(s) outside any section, in a repeated section or repeating a key",
                       "only the first section and key of a name count") && clean;
}
