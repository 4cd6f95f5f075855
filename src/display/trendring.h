// A ring of signed 16-bit trend values: the drawing thread's input and display rings of trend
// points and compressed respiration points. The buffer is zero-filled, so a slot that was never
// written reads as 0 and is never garbage; readers only look at the newest `count` entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct TREND_RING {
    explicit TREND_RING(int32_t ringSize);

    // Appends one value; the oldest is overwritten when the ring is full.
    void Put(int16_t value);
    // Appends every entry of this ring, oldest first, to dst (which must have the same size)
    // and empties this ring.
    void MoveInto(TREND_RING& dst);
    // The value `back` entries before the newest (0 is the newest); back < count.
    int16_t Back(int32_t back) const;
    bool IsEmpty() const { return count == 0; }

    std::vector<int16_t> buffer;
    int32_t size;
    int32_t writeIndex = 0;  // next slot to write
    int32_t count = 0;       // valid entries, saturating at size
};
