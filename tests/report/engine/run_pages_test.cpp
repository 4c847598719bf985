// The engine's run end to end into the real prepared-pages store: what
// pages a report builds and what stands on them: the pages of report,
// page and band datasets, double pass, empty datasets, data-band columns
// that overflow, groups evaluated on their rows, drill-down, manual build
// and a second run of the same report.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "engine_fixture.h"
#include "platform/rtl/strings.h"
#include "report/vuzEngine.h"
#include "report/vuzPaperSizes.h"

namespace engine_test {

using report::TfrxComponent;

namespace {

rtl::Variant V(int v) { return rtl::Variant(v); }
rtl::Variant V(const char* utf8) { return rtl::Variant(rtl::Utf8ToWide(utf8)); }

std::vector<TableDataSet::Row> Keys(std::initializer_list<const char*> keys) {
  std::vector<TableDataSet::Row> rows;
  int n = 0;
  for (const char* k : keys) rows.push_back({V(k), V(++n)});
  return rows;
}

// A small page: 100 x 60 mm with margins of 10, so the printable area is
// 302.36 x 151.18 pixels.
PageSetup SmallPage() {
  PageSetup paper;
  paper.paperSize = report::DMPAPER_USER;
  paper.paperWidth = 100;
  paper.paperHeight = 60;
  return paper;
}

// The named bands of a prepared page with their position, and their memo
// texts: "MD(0,20):a 1" ... (the page's own objects, an unnamed band, are
// left out when they are none).
std::string Bands(preview::TfrxPreviewPages& store, int index) {
  std::string out;
  TfrxComponent* page = store.GetPage(index);
  if (!page) return "missing";
  for (TfrxComponent* band : page->Objects()) {
    if (band->Name().empty() && band->Objects().empty()) continue;
    if (!out.empty()) out += ' ';
    out += band->Name() + "(" + std::to_string(static_cast<int>(band->Left() + 0.5L)) + "," +
           std::to_string(static_cast<int>(band->Top() + 0.5L)) + ")";
    std::string texts;
    for (TfrxComponent* o : band->Objects())
      if (auto* memo = dynamic_cast<report::TfrxCustomMemoView*>(o)) {
        std::string text = rtl::WideToUtf8(memo->Text());
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        texts += (texts.empty() ? "" : "|") + text;
      }
    if (!texts.empty()) out += ":" + texts;
  }
  return out;
}

std::string AllBands(preview::TfrxPreviewPages& store) {
  std::string out;
  for (int i = 0; i < store.GetCount(); ++i) out += "[" + Bands(store, i) + "]";
  return out;
}

}  // namespace

// ---------------------------------------------------------------- one page

TEST(EnginePages, TitleRowsAndFooterFillThePagesInOrder) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPage());
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Keys({"a", "b", "c", "d"}));
  auto* title = b.AddBand<report::TfrxReportTitle>(page, 0, 20, "Title");
  b.AddMemo(title, 0, 0, 200, 20, "Отчёт", {}, "TitleText");
  auto* header = b.AddBand<report::TfrxHeader>(page, 30, 10, "Head");
  b.AddMemo(header, 0, 0, 200, 10, "Ключ", {}, "HeadText");
  auto* data = b.AddDataBand(page, 50, 40, rows, "MD");
  b.AddMemo(data, 0, 0, 200, 20, "[Rows.\"Key\"] [Line]", {}, "Cell");
  auto* footer = b.AddBand<report::TfrxFooter>(page, 100, 20, "Foot");
  b.AddMemo(footer, 0, 0, 200, 20, "конец", {}, "FootText");

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_GOLDEN("run_title_rows_footer", DumpPages(b.Store()));
  // 20 + 10 + 3 x 40 fill 150 of 151.18 pixels: the fourth row and the
  // footer go to the next page.
  EXPECT_EQ(AllBands(b.Store()),
            "[Title(0,0):Отчёт Head(0,20):Ключ MD(0,30):a 1 MD(0,70):b 2 MD(0,110):c 3]"
            "[MD(0,0):d 4 Foot(0,40):конец]");
}

// ---------------------------------------------------------------- datasets of the report and the page

