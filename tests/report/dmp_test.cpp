#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/gfx/recording_canvas.h"
#include "platform/rtl/classes.h"
#include "report/vuzClassBands.h"
#include "report/vuzDMPClass.h"
#include "report/vuzDMPMemo.h"
#include "report/vuzDsgnIntf.h"
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

TEST(DotMatrix, LinesAndCommandsSnapThroughTheirSetters) {
  TfrxDMPLineView line(nullptr);
  line.SetBounds(14, 20, 15, 0);
  EXPECT_NEAR(D(line.Left()), 14.4, 1e-12);
  EXPECT_NEAR(D(line.Top()), 25.5, 1e-12);
  EXPECT_NEAR(D(line.Width()), 19.2, 1e-12);
  line.SetAlign(baWidth);
  line.SetWidth(15);
  EXPECT_NEAR(D(line.Width()), 9.6, 1e-12);

  TfrxDMPCommand command(nullptr);
  command.SetBounds(15, 9, 30, 30);
  EXPECT_NEAR(D(command.Left()), 19.2, 1e-12);
  EXPECT_DOUBLE_EQ(D(command.Top()), 17);
  EXPECT_DOUBLE_EQ(D(command.Width()), 30);  // sizes are the view's own
  command.SetCommand("#27#64");
  EXPECT_EQ(command.ToChr(), Bytes({27, 64}));
  command.SetCommand("#27#256");
  EXPECT_THROW(command.ToChr(), rtl::EConvertError);
}

TEST(DotMatrix, LinesTakeThePagesStyleWhileTheyFollowIt) {
  TfrxDMPPage page(nullptr);
  auto* band = new TfrxMasterData(&page);
  auto* line = new TfrxDMPLineView(band);
  page.SetFontStyle(1u << fsxCondensed);
  EXPECT_EQ(line->FontStyle(), 1u << fsxCondensed);
  line->SetFontStyle(1u << fsxWide);  // its own style: stops following
  EXPECT_FALSE(line->ParentFont());
  page.SetFontStyle(1u << fsxBold);
  EXPECT_EQ(line->FontStyle(), 1u << fsxWide);
  line->SetParentFont(true);
  EXPECT_EQ(line->FontStyle(), 1u << fsxBold);
}

TEST(DotMatrix, DescriptionsOfLinesAndCommands) {
  TfrxDMPLineView line(nullptr), otherLine(nullptr);
  line.SetBounds(14, 20, 15, 0);
  otherLine.SetBounds(14, 20, 15, 0);
  EXPECT_EQ(line.Diff(&otherLine), "");
  line.SetFontStyle(0x1FF);
  const AnsiString lineDiff = line.Diff(&otherLine);
  EXPECT_EQ(lineDiff.substr(lineDiff.size() - 16), " FontStyle=\"511\"") << lineDiff;

  TfrxDMPCommand command(nullptr), other(nullptr);
  command.SetCommand("#27#64");
  const AnsiString diff = command.Diff(&other);
  EXPECT_NE(diff.find(" Command=\"#27#64\""), AnsiString::npos) << diff;
  other.SetCommand("#27#64");
  EXPECT_EQ(command.Diff(&other).find("Command="), AnsiString::npos);
}

TEST(DotMatrix, TheDesignerOffersTheDotMatrixObjects) {
  ReportClassesStartup();
  int found = 0;
  for (int i = 0; i < vuzObjects().Count(); ++i) {
    const TfrxObjectItem* item = vuzObjects().GetObjectItem(i);
    if (item->ClassRef == &TfrxDMPLineView::StaticClass() || item->ClassRef == &TfrxDMPCommand::StaticClass() ||
        item->ClassRef == &TfrxDMPMemoView::StaticClass()) {
      EXPECT_EQ(item->Category, static_cast<TfrxObjectCategories>(ctDMP));
      ++found;
    }
  }
  EXPECT_EQ(found, 3);
  ReportClassesShutdown();
}

