// One item of a trend tile: which parameter, how its scale is written, its scale and caption.
#pragma once

#include <cstdint>

struct TREND_RESULT_TYPE {
    int16_t id;         // parameter id, 1..10 (see CTrendResult::InvalidValueOf)
    int16_t decimals;   // 0, 1 or 2: scale labels written as %d, %0.1f or %0.2f
    int16_t top;        // raw value at the top of the plot
    int16_t bottom;     // raw value at the bottom of the plot
    char16_t name[8];   // caption, terminated within the 8 characters
};
