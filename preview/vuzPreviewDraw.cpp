// Page drawing and hit-testing of the prepared-pages store.
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/gfx/metafile.h"
#include "platform/rtl/textcase.h"
#include "preview/vuzLinks.h"
#include "preview/vuzPreviewObjects.h"
#include "preview/vuzPreviewPages.h"
#include "preview/vuzPrinter.h"

namespace preview {

using report::fr01cm;

namespace {

// Exchanges a mirrored page's side margins for as long as it lives.
class TfrxMirroredMargins {
 public:
  TfrxMirroredMargins(TfrxComponent* page, bool mirror) : page_(page), mirror_(mirror) {
    if (!mirror_) return;
    const TfrxPageMargins m = vuzPageMargins(page_);
    left_ = m.Left;
    right_ = m.Right;
    vuzSetLeftRightMargins(page_, right_, left_);
  }
  ~TfrxMirroredMargins() {
    if (mirror_) vuzSetLeftRightMargins(page_, left_, right_);
  }
  TfrxMirroredMargins(const TfrxMirroredMargins&) = delete;
  TfrxMirroredMargins& operator=(const TfrxMirroredMargins&) = delete;

 private:
  TfrxComponent* page_;
  bool mirror_;
  long double left_ = 0, right_ = 0;
};

// Puts the canvas's clip region back as it was (none when it had none).
class TfrxSavedClip {
 public:
  explicit TfrxSavedClip(gfx::TCanvas* canvas) : canvas_(canvas) {
    if (canvas_) had_ = canvas_->GetClipRegion(region_);
  }
  ~TfrxSavedClip() {
    if (canvas_) canvas_->SelectClipRegion(had_ ? &region_ : nullptr);
  }
  TfrxSavedClip(const TfrxSavedClip&) = delete;
  TfrxSavedClip& operator=(const TfrxSavedClip&) = delete;

