// The spreadsheet export by automation over real prepared reports: the calls
// it makes (through a recording server), the workbook the in-process
// application holds, and the saved file read by xlrd and olefile.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <set>
#include <tuple>

#include "engine_fixture.h"
#include "export/biff/biffExcelStandIn.h"
#include "export/vuzExportRes.h"
#include "app/ReportEngineStartup.h"
#include "export/vuzExportXLS.h"
#include "export/vuzExportXLSDialog.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/files.h"
#include "platform/rtl/shell.h"
#include "platform/rtl/strings.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzDsgnIntf.h"
#include "tests/export/export_tools.h"
#include "xls_automation_fake.h"

namespace {

using namespace exporttest;
using rtl::AnsiString;

report::TfrxMemoView* Numeric(engine_test::ReportBuilder& b, report::TfrxComponent* band, long double left,
                              long double top, const std::string& text) {
  report::TfrxMemoView* m = b.AddMemo(band, left, top, 100, 20, text);
  report::TfrxFormat* f = m->DisplayFormat();
  f->SetKind(report::fkNumeric);
  f->SetFormatStr("%2.2n");
  f->SetDecimalSeparator(",");
  f->SetThousandSeparator(" ");
  return m;
}

// Two pages (a data band of two rows, each on its own page): a text, a
// number shown with separators, a numeric text without a number, a rotated
// text, a text across three columns and a 1,000-character Cyrillic line.
struct XlsReport {
  XlsReport() {
    report::TfrxReportPage* page = b.AddPage();
    auto& data = b.AddDataSet("Rows", {"N"}, {{rtl::Variant(1)}, {rtl::Variant(2)}});
    auto* band = b.AddDataBand(page, 0, 200, data);
    band->SetStartNewPage(true);
    b.AddMemo(band, 0, 0, 100, 20, "Текст [Rows.\"N\"]")->Frame()->SetTyp(15);
    Numeric(b, band, 100, 0, "1 234,50");
    Numeric(b, band, 200, 0, "нет данных");
    b.AddMemo(band, 300, 0, 40, 40, "Угол")->SetRotation(300);
    b.AddMemo(band, 0, 40, 300, 20, "Через три колонки");
    std::string longLine;
    for (int i = 0; i < 1000; ++i) longLine += "Ж";
    b.AddMemo(band, 0, 70, 300, 20, longLine);
    EXPECT_TRUE(b.Prepare()) << b.Errors();
  }
  engine_test::ReportBuilder b;
};

class XlsExport : public ::testing::Test {
 protected:
  void SetUp() override { report::vuzLoadExportResources(); }
  // Exports with the settings the main window stores; answers the driver's result.
  bool Export(XlsReport& r, const std::string& file, const std::function<void(report::TfrxXLSExport&)>& setup = {}) {
    report::TfrxXLSExport f(nullptr);
    f.ShowDialog = false;
    f.ShowProgress = false;
    f.FileName = file;
    f.Report = &r.b.Report();
    if (setup) setup(f);
    const bool ok = r.b.Store().Export(&f);
    if (!ok) std::cerr << "export errors: " << r.b.Report().Errors().Text() << "\n";
    return ok;
  }
  engine_test::EngineScope scope;
  TempDir dir;
};

TEST(XlsExportText, NumberFormatsFromFormatStrings) {
  const struct {
    const char* formatStr;
    const char* decimal;
    const char* thousand;
    const char* format;
  } cases[] = {
      {"%2.2n", ",", " ", "# # #0,00"},
      {"%2.2n", ",", "", "# # #0,00"},
      {"%2.3m", ".", ",", "#,# #0.000"},
      {"%2.2f", ",", "", "0,00"},
      {"%g", ",", "", ""},
      {"%d", ",", "", "#"},  // no separator without decimals
      {"%2.1d", ",", "", "#,#"},
      {"", ",", "", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(report::TfrxXLSExport::NumberFormat(c.formatStr, c.decimal, c.thousand), c.format) << c.formatStr;
}

TEST(XlsExportText, NumbersFromDisplayedTexts) {
  const struct {
    std::u16string text;
    const char* decimal;
    const char* thousand;
    bool isNumber;
    double value;
  } cases[] = {
      {u"1 234,50", ",", " ", true, 1234.5},
      {u"1,234.50", ".", ",", true, 1234.5},
      {u"-5", ",", " ", true, -5},
      {u"12,", ",", " ", true, 12},
      {u"45 %", ",", " ", true, 45},
      {u"нет данных", ",", " ", false, 0},  // used to stop the whole export
      {u"-", ",", " ", false, 0},
      {u"12-34", ",", " ", false, 0},
      {u"", ",", " ", false, 0},
  };
  for (const auto& c : cases) {
    double v = 0;
    EXPECT_EQ(report::TfrxXLSExport::NumericValue(c.text, c.decimal, c.thousand, v), c.isNumber)
        << rtl::WideToUtf8(c.text);
    if (c.isNumber) {
      EXPECT_EQ(v, c.value) << rtl::WideToUtf8(c.text);
    }
  }
  EXPECT_EQ(report::TfrxXLSExport::CleanReturns(u"a\r\nb\r\n\n"), u"a\nb");
}

TEST_F(XlsExport, CallsOfTheFastWriter) {
  XlsReport r;
  RecordingServer server;
  ASSERT_TRUE(Export(r, dir.File("calls.xls")));
  const RecordingLog& log = *server.log;
  EXPECT_EQ(log.With("ActiveWindow.DisplayGridlines = true").size(), 1u);
  EXPECT_GE(log.With("Styles.Add(S").size(), 4u);
  EXPECT_EQ(log.With("Orientation = -60").size(), 1u);         // 300 degrees
  EXPECT_EQ(log.With("NumberFormat = # # #0,00").size(), 1u);  // both pages in one call
  EXPECT_EQ(log.With("PageBreak = -4135").size(), 1u);         // two pages, one break
  EXPECT_EQ(log.With(".MergeCells = true").size(), 1u);
  EXPECT_EQ(log.With(".Value = [array]").size(), 1u);
  EXPECT_EQ(log.With("PageSetup.LeftMargin = 26").size(), 1u);  // 10 mm x 2.6
  ASSERT_EQ(log.With("SaveAs(").size(), 1u);
  EXPECT_NE(log.With("SaveAs(")[0].find(",-4143,_,_,_,_,1)"), std::string::npos) << log.With("SaveAs(")[0];
  EXPECT_EQ(log.With("Application.Quit").size(), 1u);
  EXPECT_EQ(log.With("DisplayAlerts = true").size(), 1u);
  // Saved under a name of its own, then renamed: only the target is left.
  EXPECT_TRUE(rtl::FileExists(dir.File("calls.xls")));
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
  EXPECT_EQ(files, 1);
}

TEST_F(XlsExport, ValuesNumbersAndTextsInTheWorkbook) {
  XlsReport r;
  report::BiffExcelStandInStartup();
  ASSERT_TRUE(Export(r, dir.File("values.xls")));
  const report::TExcelStandInBook& book = report::BiffExcelStandInLastSaved();
  int numbers = 0, noNumber = 0, longTexts = 0, texts = 0;
  for (const auto& [pos, cell] : book.Cells) {
    const rtl::Variant& v = cell.Value;
    if (v.IsFloat() || v.IsOrdinal()) {
      EXPECT_EQ(v.AsDouble(), 1234.5);
      EXPECT_EQ(cell.NumberFormat, u"# # #0,00");
      ++numbers;
    } else if (v.IsString()) {
      const std::u16string s = v.AsWideString();
      if (s == u"нет данных") ++noNumber;
      if (s.size() >= 900 && s[s.size() - 1] == u'Ж') {
        EXPECT_EQ(s.size(), 901u);  // the apostrophe and 900 characters
        ++longTexts;
      }
      if (s.rfind(u"'Текст", 0) == 0) ++texts;
    }
  }
  EXPECT_EQ(numbers, 2);
  EXPECT_EQ(noNumber, 2);
  EXPECT_EQ(longTexts, 2);
  EXPECT_EQ(texts, 2);
  EXPECT_EQ(book.PageBreaks.size(), 1u);
  EXPECT_FALSE(book.Merges.empty());
  report::BiffExcelStandInShutdown();
}

TEST_F(XlsExport, AsTextQuotesEveryValue) {
  XlsReport r;
  report::BiffExcelStandInStartup();
  ASSERT_TRUE(Export(r, dir.File("text.xls"), [](report::TfrxXLSExport& f) { f.AsText = true; }));
  for (const auto& [pos, cell] : report::BiffExcelStandInLastSaved().Cells)
    if (!cell.Value.IsEmpty()) {
      ASSERT_TRUE(cell.Value.IsString());
      EXPECT_EQ(cell.Value.AsWideString().substr(0, 1), u"'");
    }
  report::BiffExcelStandInShutdown();
}

// A save that fails is an export error with a message, and leaves no file.
TEST_F(XlsExport, FailedSaveIsReportedAndLeavesNothing) {
  XlsReport r;
  report::BiffExcelStandInStartup();
  const std::string target = dir.File("missing/folder/x.xls");
  EXPECT_FALSE(Export(r, target));
  ASSERT_GT(r.b.Report().Errors().Count(), 0);
  EXPECT_NE(r.b.Report().Errors().Text().find("could not be saved"), std::string::npos) << r.b.Report().Errors().Text();
  EXPECT_FALSE(std::filesystem::exists(target));
  report::BiffExcelStandInShutdown();

  // The recording server refuses the save: also an error, no file, no temporary.
  RecordingServer server;
  server.log->failing = {"SaveAs"};
  EXPECT_FALSE(Export(r, dir.File("refused.xls")));
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
  EXPECT_EQ(files, 0);
}

TEST_F(XlsExport, NoApplicationEndsTheExportWithAnError) {
  XlsReport r;
  report::vuzRegisterAutomationServer("Excel.Application", {});
  EXPECT_FALSE(Export(r, dir.File("none.xls")));
  EXPECT_NE(r.b.Report().Errors().Text().find("Invalid class string"), std::string::npos);
  EXPECT_FALSE(rtl::FileExists(dir.File("none.xls")));
}

TEST_F(XlsExport, XlrdAndOlefileReadTheSavedWorkbook) {
  if (!PythonHas("xlrd") || !PythonHas("olefile")) GTEST_SKIP() << "needs python3-xlrd and python3-olefile";
  XlsReport r;
  report::BiffExcelStandInStartup();
  const std::string file = dir.File("read.xls");
  ASSERT_TRUE(Export(r, file));
  report::BiffExcelStandInShutdown();
  const std::string out = RunPython(dir, R"PY(
import sys, xlrd, olefile
assert olefile.isOleFile(sys.argv[1])
ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
print(ole.listdir())
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
s = b.sheet_by_index(0)
nums = [(r, c) for r in range(s.nrows) for c in range(s.ncols) if s.cell_type(r, c) == xlrd.XL_CELL_NUMBER]
print("numbers", [s.cell_value(r, c) for r, c in nums])
print("format", b.format_map[b.xf_list[s.cell_xf_index(*nums[0])].format_key].format_str)
texts = [s.cell_value(r, c) for r in range(s.nrows) for c in range(s.ncols) if s.cell_type(r, c) == xlrd.XL_CELL_TEXT]
print("texts", sorted(set(t for t in texts if len(t) < 30)))
print("long", sorted(set(len(t) for t in texts if len(t) >= 30)))
print("merged", len(s.merged_cells) > 0, "breaks", len(s.horizontal_page_breaks))
styles = sorted(n for n in b.style_name_map if n.startswith("S"))
print("styles", len(styles) >= 4)
)PY",
                                    Quote(file));
  EXPECT_NE(out.find("'Workbook'"), std::string::npos) << out;
  EXPECT_NE(out.find("numbers [1234.5, 1234.5]"), std::string::npos) << out;
  EXPECT_NE(out.find("format # # #0,00"), std::string::npos) << out;
  EXPECT_NE(out.find("'нет данных'"), std::string::npos) << out;
  EXPECT_NE(out.find("'Текст 1', 'Текст 2'"), std::string::npos) << out;
  EXPECT_NE(out.find("long [900]"), std::string::npos) << out;
  EXPECT_NE(out.find("merged True breaks 1"), std::string::npos) << out;
  EXPECT_NE(out.find("styles True"), std::string::npos) << out;
}

}  // namespace

namespace {

TEST(XlsExportSettings, TheMainWindowsFilterComesFirstWithItsStoredSettings) {
  const app::TReportEngineStartup engine;  // makes the main window's filters
  report::TfrxExportFilterCollection& filters = report::vuzExportFilters();
  ASSERT_GT(filters.Count(), 0);
  auto* f = dynamic_cast<report::TfrxXLSExport*>(filters.GetExportFilterItem(0)->Filter);
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->ExportEMF && f->Background && f->FastExport && f->PageBreaks && f->EmptyLines);
  EXPECT_FALSE(f->AsText || f->SuppressPageHeadersFooters || f->DataOnly || f->OverwritePrompt);
  EXPECT_TRUE(f->UseFileCache && f->ShowProgress);
  EXPECT_TRUE(f->ExportStyles && f->ExportPictures && f->MergeCells && f->Wysiwyg && f->TruncateLongTexts &&
              f->GridLines);
  EXPECT_FALSE(f->OpenExcelAfterExport);
  EXPECT_EQ(f->DefaultExt, ".xls");
  EXPECT_EQ(f->FileFilter, rtl::Utf8ToAnsi("Файл Excel (*.xls)|*.xls"));
  EXPECT_EQ(f->GetDescription(), rtl::Utf8ToAnsi("Документ Excel (OLE)"));
  const rtl::TClassEntry* entry = rtl::GetClass("TfrxXLSExport");
  ASSERT_NE(entry, nullptr);
  ASSERT_NE(entry->info, nullptr);
  EXPECT_NE(entry->info->FindProperty("FastExport"), nullptr);
}

TEST(XlsExportDialog, ValuesBothWays) {
  report::vuzLoadExportResources();
  report::TfrxXLSExport f(nullptr);
  // "Continuous" is on when empty lines are off or headers are left out.
  const struct {
    bool emptyLines, suppress, continuous;
  } loads[] = {{true, false, false}, {false, false, true}, {true, true, true}};
  for (const auto& c : loads) {
    f.EmptyLines = c.emptyLines;
    f.SuppressPageHeadersFooters = c.suppress;
    EXPECT_EQ(report::vuzXLSDialogLoad(f).continuous, c.continuous);
  }
  report::TfrxXLSDialogValues v = report::vuzXLSDialogLoad(f);
  v.continuous = true;
  v.pages = report::TfrxXLSDialogValues::pgNumbers;
  v.pageNumbers = "1,3-5";
  v.asText = true;
  v.gridLines = false;
  v.openExcel = true;
  report::vuzXLSDialogApply(v, f);
  EXPECT_FALSE(f.EmptyLines);
  EXPECT_TRUE(f.SuppressPageHeadersFooters);
  EXPECT_EQ(f.PageNumbers, "1,3-5");
  EXPECT_FALSE(f.CurPage);
  EXPECT_TRUE(f.AsText);
  EXPECT_FALSE(f.GridLines);
  EXPECT_TRUE(f.OpenExcelAfterExport);
  // Into the temporary folder: nothing to open, the box is hidden.
  f.ExportToTemp = true;
  const report::TfrxXLSDialogValues temp = report::vuzXLSDialogLoad(f);
  EXPECT_FALSE(temp.openExcelVisible);
  EXPECT_FALSE(f.OpenExcelAfterExport);
  f.ExportToTemp = false;
  f.FileName.clear();
  EXPECT_EQ(report::vuzXLSSaveName(f), "");
  f.FileName = "given.xls";
  EXPECT_EQ(report::vuzXLSSaveName(f), "given.xls");
}

}  // namespace

