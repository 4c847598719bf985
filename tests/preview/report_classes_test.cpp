// The store with the engine's own page class and the preview library's
// start-up hooks.
#include <gtest/gtest.h>

#include <memory>

#include "preview/vuzPreviewPages.h"
#include "preview/vuzPreviewStartup.h"
#include "preview/vuzPrinter.h"
#include "report/vuzClass.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "store_fixture.h"

namespace preview_test {

using rtl::operator""_cp;

namespace {

struct Started {
  Started() {
    report::ReportClassesStartup();
    preview::vuzPreviewStartup();
  }
  ~Started() {
    preview::vuzPreviewShutdown();
    report::ReportClassesShutdown();
  }
};

}  // namespace

TEST(PreviewStartup, NewPagesTakeTheCurrentPrintersPaper) {
  Started started;
  if (preview::vuzPrinters().HasPhysicalPrinters()) GTEST_SKIP() << "a printer is installed";
  report::TfrxReportPage page(nullptr);
  page.SetPaperSize(11);  // A5
  page.SetDefaults();
  EXPECT_EQ(page.PaperSize(), 9);  // the virtual printer's A4
  EXPECT_EQ(page.PaperWidth(), 210);
  EXPECT_EQ(page.LeftMargin(), 10);
}

TEST(PreviewStartup, EngineReportPagesGoThroughTheStore) {
  Started started;
  StoreFixture f;
  report::TfrxReportPage page(nullptr);
  page.SetName("Page1");
  page.SetPaperSize(11);  // A5 148 x 210
  page.SetLeftMargin(15);
  auto* band = new TestDataBand(&page);
  band->SetBounds(0, 0, 500, 20);
  auto* memo = new TestMemo(band);
  memo->SetBounds(0, 0, 100, 20);
  f.store->AddPageAction = report::apAdd;
  f.store->AddSourcePage(&page);
  f.store->AddPage(&page);
  memo->Text = "one";
  f.store->AddObject(band);
  f.store->Finish();
  EXPECT_EQ(f.store->Tree().Page(0)->Name, "page0");
  auto* built = dynamic_cast<report::TfrxReportPage*>(f.store->GetPage(0));
  ASSERT_NE(built, nullptr);
  EXPECT_EQ(built->PaperWidth(), 148);
  EXPECT_EQ(built->LeftMargin(), 15);
  ASSERT_EQ(built->Objects().size(), 1u);
  EXPECT_EQ(dynamic_cast<TestMemo*>(built->Objects()[0]->Objects()[0])->Text, "one");
  EXPECT_EQ(f.store->GetPageSize(0).X, 559);  // 148 mm
  // Written back whole, the page is read as the engine's page class.
  built->SetLeftMargin(25);
  f.store->ModifyPage(0, built);
  EXPECT_EQ(f.store->Tree().Page(0)->Name, "TfrxReportPage");
  built = dynamic_cast<report::TfrxReportPage*>(f.store->GetPage(0));
  ASSERT_NE(built, nullptr);
  EXPECT_EQ(built->LeftMargin(), 25);
  EXPECT_EQ(built->Objects().size(), 1u);
  // A page element that names no source page becomes an empty page of that class.
  f.store->Tree().AppendPage("page3");
  EXPECT_NE(dynamic_cast<report::TfrxReportPage*>(f.store->GetPage(1)), nullptr);
  // The store's outline comes from the factory the start-up installs.
  EXPECT_NE(f.store->Outline(), nullptr);
}

TEST(PreviewStartup, ReportsMakeThisStoreAndItServesThem) {
  Started started;
  report::TfrxReport report;
  auto* store = dynamic_cast<preview::TfrxPreviewPages*>(report.PreviewPages());
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(store->Engine, report.Engine());
  EXPECT_EQ(preview::TfrxPreviewPages::StoreOf(&report), store);
  report.PreviewOptions()->PagesInCache = 3;
  report.EngineOptions()->MaxMemSize = 4;
  EXPECT_EQ(store->Host().PagesInCache(), 3);
  EXPECT_EQ(store->Host().MaxMemSize(), 4);

  TemplatePage t;
  report.Engine()->FinalPass = true;
  store->AddPageAction = report::apAdd;
  store->AddSourcePage(t.page.get());
  store->AddPage(t.page.get());
  store->AddObject(t.data);
  store->Finish();

  // A failing export reports into the report's error list (silently here).
  struct FailingFilter : report::TfrxCustomExportFilter {
    FailingFilter() { ShowDialog = false; }
    void ExportObject(TfrxComponent*) override { throw rtl::Exception("disk full"); }
  } filter;
  report.EngineOptions()->NewSilentMode = report::simSilent;
  EXPECT_FALSE(report.Export(&filter));
  EXPECT_EQ(report.Errors().Text(), "disk full\r\n");
  EXPECT_EQ(filter.Report, &report);

  // The report's settings travel with the prepared report.
  report.ReportOptions()->Name = "Продажи"_cp;
  report.PreviewOptions()->OutlineWidth = 150;
  rtl::TMemoryStream saved;
  store->SaveToStream(saved);
  saved.SetPosition(0);
  report::TfrxReport other;
  other.PreviewPages()->LoadFromStream(saved);
  EXPECT_EQ(other.ReportOptions()->Name, "Продажи"_cp);
  EXPECT_EQ(other.PreviewOptions()->OutlineWidth, 150);
  EXPECT_EQ(other.PreviewPages()->GetCount(), 1);
}

}  // namespace preview_test
