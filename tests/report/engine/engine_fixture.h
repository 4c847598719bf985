// The engine tests' fixture: the start-up a report run needs, a builder that
// makes a report in code with the real report classes, a dataset over a
// table of rows, a text dump of the prepared pages and the comparison of a
// dump with a kept golden file.
//
//   engine_test::EngineScope scope;          // classes, store, printers, engine
//   engine_test::ReportBuilder b;
//   auto* page = b.AddPage();
//   auto& rows = b.AddDataSet("Rows", {"Name", "Sum"}, {{"a", 1}, {"b", rtl::Variant::Null()}});
//   auto* data = b.AddDataBand(page, 40, 20, rows);
//   b.AddMemo(data, 0, 0, 200, 20, "[Rows.\"Name\"]");
//   ASSERT_TRUE(b.Prepare());
//   EXPECT_GOLDEN("simple_list", engine_test::DumpPages(b.Store()));
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/strings.h"
#include "platform/rtl/variant.h"
#include "preview/vuzPreviewPages.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassSubreport.h"
#include "report/vuzDataSet.h"
#include "report/vuzTextMeasurer.h"

namespace engine_test {

using rtl::AnsiString;

// ---------------------------------------------------------------- start-up

// Everything a report run needs, undone in reverse order when it goes: the
// report classes and process-wide objects, the script bindings of the report
// classes and the preview library's hooks (the prepared-pages store every
// report makes, the printer defaults new pages take); reports make the real
// engine themselves. With fixedMetrics, text is measured with fixed advances
// (half the font size per letter), so wrapping and heights do not depend on
// the fonts installed.
class EngineScope {
 public:
  explicit EngineScope(bool fixedMetrics = true);
  ~EngineScope();
  EngineScope(const EngineScope&) = delete;
  EngineScope& operator=(const EngineScope&) = delete;

 private:
  std::unique_ptr<report::TfrxFixedTextMeasurer> measurer_;
  std::unique_ptr<report::TfrxTextMeasurerScope> measurerScope_;
};

// ---------------------------------------------------------------- dataset

// A user dataset over a table: column names and rows of variants (Null
// allowed). Values are read by field name (case ignored) from the current
// row; a row outside the table or an unknown field reads as Null. A filter,
// when set, is applied at each First (a detail dataset shows the rows of the
// master's current row that way). The dataset ends after its last visible
// row: by its count (the default) or, with EndByCheckEOF, through the
// OnCheckEOF event as the program's own dataset does.
class TableDataSet {
 public:
  using Row = std::vector<rtl::Variant>;
  TableDataSet(const std::string& name, std::vector<std::string> columns, std::vector<Row> rows);
  ~TableDataSet();

  report::TfrxUserDataSet& DataSet() { return *dataSet_; }
  const std::vector<std::string>& Columns() const { return columns_; }
  const std::vector<Row>& Rows() const { return rows_; }
  // The table row under the cursor (-1 outside the visible rows).
  int CurrentRow() const;
  // The value of a column in the current row (Null outside).
  rtl::Variant Value(const std::string& column) const;

  void SetFilter(std::function<bool(const Row&)> filter);
  void EndByCheckEOF();

  // What the engine asked of the dataset.
  struct Counters {
    int firsts = 0, nexts = 0, priors = 0, values = 0;
  };
  const Counters& Asked() const { return counters_; }

 private:
  void Refilter();
  int ColumnIndex(const AnsiString& field) const;

  std::vector<std::string> columns_;
  std::vector<Row> rows_;
  std::vector<int> visible_;  // table rows the cursor walks
  std::function<bool(const Row&)> filter_;
  Counters counters_;
  std::unique_ptr<report::TfrxUserDataSet> dataSet_;
};

// ---------------------------------------------------------------- builder

struct PageSetup {
  int paperSize = 9;                                // A4; 256 is a custom paper of paperWidth x paperHeight
  long double paperWidth = 210, paperHeight = 297;  // millimetres
  long double leftMargin = 10, topMargin = 10, rightMargin = 10, bottomMargin = 10;
  int columns = 0;
  long double columnWidth = 0;  // millimetres; with columns, 0 splits the width evenly
  bool landscape = false;
};

struct MemoSetup {
  report::TfrxStretchMode stretch = report::smDontStretch;
  report::TfrxShiftMode shift = report::smAlways;
  bool wordWrap = true;
  // Text is an expression to evaluate instead of a text with [ ] inside.
  bool expressionOnly = false;
  AnsiString displayFormat;  // e.g. "%2.2f" (1251)
  report::TfrxHAlign hAlign = report::haLeft;
};

// Makes a report in code out of the real classes. Positions and sizes of
// bands and objects are in report units (pixels at 96 dpi; 1 mm is
// report::fr01cm). Texts are given as UTF-8 and stored as the report keeps
// them. Objects get unique names unless one is given. Needs an EngineScope.
class ReportBuilder {
 public:
  ReportBuilder();
  ~ReportBuilder();

