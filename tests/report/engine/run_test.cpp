// The engine's run control: the structure a page's bands are analysed into
// (and the errors of a template that has none), the data-band loop with row
// counts, groups and termination, the guard against datasets that never end,
// and runs that repeat.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_fixture.h"
#include "platform/rtl/strings.h"
#include "report/vuzEngine.h"

namespace engine_test {

using report::TfrxBand;
using report::TfrxComponent;

namespace {

rtl::Variant V(int v) { return rtl::Variant(v); }
rtl::Variant V(const char* utf8) { return rtl::Variant(rtl::Utf8ToWide(utf8)); }

// The engine with a log of every band handed to output: "name" or, with a
// watched dataset, "name@row" (the table row under the dataset's cursor when
// the band is shown). The page's own objects (an unnamed band) are not
// logged. It can stop the report once a band was shown so often.
class LogEngine : public report::TfrxEngine {
 public:
  using TfrxEngine::TfrxEngine;
  void ShowBand(TfrxComponent* band) override {
    if (band && !band->Name().empty()) {
      std::string line = band->Name();
      if (watched) line += "@" + std::to_string(watched->CurrentRow());
      if (withLine) line += "#" + std::to_string(CurLine);
      log.push_back(line);
      if (band->Name() == stopBand && --stopAfter == 0) StopReport();
    }
    TfrxEngine::ShowBand(band);
  }
  using TfrxEngine::ShowBand;

  std::vector<std::string> log;
  TableDataSet* watched = nullptr;
  bool withLine = false;
  rtl::AnsiString stopBand;
  int stopAfter = 0;
};

LogEngine& UseLogEngine(ReportBuilder& b) {
  auto engine = std::make_unique<LogEngine>(&b.Report());
  LogEngine& e = *engine;
  b.Report().SetEngine(std::move(engine));
  return e;
}

std::vector<TableDataSet::Row> Rows(std::initializer_list<const char*> keys) {
  std::vector<TableDataSet::Row> rows;
  int n = 0;
  for (const char* k : keys) rows.push_back({V(k), V(++n)});
  return rows;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += (s.empty() ? "" : " ") + l;
  return s;
}

}  // namespace

// ---------------------------------------------------------------- structure

struct StructureCase {
  const char* what;
  void (*build)(ReportBuilder& b, report::TfrxReportPage* page, TableDataSet& rows);
  const char* error;  // the report's error list, one line each
};

class StructureErrors : public ::testing::TestWithParam<StructureCase> {};

TEST_P(StructureErrors, AreReportedAndNothingIsBuilt) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Rows({"a", "b"}));
  GetParam().build(b, page, rows);
  LogEngine& engine = UseLogEngine(b);

  EXPECT_FALSE(b.Prepare());
  EXPECT_EQ(b.Errors(), GetParam().error);
  EXPECT_EQ(b.Store().GetCount(), 0);
  EXPECT_EQ(Join(engine.log), "");
  EXPECT_FALSE(engine.Running);
  EXPECT_EQ(rows.Asked().firsts, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, StructureErrors,
    ::testing::Values(StructureCase{"group header with no data band after it",
                                    [](ReportBuilder& b, report::TfrxReportPage* page, TableDataSet& rows) {
                                      b.AddDataBand(page, 40, 20, rows, "MasterData1");
                                      b.AddGroupHeader(page, 80, 20, "Rows.\"Key\"", "GroupHeader1");
                                    },
                                    "Нет дата-бэнда для группы GroupHeader1\n"},
                      StructureCase{"group footer with no header before it",
                                    [](ReportBuilder& b, report::TfrxReportPage* page, TableDataSet& rows) {
                                      b.AddBand<report::TfrxGroupFooter>(page, 20, 20, "GroupFooter1");
                                      b.AddDataBand(page, 40, 20, rows, "MasterData1");
                                    },
                                    "Нет заголовка группы GroupFooter1\n"},
                      StructureCase{"header with no data band after it",
                                    [](ReportBuilder& b, report::TfrxReportPage* page, TableDataSet& rows) {
                                      b.AddDataBand(page, 40, 20, rows, "MasterData1");
                                      b.AddBand<report::TfrxHeader>(page, 100, 20, "Header1");
                                    },
                                    "Не подключенный header/footer Header1\n"},
                      StructureCase{"footer away from its data band",
                                    [](ReportBuilder& b, report::TfrxReportPage* page, TableDataSet& rows) {
                                      b.AddBand<report::TfrxFooter>(page, 10, 20, "Footer1");
                                      b.AddDataBand(page, 40, 20, rows, "MasterData1");
                                    },
                                    "Не подключенный header/footer Footer1\n"},
                      StructureCase{"detail band with no master above it",
                                    [](ReportBuilder& b, report::TfrxReportPage* page, TableDataSet& rows) {
                                      b.AddDataBand<report::TfrxDetailData>(page, 40, 20, rows, "DetailData1");
                                    },
                                    "Неправильно расположен бэнд: DetailData1\n"},
                      StructureCase{"subdetail band under a master without a detail",
                                    [](ReportBuilder& b, report::TfrxReportPage* page, TableDataSet& rows) {
                                      b.AddDataBand(page, 40, 20, rows, "MasterData1");
                                      auto& more = b.AddDataSet("More", {"Key"}, Rows({"x"}));
                                      b.AddDataBand<report::TfrxSubdetailData>(page, 80, 20, more, "SubdetailData1");
                                    },
                                    "Неправильно расположен бэнд: SubdetailData1\n"},
                      StructureCase{"report and page over one dataset",
                                    [](ReportBuilder& b, report::TfrxReportPage* page, TableDataSet& rows) {
                                      b.Report().SetDataSet(&rows.DataSet());
                                      page->SetDataSet(&rows.DataSet());
                                    },
                                    "Cannot use the same dataset for Report.DataSet and Page.DataSet\n"},
                      StructureCase{"report and band over one dataset",
                                    [](ReportBuilder& b, report::TfrxReportPage* page, TableDataSet& rows) {
                                      b.Report().SetDataSet(&rows.DataSet());
                                      b.AddDataBand(page, 40, 20, rows, "MasterData1");
                                    },
                                    "Cannot use the same dataset for Report.DataSet and Band.DataSet\n"},
                      StructureCase{"page and band over one dataset",
                                    [](ReportBuilder& b, report::TfrxReportPage* page, TableDataSet& rows) {
                                      page->SetDataSet(&rows.DataSet());
                                      b.AddDataBand(page, 40, 20, rows, "MasterData1");
                                    },
                                    "Cannot use the same dataset for Page.DataSet and Band.DataSet\n"}),
    [](const ::testing::TestParamInfo<StructureCase>& p) { return "Case" + std::to_string(p.index); });

