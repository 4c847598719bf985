#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "model_fixture.h"
#include "platform/rtl/format.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassPage.h"
#include "report/vuzDataSet.h"
#include "report/vuzXMLSerializer.h"

using namespace report_test;
using namespace report;

namespace {

double D(long double v) { return static_cast<double>(v); }

struct Margins {
  long double left, right, top, bottom;
};

void ExpectMargins(const TfrxReportPage& p, Margins m) {
  EXPECT_DOUBLE_EQ(D(p.LeftMargin()), D(m.left));
  EXPECT_DOUBLE_EQ(D(p.RightMargin()), D(m.right));
  EXPECT_DOUBLE_EQ(D(p.TopMargin()), D(m.top));
  EXPECT_DOUBLE_EQ(D(p.BottomMargin()), D(m.bottom));
}

// The stored templates' page: A4 with margins 20, 5, 10, 10.
void TemplateMargins(TfrxReportPage& p) {
  p.SetLeftMargin(20);
  p.SetRightMargin(5);
  p.SetTopMargin(10);
  p.SetBottomMargin(10);
}

// Resets the printer hook whatever a test does.
struct PrinterHook {
  explicit PrinterHook(TfrxPrinterDefaultsProvider p) { vuzSetPrinterDefaultsProvider(std::move(p)); }
  ~PrinterHook() { vuzSetPrinterDefaultsProvider(nullptr); }
};

}  // namespace

TEST(ReportPage, ANewPageIsA4PortraitInPixels) {
  TfrxReportPage page(nullptr);
  EXPECT_EQ(page.PaperSize(), 9);
  EXPECT_EQ(page.Orientation(), poPortrait);
  EXPECT_DOUBLE_EQ(D(page.PaperWidth()), 210);
  EXPECT_DOUBLE_EQ(D(page.PaperHeight()), 297);
  EXPECT_DOUBLE_EQ(D(page.Width()), 794);
  EXPECT_DOUBLE_EQ(D(page.Height()), 1123);
  ExpectMargins(page, {0, 0, 0, 0});
  EXPECT_EQ(page.BaseName(), "Page");
  EXPECT_EQ(page.Bin(), 7);
  EXPECT_EQ(page.BinOtherPages(), 7);
  EXPECT_EQ(page.PageCount(), 1);
  EXPECT_TRUE(page.PrintIfEmpty());
  EXPECT_TRUE(page.TitleBeforeHeader());
}

TEST(ReportPage, PaperNumbersSizesAndTheUserSize) {
  struct Case {
    const char* what;
    TPrinterOrientation orientation;
    int paper;
    int expectedPaper;
    long double width, height;
  };
  const Case cases[] = {
      {"A3", poPortrait, 8, 8, 297, 420},
      {"A3 landscape", poLandscape, 8, 8, 420, 297},
      {"A5", poPortrait, 11, 11, 148, 210},
      {"letter", poPortrait, 1, 1, 215.9L, 279.4L},
      {"unknown number keeps the sizes", poPortrait, 48, 48, 210, 297},
      {"user size keeps the sizes", poPortrait, 256, 256, 210, 297},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TfrxReportPage page(nullptr);
    page.SetOrientation(c.orientation);
    page.SetPaperSize(c.paper);
    EXPECT_EQ(page.PaperSize(), c.expectedPaper);
    EXPECT_NEAR(D(page.PaperWidth()), D(c.width), 1e-9);
    EXPECT_NEAR(D(page.PaperHeight()), D(c.height), 1e-9);
    EXPECT_DOUBLE_EQ(D(page.Width()), D(std::nearbyint(c.width * fr01cm)));
    EXPECT_DOUBLE_EQ(D(page.Height()), D(std::nearbyint(c.height * fr01cm)));
  }

  TfrxReportPage page(nullptr);
  page.SetPaperWidth(100.123456789);  // kept to 8 decimals, a user size
  EXPECT_EQ(page.PaperSize(), 256);
  EXPECT_DOUBLE_EQ(D(page.PaperWidth()), 100.12345679);
  EXPECT_DOUBLE_EQ(D(page.Width()), 378);
  page.SetSizeAndDimensions(9, 100, 200);  // no table look-up
  EXPECT_EQ(page.PaperSize(), 9);
  EXPECT_DOUBLE_EQ(D(page.PaperWidth()), 100);
  EXPECT_DOUBLE_EQ(D(page.Height()), 756);
}

