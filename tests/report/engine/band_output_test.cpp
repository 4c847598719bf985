// Band output on the real prepared-pages store: what fits, how objects grow
// and shift, splitting, keep blocks, page headers and footers, new pages,
// suppressed values, columns, subreports, vertical bands and endless pages,
// read back from the pages the store rebuilds.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassShape.h"
#include "report/vuzEngine.h"

namespace engine_test {

namespace {

using report::TfrxMemoView;

rtl::Variant V(int v) { return rtl::Variant(v); }
rtl::Variant V(const char* utf8) { return rtl::Variant(rtl::Utf8ToWide(utf8)); }

std::vector<TableDataSet::Row> Numbers(int n) {
  std::vector<TableDataSet::Row> rows;
  for (int i = 1; i <= n; ++i) rows.push_back({V(i)});
  return rows;
}

// An object of a prepared page as the store rebuilds it.
struct Placed {
  std::string cls, name;
  long double left = 0, top = 0, width = 0, height = 0;
  std::string text;  // memos only, UTF-8, lines joined by CR LF
  std::vector<Placed> kids;
  long double Bottom() const { return top + height; }
};

Placed Read(report::TfrxComponent* c) {
  Placed p;
  p.cls = rtl::AnsiToUtf8(c->ClassName());
  p.name = rtl::AnsiToUtf8(c->Name());
  p.left = c->Left();
  p.top = c->Top();
  p.width = c->Width();
  p.height = c->Height();
  if (auto* memo = dynamic_cast<report::TfrxCustomMemoView*>(c)) {
    p.text = rtl::WideToUtf8(memo->Text());
    if (p.text.size() >= 2 && p.text.compare(p.text.size() - 2, 2, "\r\n") == 0) p.text.resize(p.text.size() - 2);
  }
  for (report::TfrxComponent* k : c->Objects()) p.kids.push_back(Read(k));
  return p;
}

// The bands of one prepared page, in the order they were added.
std::vector<Placed> Bands(preview::TfrxPreviewPages& store, int page) {
  std::vector<Placed> out;
  report::TfrxComponent* p = store.GetPage(page);
  if (!p) return out;
  for (report::TfrxComponent* c : p->Objects()) out.push_back(Read(c));
  return out;
}

std::vector<Placed> Named(const std::vector<Placed>& list, const std::string& name) {
  std::vector<Placed> out;
  for (const Placed& p : list)
    if (p.name == name) out.push_back(p);
  return out;
}

// The text of the named memo in each band of that name on a page.
std::vector<std::string> Texts(preview::TfrxPreviewPages& store, int page, const std::string& band,
                               const std::string& memo) {
  std::vector<std::string> out;
  for (const Placed& b : Named(Bands(store, page), band))
    for (const Placed& m : b.kids)
      if (m.name == memo) out.push_back(m.text);
  return out;
}

const Placed* Kid(const Placed& band, const std::string& name) {
  for (const Placed& k : band.kids)
    if (k.name == name) return &k;
  return nullptr;
}

// The printable height of a page as the engine computes it.
long double Printable(report::TfrxReportPage* page) {
  return (page->PaperHeight() - page->TopMargin() - page->BottomMargin()) * report::fr01cm;
}

std::string Lines(int from, int to) {
  std::string s;
  for (int i = from; i <= to; ++i) s += (i > from ? "\r\n" : "") + std::string("line ") + std::to_string(i);
  return s;
}

MemoSetup Stretching() {
  MemoSetup s;
  s.stretch = report::smActualHeight;
  return s;
}

}  // namespace

// ---------------------------------------------------------------- the fit rule

struct FitCase {
  const char* what;
  long double freeBelowHeader;  // space left under the page header
  int columns;                  // page columns
  int rowsOnFirstColumn;
  int pages;
};

class ExactFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(ExactFit, ABandAsTallAsTheFreeSpaceFitsAndOnePixelMoreDoesNot) {
  const FitCase& c = GetParam();
  EngineScope scope;
  ReportBuilder b;
  PageSetup spec;
  spec.columns = c.columns;
  auto* page = b.AddPage(spec);
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(3));
  // Three rows of 50 fill 150 exactly: the header takes the rest.
  b.AddBand<report::TfrxPageHeader>(page, 0, Printable(page) - c.freeBelowHeader, "Head");
  auto* data = b.AddDataBand(page, 2000, 50, rows, "Data");
  b.AddMemo(data, 0, 0, 50, 20, "[Rows.\"N\"]", {}, "N");
  const long double printable = Printable(page);
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), c.pages) << c.what;
  const std::vector<Placed> first = Named(Bands(b.Store(), 0), "Data");
  int inFirstColumn = 0;
  for (const Placed& p : first)
    if (p.left < 1) ++inFirstColumn;
  EXPECT_EQ(inFirstColumn, c.rowsOnFirstColumn) << c.what;
  if (c.columns > 1 && c.rowsOnFirstColumn < 3) {
    // The row that did not fit opens the second column under the header.
    ASSERT_EQ(first.size(), 3u);
    EXPECT_GT(first.back().left, 100);
    EXPECT_NEAR(static_cast<double>(first.back().top), static_cast<double>(printable - c.freeBelowHeader), 0.001);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, ExactFit,
                         ::testing::Values(FitCase{"exactly the free space", 150, 0, 3, 1},
                                           FitCase{"one pixel short", 149, 0, 2, 2},
                                           FitCase{"one pixel short, two page columns", 149, 2, 2, 1},
                                           FitCase{"exact fit in two page columns", 150, 2, 3, 1}));

// ---------------------------------------------------------------- growing and shifting