TEST(DotMatrixText, SnapsToCellsAndUsesThePrinterFont) {
  TfrxDMPMemoView memo(nullptr);
  EXPECT_EQ(memo.Font()->Name(), "Courier New");
  EXPECT_EQ(memo.Font()->Size(), 12);
  EXPECT_DOUBLE_EQ(D(memo.GapX()), 0);
  EXPECT_DOUBLE_EQ(D(memo.GapY()), 0);
  EXPECT_DOUBLE_EQ(D(memo.LineSpacing()), 1);
  EXPECT_DOUBLE_EQ(D(memo.CharSpacing()), 0);

  struct Case {
    TfrxAlign align;
    long double left, expected;
  };
  const Case cases[] = {{baNone, 14, 9.6L}, {baRight, 14, 9.6L}, {baNone, 15, 19.2L}, {baRight, 15, 9.6L}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<double>(c.left));
    memo.SetAlign(c.align);
    memo.SetLeft(c.left);
    EXPECT_NEAR(D(memo.Left()), D(c.expected), 1e-12);
  }
  memo.SetBounds(14, 20, 100, 26);
  EXPECT_DOUBLE_EQ(D(memo.Top()), 17);
  EXPECT_DOUBLE_EQ(D(memo.Width()), 96);
  EXPECT_DOUBLE_EQ(D(memo.Height()), 34);
  memo.SetBoundsDirect(1, 2, 3, 4);  // as given
  EXPECT_DOUBLE_EQ(D(memo.Left()), 1);
  EXPECT_DOUBLE_EQ(D(memo.Height()), 4);

  memo.SetFontStyle(1u << fsxItalic);
  EXPECT_FALSE(memo.ParentFont());
  EXPECT_TRUE(memo.Font()->Style().Contains(gfx::fsItalic));
  EXPECT_EQ(memo.Font()->Name(), "Courier New");
}

TEST(DotMatrixText, FollowsThePagesStyle) {
  TfrxDMPPage page(nullptr);
  auto* band = new TfrxMasterData(&page);
  auto* memo = new TfrxDMPMemoView(band);
  page.SetFontStyle((1u << fsxBold) | (1u << fsx12cpi));
  EXPECT_EQ(memo->FontStyle(), (1u << fsxBold) | (1u << fsx12cpi));
  EXPECT_TRUE(memo->ParentFont());
}

TEST(DotMatrixText, TextThatFitsTheCells) {
  TfrxDMPMemoView memo(nullptr);
  memo.SetBounds(0, 0, 5 * 9.6L, 2 * 17);  // 5 columns, 2 rows
  memo.SetText(u"Привет, мир\r\nab\r\nthird line");
  EXPECT_EQ(memo.GetoutBoundText(), rtl::WideToAnsi(u"Приве\r\nab\r\n"));
  memo.SetHeight(0);
  EXPECT_EQ(memo.GetoutBoundText(), "");
}

TEST(DotMatrixText, FrameLiesHalfACellOutside) {
  ReportClassesStartup();  // the text layout the drawing needs
  struct Shutdown {
    ~Shutdown() { ReportClassesShutdown(); }
  } shutdown;
  TfrxDMPMemoView memo(nullptr);
  memo.SetBounds(9.6L, 17, 96, 34);
  memo.Frame()->SetTyp(15);
  gfx::TRecordingCanvas canvas;
  memo.Draw(canvas, 1, 1, 0, 0);
  int minX = 1 << 30, maxX = -(1 << 30), minY = 1 << 30, maxY = -(1 << 30);
  for (const gfx::TCanvasCall& c : canvas.Calls()) {
    if (c.op != gfx::TCanvasOp::MoveTo && c.op != gfx::TCanvasOp::LineTo) continue;
    for (const gfx::TPoint& p : c.points) {
      minX = std::min(minX, p.X);
      maxX = std::max(maxX, p.X);
      minY = std::min(minY, p.Y);
      maxY = std::max(maxY, p.Y);
    }
  }
  // round(9.6 - 4.8) = 5, round(17 - 8.5) = 8 (halves to even), round(110.4)
  // = 110, round(59.5) = 60.
  EXPECT_EQ(minX, 5) << canvas.Dump();
  EXPECT_EQ(minY, 8);
  EXPECT_EQ(maxX, 110);
  EXPECT_EQ(maxY, 60);
}

TEST(DotMatrixText, DescriptionAddsTheFontStyle) {
  TfrxDMPMemoView memo(nullptr), other(nullptr);
  EXPECT_EQ(memo.Diff(&other).find("FontStyle"), AnsiString::npos);
  memo.SetFontStyle(3);
  EXPECT_NE(memo.Diff(&other).find(" FontStyle=\"3\""), AnsiString::npos) << memo.Diff(&other);
}
