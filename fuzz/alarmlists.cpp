// Drives the alarm lists and the evaluation with arbitrary operations, types, codes, modes,
// positions and live values (arrhythmia codes and lead-off bytes included). Nothing may crash,
// and a list may never hold two entries of one (type, code) nor an entry of a foreign type.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <utility>

#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "platform/apppaths.h"

namespace {

void Require(bool ok)
{
    if (!ok) std::abort();
}

void CheckList(const std::list<SHOW_ALM>& list, AlarmListId id)
{
    std::set<std::pair<int, int>> seen;
    for (const SHOW_ALM& alm : list) {
        const ALARM_TYPE_INFO* info = FindAlarmTypeCode(alm.u8Type, alm.u8Code);
        Require(info != nullptr && info->eList == id);
        Require(seen.insert({alm.u8Type, alm.u8Code}).second);
    }
}

CMonitorData& Monitor()
{
    static std::unique_ptr<CMonitorData> data = [] {
        SetExeFolder("/tmp");
        return std::make_unique<CMonitorData>();
    }();
    return *data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    CMonitorData& d = Monitor();
    for (int type = 1; type <= 8; ++type) d.RemoveAlarmsByType(type, 1);
    d.TakeNewAlm();
    theApp.m_nAlmLatch = 0;
    SHOW_ALM out{};
    for (size_t i = 0; i + 4 <= size; i += 4) {
        const int op = bytes[i] % 12;
        const int type = static_cast<int8_t>(bytes[i + 1]);
        const int code = static_cast<int8_t>(bytes[i + 2]);
        const uint8_t arg = bytes[i + 3];
        switch (op) {
        case 0: d.RaiseAlarm(type, code, u"2026-12-07 08:00:00", arg, arg); break;
        case 1: d.ClearAlarm(type, code); break;
        case 2: d.RemoveAlarmsByType(type, arg % 4); break;
        case 3: d.RemoveEcgAlmAt(code); break;
        case 4: d.GetSpo2NibpAlmAt(&out, code); break;
        case 5:
            d.GetEcgShowAlm(&out);
            d.GetRespTempShowAlm(&out);
            d.GetSpo2NibpShowAlm(&out);
            d.GetAirOxyShowAlm(&out);
            break;
        case 6: theApp.m_nAlmLatch = arg & 1; break;
        case 7:
            d.SetEcgArra(arg);
            d.SetEcgLeadOff(arg, 0);
            break;
        case 8:
            d.SetEcgHr(static_cast<uint16_t>(type * 256 + arg));
            d.SetAirOxy(arg);
            break;
        case 9:
            d.m_nEcgAlmSw = d.m_nEcgArraSw = d.m_nEcgArraAlmSw = d.m_nAirOxyAlmSw = arg & 1;
            d.m_nEcgAlmLevel = arg >> 1;
            break;
        case 10: d.CheckAlm(); break;
        default:
            d.AddEcgAlm(type, code, u"", arg, arg);
            d.AddAirOxyAlm(type, code, u"", arg, arg);
            break;
        }
    }
    CheckList(d.m_listEcgAlm, LIST_ECG);
    CheckList(d.m_listRespTempAlm, LIST_RESPTEMP);
    CheckList(d.m_listSpo2NibpAlm, LIST_SPO2NIBP);
    CheckList(d.m_listAirOxyAlm, LIST_AIROXY);
    d.GetTopAlmLevel();
    return 0;
}
