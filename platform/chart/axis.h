// A chart axis: its range (automatic from the data or set by hand), its
// labels (numbers, or date-times in a format), its title, and the mapping
// between values and device pixels once the layout has placed it. Nothing
// here draws; the label steps and texts are plain functions so that they can
// be checked as tables.
#pragma once
#include <functional>
#include <vector>

#include "platform/gfx/colors.h"
#include "platform/rtl/strings.h"

namespace chart {

using rtl::AnsiString;

enum class TAxisKind { Bottom, Left, Right, Top };

class TChartAxis {
 public:
  explicit TChartAxis(TAxisKind kind);

  TAxisKind Kind() const { return kind_; }
  bool Horizontal() const { return kind_ == TAxisKind::Bottom || kind_ == TAxisKind::Top; }

  // ---- range
  double Minimum() const { return min_; }
  double Maximum() const { return max_; }
  // Setting one end beyond the other moves the other end along, so the axis
  // never holds a minimum above its maximum. Either makes that end manual.
  void SetMinimum(double v);
  void SetMaximum(double v);
  // Both ends at once, in either order; the axis becomes manual.
  void SetMinMax(double a, double b);
  // Automatic: the range follows the data of the series on this axis.
  bool Automatic() const { return automatic_; }
  void SetAutomatic(bool a) {
    automatic_ = a;
    Changed();
  }
  // Applied by the chart before each layout: the data's extent when the axis
  // is automatic (an empty extent leaves the range as it is).
  void AdjustToData(bool hasData, double dataMin, double dataMax);

  // ---- labels
  // Values are date-times (days since 30 Dec 1899) formatted with
  // DateTimeFormat; a "\r" in the format splits a label into two lines.
  bool DateTime() const { return dateTime_; }
  void SetDateTime(bool d) {
    dateTime_ = d;
    Changed();
  }
  const AnsiString& DateTimeFormat() const { return dateTimeFormat_; }
  void SetDateTimeFormat(const AnsiString& f) {
    dateTimeFormat_ = f;
    Changed();
  }
  // Number format of value labels (FormatFloat).
  const AnsiString& ValueFormat() const { return valueFormat_; }
  void SetValueFormat(const AnsiString& f) {
    valueFormat_ = f;
    Changed();
  }
  // The smallest step between labels (0: any readable step). Wider steps are
  // multiples of it.
  double Increment() const { return increment_; }
  void SetIncrement(double v) {
    increment_ = v < 0 ? 0 : v;
    Changed();
  }
  // Free pixels at least kept between neighbouring labels.
  int LabelsSeparation() const { return separation_; }
  void SetLabelsSeparation(int px) {
    separation_ = px < 0 ? 0 : px;
    Changed();
  }
  gfx::TColor LabelColor() const { return labelColor_; }
  void SetLabelColor(gfx::TColor c) {
    labelColor_ = c;
    Changed();
  }
  // Title; a "\r" starts a second line (a leading one leaves the first empty).
  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& t) {
    title_ = t;
    Changed();
  }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) {
    visible_ = v;
    Changed();
  }
  bool Grid() const { return grid_; }
  void SetGrid(bool g) {
    grid_ = g;
    Changed();
  }

  // ---- placement, set by the layout: the pixel of the minimum and of the
  // maximum (for vertical axes the minimum lies below).
  void Place(int minPixel, int maxPixel) {
    minPx_ = minPixel;
    maxPx_ = maxPixel;
  }
  // Told of every change of range or look (the chart repaints).
  void SetOnChange(std::function<void()> f) { onChange_ = std::move(f); }
  int MinPixel() const { return minPx_; }
  int MaxPixel() const { return maxPx_; }
  // Value to pixel and back. A zero range maps everything to the minimum's
  // pixel and every pixel to the minimum.
  double ValueToPixelExact(double value) const;
  int ValueToPixel(double value) const;
  double PixelToValue(double pixel) const;

 private:
  TAxisKind kind_;
  double min_ = 0, max_ = 1;
  bool automatic_ = true;
  bool dateTime_ = false;
  AnsiString dateTimeFormat_ = "hh:mm";
  AnsiString valueFormat_;
  double increment_ = 0;
  int separation_ = 20;
  gfx::TColor labelColor_ = gfx::clBlack;
  AnsiString title_;
  bool visible_ = true;
  bool grid_ = true;
  int minPx_ = 0, maxPx_ = 100;
  std::function<void()> onChange_;
  void Changed() const {
    if (onChange_) onChange_();
  }
};

// ---- label steps and texts

// Readable steps of a value axis: increment x 1, 2, 5, 10, 20, 50 ... when an
// increment is given, else 1, 2, 5 x 10^k. The smallest step whose pixel
// distance is at least minPixels. A degenerate range or pixel span gives 0.
double ChooseValueStep(double range, int pixels, int minPixels, double increment = 0);

// Date-time steps: seconds to years. Months and years are calendar steps.
struct TDateTimeStep {
  enum Unit { Seconds, Days, Months } unit = Seconds;
  int count = 1;          // of the unit
  double Length() const;  // nominal length in days (months as 30, years as 365)
};
// The readable steps in increasing order.
const std::vector<TDateTimeStep>& DateTimeSteps();
// The smallest step whose nominal pixel distance is at least minPixels.
TDateTimeStep ChooseDateTimeStep(double rangeDays, int pixels, int minPixels);
// The label values of a step within [min, max]: whole multiples of the step
// for seconds (counted from midnight) and days, first days of months for
// month steps.
std::vector<double> DateTimeLabelValues(double min, double max, const TDateTimeStep& step);
// Multiples of a value step within [min, max] (a small tolerance lets the
// ends of a range like 0..100 carry labels).
std::vector<double> ValueLabelValues(double min, double max, double step);

// The text of a label: FormatDateTime or FormatFloat (general number form
// with the step's decimals when the format is empty).
AnsiString AxisLabelText(const TChartAxis& axis, double value, double step);

}  // namespace chart
