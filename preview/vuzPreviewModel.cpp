#include "preview/vuzPreviewModel.h"

#include <algorithm>

namespace preview {

namespace {
// Virtual-key codes the preview answers.
enum : int {
  kPrior = 33,
  kNext = 34,
  kEnd = 35,
  kHome = 36,
  kLeft = 37,
  kUp = 38,
  kRight = 39,
  kDown = 40,
  kF3 = 114,
  kKeyF = 'F',
  kKeyO = 'O',
  kKeyP = 'P',
  kKeyS = 'S'
};
constexpr int kLineStep = 8, kPageStep = 300;
bool Has(report::TfrxPreviewButtons buttons, report::TfrxPreviewButton b) { return (buttons >> b) & 1u; }
}  // namespace

int vuzClampPageNo(int pageNo, int pageCount) { return std::min(std::max(pageNo, 1), pageCount); }

int vuzPageNoAfterDelete(int pageNo, int newPageCount) {
  return pageNo >= newPageCount ? vuzClampPageNo(pageNo - 1, newPageCount) : pageNo;
}

long double vuzClampZoom(long double zoom) { return zoom < 0.25L ? 0.25L : zoom; }

long double vuzZoomForMode(report::TfrxZoomMode mode, long double zoom, int w, int h, const TfrxZoomRoom& room) {
  if (w <= 0 || h <= 0) return zoom;
  const long double byWidth = static_cast<long double>(room.WorkspaceWidth - room.ScrollBarWidth - kPreviewFrame) / w;
  switch (mode) {
    case report::zmWholePage: {
      const long double tall = room.ClientHeight > 0 ? static_cast<long double>(h) / room.ClientHeight : 0;
      const long double wide = room.ClientWidth > 0 ? static_cast<long double>(w) / room.ClientWidth : 0;
      if (tall >= wide) return static_cast<long double>(room.WorkspaceHeight - kPreviewFrame) / h;
      return byWidth;
    }
    case report::zmPageWidth: return byWidth;
    default: return zoom;
  }
}

TfrxWheelStep vuzWheel(int delta, bool horizontal, bool zoom, long double currentZoom) {
  TfrxWheelStep step;
  if (delta == 0) return step;
  const int sign = delta > 0 ? 1 : -1;
  if (zoom) {
    step.Zoom = true;
    step.NewZoom = std::max(0.3L, currentZoom + sign * 0.1L);
    return step;
  }
  (horizontal ? step.ScrollX : step.ScrollY) = -sign * 20;
  return step;
}

TfrxKeyStep vuzPreviewKey(int key, bool ctrl, report::TfrxPreviewButtons buttons) {
  using K = TfrxPreviewKey;
  switch (key) {
    case kUp: return {K::Scroll, 0, -kLineStep};
    case kDown: return {K::Scroll, 0, kLineStep};
    case kLeft: return {K::Scroll, -kLineStep, 0};
    case kRight: return {K::Scroll, kLineStep, 0};
    case kPrior: return ctrl ? TfrxKeyStep{K::PriorPage} : TfrxKeyStep{K::Scroll, 0, -kPageStep};
    case kNext: return ctrl ? TfrxKeyStep{K::NextPage} : TfrxKeyStep{K::Scroll, 0, kPageStep};
    case kHome: return {K::FirstPage};
    case kEnd: return {K::LastPage};
    case kF3: return Has(buttons, report::pbFind) ? TfrxKeyStep{K::FindNext} : TfrxKeyStep{};
    default: break;
  }
  if (!ctrl) return {};
  switch (key) {
    case kKeyP: return Has(buttons, report::pbPrint) ? TfrxKeyStep{K::Print} : TfrxKeyStep{};
    case kKeyS: return Has(buttons, report::pbSave) ? TfrxKeyStep{K::Save} : TfrxKeyStep{};
    case kKeyF: return Has(buttons, report::pbFind) ? TfrxKeyStep{K::Find} : TfrxKeyStep{};
    case kKeyO: return Has(buttons, report::pbLoad) ? TfrxKeyStep{K::Load} : TfrxKeyStep{};
    default: return {};
  }
}

bool vuzRefusedWhileBuilding(TfrxPreviewKey action) {
  return action == TfrxPreviewKey::Print || action == TfrxPreviewKey::Save || action == TfrxPreviewKey::Load;
}

TfrxBuildDisplay::Step TfrxBuildDisplay::Progress(int p, bool finalPass) {
  Step s;
  s.AddPage = finalPass && p < kPagesShownOneByOne;
  if (p == 0) {
    s.FirstPage = true;
    s.UpdatePages = finalPass;
    firstPageAt_ = clock_();
  } else if (p == 1) {
    // A fast build refreshes the display less often.
    const std::uint32_t elapsed = clock_() - firstPageAt_;
    interval_ = elapsed < 5 ? 50 : elapsed < 10 ? 20 : 5;
    s.FirstPage = true;
    s.UpdatePages = finalPass;
  } else if (p % interval_ == 0) {
    s.UpdateNumbers = true;
    s.UpdateScrollBars = finalPass;
  }
  return s;
}

}  // namespace preview
