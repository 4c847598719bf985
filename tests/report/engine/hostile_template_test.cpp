// Templates that ask for more than any report needs: column counts beyond
// what a page holds, tens of thousands of bands, builds that never end. Each
// ends in bounded work with a line in the report's errors, never in a hang
// or memory filled.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "engine_fixture.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "report/vuzEngine.h"
#include "watchdog.h"

namespace engine_test {

using report::TfrxComponent;

namespace {

// Loads a template given as UTF-8 XML into the builder's report.
void LoadTemplate(ReportBuilder& b, const std::string& xml) {
  const AnsiString bytes = rtl::Utf8ToAnsi(xml);
  rtl::TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(0);
  b.Report().LoadFromStream(stream);
}

}  // namespace

// ---------------------------------------------------------------- columns

// Each page column keeps a text of its position: a count from the template
// is cut to what the printable width holds (a pixel a column, and never more
// than the fixed ceiling whatever the paper), with a line naming the object.
TEST(HostileTemplate, ColumnCountsAreCutToWhatThePageHolds) {
  struct Case {
    const char* what;
    const char* page;  // the page's attributes
    const char* band;  // the data band's attributes
    int pageColumns, bandColumns;
    const char* error;  // the start of the first error line
  };
  // A4 with 10 mm margins: 190 mm, 718 whole pixels.
  const Case cases[] = {
      {"page", R"(PaperSize="9" LeftMargin="10" RightMargin="10" Columns="100000")", R"(Columns="2")", 718, 2,
       "Page1: число колонок 100000 не помещается на странице, оставлено 718"},
      {"band", R"(PaperSize="9" LeftMargin="10" RightMargin="10" Columns="2")", R"(Columns="2000000000")", 2, 718,
       "MasterData1: число колонок 2000000000 не помещается на странице, оставлено 718"},
      {"paper five metres wide", R"(PaperWidth="5000" LeftMargin="0" RightMargin="0" Columns="1000000")", "", 10000, 0,
       "Page1: число колонок 1000000 не помещается на странице, оставлено 10000"},
      {"margins wider than the paper", R"(PaperWidth="50" LeftMargin="30" RightMargin="30" Columns="3")", "", 1, 0,
       "Page1: число колонок 3 не помещается на странице, оставлено 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EngineScope scope;
    ReportBuilder b;
    LoadTemplate(b, std::string(R"(<?xml version="1.0" encoding="utf-8"?>)") +
                        R"(<TfrxReport><TfrxReportPage Name="Page1" )" + c.page +
                        R"(><TfrxMasterData Name="MasterData1" Top="20" Height="20" RowCount="3" )" + c.band +
                        "/></TfrxReportPage></TfrxReport>");
    auto* page = dynamic_cast<report::TfrxReportPage*>(b.Report().FindObject("Page1"));
    auto* band = dynamic_cast<report::TfrxDataBand*>(b.Report().FindObject("MasterData1"));
    ASSERT_TRUE(page && band);
    EXPECT_EQ(page->Columns(), c.pageColumns);
    EXPECT_EQ(page->ColumnPositions()->Count(), std::max(c.pageColumns, 0));
    EXPECT_EQ(band->Columns(), c.bandColumns);
    ASSERT_GE(b.Report().Errors().Count(), 1) << b.Errors();
    EXPECT_EQ(b.Errors().substr(0, b.Errors().find('\n')), c.error);
  }
}

// Counts that fit are kept as written and report nothing.
TEST(HostileTemplate, ColumnCountsThatFitStayQuiet) {
  EngineScope scope;
  ReportBuilder b;
  PageSetup paper;
  auto* page = b.AddPage(paper);
  page->SetColumns(718);
  auto& rows = b.AddDataSet("Rows", {"N"}, {{rtl::Variant(1)}});
  auto* band = b.AddDataBand(page, 20, 20, rows);
  band->SetColumns(718);
  EXPECT_EQ(page->Columns(), 718);
  EXPECT_EQ(band->Columns(), 718);
  EXPECT_EQ(b.Errors(), "");
}

// ---------------------------------------------------------------- runaway builds

namespace {

report::TfrxEngine& EngineOf(ReportBuilder& b) {
  auto* engine = dynamic_cast<report::TfrxEngine*>(b.Report().Engine());
  EXPECT_NE(engine, nullptr);
  return *engine;
}

}  // namespace

// A thread-safe run has no progress window and no preview to cancel it: a
// band of two billion rows would build a hundred million pages. The
// engine's own page limit stops it with an error line, and the pages built
// so far stay readable.
TEST(HostileTemplate, EndlessRowsStopAtThePageLimit) {
  Watchdog watchdog(std::chrono::seconds(60), "two billion rows on pages");
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage();
  auto* band = b.AddBand<report::TfrxMasterData>(page, 20, 20);
  band->SetRowCount(2'000'000'000);
  b.AddMemo(band, 0, 0, 100, 20, "[Line]");
  b.Report().EngineOptions()->EnableThreadSafe = true;
  EngineOf(b).MaxPages = 40;
  EXPECT_FALSE(b.Prepare());
  EXPECT_NE(b.Errors().find("Построение остановлено: отчёт превысил 40 страниц"), std::string::npos) << b.Errors();
  EXPECT_GE(b.Store().GetCount(), 41);
  EXPECT_LE(b.Store().GetCount(), 42);
  EXPECT_NE(b.Store().GetPage(b.Store().GetCount() - 1), nullptr);
}

// Rows without end that build no page (a hidden band of two billion rows)
// are stopped by the time limit, thread-safe or not.
TEST(HostileTemplate, EndlessRowsStopAtTheTimeLimit) {
  Watchdog watchdog(std::chrono::seconds(60), "two billion hidden rows");
  for (const bool threadSafe : {true, false}) {
    SCOPED_TRACE(threadSafe ? "thread-safe" : "with the window system");
    EngineScope scope;
    ReportBuilder b;
    auto* page = b.AddPage();
    auto* band = b.AddBand<report::TfrxMasterData>(page, 20, 20);
    band->SetRowCount(2'000'000'000);
    band->SetVisible(false);
    b.Report().EngineOptions()->EnableThreadSafe = threadSafe;
    EngineOf(b).MaxRunTime = std::chrono::milliseconds(300);
    EXPECT_FALSE(b.Prepare());
    EXPECT_NE(b.Errors().find("Построение остановлено: отчёт строился дольше 300 мс"), std::string::npos) << b.Errors();
  }
}

}  // namespace engine_test