TEST(ReportPage, TurningThePaperTurnsTheMargins) {
  TfrxReportPage page(nullptr);
  TemplateMargins(page);
  page.SetOrientation(poLandscape);
  EXPECT_DOUBLE_EQ(D(page.PaperWidth()), 297);
  EXPECT_DOUBLE_EQ(D(page.PaperHeight()), 210);
  EXPECT_DOUBLE_EQ(D(page.Width()), 1123);
  ExpectMargins(page, {10, 10, 5, 20});
  page.SetOrientation(poLandscape);  // no change: nothing turns again
  ExpectMargins(page, {10, 10, 5, 20});
  page.SetOrientation(poPortrait);
  ExpectMargins(page, {20, 5, 10, 10});
  EXPECT_DOUBLE_EQ(D(page.PaperWidth()), 210);
}

TEST(ReportPage, ColumnsShareThePrintableWidth) {
  TfrxReportPage page(nullptr);
  page.SetLeftMargin(10);
  page.SetRightMargin(10);
  page.SetColumns(3);
  EXPECT_EQ(page.Columns(), 3);
  EXPECT_NEAR(D(page.ColumnWidth()), 190.0 / 3, 1e-12);
  ASSERT_EQ(page.ColumnPositions()->Count(), 3);
  EXPECT_EQ((*page.ColumnPositions())[0], "0");
  EXPECT_EQ((*page.ColumnPositions())[1], rtl::FloatToStr(190.0L / 3));
  EXPECT_EQ((*page.ColumnPositions())[2], rtl::FloatToStr(2 * (190.0L / 3)));
  page.SetColumns(0);
  EXPECT_EQ(page.ColumnPositions()->Count(), 0);
  EXPECT_NEAR(D(page.ColumnWidth()), 190.0 / 3, 1e-12);  // the width stays
}

TEST(ReportPage, PageCountBelowOneIsIgnored) {
  TfrxReportPage page(nullptr);
  page.SetPageCount(3);
  page.SetPageCount(0);
  page.SetPageCount(-2);
  EXPECT_EQ(page.PageCount(), 3);
}

TEST(ReportPage, DefaultsComeFromThePrinterHook) {
  {
    TfrxReportPage page(nullptr);
    page.SetOrientation(poLandscape);
    page.SetDefaults();  // no printer layer: A4 portrait
    EXPECT_EQ(page.PaperSize(), 9);
    EXPECT_EQ(page.Orientation(), poPortrait);
    EXPECT_DOUBLE_EQ(D(page.Width()), 794);
    ExpectMargins(page, {10, 10, 10, 10});
  }
  PrinterHook hook([] { return TfrxPrinterDefaults{1, 215.9L, 279.4L, poLandscape}; });
  TfrxReportPage page(nullptr);
  page.SetDefaults();
  EXPECT_EQ(page.PaperSize(), 1);
  EXPECT_EQ(page.Orientation(), poLandscape);
  EXPECT_DOUBLE_EQ(D(page.PaperWidth()), 215.9);
  EXPECT_DOUBLE_EQ(D(page.Width()), 816);
  ExpectMargins(page, {10, 10, 10, 10});
}

TEST(ReportPage, FindBandLooksAtThePagesOwnObjects) {
  TfrxReportPage page(nullptr);
  auto* title = new TfrxReportTitle(&page);
  auto* data = new TfrxDetailData(&page);
  EXPECT_EQ(page.FindBand(TfrxReportTitle::StaticClass()), title);
  EXPECT_EQ(page.FindBand(TfrxDataBand::StaticClass()), data);
  EXPECT_EQ(page.FindBand(TfrxPageFooter::StaticClass()), nullptr);
}