TEST(EnginePages, AReportDatasetRunsEveryPageOncePerRow) {
  EngineScope scope;
  ReportBuilder b;
  auto& outer = b.AddDataSet("Outer", {"Key", "N"}, Keys({"x", "y"}));
  b.Report().SetDataSet(&outer.DataSet());
  auto* first = b.AddPage(SmallPage());
  auto* t1 = b.AddBand<report::TfrxReportTitle>(first, 0, 20, "T1");
  b.AddMemo(t1, 0, 0, 200, 20, "one [Outer.\"Key\"]");
  auto* second = b.AddPage(SmallPage());
  auto* t2 = b.AddBand<report::TfrxReportTitle>(second, 0, 20, "T2");
  b.AddMemo(t2, 0, 0, 200, 20, "two [Outer.\"Key\"]");

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(AllBands(b.Store()), "[T1(0,0):one x][T2(0,0):two x][T1(0,0):one y][T2(0,0):two y]");
}

TEST(EnginePages, APageDatasetOrPageCountRepeatsThePage) {
  EngineScope scope;
  ReportBuilder b;
  auto& pages = b.AddDataSet("Pages", {"Key", "N"}, Keys({"p", "q", "r"}));
  auto* byRows = b.AddPage(SmallPage());
  byRows->SetDataSet(&pages.DataSet());
  auto* t1 = b.AddBand<report::TfrxReportTitle>(byRows, 0, 20, "T1");
  b.AddMemo(t1, 0, 0, 200, 20, "[Pages.\"Key\"]");
  auto* twice = b.AddPage(SmallPage());
  twice->SetPageCount(2);
  auto* t2 = b.AddBand<report::TfrxReportTitle>(twice, 0, 20, "T2");
  b.AddMemo(t2, 0, 0, 200, 20, "[Page#]");

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(AllBands(b.Store()), "[T1(0,0):p][T1(0,0):q][T1(0,0):r][T2(0,0):4][T2(0,0):5]");
}

// ---------------------------------------------------------------- double pass

TEST(EnginePages, DoublePassGivesExpressionsTheTotalOfTheFirstPass) {
  for (const bool doublePass : {false, true}) {
    EngineScope scope;
    ReportBuilder b;
    auto* page = b.AddPage(SmallPage());
    auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Keys({"a", "b", "c", "d", "e"}));
    auto* header = b.AddBand<report::TfrxPageHeader>(page, 0, 20, "PH");
    b.AddMemo(header, 0, 0, 200, 20, "[Page#] / [<TotalPages#>]");
    b.AddDataBand(page, 30, 40, rows, "MD");
    b.Report().EngineOptions()->DoublePass = doublePass;

    ASSERT_TRUE(b.Prepare()) << b.Errors();
    // The first pass's pages are gone; only their count stays.
    ASSERT_EQ(b.Store().GetCount(), 2) << doublePass;
    const std::string total = doublePass ? "2" : "0";
    EXPECT_EQ(Bands(b.Store(), 0).substr(0, 14), "PH(0,0):1 / " + total + " ") << doublePass;
    EXPECT_EQ(Bands(b.Store(), 1).substr(0, 14), "PH(0,0):2 / " + total + " ") << doublePass;
    EXPECT_EQ(b.Report().Engine()->TotalPages, doublePass ? 2 : 0);
    EXPECT_TRUE(b.Report().Engine()->FinalPass);
  }
}

// ---------------------------------------------------------------- empty data

struct EmptyCase {
  const char* what;
  bool printIfEmpty;
  int masterRows;  // -1: no data band at all
  int detailRows;  // -1: no detail band
  bool printIfDetailEmpty;
  int pages;
};

class EmptyData : public ::testing::TestWithParam<EmptyCase> {};

TEST_P(EmptyData, BuildsAPageOnlyWhenSomethingPrintsOrEmptyPagesAreWanted) {
  const EmptyCase& c = GetParam();
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPage());
  auto* title = b.AddBand<report::TfrxReportTitle>(page, 0, 20, "Title");
  b.AddMemo(title, 0, 0, 200, 20, "title");
  if (c.masterRows >= 0) {
    std::vector<TableDataSet::Row> master(static_cast<std::size_t>(c.masterRows), {V("m"), V(1)});
    auto& m = b.AddDataSet("M", {"Key", "N"}, master);
    b.AddDataBand(page, 40, 20, m, "MD")->SetPrintIfDetailEmpty(c.printIfDetailEmpty);
    if (c.detailRows >= 0) {
      std::vector<TableDataSet::Row> detail(static_cast<std::size_t>(c.detailRows), {V("d"), V(1)});
      auto& d = b.AddDataSet("D", {"Key", "N"}, detail);
      b.AddDataBand<report::TfrxDetailData>(page, 70, 20, d, "DD");
    }
  }
  b.Report().EngineOptions()->PrintIfEmpty = c.printIfEmpty;

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(b.Store().GetCount(), c.pages) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Engine, EmptyData,
                         ::testing::Values(EmptyCase{"empty master, empty pages wanted", true, 0, -1, false, 1},
                                           EmptyCase{"empty master", false, 0, -1, false, 0},
                                           EmptyCase{"one master row", false, 1, -1, false, 1},
                                           EmptyCase{"no data band", false, -1, -1, false, 0},
                                           EmptyCase{"no data band, empty pages wanted", true, -1, -1, false, 1},
                                           EmptyCase{"master rows whose details are empty", false, 2, 0, false, 0},
                                           EmptyCase{"master rows printed without details", false, 2, 0, true, 1},
                                           EmptyCase{"master rows with details", false, 2, 1, false, 1}));

