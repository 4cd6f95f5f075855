#include "platform/powerstatus.h"

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <mutex>
#include <vector>

namespace {

std::mutex g_lock;
std::string g_folder = "/sys/class/power_supply";

std::string ReadWord(const std::string& path)
{
    std::ifstream in(path);
    std::string word;
    in >> word;
    return word;
}

// The supplies listed in folder; false when the folder cannot be read at all.
bool Supplies(const std::string& folder, std::vector<std::string>* names)
{
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") names->push_back(folder + "/" + name);
    }
    closedir(dir);
    return true;
}

BYTE BatteryFlagFor(int percent, const std::string& state)
{
    BYTE flag = percent > 66 ? 1 : percent < 5 ? 4 : percent < 33 ? 2 : 0;
    if (state == "Charging") flag |= 8;
    return flag;
}

}  // namespace

void SetPowerSupplyFolder(const std::string& folder)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_folder = folder;
}

BOOL GetSystemPowerStatus(SYSTEM_POWER_STATUS* status)
{
    if (status == nullptr) return FALSE;
    *status = SYSTEM_POWER_STATUS{};
    std::string folder;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        folder = g_folder;
    }
    std::vector<std::string> supplies;
    if (!Supplies(folder, &supplies)) return TRUE;  // nothing can be known
    bool sawBattery = false;
    bool sawMains = false;
    bool listsMainsOrBattery = false;
    for (const std::string& supply : supplies) {
        std::string type = ReadWord(supply + "/type");
        listsMainsOrBattery = listsMainsOrBattery || type == "Mains" || type == "Battery";
        if (type == "Mains") {
            std::string online = ReadWord(supply + "/online");
            if (online == "1" || online == "0") {
                status->ACLineStatus = online == "1" ? 1 : 0;
                sawMains = true;
            }
        } else if (type == "Battery" && !sawBattery) {
            std::string capacity = ReadWord(supply + "/capacity");
            std::string state = ReadWord(supply + "/status");
            if (capacity.empty()) continue;
            int percent = std::atoi(capacity.c_str());
            if (percent < 0 || percent > 100) continue;
            status->BatteryLifePercent = static_cast<BYTE>(percent);
            status->BatteryFlag = BatteryFlagFor(percent, state);
            sawBattery = true;
        }
    }
    // A machine that lists neither mains nor battery is a desktop: it runs on mains and has no
    // system battery, whose charge is then unknown.
    if (!listsMainsOrBattery) status->ACLineStatus = 1;
    // A machine with mains power and no battery reports "no system battery".
    if (!sawBattery && (sawMains || !listsMainsOrBattery)) status->BatteryFlag = 128;
    return TRUE;
}
