#include "platform/chart/axis.h"

#include <cmath>

#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"

namespace chart {

TChartAxis::TChartAxis(TAxisKind kind) : kind_(kind) {
  // Vertical labels are one text line high; a small gap keeps them apart.
  if (!Horizontal()) separation_ = 8;
}

void TChartAxis::SetMinimum(double v) {
  if (v > max_) max_ = v;
  min_ = v;
  automatic_ = false;
  Changed();
}

void TChartAxis::SetMaximum(double v) {
  if (v < min_) min_ = v;
  max_ = v;
  automatic_ = false;
  Changed();
}

void TChartAxis::SetMinMax(double a, double b) {
  min_ = std::min(a, b);
  max_ = std::max(a, b);
  automatic_ = false;
  Changed();
}

void TChartAxis::AdjustToData(bool hasData, double dataMin, double dataMax) {
  if (!automatic_ || !hasData) return;
  min_ = dataMin;
  max_ = dataMax;
}

double TChartAxis::ValueToPixelExact(double value) const {
  const double range = max_ - min_;
  if (!(range > 0)) return minPx_;
  return minPx_ + (value - min_) * (maxPx_ - minPx_) / range;
}

int TChartAxis::ValueToPixel(double value) const {
  double p = ValueToPixelExact(value);
  // Far outside values are clamped so that integer drawing never overflows.
  if (p > 1e7) p = 1e7;
  if (p < -1e7) p = -1e7;
  return static_cast<int>(std::lround(p));
}

double TChartAxis::PixelToValue(double pixel) const {
  if (maxPx_ == minPx_) return min_;
  return min_ + (pixel - minPx_) * (max_ - min_) / (maxPx_ - minPx_);
}

// ---- steps

double ChooseValueStep(double range, int pixels, int minPixels, double increment) {
  if (!(range > 0) || pixels <= 0 || !std::isfinite(range)) return 0;
  const double need = std::max(1, minPixels) * range / pixels;  // smallest step in value units
  if (increment > 0) {
    static const double mult[] = {1, 2, 5};
    for (double decade = 1; decade < 1e15; decade *= 10)
      for (double m : mult)
        if (increment * m * decade >= need) return increment * m * decade;
    return 0;
  }
  double decade = std::pow(10.0, std::floor(std::log10(need)));
  for (int i = 0; i < 3; ++i, decade *= 10)
    for (double m : {1.0, 2.0, 5.0})
      if (m * decade >= need * (1 - 1e-12)) return m * decade;
  return 10 * decade;
}

double TDateTimeStep::Length() const {
  switch (unit) {
    case Seconds: return count / 86400.0;
    case Days: return count;
    case Months: return count * 30.0 + (count >= 12 ? count / 12 * 5 : 0);
  }
  return 1;
}

const std::vector<TDateTimeStep>& DateTimeSteps() {
  using S = TDateTimeStep;
  static const std::vector<S> steps = {
      {S::Seconds, 1},     {S::Seconds, 2},     {S::Seconds, 5},     {S::Seconds, 10},   {S::Seconds, 15},
      {S::Seconds, 30},    {S::Seconds, 60},    {S::Seconds, 120},   {S::Seconds, 300},  {S::Seconds, 600},
      {S::Seconds, 900},   {S::Seconds, 1800},  {S::Seconds, 3600},  {S::Seconds, 7200}, {S::Seconds, 10800},
      {S::Seconds, 14400}, {S::Seconds, 21600}, {S::Seconds, 43200}, {S::Days, 1},       {S::Days, 2},
      {S::Days, 7},        {S::Days, 14},       {S::Months, 1},      {S::Months, 2},     {S::Months, 3},
      {S::Months, 6},      {S::Months, 12},     {S::Months, 24},     {S::Months, 60},    {S::Months, 120},
  };
  return steps;
}

TDateTimeStep ChooseDateTimeStep(double rangeDays, int pixels, int minPixels) {
  const auto& steps = DateTimeSteps();
  if (!(rangeDays > 0) || pixels <= 0) return steps.back();
  for (const TDateTimeStep& s : steps)
    if (s.Length() * pixels / rangeDays >= minPixels) return s;
  return steps.back();
}

namespace {
constexpr std::size_t kMaxLabels = 10000;  // a guard against hostile ranges
}

std::vector<double> DateTimeLabelValues(double min, double max, const TDateTimeStep& step) {
  std::vector<double> out;
  if (!(max >= min) || !std::isfinite(min) || !std::isfinite(max)) return out;
  // Tolerance of a millisecond, so that labels on exact ends survive rounding.
  const double eps = 1.0 / 86400000.0;
  if (step.unit == TDateTimeStep::Months) {
    if (min < -693593 || max > 2958465) return out;  // outside the calendar
    int y, m, d;
    rtl::DecodeDate(min, y, m, d);
    int months = y * 12 + (m - 1);
    months = (months + step.count - 1) / step.count * step.count;
    if (rtl::EncodeDate(months / 12, months % 12 + 1, 1) < min - eps) months += step.count;
    for (;; months += step.count) {
      if (months / 12 > 9999) break;
      double v = rtl::EncodeDate(months / 12, months % 12 + 1, 1);
      if (v > max + eps || out.size() >= kMaxLabels) break;
      out.push_back(v);
    }
    return out;
  }
  const double unit = step.unit == TDateTimeStep::Days ? 1.0 : 1.0 / 86400.0;
  const double size = step.count * unit;
  double k = std::ceil((min - eps) / size);
  for (; out.size() < kMaxLabels; k += 1) {
    double v = k * size;
    if (v > max + eps) break;
    out.push_back(v);
  }
  return out;
}

std::vector<double> ValueLabelValues(double min, double max, double step) {
  std::vector<double> out;
  if (!(step > 0) || !(max >= min) || !std::isfinite(min) || !std::isfinite(max)) return out;
  const double eps = step * 1e-9;
  for (double k = std::ceil((min - eps) / step); out.size() < kMaxLabels; k += 1) {
    double v = k * step;
    if (v > max + eps) break;
    if (std::fabs(v) < eps) v = 0;  // no "-0"
    out.push_back(v);
  }
  return out;
}

AnsiString AxisLabelText(const TChartAxis& axis, double value, double step) {
  if (axis.DateTime()) {
    if (value < -693593 || value > 2958465) return "";
    return rtl::FormatDateTime(axis.DateTimeFormat(), value);
  }
  if (!axis.ValueFormat().empty()) return rtl::FormatFloat(axis.ValueFormat(), value);
  // As many decimals as the step needs.
  int decimals = 0;
  if (step > 0 && step < 1) decimals = std::min(15, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
  AnsiString fmt = "0";
  if (decimals > 0) fmt += "." + AnsiString(static_cast<std::size_t>(decimals), '0');
  return rtl::FormatFloat(fmt, value);
}

}  // namespace chart