TEST(EnginePages, MasterRowsWithoutDetailsAreLeftOutUnlessAskedFor) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPage());
  auto& m = b.AddDataSet("M", {"Key", "N"}, Keys({"a", "b", "c"}));
  auto& d = b.AddDataSet("D", {"Key", "N"}, {{V("a"), V(1)}, {V("c"), V(2)}, {V("c"), V(3)}});
  d.SetFilter([&m](const TableDataSet::Row& r) { return r[0] == m.Value("Key"); });
  auto* md = b.AddDataBand(page, 20, 20, m, "MD");
  b.AddMemo(md, 0, 0, 100, 20, "[M.\"Key\"]");
  auto* dd = b.AddDataBand<report::TfrxDetailData>(page, 50, 20, d, "DD");
  b.AddMemo(dd, 0, 0, 100, 20, "[D.\"N\"]");

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(AllBands(b.Store()), "[MD(0,0):a DD(0,20):1 MD(0,40):c DD(0,60):2 DD(0,80):3]");
  // The template is read back after each run: the band is found anew.
  static_cast<report::TfrxDataBand*>(b.Report().FindObject("MD"))->SetPrintIfDetailEmpty(true);
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(AllBands(b.Store()), "[MD(0,0):a DD(0,20):1 MD(0,40):b MD(0,60):c DD(0,80):2 DD(0,100):3]");
}

// ---------------------------------------------------------------- data-band columns

TEST(EnginePages, AColumnRowThatDoesNotFitMovesWholeToTheNextPage) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPage());
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Keys({"a", "b", "c", "d", "e", "f", "g", "h", "i"}));
  auto* data = b.AddDataBand(page, 20, 40, rows, "MD");
  data->SetColumns(2);
  data->SetColumnWidth(150);
  b.AddMemo(data, 0, 0, 100, 20, "[Rows.\"Key\"]");
  data->SetWidth(150);

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  // Three rows of two columns fill 120 of 151 pixels; the fourth (g, h)
  // would end at 160 and moves to the next page together.
  EXPECT_EQ(AllBands(b.Store()),
            "[MD(0,0):a MD(150,0):b MD(0,40):c MD(150,40):d MD(0,80):e MD(150,80):f]"
            "[MD(0,0):g MD(150,0):h MD(0,40):i]");
}

TEST(EnginePages, AColumnRowThatDoesNotFitMovesToThePagesNextColumn) {
  EngineScope scope;
  ReportBuilder b;
  PageSetup paper = SmallPage();
  paper.columns = 2;
  auto* page = b.AddPage(paper);  // two page columns of 40 mm
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Keys({"a", "b", "c", "d", "e", "f", "g", "h", "i"}));
  auto* data = b.AddDataBand(page, 20, 40, rows, "MD");
  data->SetColumns(2);
  data->SetColumnWidth(70);
  b.AddMemo(data, 0, 0, 60, 20, "[Rows.\"Key\"]");

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  const int x = static_cast<int>(40 * report::fr01cm + 0.5L);  // the second page column
  const std::string second = std::to_string(x);
  const std::string secondPlus = std::to_string(x + 70);
  EXPECT_EQ(AllBands(b.Store()), "[MD(0,0):a MD(70,0):b MD(0,40):c MD(70,40):d MD(0,80):e MD(70,80):f MD(" + second +
                                     ",0):g MD(" + secondPlus + ",0):h MD(" + second + ",40):i]");
}

// ---------------------------------------------------------------- groups