TEST(BandOutput, GrowingMemoShiftsObjectsByTheirShiftModes) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(1));
  auto* data = b.AddDataBand(page, 0, 500, rows, "Data");
  b.AddMemo(data, 0, 0, 200, 20, "aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk llll mmmm nnnn", Stretching(),
            "Grow");
  MemoSetup always, dont, overlapped;
  dont.shift = report::smDontShift;
  overlapped.shift = report::smWhenOverlapped;
  b.AddMemo(data, 0, 30, 30, 10, "A", always, "Always");
  b.AddMemo(data, 40, 30, 30, 10, "B", dont, "DontShift");
  b.AddMemo(data, 80, 30, 30, 10, "C", overlapped, "Overlapped");
  b.AddMemo(data, 120, 300, 30, 10, "D", overlapped, "NotOverlapped");
  // Under the object that stays: it still follows the memo's growth.
  b.AddMemo(data, 40, 50, 30, 10, "E", always, "UnderDontShift");
  // Under the object that moved down to the memo's bottom, not overlapped.
  b.AddMemo(data, 80, 400, 30, 10, "F", overlapped, "UnderOverlapped");
  // Tops just above the band's own order as numbers (-0.9 before -0.5; as
  // texts they came the other way round and the object stayed under the
  // grown memo).
  b.AddMemo(data, 300, -0.9L, 100, 0.4L, "oooo pppp qqqq rrrr ssss", Stretching(), "HighMemo");
  b.AddMemo(data, 300, -0.5L, 100, 10, "K", always, "UnderHighMemo");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  const std::vector<Placed> bands = Named(Bands(b.Store(), 0), "Data");
  ASSERT_EQ(bands.size(), 1u);
  const Placed& band = bands[0];
  const long double growth = Kid(band, "Grow")->height - 20;
  ASSERT_GT(growth, 15);  // the memo grew past the objects under it
  EXPECT_NEAR(static_cast<double>(Kid(band, "Always")->top), static_cast<double>(30 + growth), 0.001);
  EXPECT_EQ(Kid(band, "DontShift")->top, 30);
  EXPECT_NEAR(static_cast<double>(Kid(band, "Overlapped")->top), static_cast<double>(20 + growth), 0.001);
  EXPECT_EQ(Kid(band, "NotOverlapped")->top, 300);
  EXPECT_NEAR(static_cast<double>(Kid(band, "UnderDontShift")->top), static_cast<double>(50 + growth), 0.001);
  EXPECT_EQ(Kid(band, "UnderOverlapped")->top, 400);
  const long double highGrowth = Kid(band, "HighMemo")->height - 0.4L;
  ASSERT_GT(highGrowth, 10);
  EXPECT_NEAR(static_cast<double>(Kid(band, "UnderHighMemo")->top), static_cast<double>(-0.5L + highGrowth), 0.001);
}

// Under two memos that both grew, an object moves by the larger growth: it
// used to move by their sum, doubling the gap.
TEST(BandOutput, ObjectUnderTwoGrownMemosMovesByTheLargerGrowth) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(1));
  auto* data = b.AddDataBand(page, 0, 300, rows, "Data");
  b.AddMemo(data, 0, 0, 100, 20, "aaaa bbbb cccc dddd eeee ffff", Stretching(), "Left");
  b.AddMemo(data, 110, 0, 100, 20, "aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj", Stretching(), "Right");
  b.AddMemo(data, 0, 30, 210, 10, "wide", {}, "Wide");
  MemoSetup overlapped;
  overlapped.shift = report::smWhenOverlapped;
  b.AddMemo(data, 0, 50, 210, 10, "below", overlapped, "Below");
  b.AddMemo(data, 0, 200, 210, 10, "far", overlapped, "Far");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  const Placed band = Named(Bands(b.Store(), 0), "Data")[0];
  const long double left = Kid(band, "Left")->height - 20, right = Kid(band, "Right")->height - 20;
  ASSERT_GT(left, 0);
  ASSERT_GT(right, left);
  EXPECT_NEAR(static_cast<double>(Kid(band, "Wide")->top), static_cast<double>(30 + right), 0.001);
  // Overlapped by the moved object above it, the next one goes under it;
  // one further down stays.
  EXPECT_EQ(Kid(band, "Below")->top, Kid(band, "Wide")->Bottom());
  EXPECT_EQ(Kid(band, "Far")->top, 200);
}

TEST(BandOutput, StretchedBandTakesTheHeightOfItsObjectsAndMaxHeightMemosReachTheBottom) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(2));
  auto* data = b.AddDataBand(page, 0, 30, rows, "Data");
  data->SetStretched(true);
  b.AddMemo(data, 0, 0, 100, 20, "aaaa bbbb cccc dddd eeee ffff gggg hhhh", Stretching(), "Grow");
  MemoSetup max;
  max.stretch = report::smMaxHeight;
  b.AddMemo(data, 200, 5, 100, 10, "side", max, "Side");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  const std::vector<Placed> bands = Named(Bands(b.Store(), 0), "Data");
  ASSERT_EQ(bands.size(), 2u);
  const long double h = Kid(bands[0], "Grow")->height;
  EXPECT_GT(h, 30);
  EXPECT_EQ(bands[0].height, h);
  EXPECT_EQ(Kid(bands[0], "Side")->height, h - 5);
  // The next row starts under the grown one.
  EXPECT_EQ(bands[1].top, bands[0].top + h);
}

// ---------------------------------------------------------------- splitting

TEST(BandOutput, SplitBandPrintsATallMemoOverThreePagesWithTheObjectsUnderItAfterTheLastPart) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(1));
  auto* data = b.AddDataBand(page, 0, 60, rows, "Data");
  data->SetAllowSplit(true);
  data->SetStretched(true);
  b.AddMemo(data, 0, 0, 300, 20, Lines(1, 160), Stretching(), "Long");
  b.AddMemo(data, 0, 30, 150, 20, "under", {}, "Under");
  auto* bottom = b.AddMemo(data, 200, 40, 100, 20, "bottom", {}, "Bottom");
  bottom->SetAlign(report::baBottom);
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 3);
  std::string all;
  for (int p = 0; p < 3; ++p) {
    const std::vector<Placed> parts = Named(Bands(b.Store(), p), "Data");
    ASSERT_EQ(parts.size(), 1u) << "page " << p;
    const Placed* memo = Kid(parts[0], "Long");
    ASSERT_NE(memo, nullptr) << "page " << p;
    all += (p ? "\r\n" : "") + memo->text;
    if (p < 2) {
      EXPECT_EQ(Kid(parts[0], "Under"), nullptr);
      EXPECT_EQ(Kid(parts[0], "Bottom"), nullptr);
    }
  }
  EXPECT_EQ(all, Lines(1, 160));  // nothing lost or repeated
  const Placed last = Named(Bands(b.Store(), 2), "Data")[0];
  const Placed* memo = Kid(last, "Long");
  const Placed* under = Kid(last, "Under");
  const Placed* bottomPart = Kid(last, "Bottom");
  ASSERT_NE(under, nullptr);
  ASSERT_NE(bottomPart, nullptr);
  EXPECT_EQ(memo->top, 0);
  EXPECT_NEAR(static_cast<double>(under->top), static_cast<double>(memo->Bottom() + 10), 0.001);
  EXPECT_NEAR(static_cast<double>(bottomPart->Bottom()), static_cast<double>(last.height), 0.001);
}

struct SplitStuckCase {
  const char* what;
  bool stretchable;
};

class SplitThatCannotFit : public ::testing::TestWithParam<SplitStuckCase> {};