  report::TfrxReport& Report() { return *report_; }
  preview::TfrxPreviewPages& Store();

  report::TfrxReportPage* AddPage(const PageSetup& spec = {});
  // A band of any kind across the page's printable width.
  template <class Band>
  Band* AddBand(report::TfrxComponent* page, long double top, long double height, const std::string& name = {}) {
    auto* band = new Band(page);
    PlaceBand(band, page, top, height, name);
    return band;
  }
  // A master data band (or any data band kind) over a dataset.
  template <class Band = report::TfrxMasterData>
  Band* AddDataBand(report::TfrxComponent* page, long double top, long double height, TableDataSet& data,
                    const std::string& name = {}) {
    Band* band = AddBand<Band>(page, top, height, name);
    BindData(band, data);
    return band;
  }
  report::TfrxGroupHeader* AddGroupHeader(report::TfrxComponent* page, long double top, long double height,
                                          const std::string& condition, const std::string& name = {});
  report::TfrxMemoView* AddMemo(report::TfrxComponent* parent, long double left, long double top, long double width,
                                long double height, const std::string& text, const MemoSetup& spec = {},
                                const std::string& name = {});
  // A subreport view on a band and the new report page it prints.
  report::TfrxSubreport* AddSubreport(report::TfrxComponent* band, long double left, long double top, long double width,
                                      long double height, report::TfrxReportPage** page, const PageSetup& spec = {},
                                      const std::string& name = {});
  // The same on a default page, named.
  report::TfrxSubreport* AddSubreport(report::TfrxComponent* band, long double left, long double top, long double width,
                                      long double height, report::TfrxReportPage** page, const std::string& name) {
    return AddSubreport(band, left, top, width, height, page, PageSetup{}, name);
  }
  // A dataset the report knows (in its dataset list), owned by the builder.
  TableDataSet& AddDataSet(const std::string& name, std::vector<std::string> columns,
                           std::vector<TableDataSet::Row> rows);
  void BindData(report::TfrxDataBand* band, TableDataSet& data);

  // Runs the report; false (with the report's errors in the failure text of
  // the caller's EXPECT) when the run failed.
  bool Prepare();
  // The report's error list as UTF-8 lines.
  std::string Errors() const;

 private:
  void PlaceBand(report::TfrxBand* band, report::TfrxComponent* page, long double top, long double height,
                 const std::string& name);
  void Name(report::TfrxComponent* object, const std::string& name);

  // Datasets outlive the report: the report's bands and dataset list point
  // at them and forget them through the free notification.
  std::vector<std::unique_ptr<TableDataSet>> dataSets_;
  std::unique_ptr<report::TfrxReport> report_;
};

// ---------------------------------------------------------------- dump

// The prepared pages as text, one line per page or object:
//   page 0 TfrxReportPage 210x297mm 793.70x1122.52
//     TfrxPageHeader PageHeader1 0.00 0.00 718.11 40.00
//       TfrxMemoView Memo1 0.00 0.00 200.00 20.00 "Страница 1 из 3"
// Geometry is left, top, width, height rounded to 0.01; memo texts are
// UTF-8 with CR, LF, tab, backslash and quote escaped, so one object stays
// on one line. Children are indented two blanks per level.
std::string DumpPages(preview::TfrxPreviewPages& store);
// One page of it (the same lines).
std::string DumpPage(preview::TfrxPreviewPages& store, int index);
// A component tree in the same form (templates, pages built by hand).
std::string DumpObject(report::TfrxComponent* object, int depth = 0);
// A number rounded to 0.01 with two decimals ("-0.00" never appears).
std::string Fixed2(long double value);

// ---------------------------------------------------------------- golden files

// The golden file of a name: ENGINE_TEST_DATA/<name>.txt.
std::string GoldenPath(const std::string& name, const std::string& folder = ENGINE_TEST_DATA);
// A readable line diff of two texts ("" when equal): "-" lines only in the
// expected text, "+" lines only in the actual one, with up to `context`
// equal lines around each change and "@@ line N" headers.
std::string LineDiff(const std::string& expected, const std::string& actual, int context = 2);
// Compares a dump with its golden file. With ZARNIK_UPDATE_GOLDEN=1 in the
// environment the file is written instead (and the check passes).
// The folder is the tests' data folder unless another is given.
::testing::AssertionResult MatchesGolden(const std::string& name, const std::string& actual,
                                         const std::string& folder = ENGINE_TEST_DATA);

#define EXPECT_GOLDEN(name, text) EXPECT_TRUE(::engine_test::MatchesGolden((name), (text)))

// ---------------------------------------------------------------- pictures

// Draws a prepared page at 96 dpi on a white bitmap and saves it as PNG
// (for looking at a golden by eye); false when it could not be written.
bool SavePagePng(preview::TfrxPreviewPages& store, int index, const std::string& path, long double scale = 1);

}  // namespace engine_test
