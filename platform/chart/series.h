// Series of a chart: X and Y values with an optional colour per point, the
// vertical axis they are drawn against, a title for the legend, and how they
// look: a line with point markers (TLineSeries) or markers only
// (TPointSeries).
#pragma once
#include <functional>
#include <vector>

#include "platform/gfx/colors.h"
#include "platform/rtl/strings.h"

namespace chart {

using rtl::AnsiString;

// The series' own colour for a point.
constexpr gfx::TColor clTeeColor = gfx::clDefault;

enum class TPointerStyle { Rectangle, Circle, Triangle, DownTriangle, Diamond, Cross, Nothing };
enum class TVertAxis { Left, Right };

struct TSeriesPointer {
  bool Visible = true;
  TPointerStyle Style = TPointerStyle::Rectangle;
  int HorizSize = 4;  // half-width in pixels at 96 per inch
  int VertSize = 4;
  bool Pen = true;  // outline in a darker colour; false: none
};

class TChartSeries {
 public:
  virtual ~TChartSeries() = default;

  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& t) {
    title_ = t;
    Touch();
  }
  gfx::TColor SeriesColor() const { return color_; }
  void SetSeriesColor(gfx::TColor c) {
    color_ = c;
    Touch();
  }
  TVertAxis VertAxis() const { return vertAxis_; }
  void SetVertAxis(TVertAxis a) {
    vertAxis_ = a;
    Touch();
  }
  bool Active() const { return active_; }
  void SetActive(bool a) {
    active_ = a;
    Touch();
  }
  bool ShowInLegend() const { return showInLegend_; }
  void SetShowInLegend(bool s) {
    showInLegend_ = s;
    Touch();
  }
  TSeriesPointer& Pointer() { return pointer_; }
  const TSeriesPointer& Pointer() const { return pointer_; }
  void SetPointerVisible(bool v) {
    pointer_.Visible = v;
    Touch();
  }
  // Whether a line joins the points.
  virtual bool DrawsLine() const = 0;

  // ---- data
  int Count() const { return static_cast<int>(x_.size()); }
  // Adds a point; the label is not shown (axes label by value). Answers its index.
  int AddXY(double x, double y, const AnsiString& label = "", gfx::TColor color = clTeeColor);
  void Clear();
  void Reserve(std::size_t n);
  const std::vector<double>& XValues() const { return x_; }
  const std::vector<double>& YValues() const { return y_; }
  double XValue(int i) const { return x_.at(static_cast<std::size_t>(i)); }
  double YValue(int i) const { return y_.at(static_cast<std::size_t>(i)); }
  // The colour a point is drawn in (the series' colour unless given).
  gfx::TColor PointColor(int i) const;
  // Extent of the values; false for an empty series.
  bool XRange(double& min, double& max) const;
  bool YRange(double& min, double& max) const;
  double MinXValue() const;
  double MaxXValue() const;
  double MinYValue() const;
  double MaxYValue() const;

  // Bumped by every change, so drawing caches know when to rebuild.
  unsigned Revision() const { return revision_; }
  // Told of every change (the chart repaints).
  void SetOnChange(std::function<void()> f) { onChange_ = std::move(f); }

 protected:
  TChartSeries() = default;

 protected:
  void Touch();

 private:
  AnsiString title_;
  gfx::TColor color_ = gfx::clRed;
  TVertAxis vertAxis_ = TVertAxis::Left;
  bool active_ = true;
  bool showInLegend_ = true;
  TSeriesPointer pointer_;
  std::vector<double> x_, y_;
  std::vector<gfx::TColor> colors_;  // empty while no point has its own colour
  mutable bool rangeValid_ = false;
  mutable double minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0;
  unsigned revision_ = 0;
  std::function<void()> onChange_;
};

// A line through the points, with markers the pointer may show.
class TLineSeries : public TChartSeries {
 public:
  // Small markers in the line's colour, hidden until asked for.
  TLineSeries() {
    Pointer().Visible = false;
    Pointer().Pen = false;
    Pointer().HorizSize = Pointer().VertSize = 2;
  }
  bool DrawsLine() const override { return true; }
};

// Markers only.
class TPointSeries : public TChartSeries {
 public:
  TPointSeries() = default;
  bool DrawsLine() const override { return false; }
};

}  // namespace chart
