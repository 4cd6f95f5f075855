// The machine's power status, with the codes the monitor shows: AC line 0 off, 1 on,
// 255 unknown; battery percent 0..100 or 255 unknown; battery flag 1 high, 2 low,
// 4 critical, 8 charging, 128 no system battery, 255 unknown.
#pragma once

#include <string>

#include "platform/wintypes.h"

struct SYSTEM_POWER_STATUS {
    BYTE ACLineStatus = 255;
    BYTE BatteryFlag = 255;
    BYTE BatteryLifePercent = 255;
};

// Reads /sys/class/power_supply (or the folder set for tests). Returns TRUE; where nothing is
// known the fields keep their unknown codes. A folder that lists no mains and no battery is a
// desktop's: mains on, no system battery (128), percent unknown (255).
BOOL GetSystemPowerStatus(SYSTEM_POWER_STATUS* status);
void SetPowerSupplyFolder(const std::string& folder);
