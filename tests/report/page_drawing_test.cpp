#include <gtest/gtest.h>

#include <memory>

#include "model_fixture.h"
#include "platform/gfx/recording_canvas.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassPicture.h"
#include "report/vuzClassSubreport.h"
#include "report/vuzXMLSerializer.h"

using namespace report_test;
using namespace report;

namespace {

std::vector<gfx::TRect> Fills(const gfx::TRecordingCanvas& canvas) {
  std::vector<gfx::TRect> rects;
  for (const gfx::TCanvasCall* c : canvas.CallsOf(gfx::TCanvasOp::FillRect)) rects.push_back(c->rect);
  return rects;
}

}  // namespace

// The background fills the printable area: margins 20 and 10 mm put it at
// round(75.59) = 76 and round(37.80) = 38 device pixels at scale 1.
TEST(ReportPageDrawing, BackgroundCoversThePrintableArea) {
  TfrxReportPage page(nullptr);
  page.SetLeftMargin(20);
  page.SetRightMargin(5);
  page.SetTopMargin(10);
  page.SetBottomMargin(10);
  page.SetColor(0x0000FF);
  EXPECT_EQ(page.BackgroundView()->Color(), 0x0000FFu);

  struct Case {
    const char* what;
    bool visible, printable, printing;
    long double scale;
    std::vector<gfx::TRect> fills;
  };
  const Case cases[] = {
      {"screen", true, true, false, 1, {{76, 38, 775, 1085}}},
      {"screen at 2x", true, true, false, 2, {{151, 76, 1550, 2169}}},
      {"printing", true, true, true, 1, {{76, 38, 775, 1085}}},
      {"not printable, printing", true, false, true, 1, {}},
      {"not printable, on screen", true, false, false, 1, {{76, 38, 775, 1085}}},
      {"hidden", false, true, false, 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    page.SetBackPictureVisible(c.visible);
    page.SetBackPicturePrintable(c.printable);
    page.SetIsPrinting(c.printing);
    gfx::TRecordingCanvas canvas;
    page.Draw(canvas, c.scale, c.scale, 0, 0);
    const std::vector<gfx::TRect> fills = Fills(canvas);
    ASSERT_EQ(fills.size(), c.fills.size());
    for (std::size_t i = 0; i < fills.size(); ++i) {
      EXPECT_EQ(fills[i].Left, c.fills[i].Left);
      EXPECT_EQ(fills[i].Top, c.fills[i].Top);
      EXPECT_EQ(fills[i].Right, c.fills[i].Right);
      EXPECT_EQ(fills[i].Bottom, c.fills[i].Bottom);
    }
  }
}

TEST(ReportPageDrawing, TransparentPageWithoutFrameDrawsNothing) {
  TfrxReportPage page(nullptr);
  gfx::TRecordingCanvas canvas;
  page.Draw(canvas, 1, 1, 0, 0);
  EXPECT_TRUE(canvas.Calls().empty()) << canvas.Dump();
  // A frame draws its sides round the printable area.
  page.Frame()->SetTyp(FrameBit(ftLeft) | FrameBit(ftTop));
  page.Draw(canvas, 1, 1, 0, 0);
  EXPECT_FALSE(canvas.Calls().empty());
}

TEST(Subreport, LooksAndPointsBackFromItsPage) {
  TfrxReportPage page(nullptr);
  {
    TfrxSubreport sub(nullptr);
    EXPECT_EQ(sub.FrComponentStyle() & csPreviewVisible, 0u);
    EXPECT_EQ(sub.Frame()->Typ(), 15u);
    EXPECT_EQ(sub.Font()->Name(), "Tahoma");
    EXPECT_EQ(sub.Font()->Size(), 8);
    EXPECT_EQ(sub.Color(), 0xC0C0C0u);
    EXPECT_FALSE(sub.PrintOnParent());
    sub.SetPage(&page);
    EXPECT_TRUE(page.IsSubReport());
    EXPECT_EQ(page.SubReport(), &sub);
  }
  EXPECT_FALSE(page.IsSubReport());  // the subreport is gone
}

TEST(Subreport, AFreedPageIsForgotten) {
  TfrxSubreport sub(nullptr);
  auto* page = new TfrxReportPage(nullptr);
  sub.SetPage(page);
  delete page;
  EXPECT_EQ(sub.Page(), nullptr);
  TfrxReportPage other(nullptr), next(nullptr);
  sub.SetPage(&other);
  sub.SetPage(&next);  // the page left behind no longer points here
  EXPECT_FALSE(other.IsSubReport());
  EXPECT_TRUE(next.IsSubReport());
}

TEST(Subreport, DrawsItsNameAfterTheView) {
  TfrxSubreport sub(nullptr);
  sub.SetName("Subreport1");
  sub.SetBounds(10, 20, 100, 50);
  gfx::TRecordingCanvas canvas;
  sub.Draw(canvas, 1, 1, 0, 0);
  const auto texts = canvas.CallsOf(gfx::TCanvasOp::ExtTextOut);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->text, u"Subreport1");
  EXPECT_EQ(texts[0]->points.at(0).X, 12);
  EXPECT_EQ(texts[0]->points.at(0).Y, 22);
  EXPECT_EQ(texts[0]->state.font.Name(), "Tahoma");
  // The silver fill comes first.
  ASSERT_FALSE(canvas.CallsOf(gfx::TCanvasOp::FillRect).empty());
  EXPECT_LT(canvas.CallsOf(gfx::TCanvasOp::FillRect)[0], texts[0]);
}

TEST(Subreport, PageReferenceSurvivesATemplate) {
  ReportClassesStartup();
  RegisterTestClasses();
  {
    auto report = std::make_unique<TfrxTestReport>();
    auto* page1 = new TfrxReportPage(report.get());
    page1->SetName("Page1");
    auto* page2 = new TfrxReportPage(report.get());
    page2->SetName("Page2");
    page2->SetColor(0x00FF00);
    page2->Frame()->SetTyp(FrameBit(ftBottom));
    auto* sub = new TfrxSubreport(page1);
    sub->SetName("Subreport1");
    sub->SetPage(page2);

    rtl::TMemoryStream stream;
    report->SaveToStream(stream);
    stream.SetPosition(0);
    auto copy = std::make_unique<TfrxTestReport>();
    copy->LoadFromStream(stream);
    EXPECT_EQ(copy->Errors().Count(), 0);
    auto* sub2 = dynamic_cast<TfrxSubreport*>(copy->FindObject("Subreport1"));
    auto* copyPage2 = dynamic_cast<TfrxReportPage*>(copy->FindObject("Page2"));
    ASSERT_TRUE(sub2 && copyPage2);
    EXPECT_EQ(sub2->Page(), copyPage2);
    EXPECT_EQ(copyPage2->SubReport(), sub2);
    EXPECT_EQ(copyPage2->Color(), 0x00FF00u);
    EXPECT_EQ(copyPage2->Frame()->Typ(), FrameBit(ftBottom));
  }
  ReportClassesShutdown();
}
