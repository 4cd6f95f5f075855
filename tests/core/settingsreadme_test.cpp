// The README's settings tables follow the validation's rules; when they differ this test fails
// and writes the tables as they should read into the build folder.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "core/monitorsettings.h"
#include "core/paraini.h"
#include "core/settingrules.h"

namespace {

const char kBegin[] = "<!-- settings tables: written from the validation rules, checked by a test -->";
const char kEnd[] = "<!-- end of settings tables -->";

std::string IntegerTable()
{
    std::ostringstream out;
    out << "| Section | Key | Meaning | Accepted | Missing | Other values |\n";
    out << "|---|---|---|---|---|---|\n";
    for (const SETTING_RULE& rule : SettingRules()) {
        std::string other = rule.Otherwise();
        if (!rule.Between().empty()) other += "; " + rule.Between();
        out << "| " << rule.szSection << " | " << rule.strKey << " | " << rule.strMeaning << " | "
            << rule.Accepted() << " | " << rule.Apply(0) << " | " << other << " |\n";
    }
    return out.str();
}

std::string RecordFileTable()
{
    std::ostringstream out;
    out << "| Section | Key | Default name | Keeps |\n";
    out << "|---|---|---|---|\n";
    for (const REC_FILE_KEY& rec : g_stRecFileKeys)
        out << "| REC | " << rec.szKey << " | " << rec.szDefaultName << " | " << rec.szRecords << " |\n";
    return out.str();
}

std::string ReadmeTables()
{
    std::ifstream in(TESMOR_SOURCE_DIR "/README.md", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string readme = text.str();
    size_t begin = readme.find(kBegin);
    size_t end = readme.find(kEnd);
    if (begin == std::string::npos || end == std::string::npos || end < begin) return "";
    begin += sizeof kBegin;  // the marker and its line end
    return readme.substr(begin, end - begin);
}

TEST(SettingsReadmeTest, EveryStoredKeyHasOneRuleAndTheReadmeListsThemAll)
{
    // Each key of the settings store loads into the field its rule validates and reports.
    std::map<std::string, int CMonitorSettings::*> keys;
#define KEY_FIELD(stem, section, key) keys[std::string(section) + "/" + key] = &CMonitorSettings::m_n##stem;
    PARAINI_INT_KEYS(KEY_FIELD)
#undef KEY_FIELD
    std::map<std::string, int CMonitorSettings::*> ruled;
    for (const SETTING_RULE& rule : SettingRules()) {
        EXPECT_TRUE(ruled.emplace(std::string(rule.szSection) + "/" + rule.strKey, rule.pField).second) << rule.strKey;
    }
    EXPECT_EQ(ruled, keys);

    const std::string expected = IntegerTable() + "\n" + RecordFileTable();
    const std::string written = ReadmeTables();
    if (written != expected) {
        std::ofstream("settings-tables.md", std::ios::binary) << kBegin << "\n" << expected << kEnd << "\n";
        ADD_FAILURE() << "README.md's settings tables differ from the rules; the tables as they should read "
                         "are in settings-tables.md in the test's working folder";
    }
}

}  // namespace