TEST(EngineStructure, OfTwoBandsAtOneTopOnlyTheFirstTakesPart) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Rows({"a", "b"}));
  auto& other = b.AddDataSet("Other", {"Key", "N"}, Rows({"x"}));
  b.AddDataBand(page, 40.001, 20, rows, "MasterData1");
  b.AddDataBand(page, 40.004, 20, other, "MasterData2");       // the same top to two decimals
  b.AddBand<report::TfrxFooter>(page, 40.002, 20, "Footer1");  // neither chained nor reported
  LogEngine& engine = UseLogEngine(b);

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(Join(engine.log), "MasterData1 MasterData1");
  EXPECT_EQ(other.Asked().firsts, 0);
}

TEST(EngineStructure, BandsAboveThePageTopSortByTheirNumericPosition) {
  // Positions compared as text put -30 after -10 and both after 5.
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Rows({"a", "b"}));
  b.AddBand<report::TfrxFooter>(page, 5, 20, "Footer1");
  b.AddDataBand(page, -10, 20, rows, "MasterData1");
  b.AddBand<report::TfrxHeader>(page, -30, 20, "Header1");
  LogEngine& engine = UseLogEngine(b);

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(Join(engine.log), "Header1 MasterData1 MasterData1 Footer1");
}

TEST(EngineStructure, MasterDetailTreesCollectTheirLevelsAndPassOverDeeperOnes) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& masters = b.AddDataSet("M", {"Key", "N"}, Rows({"a", "b"}));
  auto& details = b.AddDataSet("D", {"Key", "N"}, Rows({"x"}));
  auto& subs = b.AddDataSet("S", {"Key", "N"}, Rows({"s"}));
  b.AddDataBand(page, 10, 10, masters, "MasterData1");
  b.AddDataBand<report::TfrxDetailData>(page, 30, 10, details, "DetailData1");
  b.AddDataBand<report::TfrxSubdetailData>(page, 50, 10, subs, "SubdetailData1");
  b.AddDataBand<report::TfrxDetailData>(page, 70, 10, details, "DetailData2");
  LogEngine& engine = UseLogEngine(b);

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(Join(engine.log),
            "MasterData1 DetailData1 SubdetailData1 DetailData2 "
            "MasterData1 DetailData1 SubdetailData1 DetailData2");
}

