// The process chart without its window: the axes, the five curves and their
// read-out markers as the main window sets them up, and a process put on
// them. The window's Chart1 and the report's chart picture are built by the
// same two calls, so the printed picture is the chart the program shows.
#pragma once
#include "app/ProcessDisplay.h"
#include "platform/chart/chart_model.h"

namespace app {

// The series of the process chart: temperature, humidity, shrinkage, extra
// temperature 1 and 2, and one read-out marker series for each of them.
struct TProcessChartSeries {
  chart::TLineSeries* curves[5] = {};
  chart::TPointSeries* markers[5] = {};
};

// Sets up an empty chart: white back wall, no title, no legend, hidden top
// axis, the axis titles and ranges, the curves and then the markers.
TProcessChartSeries SetUpProcessChart(chart::TChartModel& chart);

// What of the view options the chart shows.
struct TProcessChartView {
  bool title = false;
  bool legend = true;
  bool points = true;
  TShrinkZoom zoom = TShrinkZoom::mm10;
};

// Puts a decoded process on a chart set up by SetUpProcessChart: the title
// line, the time axis, every curve (each cleared first; markers emptied) and
// the shrink axis window (automatic in per cent). The view's title, legend
// and points are the window's options; the program sets them itself.
void ShowProcessOnChart(chart::TChartModel& chart, const TProcessChartSeries& series, const TProcessData& d,
                        TShrinkZoom zoom);
// Applies the title, legend and point options.
void ApplyChartView(chart::TChartModel& chart, const TProcessChartSeries& series, const TProcessChartView& view);

}  // namespace app
