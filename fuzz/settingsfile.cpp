// Feeds arbitrary bytes as the settings file: loading and validating must never crash and must
// leave every code and limit in its allowed set or range, and a one-key write into the damaged
// file must read back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/monitorsettings.h"
#include "platform/apppaths.h"
#include "platform/privateprofile.h"

namespace {

const std::string& Folder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/tesmor-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr) std::abort();
        return std::string(pattern);
    }();
    return folder;
}

void Require(bool ok)
{
    if (!ok) std::abort();
}

bool InRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    SetExeFolder(Folder());
    std::string path = Folder() + "/Para.ini";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(bytes, 1, size, f);
    std::fclose(f);

    CMonitorSettings s;
    s.LoadSettings();
    s.FillRecordPaths();
    s.CheckPara();
    for (int sw : {s.m_nEcgAlmSw, s.m_nEcgStAlmSw, s.m_nEcgArraAlmSw, s.m_nRespAlmSw, s.m_nTempAlmSw,
                   s.m_nOxyAlmSw, s.m_nBpAlmSw, s.m_nAirOxyAlmSw, s.m_nEcgAlmRec, s.m_nBpAlmRec})
        Require(sw == 0 || sw == 1);
    for (int level : {s.m_nEcgAlmLevel, s.m_nRespAlmLevel, s.m_nOxyAlmLevel, s.m_nAirOxyAlmLevel})
        Require(InRange(level, 0, 2));
    Require(InRange(s.m_nEcgHrAlmH, g_i16HrAlmHMin, g_i16HrAlmHMax) && s.m_nEcgHrAlmH > s.m_nEcgHrAlmL);
    Require(InRange(s.m_nEcgStAlmH, g_i16StAlmHMin, g_i16StAlmHMax) && s.m_nEcgStAlmH > s.m_nEcgStAlmL);
    Require(InRange(s.m_nTempAlmH, g_i16TempAlmHMin, g_i16TempAlmHMax) && s.m_nTempAlmH > s.m_nTempAlmL);
    Require(InRange(s.m_nBpSbpAlmH, g_i16SbpAlmHMin, g_i16SbpAlmHMax) && s.m_nBpSbpAlmH > s.m_nBpDbpAlmH);
    Require(s.m_nBpDbpAlmH < s.m_nBpSbpAlmL);
    Require(InRange(s.EcgWaveFilterIndex(), 0, 2) && InRange(s.BpPressByte(), 0, 255));
    Require(InRange(s.RespApneaTimeIndex(), 0, 2));
    Require(s.m_nSysAlmTime == 60 || s.m_nSysAlmTime == 120);

    int before = s.m_ParaIni.GetRespRrAlmL();
    if (s.m_ParaIni.SetEcgHrAlmH(-123) == 0) {
        Require(s.m_ParaIni.GetEcgHrAlmH() == -123);
        Require(s.m_ParaIni.GetRespRrAlmL() == before);
    }
    return 0;
}
