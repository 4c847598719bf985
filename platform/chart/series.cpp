#include "platform/chart/series.h"

#include <algorithm>
#include <cmath>

namespace chart {

void TChartSeries::Touch() {
  ++revision_;
  rangeValid_ = false;
  if (onChange_) onChange_();
}

int TChartSeries::AddXY(double x, double y, const AnsiString&, gfx::TColor color) {
  x_.push_back(x);
  y_.push_back(y);
  if (color != clTeeColor || !colors_.empty()) {
    if (colors_.empty()) colors_.assign(x_.size() - 1, clTeeColor);
    colors_.push_back(color);
  }
  Touch();
  return Count() - 1;
}

void TChartSeries::Clear() {
  x_.clear();
  y_.clear();
  colors_.clear();
  Touch();
}

void TChartSeries::Reserve(std::size_t n) {
  x_.reserve(n);
  y_.reserve(n);
}

gfx::TColor TChartSeries::PointColor(int i) const {
  if (static_cast<std::size_t>(i) < colors_.size() && colors_[static_cast<std::size_t>(i)] != clTeeColor)
    return colors_[static_cast<std::size_t>(i)];
  return color_;
}

bool TChartSeries::XRange(double& min, double& max) const {
  if (x_.empty()) return false;
  if (!rangeValid_) {
    auto [lx, hx] = std::minmax_element(x_.begin(), x_.end());
    auto [ly, hy] = std::minmax_element(y_.begin(), y_.end());
    minX_ = *lx, maxX_ = *hx, minY_ = *ly, maxY_ = *hy;
    rangeValid_ = true;
  }
  min = minX_;
  max = maxX_;
  return true;
}

bool TChartSeries::YRange(double& min, double& max) const {
  double a, b;
  if (!XRange(a, b)) return false;
  min = minY_;
  max = maxY_;
  return true;
}

double TChartSeries::MinXValue() const {
  double a = 0, b = 0;
  XRange(a, b);
  return a;
}
double TChartSeries::MaxXValue() const {
  double a = 0, b = 0;
  XRange(a, b);
  return b;
}
double TChartSeries::MinYValue() const {
  double a = 0, b = 0;
  YRange(a, b);
  return a;
}
double TChartSeries::MaxYValue() const {
  double a = 0, b = 0;
  YRange(a, b);
  return b;
}

}  // namespace chart
