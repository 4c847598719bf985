#include "app/ProcessChart.h"

#include <string>

namespace app {

using namespace rtl::literals;
using chart::TPointerStyle;

TProcessChartSeries SetUpProcessChart(chart::TChartModel& c) {
  c.SetBackWallColor(gfx::clWhite);
  c.SetTitleVisible(false);
  c.SetLegendVisible(false);
  c.TopAxis().SetVisible(false);
  c.LeftAxis().SetTitle("Температура (°С), влажность(%)"_cp);
  c.LeftAxis().SetMinMax(0, 100);
  c.LeftAxis().SetIncrement(10);
  c.RightAxis().SetTitle("Усадка (мм)"_cp);
  c.RightAxis().SetMinMax(-9, 1);
  c.BottomAxis().SetDateTime(true);
  c.BottomAxis().SetDateTimeFormat("hh:mm");

  struct Curve {
    std::string_view title;
    gfx::TColor color;
    TPointerStyle style;
    chart::TVertAxis axis;
  };
  const Curve curves[5] = {
      {"Температура"_cp, gfx::clRed, TPointerStyle::Circle, chart::TVertAxis::Left},
      {"Влажность"_cp, gfx::clBlue, TPointerStyle::Triangle, chart::TVertAxis::Left},
      {"Усадка"_cp, gfx::clBlack, TPointerStyle::Rectangle, chart::TVertAxis::Right},
      {"Температура доп."_cp, 16512, TPointerStyle::Circle, chart::TVertAxis::Left},
      {"Температура доп. 2"_cp, gfx::clMaroon, TPointerStyle::Circle, chart::TVertAxis::Left},
  };
  TProcessChartSeries out;
  for (int i = 0; i < 5; ++i) {
    const Curve& k = curves[i];
    auto* s = c.AddSeries<chart::TLineSeries>();
    s->SetTitle(std::string(k.title));
    s->SetSeriesColor(k.color);
    s->SetVertAxis(k.axis);
    s->Pointer().Style = k.style;
    s->Pointer().HorizSize = s->Pointer().VertSize = 2;
    s->SetPointerVisible(true);
    out.curves[i] = s;
  }
  // The read-out markers, one point each, drawn in red without an outline.
  const TPointerStyle markerStyles[5] = {TPointerStyle::Circle, TPointerStyle::Triangle, TPointerStyle::Rectangle,
                                         TPointerStyle::Diamond, TPointerStyle::DownTriangle};
  for (int i = 0; i < 5; ++i) {
    const chart::TLineSeries* of = out.curves[i];
    auto* s = c.AddSeries<chart::TPointSeries>();
    s->SetTitle(of->Title());
    s->SetSeriesColor(of->SeriesColor());
    s->SetVertAxis(of->VertAxis());
    s->SetShowInLegend(false);
    s->Pointer().Style = markerStyles[i];
    s->Pointer().Pen = false;
    out.markers[i] = s;
  }
  return out;
}

void ShowProcessOnChart(chart::TChartModel& c, const TProcessChartSeries& series, const TProcessData& d,
                        TShrinkZoom zoom) {
  for (auto* s : series.curves) s->Clear();
  for (auto* s : series.markers) s->Clear();
  const double t0 = ProcessStartTime(d.header);
  c.ClearTitle();
  c.TitleLines().push_back(ChartTitleText(t0));
  const TTimeAxisStyle style = TimeAxisStyle(t0, d.header.Points(), d.header.Period(), d.relative);
  c.BottomAxis().SetDateTimeFormat(style.format);
  c.BottomAxis().SetTitle(style.title);

  for (auto* s : series.curves) s->Reserve(static_cast<std::size_t>(d.points));
  for (int k = 0; k < d.points; ++k) {
    const auto i = static_cast<std::size_t>(k);
    const double x = d.X(k);
    series.curves[0]->AddXY(x, d.temperature[i]);
    series.curves[1]->AddXY(x, d.humidity[i]);
    series.curves[2]->AddXY(x, d.shrink[i]);
    if (d.channels >= 4) series.curves[3]->AddXY(x, d.extra1[i]);
    if (d.channels >= 5) series.curves[4]->AddXY(x, d.extra2[i]);
  }
  c.SetLegendMaxRows(d.channels);
  c.BottomAxis().SetAutomatic(true);

  // The shrink axis: automatic in per cent, the window of the zoom in mm.
  if (d.percent) {
    c.RightAxis().SetAutomatic(true);
  } else {
    const TAxisWindow w = ShrinkWindowMm(d.maxRaw, d.minRaw, d.ref, zoom);
    c.RightAxis().SetMinMax(w.min, w.max);
  }
}

void ApplyChartView(chart::TChartModel& c, const TProcessChartSeries& series, const TProcessChartView& view) {
  for (int i = 0; i < 5; ++i) series.curves[i]->SetPointerVisible(view.points);
  c.SetLegendVisible(view.legend);
  c.SetTitleVisible(view.title);
}

}  // namespace app
