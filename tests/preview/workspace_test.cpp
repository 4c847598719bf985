// The preview's page layout, scrolling, text search and the decisions of
// the preview control (page number, zoom, keys, wheel, build display).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/rtl/strings.h"
#include "preview/vuzPageList.h"
#include "preview/vuzPreviewModel.h"
#include "preview/vuzTextSearch.h"

namespace preview_test {

using preview::TfrxPageList;
using rtl::operator""_cp;

namespace {
TfrxPageList Pages(std::vector<std::pair<int, int>> sizes, int clientWidth, long double zoom = 1) {
  TfrxPageList list;
  for (auto [w, h] : sizes) list.AddPage(w, h, zoom);
  list.CalcBounds(clientWidth);
  return list;
}
}  // namespace

TEST(PageList, RowsAreCentredWithGaps) {
  // Three 100-pixel pages in 400: row 330 with its gap, shift 50.
  TfrxPageList three = Pages({{100, 50}, {100, 80}, {100, 50}}, 400);
  EXPECT_EQ(three.GetItems(0).X, 50);
  EXPECT_EQ(three.GetItems(1).X, 160);
  EXPECT_EQ(three.GetItems(2).X, 270);
  EXPECT_EQ(three.GetItems(2).Y, 10);
  // The height is the last box's bottom.
  EXPECT_EQ(three.GetMaxBounds(), (gfx::TPoint{330, 60}));
  // A page wider than the client sits alone at x 10; the next row starts
  // below the tallest box of the row before.
  TfrxPageList wide = Pages({{500, 100}, {100, 40}, {100, 40}}, 400);
  EXPECT_EQ(wide.GetItems(0).X, 10);
  EXPECT_EQ(wide.GetItems(1).Y, 120);
  EXPECT_EQ(wide.GetItems(2).Y, 120);
  EXPECT_EQ(wide.GetMaxBounds(), (gfx::TPoint{510, 160}));
  // Zoom scales each box, rounded.
  TfrxPageList zoomed = Pages({{794, 1123}}, 2000, 0.5);
  EXPECT_EQ(zoomed.GetItems(0).Width, 397);
  EXPECT_EQ(zoomed.GetItems(0).Height, 562);
  EXPECT_EQ(TfrxPageList().GetMaxBounds(), (gfx::TPoint{0, 0}));
}

TEST(PageList, FindPageAndBounds) {
  // Ten pages one per row: tops 10, 120, 230, ...
  std::vector<std::pair<int, int>> sizes(10, {100, 100});
  TfrxPageList list = Pages(sizes, 150);
  struct Case {
    int y, x, page;
  } cases[] = {{0, 0, 0},    {5, 0, 0},    {-30, 0, -1}, {99, 0, 0},    {100, 0, 1},  {120, 0, 1},
               {1100, 0, 9}, {115, 30, 0}, {125, 30, 1}, {125, 500, 1}, {5000, 0, 9}, {0, 30, -1}};
  // y 100 is within a fifth of page 2's height (20) of its top (120).
  for (const Case& c : cases) EXPECT_EQ(list.FindPage(c.y, c.x), c.page) << c.y << "," << c.x;
  EXPECT_EQ(TfrxPageList().FindPage(10), -1);
  const gfx::TRect b = list.GetPageBounds(1, 150, false, 1);
  EXPECT_EQ(b.Left, list.GetItems(1).X);
  EXPECT_EQ(b.Top, 120);
  EXPECT_EQ(list.GetPageBounds(1, 150, true, 1).Left, 150 - 100 - list.GetItems(1).X);
  // No page yet: an A4 box at the zoom.
  const gfx::TRect a4 = TfrxPageList().GetPageBounds(0, 1000, false, 1);
  EXPECT_EQ(a4.Left, 103);
  EXPECT_EQ(a4.Bottom - a4.Top, 1123);
  EXPECT_EQ(TfrxPageList().GetPageBounds(0, 500, false, 1).Left, 10);
}

TEST(ScrollAxis, ClampsAndReportsChanges) {
  preview::TfrxScrollAxis axis;
  axis.SetRange(1000);
  axis.SetPage(300);
  EXPECT_TRUE(axis.SetPosition(5000));
  EXPECT_EQ(axis.Position(), 700);
  EXPECT_FALSE(axis.SetPosition(700));  // unchanged: no change reported
  EXPECT_TRUE(axis.Scroll(preview::TfrxScrollAxis::PageUp, 8, 300));
  EXPECT_EQ(axis.Position(), 400);
  EXPECT_TRUE(axis.Scroll(preview::TfrxScrollAxis::LineDown, 8, 300));
  EXPECT_EQ(axis.Position(), 408);
  EXPECT_TRUE(axis.Scroll(preview::TfrxScrollAxis::Top, 8, 300));
  EXPECT_EQ(axis.Position(), 0);
  EXPECT_FALSE(axis.Scroll(preview::TfrxScrollAxis::LineUp, 8, 300));
  EXPECT_TRUE(axis.Scroll(preview::TfrxScrollAxis::Bottom, 8, 300));
  EXPECT_EQ(axis.Position(), 700);
  EXPECT_FALSE(axis.Scroll(preview::TfrxScrollAxis::EndScroll, 8, 300));
  axis.SetPage(2000);
  EXPECT_EQ(axis.BarRange(), 0);
  EXPECT_TRUE(axis.SetPosition(10));
  EXPECT_EQ(axis.Position(), 0);
}

TEST(TextSearch, MatchesContinueAndMoveOn) {
  // Page 0 holds "alpha" twice, page 1 none, page 2 "ALPHABET".
  const std::vector<std::vector<std::string>> pages = {{"alpha", "beta", "alpha"}, {"gamma"}, {"ALPHABET"}};
  int draws = 0;
  preview::TfrxPageTextSearch search([&](int page, gfx::TCanvas& canvas) {
    ++draws;
    int y = 10;
    for (const std::string& text : pages[static_cast<std::size_t>(page)]) {
      canvas.TextOutW(20, y, rtl::AnsiToWide(text));
      y += 30;
    }
  });
  preview::TfrxSearchState state;
  state.Text = "alpha";
  int page = 0;
  ASSERT_TRUE(search.Find(state, page, 3));
  EXPECT_EQ(page, 0);
  const int first = state.LastHit;
  const gfx::TRect firstRect = state.FoundRect;
  ASSERT_TRUE(search.Find(state, page, 3));
  EXPECT_EQ(page, 0);
  EXPECT_GT(state.LastHit, first);
  EXPECT_GT(state.FoundRect.Top, firstRect.Top);
  ASSERT_TRUE(search.Find(state, page, 3));
  EXPECT_EQ(page, 2);  // case ignored: inside a longer word
  EXPECT_FALSE(search.Find(state, page, 3));
  EXPECT_EQ(page, 3);
  EXPECT_FALSE(state.Found);
  EXPECT_EQ(draws, 3);  // each page drawn once

  state = {};
  state.Text = "alpha";
  state.MatchCase = true;
  page = 2;
  EXPECT_FALSE(search.Find(state, page, 3));
}

TEST(TextSearch, CyrillicIgnoresCaseByCodePage) {
  EXPECT_TRUE(preview::vuzTextMatches(u"Температура печи", "ПЕЧИ"_cp, false));
  EXPECT_FALSE(preview::vuzTextMatches(u"Температура печи", "ПЕЧИ"_cp, true));
  EXPECT_TRUE(preview::vuzTextMatches(u"Температура печи", "печи"_cp, true));
}

TEST(TextSearch, ScrollsOnlyWhenTheMatchIsOutOfView) {
  const gfx::TRect page{10, 10, 410, 610};
  // Visible: nothing moves.
  auto t = preview::vuzScrollToMatch(page, {20, 20, 60, 30}, 1, {0, 0}, 500, 400);
  EXPECT_EQ(t.Vertical, 0);
  EXPECT_EQ(t.Horizontal, 0);
  // Below the view: its bottom lands 20 pixels above the view's bottom edge.
  t = preview::vuzScrollToMatch(page, {20, 500, 60, 520}, 1, {0, 0}, 500, 400);
  EXPECT_EQ(t.Vertical, 10 + 520 - 400 + 20);
  // Zoom scales the rectangle first.
  t = preview::vuzScrollToMatch(page, {20, 500, 60, 520}, 0.5, {0, 0}, 500, 400);
  EXPECT_EQ(t.Vertical, 0);
}

TEST(PreviewModel, PageNumbersAndZoomLimits) {
  struct Case {
    int pageNo, count, result;
  } cases[] = {{0, 5, 1}, {-3, 5, 1}, {15, 5, 5}, {3, 5, 3}, {1, 0, 0}};
  for (const Case& c : cases) EXPECT_EQ(preview::vuzClampPageNo(c.pageNo, c.count), c.result);
  // With 5 pages, deleting page 4 leaves 3; deleting page 5 leaves 4.
  EXPECT_EQ(preview::vuzPageNoAfterDelete(4, 4), 3);
  EXPECT_EQ(preview::vuzPageNoAfterDelete(5, 4), 4);
  EXPECT_EQ(preview::vuzPageNoAfterDelete(2, 4), 2);
  EXPECT_EQ(preview::vuzPageNoAfterDelete(1, 0), 0);
  EXPECT_EQ(preview::vuzClampZoom(0.1L), 0.25L);
  EXPECT_EQ(preview::vuzClampZoom(3), 3);
}

TEST(PreviewModel, ZoomModes) {
  // An A4 page (794 x 1123) in a wide, low window: the height decides.
  const preview::TfrxZoomRoom wide{1200, 600, 1200, 600, 17};
  EXPECT_NEAR(static_cast<double>(preview::vuzZoomForMode(report::zmWholePage, 1, 794, 1123, wide)),
              (600.0 - 26) / 1123, 1e-12);
  // A narrow, tall one: the width does.
  const preview::TfrxZoomRoom tall{400, 1200, 400, 1200, 17};
  EXPECT_NEAR(static_cast<double>(preview::vuzZoomForMode(report::zmWholePage, 1, 794, 1123, tall)),
              (400.0 - 17 - 26) / 794, 1e-12);
  EXPECT_NEAR(static_cast<double>(preview::vuzZoomForMode(report::zmPageWidth, 1, 794, 1123, wide)),
              (1200.0 - 17 - 26) / 794, 1e-12);
  EXPECT_EQ(preview::vuzZoomForMode(report::zmDefault, 1.5L, 794, 1123, wide), 1.5L);
  EXPECT_EQ(preview::vuzZoomForMode(report::zmManyPages, 1.5L, 794, 1123, wide), 1.5L);
  EXPECT_EQ(preview::vuzZoomForMode(report::zmPageWidth, 1.5L, 794, 0, wide), 1.5L);
}

TEST(PreviewModel, MouseWheel) {
  EXPECT_NEAR(static_cast<double>(preview::vuzWheel(-120, false, true, 0.35L).NewZoom), 0.3, 1e-12);
  EXPECT_NEAR(static_cast<double>(preview::vuzWheel(-120, false, true, 0.3L).NewZoom), 0.3, 1e-12);
  EXPECT_NEAR(static_cast<double>(preview::vuzWheel(120, false, true, 1).NewZoom), 1.1, 1e-12);
  EXPECT_EQ(preview::vuzWheel(120, false, false, 1).ScrollY, -20);
  EXPECT_EQ(preview::vuzWheel(-120, true, false, 1).ScrollX, 20);
  EXPECT_FALSE(preview::vuzWheel(0, false, true, 1).Zoom);
}

TEST(PreviewModel, KeyTable) {
  using K = preview::TfrxPreviewKey;
  const report::TfrxPreviewButtons all = report::kDefaultPreviewButtons;
  const report::TfrxPreviewButtons none = 0;
  struct Case {
    int key;
    bool ctrl;
    report::TfrxPreviewButtons buttons;
    K action;
    int dx, dy;
  } cases[] = {
      {38, false, all, K::Scroll, 0, -8},  {40, false, all, K::Scroll, 0, 8},    {37, false, all, K::Scroll, -8, 0},
      {39, false, all, K::Scroll, 8, 0},   {33, true, all, K::PriorPage, 0, 0},  {33, false, all, K::Scroll, 0, -300},
      {34, true, all, K::NextPage, 0, 0},  {34, false, all, K::Scroll, 0, 300},  {36, false, all, K::FirstPage, 0, 0},
      {35, false, all, K::LastPage, 0, 0}, {114, false, all, K::FindNext, 0, 0}, {114, false, none, K::None, 0, 0},
      {'P', true, all, K::Print, 0, 0},    {'P', false, all, K::None, 0, 0},     {'P', true, none, K::None, 0, 0},
      {'S', true, all, K::Save, 0, 0},     {'F', true, all, K::Find, 0, 0},      {'O', true, all, K::Load, 0, 0},
      {'X', true, all, K::None, 0, 0}};
  for (const Case& c : cases) {
    const preview::TfrxKeyStep s = preview::vuzPreviewKey(c.key, c.ctrl, c.buttons);
    EXPECT_EQ(s.Action, c.action) << c.key << (c.ctrl ? " ctrl" : "");
    EXPECT_EQ(s.ScrollX, c.dx) << c.key;
    EXPECT_EQ(s.ScrollY, c.dy) << c.key;
  }
  for (K refused : {K::Print, K::Save, K::Load}) EXPECT_TRUE(preview::vuzRefusedWhileBuilding(refused));
  EXPECT_FALSE(preview::vuzRefusedWhileBuilding(K::NextPage));
}

// A 60-page build: the first 50 pages appear one by one, later ones only
// refresh the numbers every interval, which the first page's speed chose.
TEST(PreviewModel, IncrementalDisplayOfASixtyPageBuild) {
  struct Case {
    std::uint32_t firstPageMs;
    int interval;
  } cases[] = {{3, 50}, {7, 20}, {40, 5}};
  for (const Case& c : cases) {
    std::uint32_t now = 1000;
    preview::TfrxBuildDisplay display([&] { return now; });
    int added = 0, numbers = 0, layouts = 0;
    for (int p = 0; p < 60; ++p) {
      if (p == 1) now += c.firstPageMs;
      const auto step = display.Progress(p, true);
      added += step.AddPage;
      numbers += step.UpdateNumbers;
      layouts += step.UpdatePages;
    }
    EXPECT_EQ(display.Interval(), c.interval);
    EXPECT_EQ(added, 50);
    EXPECT_EQ(layouts, 2);
    int expected = 0;
    for (int p = 2; p < 60; ++p) expected += p % c.interval == 0;
    EXPECT_EQ(numbers, expected) << c.firstPageMs;
  }
  // In a first pass of a two-pass report nothing is laid out.
  preview::TfrxBuildDisplay display([] { return 0u; });
  EXPECT_FALSE(display.Progress(0, false).AddPage);
  EXPECT_FALSE(display.Progress(0, false).UpdatePages);
}

}  // namespace preview_test
