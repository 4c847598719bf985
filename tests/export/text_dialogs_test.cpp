// The text and picture export dialogs' logic without windows, and printing
// the text export's file as RAW jobs on a recording printer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_fixture.h"
#include "export/vuzExportImageDialog.h"
#include "export/vuzExportRes.h"
#include "export/vuzExportTXTDialog.h"
#include "preview/vuzPrinter.h"
#include "raw_printer.h"
#include "report/vuzPaperSizes.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

namespace export_test {

namespace {

using namespace std::string_literals;
using report::TfrxTXTDialogOptions;
using rtl::AnsiString;

}  // namespace

class TextDialogs : public ::testing::Test {
 protected:
  void SetUp() override { report::vuzLoadExportResources(); }
  engine_test::EngineScope scope;
  support::ScratchFolder dir;
};

TEST_F(TextDialogs, OptionsBothWays) {
  report::TfrxTXTExport f(nullptr);
  f.Borders = true;
  f.Pseudogrpahic = false;
  f.ScaleWidth = 1.5;
  f.ScaleHeight = 0.7;
  f.OEMCodepage = false;
  f.PrintAfter = true;
  TfrxTXTDialogOptions o = TfrxTXTDialogOptions::FromFilter(f);
  EXPECT_TRUE(o.SimpleFrames);
  EXPECT_FALSE(o.NoneFrames);
  EXPECT_FALSE(o.GraphEnabled);
  EXPECT_EQ(o.ScaleX, "150");
  EXPECT_EQ(o.ScaleY, "70");
  EXPECT_TRUE(o.PrintAfter);
  o.Range = "1,3";
  o.ScaleX = "200%";
  ASSERT_TRUE(o.ApplyTo(f));
  EXPECT_EQ(f.ScaleWidth, 2);
  EXPECT_EQ(f.PageNumbers, "1,3");

  // An export into the temporary folder hides and clears printing.
  f.ExportToTemp = true;
  o = TfrxTXTDialogOptions::FromFilter(f);
  EXPECT_FALSE(o.PrintAfterVisible);
  EXPECT_FALSE(o.PrintAfter);

  // Scales that are not whole numbers in range are refused; the filter keeps its values.
  for (const char* bad : {"", "abc", "0", "-5", "1.5", "20000"}) {
    SCOPED_TRACE(bad);
    TfrxTXTDialogOptions w = o;
    w.ScaleY = bad;
    AnsiString error;
    EXPECT_FALSE(w.ApplyTo(f, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(f.ScaleHeight, 0.7L);
  }
}

TEST_F(TextDialogs, OemBoxRule) {
  TfrxTXTDialogOptions o;
  o.OEM = true;
  o.OemClicked();
  EXPECT_TRUE(o.GraphEnabled);
  o.NoneFrames = false;
  o.GraphFrames = true;
  o.OEM = false;  // clearing the box while the graphic set is chosen
  o.OemClicked();
  EXPECT_FALSE(o.GraphEnabled);
  EXPECT_TRUE(o.SimpleFrames);
  EXPECT_FALSE(o.GraphFrames);
}

TEST_F(TextDialogs, LivePreview) {
  engine_test::ReportBuilder b;
  report::TfrxReportPage* page = b.AddPage();
  auto& data = b.AddDataSet("Rows", {"N"}, {{rtl::Variant(1)}, {rtl::Variant(2)}});
  auto* band = b.AddDataBand(page, 0, 20, data);
  band->SetStartNewPage(true);
  b.AddMemo(band, 0, 0, 140, 16, "Page [Rows.\"N\"]");
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  report::TfrxTXTExport owner(nullptr);
  owner.Report = &b.Report();
  owner.InitString = "\x1B@";
  report::TfrxTXTPreview preview(owner);
  TfrxTXTDialogOptions o;
  ASSERT_TRUE(preview.Refresh(o, "2"));
  // No initialisation and no form feed in the preview; page 2 only.
  EXPECT_EQ(preview.Text(), "Page 2\r\n\x0C");
  EXPECT_EQ(preview.PageWidth(), 6);
  EXPECT_EQ(preview.PageHeight(), 1);
  ASSERT_TRUE(preview.Refresh(o, "9"));
  EXPECT_EQ(preview.Text(), "");
  // A refused refresh still clears the running flag.
  o.ScaleX = "x";
  EXPECT_FALSE(preview.Refresh(o, "1"));
  EXPECT_FALSE(preview.Running());
}

// Printing after the export: the printer sees the initialisation, then the
// file, in blocks of 1024 bytes (an exact multiple ends with an empty block),
// once per copy; the user's file stays as exported.
TEST_F(TextDialogs, PrintingAfterExport) {
  RawPrinterScope printers;
  report::TfrxTXTExport f(nullptr);
  f.PrintAfter = true;
  f.PrinterDialog = false;
  f.Copies = 2;
  f.SelectedPrinterType = 1;
  f.PrinterTypes[1].Commands[0].Enabled = true;  // Reset: ESC @
  const std::string file = dir.File("out.txt");
  // Reset on, the other commands off: 12 bytes of initialisation, so the
  // printed bytes fill exactly two blocks.
  const std::string content(2036, 'x');
  ASSERT_TRUE(support::WriteFile(file, content));
  f.AfterExport(file);
  ASSERT_EQ(printers.a->jobs.size(), 2u);
  for (const auto& job : printers.a->jobs) {
    ASSERT_EQ(job.size(), 3u);
    EXPECT_EQ(job[0].size(), 1024u);
    EXPECT_EQ(job[1].size(), 1024u);
    EXPECT_EQ(job[2].size(), 0u);
    EXPECT_EQ(job[0].substr(0, 13), "\x1B@\x12\x1BH\x1B\x35\x1BW\x00\x1BPx"s);
  }
  EXPECT_EQ(printers.a->ended, 2);
  EXPECT_EQ(support::ReadFile(file), content);
}

TEST_F(TextDialogs, PrinterDialogModel) {
  RawPrinterScope printers;
  report::TfrxTXTExport f(nullptr);
  {
    report::TfrxPrnInitModel m(f);
    m.SelectType(3);
    m.SetCommandEnabled(0, true);
    m.SelectPrinter(preview::vuzPrinters().IndexOf("Second"));
    m.Close(2, 5);  // cancelled: the printer comes back, the type stays
  }
  EXPECT_EQ(preview::vuzPrinters().GetCurrentPrinter()->Name(), "First");
  EXPECT_EQ(f.SelectedPrinterType, 3);
  EXPECT_TRUE(f.PrinterTypes[3].Commands[0].Enabled);
  EXPECT_EQ(f.Copies, 1);
  {
    report::TfrxPrnInitModel m(f);
    m.SelectPrinter(preview::vuzPrinters().IndexOf("Second"));
    m.SelectType(99);  // no such type: nothing changes
    m.Close(1, 0);
  }
  EXPECT_EQ(preview::vuzPrinters().GetCurrentPrinter()->Name(), "Second");
  EXPECT_EQ(f.SelectedPrinterType, 3);
  EXPECT_EQ(f.Copies, 1);
}

TEST_F(TextDialogs, PictureDialogOptions) {
  report::TfrxJPEGExport jpeg(nullptr);
  report::TfrxGIFExport gif(nullptr);
  auto o = report::TfrxIMGDialogOptions::FromFilter(jpeg);
  EXPECT_TRUE(o.QualityEnabled);
  EXPECT_TRUE(o.MonoEnabled);
  EXPECT_FALSE(report::TfrxIMGDialogOptions::FromFilter(gif).MonoEnabled);
  EXPECT_FALSE(report::TfrxIMGDialogOptions::FromFilter(gif).QualityEnabled);
  o.Quality = "75";
  o.Resolution = "300";
  o.Pages = report::TfrxIMGDialogOptions::pgNumbers;
  o.PageNumbers = "2-3";
  ASSERT_TRUE(o.ApplyTo(jpeg));
  EXPECT_EQ(jpeg.JPEGQuality, 75);
  EXPECT_EQ(jpeg.Resolution, 300);
  EXPECT_EQ(jpeg.PageNumbers, "2-3");
  struct Bad {
    const char* quality;
    const char* resolution;
  } bad[] = {{"", "96"}, {"abc", "96"}, {"0", "96"}, {"101", "96"}, {"90", "x"}, {"90", "0"}, {"90", "100000"}};
  for (const Bad& c : bad) {
    SCOPED_TRACE(testing::Message() << c.quality << " " << c.resolution);
    auto w = o;
    w.Quality = c.quality;
    w.Resolution = c.resolution;
    AnsiString error;
    EXPECT_FALSE(w.ApplyTo(jpeg, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(jpeg.JPEGQuality, 75);
    EXPECT_EQ(jpeg.Resolution, 300);
  }
  for (char k : std::string("0123456789,-\b")) EXPECT_TRUE(report::TfrxIMGDialogOptions::PageKeyAllowed(k));
  for (char k : std::string("a .;")) EXPECT_FALSE(report::TfrxIMGDialogOptions::PageKeyAllowed(k));
}

}  // namespace export_test
