// What the record thread needs of the alarm review window: the record that receives a search
// result. The record thread tests a requester for this interface at run time, so it fills the
// record of an alarm review window and of nothing else.
#pragma once

#include "records/recordtypes.h"

class CAlmRecReceiver {
public:
    virtual ~CAlmRecReceiver() = default;
    // The record whose four buffers have the full alarm-record sizes.
    virtual SAVE_ALM* GetAlmRecord() = 0;
};