// ---------------------------------------------------------------- rows

struct RowCountCase {
  int tableRows;  // -1: no dataset
  int rowCount;
  const char* log;
};

class RowCounts : public ::testing::TestWithParam<RowCountCase> {};

TEST_P(RowCounts, LimitTheRowsOfADataBand) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  std::vector<TableDataSet::Row> table;
  for (int i = 0; i < GetParam().tableRows; ++i) table.push_back({V("k"), V(i)});
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, table);
  report::TfrxMasterData* band = GetParam().tableRows < 0 ? b.AddBand<report::TfrxMasterData>(page, 40, 20, "Data")
                                                          : b.AddDataBand(page, 40, 20, rows, "Data");
  band->SetRowCount(GetParam().rowCount);
  LogEngine& engine = UseLogEngine(b);
  engine.withLine = true;

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(Join(engine.log), GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(Engine, RowCounts,
                         ::testing::Values(RowCountCase{-1, 3, "Data#1 Data#2 Data#3"},
                                           RowCountCase{10, 3, "Data#1 Data#2 Data#3"},
                                           RowCountCase{2, 5, "Data#1 Data#2"},
                                           RowCountCase{3, 0, "Data#1 Data#2 Data#3"}, RowCountCase{-1, 0, ""}));

// ---------------------------------------------------------------- groups

TEST(EngineGroups, FootersCloseAGroupWhileTheDatasetStandsOnItsLastRow) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Rows({"a", "a", "b", "c", "c"}));
  b.AddGroupHeader(page, 20, 20, "Rows.\"Key\"", "GH");
  b.AddDataBand(page, 40, 20, rows, "MD");
  b.AddBand<report::TfrxGroupFooter>(page, 60, 20, "GF");
  b.AddBand<report::TfrxFooter>(page, 50, 5, "Foot");
  LogEngine& engine = UseLogEngine(b);
  engine.watched = &rows;

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(Join(engine.log),
            "GH@0 MD@0 MD@1 GF@1 "
            "GH@2 MD@2 GF@2 "
            "GH@3 MD@3 MD@4 GF@4 Foot@4");
  EXPECT_GE(rows.Asked().priors, 2);
}

TEST(EngineGroups, NestedGroupsCloseFromTheInnermostOutAndCountTheirLines) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"Key", "Sub"}, {{V("a"), V(1)}, {V("a"), V(2)}, {V("b"), V(2)}});
  b.AddGroupHeader(page, 10, 10, "Rows.\"Key\"", "Outer");
  b.AddGroupHeader(page, 20, 10, "Rows.\"Sub\"", "Inner");
  b.AddDataBand(page, 40, 20, rows, "MD");
  b.AddBand<report::TfrxGroupFooter>(page, 60, 10, "InnerFoot");
  b.AddBand<report::TfrxGroupFooter>(page, 70, 10, "OuterFoot");
  LogEngine& engine = UseLogEngine(b);
  engine.withLine = true;

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(Join(engine.log),
            "Outer#1 Inner#1 MD#1 InnerFoot#1 "
            "Inner#2 MD#1 InnerFoot#1 OuterFoot#1 "
            "Outer#2 Inner#1 MD#1 InnerFoot#1 OuterFoot#1");
}

TEST(EngineGroups, AFooterHiddenForASingleRowShowsFromTwoRows) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Rows({"a", "b", "b", "c"}));
  b.AddGroupHeader(page, 20, 20, "Rows.\"Key\"", "GH");
  b.AddDataBand(page, 40, 20, rows, "MD");
  b.AddBand<report::TfrxGroupFooter>(page, 60, 20, "GF")->SetHideIfSingleDataRecord(true);
  LogEngine& engine = UseLogEngine(b);
  engine.watched = &rows;

  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(Join(engine.log), "GH@0 MD@0 GH@1 MD@1 MD@2 GF@2 GH@3 MD@3");
}

// ---------------------------------------------------------------- ending

TEST(EngineEnd, StopReportEndsTheLoopsAndStillFinishes) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Rows({"a", "b", "c", "d"}));
  b.AddDataBand(page, 40, 20, rows, "MD");
  b.AddBand<report::TfrxFooter>(page, 60, 20, "Foot");
  auto& more = b.AddDataSet("More", {"Key", "N"}, Rows({"x", "y"}));
  b.AddDataBand(page, 100, 20, more, "MD2");
  LogEngine& engine = UseLogEngine(b);
  engine.stopBand = "MD";
  engine.stopAfter = 2;

  EXPECT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_TRUE(b.Report().Terminated());
  EXPECT_FALSE(engine.Running);
  // The rows end, the footer of what was shown still closes the band, and
  // the next band does not start.
  EXPECT_EQ(Join(engine.log), "MD MD Foot");
  EXPECT_EQ(more.Asked().firsts, 0);
}

