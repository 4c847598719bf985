// The chart control: a TChartModel on a form. It paints through the graphics
// layer, zooms with a left drag inside the plot (down and right: zoom into
// the rectangle; up or left: back to the ranges before zooming) and scrolls
// with a right drag, and passes every mouse event on to its handlers. It
// copies itself to the clipboard as a bitmap or a metafile and prints through
// its preview dialog.
#pragma once
#include <memory>

#include "platform/chart/chart_model.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/metafile.h"
#include "platform/gui/controls.h"

namespace chart {

class TChart : public gui::TCustomControl, public TChartModel {
 public:
  explicit TChart(rtl::TComponent* owner);
  ~TChart() override;

  bool AllowZoom() const { return allowZoom_; }
  void SetAllowZoom(bool z) { allowZoom_ = z; }
  bool AllowPanning() const { return allowPanning_; }
  void SetAllowPanning(bool p) { allowPanning_ = p; }
  // Drags shorter than this (pixels) neither zoom nor undo.
  int MinimumDragPixels() const { return minDrag_; }

  // Lays the chart out for its current size now (conversions and hit tests
  // answer for what is on the screen).
  void UpdateLayout();
  // Screen to value and back on the axes, on the current layout.
  double XScreenToValue(int x);
  double YScreenToValue(TVertAxis axis, int y);
  int XValueToScreen(double v);
  int YValueToScreen(TVertAxis axis, double v);
  // Zooms into a rectangle of the plot (device pixels) as a drag would, and
  // back to the ranges before the first zoom.
  void ZoomRect(const gfx::TRect& r);
  void UndoZoom();
  bool Zoomed() const { return zoomed_; }

  // Pictures of the chart as drawn now, at the control's size (or the size
  // given), over a white panel.
  std::unique_ptr<gfx::TBitmap> CreateBitmap(int width = 0, int height = 0);
  // A metafile of the rectangle (at 96 pixels per inch); enhanced false makes
  // a plain (placeable WMF) metafile.
  std::unique_ptr<gfx::TMetafile> CreateMetafile(bool enhanced, const gfx::TRect& rect);
  void CopyToClipboardBitmap();
  void CopyToClipboardMetafile(bool enhanced);
  // Draws the chart into a rectangle of any canvas (printers included).
  void PrintPartialCanvas(gfx::TCanvas& canvas, const gfx::TRect& rect);

  rtl::TNotifyEvent OnZoom;
  rtl::TNotifyEvent OnUndoZoom;
  // A right drag moved the axes.
  rtl::TNotifyEvent OnScroll;

  void MouseDown(gui::TMouseButton button, gui::TShiftState shift, int x, int y) override;
  void MouseMove(gui::TShiftState shift, int x, int y) override;
  void MouseUp(gui::TMouseButton button, gui::TShiftState shift, int x, int y) override;

 protected:
  void Paint() override;
  void Changed() override;

 private:
  struct SavedRange {
    double min, max;
    bool automatic;
  };
  void SaveRanges();
  void Pan(int dx, int dy);

  bool allowZoom_ = true, allowPanning_ = true;
  int minDrag_ = 4;
  bool layoutDirty_ = true;
  bool repaintPending_ = false;
  enum class Drag { None, Zoom, Pan } drag_ = Drag::None;
  gfx::TPoint dragFrom_, dragLast_;
  bool zoomed_ = false;
  SavedRange saved_[3]{};
};

}  // namespace chart