TEST(EnginePages, GroupFootersShowTheLastRowOfTheirGroup) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPage());
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Keys({"a", "a", "b"}));
  auto* gh = b.AddGroupHeader(page, 10, 10, "Rows.\"Key\"", "GH");
  b.AddMemo(gh, 0, 0, 100, 10, "[Rows.\"Key\"]:");
  auto* md = b.AddDataBand(page, 30, 10, rows, "MD");
  b.AddMemo(md, 0, 0, 100, 10, "[Rows.\"N\"] [Line]");
  auto* gf = b.AddBand<report::TfrxGroupFooter>(page, 50, 10, "GF");
  b.AddMemo(gf, 0, 0, 100, 10, "last [Rows.\"N\"]");

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(AllBands(b.Store()),
            "[GH(0,0):a: MD(0,10):1 1 MD(0,20):2 2 GF(0,30):last 2 GH(0,40):b: MD(0,50):3 1 GF(0,60):last 3]");
}

struct DrillCase {
  const char* what;
  bool expand;            // ExpandDrillDown
  bool footerAlways;      // ShowFooterIfDrillDown
  const char* stateName;  // a name put into the drill state ("" none)
  const char* bands;
};

class DrillDown : public ::testing::TestWithParam<DrillCase> {};

TEST_P(DrillDown, ShowsTheRowsOfExpandedGroupsOnly) {
  const DrillCase& c = GetParam();
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPage());
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Keys({"a", "a", "b"}));
  auto* gh = b.AddGroupHeader(page, 10, 10, "Rows.\"Key\"", "GH");
  gh->SetDrillDown(true);
  gh->SetExpandDrillDown(c.expand);
  gh->SetShowFooterIfDrillDown(c.footerAlways);
  b.AddDataBand(page, 30, 10, rows, "MD");
  b.AddBand<report::TfrxGroupFooter>(page, 50, 10, "GF");
  if (*c.stateName) b.Report().DrillState()->Add(c.stateName);

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  std::string names;
  TfrxComponent* p = b.Store().GetPage(0);
  for (TfrxComponent* band : p->Objects())
    if (!band->Name().empty()) names += band->Name() + " ";
  EXPECT_EQ(names, c.bands) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Engine, DrillDown,
                         ::testing::Values(DrillCase{"all collapsed", false, false, "", "GH GH "},
                                           DrillCase{"all collapsed, footers shown", false, true, "", "GH GF GH GF "},
                                           DrillCase{"all expanded", true, false, "", "GH MD MD GF GH MD GF "},
                                           DrillCase{"the second group opened", false, false, "GH.2", "GH GH MD GF "},
                                           DrillCase{"the first group closed", true, false, "GH.1", "GH GH MD GF "}));

// ---------------------------------------------------------------- building by hand

TEST(EnginePages, AManualBuildHandlerReplacesTheDataLoop) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPage());
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Keys({"a", "b"}));
  auto* md = b.AddDataBand(page, 30, 20, rows, "MD");
  b.AddMemo(md, 0, 0, 100, 20, "row");
  int calls = 0;
  b.Report().OnManualBuild = [&](TfrxComponent* built) {
    ++calls;
    EXPECT_EQ(built->Name(), "Page1");
    report::TfrxCustomEngine* engine = b.Report().Engine();
    engine->ShowBandByName("MD");
    engine->ShowBandByName("MD");
    engine->ShowBandByName("MD");
  };

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(AllBands(b.Store()), "[MD(0,0):row MD(0,20):row MD(0,40):row]");
  EXPECT_EQ(rows.Asked().firsts, 0);
}

// ---------------------------------------------------------------- runs that repeat

TEST(EnginePages, ASecondRunOfTheSameReportBuildsTheSamePages) {
  // The first report page keeps its header with the first row, which does
  // not fit under the tall page header; the second page prints a title.
  // What the title left behind in the first run must not change the second.
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPage());
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Keys({"a", "b"}));
  auto* ph = b.AddBand<report::TfrxPageHeader>(page, 0, 60, "PH");
  b.AddMemo(ph, 0, 0, 100, 20, "[Page#]");
  auto* head = b.AddBand<report::TfrxHeader>(page, 70, 30, "Head");
  b.AddMemo(head, 0, 0, 100, 20, "head");
  auto* md = b.AddDataBand(page, 110, 70, rows, "MD");
  md->SetKeepHeader(true);
  b.AddMemo(md, 0, 0, 100, 20, "[Rows.\"Key\"]");
  auto* second = b.AddPage(SmallPage());
  auto* title = b.AddBand<report::TfrxReportTitle>(second, 0, 20, "Title");
  b.AddMemo(title, 0, 0, 100, 20, "title");

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  const std::string first = DumpPages(b.Store());
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(LineDiff(first, DumpPages(b.Store())), "");
  EXPECT_EQ(AllBands(b.Store()),
            "[PH(0,0):1 Head(0,60):head][PH(0,0):2 MD(0,60):a][PH(0,0):3 MD(0,60):b][Title(0,0):title]");
}