TEST(EngineEnd, StopReportEndsAPageDatasetsPages) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& pages = b.AddDataSet("Pages", {"Key", "N"}, Rows({"a", "b", "c", "d"}));
  page->SetDataSet(&pages.DataSet());
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Rows({"x"}));
  b.AddDataBand(page, 40, 20, rows, "MD");
  LogEngine& engine = UseLogEngine(b);
  engine.stopBand = "MD";
  engine.stopAfter = 2;

  EXPECT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(Join(engine.log), "MD MD");
}

TEST(EngineEnd, ADatasetThatNeverEndsStopsTheRunWithAnError) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Endless", {"Key", "N"}, Rows({"a"}));
  rows.DataSet().SetRangeEnd(report::reLast);  // and no end-of-data event
  b.AddDataBand(page, 40, 20, rows, "MD");
  b.AddBand<report::TfrxFooter>(page, 60, 20, "Foot");
  LogEngine& engine = UseLogEngine(b);
  engine.MaxRowsWithoutEnd = 50;

  EXPECT_FALSE(b.Prepare());
  EXPECT_EQ(b.Errors(), "Набор данных \"Endless\" не сообщил о конце данных: построение остановлено после 50 строк\n");
  EXPECT_FALSE(engine.Running);
  EXPECT_EQ(engine.log.size(), 51u);  // the rows allowed and the footer
  EXPECT_EQ(engine.log.back(), "Foot");
}

TEST(EngineEnd, TheRowGuardLeavesDatasetsThatEndAlone) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  std::vector<TableDataSet::Row> table(50, TableDataSet::Row{V("k"), V(1)});
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, table);
  rows.EndByCheckEOF();
  b.AddDataBand(page, 40, 20, rows, "MD");
  LogEngine& engine = UseLogEngine(b);
  engine.MaxRowsWithoutEnd = 50;

  EXPECT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(engine.log.size(), 50u);
  EXPECT_EQ(b.Errors(), "");
}

TEST(EngineEnd, AnErrorWhileBuildingEndsTheRunAndStillFinishes) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto& rows = b.AddDataSet("Rows", {"Key", "N"}, {{V("a"), V(1)}, {V("b"), V(0)}, {V("c"), V(3)}});
  auto* band = b.AddDataBand(page, 40, 20, rows, "MD");
  b.AddMemo(band, 0, 0, 100, 20, "[10 div <Rows.\"N\">]", {}, "Cell");
  LogEngine& engine = UseLogEngine(b);
  engine.watched = &rows;

  EXPECT_FALSE(b.Prepare());
  EXPECT_NE(b.Errors().find("Cell"), std::string::npos) << b.Errors();
  EXPECT_FALSE(engine.Running);
  EXPECT_EQ(Join(engine.log), "MD@0 MD@1") << b.Errors();
  // The pages built so far are finished and readable.
  EXPECT_EQ(b.Store().GetCount(), 1);
  EXPECT_NE(b.Store().GetPage(0), nullptr);
}

// An after-print event runs while a band's output is put back (its stretch
// undone, the engine's position restored). When it fails there, on any of
// the output paths, the run ends with that error, and the next run builds
// the same pages as a report that never failed.
struct AfterPrintFailure {
  const char* band;  // the band whose event fails
  int call;          // on its n-th output
};

class AfterPrintFailures : public ::testing::TestWithParam<AfterPrintFailure> {};

