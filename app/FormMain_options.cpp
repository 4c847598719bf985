// The view options of the chart and the table: zoom and unit of the shrink
// axis, the shrink base, the zero shift, relative time, points, legend,
// title, chart or table; each writes its Zarnik.ini key when the user runs
// it. Start-up runs the zoom and unit actions without a sender, which writes
// and shows nothing. Also the six axis-end resets of the chart.
#include <memory>

#include "app/FormMain.h"
#include "app/ShrinkBase.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

TShrinkZoom TForm1::ShrinkZoom() const {
  if (AZoom5mm->Checked()) return TShrinkZoom::mm5;
  if (AZoom10mm->Checked()) return TShrinkZoom::mm10;
  if (AZoom20mm->Checked()) return TShrinkZoom::mm20;
  return TShrinkZoom::Auto;
}

void TForm1::ApplyDisplayConfiguration() {
  // The zoom and the unit as at start-up: checks, enabling, the axis.
  switch (ShrinkZoom()) {
    case TShrinkZoom::mm5: AZoom5mm->Execute(nullptr); break;
    case TShrinkZoom::mm10: AZoom10mm->Execute(nullptr); break;
    case TShrinkZoom::mm20: AZoom20mm->Execute(nullptr); break;
    case TShrinkZoom::Auto: AZoomAuto->Execute(nullptr); break;
  }
  if (AZoomMm->Checked())
    AZoomMm->Execute(nullptr);
  else
    AZoomProc->Execute(nullptr);
  shrinkBase_ = StoredShrinkBase();
  for (auto* s : {Series1, Series2, Series3, Series7, Series8}) s->SetPointerVisible(APoints->Checked());
  Chart1->SetLegendVisible(ALegend->Checked());
  Chart1->SetTitleVisible(AGraphTitle->Checked());
  ShowDataView(ADataGraphic->Checked());
}

void TForm1::AZoomExecute(TObject* Sender, TShrinkZoom zoom) {
  TAction* actions[] = {AZoom5mm, AZoom10mm, AZoom20mm, AZoomAuto};
  for (int i = 0; i < 4; ++i) actions[i]->SetChecked(static_cast<int>(zoom) == i);
  double smallest = 0, largest = 0;
  if (!Series3->YRange(smallest, largest)) smallest = 0;
  const TAxisWindow w = ZoomActionRange(zoom, smallest);
  Chart1->RightAxis().SetMinMax(w.min, w.max);
  if (!Sender) return;
  static const char* const keys[] = {"5", "10", "20", "A"};
  IniWrite("Config", "ShrinkZoom", keys[static_cast<int>(zoom)]);
  static constexpr std::string_view texts[] = {
      "Выбран масштаб графика усадки 5 мм"_cp, "Выбран масштаб графика усадки 10 мм"_cp,
      "Выбран масштаб графика усадки 20 мм"_cp, "Выбран автоматический масштаб графика усадки"_cp};
  SetPanelText(0, AnsiString(texts[static_cast<int>(zoom)]));
}

void TForm1::AZoomMmExecute(TObject* Sender) {
  AZoomMm->SetChecked(true);
  AZoomProc->SetChecked(false);
  for (TAction* a : {AZoom5mm, AZoom10mm, AZoom20mm, AZoomAuto}) a->SetEnabled(true);
  Chart1->RightAxis().SetTitle("Усадка (мм)"_cp);
  if (!Sender) return;
  IniWrite("Config", "ShrinkUnit", "mm");
  SetPanelText(0, "Выбран вывод графика усадки в мм"_cp);
  ShowProcess();
}

void TForm1::AZoomProcExecute(TObject* Sender) {
  AZoomProc->SetChecked(true);
  AZoomMm->SetChecked(false);
  for (TAction* a : {AZoom5mm, AZoom10mm, AZoom20mm, AZoomAuto}) a->SetEnabled(false);
  Chart1->RightAxis().SetTitle("Усадка (%)"_cp);
  if (!Sender) return;
  IniWrite("Config", "ShrinkUnit", "Proc");
  SetPanelText(0, "Выбран вывод графика усадки в процентах"_cp);
  ShowProcess();
}

void TForm1::AShrinkBaseExecute(TObject*) {
  {
    TfrmShrinkBase dialog(this, shrinkBase_);
    dialog.ShowModal();
  }
  ShowProcess();
}