// An object whose first part fits on no page at all goes out in one piece
// on the fresh page instead of asking for new pages for ever.
TEST_P(SplitThatCannotFit, GoesOutAnywayOnTheFreshPage) {
  const SplitStuckCase& c = GetParam();
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(1));
  b.AddBand<report::TfrxPageHeader>(page, 0, 500, "Head");
  auto* data = b.AddDataBand(page, 600, 60, rows, "Data");
  data->SetAllowSplit(true);
  data->SetStretched(true);
  if (c.stretchable) {
    // One line of this font is taller than the whole page.
    auto* memo = b.AddMemo(data, 0, 0, 700, 20, "W\r\nW", Stretching(), "Big");
    memo->Font()->SetSize(900);
  } else {
    // Taller than the space under the header, not than the page.
    auto* shape = new report::TfrxShapeView(data);
    shape->SetName("Big");
    shape->SetBounds(0, 0, 100, 700);
  }
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  int pieces = 0, parts = 0;
  for (int p = 0; p < b.Store().GetCount(); ++p)
    for (const Placed& band : Named(Bands(b.Store(), p), "Data")) {
      ++parts;
      if (Kid(band, "Big")) ++pieces;
    }
  EXPECT_EQ(pieces, 1) << c.what;
  // The first page had room for nothing: it holds no empty part of the band.
  EXPECT_EQ(parts, 1) << c.what;
  EXPECT_TRUE(Named(Bands(b.Store(), 0), "Data").empty()) << c.what;
  EXPECT_LE(b.Store().GetCount(), 2) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Objects, SplitThatCannotFit,
                         ::testing::Values(SplitStuckCase{"text taller than a page", true},
                                           SplitStuckCase{"fixed object under a tall header", false}));

TEST(BandOutput, TallTitleSplitsOverPagesWithThePageHeaderOnEach) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  page->SetTitleBeforeHeader(false);
  auto* title = b.AddBand<report::TfrxReportTitle>(page, 0, 30, "Title");
  title->SetAllowSplit(true);
  title->SetStretched(true);
  b.AddMemo(title, 0, 0, 300, 20, Lines(1, 100), Stretching(), "Long");
  b.AddBand<report::TfrxPageHeader>(page, 100, 30, "Head");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 2);
  std::string all;
  for (int p = 0; p < 2; ++p) {
    const std::vector<Placed> bands = Bands(b.Store(), p);
    EXPECT_EQ(Named(bands, "Head").size(), 1u) << p;
    ASSERT_EQ(Named(bands, "Title").size(), 1u) << p;
    all += (p ? "\r\n" : "") + Kid(Named(bands, "Title")[0], "Long")->text;
  }
  EXPECT_EQ(all, Lines(1, 100));
}

struct TooTallCase {
  const char* what;
  long double pageHeader;   // height of the page header
  long double groupHeader;  // height of a group header printed on every page
};

class HeaderTallerThanItsPage : public ::testing::TestWithParam<TooTallCase> {};

// A band every page repeats that cannot fit under the page's other headers
// is placed as it is instead of asking for new pages that repeat it again.
TEST_P(HeaderTallerThanItsPage, IsPlacedAsItIsOnEveryPage) {
  const TooTallCase& c = GetParam();
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(3));
  auto* head = b.AddBand<report::TfrxPageHeader>(page, 0, c.pageHeader, "Head");
  b.AddMemo(head, 0, 0, 100, c.pageHeader, "head", {}, "HeadText");
  auto* group = b.AddGroupHeader(page, 1500, c.groupHeader, "1", "GroupHead");
  group->SetReprintOnNewPage(true);
  b.AddMemo(group, 0, 0, 100, c.groupHeader, "group", {}, "GroupText");
  b.AddDataBand(page, 1600, 20, rows, "Data");
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  const int pages = b.Store().GetCount();
  EXPECT_GE(pages, 2) << c.what;
  EXPECT_LE(pages, 5) << c.what;  // at worst one row a page
  int rowCount = 0;
  for (int p = 0; p < pages; ++p) {
    EXPECT_EQ(Named(Bands(b.Store(), p), "Head").size(), 1u) << c.what << " page " << p;
    rowCount += static_cast<int>(Named(Bands(b.Store(), p), "Data").size());
  }
  EXPECT_EQ(rowCount, 3) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Bands, HeaderTallerThanItsPage,
                         ::testing::Values(TooTallCase{"page header taller than the page", 1200, 20},
                                           TooTallCase{"group header under a tall page header", 600, 600}));

TEST(BandOutput, HeaderWithReprintOnNewPageStartsEachPageOfItsRows) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(60));
  b.AddBand<report::TfrxPageHeader>(page, 0, 30, "Head");
  auto* header = b.AddBand<report::TfrxHeader>(page, 100, 25, "DataHead");
  header->SetReprintOnNewPage(true);
  b.AddDataBand(page, 200, 20, rows, "Data");
  b.AddBand<report::TfrxFooter>(page, 300, 15, "DataFoot");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 2);
  for (int p = 0; p < 2; ++p) {
    const std::vector<Placed> bands = Bands(b.Store(), p);
    ASSERT_EQ(Named(bands, "DataHead").size(), 1u) << p;
    EXPECT_EQ(Named(bands, "DataHead")[0].top, 30) << p;
    EXPECT_EQ(Named(bands, "Data")[0].top, 55) << p;
  }
  EXPECT_TRUE(Named(Bands(b.Store(), 0), "DataFoot").empty());
  EXPECT_EQ(Named(Bands(b.Store(), 1), "DataFoot").size(), 1u);
}

// ---------------------------------------------------------------- keep-together