// ---------------------------------------------------------------- vertical bands

TEST(EnginePages, VerticalBandsRepeatTheirStripOfEachRowAcrossThePage) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPage());
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Keys({"a", "b"}));
  auto& cols = b.AddDataSet("Cols", {"Key", "N"}, Keys({"x", "y", "z"}));
  auto* md = b.AddDataBand(page, 20, 20, rows, "MD");
  b.AddMemo(md, 0, 0, 50, 20, "[Rows.\"Key\"]", {}, "RowName");
  b.AddMemo(md, 60, 0, 40, 20, "[Rows.\"Key\"][Cols.\"Key\"]", {}, "Cell");
  b.AddMemo(md, 110, 0, 30, 20, "end", {}, "RowEnd");
  // The strips: a header (0..50), the data (60..100), a footer (110..140).
  auto* vh = b.AddBand<report::TfrxHeader>(page, 0, 20, "VH");
  auto* vb = b.AddDataBand(page, 0, 20, cols, "VB");
  auto* vf = b.AddBand<report::TfrxFooter>(page, 0, 20, "VF");
  for (auto [band, left, width] : {std::tuple<report::TfrxBand*, int, int>{vh, 0, 50}, {vb, 60, 40}, {vf, 110, 30}}) {
    band->SetVertical(true);
    band->SetLeft(left);
    band->SetWidth(width);
  }

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(b.Store().GetCount(), 1);
  std::string cells;
  for (TfrxComponent* band : b.Store().GetPage(0)->Objects())
    for (TfrxComponent* o : band->Objects())
      if (auto* memo = dynamic_cast<report::TfrxCustomMemoView*>(o)) {
        std::string text = rtl::WideToUtf8(memo->Text());
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        cells += text + "@" + std::to_string(static_cast<int>(o->Left() + 0.5L)) + "," +
                 std::to_string(static_cast<int>(band->Top() + 0.5L)) + " ";
      }
  EXPECT_EQ(cells, "a@0,0 ax@50,0 ay@90,0 az@130,0 end@170,0 b@0,20 bx@50,20 by@90,20 bz@130,20 end@170,20 ");
}

// ---------------------------------------------------------------- subreports and endless pages

TEST(EnginePages, ASubreportRunsItsPagesDataBandsUnderEachRow) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPage());
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Keys({"a", "b"}));
  auto& subs = b.AddDataSet("Subs", {"Key", "N"}, Keys({"s", "t"}));
  auto* md = b.AddDataBand(page, 20, 20, rows, "MD");
  b.AddMemo(md, 0, 0, 50, 20, "[Rows.\"Key\"]");
  report::TfrxReportPage* subPage = nullptr;
  b.AddSubreport(md, 150, 0, 100, 20, &subPage, "Sub");
  auto* sd = b.AddDataBand(subPage, 0, 15, subs, "SD");
  b.AddMemo(sd, 0, 0, 50, 15, "[Rows.\"Key\"][Subs.\"Key\"]");

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  // The subreport page builds no page of its own; its rows follow each
  // master row at the subreport's place, and the next row starts below them.
  EXPECT_EQ(AllBands(b.Store()), "[MD(0,0):a SD(150,0):as SD(150,15):at MD(0,30):b SD(150,30):bs SD(150,45):bt]");
}

TEST(EnginePages, AnEndlessPageGrowsToWhatItHolds) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPage());
  page->SetEndlessHeight(true);
  std::vector<TableDataSet::Row> table(10, TableDataSet::Row{V("r"), V(1)});
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, table);
  b.AddDataBand(page, 20, 40, rows, "MD");
  auto* footer = b.AddBand<report::TfrxPageFooter>(page, 100, 20, "PF");
  b.AddMemo(footer, 0, 0, 50, 20, "foot");

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  ASSERT_EQ(b.Store().GetCount(), 1);
  auto* built = dynamic_cast<report::TfrxReportPage*>(b.Store().GetPage(0));
  ASSERT_NE(built, nullptr);
  // Ten rows of 40 and the page footer of 20, with the margins of 10 mm.
  EXPECT_NEAR(static_cast<double>(built->PaperHeight()), 420 / report::fr01cm + 20, 0.01);
  EXPECT_NEAR(static_cast<double>(built->PaperWidth()), 100, 0.01);
  EXPECT_EQ(built->PaperSize(), report::DMPAPER_USER);
}

