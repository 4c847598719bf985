// What the preview control decides without a window: the page number and
// zoom with their limits, the zoom of each zoom mode, the keys and the mouse
// wheel, and how often the display follows a report while it is built.
#pragma once
#include <cstdint>
#include <functional>

#include "report/vuzClassReport.h"

namespace preview {

// Pixels left around pages beside the vertical scroll bar.
inline constexpr int kPreviewFrame = 26;

// Page numbers are 1..count (0 without pages).
int vuzClampPageNo(int pageNo, int pageCount);
// The page shown after the current page was deleted.
int vuzPageNoAfterDelete(int pageNo, int newPageCount);
// The smallest zoom is 0.25.
long double vuzClampZoom(long double zoom);

// The zoom a mode gives for a page of w x h pixels. The control's client
// size decides whether the page is relatively taller (whole page); the
// workspace's size and the scroll bar's width give the room. The default
// and many-pages modes keep the current zoom.
struct TfrxZoomRoom {
  int ClientWidth, ClientHeight;        // the control's client area
  int WorkspaceWidth, WorkspaceHeight;  // the main workspace
  int ScrollBarWidth;
};
long double vuzZoomForMode(report::TfrxZoomMode mode, long double zoom, int pageWidth, int pageHeight,
                           const TfrxZoomRoom& room);

// The mouse wheel: with zoom a tenth per event in the delta's direction
// (never below 0.3); otherwise 20 pixels against it. delta 0 does nothing.
struct TfrxWheelStep {
  bool Zoom = false;
  long double NewZoom = 0;
  int ScrollX = 0, ScrollY = 0;
};
TfrxWheelStep vuzWheel(int delta, bool horizontal, bool zoom, long double currentZoom);

// What a key does in the preview control.
enum class TfrxPreviewKey {
  None,
  Scroll,  // by ScrollX / ScrollY
  PriorPage,
  NextPage,
  FirstPage,
  LastPage,
  FindNext,
  Print,
  Save,
  Find,
  Load
};
struct TfrxKeyStep {
  TfrxPreviewKey Action = TfrxPreviewKey::None;
  int ScrollX = 0, ScrollY = 0;
};
// key is a virtual-key code; buttons the report's preview buttons.
TfrxKeyStep vuzPreviewKey(int key, bool ctrl, report::TfrxPreviewButtons buttons);
// Actions that read or change the pages wait until a build has ended.
bool vuzRefusedWhileBuilding(TfrxPreviewKey action);

// How the display follows a report being built. Progress p is the 0-based
// index of the page just added.
class TfrxBuildDisplay {
 public:
  struct Step {
    bool AddPage = false;      // add the page to the main workspace and lay out again
    bool FirstPage = false;    // page number 1 (and lay out in the final pass)
    bool UpdatePages = false;  // lay every page out again
    bool UpdateNumbers = false;
    bool UpdateScrollBars = false;
  };
  explicit TfrxBuildDisplay(std::function<std::uint32_t()> clock) : clock_(std::move(clock)) {}
  Step Progress(int p, bool finalPass);
  int Interval() const { return interval_; }
  // Only the first pages appear one by one.
  static constexpr int kPagesShownOneByOne = 50;

 private:
  std::function<std::uint32_t()> clock_;
  std::uint32_t firstPageAt_ = 0;
  int interval_ = 5;
};

}  // namespace preview