TEST(BandOutput, KeptGroupMovesWholeWithItsOutlineAndAnchorAndFooterSumsCountOnlyRowsThatStayed) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  std::vector<TableDataSet::Row> data;
  for (const char* g : {"A", "B", "C"})
    for (int i = 0; i < 5; ++i) data.push_back({V(g), V(1)});
  auto& rows = b.AddDataSet("Rows", {"G", "V"}, data);
  // 300 under the header: groups of 120 (header and five rows): A and B fit,
  // C would break after its second row.
  auto* head = b.AddBand<report::TfrxPageHeader>(page, 0, Printable(page) - 20 - 300, "Head");
  (void)head;
  auto* group = b.AddGroupHeader(page, 1000, 20, "Rows.\"G\"", "Group");
  group->SetKeepTogether(true);
  group->SetOutlineText("Rows.\"G\"");
  b.AddMemo(group, 0, 0, 100, 20, "[Rows.\"G\"]", {}, "GName");
  auto* rowsBand = b.AddDataBand(page, 1100, 20, rows, "Data");
  b.AddMemo(rowsBand, 0, 0, 100, 20, "[Rows.\"V\"]", {}, "Value");
  auto* footer = b.AddBand<report::TfrxPageFooter>(page, 1500, 20, "Foot");
  b.AddMemo(footer, 0, 0, 100, 20, "[SUM(<Rows.\"V\">)]", {}, "Total");
  b.Report().OnBeforePrint = [&b](report::TfrxReportComponent* c) {
    if (c->IsA("TfrxGroupHeader")) b.Store().AddAnchor(rtl::VarToStr(b.Report().Calc("Rows.\"G\"")));
  };
  const long double printable = Printable(page);
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 2);
  EXPECT_EQ(Texts(b.Store(), 0, "Group", "GName"), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(Texts(b.Store(), 1, "Group", "GName"), (std::vector<std::string>{"C"}));
  EXPECT_EQ(Named(Bands(b.Store(), 0), "Data").size(), 10u);
  EXPECT_EQ(Named(Bands(b.Store(), 1), "Data").size(), 5u);
  EXPECT_EQ(Texts(b.Store(), 0, "Foot", "Total"), (std::vector<std::string>{"10"}));
  EXPECT_EQ(Texts(b.Store(), 1, "Foot", "Total"), (std::vector<std::string>{"5"}));
  // The moved group starts right under the page header of page 2.
  const long double headHeight = printable - 20 - 300;
  const Placed movedHeader = Named(Bands(b.Store(), 1), "Group")[0];
  EXPECT_NEAR(static_cast<double>(movedHeader.top), static_cast<double>(headHeight), 0.01);

  preview::TfrxOutline& outline = b.Store().PreparedOutline();
  outline.LevelRoot();
  ASSERT_EQ(outline.GetCount(), 3);
  std::vector<int> outlinePages;
  for (int i = 0; i < 3; ++i) {
    AnsiString text;
    int pageNo = -1, top = -1;
    outline.GetItem(i, text, pageNo, top);
    outlinePages.push_back(pageNo);
    if (i == 2) {
      EXPECT_EQ(text, "C");
      EXPECT_EQ(top, static_cast<int>(std::lround(static_cast<double>(headHeight))));
    }
  }
  EXPECT_EQ(outlinePages, (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(b.Store().GetAnchorPage("A"), 1);
  EXPECT_EQ(b.Store().GetAnchorPage("C"), 2);
}

TEST(BandOutput, KeptGroupMovesToTheNextPageColumnWithItsOutlineEntryAndAnchorOnThePage) {
  EngineScope scope;
  ReportBuilder b;
  PageSetup spec;
  spec.columns = 2;
  auto* page = b.AddPage(spec);
  std::vector<TableDataSet::Row> data;
  for (const char* g : {"A", "B", "C"})
    for (int i = 0; i < 5; ++i) data.push_back({V(g), V(1)});
  auto& rows = b.AddDataSet("Rows", {"G", "V"}, data);
  const long double headHeight = Printable(page) - 300;
  b.AddBand<report::TfrxPageHeader>(page, 0, headHeight, "Head");
  auto* group = b.AddGroupHeader(page, 1000, 20, "Rows.\"G\"", "Group");
  group->SetKeepTogether(true);
  group->SetOutlineText("Rows.\"G\"");
  b.AddMemo(group, 0, 0, 100, 20, "[Rows.\"G\"]", {}, "GName");
  b.AddDataBand(page, 1100, 20, rows, "Data");
  b.Report().OnBeforePrint = [&b](report::TfrxReportComponent* c) {
    if (c->IsA("TfrxGroupHeader")) b.Store().AddAnchor(rtl::VarToStr(b.Report().Calc("Rows.\"G\"")));
  };
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 1);
  const std::vector<Placed> groups = Named(Bands(b.Store(), 0), "Group");
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[0].left, 0);
  EXPECT_EQ(groups[1].left, 0);
  EXPECT_GT(groups[2].left, 100);  // C went whole to the second column
  EXPECT_NEAR(static_cast<double>(groups[2].top), static_cast<double>(headHeight), 0.01);
  int rowsInSecond = 0;
  for (const Placed& row : Named(Bands(b.Store(), 0), "Data"))
    if (row.left > 100) ++rowsInSecond;
  EXPECT_EQ(rowsInSecond, 5);

  // Outline entries and anchors stay on the page and follow the block to
  // the top of its new column.
  const int columnTop = static_cast<int>(std::lround(static_cast<double>(headHeight)));
  preview::TfrxOutline& outline = b.Store().PreparedOutline();
  outline.LevelRoot();
  ASSERT_EQ(outline.GetCount(), 3);
  for (int i = 0; i < 3; ++i) {
    AnsiString text;
    int pageNo = -1, top = -1;
    outline.GetItem(i, text, pageNo, top);
    EXPECT_EQ(pageNo, 0) << i;
    EXPECT_EQ(top, columnTop + (i < 2 ? 120 * i : 0)) << i;
  }
  for (const char* name : {"A", "B", "C"}) {
    const report::TfrxXMLItem* anchor = b.Store().FindAnchor(name);
    ASSERT_NE(anchor, nullptr) << name;
    EXPECT_EQ(preview::vuzIntProp(anchor, "page"), 0) << name;
  }
  EXPECT_EQ(preview::vuzIntProp(b.Store().FindAnchor("C"), "top"), columnTop);
}

struct KeepEdgeCase {
  const char* what;
  bool keepHeader, keepFooter;
  std::vector<int> rowsPerPage;
  std::vector<int> headerPerPage, footerPerPage;
};

class KeepHeaderAndFooter : public ::testing::TestWithParam<KeepEdgeCase> {};

// The title leaves room for the data header but not for its first row.
TEST_P(KeepHeaderAndFooter, KeepTheHeaderWithTheFirstRowAndTheFooterWithTheLast) {
  const KeepEdgeCase& c = GetParam();
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(5));
  b.AddBand<report::TfrxReportTitle>(page, 0, Printable(page) - 30, "Title");
  b.AddBand<report::TfrxHeader>(page, 1400, 20, "DataHead");
  auto* data = b.AddDataBand(page, 1500, 20, rows, "Data");
  data->SetKeepHeader(c.keepHeader);
  data->SetKeepFooter(c.keepFooter);
  b.AddMemo(data, 0, 0, 50, 20, "[Rows.\"N\"]", {}, "N");
  auto* footer = b.AddBand<report::TfrxFooter>(page, 1600, 20, "DataFoot");
  b.AddMemo(footer, 0, 0, 100, 20, "[SUM(<Rows.\"N\">)]", {}, "Total");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  const int pages = b.Store().GetCount();
  std::vector<int> rowsPerPage, headers, footers;
  std::string total;
  for (int p = 0; p < pages; ++p) {
    const std::vector<Placed> bands = Bands(b.Store(), p);
    rowsPerPage.push_back(static_cast<int>(Named(bands, "Data").size()));
    headers.push_back(static_cast<int>(Named(bands, "DataHead").size()));
    footers.push_back(static_cast<int>(Named(bands, "DataFoot").size()));
    for (const std::string& t : Texts(b.Store(), p, "DataFoot", "Total")) total = t;
  }
  EXPECT_EQ(rowsPerPage, c.rowsPerPage) << c.what;
  EXPECT_EQ(headers, c.headerPerPage) << c.what;
  EXPECT_EQ(footers, c.footerPerPage) << c.what;
  EXPECT_EQ(total, "15") << c.what;  // a row moved with the footer counts once
}

INSTANTIATE_TEST_SUITE_P(Flags, KeepHeaderAndFooter,
                         ::testing::Values(KeepEdgeCase{"nothing kept", false, false, {0, 5}, {1, 0}, {0, 1}},
                                           KeepEdgeCase{"header kept", true, false, {0, 5}, {0, 1}, {0, 1}},
                                           KeepEdgeCase{"footer kept", false, true, {0, 5}, {1, 0}, {0, 1}}));

