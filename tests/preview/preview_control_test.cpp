// The preview control without a window, over the store of the tests: page
// number and zoom, layout, keys, painting, search across pages, deleting
// pages and the actions refused while a report is built.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/gfx/recording_canvas.h"
#include "preview/vuzPreviewControl.h"
#include "preview/vuzPreviewObjects.h"
#include "report/vuzRes.h"
#include "store_fixture.h"

namespace preview_test {

namespace {

class TestView : public preview::TfrxPreviewView {
 public:
  int WorkspaceWidth() const override { return width; }
  int WorkspaceHeight() const override { return height; }
  int ThumbnailWidth() const override { return 120; }
  int ThumbnailHeight() const override { return height; }
  void Repaint() override { ++repaints; }
  void StateChanged() override { ++changes; }
  void ErrorMessage(const AnsiString& text) override { messages.push_back(text); }
  bool AskSearch(AnsiString& text, bool& fromTop, bool& matchCase) override {
    if (!answer) return false;
    text = searchText;
    fromTop = true;
    matchCase = false;
    return true;
  }
  bool AskPageSettings(report::TfrxComponent* page, bool& applyToAll) override {
    ++pageSettingsAsked;
    if (!pageSettings) return false;
    pageSettings(page);
    applyToAll = false;
    return true;
  }
  void OutlineChanged() override { ++outlineChanges; }
  int width = 1000, height = 700, repaints = 0, changes = 0, pageSettingsAsked = 0, outlineChanges = 0;
  std::function<void(report::TfrxComponent*)> pageSettings;
  bool answer = true;
  AnsiString searchText;
  std::vector<AnsiString> messages;
};

struct PreviewFixture {
  explicit PreviewFixture(int pages) : preview(view) {
    f.store->AddPageAction = report::apAdd;
    f.store->AddSourcePage(t.page.get());
    for (int p = 0; p < pages; ++p) {
      t.title->Text = "Page" + std::to_string(p + 1);
      f.store->AddPage(t.page.get());
      f.store->AddObject(t.header);
    }
    f.store->Finish();
    preview.PreviewPages = f.store.get();
    preview.Init();
  }
  StoreFixture f;
  TemplatePage t;
  TestView view;
  preview::TfrxPreview preview;
};

}  // namespace

TEST(PreviewControl, PageNumbersAndDeleting) {
  PreviewFixture p(5);
  EXPECT_EQ(p.preview.PageNo(), 1);
  struct Case {
    int set, shown;
  } cases[] = {{0, 1}, {-3, 1}, {15, 5}, {3, 3}};
  for (const Case& c : cases) {
    p.preview.SetPageNo(c.set);
    EXPECT_EQ(p.preview.PageNo(), c.shown) << c.set;
  }
  // Going to a page scrolls its top 10 pixels below the view's top.
  const gfx::TRect third = p.preview.MainWorkspace().Pages.GetPageBounds(2, 1000, false, 1);
  EXPECT_EQ(p.preview.MainWorkspace().Vert.Position(), third.Top - 10);
  p.preview.SetPageNo(4);
  p.preview.DeletePage();
  EXPECT_EQ(p.preview.PageCount(), 4);
  EXPECT_EQ(p.preview.PageNo(), 3);
  p.preview.SetPageNo(4);
  p.preview.DeletePage();
  EXPECT_EQ(p.preview.PageNo(), 3);
  EXPECT_EQ(p.preview.MainWorkspace().Pages.Count(), 3);
}

TEST(PreviewControl, ZoomLimitsModesAndScrollSync) {
  PreviewFixture p(3);
  p.preview.SetZoomMode(report::zmPageWidth);
  const int width = static_cast<int>(p.f.store->GetPageSize(0).X);
  EXPECT_NEAR(static_cast<double>(p.preview.Zoom()), (1000.0 - 17 - 26) / static_cast<double>(width), 1e-9);
  p.preview.SetZoom(0.1L);
  EXPECT_EQ(p.preview.Zoom(), 0.25L);
  EXPECT_EQ(p.preview.ZoomMode(), report::zmDefault);
  p.preview.MouseWheel(120, false, true);
  EXPECT_NEAR(static_cast<double>(p.preview.Zoom()), 0.35, 1e-12);
  // Scrolling the view makes the page at its top current.
  p.preview.SetZoom(1);
  const gfx::TRect second = p.preview.MainWorkspace().Pages.GetPageBounds(1, 1000, false, 1);
  p.preview.ScrollTo(0, second.Top);
  EXPECT_EQ(p.preview.PageNo(), 2);
  p.preview.KeyDown(36, false);  // Home
  EXPECT_EQ(p.preview.PageNo(), 1);
  p.preview.KeyDown(34, true);  // Ctrl+Page Down
  EXPECT_EQ(p.preview.PageNo(), 2);
  p.preview.KeyDown(35, false);  // End
  EXPECT_EQ(p.preview.PageNo(), 3);
}

TEST(PreviewControl, PaintsThePagesAroundTheView) {
  PreviewFixture p(3);
  gfx::TRecordingCanvas canvas;
  DrawLog().clear();
  p.preview.PaintPages(canvas);
  // The pages in view are drawn, each with its title.
  std::vector<std::string> titles;
  for (const auto& t : canvas.Texts()) titles.push_back(rtl::WideToAnsi(t));
  ASSERT_FALSE(titles.empty());
  EXPECT_EQ(titles.front(), "Page1");
  // The thumbnails show every page with its number.
  gfx::TRecordingCanvas thumbs;
  p.preview.SetThumbnailVisible(true);
  p.preview.PaintThumbnails(thumbs);
  std::vector<std::string> numbers;
  for (const auto& t : thumbs.Texts()) numbers.push_back(rtl::WideToAnsi(t));
  EXPECT_NE(std::find(numbers.begin(), numbers.end(), " 3 "), numbers.end());
}

TEST(PreviewControl, SearchWalksThePagesAndF3Continues) {
  PreviewFixture p(4);
  EXPECT_TRUE(p.preview.FindText("page3", true, false));
  EXPECT_EQ(p.preview.SearchPage(), 2);
  // The match is highlighted where the page is painted.
  gfx::TRecordingCanvas canvas;
  p.preview.PaintPages(canvas);
  EXPECT_FALSE(canvas.CallsOf(gfx::TCanvasOp::LineTo).empty());
  // F3 continues; nothing more matches.
  p.preview.KeyDown(114, false);
  EXPECT_FALSE(p.preview.FindTextFound());
  ASSERT_EQ(p.view.messages.size(), 1u);
  EXPECT_EQ(p.view.messages[0], report::vuzResources().Get("clStrNotFound"));
  // After a zoom change F3 waits for a new search.
  p.preview.SetZoom(2);
  p.preview.KeyDown(114, false);
  EXPECT_EQ(p.view.messages.size(), 1u);
  // A cancelled search dialog still arms F3, which repeats the last search.
  p.view.answer = false;
  p.preview.Find();
  p.preview.KeyDown(114, false);
  EXPECT_EQ(p.view.messages.size(), 2u);
}

TEST(PreviewControl, ActionsWaitForTheBuild) {
  PreviewFixture p(2);
  report::TfrxReport* none = nullptr;
  p.preview.InternalOnProgressStart(none, report::ptRunning, 0);
  EXPECT_TRUE(p.preview.Building());
  EXPECT_FALSE(p.preview.Print());
  p.preview.DeletePage();
  EXPECT_EQ(p.preview.PageCount(), 0);  // the build cleared the pages; nothing else touched them
  p.preview.InternalOnProgressStop(none, report::ptRunning, 0);
  EXPECT_FALSE(p.preview.Building());
}

// The page settings change the current prepared page only; a cancelled
// dialog and a running build change nothing.
TEST(PreviewControl, PageSetupChangesTheCurrentPage) {
  PreviewFixture p(3);
  const report::TfrxPoint before = p.f.store->GetPageSize(0);
  p.view.pageSettings = [](report::TfrxComponent* page) { preview::vuzSetFloatProp(page, "PaperWidth", 100); };
  p.preview.SetPageNo(2);
  p.preview.PageSetupDlg();
  EXPECT_EQ(p.view.pageSettingsAsked, 1);
  p.f.store->ClearPageCache();
  EXPECT_NEAR(static_cast<double>(p.f.store->GetPageSize(1).X), 100 * report::fr01cm, 1);
  EXPECT_EQ(p.f.store->GetPageSize(0).X, before.X);
  EXPECT_EQ(p.f.store->GetPageSize(2).X, before.X);
  // The layout follows the narrower page.
  EXPECT_LT(p.preview.MainWorkspace().Pages.GetItems(1).Width, p.preview.MainWorkspace().Pages.GetItems(0).Width);

  p.view.pageSettings = nullptr;  // cancelled
  p.preview.SetPageNo(3);
  p.preview.PageSetupDlg();
  p.f.store->ClearPageCache();
  EXPECT_EQ(p.f.store->GetPageSize(2).X, before.X);

  p.preview.InternalOnProgressStart(nullptr, report::ptRunning, 0);
  p.preview.PageSetupDlg();
  EXPECT_EQ(p.view.pageSettingsAsked, 2);  // not asked while building
}

// The outline as a tree: entries with their pages (1-based) and places,
// children under their entry; the window is told after every layout from
// scratch.
TEST(PreviewControl, OutlineTree) {
  PreviewFixture p(3);
  const int changes = p.view.outlineChanges;
  report::TfrxCustomOutline& o = *p.f.store->Outline();
  o.LevelRoot();
  p.f.store->CurPage = 0;
  o.AddItem("Day 1", 0);
  p.f.store->CurPage = 1;
  o.AddItem("Hour 1", 40);
  o.LevelRoot();
  p.f.store->CurPage = 2;
  o.AddItem("Day 2", 120);
  const std::vector<preview::TfrxOutlineNode> tree = p.preview.OutlineTree();
  ASSERT_EQ(tree.size(), 2u);
  EXPECT_EQ(tree[0].Text, "Day 1");
  EXPECT_EQ(tree[0].PageNo, 1);
  ASSERT_EQ(tree[0].Children.size(), 1u);
  EXPECT_EQ(tree[0].Children[0].Text, "Hour 1");
  EXPECT_EQ(tree[0].Children[0].PageNo, 2);
  EXPECT_EQ(tree[0].Children[0].Top, 40);
  EXPECT_EQ(tree[1].PageNo, 3);
  EXPECT_EQ(tree[1].Top, 120);
  p.preview.OutlineClick(tree[1]);
  EXPECT_EQ(p.preview.PageNo(), 3);
  p.preview.Init();
  EXPECT_GT(p.view.outlineChanges, changes);
}

}  // namespace preview_test
