// The PDF options dialog's values: filled from the filter, applied back, the
// quality check, the page-number keys and the save dialog's first name.
#include <gtest/gtest.h>

#include "export/vuzExportPDFDialog.h"
#include "report/vuzClassReport.h"

namespace export_test {

namespace {

using namespace report;

TEST(PdfDialog, ValuesRoundTripAndMapping) {
  TfrxPDFExport f;
  f.Compressed = false;
  f.EmbeddedFonts = true;
  f.Outline = true;
  f.PageNumbers = "2-3";
  f.UserPassword = "u";
  f.SetProtectionFlags((1u << ePrint) | (1u << eAnnot));
  f.Title = u"Отчёт";
  f.FitWindow = true;
  f.Quality = 40;
  TfrxPDFDialogValues v = vuzPDFDialogLoad(f);
  EXPECT_EQ(v.pages, TfrxPDFDialogValues::pgNumbers);
  EXPECT_EQ(v.pageNumbers, "2-3");
  EXPECT_FALSE(v.compressed);
  EXPECT_TRUE(v.embedded);
  EXPECT_TRUE(v.outline && v.outlineEnabled);
  EXPECT_TRUE(v.print && v.annot && !v.modify && !v.copy);
  EXPECT_EQ(v.title, rtl::WideToAnsi(u"Отчёт"));
  EXPECT_TRUE(v.fitWindow);
  EXPECT_EQ(v.quality, "100");  // the edit keeps its own text

  // OK without touching anything: quality 100, the rest unchanged.
  vuzPDFDialogApply(v, f);
  EXPECT_EQ(f.Quality, 100);
  EXPECT_EQ(f.PageNumbers, "2-3");
  EXPECT_EQ(f.PermissionValue(), -64 + 4 + 32);
  EXPECT_EQ(f.Title, u"Отчёт");

  struct Case {
    TfrxPDFDialogValues::TPages pages;
    bool curPage;
    const char* numbers;
  } cases[] = {{TfrxPDFDialogValues::pgAll, false, ""},
               {TfrxPDFDialogValues::pgCurrent, true, ""},
               {TfrxPDFDialogValues::pgNumbers, false, "1,4"}};
  for (const Case& c : cases) {
    v.pages = c.pages;
    v.pageNumbers = "1,4";
    vuzPDFDialogApply(v, f);
    EXPECT_EQ(f.CurPage, c.curPage);
    EXPECT_EQ(f.PageNumbers, c.numbers);
  }
  f.ExportToTemp = true;
  f.OpenAfterExport = true;
  v = vuzPDFDialogLoad(f);
  EXPECT_FALSE(v.openAfterVisible);
  EXPECT_FALSE(v.openAfter);
}

TEST(PdfDialog, QualityIsCheckedBeforeItIsTaken) {
  struct Case {
    const char* text;
    bool ok;
  } cases[] = {{"100", true}, {"1", true},    {"55", true},  {"0", false},  {"101", false},
               {"", false},   {"abc", false}, {"9x", false}, {"-5", false}, {"99999999999", false}};
  for (const Case& c : cases) {
    TfrxPDFDialogValues v;
    v.quality = c.text;
    AnsiString error;
    EXPECT_EQ(vuzPDFDialogValidate(v, error), c.ok) << c.text;
    EXPECT_EQ(error.empty(), c.ok) << c.text;
    TfrxPDFExport f;
    vuzPDFDialogApply(v, f);  // never raises; a bad text leaves the quality as it was
    EXPECT_EQ(f.Quality, c.ok ? std::stoi(c.text) : 95) << c.text;
  }
}

TEST(PdfDialog, PageNumberKeysAndSaveName) {
  for (char c : std::string("0123456789,-\b")) EXPECT_TRUE(vuzPDFPageNumberKey(c)) << int(c);
  for (char c : std::string("a ;.+")) EXPECT_FALSE(vuzPDFPageNumberKey(c)) << c;
  TfrxPDFExport f;
  EXPECT_EQ(vuzPDFSaveName(f), "");
  TfrxReport report;
  report.SetFileName("/data/reports/drying.fr3");
  f.Report = &report;
  EXPECT_EQ(vuzPDFSaveName(f), "drying.pdf");
  f.FileName = "given.pdf";
  EXPECT_EQ(vuzPDFSaveName(f), "given.pdf");
}

TEST(PdfDialog, WithoutAGuiTheSettingsHold) {
  TfrxPDFExport f;
  TfrxPDFExport::SetDialogHandler({});
  f.Title.clear();
  EXPECT_EQ(f.ShowModal(), 1);
  int asked = 0;
  TfrxPDFExport::SetDialogHandler([&](TfrxPDFExport&) {
    ++asked;
    return 2;
  });
  EXPECT_EQ(f.ShowModal(), 2);
  EXPECT_EQ(asked, 1);
  TfrxPDFExport::SetDialogHandler({});
}

}  // namespace

}  // namespace export_test
