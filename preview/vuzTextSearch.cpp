#include "preview/vuzTextSearch.h"

#include "platform/rtl/textcase.h"
#include "preview/vuzPreviewObjects.h"

namespace preview {

TfrxSearchState& vuzSearchState() {
  static TfrxSearchState state;
  return state;
}

bool vuzTextMatches(std::u16string_view recordText, const AnsiString& search, bool matchCase) {
  const AnsiString text = rtl::WideToAnsi(recordText);
  if (matchCase) return text.find(search) != AnsiString::npos;
  return rtl::AnsiUpperCase(text).find(rtl::AnsiUpperCase(search)) != AnsiString::npos;
}

namespace {
// A metafile canvas that keeps only what the search reads: text (and the
// state text depends on). Frames, fills and pictures are left out, which
// makes a page's metafile a fraction of its size and time.
class TfrxTextOnlyCanvas : public gfx::TMetafileCanvas {
 public:
  using gfx::TMetafileCanvas::TMetafileCanvas;
  void LineTo(int x, int y) override { gfx::TCanvas::MoveTo(x, y); }
  void Polyline(const gfx::TPoint*, std::size_t) override {}
  void Polygon(const gfx::TPoint*, std::size_t) override {}
  void PolyBezier(const gfx::TPoint*, std::size_t) override {}
  void Rectangle(int, int, int, int) override {}
  void RoundRect(int, int, int, int, int, int) override {}
  void Ellipse(int, int, int, int) override {}
  void Arc(int, int, int, int, int, int, int, int) override {}
  void Pie(int, int, int, int, int, int, int, int) override {}
  void Chord(int, int, int, int, int, int, int, int) override {}
  void FillRect(const gfx::TRect&) override {}
  void FrameRect(const gfx::TRect&) override {}
  void FillRegion(const gfx::TRegion&) override {}
  void DrawBitmap(const gfx::TRect&, const gfx::TBitmap&, const gfx::TRect&, gfx::TCopyMode) override {}
  void SetPixel(int, int, gfx::TColor) override {}
};
}  // namespace

TfrxPageTextSearch::TfrxPageTextSearch(std::function<void(int, gfx::TCanvas&)> drawPage)
    : drawPage_(std::move(drawPage)) {}

bool TfrxPageTextSearch::Find(TfrxSearchState& state, int& searchPage, int pageCount) {
  state.Found = false;
  while (searchPage < pageCount) {
    if (recordsPage_ != searchPage) {
      gfx::TMetafile metafile;
      {
        TfrxTextOnlyCanvas canvas(metafile);
        drawPage_(searchPage, canvas);
      }
      records_ = metafile.TextRecords();
      recordsPage_ = searchPage;
    }
    for (const gfx::TMetafileTextRecord& r : records_) {
      if (r.recordIndex <= state.LastHit) continue;
      if (!state.Text.empty() && vuzTextMatches(r.text, state.Text, state.MatchCase)) {
        state.Found = true;
        state.FoundRect = r.bounds;
        state.LastHit = r.recordIndex;
        return true;
      }
    }
    state.LastHit = -1;
    ++searchPage;
  }
  return false;
}

gfx::TRect vuzZoomRect(const gfx::TRect& r, long double zoom) {
  return {vuzRoundClamped(r.Left * zoom), vuzRoundClamped(r.Top * zoom), vuzRoundClamped(r.Right * zoom),
          vuzRoundClamped(r.Bottom * zoom)};
}

TfrxScrollTarget vuzScrollToMatch(const gfx::TRect& page, const gfx::TRect& found, long double zoom, gfx::TPoint view,
                                  int clientWidth, int clientHeight) {
  const gfx::TRect r = vuzZoomRect(found, zoom);
  TfrxScrollTarget t{view.X, view.Y};
  if (page.Top + r.Top < view.Y || page.Top + r.Bottom > view.Y + clientHeight)
    t.Vertical = page.Top + r.Bottom - clientHeight + 20;
  if (page.Left + r.Left < view.X || page.Left + r.Right > view.X + clientWidth)
    t.Horizontal = page.Left + r.Right - clientWidth + 20;
  return t;
}

}  // namespace preview
