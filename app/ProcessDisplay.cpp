#include "app/ProcessDisplay.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"

namespace app {

using namespace rtl::literals;

double ProcessStartTime(const TProcessHeader& h) {
  double date = 0;
  if (!rtl::TryEncodeDate(2000 + h.Year(), h.Month(), h.Day(), date)) return 0;
  return date + h.Hour() / 24.0 + h.Minute() / 1440.0;
}

AnsiString ChartTitleText(double start) {
  return AnsiString("Начало "_cp) + rtl::FormatDateTime("d mmm yyyy, h:nn", start);
}

TTimeAxisStyle TimeAxisStyle(double start, int points, int period, bool relative) {
  const AnsiString twoLines = "dd.mmm\r hh:nn";
  const AnsiString twoLineTitle = "\rВремя, час"_cp;
  if (relative) return {twoLines, twoLineTitle, kRelativeTimeOrigin};
  if (static_cast<long>(points + 1) * period > 1728) return {twoLines, twoLineTitle, start};
  return {"hh:mm", "Время, час"_cp, start};
}

int DataColumnCount(int channels) { return channels == 4 ? 6 : channels == 5 ? 7 : 5; }

AnsiString DataColumnCaption(int col) {
  switch (col) {
    case 0: return "Дата"_cp;
    case 1: return "Время"_cp;
    case 2: return "°C, температура среды"_cp;
    case 3: return "%, относительная влажность"_cp;
    case 4: return "мм, усадка"_cp;  // in both units
    case 5: return "°C, температура доп."_cp;
    case 6: return "°C, температура доп.2"_cp;
    default: return "";
  }
}

namespace {
bool Digits(const AnsiString& s, std::size_t from, std::size_t count, int& value) {
  if (from + count > s.size()) return false;
  value = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}
}  // namespace

bool ParseShrinkShift(const AnsiString& text, int& signedMicrometres) {
  int mm = 0, thousandths = 0;
  if (!Digits(text, 1, 2, mm) || !Digits(text, 4, 3, thousandths)) return false;
  const int shift = mm * 1000 + thousandths;
  signedMicrometres = !text.empty() && text[0] == '-' ? -shift : shift;
  return true;
}

float ShrinkReference(std::uint16_t firstRaw, bool shiftVisible, const AnsiString& shiftText) {
  float ref = firstRaw;
  int shift = 0;
  // A positive shift lowers the reference, so every value shows higher.
  if (shiftVisible && ParseShrinkShift(shiftText, shift)) ref -= static_cast<float>(shift);
  return ref;
}

TAxisWindow ShrinkWindowMm(std::uint16_t maxRaw, std::uint16_t minRaw, float ref, TShrinkZoom zoom) {
  int top = static_cast<int>(std::trunc(maxRaw - ref));
  top = (top + 500) / 1000;
  int bottom = static_cast<int>(std::trunc(minRaw - ref));
  bottom = bottom < 0 ? bottom - 1500 : bottom - 500;
  bottom /= 1000;
  int h = top - bottom;
  switch (zoom) {
    case TShrinkZoom::mm5: h = h <= 4 ? 4 : 5; break;
    case TShrinkZoom::mm10: h = h <= 9 ? 9 : 10; break;
    case TShrinkZoom::mm20: h = h <= 18 ? 18 : 20; break;
    case TShrinkZoom::Auto: break;
  }
  int window;
  if (h > 10) {
    window = 20;
    if (h <= 18) bottom -= 2;
  } else if (h > 5) {
    window = 10;
    if (h <= 9) bottom -= 1;
  } else {
    window = 5;
    if (h <= 4) bottom -= 1;
  }
  return {static_cast<double>(bottom), static_cast<double>(bottom + window)};
}

double ShrinkMm(std::uint16_t raw, float ref) { return (raw - ref) * 0.001; }

double ShrinkPercent(std::uint16_t raw, float base, float ref) {
  const float length = base + ref;
  if (!(length > 0)) return 0;
  const float scale = 100.0f / length;
  return (raw + base) * scale;
}

bool DecodeProcessFile(const std::string& bytes, const TDisplayOptions& o, TProcessData& d) {
  d = TProcessData{};
  if (bytes.size() < 16) return false;
  std::copy_n(bytes.begin(), 16, d.header.Bytes.begin());
  d.channels = d.header.Channels();
  if (d.channels != 4 && d.channels != 5) {
    d.channels = 3;
    d.header.SetChannels(3);
  }
  const std::size_t record = static_cast<std::size_t>(d.channels) * 2;
  const std::size_t complete = (bytes.size() - 16) / record;
  d.points = static_cast<int>(std::min<std::size_t>(d.header.Points(), complete));
  d.relative = o.relative;
  d.percent = o.percent;
  const TTimeAxisStyle style =
      TimeAxisStyle(ProcessStartTime(d.header), d.header.Points(), d.header.Period(), o.relative);
  d.start = style.start;
  d.step = d.header.Period() / 1440.0;

  auto word = [&](int k, int ch) {
    const std::size_t at = 16 + static_cast<std::size_t>(k) * record + static_cast<std::size_t>(ch) * 2;
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
  };
  // The extent of the shrink words: the smallest starts from the largest
  // value a word can hold, so data of any size sets it.
  d.maxRaw = 0;
  d.minRaw = 0xFFFF;
  for (int k = 0; k < d.points; ++k) {
    const std::uint16_t s = word(k, 2);
    d.maxRaw = std::max(d.maxRaw, s);
    d.minRaw = std::min(d.minRaw, s);
  }
  if (d.points == 0) d.minRaw = 0;
  d.ref = ShrinkReference(d.points > 0 ? word(0, 2) : 0, o.shiftVisible, o.shiftText);

  const bool sht21 = d.header.Sht21();
  const auto n = static_cast<std::size_t>(d.points);
  d.temperature.resize(n);
  d.humidity.resize(n);
  d.shrink.resize(n);
  if (d.channels >= 4) d.extra1.resize(n);
  if (d.channels >= 5) d.extra2.resize(n);
  for (int k = 0; k < d.points; ++k) {
    const auto i = static_cast<std::size_t>(k);
    const std::uint16_t raw[2] = {word(k, 0), word(k, 1)};
    ConvertSht(raw, d.temperature[i], d.humidity[i], sht21);
    const std::uint16_t s = word(k, 2);
    d.shrink[i] = o.percent ? ShrinkPercent(s, o.base, d.ref) : ShrinkMm(s, d.ref);
    if (d.channels >= 4) {
      const auto e = static_cast<std::int16_t>(word(k, 3));
      d.extra1[i] = static_cast<float>(e / 256.0);
    }
    if (d.channels >= 5) d.extra2[i] = static_cast<float>(static_cast<std::int16_t>(word(k, 4)) / 256.0);
  }
  return true;
}

AnsiString DataCellText(const TProcessData& d, int col, int row) {
  if (col < 0 || col >= DataColumnCount(d.channels)) return "";
  if (row == 0) return DataColumnCaption(col);
  const int k = row - 1;
  if (k < 0 || k >= d.points) return "";
  const auto i = static_cast<std::size_t>(k);
  switch (col) {
    case 0: return d.relative ? AnsiString() : rtl::FormatDateTime("dd.mm.yy", d.X(k));
    case 1: return rtl::FormatDateTime("hh:nn", d.X(k));
    case 2: return rtl::FormatFloat("0.0", d.temperature[i]);
    case 3: return rtl::FormatFloat("0.0", d.humidity[i]);
    case 4: return rtl::FormatFloat(d.percent ? "0.0" : "0.000", d.shrink[i]);
    case 5: return rtl::FormatFloat("0.0", d.extra1[i]);
    case 6: return rtl::FormatFloat("0.0", d.extra2[i]);
  }
  return "";
}

TAxisWindow ZoomActionRange(TShrinkZoom zoom, double m) {
  switch (zoom) {
    case TShrinkZoom::mm5: return {-4, 1};
    case TShrinkZoom::mm10: return {-9, 1};
    case TShrinkZoom::mm20: return {-18, 2};
    case TShrinkZoom::Auto: break;
  }
  if (m >= -4) return {-4, 1};
  if (m >= -9) return {-9, 1};
  return {-18, 2};
}

double ResetRightAxisMaxValue(TShrinkZoom zoom, double d) {
  switch (zoom) {
    case TShrinkZoom::mm5: return 4;
    case TShrinkZoom::mm10: return 8;
    case TShrinkZoom::mm20: return 18;
    case TShrinkZoom::Auto: break;
  }
  return d > 10 ? 18 : d > 5 ? 8 : 4;
}

double ResetRightAxisMinValue(TShrinkZoom zoom, double d) {
  switch (zoom) {
    case TShrinkZoom::mm5:
    case TShrinkZoom::mm10: return -1;
    case TShrinkZoom::mm20: return -2;
    case TShrinkZoom::Auto: break;
  }
  return d > 9 ? -2 : -1;
}

TDragZone DragZoneAt(double xv, double yLeft, double yRight, TAxisRange time, TAxisRange left, TAxisRange right) {
  if (xv < time.min) {  // left of the plot: the left axis
    if (yLeft > left.max) return TDragZone::None;
    if (yLeft > left.Middle()) return TDragZone::LeftMax;
    if (yLeft > left.min) return TDragZone::LeftMin;
    return TDragZone::None;
  }
  if (xv <= time.max) {
    if (yLeft >= left.min) return TDragZone::None;  // inside the plot
    return xv < time.Middle() ? TDragZone::TimeStart : TDragZone::TimeEnd;
  }
  return yRight <= right.Middle() ? TDragZone::RightMin : TDragZone::RightMax;
}

bool InterpolateAt(const std::vector<double>& xs, const std::vector<double>& ys, double x, double& value) {
  const std::size_t n = std::min(xs.size(), ys.size());
  if (n == 0 || x < xs.front() || x > xs[n - 1]) return false;
  if (n == 1) {
    value = ys[0];
    return true;
  }
  const double step = xs[1] - xs[0];
  if (!(step > 0)) return false;
  std::size_t i = static_cast<std::size_t>(std::max(0.0, std::trunc((x - xs[0]) / step)));
  if (i >= n - 1) {
    value = ys[n - 1];
    return true;
  }
  value = ys[i] + (x - xs[i]) * (ys[i + 1] - ys[i]) / step;
  return true;
}

AnsiString ReadoutTimeText(double x, bool relative) {
  if (relative) {
    // Elapsed time since the first point, whole hours however many: hour 25
    // of a long process must not read as 1:00.
    const long long total = std::max(0LL, std::llround((x - kRelativeTimeOrigin) * 86400.0));
    const auto two = [](long long v) { return (v < 10 ? AnsiString("0") : AnsiString()) + rtl::IntToStr(v); };
    return AnsiString("Время: "_cp) + two(total / 3600) + ":" + two(total / 60 % 60) + ":" + two(total % 60);
  }
  return AnsiString("Дата, время: "_cp) + rtl::FormatDateTime("d.m.yyyy", x) + ", " +
         rtl::FormatDateTime("hh:mm:ss", x);
}

AnsiString ReadoutValuesText(const std::vector<double>& v, bool percent) {
  if (v.size() < 3) return "";
  AnsiString s = rtl::FormatFloat("0.0", v[0]) + "°C, "_cp + rtl::FormatFloat("0.0", v[1]) + "%, ";
  s += percent ? rtl::FormatFloat("0.0", v[2]) + " %" : rtl::FormatFloat("0.000", v[2]) + " мм"_cp;
  for (std::size_t i = 3; i < v.size(); ++i) s += ", " + rtl::FormatFloat("0.0", v[i]) + " °C"_cp;
  return s;
}

}  // namespace app