namespace {

// Opening after the export goes to the desktop's opener with the saved file;
// the application is shown and not told to quit.
TEST_F(XlsExport, OpenAfterExportHandsTheFileToTheOpener) {
  XlsReport r;
  RecordingServer server;
  const std::string marker = dir.File("opened.txt"), opener = dir.File("opener.sh");
  WriteFile(opener, "#!/bin/sh\necho \"$1\" > '" + marker + ".tmp' && mv '" + marker + ".tmp' '" + marker + "'\n");
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  const rtl::AnsiString previous = rtl::ShellOpenProgram();
  rtl::SetShellOpenProgram(opener);
  const std::string file = dir.File("open me.xls");
  ASSERT_TRUE(Export(r, file, [](report::TfrxXLSExport& f) { f.OpenExcelAfterExport = true; }));
  rtl::SetShellOpenProgram(previous);
  for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i) usleep(50'000);
  EXPECT_EQ(ReadFile(marker), file + "\n");
  EXPECT_EQ(server.log->With("Application.Visible = true").size(), 1u);
  EXPECT_TRUE(server.log->With("Application.Quit").empty());
}

}  // namespace

namespace {

// More columns than a sheet has: a clear error before the application is
// started, and no file.
TEST(XlsExportLimits, GridsBeyondTheSheetAreRefused) {
  report::vuzLoadExportResources();
  engine_test::EngineScope scope;
  engine_test::ReportBuilder b;
  report::TfrxReportPage* page = b.AddPage();
  auto* band = b.AddBand<report::TfrxReportTitle>(page, 0, 40);
  for (int i = 0; i < 300; ++i) b.AddMemo(band, i * 2, 0, 1, 20, "x");
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  RecordingServer server;
  TempDir dir;
  report::TfrxXLSExport f(nullptr);
  f.ShowDialog = false;
  f.ShowProgress = false;
  f.FileName = dir.File("wide.xls");
  f.Report = &b.Report();
  EXPECT_FALSE(b.Store().Export(&f));
  EXPECT_NE(b.Report().Errors().Text().find("a sheet holds 65536 rows and 256 columns"), std::string::npos)
      << b.Report().Errors().Text();
  EXPECT_TRUE(server.log->lines.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.File("wide.xls")));
}

}  // namespace

