#include "preview/vuzPrintRun.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/format.h"
#include "preview/vuzPreviewObjects.h"
#include "preview/vuzPreviewPages.h"
#include "report/vuzPaperSizes.h"

namespace preview {

namespace {
constexpr long double kMmPerInch = 25.4L;
long long Whole(long double mm) { return static_cast<long long>(std::nearbyint(mm)); }
}  // namespace

TfrxPrintRun::TfrxPrintRun(TfrxPreviewPages& store, TfrxPreviewHost& host, TfrxCustomPrinter& printer,
                           const TfrxPrintSettings& settings, std::vector<int> list)
    : store_(store), host_(host), printer_(printer), s_(settings), list_(std::move(list)) {
  s_.Copies = std::max(1, s_.Copies);
  positions_ = vuzPrintPositions(list_, store_.GetCount());
  if (s_.PrintMode != pmkDefault) {
    sheetWidth_ = printer_.PaperWidth();
    sheetHeight_ = printer_.PaperHeight();
  }
}

TfrxPrintRun::PageParams TfrxPrintRun::ParamsOf(TfrxComponent* page, int index) {
  PageParams p;
  p.Paper = static_cast<int>(vuzOrdProp(page, "PaperSize", report::DMPAPER_A4));
  p.Width = vuzFloatPropOf(page, "PaperWidth", 210);
  p.Height = vuzFloatPropOf(page, "PaperHeight", 297);
  p.Orientation = vuzOrdProp(page, "Orientation", 0) != 0 ? 1 : 0;
  p.Bin = static_cast<int>(vuzOrdProp(page, index == 0 ? "Bin" : "BinOtherPages", DMBIN_AUTO));
  p.Duplex = s_.Duplex != dmNone ? s_.Duplex : static_cast<int>(vuzOrdProp(page, "Duplex", dmNone));
  return p;
}

void TfrxPrintRun::Run() {
  host_.SetTerminated(false);
  host_.ProgressStart(report::ptPrinting, 0);
  printer_.Title = s_.Title;
  const bool join = s_.PrintMode == pmkJoin;
  if (s_.Collate) {
    for (int copy = 1; copy <= s_.Copies && !aborted_; ++copy) {
      if (join)
        Join(1, copy);
      else if (!PageLoop(copy, 1))
        break;
      // Every copy starts on a sheet of its own.
      if (duplexSide_ && !aborted_) BlankBackPage();
      if (host_.Terminated()) break;
    }
  } else if (join) {
    Join(s_.Copies, 1);
  } else {
    PageLoop(1, s_.Copies);
  }
  if (started_ && !aborted_) printer_.EndDoc();
  host_.ProgressStop(report::ptPrinting, 0);
}

void TfrxPrintRun::BlankBackPage() {
  printer_.BeginPage();
  printer_.EndPage();
  duplexSide_ = false;
}

void TfrxPrintRun::AbortDocument() {
  printer_.Abort();
  aborted_ = true;
}

bool TfrxPrintRun::PageLoop(int copyNo, int requested) {
  const bool split = s_.PrintMode == pmkSplit;
  for (int k = 0; k < positions_; ++k) {
    const int position = s_.Reverse ? positions_ - 1 - k : k;
    if (!(split ? SplitStep(position, copyNo, requested) : SingleStep(position, copyNo, requested))) return false;
  }
  return true;
}

int TfrxPrintRun::TakePage(int position, int copyNo, TfrxComponent*& page) {
  const int p = vuzPositionToPage(list_, position, store_.GetCount());
  if (p < 0 || vuzSkippedByParity(s_.PrintPages, p)) return -1;
  if (host_.Terminated()) {
    AbortDocument();
    return -2;
  }
  page = store_.GetPage(p);
  if (!page) return -1;
  store_.CopyNo = copyNo;
  host_.PrintPage(page, copyNo);
  return p;
}

void TfrxPrintRun::PageDone(int index) {
  host_.Progress(report::ptPrinting, index + 1);
  printer_.EndPage();
  host_.ProcessMessages();
  started_ = true;
  store_.ClearPageCache();
}

bool TfrxPrintRun::SingleStep(int position, int copyNo, int requested) {
  TfrxComponent* page = nullptr;
  const int p = TakePage(position, copyNo, page);
  if (p == -2) return false;
  if (p < 0) return true;
  const PageParams pp = ParamsOf(page, p);
  if (pp.Duplex != lastDuplex_) duplexSide_ = false;
  lastDuplex_ = pp.Duplex;
  if (pp.Duplex == dmVertical || pp.Duplex == dmHorizontal) duplexSide_ = !duplexSide_;

  const SentParams now{pp.Paper, Whole(pp.Width), Whole(pp.Height), pp.Bin, pp.Orientation, pp.Duplex};
  const auto orientation = pp.Orientation ? poLandscape : poPortrait;
  long double sx = 1, sy = 1;
  if (s_.PrintMode == pmkScale) {
    if (!(started_ && now.Bin == last_.Bin && now.Orientation == last_.Orientation && now.Duplex == last_.Duplex)) {
      printer_.SetPrintParams(s_.PrintOnSheet, sheetWidth_, sheetHeight_, orientation, pp.Bin, pp.Duplex, requested);
      // The printer may have turned the sheet.
      sheetWidth_ = printer_.PaperWidth();
      sheetHeight_ = printer_.PaperHeight();
    }
    if (pp.Width > 0 && pp.Height > 0) {
      sx = sheetWidth_ / pp.Width;
      sy = sheetHeight_ / pp.Height;
    }
    store_.PrintScale = std::min(sx, sy);
  } else if (!(started_ && now == last_)) {
    printer_.SetPrintParams(pp.Paper, pp.Width, pp.Height, orientation, pp.Bin, pp.Duplex, requested);
  }
  if (!started_) printer_.BeginDoc();
  started_ = true;
  printer_.BeginPage();
  const long double dx = printer_.DPIX(), dy = printer_.DPIY();
  store_.DrawPage(p, printer_.PageCanvas(), dx / 96 * sx, dy / 96 * sy, -printer_.LeftMargin() * dx / kMmPerInch,
                  -printer_.TopMargin() * dy / kMmPerInch);
  last_ = now;
  PageDone(p);
  return true;
}

bool TfrxPrintRun::SplitStep(int position, int copyNo, int requested) {
  TfrxComponent* page = nullptr;
  const int p = TakePage(position, copyNo, page);
  if (p == -2) return false;
  if (p < 0) return true;
  const PageParams pp = ParamsOf(page, p);

  TfrxSheetGrid grid = vuzSplitGrid(pp.Width, pp.Height, sheetWidth_, sheetHeight_);
  // Sheets that meet repeat a strip of the overlap, and the printer's
  // unprintable margins are lost on each of them.
  long double acrossAllowance = grid.Across > 1 ? s_.Overlap + printer_.TopMargin() + printer_.BottomMargin() : 0.0L;
  long double downAllowance = grid.Down > 1 ? s_.Overlap + printer_.LeftMargin() + printer_.RightMargin() : 0.0L;
  if (grid.Landscape) std::swap(acrossAllowance, downAllowance);
  grid = vuzSplitGrid(pp.Width, pp.Height, sheetWidth_ - acrossAllowance, sheetHeight_ - downAllowance);
  const int orientation = grid.Landscape ? 1 : 0;

  if (!(started_ && orientation == last_.Orientation))
    printer_.SetPrintParams(s_.PrintOnSheet, sheetWidth_, sheetHeight_, grid.Landscape ? poLandscape : poPortrait,
                            pp.Bin, pp.Duplex, requested);
  if (!started_) printer_.BeginDoc();
  started_ = true;

  const long double dx = printer_.DPIX(), dy = printer_.DPIY();
  const long double sheetW = grid.Landscape ? sheetHeight_ : sheetWidth_;
  const long double sheetH = grid.Landscape ? sheetWidth_ : sheetHeight_;
  const long double W = dx / kMmPerInch * sheetW, H = dy / kMmPerInch * sheetH;
  const long double lm = printer_.LeftMargin() * dx / kMmPerInch, tm = printer_.TopMargin() * dy / kMmPerInch;
  const long double rm = printer_.RightMargin() * dx / kMmPerInch, bm = printer_.BottomMargin() * dy / kMmPerInch;
  const long double stripX = s_.Overlap * dx / kMmPerInch, stripY = s_.Overlap * dy / kMmPerInch;
  const int right = vuzRoundClamped(pp.Width * report::fr01cm * dx / 96 - rm) - 1;
  const int bottom = vuzRoundClamped(pp.Height * report::fr01cm * dy / 96 - bm) - 1;
  gfx::TCanvas& canvas = printer_.PageCanvas();

  long double y = 0, oy = -tm, topAllowance = 0;
  for (int row = 0; row < grid.Down; ++row) {
    long double x = 0, ox = -lm, leftAllowance = 0;
    for (int column = 0; column < grid.Across; ++column) {
      printer_.BeginPage();
      const int saved = canvas.SaveDC();
      try {
        // The strip a neighbour repeats is cut off again here.
        canvas.IntersectClipRect(
            gfx::TRect{vuzRoundClamped(lm + leftAllowance), vuzRoundClamped(tm + topAllowance), right, bottom});
        store_.DrawPage(p, canvas, dx / 96, dy / 96, ox, oy);
      } catch (...) {
        canvas.RestoreDC(saved);
        throw;
      }
      canvas.RestoreDC(saved);
      printer_.EndPage();
      leftAllowance = stripX;
      x += (W - lm - rm) - stripX;
      ox = -x;
    }
    topAllowance = stripY;
    y += (H - tm - bm) - stripY;
    oy = -y;
  }
  host_.Progress(report::ptPrinting, p + 1);
  host_.ProcessMessages();
  last_.Orientation = orientation;
  store_.ClearPageCache();
  return true;
}

void TfrxPrintRun::Join(int cellsPerPage, int copyNo) {
  const int count = store_.GetCount();
  if (count == 0) return;
  // The first page that prints fixes the cells.
  int first = -1;
  for (int i = 0; i < positions_ && first < 0; ++i) first = vuzPositionToPage(list_, i, count);
  if (first < 0) return;
  TfrxComponent* firstPage = store_.GetPage(first);
  if (!firstPage) return;
  const PageParams fp = ParamsOf(firstPage, 0);
  const TfrxSheetGrid grid = vuzJoinGrid(sheetWidth_, sheetHeight_, fp.Width, fp.Height);
  const auto orientation = grid.Landscape ? 1 : 0;
  if (!(started_ && orientation == last_.Orientation)) {
    printer_.SetPrintParams(s_.PrintOnSheet, sheetWidth_, sheetHeight_, grid.Landscape ? poLandscape : poPortrait,
                            fp.Bin, fp.Duplex, 1);
    last_.Orientation = orientation;
  }
  if (!started_) printer_.BeginDoc();
  started_ = true;
  const bool twoSided = fp.Duplex == dmVertical || fp.Duplex == dmHorizontal;

  const long double dx = printer_.DPIX(), dy = printer_.DPIY();
  const long double w = dx / kMmPerInch * fp.Width, h = dy / kMmPerInch * fp.Height;
  int position = 0, cellsLeft = 0, p = -1;
  // The next cell's page: the current one until its copies are placed.
  auto nextCell = [&]() -> int {
    while (cellsLeft == 0) {
      if (position >= positions_) return -1;
      p = vuzPositionToPage(list_, position++, count);
      if (p >= 0) cellsLeft = cellsPerPage;
    }
    --cellsLeft;
    return p;
  };
  bool more = true;
  while (more) {
    int lastDrawn = -1;
    long double oy = -printer_.TopMargin() * dy / kMmPerInch;
    bool begun = false;
    for (int row = 0; row < grid.Down && more; ++row) {
      long double ox = -printer_.LeftMargin() * dx / kMmPerInch;
      for (int column = 0; column < grid.Across; ++column) {
        const int index = nextCell();
        if (index < 0) {
          more = false;
          break;
        }
        if (!begun) printer_.BeginPage();
        begun = true;
        store_.CopyNo = copyNo + (cellsPerPage - 1 - cellsLeft);
        store_.DrawPage(index, printer_.PageCanvas(), dx / 96, dy / 96, ox, oy);
        lastDrawn = index;
        ox += w;
      }
      oy += h;
    }
    if (!begun) break;
    printer_.EndPage();
    if (twoSided) duplexSide_ = !duplexSide_;
    host_.Progress(report::ptPrinting, lastDrawn + 1);
    host_.ProcessMessages();
    store_.ClearPageCache();
    if (host_.Terminated()) {
      AbortDocument();
      return;
    }
  }
}

}  // namespace preview