// The engine asks for the footers at every band it places: on a page of
// many bands the answers are kept until a band comes or goes, so asking
// costs no walk over all the bands each time.
TEST(ReportPage, FindBandKeepsItsAnswersWhileTheBandsStay) {
  TfrxReportPage page(nullptr);
  for (int i = 0; i < 5000; ++i) new TfrxMasterData(&page);
  for (int i = 0; i < 5000; ++i) {
    ASSERT_EQ(page.FindBand(TfrxPageFooter::StaticClass()), nullptr);
    ASSERT_EQ(page.FindBand(TfrxColumnFooter::StaticClass()), nullptr);
  }
  EXPECT_EQ(page.BandScans(), 2);
  auto* footer = new TfrxPageFooter(&page);
  EXPECT_EQ(page.FindBand(TfrxPageFooter::StaticClass()), footer);
  delete footer;
  EXPECT_EQ(page.FindBand(TfrxPageFooter::StaticClass()), nullptr);
  EXPECT_EQ(page.BandScans(), 4);
}

// Bands take the printable width (a column's width on a page with columns,
// except the kinds that span the page), vertical bands reach the bottom,
// and the views on a band align inside it.
TEST(ReportPage, AlignChildrenSizesTheBands) {
  TfrxReportPage page(nullptr);
  TemplateMargins(page);  // printable 185 x 277 mm
  page.SetColumns(2);     // 92.5 mm each
  const long double printableW = 185 * fr01cm, printableH = 277 * fr01cm, columnW = 92.5L * fr01cm;

  auto* title = new TfrxReportTitle(&page);
  auto* data = new TfrxMasterData(&page);
  auto* footer = new TfrxPageFooter(&page);
  auto* overlay = new TfrxOverlay(&page);
  auto* vertical = new TfrxHeader(&page);
  auto* shifted = new TfrxReportSummary(&page);
  vertical->SetVertical(true);
  vertical->SetTop(100);
  shifted->SetLeft(30);
  auto* memo = new TfrxTestView(data);
  memo->SetBounds(5, 5, 20, 10);
  memo->SetAlign(baClient);
  data->SetHeight(40);

  page.AlignChildren();

  struct Case {
    TfrxBand* band;
    long double width;
  };
  const Case cases[] = {
      {title, printableW}, {data, columnW}, {footer, printableW}, {overlay, printableW}, {shifted, printableW - 30}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.band->ClassName());
    EXPECT_NEAR(D(c.band->Width()), D(c.width), 1e-9);
  }
  EXPECT_NEAR(D(vertical->Height()), D(printableH - 100), 1e-9);
  EXPECT_DOUBLE_EQ(D(vertical->Width()), 0);  // vertical bands keep their width
  // The view filled its band.
  EXPECT_NEAR(D(memo->Width()), D(columnW), 1e-9);
  EXPECT_DOUBLE_EQ(D(memo->Height()), 40);
  EXPECT_DOUBLE_EQ(D(memo->Left()), 0);
  // The page is back to its paper size.
  EXPECT_DOUBLE_EQ(D(page.Width()), 794);
  EXPECT_DOUBLE_EQ(D(page.Height()), 1123);
}

TEST(DataPage, IsAThousandPixelsSquare) {
  TfrxDataPage page(nullptr);
  EXPECT_DOUBLE_EQ(D(page.Width()), 1000);
  EXPECT_DOUBLE_EQ(D(page.Height()), 1000);
  EXPECT_EQ(page.BaseName(), "DataPage");
}

namespace {

std::string Write(TfrxComponent* root) {
  rtl::TMemoryStream s;
  TfrxXMLSerializer w(&s);
  w.WriteRootComponent(root, true);
  return std::string(s.Memory(), static_cast<std::size_t>(s.Size()));
}

std::vector<AnsiString> Read(TfrxComponent* root, const std::string& text) {
  rtl::TMemoryStream s;
  s.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  s.SetPosition(0);
  TfrxXMLSerializer r(&s);
  r.ReadRootComponent(root);
  std::vector<AnsiString> errors;
  for (int i = 0; i < r.Errors().Count(); ++i) errors.push_back(r.Errors()[i]);
  return errors;
}

// The classes the reader needs, for one test.
struct Registered {
  Registered() {
    ReportClassesStartup();
    RegisterTestClasses();
  }
  ~Registered() { ReportClassesShutdown(); }
};

}  // namespace

