// Constants of the settings block: the alarm setting codes and the bounds of every alarm
// limit. The validation and the settings dialogs clamp limits with the same bounds.
#pragma once

#include <cstdint>

// Alarm switch, level and recording codes.
constexpr int g_i32AlmSwOn = 1;
constexpr int g_i32AlmSwOff = 0;
constexpr int g_i32AlmLevelHigh = 2;
constexpr int g_i32AlmLevelMid = 1;
constexpr int g_i32AlmLevelLow = 0;
constexpr int g_i32AlmRecOn = 1;
constexpr int g_i32AlmRecOff = 0;

// Bounds of the alarm limits, in the unit of their field.
constexpr int16_t g_i16HrAlmHMin = 25;
constexpr int16_t g_i16HrAlmHMax = 350;
constexpr int16_t g_i16HrAlmLMin = 7;
constexpr int16_t g_i16HrAlmLMax = 250;
constexpr int16_t g_i16StAlmHMin = -100;  // hundredths
constexpr int16_t g_i16StAlmHMax = 200;
constexpr int16_t g_i16StAlmLMin = -200;
constexpr int16_t g_i16StAlmLMax = 100;
constexpr int16_t g_i16Spo2AlmHMin = 80;
constexpr int16_t g_i16Spo2AlmHMax = 100;
constexpr int16_t g_i16Spo2AlmLMin = 70;
constexpr int16_t g_i16Spo2AlmLMax = 90;
constexpr int16_t g_i16PrAlmHMin = 30;
constexpr int16_t g_i16PrAlmHMax = 300;
constexpr int16_t g_i16PrAlmLMin = 10;
constexpr int16_t g_i16PrAlmLMax = 250;
constexpr int16_t g_i16RrAlmHMin = 30;
constexpr int16_t g_i16RrAlmHMax = 120;
constexpr int16_t g_i16RrAlmLMin = 7;
constexpr int16_t g_i16RrAlmLMax = 100;
constexpr int16_t g_i16TempAlmHMin = 360;  // tenths of a degree Celsius
constexpr int16_t g_i16TempAlmHMax = 430;
constexpr int16_t g_i16TempAlmLMin = 330;
constexpr int16_t g_i16TempAlmLMax = 390;
constexpr int16_t g_i16SbpAlmHMin = 60;
constexpr int16_t g_i16SbpAlmHMax = 120;
constexpr int16_t g_i16SbpAlmLMin = 40;
constexpr int16_t g_i16SbpAlmLMax = 100;
constexpr int16_t g_i16DbpAlmHMin = 40;
constexpr int16_t g_i16DbpAlmHMax = 100;
constexpr int16_t g_i16DbpAlmLMin = 30;
constexpr int16_t g_i16DbpAlmLMax = 80;
constexpr int16_t g_i16AirOxyAlmHMin = 50;
constexpr int16_t g_i16AirOxyAlmHMax = 100;
constexpr int16_t g_i16AirOxyAlmLMin = 20;
constexpr int16_t g_i16AirOxyAlmLMax = 80;

// Bounds used by the validation only.
constexpr int16_t g_i16PvcsAlmHMin = 1;
constexpr int16_t g_i16PvcsAlmHMax = 10;
constexpr int g_i32EcgStPointMin = 0;  // milliseconds
constexpr int g_i32EcgStPointMax = 100;
constexpr int g_i32EcgIsoPointMin = 0;
constexpr int g_i32EcgIsoPointMax = 100;

// Alarm pause times in seconds.
constexpr int g_i32AlmPause1Min = 60;
constexpr int g_i32AlmPause2Min = 120;

// Sound volumes in hundredths of a decibel (0 full volume, -10000 silence), by sound step 0..3.
constexpr int g_i32VolumeSilent = -10000;
constexpr int g_i32BeatVolumeTable[4] = {-10000, -1398, -444, 0};
constexpr int g_i32AlmVolumeTable[4] = {-1398, -602, -194, 0};