void BuildColumnsReport(ReportBuilder& b, int* shown, const AfterPrintFailure* failure) {
  PageSetup setup;
  setup.paperSize = 256;
  setup.paperWidth = 100;
  setup.paperHeight = 60;
  setup.columns = 2;
  auto* page = b.AddPage(setup);
  std::vector<TableDataSet::Row> table;
  for (int i = 0; i < 12; ++i) table.push_back({V(i)});
  auto& rows = b.AddDataSet("Rows", {"N"}, std::move(table));
  auto* header = b.AddBand<report::TfrxPageHeader>(page, 0, 20, "PH");
  b.AddMemo(header, 0, 0, 100, 20, "[Page#]");
  auto* footer = b.AddBand<report::TfrxPageFooter>(page, 80, 20, "PF");
  b.AddMemo(footer, 0, 0, 100, 20, "[Page#]");
  auto* columnHeader = b.AddBand<report::TfrxColumnHeader>(page, 25, 10, "CH");
  b.AddMemo(columnHeader, 0, 0, 80, 10, "N");
  auto* columnFooter = b.AddBand<report::TfrxColumnFooter>(page, 65, 10, "CF");
  b.AddMemo(columnFooter, 0, 0, 80, 10, "[COUNT(MD)]");
  auto* data = b.AddDataBand(page, 40, 20, rows, "MD");
  MemoSetup stretching;
  stretching.stretch = report::smActualHeight;
  b.AddMemo(data, 0, 0, 80, 20, "[Rows.\"N\"]", stretching);
  b.Report().OnAfterPrint = [shown, failure](report::TfrxReportComponent* sender) {
    if (!failure || sender->Name() != failure->band) return;
    if (++*shown == failure->call) throw rtl::Exception("after print of " + sender->Name());
  };
}

TEST_P(AfterPrintFailures, EndTheRunAndLeaveTheTemplateAsItWas) {
  EngineScope scope;
  std::string clean;
  {
    ReportBuilder b;
    int shown = 0;
    BuildColumnsReport(b, &shown, nullptr);
    ASSERT_TRUE(b.Prepare()) << b.Errors();
    ASSERT_GT(b.Store().GetCount(), 1);  // headers are printed again on later pages
    clean = DumpPages(b.Store());
  }
  ReportBuilder b;
  int shown = 0;
  const AfterPrintFailure failure = GetParam();
  BuildColumnsReport(b, &shown, &failure);
  EXPECT_FALSE(b.Prepare());
  EXPECT_NE(b.Errors().find(std::string("after print of ") + failure.band), std::string::npos) << b.Errors();
  EXPECT_EQ(shown, failure.call);

  b.Report().OnAfterPrint = nullptr;
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  EXPECT_EQ(DumpPages(b.Store()), clean);
}

INSTANTIATE_TEST_SUITE_P(EngineEnd, AfterPrintFailures,
                         ::testing::Values(AfterPrintFailure{"MD", 3},  // a data row
                                           AfterPrintFailure{"PH", 2},  // the header a new page prints again
                                           AfterPrintFailure{"CH", 2},  // the header a new column prints again
                                           AfterPrintFailure{"CF", 1},  // a column's footer
                                           AfterPrintFailure{"PF", 1}   // a page's footer
                                           ),
                         [](const auto& param) {
                           return std::string(param.param.band) + std::to_string(param.param.call);
                         });

// ---------------------------------------------------------------- vertical bands

TEST(EngineVertical, GroupsRunAcrossAndCloseOnlyWhatWasOpened) {
  for (const bool empty : {false, true}) {
    EngineScope scope;
    ReportBuilder b;
    auto* page = b.AddPage();
    auto& rows = b.AddDataSet("Rows", {"Key", "N"}, Rows({"r"}));
    auto& cols = b.AddDataSet("Cols", {"Key", "N"}, empty ? Rows({}) : Rows({"a", "a", "b"}));
    auto* md = b.AddDataBand(page, 20, 20, rows, "MD");
    b.AddMemo(md, 0, 0, 30, 20, "g");
    b.AddMemo(md, 40, 0, 30, 20, "[Cols.\"Key\"]");
    b.AddMemo(md, 80, 0, 30, 20, "f");
    auto* gh = b.AddGroupHeader(page, 0, 20, "Cols.\"Key\"", "VGH");
    auto* vb = b.AddDataBand(page, 0, 20, cols, "VB");
    auto* gf = b.AddBand<report::TfrxGroupFooter>(page, 0, 20, "VGF");
    int left = 0;
    for (report::TfrxBand* band :
         {static_cast<report::TfrxBand*>(gh), static_cast<report::TfrxBand*>(vb), static_cast<report::TfrxBand*>(gf)}) {
      band->SetVertical(true);
      band->SetLeft(left);
      band->SetWidth(30);
      left += 40;
    }
    LogEngine& engine = UseLogEngine(b);
    engine.watched = &cols;

    ASSERT_TRUE(b.Prepare()) << b.Errors();
    EXPECT_EQ(Join(engine.log), empty ? "MD@-1" : "MD@0 VGH@0 VB@0 VB@1 VGF@1 VGH@2 VB@2 VGF@2") << empty;
  }
}

}  // namespace engine_test
