// The alarm lists of the four alarm groups with their flags and rotation.
#pragma once

class CMonitorSettings;

class CAlarmLists {
public:
    explicit CAlarmLists(CMonitorSettings& settings) : m_settings(settings) {}

protected:
    CMonitorSettings& m_settings;
};