namespace {

// The plain writer: a call per cell, every value as text, the same styles,
// merges and page break.
TEST_F(XlsExport, PlainWriterGivesTheSameSheetAsText) {
  XlsReport r;
  report::BiffExcelStandInStartup();
  ASSERT_TRUE(Export(r, dir.File("fast.xls")));
  const std::vector<report::TExcelArea> fastMerges = report::BiffExcelStandInLastSaved().Merges;
  ASSERT_TRUE(Export(r, dir.File("plain.xls"), [](report::TfrxXLSExport& f) { f.FastExport = false; }));
  const report::TExcelStandInBook& book = report::BiffExcelStandInLastSaved();
  int numbersAsText = 0, styled = 0;
  for (const auto& [pos, cell] : book.Cells) {
    if (cell.Value.IsString() && cell.Value.AsWideString() == u"1 234,50") ++numbersAsText;
    if (!cell.Style.empty()) ++styled;
    EXPECT_FALSE(cell.Value.IsFloat());
  }
  EXPECT_EQ(numbersAsText, 2);
  EXPECT_GE(styled, 10);
  EXPECT_EQ(book.PageBreaks.size(), 1u);
  // The three-column text, the long line and the rotated text (two rows), on both pages.
  EXPECT_EQ(book.Merges.size(), 6u);
  std::set<std::tuple<int, int, int, int>> a, b;
  for (const auto& m : fastMerges) a.insert({m.Left, m.Top, m.Right, m.Bottom});
  for (const auto& m : book.Merges) b.insert({m.Left, m.Top, m.Right, m.Bottom});
  EXPECT_EQ(a, b);
  report::BiffExcelStandInShutdown();
}

}  // namespace