TEST(BandOutput, FooterKeptWithTheLastRowTakesThatRowToTheNextPage) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(5));
  // Five rows fill what the title leaves; the footer does not fit after them.
  b.AddBand<report::TfrxReportTitle>(page, 0, Printable(page) - 100, "Title");
  auto* data = b.AddDataBand(page, 1500, 20, rows, "Data");
  data->SetKeepFooter(true);
  b.AddMemo(data, 0, 0, 50, 20, "[Rows.\"N\"]", {}, "N");
  auto* footer = b.AddBand<report::TfrxFooter>(page, 1600, 20, "DataFoot");
  b.AddMemo(footer, 0, 0, 100, 20, "[SUM(<Rows.\"N\">)]", {}, "Total");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 2);
  EXPECT_EQ(Texts(b.Store(), 0, "Data", "N"), (std::vector<std::string>{"1", "2", "3", "4"}));
  EXPECT_EQ(Texts(b.Store(), 1, "Data", "N"), (std::vector<std::string>{"5"}));
  EXPECT_EQ(Named(Bands(b.Store(), 1), "Data")[0].top, 0);
  EXPECT_EQ(Texts(b.Store(), 1, "DataFoot", "Total"), (std::vector<std::string>{"15"}));
  EXPECT_EQ(Named(Bands(b.Store(), 1), "DataFoot")[0].top, 20);
}

TEST(BandOutput, OverlayUnderneathAndPageOutlineOnEveryPage) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  page->SetOutlineText("'Seite'");
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(60));
  b.AddBand<report::TfrxOverlay>(page, 500, 100, "Under");
  b.AddBand<report::TfrxPageHeader>(page, 0, 30, "Head");
  b.AddDataBand(page, 100, 20, rows, "Data");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 2);
  for (int p = 0; p < 2; ++p) {
    const std::vector<Placed> bands = Bands(b.Store(), p);
    ASSERT_FALSE(bands.empty());
    EXPECT_EQ(bands[0].name, "Under") << p;  // drawn first, so underneath
    EXPECT_EQ(bands[0].top, 0) << p;
  }
  preview::TfrxOutline& outline = b.Store().PreparedOutline();
  outline.LevelRoot();
  ASSERT_EQ(outline.GetCount(), 2);
  for (int i = 0; i < 2; ++i) {
    AnsiString text;
    int pageNo = -1, top = -1;
    outline.GetItem(i, text, pageNo, top);
    EXPECT_EQ(text, "Seite");
    EXPECT_EQ(pageNo, i);
    EXPECT_EQ(top, 0);
  }
}

// Rows of a hidden band with an outline text add no entry, so they leave no
// level either: the second group still hangs under the page's entry.
TEST(BandOutput, HiddenBandWithOutlineTextLeavesTheOutlineLevelsAlone) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  page->SetOutlineText("'P'");
  auto& rows = b.AddDataSet("Rows", {"G"}, {{V("A")}, {V("A")}, {V("B")}, {V("B")}});
  auto* group = b.AddGroupHeader(page, 100, 20, "Rows.\"G\"", "Group");
  group->SetOutlineText("Rows.\"G\"");
  auto* data = b.AddDataBand(page, 200, 20, rows, "Data");
  data->SetOutlineText("'row'");
  data->SetVisible(false);
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  preview::TfrxOutline& outline = b.Store().PreparedOutline();
  outline.LevelRoot();
  ASSERT_EQ(outline.GetCount(), 1);
  outline.LevelDown(0);
  ASSERT_EQ(outline.GetCount(), 2);
  for (int i = 0; i < 2; ++i) {
    AnsiString text;
    int pageNo = -1, top = -1;
    outline.GetItem(i, text, pageNo, top);
    EXPECT_EQ(text, i == 0 ? "A" : "B");
  }
}

// ---------------------------------------------------------------- page footer and header

struct FooterCase {
  bool onFirst, onLast;
  std::vector<int> present;  // per page
};

class PageFooterPages : public ::testing::TestWithParam<FooterCase> {};

TEST_P(PageFooterPages, PrintOnFirstAndLastPage) {
  const FooterCase& c = GetParam();
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(120));  // 3 pages of 20
  b.AddDataBand(page, 0, 20, rows, "Data");
  auto* footer = b.AddBand<report::TfrxPageFooter>(page, 200, 20, "Foot");
  footer->SetPrintOnFirstPage(c.onFirst);
  footer->SetPrintOnLastPage(c.onLast);
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 3);
  std::vector<int> present;
  for (int p = 0; p < 3; ++p) present.push_back(static_cast<int>(Named(Bands(b.Store(), p), "Foot").size()));
  EXPECT_EQ(present, c.present);
}

INSTANTIATE_TEST_SUITE_P(Flags, PageFooterPages,
                         ::testing::Values(FooterCase{true, true, {1, 1, 1}}, FooterCase{false, true, {0, 1, 1}},
                                           FooterCase{true, false, {1, 1, 0}}, FooterCase{false, false, {0, 1, 0}}));

TEST(BandOutput, FooterOnTheLastPageIsReservedAndTheRowsStopAboveIt) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(60));
  b.AddDataBand(page, 0, 20, rows, "Data");
  b.AddBand<report::TfrxPageFooter>(page, 200, 40, "Foot");
  const long double printable = Printable(page);
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  for (int p = 0; p < b.Store().GetCount(); ++p) {
    const std::vector<Placed> bands = Bands(b.Store(), p);
    const std::vector<Placed> foot = Named(bands, "Foot");
    ASSERT_EQ(foot.size(), 1u);
    EXPECT_NEAR(static_cast<double>(foot[0].top), static_cast<double>(printable - 40), 0.001);
    for (const Placed& row : Named(bands, "Data")) EXPECT_LE(row.Bottom(), foot[0].top + 0.0001);
  }
}

TEST(BandOutput, ReportTitlePrintsOnceInItsOrderWithThePageHeader) {
  for (const bool titleFirst : {true, false}) {
    EngineScope scope;
    ReportBuilder b;
    auto* page = b.AddPage();
    page->SetTitleBeforeHeader(titleFirst);
    auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(80));
    b.AddBand<report::TfrxReportTitle>(page, 0, 50, "Title");
    b.AddBand<report::TfrxPageHeader>(page, 60, 30, "Head");
    b.AddDataBand(page, 100, 20, rows, "Data");
    ASSERT_TRUE(b.Prepare()) << b.Errors();

    ASSERT_EQ(b.Store().GetCount(), 2);
    const std::vector<Placed> first = Bands(b.Store(), 0);
    ASSERT_EQ(Named(first, "Title").size(), 1u);
    EXPECT_EQ(Named(first, "Title")[0].top, titleFirst ? 0 : 30);
    EXPECT_EQ(Named(first, "Head")[0].top, titleFirst ? 50 : 0);
    EXPECT_EQ(Named(first, "Data")[0].top, 80);
    const std::vector<Placed> second = Bands(b.Store(), 1);
    EXPECT_TRUE(Named(second, "Title").empty());
    EXPECT_EQ(Named(second, "Head")[0].top, 0);
    EXPECT_EQ(Named(second, "Data")[0].top, 30);
  }
}