 private:
  gfx::TCanvas* canvas_;
  gfx::TRegion region_;
  bool had_ = false;
};

}  // namespace

void TfrxPreviewPages::DrawPage(int index, gfx::TCanvas& canvas, long double sx, long double sy, long double ox,
                                long double oy) {
  TfrxComponent* page = GetPage(index);
  if (!page) return;
  TfrxMirroredMargins mirrored(page, vuzMirrorMargins(page) && index % 2 == 1);
  const bool printing = dynamic_cast<TfrxPrinterCanvas*>(&canvas) != nullptr;
  TfrxSavedClip clip(printing ? nullptr : &canvas);
  if (!printing)
    canvas.IntersectClipRect(gfx::TRect{
        vuzRoundClamped(ox), vuzRoundClamped(oy),
        vuzRoundClamped(vuzFloatPropOf(page, "PaperWidth", page->Width() / fr01cm) * fr01cm * sx + ox) - 1,
        vuzRoundClamped(vuzFloatPropOf(page, "PaperHeight", page->Height() / fr01cm) * fr01cm * sy + oy) - 1});
  page->SetIsPrinting(printing);
  if (vuzObjectHooks().DrawPageBackground) vuzObjectHooks().DrawPageBackground(page, canvas, sx, sy, ox, oy);
  const TfrxPageMargins m = vuzPageMargins(page);
  DrawObjects(page, canvas, printing, sx, sy, ox + m.Left * fr01cm * sx, oy + m.Top * fr01cm * sy);
  page->SetIsPrinting(false);
}

void TfrxPreviewPages::DrawObjects(TfrxComponent* page, gfx::TCanvas& canvas, bool printing, long double sx,
                                   long double sy, long double ox, long double oy) {
  const bool everything = dynamic_cast<gfx::TMetafileCanvas*>(&canvas) != nullptr;
  const std::vector<TfrxComponent*> objects = page->GetAllObjects();
  for (TfrxComponent* object : objects) {
    auto* view = dynamic_cast<report::TfrxReportComponent*>(object);
    if (!view || !object->IsA("TfrxView")) continue;
    if (!everything) {
      const TfrxDeviceRect r = vuzDeviceRect(object, sx, sy, ox, oy, 20);
      if (!canvas.RectVisible(gfx::TRect{r.Left, r.Top, r.Right, r.Bottom})) continue;
    }
    if (printing && !vuzIsPrintable(object)) continue;
    object->SetIsPrinting(true);
    if (object->IsA("TfrxCustomMemoView")) {
      vuzSetMemoPrintValues(object, GetCount(), CopyNo);
      vuzSetMemoPrintScale(object, PrintScale);
    }
    try {
      view->Draw(canvas, sx, sy, ox, oy);
    } catch (...) {
      object->SetIsPrinting(false);
      throw;
    }
    object->SetIsPrinting(false);
  }
}

bool TfrxPreviewPages::ObjectOver(int index, int x, int y, int button, unsigned shift, long double scale,
                                  long double ox, long double oy, bool click, int& cursor, bool doubleClick) {
  if (index < 0 || index >= GetCount() || (Engine && Engine->Running)) return false;
  TfrxComponent* page = GetPage(index);
  if (!page) return false;
  const TfrxPageMargins m = vuzPageMargins(page);
  ox += (vuzMirrorMargins(page) && index % 2 == 1 ? m.Right : m.Left) * fr01cm * scale;
  oy += m.Top * fr01cm * scale;
  host_->SetProgressMessage(AnsiString(), false);
  host_->SetProgressMessage(AnsiString(), true);

  TfrxComponent* drill = nullptr;
  bool found = false;
  const std::vector<TfrxComponent*> objects = page->GetAllObjects();
  for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
    TfrxComponent* c = *it;
    const TfrxDeviceRect r = vuzDeviceRect(c, scale, scale, ox, oy, 0);
    const bool inside = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
    if (c->IsA("TfrxGroupHeader") && inside && vuzOrdProp(c, "DrillDown", 0) != 0) drill = c;
    if (!c->IsA("TfrxView")) continue;
    if (!inside) {
      if (vuzShowHintOf(c) && host_->HasPreview() && host_->PreviewShowHint()) host_->SetPreviewShowHint(false);
      continue;
    }
    found = true;
    TfrxComponent* parent = c->Parent();
    if (parent && parent->IsA("TfrxGroupHeader") && vuzOrdProp(parent, "DrillDown", 0) != 0) drill = parent;
    const int viewCursor = vuzCursorOf(c);
    if (viewCursor != 0) cursor = viewCursor;
    const AnsiString url = vuzURLOf(c);
    if (!url.empty()) {
      host_->SetProgressMessage(url, false);
      if (viewCursor == 0) cursor = -21;
    }
    const AnsiString hint = vuzHintOf(c);
    if (!hint.empty() && vuzShowHintOf(c) && host_->HasPreview() && host_->PreviewUseReportHints()) {
      const std::size_t bar = hint.find('|');
      host_->SetProgressMessage(bar == AnsiString::npos ? hint : hint.substr(bar + 1), true);
      host_->SetPreviewHint(bar == AnsiString::npos ? hint : hint.substr(0, bar));
      host_->SetPreviewShowHint(true);
    }
    if (click && !drill) {
      const TfrxLinkTarget link = vuzClassifyLink(url);
      switch (link.Kind) {
        case TfrxLinkKind::PageNumber: host_->PreviewSetPageNo(link.Page); break;
        case TfrxLinkKind::Anchor:
          if (const TfrxXMLItem* anchor = FindAnchor(link.Anchor))
            host_->PreviewSetPosition(vuzIntProp(anchor, "page") + 1, vuzIntProp(anchor, "top"));
          break;
        case TfrxLinkKind::External: host_->OpenExternal(link.Target); break;
        case TfrxLinkKind::None: break;
      }
      bool modified = false;
      host_->PreviewClick(c, button, shift, modified, doubleClick);
      if (modified) {
        ModifyPage(index, page);  // frees the built page: nothing below uses it
        host_->PreviewInvalidate();
      }
    } else {
      host_->MouseOverObject(c);
    }
    break;
  }

  if (drill) {
    cursor = -21;
    const AnsiString name = vuzStrPropOf(drill, "DrillName");
    if (click && button == 0) {
      if (rtl::TStrings* state = host_->DrillState()) {
        const int at = state->IndexOf(name);
        if (at >= 0)
          state->Delete(at);
        else
          state->Add(name);
      }
      host_->PreviewRefreshReport();
    }
  }
  return found;
}

}  // namespace preview
