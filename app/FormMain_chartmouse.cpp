// The chart under the mouse: dragging an axis end (the labels of the axis
// being dragged turn red), double-click resets, the context menu that a
// right-drag scroll does not open, and the read-out of time and values at the
// pointer with red markers on the curves.
#include "app/FormMain.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

namespace {
constexpr TColor kDragRed = 255;
}

void TForm1::ColourAxisLabels() {
  Chart1->BottomAxis().SetLabelColor(dragZone_ == TDragZone::TimeStart || dragZone_ == TDragZone::TimeEnd ? kDragRed
                                                                                                          : clBlack);
  Chart1->LeftAxis().SetLabelColor(dragZone_ == TDragZone::LeftMax || dragZone_ == TDragZone::LeftMin ? kDragRed
                                                                                                      : clBlack);
  Chart1->RightAxis().SetLabelColor(dragZone_ == TDragZone::RightMax || dragZone_ == TDragZone::RightMin ? kDragRed
                                                                                                         : clBlack);
}

void TForm1::Chart1MouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbLeft) return;
  lastPos_ = {X, Y};
  chart::TChartAxis& t = Chart1->BottomAxis();
  chart::TChartAxis& l = Chart1->LeftAxis();
  chart::TChartAxis& r = Chart1->RightAxis();
  const double xv = Chart1->XScreenToValue(X);
  const double yl = Chart1->YScreenToValue(chart::TVertAxis::Left, Y);
  const double yr = Chart1->YScreenToValue(chart::TVertAxis::Right, Y);
  dragZone_ =
      DragZoneAt(xv, yl, yr, {t.Minimum(), t.Maximum()}, {l.Minimum(), l.Maximum()}, {r.Minimum(), r.Maximum()});
  // Dragging the time axis keeps it where the user puts it.
  if (dragZone_ == TDragZone::TimeStart || dragZone_ == TDragZone::TimeEnd) t.SetAutomatic(false);
  ColourAxisLabels();
}

void TForm1::Chart1MouseMove(TObject*, TShiftState, int X, int Y) {
  const int dx = X - lastPos_.X, dy = Y - lastPos_.Y;
  if (!Visible()) return;
  lastPos_ = {X, Y};
  if (Series1->Count() <= 1 || Link().Busy()) return;

  auto drag = [](chart::TChartAxis& a, bool maximum, double delta) {
    if (maximum)
      a.SetMaximum(a.Maximum() + delta);
    else
      a.SetMinimum(a.Minimum() + delta);
  };
  auto span = [](const chart::TChartAxis& a) { return a.Maximum() - a.Minimum(); };
  const double w = std::max(1, Chart1->ClientWidth()), h = std::max(1, Chart1->ClientHeight());
  chart::TChartAxis& t = Chart1->BottomAxis();
  chart::TChartAxis& l = Chart1->LeftAxis();
  chart::TChartAxis& r = Chart1->RightAxis();
  switch (dragZone_) {
    case TDragZone::TimeStart: drag(t, false, -span(t) * dx / w); break;
    case TDragZone::TimeEnd: drag(t, true, -span(t) * dx / w); break;
    case TDragZone::LeftMax: drag(l, true, span(l) * dy / h); break;
    case TDragZone::LeftMin: drag(l, false, span(l) * dy / h); break;
    case TDragZone::RightMax: drag(r, true, span(r) * dy / h); break;
    case TDragZone::RightMin: drag(r, false, span(r) * dy / h); break;
    default: break;
  }
  Chart1->UpdateLayout();
  if (Chart1->PartAt(X, Y) == chart::TChartPart::Plot) {
    ShowReadout(X, Y);
  } else {
    ClearMarkers();
    SetPanelText(0, "");
    SetPanelText(1, "");
  }
}

void TForm1::ClearMarkers() {
  for (auto* s : {Series4, Series5, Series6, Series9, Series10})
    if (s->Count() > 0) s->Clear();
}

void TForm1::ShowReadout(int X, int) {
  const double x = Chart1->XScreenToValue(X);
  SetPanelText(0, ReadoutTimeText(x, ARelativeTime->Checked()));
  double x0 = 0, x1 = 0;
  if (!Series1->XRange(x0, x1) || x < x0 || x > x1) {
    SetPanelText(1, "");
    ClearMarkers();
    return;
  }
  std::vector<double> values;
  const std::pair<chart::TLineSeries*, chart::TPointSeries*> curves[] = {
      {Series1, Series4}, {Series2, Series5}, {Series3, Series6}, {Series7, Series9}, {Series8, Series10}};
  for (std::size_t i = 0; i < 5; ++i) {
    auto [curve, marker] = curves[i];
    // The extra temperatures only where the process has them.
    if (i >= 3 && curve->Count() <= 1) continue;
    double v = 0;
    if (!InterpolateAt(curve->XValues(), curve->YValues(), x, v)) continue;
    marker->Clear();
    marker->AddXY(x, v, "", kDragRed);
    values.push_back(v);
  }
  SetPanelText(1, ReadoutValuesText(values, AZoomProc->Checked()));
}

void TForm1::Chart1MouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbLeft) {
    if (PopupMenuData->Tag == 0) {
      const TPoint p = Chart1->ClientToScreen({X + 3, Y + 3});
      PopupMenuData->Popup(p.X, p.Y);
    }
    PopupMenuData->Tag = 0;
    return;
  }
  if (dblClick_) {
    dblClick_ = false;
    switch (dragZone_) {
      case TDragZone::TimeStart: ResetTimeAxisStart(); break;
      case TDragZone::TimeEnd: ResetTimeAxisEnd(); break;
      case TDragZone::LeftMax: ResetLeftAxisMax(); break;
      case TDragZone::LeftMin: ResetLeftAxisMin(); break;
      case TDragZone::RightMax: ResetRightAxisMax(); break;
      case TDragZone::RightMin: ResetRightAxisMin(); break;
      default:
        ResetLeftAxisMax();
        ResetLeftAxisMin();
        ResetTimeAxisStart();
        ResetTimeAxisEnd();
        ResetRightAxisMax();
        ResetRightAxisMin();
        break;
    }
  }
  dragZone_ = TDragZone::None;
  ColourAxisLabels();
}

void TForm1::Chart1DblClick(TObject*) { dblClick_ = true; }

void TForm1::Chart1Scroll(TObject*) { PopupMenuData->Tag = 1; }

void TForm1::StringGridDataMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbRight) return;
  TStringGrid* g = StringGridData;
  const TGridRect s = g->Selection();
  if (g->Row() >= 0 && g->Col() >= 0 && s.Left == s.Right && s.Top == s.Bottom) {
    int col = -1, row = -1;
    g->MouseToCell(X, Y, col, row);
    if (col >= 0 && row >= g->FixedRows()) {
      g->SetCol(col);
      g->SetRow(row);
    }
  }
  const TPoint p = g->ClientToScreen({X + 3, Y + 3});
  PopupMenuData->Popup(p.X, p.Y);
}

}  // namespace app
