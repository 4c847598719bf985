// The layout matrix fed by the export driver from pages the engine built: a
// data band of seven memos, page header and footer, group footers, a filled
// rectangle and a shadowed title. Every memo text shows once, every row
// boundary is an object's edge (the engine's empty null band on each page
// adds none), and the pages stack.
//
// With ZARNIK_MATRIX_SEEDS=<folder> the prepared pages are also saved there
// as a prepared-report file (how tests/fuzz/corpus/matrix_export_fuzz/
// report.fp3 was made).
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "matrix_filter.h"
#include "matrix_fixture.h"
#include "platform/rtl/streams.h"
#include "preview/vuzPreviewStartup.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassShape.h"
#include "report/vuzDataSet.h"
#include "tests/support/files.h"

using namespace report;

namespace {

constexpr int kRows = 120;

struct Started {
  Started() {
    ReportClassesStartup();
    preview::vuzPreviewStartup();
  }
};

class SmallLogReport {
 public:
  SmallLogReport() {
    rows_ = std::make_unique<TfrxUserDataSet>(nullptr);
    rows_->SetName("Rows");
    rows_->SetRangeEnd(reCount);
    rows_->SetRangeEndCount(kRows);
    report_ = std::make_unique<TfrxReport>();
    report_->EngineOptions()->NewSilentMode = simSilent;
    report_->SetShowProgress(false);
    report_->DataSets()->Add(rows_.get());
    auto* page = new TfrxReportPage(report_.get());
    page->SetName("Page1");
    page->SetPaperSize(9);
    int n = 0;
    auto band = [&](TfrxBand* b, const char* name, long double top, long double height) {
      b->SetName(name);
      b->SetBounds(0, top, 700, height);
      return b;
    };
    auto memo = [&](TfrxComponent* parent, long double left, long double w, const std::string& text) {
      auto* m = new TfrxMemoView(parent);
      m->SetName("Memo" + std::to_string(++n));
      m->SetBounds(left, 0, w, 16);
      m->SetText(rtl::Utf8ToWide(text));
      m->Frame()->SetTyp(15);
      return m;
    };
    auto* header = band(new TfrxPageHeader(page), "PageHeader1", 0, 40);
    auto* title = memo(header, 0, 300, "Page [Page#]");
    title->Frame()->SetDropShadow(true);
    auto* box = new TfrxShapeView(header);
    box->SetName("Box");
    box->SetBounds(400, 0, 100, 30);
    box->SetColor(0xCCCCCC);
    auto* data = static_cast<TfrxMasterData*>(band(new TfrxMasterData(page), "MasterData1", 80, 16));
    data->SetDataSet(rows_.get());
    for (int v = 0; v < 7; ++v) memo(data, v * 95, 95, "r[Line#]c" + std::to_string(v));
    auto* group = static_cast<TfrxGroupHeader*>(band(new TfrxGroupHeader(page), "GroupHeader1", 50, 0));
    group->SetCondition("<Line#> div 25");
    auto* footer = band(new TfrxGroupFooter(page), "GroupFooter1", 120, 16);
    memo(footer, 0, 200, "group end [Line#]");
    auto* pageFooter = band(new TfrxPageFooter(page), "PageFooter1", 200, 20);
    memo(pageFooter, 0, 300, "footer [Page#]");
  }
  ~SmallLogReport() {
    report_.reset();
    rows_.reset();
  }
  TfrxReport& Report() { return *report_; }

 private:
  std::unique_ptr<TfrxUserDataSet> rows_;
  std::unique_ptr<TfrxReport> report_;
};

TEST(MatrixExport, EnginePagesBecomeOneGrid) {
  Started started;
  SmallLogReport report;
  ASSERT_TRUE(report.Report().PrepareReport(true)) << rtl::AnsiToUtf8(report.Report().Errors().Text());
  TfrxCustomPreviewPages* pages = report.Report().PreviewPages();
  ASSERT_GT(pages->GetCount(), 1);
  if (const char* folder = std::getenv("ZARNIK_MATRIX_SEEDS")) {
    rtl::TMemoryStream out;
    pages->SaveToStream(out);
    support::WriteFile(std::string(folder) + "/report.fp3",
                       std::string(static_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.Size())));
  }

  exporttest::MatrixFilter filter;
  ASSERT_TRUE(pages->Export(&filter));
  TfrxIEMatrix& m = filter.matrix;
  m.Prepare();
  EXPECT_EQ(m.GetPagesCount(), pages->GetCount());

  std::map<std::string, int> shown;
  std::set<long double> edges;
  for (int id = 0; id < m.GetObjectsCount(); ++id) {
    const TfrxIEMObject* o = m.GetObjectById(id);
    edges.insert(o->Top);
    edges.insert(o->Top + o->Height);
    if (m.IsSettled(id)) ++shown[exporttest::Text(o)];
  }
  for (int r = 1; r <= kRows; ++r)
    for (int v = 0; v < 7; ++v) {
      const std::string text = "r" + std::to_string(r) + "c" + std::to_string(v);
      EXPECT_EQ(shown[text], 1) << text;
    }
  EXPECT_EQ(shown["Page 1"], 1);
  EXPECT_EQ(shown["footer 1"], 1);
  // Row boundaries are object edges only, and no row is empty of height.
  for (int r = 0; r < m.RowCount; ++r) {
    EXPECT_TRUE(edges.count(m.GetYPosById(r))) << "row " << r << " at " << static_cast<double>(m.GetYPosById(r));
    if (r + 1 < m.RowCount) {
      EXPECT_LT(m.GetYPosById(r), m.GetYPosById(r + 1));
    }
  }
  // Pages stack: each page's objects lie below the previous page's end.
  for (int p = 1; p < m.GetPagesCount(); ++p) EXPECT_GT(m.GetPageBreak(p), m.GetPageBreak(p - 1));
  // The filled rectangle is one object with all four sides.
  int boxes = 0;
  for (int id = 0; id < m.GetObjectsCount(); ++id) {
    if (m.GetObjectById(id)->Name != "Rect") continue;
    ++boxes;
    EXPECT_EQ(m.GetObjectById(id)->CellStyle->FrameSides, 15u);
    EXPECT_EQ(m.GetObjectById(id)->CellStyle->Color, 0xCCCCCCu);
  }
  EXPECT_EQ(boxes, pages->GetCount());
}

}  // namespace