// Report -> page -> band -> view written and read back: every setting
// survives, including the turned paper and the Child link.
TEST(ReportPage, TemplateRoundTrip) {
  Registered classes;
  auto report = std::make_unique<TfrxTestReport>();
  auto* page = new TfrxReportPage(report.get());
  page->SetName("Page1");
  page->SetOrientation(poLandscape);
  page->SetLeftMargin(10);
  page->SetRightMargin(10);
  page->SetTopMargin(5);
  page->SetBottomMargin(20);
  page->SetColumns(2);
  page->ColumnPositions()->SetText("0\r\n92,50");
  page->SetDuplex(dmHorizontal);
  page->SetPrintIfEmpty(false);
  auto* band = new TfrxMasterData(page);
  band->SetName("MasterData1");
  band->SetBounds(0, 20, 400, 18.9);
  band->SetRowCount(3);
  band->SetStretched(true);
  auto* child = new TfrxChild(page);
  child->SetName("Child1");
  band->SetChild(child);
  auto* view = new TfrxTestView(band);
  view->SetName("View1");
  view->SetBounds(1, 2, 3, 4);

  const std::string xml = Write(report.get());
  EXPECT_NE(xml.find("<TfrxReportPage Name=\"Page1\" Orientation=\"poLandscape\" PaperWidth=\"297\" "
                     "PaperHeight=\"210\" PaperSize=\"9\" LeftMargin=\"10\""),
            std::string::npos)
      << xml;

  auto copy = std::make_unique<TfrxTestReport>();
  EXPECT_TRUE(Read(copy.get(), xml).empty());
  EXPECT_EQ(Write(copy.get()), xml);

  auto* page2 = dynamic_cast<TfrxReportPage*>(copy->FindObject("Page1"));
  auto* band2 = dynamic_cast<TfrxMasterData*>(copy->FindObject("MasterData1"));
  ASSERT_TRUE(page2 && band2);
  EXPECT_EQ(page2->Orientation(), poLandscape);
  EXPECT_EQ(page2->PaperSize(), 9);
  EXPECT_DOUBLE_EQ(D(page2->Width()), 1123);
  ExpectMargins(*page2, {10, 10, 5, 20});
  EXPECT_EQ(page2->ColumnPositions()->Text(), "0\r\n92,50\r\n");
  EXPECT_EQ(page2->Duplex(), dmHorizontal);
  EXPECT_FALSE(page2->PrintIfEmpty());
  EXPECT_EQ(band2->Child(), copy->FindObject("Child1"));
  EXPECT_EQ(band2->VirtualDataSet()->RangeEndCount(), 3);
  EXPECT_TRUE(band2->Stretched());
  ASSERT_EQ(band2->Objects().size(), 1u);
  EXPECT_DOUBLE_EQ(D(band2->Objects()[0]->Height()), 4);
}

// A damaged template whose children point at each other loads without
// hanging: the link that would close the circle stays unset.
TEST(ReportPage, ATemplateWithAChildCycleLoads) {
  Registered classes;
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
      "<TfrxTestReport><TfrxReportPage Name=\"Page1\">"
      "<TfrxChild Name=\"A\" Child=\"B\"/><TfrxChild Name=\"B\" Child=\"A\"/><TfrxChild Name=\"C\" Child=\"C\"/>"
      "</TfrxReportPage></TfrxTestReport>";
  auto report = std::make_unique<TfrxTestReport>();
  Read(report.get(), xml);
  auto* a = dynamic_cast<TfrxChild*>(report->FindObject("A"));
  auto* b = dynamic_cast<TfrxChild*>(report->FindObject("B"));
  auto* c = dynamic_cast<TfrxChild*>(report->FindObject("C"));
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(a->Child(), b);
  EXPECT_EQ(b->Child(), nullptr);
  EXPECT_EQ(c->Child(), nullptr);
}
