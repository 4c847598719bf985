#include "platform/chart/chart.h"

#include <cstdlib>

#include "platform/gui/clipboard.h"

namespace chart {

TChart::TChart(rtl::TComponent* owner) : gui::TCustomControl(owner) { SetCursor(gui::crCross); }

TChart::~TChart() = default;

void TChart::Changed() {
  layoutDirty_ = true;
  // Thousands of points are added one by one: one repaint request is enough.
  if (repaintPending_) return;
  repaintPending_ = true;
  Invalidate();
}

void TChart::Paint() {
  repaintPending_ = false;
  gfx::TCanvas& c = Canvas();
  Draw(c, gfx::Rect(0, 0, Width(), Height()));
  layoutDirty_ = false;
}

void TChart::UpdateLayout() {
  if (!layoutDirty_ && Layout().bounds == gfx::Rect(0, 0, Width(), Height())) return;
  AdjustAxes();
  LayOut(Canvas(), gfx::Rect(0, 0, Width(), Height()));
  layoutDirty_ = false;
}

double TChart::XScreenToValue(int x) {
  UpdateLayout();
  return BottomAxis().PixelToValue(x);
}

double TChart::YScreenToValue(TVertAxis axis, int y) {
  UpdateLayout();
  return (axis == TVertAxis::Right ? RightAxis() : LeftAxis()).PixelToValue(y);
}

int TChart::XValueToScreen(double v) {
  UpdateLayout();
  return BottomAxis().ValueToPixel(v);
}

int TChart::YValueToScreen(TVertAxis axis, double v) {
  UpdateLayout();
  return (axis == TVertAxis::Right ? RightAxis() : LeftAxis()).ValueToPixel(v);
}

void TChart::SaveRanges() {
  TChartAxis* axes[3] = {&BottomAxis(), &LeftAxis(), &RightAxis()};
  for (int i = 0; i < 3; ++i) saved_[i] = {axes[i]->Minimum(), axes[i]->Maximum(), axes[i]->Automatic()};
}

void TChart::ZoomRect(const gfx::TRect& r0) {
  UpdateLayout();
  gfx::TRect r = r0.Normalized();
  if (!zoomed_) SaveRanges();
  zoomed_ = true;
  const double x0 = BottomAxis().PixelToValue(r.Left), x1 = BottomAxis().PixelToValue(r.Right);
  const double l0 = LeftAxis().PixelToValue(r.Bottom), l1 = LeftAxis().PixelToValue(r.Top);
  const double r0v = RightAxis().PixelToValue(r.Bottom), r1v = RightAxis().PixelToValue(r.Top);
  BottomAxis().SetMinMax(x0, x1);
  LeftAxis().SetMinMax(l0, l1);
  RightAxis().SetMinMax(r0v, r1v);
  if (OnZoom) OnZoom(this);
}

void TChart::UndoZoom() {
  if (zoomed_) {
    TChartAxis* axes[3] = {&BottomAxis(), &LeftAxis(), &RightAxis()};
    for (int i = 0; i < 3; ++i) {
      axes[i]->SetMinMax(saved_[i].min, saved_[i].max);
      axes[i]->SetAutomatic(saved_[i].automatic);
    }
    zoomed_ = false;
  }
  if (OnUndoZoom) OnUndoZoom(this);
}

void TChart::Pan(int dx, int dy) {
  // The data follows the pointer: the axes move the other way.
  TChartAxis& b = BottomAxis();
  const double xd = b.PixelToValue(b.MinPixel() - dx) - b.Minimum();
  b.SetMinMax(b.Minimum() + xd, b.Maximum() + xd);
  for (TChartAxis* a : {&LeftAxis(), &RightAxis()}) {
    const double yd = a->PixelToValue(a->MinPixel() - dy) - a->Minimum();
    a->SetMinMax(a->Minimum() + yd, a->Maximum() + yd);
  }
}

void TChart::MouseDown(gui::TMouseButton button, gui::TShiftState shift, int x, int y) {
  UpdateLayout();
  drag_ = Drag::None;
  if (PartAt(x, y) == TChartPart::Plot && !shift.Contains(gui::TShiftState::ssDouble)) {
    if (button == gui::mbLeft && allowZoom_) drag_ = Drag::Zoom;
    if (button == gui::mbRight && allowPanning_) drag_ = Drag::Pan;
  }
  dragFrom_ = dragLast_ = {x, y};
  TControl::MouseDown(button, shift, x, y);
}

void TChart::MouseMove(gui::TShiftState shift, int x, int y) {
  if (drag_ == Drag::Zoom) {
    SetRubberBand(x > dragFrom_.X && y > dragFrom_.Y ? gfx::Rect(dragFrom_.X, dragFrom_.Y, x, y) : gfx::TRect{});
  } else if (drag_ == Drag::Pan && (x != dragLast_.X || y != dragLast_.Y)) {
    UpdateLayout();
    Pan(x - dragLast_.X, y - dragLast_.Y);
    UpdateLayout();
    if (OnScroll) OnScroll(this);
  }
  dragLast_ = {x, y};
  TControl::MouseMove(shift, x, y);
}

void TChart::MouseUp(gui::TMouseButton button, gui::TShiftState shift, int x, int y) {
  const Drag was = drag_;
  drag_ = Drag::None;
  if (was == Drag::Zoom && button == gui::mbLeft) {
    SetRubberBand({});
    const int dx = x - dragFrom_.X, dy = y - dragFrom_.Y;
    if (dx >= minDrag_ && dy >= minDrag_) {
      ZoomRect(gfx::Rect(dragFrom_.X, dragFrom_.Y, x, y));
    } else if (dx <= -minDrag_ || dy <= -minDrag_) {
      UndoZoom();
    }
  }
  TControl::MouseUp(button, shift, x, y);
}

// ---- pictures

std::unique_ptr<gfx::TBitmap> TChart::CreateBitmap(int width, int height) {
  if (width <= 0) width = Width();
  if (height <= 0) height = Height();
  auto bmp = std::make_unique<gfx::TBitmap>(std::max(1, width), std::max(1, height), gfx::pf24bit);
  Draw(bmp->Canvas(), gfx::Rect(0, 0, bmp->Width(), bmp->Height()), gfx::clWhite);
  layoutDirty_ = true;
  return bmp;
}

std::unique_ptr<gfx::TMetafile> TChart::CreateMetafile(bool enhanced, const gfx::TRect& rect) {
  auto mf = std::make_unique<gfx::TMetafile>();
  mf->SetWidth(std::max(1, rect.Width()));
  mf->SetHeight(std::max(1, rect.Height()));
  mf->SetEnhanced(enhanced);
  {
    gfx::TMetafileCanvas canvas(*mf);
    Draw(canvas, gfx::Rect(0, 0, rect.Width(), rect.Height()), gfx::clWhite);
  }
  layoutDirty_ = true;
  return mf;
}

void TChart::CopyToClipboardBitmap() { gui::Clipboard().SetBitmap(*CreateBitmap()); }

void TChart::CopyToClipboardMetafile(bool enhanced) {
  gui::Clipboard().SetMetafile(*CreateMetafile(enhanced, gfx::Rect(0, 0, Width(), Height())));
}

void TChart::PrintPartialCanvas(gfx::TCanvas& canvas, const gfx::TRect& rect) {
  Draw(canvas, rect, gfx::clWhite);
  layoutDirty_ = true;
}

}  // namespace chart
