#include "display/trendring.h"

TREND_RING::TREND_RING(int32_t ringSize) : buffer(static_cast<size_t>(ringSize), 0), size(ringSize) {}

void TREND_RING::Put(int16_t value)
{
    buffer[static_cast<size_t>(writeIndex)] = value;
    writeIndex = (writeIndex + 1) % size;
    if (count < size) ++count;
}

void TREND_RING::MoveInto(TREND_RING& dst)
{
    int32_t read = (writeIndex + size - count) % size;
    for (int32_t i = 0; i < count; ++i) {
        dst.Put(buffer[static_cast<size_t>(read)]);
        read = (read + 1) % size;
    }
    count = 0;
}

int16_t TREND_RING::Back(int32_t back) const
{
    int32_t pos = ((writeIndex - 1 - back) % size + size) % size;
    return buffer[static_cast<size_t>(pos)];
}
