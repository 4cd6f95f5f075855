// The settings block of the data object: one 32-bit field per setting, loaded from the
// settings file and validated once at start-up, then kept as the live copy.
#pragma once

class CMonitorSettings {
public:
    CMonitorSettings() = default;

    // Reads every setting from the settings file into the block.
    void LoadSettings() {}
    // Sets the application's four record-file paths from section REC.
    void FillRecordPaths() {}
    // Forces every loaded setting into its allowed values and ranges.
    void CheckPara() {}
};
