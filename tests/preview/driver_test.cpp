// The export driver, page drawing and hit-testing of the prepared-pages store.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/recording_canvas.h"
#include "platform/rtl/format.h"
#include "platform/rtl/streams.h"
#include "preview/vuzPreviewPages.h"
#include "preview/vuzPrinter.h"
#include "report/vuzRes.h"
#include "store_fixture.h"

namespace preview_test {

namespace {

// Logs every call of the driver; can refuse Start, throw in an object, or
// ask the report to stop after a given object.
class RecordingFilter : public report::TfrxCustomExportFilter {
 public:
  RecordingFilter() { ShowDialog = false; }
  int ShowModal() override {
    log.push_back("ShowModal");
    return modalResult;
  }
  bool Start() override {
    log.push_back("Start");
    return startResult;
  }
  void StartPage(TfrxComponent*, int index) override { log.push_back("StartPage " + std::to_string(index)); }
  void ExportObject(TfrxComponent* object) override {
    log.push_back("  " + object->Name());
    if (object->Name() == failOn) throw rtl::Exception("disk full");
    if (object->Name() == stopAfter && host) host->SetTerminated(true);
    if (object->Name() == "_pagebackground") backgroundLeft.push_back(object->Left());
  }
  void FinishPage(TfrxComponent*, int index) override { log.push_back("FinishPage " + std::to_string(index)); }
  void Finish() override { log.push_back("Finish"); }

