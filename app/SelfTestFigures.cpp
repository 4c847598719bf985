#include "app/SelfTestFigures.h"

#include <cmath>

#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"

namespace app {

using namespace rtl::literals;

namespace {
AnsiString Two(int v) { return rtl::FormatFloat("00", v); }
}  // namespace

AnsiString DiagClockText(const std::uint8_t c[6]) {
  return rtl::IntToStr(c[3]) + "." + Two(c[4]) + "." + rtl::IntToStr(2000 + c[5]) + ", " + rtl::IntToStr(c[2]) + ":" +
         Two(c[1]) + ":" + Two(c[0]);
}

TClockColour DiagClockColour(const std::uint8_t c[6], double now) {
  rtl::TDateTime date = 0;
  if (!rtl::TryEncodeDate(2000 + c[5], c[4], c[3], date)) return TClockColour::Unchanged;
  const double recorder = date + (c[0] / 3600.0 + c[1] / 60.0 + c[2]) / 24.0;
  return std::fabs(recorder - now) > 0.000347222 ? TClockColour::Red : TClockColour::Normal;
}

AnsiString DiagAlarmText(const std::uint8_t a[4]) {
  return "Alarm: " + rtl::IntToStr(a[2]) + ":" + Two(a[1]) + ":" + Two(a[0]);
}

void DiagBatteryLines(const std::array<std::uint16_t, 4>& b, int processCount, AnsiString& u, AnsiString& du) {
  if (processCount <= 0) {
    u = "Процессы регистрации не считаны или регистрация не проводилась."_cp;
    du = "Напряжение батареи проверяется в ходе регистрации"_cp;
    return;
  }
  u = "Напряжение батареи в последнем процессе регистрации "_cp + rtl::FormatFloat("0.00", b[1] / 1000.0L) +
      " В (среднее), "_cp + rtl::FormatFloat("0.00", b[0] / 1000.0L) + " В (мин)"_cp;
  du = "Просадка под нагрузкой "_cp + rtl::FormatFloat("0", b[3]) + " мВ (средняя), "_cp + rtl::FormatFloat("0", b[2]) +
       " мВ (макс.)"_cp;
}

bool DiagSensorMissing(std::uint16_t rawT, std::uint16_t rawRH) {
  return (rawT & 0x7FFF) == 0x7FFF && (rawRH & 0x7FFF) == 0x7FFF;
}

AnsiString DiagTemperatureText(float t) { return rtl::FormatFloat("0.0", t) + " °C"_cp; }
AnsiString DiagHumidityText(float rh) { return rtl::FormatFloat("0.0", rh) + "%"; }

AnsiString DiagShrinkText(std::uint16_t raw, std::uint16_t zero) {
  return rtl::FormatFloat("0.000", (int(raw) - int(zero)) * 0.001L) + " мм"_cp;
}

int DiagPeriodIndex(const AnsiString& setting) {
  if (!setting.empty() && setting[0] >= '0' && setting[0] <= '9') return setting[0] - '0';
  return 0;
}

std::uint32_t DiagNextInterval(std::uint32_t& due, int periodIndex, std::uint32_t now) {
  const std::uint32_t period = std::uint32_t(periodIndex + 1) * 1000;
  due += period;
  // Unsigned differences stay right across the tick count's wrap at 2^32. A
  // due time more than a period ahead is a schedule that never ran (it starts
  // at 0) or ran long ago: like a late one, it is due at once.
  const std::uint32_t ahead = due - now;
  if (ahead == 0 || ahead > period) due = now + 1;
  return due - now;
}

}  // namespace app
