#include "app/ProcessHeader.h"

#include <cmath>

#include "platform/rtl/files.h"
#include "platform/rtl/textcase.h"

namespace app {

using namespace rtl::literals;

namespace {

AnsiString TwoDigits(int v) {
  AnsiString s = rtl::IntToStr(v);
  return s.size() < 2 ? "0" + s : s;
}

const AnsiString& MonthName(int month) {
  static const AnsiString names[12] = {"января"_cp,   "февраля"_cp, "марта"_cp,  "апреля"_cp,
                                       "мая"_cp,      "июня"_cp,    "июля"_cp,   "августа"_cp,
                                       "сентября"_cp, "октября"_cp, "ноября"_cp, "декабря"_cp};
  static const AnsiString none;
  return month >= 1 && month <= 12 ? names[month - 1] : none;
}

}  // namespace

THeaderCheck CheckProcessHeader(const TProcessHeader& h) {
  if (h.StartAddress() < kDataStart) return THeaderCheck::StartAddressTooLow;
  if (h.Slot() > 50) return THeaderCheck::SlotAbove50;
  if (h.Month() > 12 || h.Month() == 0 || h.Day() > 31 || h.Day() == 0 || h.Hour() > 23 || h.Minute() > 59 ||
      h.Second() > 59 || h.Points() == 0)
    return THeaderCheck::DateTimeOrPointsOutOfRange;
  if (h.Channels() > 5 || h.Channels() < 3 || h.Points() > MaxPoints(h.Channels())) return THeaderCheck::BeyondMemory;
  return THeaderCheck::Valid;
}

bool HeaderNamesArchiveFile(const TProcessHeader& h) {
  // The archive lists only names of the form YYMMDD_HHMM.bin: a year of
  // three digits would make a file nobody can see or remove.
  return CheckProcessHeader(h) == THeaderCheck::Valid && h.Year() <= 99;
}

AnsiString HeaderDateTimeText(int layout, std::uint32_t timeWord, std::uint16_t dateWord) {
  const int minute = (timeWord >> 8) & 0xFF, hour = (timeWord >> 16) & 0xFF, day = timeWord >> 24;
  const int month = dateWord & 0xFF, year = dateWord >> 8;
  using rtl::IntToStr;
  switch (layout) {
    case 0: return TwoDigits(day) + "." + TwoDigits(month) + "." + TwoDigits(year);
    case 1: return IntToStr(hour) + ":" + TwoDigits(minute);
    case 2:
      return IntToStr(day) + "." + TwoDigits(month) + "." + TwoDigits(year) + ", " + IntToStr(hour) + ":" +
             TwoDigits(minute);
    case 3:
      return IntToStr(day) + " " + MonthName(month) + " 20" + TwoDigits(year) + ", " + IntToStr(hour) + ":" +
             TwoDigits(minute);
    case 4: return TwoDigits(year) + TwoDigits(month) + TwoDigits(day) + "_" + TwoDigits(hour) + TwoDigits(minute);
    default: return {};
  }
}

AnsiString DurationText(const TProcessHeader& h) {
  const long minutes = long(h.Period()) * (long(h.Points()) - 1);
  return rtl::IntToStr(minutes / 60) + ":" + TwoDigits(int(minutes % 60));
}

AnsiString ProcessFileName(const TProcessHeader& h) { return HeaderDateTimeText(4, h) + ".bin"; }

AnsiString FileNameFromCells(const AnsiString& date, const AnsiString& time) {
  if (date.empty()) return {};
  // Day, month and hour may have one digit or two; year and minute have two.
  std::size_t pos = 0;
  auto field = [&](const AnsiString& s, char sep, std::size_t& p) {
    AnsiString out;
    while (p < s.size() && s[p] != sep) out += s[p++];
    if (p < s.size()) ++p;
    return out;
  };
  auto two = [](AnsiString s) {
    while (s.size() < 2) s = "0" + s;
    return s.substr(s.size() - 2);
  };
  AnsiString day = field(date, '.', pos), month = field(date, '.', pos), year = field(date, '.', pos);
  std::size_t tp = 0;
  AnsiString hour = field(time, ':', tp), minute = field(time, ':', tp);
  return two(year) + two(month) + two(day) + "_" + two(hour) + two(minute) + ".bin";
}

void ConvertSht(const std::uint16_t raw[2], float& temperature, float& humidity, bool sht21) {
  const std::uint16_t rawT = raw[0], rawRH = raw[1];
  float t, rh;
  if (sht21) {
    t = static_cast<float>(rawT * 0.01072509765625 - 46.85);
    rh = static_cast<float>(rawRH * 0.030517578125 - 6);
  } else {
    const std::int16_t d = static_cast<std::int16_t>(rawT - 7000);
    const long long d2 = static_cast<long long>(d) * d;
    t = static_cast<float>(-2e-8 * static_cast<double>(d2) + 0.01 * rawT - 39.55);
    if (t < -55) t = -55;
    if (t > 125) t = 125;
    const float linear = static_cast<float>((-2.8e-6 * rawRH + 0.0405) * rawRH - 4);
    rh = static_cast<float>((0.00008 * rawRH + 0.01) * (double(t) - 25) + linear);
  }
  if (rh > 100) rh = 100;
  if (rh < 0.1f) rh = 0.1f;
  if (!std::isfinite(t) || !std::isfinite(rh)) t = rh = 0;
  temperature = t;
  humidity = rh;
}

AnsiString DataFolder() { return rtl::ProgramFolder() + "Data/"; }

TRecorderState& Recorder() {
  static TRecorderState state;
  return state;
}

std::array<AnsiString, 5> ProcessListCells(const TProcessHeader& h) {
  return {HeaderDateTimeText(0, h), HeaderDateTimeText(1, h), DurationText(h), rtl::IntToStr(h.Period()),
          rtl::IntToStr(h.Points())};
}

}  // namespace app
