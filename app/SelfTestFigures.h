// What the diagnostics dialog makes of the recorder's diagnostics answer:
// the clock line and its colour, the alarm line, the battery lines, the
// sensor lines, and the measurement schedule.
#pragma once
#include <array>
#include <cstdint>

#include "app/ProcessHeader.h"

namespace app {

// The recorder's clock "7.03.2013, 9:05:07" from second, minute, hour, day,
// month, year − 2000.
AnsiString DiagClockText(const std::uint8_t clock[6]);
enum class TClockColour { Normal, Red, Unchanged };
// Red when the recorder's time differs from now by more than 30 seconds;
// Unchanged for a date that does not exist.
TClockColour DiagClockColour(const std::uint8_t clock[6], double now);
// "Alarm: 9:05:07" from second, minute, hour.
AnsiString DiagAlarmText(const std::uint8_t alarm[4]);
// The two battery lines from the directory's battery words (min, average,
// sag max, sag average); the "not recorded" lines when no process was found.
void DiagBatteryLines(const std::array<std::uint16_t, 4>& battery, int processCount, AnsiString& u, AnsiString& du);

// Both raw words of the humidity sensor with their low 15 bits set: no sensor.
bool DiagSensorMissing(std::uint16_t rawT, std::uint16_t rawRH);
AnsiString DiagTemperatureText(float t);  // "23,4 °C"
AnsiString DiagHumidityText(float rh);    // "45,6%"
// The shrink sensor's movement from the zero in millimetres, "-0,345 мм".
AnsiString DiagShrinkText(std::uint16_t raw, std::uint16_t zero);

// The period list's index from the stored setting: "0".."9", else 0.
int DiagPeriodIndex(const AnsiString& setting);
// Moves the due time on by the period and answers the timer interval to the
// next exchange: due times follow each other by the period, and a late one
// comes at once (1 ms).
std::uint32_t DiagNextInterval(std::uint32_t& due, int periodIndex, std::uint32_t now);

}  // namespace app