// ---------------------------------------------------------------- headers and footers of a data band

TEST(EnginePages, AHeaderRepeatsOnNewPagesOnlyWhileItsBandRuns) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPage());
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Keys({"a", "b", "c", "d"}));
  auto& more = b.AddDataSet("More", {"Key", "N"}, Keys({"e", "f", "g"}));
  auto* head = b.AddBand<report::TfrxHeader>(page, 10, 20, "Head");
  head->SetReprintOnNewPage(true);
  b.AddMemo(head, 0, 0, 50, 20, "h");
  auto* md = b.AddDataBand(page, 40, 40, rows, "MD");
  b.AddMemo(md, 0, 0, 50, 20, "[Rows.\"Key\"]");
  auto* md2 = b.AddDataBand(page, 90, 40, more, "MD2");
  b.AddMemo(md2, 0, 0, 50, 20, "[More.\"Key\"]");

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(AllBands(b.Store()),
            "[Head(0,0):h MD(0,20):a MD(0,60):b MD(0,100):c]"
            "[Head(0,0):h MD(0,20):d MD2(0,60):e MD2(0,100):f]"
            "[MD2(0,0):g]");
}

TEST(EnginePages, AFooterAfterEachRowReplacesTheFooterAtTheEnd) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPage());
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Keys({"a", "b"}));
  auto* md = b.AddDataBand(page, 20, 20, rows, "MD");
  md->SetFooterAfterEach(true);
  b.AddMemo(md, 0, 0, 50, 20, "[Rows.\"Key\"]");
  auto* foot = b.AddBand<report::TfrxFooter>(page, 50, 10, "Foot");
  b.AddMemo(foot, 0, 0, 50, 10, "[Rows.\"N\"]");

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(AllBands(b.Store()), "[MD(0,0):a Foot(0,20):1 MD(0,30):b Foot(0,50):2]");
}

// ---------------------------------------------------------------- the page's own objects

TEST(EnginePages, ObjectsOnThePageItselfPrintWhereTheyStandInThePagesFont) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPage());
  page->Font()->SetSize(20);
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Keys({"a", "b", "c", "d"}));
  auto* title = b.AddBand<report::TfrxReportTitle>(page, 0, 30, "Title");
  b.AddMemo(title, 0, 0, 50, 20, "title");
  auto* md = b.AddDataBand(page, 40, 50, rows, "MD");
  b.AddMemo(md, 0, 0, 50, 20, "[Rows.\"Key\"]");
  auto* stamp = b.AddMemo(page, 200, 100, 80, 20, "[Page#]", {}, "Stamp");
  stamp->SetParentFont(true);
  // Text that grows with its font: the same on the page and on a band.
  MemoSetup grow;
  grow.stretch = report::smActualHeight;
  b.AddMemo(page, 0, 60, 60, 20, "one two three four", grow, "Grown")->SetParentFont(true);
  b.AddMemo(title, 100, 0, 60, 20, "one two three four", grow, "Same")->Font()->SetSize(20);

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  // They print once, with the start of the page's build, at their own place
  // (not below the title), and the rows continue below the title.
  ASSERT_EQ(b.Store().GetCount(), 2);
  EXPECT_EQ(AllBands(b.Store()),
            "[Title(0,0):title|one two three four (0,0):1|one two three four MD(0,30):a MD(0,80):b]"
            "[MD(0,0):c MD(0,50):d]");
  TfrxComponent* found = nullptr;
  for (TfrxComponent* band : b.Store().GetPage(0)->Objects())
    for (TfrxComponent* o : band->Objects())
      if (o->Name() == "Stamp") found = o;
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(static_cast<int>(found->Left()), 200);
  EXPECT_EQ(static_cast<int>(found->Top()), 100);
  EXPECT_EQ(found->Font()->Size(), 20);
  long double grown = 0, same = 0;
  for (TfrxComponent* band : b.Store().GetPage(0)->Objects())
    for (TfrxComponent* o : band->Objects()) {
      if (o->Name() == "Grown") grown = o->Height();
      if (o->Name() == "Same") same = o->Height();
    }
  EXPECT_GT(same, 20);
  EXPECT_EQ(Fixed2(grown), Fixed2(same));
  // The template's page keeps its objects, in their order, after the run.
  report::TfrxComponent* again = b.Report().FindObject("Stamp");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Parent(), b.Report().FindObject("Page1"));
}

}  // namespace engine_test