TEST(BandOutput, PageHeaderWithoutPrintOnFirstPageGivesItsPlaceToItsChild) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(60));
  auto* head = b.AddBand<report::TfrxPageHeader>(page, 0, 30, "Head");
  head->SetPrintOnFirstPage(false);
  head->SetPrintChildIfInvisible(true);
  auto* child = b.AddBand<report::TfrxChild>(page, 40, 10, "HeadChild");
  head->SetChild(child);
  b.AddDataBand(page, 100, 20, rows, "Data");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 2);
  EXPECT_TRUE(Named(Bands(b.Store(), 0), "Head").empty());
  ASSERT_EQ(Named(Bands(b.Store(), 0), "HeadChild").size(), 1u);
  EXPECT_EQ(Named(Bands(b.Store(), 0), "Data")[0].top, 10);
  EXPECT_EQ(Named(Bands(b.Store(), 1), "Head").size(), 1u);
  EXPECT_EQ(Named(Bands(b.Store(), 1), "Data")[0].top, 40);
}

// ---------------------------------------------------------------- new pages

TEST(BandOutput, DataBandStartNewPageBeginsEachRowButTheFirstOnANewPage) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(3));
  b.AddBand<report::TfrxReportTitle>(page, 0, 30, "Title");
  auto* data = b.AddDataBand(page, 100, 20, rows, "Data");
  data->SetStartNewPage(true);
  b.AddMemo(data, 0, 0, 50, 20, "[Rows.\"N\"]", {}, "N");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 3);
  for (int p = 0; p < 3; ++p)
    EXPECT_EQ(Texts(b.Store(), p, "Data", "N"), (std::vector<std::string>{std::to_string(p + 1)}));
  EXPECT_EQ(Named(Bands(b.Store(), 0), "Data")[0].top, 30);
}

TEST(BandOutput, GroupStartNewPageWithResetPageNumbersCountsPagesPerGroup) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  std::vector<TableDataSet::Row> data;
  data.push_back({V("A")});
  for (int i = 0; i < 60; ++i) data.push_back({V("B")});  // two pages
  data.push_back({V("C")});
  auto& rows = b.AddDataSet("Rows", {"G"}, data);
  auto* head = b.AddBand<report::TfrxPageHeader>(page, 0, 30, "Head");
  b.AddMemo(head, 0, 0, 100, 20, "[Page]", {}, "PageNo");
  auto* group = b.AddGroupHeader(page, 100, 20, "Rows.\"G\"", "Group");
  group->SetStartNewPage(true);
  group->SetResetPageNumbers(true);
  b.AddDataBand(page, 200, 20, rows, "Data");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 4);
  std::vector<std::string> numbers;
  for (int p = 0; p < 4; ++p) {
    const std::vector<std::string> t = Texts(b.Store(), p, "Head", "PageNo");
    numbers.push_back(t.empty() ? "-" : t[0]);
  }
  EXPECT_EQ(numbers, (std::vector<std::string>{"1", "1", "2", "1"}));
}

TEST(BandOutput, SuppressedRepeatedValueShowsAgainOnTheFirstRowOfAPage) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  std::vector<TableDataSet::Row> data(70, TableDataSet::Row{V("same")});
  auto& rows = b.AddDataSet("Rows", {"S"}, data);
  auto* band = b.AddDataBand(page, 0, 20, rows, "Data");
  b.AddMemo(band, 0, 0, 100, 20, "[Rows.\"S\"]", {}, "S")->SetSuppressRepeated(true);
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 2);
  for (int p = 0; p < 2; ++p) {
    const std::vector<std::string> t = Texts(b.Store(), p, "Data", "S");
    ASSERT_GT(t.size(), 2u);
    EXPECT_EQ(t[0], "same") << "page " << p;
    for (std::size_t i = 1; i < t.size(); ++i) EXPECT_EQ(t[i], "") << "page " << p << " row " << i;
  }
}

TEST(BandOutput, PrintOnPreviousPageContinuesUnderTheLastPagesBands) {
  EngineScope scope;
  ReportBuilder b;
  auto* first = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(3));
  b.AddDataBand(first, 0, 20, rows, "Data1");
  auto* second = b.AddPage();
  second->SetPrintOnPreviousPage(true);
  auto& more = b.AddDataSet("More", {"N"}, Numbers(2));
  b.AddBand<report::TfrxReportTitle>(second, 0, 30, "Title2");
  b.AddDataBand(second, 100, 20, more, "Data2");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 1);
  const std::vector<Placed> bands = Bands(b.Store(), 0);
  ASSERT_EQ(Named(bands, "Title2").size(), 1u);
  EXPECT_EQ(Named(bands, "Title2")[0].top, 60);
  const std::vector<Placed> rows2 = Named(bands, "Data2");
  ASSERT_EQ(rows2.size(), 2u);
  EXPECT_EQ(rows2[0].top, 90);
  EXPECT_EQ(rows2[1].top, 110);
}

// ---------------------------------------------------------------- columns

TEST(BandOutput, DataBandColumnsPlaceRowsSideBySide) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(5));
  auto* data = b.AddDataBand(page, 0, 20, rows, "Data");
  data->SetColumns(2);
  data->SetColumnWidth(200);
  data->SetColumnGap(10);
  b.AddMemo(data, 0, 0, 50, 20, "[Rows.\"N\"]", {}, "N");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  const std::vector<Placed> bands = Named(Bands(b.Store(), 0), "Data");
  ASSERT_EQ(bands.size(), 5u);
  const std::vector<std::pair<long double, long double>> expected{{0, 0}, {210, 0}, {0, 20}, {210, 20}, {0, 40}};
  for (std::size_t i = 0; i < bands.size(); ++i) {
    EXPECT_EQ(bands[i].left, expected[i].first) << i;
    EXPECT_EQ(bands[i].top, expected[i].second) << i;
  }
}

TEST(BandOutput, PageColumnsFillColumnByColumnWithTheColumnHeaderInEach) {
  EngineScope scope;
  ReportBuilder b;
  PageSetup spec;
  spec.columns = 2;
  auto* page = b.AddPage(spec);
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(120));
  b.AddBand<report::TfrxColumnHeader>(page, 0, 20, "ColHead");
  b.AddDataBand(page, 100, 20, rows, "Data");
  b.AddBand<report::TfrxColumnFooter>(page, 300, 10, "ColFoot");
  const long double printable = Printable(page);
  const long double columnWidth = page->ColumnWidth();
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 2);
  const std::vector<Placed> bands = Bands(b.Store(), 0);
  const long double x2 = columnWidth * report::fr01cm;
  const std::vector<Placed> heads = Named(bands, "ColHead");
  ASSERT_EQ(heads.size(), 2u);
  EXPECT_EQ(heads[1].top, 0);
  EXPECT_NEAR(static_cast<double>(heads[1].left), static_cast<double>(x2), 0.01);
  EXPECT_EQ(Named(bands, "ColFoot").size(), 2u);
  int inSecond = 0;
  for (const Placed& row : Named(bands, "Data")) {
    if (row.left > 1) ++inSecond;
    EXPECT_LE(row.Bottom(), printable - 10 + 0.0001);
  }
  EXPECT_GT(inSecond, 0);
}