void TForm1::AUseShrinkShiftExecute(TObject*) {
  const bool on = !AUseShrinkShift->Checked();
  AUseShrinkShift->SetChecked(on);
  GroupBoxShrinkShift->SetVisible(on);
  GroupBoxProcessList->SetHeight(on ? 161 - GroupBoxShrinkShift->Height() : 161);
  Realign();
  IniWrite("Config", "UseShrinkShift", on ? "Y" : "N");
  // Redrawn through the timer, as after an edit of the shift.
  TimerChangeShrinkShift->SetEnabled(false);
  TimerChangeShrinkShift->SetEnabled(true);
}

void TForm1::TimerChangeShrinkShiftTimer(TObject*) {
  TimerChangeShrinkShift->SetEnabled(false);
  IniWrite("Config", "ShrinkShift", MaskEditShrinkShift->Text());
  ShowProcess();
}

void TForm1::ARelativeTimeExecute(TObject*) {
  ARelativeTime->SetChecked(!ARelativeTime->Checked());
  IniWrite("Config", "RelativeTime", ARelativeTime->Checked() ? "Y" : "N");
  ShowProcess();
}

void TForm1::APointsExecute(TObject*) {
  const bool on = !APoints->Checked();
  APoints->SetChecked(on);
  for (auto* s : {Series1, Series2, Series3, Series7, Series8}) s->SetPointerVisible(on);
  IniWrite("Graph", "Points", on ? "Yes" : "No");
}

void TForm1::ALegendExecute(TObject*) {
  // The legend's own state is the current one.
  const bool on = !Chart1->LegendVisible();
  Chart1->SetLegendVisible(on);
  ALegend->SetChecked(on);
  IniWrite("Graph", "Legend", on ? "Yes" : "No");
}

void TForm1::AGraphTitleExecute(TObject*) {
  const bool on = !AGraphTitle->Checked();
  AGraphTitle->SetChecked(on);
  Chart1->SetTitleVisible(on);
  IniWrite("Config", "GraphTitle", on ? "Y" : "N");
}

void TForm1::ShowDataView(bool showChart) {
  ADataGraphic->SetChecked(showChart);
  ADataTable->SetChecked(!showChart);
  Chart1->SetVisible(showChart);
  StringGridData->SetVisible(!showChart);
  Realign();
  FormResize(this);
}

void TForm1::ADataGraphicExecute(TObject*) {
  ShowDataView(true);
  IniWrite("FormMain", "GraphVisible", "1");
}

void TForm1::ADataTableExecute(TObject*) {
  ShowDataView(false);
  IniWrite("FormMain", "GraphVisible", "0");
}

// ---- axis-end resets

void TForm1::ResetLeftAxisMax() {
  chart::TChartAxis& a = Chart1->LeftAxis();
  if (a.Minimum() >= 102) a.SetMinimum(100);
  a.SetMaximum(102);
}

void TForm1::ResetLeftAxisMin() {
  chart::TChartAxis& a = Chart1->LeftAxis();
  if (a.Maximum() <= -2) a.SetMaximum(0);
  a.SetMinimum(-2);
}

namespace {
double ShrinkSpan(const chart::TChartSeries& s) {
  double lo = 0, hi = 0;
  return s.YRange(lo, hi) ? hi - lo : 0;
}
}  // namespace

void TForm1::ResetRightAxisMax() {
  Chart1->RightAxis().SetMaximum(ResetRightAxisMaxValue(ShrinkZoom(), ShrinkSpan(*Series3)));
}

void TForm1::ResetRightAxisMin() {
  Chart1->RightAxis().SetMinimum(ResetRightAxisMinValue(ShrinkZoom(), ShrinkSpan(*Series3)));
}

void TForm1::ResetTimeAxisStart() {
  double x0 = 0, x1 = 0;
  if (!Series1->XRange(x0, x1)) return;
  const double a = (x1 - x0) * 0.01;
  chart::TChartAxis& t = Chart1->BottomAxis();
  if (!(t.Maximum() > x0 - a)) t.SetMaximum(x1 + a);
  t.SetMinimum(x0 - a);
}

void TForm1::ResetTimeAxisEnd() {
  double x0 = 0, x1 = 0;
  if (!Series1->XRange(x0, x1)) return;
  const double a = (x1 - x0) * 0.01;
  chart::TChartAxis& t = Chart1->BottomAxis();
  if (t.Minimum() >= x1 + a) t.SetMinimum(x0 - a);
  t.SetMaximum(x1 + a);
}

}  // namespace app
