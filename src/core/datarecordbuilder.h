// Turns the record rings into periodic data records: whenever more than 1000 ECG samples have
// gathered in the record ECG ring, takes 1000 of them (2 s) with the matching respiration and
// pleth waves, the current values and the patient's name, and hands the record on. At most one
// record per call; the main dialog's 50 ms timer calls it on every tick.
#pragma once

#include <functional>

#include "records/recordtypes.h"

class CMonitorData;

class CDataRecordBuilder {
public:
    using Sink = std::function<void(SAVE_DATA*)>;
    explicit CDataRecordBuilder(CMonitorData& data) : m_data(data) {}
    // Builds one record into rec (its five buffers allocated with the data-record sizes) and
    // hands it to sink; returns 1 when a record was built, 0 when too few samples wait.
    int Build(SAVE_DATA* rec, const Sink& sink);

private:
    CMonitorData& m_data;
};
