// A prepared page drawn again from the store gives the same text records
// (what the search walks) as when it was first drawn: after the page cache
// was emptied, and when the build swapped its pages out to the temporary
// file. The report has a data band printed in two columns, a subreport and
// page totals, the parts of a page whose objects are placed while built.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/metafile.h"
#include "preview/vuzPreviewPages.h"
#include "preview/vuzPreviewStartup.h"
#include "report/vuzClass.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassRTTI.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassSubreport.h"

namespace preview_test {

namespace {

struct Started {
  Started() {
    report::ReportClassesStartup();
    report::vuzClassRTTIStartup();
    preview::vuzPreviewStartup();
  }
  ~Started() {
    preview::vuzPreviewShutdown();
    report::vuzClassRTTIShutdown();
    report::ReportClassesShutdown();
  }
};

using Records = std::vector<std::pair<std::u16string, gfx::TRect>>;

Records RecordsOf(report::TfrxCustomPreviewPages& pages, int index) {
  gfx::TMetafile metafile;
  {
    gfx::TMetafileCanvas canvas(metafile);
    pages.DrawPage(index, canvas, 1, 1, 0, 0);
  }
  Records out;
  for (const gfx::TMetafileTextRecord& r : metafile.TextRecords()) out.emplace_back(r.text, r.bounds);
  return out;
}

// 400 numbered lines in two columns, a subreport in the title,
// "Page n of m" at each foot.
std::unique_ptr<report::TfrxReport> MakeReport(bool swapping) {
  auto r = std::make_unique<report::TfrxReport>();
  r->EngineOptions()->NewSilentMode = report::simSilent;
  r->EngineOptions()->DoublePass = true;
  r->SetShowProgress(false);
  if (swapping) {
    r->EngineOptions()->UseFileCache = true;
    r->EngineOptions()->MaxMemSize = 0;
    r->PreviewOptions()->PagesInCache = 2;
  }
  int n = 0;
  auto memo = [&](report::TfrxComponent* parent, long double left, long double width, const char* text) {
    auto* m = new report::TfrxMemoView(parent);
    m->SetName("Memo" + std::to_string(++n));
    m->SetBounds(left, 0, width, 18);
    m->SetText(rtl::Utf8ToWide(text));
  };
  auto* page = new report::TfrxReportPage(r.get());
  page->SetName("Page1");
  page->SetPaperSize(11);  // A5: a few pages
  auto* title = new report::TfrxReportTitle(page);
  title->SetName("ReportTitle1");
  title->SetBounds(0, 0, 400, 80);
  auto* sub = new report::TfrxSubreport(title);
  sub->SetName("Subreport1");
  sub->SetBounds(0, 0, 300, 20);
  auto* data = new report::TfrxMasterData(page);
  data->SetName("MasterData1");
  data->SetBounds(0, 60, 400, 18);
  data->SetRowCount(400);
  data->SetColumns(2);
  data->SetColumnWidth(200);
  memo(data, 0, 180, "Line [Line#]");
  auto* footer = new report::TfrxPageFooter(page);
  footer->SetName("PageFooter1");
  footer->SetBounds(0, 120, 400, 20);
  memo(footer, 0, 300, "Page [Page#] of [TotalPages#]");

  auto* subPage = new report::TfrxReportPage(r.get());
  subPage->SetName("Page2");
  sub->SetPage(subPage);
  auto* subData = new report::TfrxMasterData(subPage);
  subData->SetName("MasterData2");
  subData->SetBounds(0, 0, 300, 18);
  subData->SetRowCount(3);
  memo(subData, 0, 180, "Sub [Line#]");
  return r;
}

bool Has(const Records& records, const char* text) {
  for (const auto& r : records)
    if (r.first == rtl::Utf8ToWide(text)) return true;
  return false;
}

}  // namespace

TEST(TextRecords, APageDrawnAgainFromTheStoreGivesTheSameRecords) {
  Started started;
  auto plain = MakeReport(false);
  ASSERT_TRUE(plain->PrepareReport(true));
  report::TfrxCustomPreviewPages& pages = *plain->PreviewPages();
  ASSERT_GE(pages.GetCount(), 3);
  std::vector<Records> first;
  for (int i = 0; i < pages.GetCount(); ++i) first.push_back(RecordsOf(pages, i));

  // What the page holds: the subreport's lines, both columns, the totals.
  EXPECT_TRUE(Has(first[0], "Sub 1"));
  EXPECT_TRUE(Has(first[0], "Line 1"));
  EXPECT_TRUE(Has(first[0], ("Page 1 of " + std::to_string(pages.GetCount())).c_str()));
  int leftColumn = 0, rightColumn = 0;
  for (const auto& r : first[0])
    if (r.first.rfind(u"Line ", 0) == 0) (r.second.Left >= 200 ? rightColumn : leftColumn)++;
  EXPECT_GT(leftColumn, 0);
  EXPECT_GT(rightColumn, 0);
  const std::string lastFooter = "Page " + std::to_string(pages.GetCount()) + " of " + std::to_string(pages.GetCount());
  EXPECT_TRUE(Has(first.back(), lastFooter.c_str()));

  // The cache emptied: each page is built again from the prepared tree,
  // last page first so that no page is still cached.
  auto* store = dynamic_cast<preview::TfrxPreviewPages*>(&pages);
  ASSERT_NE(store, nullptr);
  store->ClearPageCache();
  for (int i = pages.GetCount() - 1; i >= 0; --i) EXPECT_EQ(RecordsOf(pages, i), first[std::size_t(i)]) << i;

  // Built with its pages swapped out to the temporary file on the way.
  auto swapped = MakeReport(true);
  ASSERT_TRUE(swapped->PrepareReport(true));
  report::TfrxCustomPreviewPages& other = *swapped->PreviewPages();
  ASSERT_EQ(other.GetCount(), pages.GetCount());
  for (int i = other.GetCount() - 1; i >= 0; --i) EXPECT_EQ(RecordsOf(other, i), first[std::size_t(i)]) << i;
  for (int i = 0; i < other.GetCount(); ++i) EXPECT_EQ(RecordsOf(other, i), first[std::size_t(i)]) << i;
}

}  // namespace preview_test
