// What a chart shows and how it is laid out and drawn, apart from any window:
// title, legend, four axes, the series, and the one renderer that draws all
// of it on any canvas (screen, bitmap, metafile, printer). TChart (chart.h)
// puts this on a form.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "platform/chart/axis.h"
#include "platform/chart/series.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/types.h"

namespace chart {

using gfx::TColor;
using gfx::TRect;

// The areas of a drawn chart, as a pointer finds them.
enum class TChartPart { None, Plot, LeftAxis, RightAxis, BottomAxis, Legend, Title };

// Where everything went in the last layout (device pixels of the canvas).
struct TChartLayout {
  TRect bounds;
  TRect plot;                             // the back wall; series are clipped to it
  TRect title;                            // empty when hidden
  TRect legend;                           // empty when hidden
  TRect leftAxis, rightAxis, bottomAxis;  // label and title areas beside the plot
  struct Labels {
    double step = 0;
    TDateTimeStep dateStep;
    std::vector<double> values;
  } bottom, left, right;
  double scale = 1;  // device pixels per 96-per-inch pixel
};

class TChartModel {
 public:
  TChartModel();
  virtual ~TChartModel();
  TChartModel(const TChartModel&) = delete;
  TChartModel& operator=(const TChartModel&) = delete;

  // ---- title: lines of text above the plot
  std::vector<AnsiString>& TitleLines() { return titleLines_; }
  void SetTitleText(const AnsiString& oneLine) {
    titleLines_ = {oneLine};
    Changed();
  }
  void ClearTitle() {
    titleLines_.clear();
    Changed();
  }
  bool TitleVisible() const { return titleVisible_; }
  void SetTitleVisible(bool v) {
    titleVisible_ = v;
    Changed();
  }

  // ---- legend: one row per series shown in it, at most MaxRows (0: all)
  bool LegendVisible() const { return legendVisible_; }
  void SetLegendVisible(bool v) {
    legendVisible_ = v;
    Changed();
  }
  int LegendMaxRows() const { return legendMaxRows_; }
  void SetLegendMaxRows(int n) {
    legendMaxRows_ = n < 0 ? 0 : n;
    Changed();
  }

  // ---- axes (the top axis is kept hidden by default)
  TChartAxis& BottomAxis() { return bottom_; }
  TChartAxis& LeftAxis() { return left_; }
  TChartAxis& RightAxis() { return right_; }
  TChartAxis& TopAxis() { return top_; }
  const TChartAxis& BottomAxis() const { return bottom_; }
  const TChartAxis& LeftAxis() const { return left_; }
  const TChartAxis& RightAxis() const { return right_; }
  TChartAxis& VertAxisOf(const TChartSeries& s) { return s.VertAxis() == TVertAxis::Right ? right_ : left_; }

  // ---- series, drawn in the order added; the chart owns them
  template <class S>
  S* AddSeries() {
    auto s = std::make_unique<S>();
    S* raw = s.get();
    raw->SetOnChange([this] { Changed(); });
    series_.push_back(std::move(s));
    Changed();
    return raw;
  }
  int SeriesCount() const { return static_cast<int>(series_.size()); }
  TChartSeries& Series(int i) { return *series_.at(static_cast<std::size_t>(i)); }

  // ---- colours
  TColor BackWallColor() const { return backWall_; }
  void SetBackWallColor(TColor c) {
    backWall_ = c;
    Changed();
  }
  TColor PanelColor() const { return panel_; }
  void SetPanelColor(TColor c) {
    panel_ = c;
    Changed();
  }

  // Called for every axis label before it is drawn: the text and its colour
  // (the axis' LabelColor) may be changed.
  std::function<void(TChartAxis& axis, double value, AnsiString& text, TColor& color)> OnGetAxisLabel;

  // ---- layout and drawing
  // Sets automatic axes to the data of their series.
  void AdjustAxes();
  // Lays the chart out in bounds on the canvas (measuring its fonts) and
  // places the axes; answers the layout, which is also kept as Layout().
  const TChartLayout& LayOut(gfx::TCanvas& canvas, const TRect& bounds);
  const TChartLayout& Layout() const { return layout_; }
  // The one renderer: adjusts the axes, lays out and draws everything in
  // bounds, the panel filled with background (clDefault: PanelColor()).
  void Draw(gfx::TCanvas& canvas, const TRect& bounds, TColor background = gfx::clDefault);

  // ---- hit testing and conversions on the last layout
  TRect ChartRect() const { return layout_.plot; }
  TChartPart PartAt(int x, int y) const;

  // A rubber band drawn over the plot (the zoom drag), empty for none.
  void SetRubberBand(const TRect& r) {
    rubber_ = r;
    Changed();
  }

 protected:
  // Something shown changed; a control repaints.
  virtual void Changed() {}

 private:
  void DrawSeries(gfx::TCanvas& canvas, TChartSeries& s);
  void DrawAxis(gfx::TCanvas& canvas, TChartAxis& axis, const TChartLayout::Labels& labels);
  void DrawLegend(gfx::TCanvas& canvas);
  std::vector<TChartSeries*> LegendEntries() const;
  bool AxisInUse(const TChartAxis& axis) const;

  std::vector<AnsiString> titleLines_;
  bool titleVisible_ = true;
  bool legendVisible_ = true;
  int legendMaxRows_ = 0;
  TChartAxis bottom_{TAxisKind::Bottom}, left_{TAxisKind::Left}, right_{TAxisKind::Right}, top_{TAxisKind::Top};
  std::vector<std::unique_ptr<TChartSeries>> series_;
  TColor backWall_ = gfx::clWhite;
  TColor panel_ = gfx::clBtnFace;
  TChartLayout layout_;
  TRect rubber_;
};

// Sets a font of the chart: Arial (Liberation Sans) at the given points on
// the canvas' resolution.
void SetChartFont(gfx::TCanvas& canvas, int points, TColor color, bool bold = false, int orientation = 0);

// The readable text of a label: the axis' text, then OnGetAxisLabel.
AnsiString LabelTextOf(TChartModel& model, TChartAxis& axis, double value, double step, TColor* color);

}  // namespace chart