  std::vector<std::string> log;
  std::vector<long double> backgroundLeft;
  int modalResult = 1;
  bool startResult = true;
  AnsiString failOn, stopAfter;
  RecordingHost* host = nullptr;
};

// n pages of header (Memo1), two data rows (Memo2, Memo3 each) and the footer.
void Build(StoreFixture& f, TemplatePage& t, int pages) {
  f.store->AddPageAction = report::apAdd;
  f.store->AddSourcePage(t.page.get());
  for (int p = 0; p < pages; ++p) {
    f.store->AddPage(t.page.get());
    f.store->AddObject(t.header);
    f.store->AddObject(t.data);
    f.store->AddObject(t.footer);
  }
  f.store->Finish();
  f.host->log.clear();
}

std::vector<std::string> Pages(const std::vector<std::string>& log) {
  std::vector<std::string> v;
  for (const auto& line : log)
    if (line.rfind("StartPage", 0) == 0) v.push_back(line.substr(10));
  return v;
}

}  // namespace

TEST(ExportDriver, CallOrder) {
  StoreFixture f;
  TemplatePage t;
  Build(f, t, 2);
  RecordingFilter filter;
  EXPECT_TRUE(f.store->Export(&filter));
  const std::vector<std::string> expected = {"Start",         "StartPage 0",   "  _pagebackground", "  PageHeader1",
                                             "  Memo1",       "  MasterData1", "  Memo2",           "  Memo3",
                                             "  PageFooter1", "FinishPage 0",  "StartPage 1",       "  _pagebackground",
                                             "  PageHeader1", "  Memo1",       "  MasterData1",     "  Memo2",
                                             "  Memo3",       "  PageFooter1", "FinishPage 1",      "Finish"};
  EXPECT_EQ(filter.log, expected);
  EXPECT_EQ(filter.Report, nullptr);
  EXPECT_NE(filter.CreationTime, 0);
  EXPECT_TRUE(f.store->CachedPageIndices().empty());  // no preview: no page kept
}

TEST(ExportDriver, PageRanges) {
  struct Case {
    const char* numbers;
    bool curPage, preview;
    int previewPage;
    std::vector<std::string> pages;
  } cases[] = {
      {"", false, false, 0, {"0", "1", "2", "3", "4"}},
      {"3,1", false, false, 0, {"0", "2"}},
      {"2-3, 9", false, false, 0, {"1", "2"}},
      {"4-", false, false, 0, {"3", "4"}},
      {"", true, true, 4, {"3"}},
      {"", true, false, 4, {"0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.numbers);
    StoreFixture f;
    TemplatePage t;
    Build(f, t, 5);
    f.host->hasPreview = c.preview;
    f.store->CurPreviewPage = c.previewPage;
    RecordingFilter filter;
    filter.PageNumbers = c.numbers;
    filter.CurPage = c.curPage;
    EXPECT_TRUE(f.store->Export(&filter));
    EXPECT_EQ(Pages(filter.log), c.pages);
  }
}

TEST(ExportDriver, RefusalsAndFailures) {
  struct Case {
    const char* what;
    int modal;
    bool showDialog, start;
    const char* numbers;
    const char* failOn;
    bool result;
    std::vector<std::string> head;  // the first calls
    bool errorReported;
  } cases[] = {
      {"dialog cancelled", 2, true, true, "", "", false, {"ShowModal"}, false},
      {"start refused", 1, true, false, "", "", false, {"ShowModal", "Start"}, false},
      {"bad page range", 1, false, true, "1,x", "", false, {}, true},
      {"object fails", 1, false, true, "", "Memo2", false, {"Start", "StartPage 0"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StoreFixture f;
    TemplatePage t;
    Build(f, t, 2);
    RecordingFilter filter;
    filter.modalResult = c.modal;
    filter.ShowDialog = c.showDialog;
    filter.startResult = c.start;
    filter.PageNumbers = c.numbers;
    filter.failOn = c.failOn;
    EXPECT_EQ(f.store->Export(&filter), c.result);
    ASSERT_GE(filter.log.size(), c.head.size());
    EXPECT_TRUE(std::equal(c.head.begin(), c.head.end(), filter.log.begin()));
    const bool reported = !f.host->log.empty() && f.host->log.back().rfind("error: ", 0) == 0;
    EXPECT_EQ(reported, c.errorReported);
    if (reported) {
      EXPECT_NE(f.host->log.back().find("\r\n"), std::string::npos);
    }
  }
  // A failing object still closes its page and the export.
  StoreFixture f;
  TemplatePage t;
  Build(f, t, 2);
  RecordingFilter filter;
  filter.failOn = "Memo2";
  EXPECT_FALSE(f.store->Export(&filter));
  const std::vector<std::string> tail = {"  Memo2", "FinishPage 0", "Finish"};
  EXPECT_TRUE(std::equal(tail.rbegin(), tail.rend(), filter.log.rbegin()));
  EXPECT_EQ(f.host->errors.Text(), "disk full\r\n");
  EXPECT_FALSE(f.store->Export(nullptr));
}

TEST(ExportDriver, StopAfterAnObjectEndsQuietly) {
  StoreFixture f;
  TemplatePage t;
  Build(f, t, 3);
  RecordingFilter filter;
  filter.host = f.host;
  int pagesSeen = 0;
  f.host->onProcessMessages = [&] {
    if (++pagesSeen == 1) filter.stopAfter = "_pagebackground";  // the first object of page 2
  };
  f.host->terminated = true;  // cleared when the export starts
  EXPECT_TRUE(f.store->Export(&filter));
  const std::vector<std::string> tail = {"StartPage 1", "  _pagebackground", "FinishPage 1", "Finish"};
  EXPECT_TRUE(std::equal(tail.rbegin(), tail.rend(), filter.log.rbegin()));
  EXPECT_TRUE(f.host->log.empty() || f.host->log.back().rfind("error", 0) != 0);
}

TEST(ExportDriver, SuppressedHeadersFootersAndDataOnly) {
  struct Case {
    const char* what;
    bool suppress, dataOnly;
    const char* numbers;
    int headers, footers, memos, backgrounds;
  } cases[] = {
      {"all", false, false, "", 5, 5, 15, 5},
      {"suppressed", true, false, "", 1, 1, 11, 5},
      {"suppressed, pages 1-2", true, false, "1-2", 1, 0, 5, 2},
      {"data only", false, true, "", 0, 0, 10, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StoreFixture f;
    TemplatePage t;
    Build(f, t, 5);
    RecordingFilter filter;
    filter.SuppressPageHeadersFooters = c.suppress;
    filter.DataOnly = c.dataOnly;
    filter.PageNumbers = c.numbers;
    EXPECT_TRUE(f.store->Export(&filter));
    auto count = [&](const std::string& name) { return std::count(filter.log.begin(), filter.log.end(), "  " + name); };
    EXPECT_EQ(count("PageHeader1"), c.headers);
    EXPECT_EQ(count("PageFooter1"), c.footers);
    EXPECT_EQ(count("Memo1") + count("Memo2") + count("Memo3"), c.memos);
    EXPECT_EQ(count("_pagebackground"), c.backgrounds);
  }
}

TEST(ExportDriver, MirrorMarginsAndPreparedTextObjects) {
  StoreFixture f;
  TemplatePage t;
  t.page->MirrorMargins = true;
  t.page->LeftMargin = 20;
  t.page->RightMargin = 10;
  Build(f, t, 2);
  f.host->hasPreview = true;
  RecordingFilter filter;
  ASSERT_TRUE(f.store->Export(&filter));
  ASSERT_EQ(filter.backgroundLeft.size(), 2u);
  EXPECT_EQ(filter.backgroundLeft[0], 20 * report::fr01cm);
  EXPECT_EQ(filter.backgroundLeft[1], 10 * report::fr01cm);
  TfrxComponent* page = f.store->GetPage(1);  // kept by the preview, position back at 0
  EXPECT_EQ(page->Left(), 0);
  auto* memo = dynamic_cast<TestMemo*>(page->Objects()[0]->Objects()[0]);
  EXPECT_EQ(memo->TotalPages, 2);
  EXPECT_EQ(memo->CopyNo, 1);
  EXPECT_EQ(memo->Extracted, 1);
  EXPECT_EQ(f.store->CopyNo, 0);
}

// ---------------------------------------------------------------- drawing

TEST(DrawPage, MirrorMarginsOffsetsAndTextValues) {
  StoreFixture f;
  TemplatePage t;
  t.page->MirrorMargins = true;
  t.page->LeftMargin = 20;
  t.page->RightMargin = 10;
  Build(f, t, 2);
  f.store->CopyNo = 2;
  gfx::TRecordingCanvas canvas;
  struct Case {
    int index;
    int left;  // device x of the header's memo (margin + 10 px)
  } cases[] = {{0, static_cast<int>(rtl::Round(20 * report::fr01cm + 10))},
               {1, static_cast<int>(rtl::Round(10 * report::fr01cm + 10))}};
  for (const Case& c : cases) {
    DrawLog().clear();
    f.store->DrawPage(c.index, canvas, 1, 1, 0, 0);
    ASSERT_GE(DrawLog().size(), 2u);
    EXPECT_EQ(DrawLog()[0], "page 0 0");
    // Views draw with the margin-shifted offsets; their own position is theirs.
    EXPECT_EQ(DrawLog()[1].substr(0, 6), "Memo1 ");
    const int ox = std::stoi(DrawLog()[1].substr(6));
    EXPECT_EQ(ox + 10, c.left) << c.index;
    EXPECT_NE(DrawLog()[1].find("total=2 copy=2"), std::string::npos);
  }
  auto* page = dynamic_cast<TestPage*>(f.store->GetPage(1));
  EXPECT_EQ(page->LeftMargin, 20);  // restored
  EXPECT_EQ(page->RightMargin, 10);
  gfx::TRegion none;
  EXPECT_FALSE(canvas.GetClipRegion(none));  // the canvas gets its state back
}

TEST(DrawPage, CullingAndNonPrintableViews) {
  StoreFixture f;
  TemplatePage t;
  t.page->LeftMargin = 0;
  t.page->TopMargin = 0;
  t.cell2->Printable = false;
  Build(f, t, 1);
  gfx::TRecordingCanvas canvas;
  // A clip around the data row (y 44..60): the header memo at y 5..25 is
  // within its 20 units of slack and still drawn, the footer far below is not.
  canvas.IntersectClipRect(gfx::TRect{0, 44, 800, 60});
  DrawLog().clear();
  f.store->DrawPage(0, canvas, 1, 1, 0, 0);
  std::vector<std::string> names;
  for (const auto& line : DrawLog()) names.push_back(line.substr(0, line.find(' ')));
  EXPECT_EQ(names, (std::vector<std::string>{"page", "Memo1", "Memo2", "Memo3"}));
  canvas.SelectClipRegion(nullptr);
  canvas.IntersectClipRect(gfx::TRect{0, 200, 800, 300});
  DrawLog().clear();
  f.store->DrawPage(0, canvas, 1, 1, 0, 0);
  EXPECT_EQ(DrawLog().size(), 1u);  // only the page background

  // On a printer canvas views that do not print are left out.
  rtl::TMemoryStream pdf;
  preview::TfrxPrinterCanvas printer(nullptr, pdf, 96, 96);
  DrawLog().clear();
  f.store->DrawPage(0, printer, 1, 1, 0, 0);
  names.clear();
  for (const auto& line : DrawLog()) names.push_back(line.substr(0, line.find(' ')));
  EXPECT_EQ(std::count(names.begin(), names.end(), "Memo3"), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), "Memo2"), 1);
  f.store->DrawPage(7, canvas, 1, 1, 0, 0);  // no such page: nothing
}

// ---------------------------------------------------------------- hit-testing

TEST(ObjectOver, Cases) {
  struct Case {
    const char* what;
    const char* url;
    int cursor;
    bool click;
    bool drill;
    std::vector<std::string> log;
    int cursorOut;
    const char* status;
  } cases[] = {
      {"move over a page link", "@3", 0, false, false, {"over Memo2"}, -21, "@3"},
      {"click on a page link", "@3", 0, true, false, {"page 3", "click Memo2"}, -21, "@3"},
      {"@ and no number is ignored", "@x1", 0, true, false, {"click Memo2"}, -21, "@x1"},
      {"anchor, any case, the last of a name",
       "#TOTAL",
       0,
       true,
       false,
       {"position 2 77", "click Memo2"},
       -21,
       "#TOTAL"},
      {"missing anchor", "#none", 0, true, false, {"click Memo2"}, -21, "#none"},
      {"web address",
       "https://example.org/a",
       0,
       true,
       false,
       {"open https://example.org/a", "click Memo2"},
       -21,
       "https://example.org/a"},
      {"program path refused", "/bin/sh", 0, true, false, {"click Memo2"}, -21, "/bin/sh"},
      {"own cursor", "", 150, false, false, {"over Memo2"}, 150, ""},
      {"drill-down group", "@3", 0, true, true, {"refresh-report"}, -21, "@3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StoreFixture f;
    TemplatePage t;
    t.page->LeftMargin = 0;
    t.page->TopMargin = 0;
    auto* group = new TestGroupHeader(t.page.get());
    group->SetName("GroupHeader1");
    group->SetBounds(0, 100, 700, 20);
    group->DrillDown = true;
    group->DrillName = "g1";
    t.cell1->URL = c.url;
    t.cell1->Cursor = c.cursor;
    f.store->AddPageAction = report::apAdd;
    f.store->AddSourcePage(t.page.get());
    f.store->AddPage(t.page.get());
    f.store->AddObject(t.header);
    f.store->AddObject(t.data);
    f.store->AddPage(t.page.get());
    f.store->AddObject(group);
    f.engine.CurY = 50;
    f.store->AddAnchor("total");
    f.engine.CurY = 77;
    f.store->AddAnchor("Total");
    f.store->Finish();
    f.host->log.clear();
    int cursor = 0;
    // The data row's first cell is at x 0..100, y 40..60 on page 0; the
    // group header on page 1 at y 100..120.
    const bool over = c.drill ? f.store->ObjectOver(1, 50, 110, 0, 0, 1, 0, 0, c.click, cursor, false)
                              : f.store->ObjectOver(0, 50, 50, 0, 0, 1, 0, 0, c.click, cursor, false);
    EXPECT_EQ(f.host->log, c.log);
    EXPECT_EQ(cursor, c.cursorOut);
    if (!c.drill) {
      EXPECT_TRUE(over);
      EXPECT_EQ(f.host->statusText, c.status);
    } else {
      EXPECT_EQ(f.host->drill.Text(), "g1\r\n");
    }
  }
}

TEST(ObjectOver, HintsMissesAndRewrittenPages) {
  StoreFixture f;
  TemplatePage t;
  t.page->LeftMargin = 0;
  t.page->TopMargin = 0;
  t.cell1->Hint = "short|the long text";
  t.cell1->ShowHint = true;
  Build(f, t, 1);
  f.host->hasPreview = true;
  int cursor = 0;
  EXPECT_TRUE(f.store->ObjectOver(0, 50, 50, 0, 0, 1, 0, 0, false, cursor, false));
  EXPECT_EQ(f.host->hintText, "the long text");
  EXPECT_EQ(f.host->previewHint, "short");
  EXPECT_TRUE(f.host->previewShowHint);
  // Away from it the hint goes off; nothing is under the mouse.
  EXPECT_FALSE(f.store->ObjectOver(0, 700, 900, 0, 0, 1, 0, 0, false, cursor, false));
  EXPECT_FALSE(f.host->previewShowHint);
  // Scaled and offset like the preview draws it.
  EXPECT_TRUE(f.store->ObjectOver(0, 100 + 2 * 50, 10 + 2 * 50, 0, 0, 2, 100, 10, false, cursor, false));
  // A click handler that changes the page has it written back whole.
  f.host->modifyOnClick = true;
  f.store->ObjectOver(0, 50, 50, 0, 0, 1, 0, 0, true, cursor, true);
  EXPECT_EQ(f.host->log.back(), "invalidate");
  EXPECT_EQ(f.store->Tree().Page(0)->Name, "TestPage");
  EXPECT_FALSE(f.store->ObjectOver(3, 50, 50, 0, 0, 1, 0, 0, false, cursor, false));
  f.engine.Running = true;
  EXPECT_FALSE(f.store->ObjectOver(0, 50, 50, 0, 0, 1, 0, 0, false, cursor, false));
}

TEST(PreviewPagesPrint, WithoutAPrinterSaysSo) {
  StoreFixture f;
  TemplatePage t;
  Build(f, t, 1);
  if (preview::vuzPrinters().HasPhysicalPrinters()) GTEST_SKIP() << "a printer is installed";
  EXPECT_FALSE(f.store->Print());
  ASSERT_FALSE(f.host->log.empty());
  EXPECT_EQ(f.host->log.back(), "message: " + report::vuzResources().Get("clNoPrinters"));
}

}  // namespace preview_test
