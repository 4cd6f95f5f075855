// The rule of every stored integer setting: its section and key, the field it loads into, the
// values the validation accepts and what it makes of any other value, and what the setting
// means. The validation applies these rules, the start-up report names the values they
// replaced, and the settings section of the README is written from them.
#pragma once

#include <string>
#include <vector>

class CMonitorSettings;

enum SETTING_KIND {
    settingCodes,  // one of a set of codes, else the fallback code
    settingRange,  // clamped into [min, max]
    settingFree,   // kept as read
};

struct SETTING_RULE {
    const char* szSection;
    std::string strKey;
    int CMonitorSettings::*pField;
    SETTING_KIND eKind;
    std::vector<int> vecCodes;  // settingCodes, in ascending order
    int nFallback;              // settingCodes
    int nMin;                   // settingRange
    int nMax;
    std::string strMeaning;
    // A high limit raised to the low limit + nGap when it is not above it (after both are
    // clamped); no rule when pBelow is null.
    int CMonitorSettings::*pBelow;
    int nGap;
    // A further rule between limits that the validation applies after the others, or null.
    const char* szAlso;

    // The value this rule makes of a value read from the file (the rules between limits aside).
    int Apply(int value) const;
    // The accepted values: "0, 1", "25 to 350" or "any whole number".
    std::string Accepted() const;
    // What happens to a value the rule does not accept: "becomes 1", "becomes the nearest bound".
    std::string Otherwise() const;
    // The rules between this limit and others, or an empty text.
    std::string Between() const;
};

// Every stored integer setting, in the order of the settings file's keys.
const std::vector<SETTING_RULE>& SettingRules();
// The rule of a field; null when the field is not stored.
const SETTING_RULE* RuleOfField(int CMonitorSettings::*field);
