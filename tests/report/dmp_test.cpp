#include <gtest/gtest.h>

#include <functional>

#include "platform/rtl/classes.h"
#include "report/vuzClassBands.h"
#include "report/vuzDMPClass.h"
#include "test_util.h"

using namespace report_test;
using namespace report;

namespace {
double D(long double v) { return static_cast<double>(v); }
}  // namespace

// Where each dot-matrix position lands: text and commands on whole cells,
// lines in the middle of a cell (cells are 9.6 x 17 pixels).
TEST(DotMatrix, SnappingTable) {
  using Snap = std::function<long double(long double)>;
  struct Case {
    const char* what;
    Snap snap;
    long double x, expected;
  };
  const Snap memoLeft = [](long double x) { return vuzDMPMemoLeft(x, baNone); };
  const Snap memoLeftRight = [](long double x) { return vuzDMPMemoLeft(x, baRight); };
  const Snap lineLeft = [](long double x) { return vuzDMPLineLeft(x, baNone); };
  const Snap lineLeftRight = [](long double x) { return vuzDMPLineLeft(x, baRight); };
  const Snap lineWidth = [](long double x) { return vuzDMPLineWidth(x, baNone); };
  const Snap lineWidthWidth = [](long double x) { return vuzDMPLineWidth(x, baWidth); };
  const Case cases[] = {
      {"text left rounds", memoLeft, 14, 9.6L},
      {"text left rounds up", memoLeft, 15, 19.2L},
      {"text left, right aligned, truncates", memoLeftRight, 14, 9.6L},
      {"text left, right aligned, 15", memoLeftRight, 15, 9.6L},
      {"text left, half a cell: halves to even", memoLeft, 4.8L, 0},
      {"text width", vuzDMPMemoWidth, 100, 96},
      {"text top", vuzDMPMemoTopOrHeight, 20, 17},
      {"text height", vuzDMPMemoTopOrHeight, 26, 34},
      {"line left: middle of the cell", lineLeft, 14, 14.4L},
      {"line left, negative", lineLeft, -14, -14.4L},
      {"line left, right aligned", lineLeftRight, 15, 14.4L},
      {"line top", vuzDMPLineTop, 20, 25.5L},
      {"line top stays where it snapped", vuzDMPLineTop, 25.5L, 25.5L},
      {"line width rounds", lineWidth, 15, 19.2L},
      {"line width, aligned to width, truncates", lineWidthWidth, 15, 9.6L},
      {"command left", vuzDMPCommandLeft, 15, 19.2L},
      {"command top", vuzDMPCommandTop, 9, 17},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(D(c.snap(c.x)), D(c.expected), 1e-12);
  }
}

TEST(DotMatrix, CommandBytes) {
  struct Case {
    const char* command;
    std::string bytes;
  };
  const Case cases[] = {
      {"1B40", Bytes({0x1B, 0x40})},
      {"#27#64", Bytes({27, 64})},
      {"1B4", Bytes({0x1B})},
      {"#255", Bytes({255})},
      {"ff00", Bytes({255, 0})},
      {"", ""},
      {"#0", Bytes({0})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(vuzDMPCommandBytes(c.command), c.bytes);
  }
  // Not numbers, or numbers that are not bytes: the conversion error, never
  // a cut-down byte that would send another command.
  for (const char* bad : {"#27#x", "#27##64", "#", "#27#", "1G", "#256", "#300", "#-1", "#99999999999", "-1"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(vuzDMPCommandBytes(bad), rtl::EConvertError);
  }
}

TEST(DotMatrix, PageDefaultsAreWholeCells) {
  TfrxDMPPage page(nullptr);
  page.SetDefaults();
  EXPECT_NEAR(D(page.LeftMargin()), 2.54, 1e-5);
  EXPECT_NEAR(D(page.RightMargin()), 2.54, 1e-5);
  EXPECT_NEAR(D(page.TopMargin()), D(17 / fr01cm), 1e-12);
  // A4 cut down to whole cells: 82 columns of 9.6, 66 rows of 17 pixels.
  EXPECT_NEAR(D(page.PaperWidth() * fr01cm), 82 * 9.6, 1e-9);
  EXPECT_NEAR(D(page.PaperHeight() * fr01cm), 66 * 17, 1e-9);
  EXPECT_DOUBLE_EQ(D(page.Width()), 787);

  page.SetPaperWidth(100);  // 377.95 px: rounded to 39 cells
  EXPECT_NEAR(D(page.PaperWidth() * fr01cm), 39 * 9.6, 1e-9);
  page.SetPaperHeight(100);  // 22.2 rows: 22
  EXPECT_NEAR(D(page.PaperHeight() * fr01cm), 22 * 17, 1e-9);
  page.SetPaperSize(9);  // 793.7 px: 82.7 cells, rounded to 83
  EXPECT_NEAR(D(page.PaperWidth() * fr01cm), 83 * 9.6, 1e-9);
  EXPECT_NEAR(D(page.PaperHeight() * fr01cm), 66 * 17, 1e-9);
}

TEST(DotMatrix, PageFontFollowsTheStyleAndReachesTheBands) {
  TfrxDMPPage page(nullptr);
  EXPECT_EQ(page.Font()->Name(), "Courier New");
  EXPECT_EQ(page.Font()->Size(), 12);
  auto* band = new TfrxMasterData(&page);
  auto* own = new TfrxHeader(&page);
  own->SetParentFont(false);
  page.SetFontStyle((1u << fsxBold) | (1u << fsxUnderline) | (1u << fsxCondensed));
  EXPECT_TRUE(page.Font()->Style().Contains(gfx::fsBold));
  EXPECT_FALSE(page.Font()->Style().Contains(gfx::fsItalic));
  EXPECT_TRUE(page.Font()->Style().Contains(gfx::fsUnderline));
  EXPECT_TRUE(band->Font()->Style().Contains(gfx::fsBold));
  EXPECT_TRUE(band->ParentFont());
  EXPECT_FALSE(own->Font()->Style().Contains(gfx::fsBold));
}

TEST(DotMatrix, BandsOnADotMatrixPageSnapToCells) {
  TfrxDMPPage dmp(nullptr);
  TfrxReportPage plain(nullptr);
  auto* onDmp = new TfrxMasterData(&dmp);
  auto* onPlain = new TfrxMasterData(&plain);
  for (TfrxBand* b : {static_cast<TfrxBand*>(onDmp), static_cast<TfrxBand*>(onPlain)}) {
    b->SetLeft(14);
    b->SetTop(20);
    b->SetHeight(26);
    b->SetWidth(100);
  }
  EXPECT_NEAR(D(onDmp->Left()), 9.6, 1e-12);
  EXPECT_DOUBLE_EQ(D(onDmp->Top()), 17);
  EXPECT_DOUBLE_EQ(D(onDmp->Height()), 34);
  EXPECT_DOUBLE_EQ(D(onDmp->Width()), 100);  // widths follow the page
  EXPECT_DOUBLE_EQ(D(onPlain->Left()), 14);
  EXPECT_DOUBLE_EQ(D(onPlain->Top()), 20);
}

TEST(DotMatrix, TheTemplateReaderKnowsThePage) {
  ReportClassesStartup();
  const rtl::TClassInfo* info = rtl::GetClassInfo("TfrxDMPPage");
  ASSERT_NE(info, nullptr);
  EXPECT_TRUE(info->InheritsFrom("TfrxReportPage"));
  ReportClassesShutdown();
}
