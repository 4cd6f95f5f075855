// Makes one alarm record for every new-alarm flag of a row whose alarm recording is on: the
// alarm's type, code, limit and value, the values of every parameter, the time, the patient's
// name and the last 12 s of the ECG (leads I and II), respiration and pleth waves. Sensor
// alarms are never recorded. The flags are left for the main dialog's TakeNewAlm.
#pragma once

#include <functional>

#include "core/livevalues.h"

class CMonitorData;

class CAlarmRecordBuilder {
public:
    using Sink = std::function<void(SAVE_ALM*)>;
    explicit CAlarmRecordBuilder(CMonitorData& data) : m_data(data) {}

    // Fills the value block, time, patient name and the four waves of rec (its buffers
    // allocated with the alarm-record sizes).
    int Fill(SAVE_ALM* rec);
    // Builds the records into rec one after the other, handing each to sink in turn.
    int Build(SAVE_ALM* rec, const Sink& sink);

private:
    void BuildOne(SAVE_ALM* rec, int type, int code, const Sink& sink);

    CMonitorData& m_data;
    LIVE_VALUES m_live{};  // the reading behind the value block last filled
};
