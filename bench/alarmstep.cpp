// One 500 ms alarm step of the main dialog: the evaluation, the alarm-record builder, the row
// queries and TakeNewAlm, with every alarm group on and several alarms listed.
#include <benchmark/benchmark.h>

#include <memory>

#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "platform/apppaths.h"

namespace {

std::unique_ptr<CMonitorData> MakeMonitor()
{
    theApp.ResetForTests();
    SetExeFolder("/tmp");
    auto d = std::make_unique<CMonitorData>();
    for (int* sw : {&d->m_nEcgAlmSw, &d->m_nEcgStSw, &d->m_nEcgStAlmSw, &d->m_nEcgArraSw, &d->m_nEcgArraAlmSw,
                    &d->m_nRespAlmSw, &d->m_nTempAlmSw, &d->m_nOxyAlmSw, &d->m_nBpAlmSw, &d->m_nAirOxyAlmSw})
        *sw = g_i32AlmSwOn;
    for (int* rec : {&d->m_nEcgAlmRec, &d->m_nEcgStAlmRec, &d->m_nEcgArraAlmRec, &d->m_nRespAlmRec,
                     &d->m_nTempAlmRec, &d->m_nOxyAlmRec, &d->m_nBpAlmRec, &d->m_nAirOxyAlmRec})
        *rec = g_i32AlmRecOn;
    d->m_nEcgHrAlmH = 120;
    d->m_nEcgHrAlmL = 50;
    d->m_nEcgStAlmH = 20;
    d->m_nEcgStAlmL = -20;
    d->m_nRespRrAlmH = 30;
    d->m_nRespRrAlmL = 8;
    d->m_nTempAlmH = 390;
    d->m_nTempAlmL = 350;
    d->m_nOxyAlmH = 100;
    d->m_nOxyAlmL = 90;
    d->m_nOxyPrAlmH = 120;
    d->m_nOxyPrAlmL = 50;
    d->m_nBpSbpAlmH = 120;
    d->m_nBpSbpAlmL = 90;
    d->m_nBpDbpAlmH = 80;
    d->m_nBpDbpAlmL = 50;
    d->m_nAirOxyAlmH = 60;
    d->m_nAirOxyAlmL = 21;
    // Several alarms present: heart rate high, RA lead-off, an arrhythmia, apnoea, SpO2 low,
    // and the NIBP low alarms of the no-value markers.
    d->SetEcgHr(130);
    d->SetEcgSt(0, 0);
    d->SetEcgLeadOff(0x04, 0);
    d->SetEcgArra(5);
    d->SetRespRr(15);
    d->SetRespApnea(1);
    d->SetSpo2(85);
    d->SetSpo2Pr(80);
    d->SetTemp(370);
    d->SetAirOxy(30);
    return d;
}

// What the main dialog does every 500 ms once the start-up phase is over.
int AlarmStep(CMonitorData& d)
{
    d.CheckAlm();
    d.BuildAlmRec();
    int panels = d.IsAnyEcgAlmOn() + d.IsRespAlmOn() + d.IsTempAlmOn() + d.IsSpo2AlmOn() + d.IsAirOxyAlmOn() +
                 d.IsNibpAlmOn();
    return panels + d.TakeNewAlm() + d.GetTopAlmLevel();
}

// Steady state: the alarms stay present, nothing new is recorded.
void BM_AlarmStep(benchmark::State& state)
{
    auto d = MakeMonitor();
    AlarmStep(*d);
    for (auto _ : state) benchmark::DoNotOptimize(AlarmStep(*d));
    state.counters["listed"] = static_cast<double>(d->m_listEcgAlm.size() + d->m_listRespTempAlm.size() +
                                                   d->m_listSpo2NibpAlm.size() + d->m_listAirOxyAlm.size());
}
BENCHMARK(BM_AlarmStep);

// A step in which the heart rate alarm comes and goes: every other step fills an alarm record
// with its 12 s of waves (dropped here, as no record thread runs).
void BM_AlarmStepWithNewAlarm(benchmark::State& state)
{
    auto d = MakeMonitor();
    uint16_t hr = 130;
    for (auto _ : state) {
        hr = hr == 130 ? 80 : 130;
        d->SetEcgHr(hr);
        benchmark::DoNotOptimize(AlarmStep(*d));
    }
}
BENCHMARK(BM_AlarmStepWithNewAlarm);

}  // namespace
