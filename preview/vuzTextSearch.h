// Text search over prepared pages: a page is drawn into a metafile and its
// text records are compared with the search text, one match at a time, so
// each continuation finds the next match on the page and then moves on.
#pragma once
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/gfx/metafile.h"
#include "platform/gfx/types.h"
#include "platform/rtl/strings.h"

namespace preview {

using rtl::AnsiString;

// A process has one text search at a time, shared by every preview.
struct TfrxSearchState {
  AnsiString Text;
  bool Found = false;
  gfx::TRect FoundRect;  // page pixels at zoom 1, from the page's corner
  int LastHit = -1;      // the record that matched last on the search page
  bool MatchCase = false;
};
TfrxSearchState& vuzSearchState();

// Whether a record's text holds the search text; without matchCase both
// are compared upper-cased by the 1251 rules.
bool vuzTextMatches(std::u16string_view recordText, const AnsiString& search, bool matchCase);

class TfrxPageTextSearch {
 public:
  // drawPage draws a page (0-based) at scale 1 from the canvas's corner.
  explicit TfrxPageTextSearch(std::function<void(int page, gfx::TCanvas& canvas)> drawPage);
  // Continues from searchPage: true with the state's FoundRect and LastHit
  // set and searchPage on the page of the match; false with searchPage at
  // pageCount when nothing more matches.
  bool Find(TfrxSearchState& state, int& searchPage, int pageCount);
  // Forgets the page drawn (after the pages were laid out again).
  void Invalidate() { recordsPage_ = -1; }
  int RecordsPage() const { return recordsPage_; }

 private:
  std::function<void(int, gfx::TCanvas&)> drawPage_;
  std::vector<gfx::TMetafileTextRecord> records_;
  int recordsPage_ = -1;
};

// Where a workspace scrolls so that a match is in view: the new positions,
// or the old ones when the match is visible already.
struct TfrxScrollTarget {
  int Horizontal, Vertical;
};
TfrxScrollTarget vuzScrollToMatch(const gfx::TRect& pageBounds, const gfx::TRect& foundRect, long double zoom,
                                  gfx::TPoint viewOffset, int clientWidth, int clientHeight);

// The found rectangle at a zoom, each edge rounded.
gfx::TRect vuzZoomRect(const gfx::TRect& r, long double zoom);

}  // namespace preview