// A page whose column positions list fewer columns than it has: the missing
// ones follow at the column width.
TEST(BandOutput, MissingColumnPositionFallsBackToTheColumnWidth) {
  EngineScope scope;
  ReportBuilder b;
  PageSetup spec;
  spec.columns = 3;
  auto* page = b.AddPage(spec);
  page->SetColumnWidth(50);
  rtl::TStringList positions;
  positions.Add("0");
  page->SetColumnPositions(&positions);
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(150));
  b.AddDataBand(page, 100, 20, rows, "Data");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  std::vector<long double> lefts;
  for (const Placed& row : Named(Bands(b.Store(), 0), "Data"))
    if (lefts.empty() || lefts.back() != row.left) lefts.push_back(row.left);
  ASSERT_EQ(lefts.size(), 3u);
  EXPECT_EQ(lefts[0], 0);
  EXPECT_NEAR(static_cast<double>(lefts[1]), static_cast<double>(50 * report::fr01cm), 0.01);
  EXPECT_NEAR(static_cast<double>(lefts[2]), static_cast<double>(100 * report::fr01cm), 0.01);
}

// ---------------------------------------------------------------- subreports

TEST(BandOutput, SubreportPrintsItsPageBesideTheBandAndTheNextRowFollowsItsEnd) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(2));
  auto& details = b.AddDataSet("Details", {"D"}, Numbers(3));
  auto* master = b.AddDataBand(page, 0, 20, rows, "Master");
  report::TfrxReportPage* subPage = nullptr;
  b.AddSubreport(master, 300, 0, 200, 20, &subPage, {}, "Sub");
  auto* detail = b.AddDataBand(subPage, 0, 15, details, "Detail");
  b.AddMemo(detail, 0, 0, 50, 15, "[Details.\"D\"]", {}, "D");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  const std::vector<Placed> bands = Bands(b.Store(), 0);
  const std::vector<Placed> masters = Named(bands, "Master");
  const std::vector<Placed> detailRows = Named(bands, "Detail");
  ASSERT_EQ(masters.size(), 2u);
  ASSERT_EQ(detailRows.size(), 6u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(detailRows[static_cast<std::size_t>(i)].left, 300);
    EXPECT_EQ(detailRows[static_cast<std::size_t>(i)].top, 15 * i);
  }
  // The second master row starts where the subreport ended.
  EXPECT_EQ(masters[1].top, 45);
  EXPECT_EQ(detailRows[3].top, 45);
}

TEST(BandOutput, SubreportPrintedOnParentPutsItsObjectsIntoTheBand) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(2));
  auto& details = b.AddDataSet("Details", {"D"}, Numbers(3));
  auto* master = b.AddDataBand(page, 0, 20, rows, "Master");
  master->SetStretched(true);
  b.AddMemo(master, 0, 0, 50, 20, "[Rows.\"N\"]", {}, "N");
  report::TfrxReportPage* subPage = nullptr;
  b.AddSubreport(master, 300, 5, 200, 20, &subPage, {}, "Sub")->SetPrintOnParent(true);
  auto* detail = b.AddDataBand(subPage, 0, 15, details, "Detail");
  b.AddMemo(detail, 10, 0, 50, 15, "[Details.\"D\"]", {}, "D");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  const std::vector<Placed> bands = Bands(b.Store(), 0);
  EXPECT_TRUE(Named(bands, "Detail").empty());
  const std::vector<Placed> masters = Named(bands, "Master");
  ASSERT_EQ(masters.size(), 2u);
  for (const Placed& m : masters) {
    std::vector<std::pair<long double, long double>> places;
    std::vector<std::string> texts;
    for (const Placed& k : m.kids)
      if (k.name != "N") {  // the collected copies
        places.push_back({k.left, k.top});
        texts.push_back(k.text);
      }
    EXPECT_EQ(texts, (std::vector<std::string>{"1", "2", "3"}));
    ASSERT_EQ(places.size(), 3u);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(places[static_cast<std::size_t>(i)].first, 310);
      EXPECT_EQ(places[static_cast<std::size_t>(i)].second, 5 + 15 * i);
    }
    EXPECT_EQ(m.height, 50);  // stretched over the collected rows
  }
  EXPECT_EQ(masters[1].top, 50);
}

// Subreports that lead back to a page already running (here A, then B,
// then A again) print each page once instead of running them inside each
// other until the stack runs out.
TEST(BandOutput, SubreportsLeadingBackToARunningPageRunItOnce) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(1));
  auto& details = b.AddDataSet("Details", {"D"}, Numbers(2));
  auto& more = b.AddDataSet("More", {"M"}, Numbers(3));
  auto* master = b.AddDataBand(page, 0, 20, rows, "Master");
  report::TfrxReportPage* pageA = nullptr;
  report::TfrxReportPage* pageB = nullptr;
  b.AddSubreport(master, 300, 0, 200, 20, &pageA, {}, "ToA");
  auto* detailA = b.AddDataBand(pageA, 0, 15, details, "DetailA");
  b.AddSubreport(detailA, 100, 0, 50, 15, &pageB, {}, "ToB");
  auto* detailB = b.AddDataBand(pageB, 0, 10, more, "DetailB");
  auto* back = new report::TfrxSubreport(detailB);
  back->SetName("BackToA");
  back->SetBounds(50, 0, 20, 10);
  back->SetPage(pageA);
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  EXPECT_EQ(Named(Bands(b.Store(), 0), "DetailA").size(), 2u);
  EXPECT_EQ(Named(Bands(b.Store(), 0), "DetailB").size(), 6u);  // three under each row of A
}

// ---------------------------------------------------------------- vertical bands

TEST(BandOutput, VerticalBandRepeatsItsPartOfTheRowAcrossThePage) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(2));
  auto& cols = b.AddDataSet("Cols", {"C"}, {{V("x")}, {V("y")}, {V("z")}});
  auto* row = b.AddDataBand(page, 0, 20, rows, "Row");
  auto* column = b.AddDataBand(page, 0, 0, cols, "Column");
  column->SetVertical(true);
  column->SetLeft(100);
  column->SetWidth(60);
  b.AddMemo(row, 0, 0, 50, 20, "[Rows.\"N\"]", {}, "N");
  b.AddMemo(row, 105, 0, 50, 20, "[Cols.\"C\"]", {}, "C");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 1);
  const std::vector<Placed> bands = Named(Bands(b.Store(), 0), "Row");
  ASSERT_EQ(bands.size(), 2u);
  for (std::size_t r = 0; r < bands.size(); ++r) {
    std::vector<std::string> texts;
    std::vector<long double> lefts;
    for (const Placed& k : bands[r].kids)
      if (k.name == "C") {
        texts.push_back(k.text);
        lefts.push_back(k.left);
      }
    EXPECT_EQ(texts, (std::vector<std::string>{"x", "y", "z"})) << r;
    ASSERT_EQ(lefts.size(), 3u);
    EXPECT_EQ(lefts[1] - lefts[0], 60);
    EXPECT_EQ(lefts[2] - lefts[1], 60);
    EXPECT_EQ(Kid(bands[r], "N")->text, std::to_string(r + 1));
  }
  EXPECT_EQ(bands[1].top, 20);
}

TEST(BandOutput, VerticalBandsWiderThanThePageGoOnOnTheNextPageAtTheRowsHeight) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(2));
  std::vector<TableDataSet::Row> c;
  for (int i = 0; i < 15; ++i) c.push_back({V(i)});
  auto& cols = b.AddDataSet("Cols", {"C"}, c);
  b.AddBand<report::TfrxPageHeader>(page, 0, 30, "Head");
  auto* row = b.AddDataBand(page, 40, 20, rows, "Row");
  auto* column = b.AddDataBand(page, 0, 0, cols, "Column");
  column->SetVertical(true);
  column->SetLeft(100);
  column->SetWidth(60);
  b.AddMemo(row, 0, 0, 50, 20, "[Rows.\"N\"]", {}, "N");
  b.AddMemo(row, 105, 0, 50, 20, "[Cols.\"C\"]", {}, "C");
  b.AddBand<report::TfrxPageFooter>(page, 300, 20, "Foot");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  // 718 pixels hold eleven columns of 60; the other four go on page 2.
  ASSERT_EQ(b.Store().GetCount(), 2);
  for (int p = 0; p < 2; ++p) {
    const std::vector<Placed> bands = Named(Bands(b.Store(), p), "Row");
    ASSERT_EQ(bands.size(), 2u) << p;
    for (std::size_t r = 0; r < 2; ++r) {
      EXPECT_EQ(bands[r].top, 30 + 20 * static_cast<int>(r));
      std::vector<std::string> texts;
      for (const Placed& k : bands[r].kids)
        if (k.name == "C") texts.push_back(k.text);
      std::vector<std::string> expected;
      for (int i = p ? 11 : 0; i < (p ? 15 : 11); ++i) expected.push_back(std::to_string(i));
      EXPECT_EQ(texts, expected) << "page " << p << " row " << r;
      EXPECT_EQ(Kid(bands[r], "N") != nullptr, p == 0);
    }
    EXPECT_EQ(Named(Bands(b.Store(), p), "Head").size(), 1u);
    EXPECT_EQ(Named(Bands(b.Store(), p), "Foot").size(), 1u);
  }
}

TEST(BandOutput, SubreportLongerThanAPageLeadsTheNextRowToWhereItEnded) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(2));
  auto& details = b.AddDataSet("Details", {"D"}, Numbers(60));
  b.AddBand<report::TfrxPageHeader>(page, 0, 30, "Head");
  auto* master = b.AddDataBand(page, 40, 20, rows, "Master");
  report::TfrxReportPage* subPage = nullptr;
  b.AddSubreport(master, 300, 0, 200, 20, &subPage, {}, "Sub");
  b.AddDataBand(subPage, 0, 20, details, "Detail");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  // 50 rows of 20 under the header on a page: the first subreport ends at
  // 30 + 10 x 20 on page 2, where the second master row starts.
  ASSERT_EQ(b.Store().GetCount(), 3);
  std::vector<int> details1;
  for (int p = 0; p < 3; ++p) details1.push_back(static_cast<int>(Named(Bands(b.Store(), p), "Detail").size()));
  EXPECT_EQ(details1, (std::vector<int>{50, 50, 20}));
  const std::vector<Placed> second = Named(Bands(b.Store(), 1), "Master");
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].top, 230);
  for (const Placed& d : Named(Bands(b.Store(), 1), "Detail")) EXPECT_EQ(d.left, 300);
}

class PageWithoutRoom : public ::testing::TestWithParam<long double> {};

// Margins that leave no printable height (or less than none): every band
// still goes out, one a page, and the run ends.
TEST_P(PageWithoutRoom, StillPrintsEveryRowAndEnds) {
  EngineScope scope;
  ReportBuilder b;
  PageSetup spec;
  spec.paperSize = 256;
  spec.paperHeight = GetParam();
  auto* page = b.AddPage(spec);
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(3));
  b.AddBand<report::TfrxPageHeader>(page, 0, 10, "Head");
  auto* data = b.AddDataBand(page, 100, 20, rows, "Data");
  data->SetStretched(true);
  b.AddMemo(data, 0, 0, 100, 20, "[Rows.\"N\"] aaaa bbbb cccc dddd eeee ffff", Stretching(), "N");
  b.AddBand<report::TfrxPageFooter>(page, 300, 10, "Foot");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  int rowsSeen = 0;
  for (int p = 0; p < b.Store().GetCount(); ++p)
    for (const Placed& band : Named(Bands(b.Store(), p), "Data"))
      if (Kid(band, "N")) ++rowsSeen;  // split rows leave empty parts too
  EXPECT_EQ(rowsSeen, 3);
  EXPECT_LE(b.Store().GetCount(), 8);
}

INSTANTIATE_TEST_SUITE_P(PaperHeights, PageWithoutRoom, ::testing::Values(20.0L, 5.0L));

// ---------------------------------------------------------------- endless pages

TEST(BandOutput, EndlessHeightPageHoldsEveryRowAndTakesTheirHeight) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  page->SetEndlessHeight(true);
  auto& rows = b.AddDataSet("Rows", {"N"}, Numbers(100));
  b.AddDataBand(page, 0, 20, rows, "Data");
  b.AddBand<report::TfrxPageFooter>(page, 300, 30, "Foot");
  b.AddBand<report::TfrxReportSummary>(page, 200, 40, "Summary");
  ASSERT_TRUE(b.Prepare()) << b.Errors();

  ASSERT_EQ(b.Store().GetCount(), 1);
  const std::vector<Placed> bands = Bands(b.Store(), 0);
  EXPECT_EQ(Named(bands, "Data").size(), 100u);
  ASSERT_EQ(Named(bands, "Summary").size(), 1u);
  EXPECT_EQ(Named(bands, "Summary")[0].top, 2000);
  ASSERT_EQ(Named(bands, "Foot").size(), 1u);
  EXPECT_EQ(Named(bands, "Foot")[0].top, 2040);
  auto* built = dynamic_cast<report::TfrxReportPage*>(b.Store().GetPage(0));
  ASSERT_NE(built, nullptr);
  // Rows, summary and footer, plus the margins.
  EXPECT_NEAR(static_cast<double>(built->PaperHeight()), static_cast<double>(2070 / report::fr01cm + 20), 0.01);
}

}  // namespace engine_test
