// The view base: device rectangle, background, thick lines, frames with
// their corner rules and styled pens, drop shadow, expressions in the tag
// and hyperlink texts, and the attribute differences of prepared pages.
#include <gtest/gtest.h>

#include "platform/gfx/recording_canvas.h"
#include "platform/rtl/format_settings.h"
#include "report/vuzClassShape.h"
#include "report/vuzClassView.h"
#include "view_fixture.h"

using namespace report;
using namespace report_test;

namespace {

struct TRoundingCase {
  long double pos, size, scale, offset;
  int dev, dev1;
};

// Halves go to the even neighbour, on both edges and on both axes.
TEST(ViewBeginDraw, RoundsHalvesToEven) {
  const TRoundingCase cases[] = {
      {0.5L, 1, 1, 0, 0, 2},         {2.5L, 1, 1, 0, 2, 4},   {1.5L, 1, 1, 0, 2, 2},
      {10, 20, 1.5L, 0.25L, 15, 45}, {1, 1, 0.5L, 0, 0, 1},   {3, 2, 0.5L, 0, 2, 2},
      {-0.5L, 1, 1, 0, 0, 0},        {-1.5L, 1, 1, 0, -2, 0}, {7, 3, 2, 0.5L, 14, 20},
  };
  for (const TRoundingCase& c : cases) {
    TfrxView view(nullptr);
    view.SetBounds(c.pos, c.pos, c.size, c.size);
    gfx::TRecordingCanvas canvas;
    view.BeginDraw(canvas, c.scale, c.scale, c.offset, c.offset);
    SCOPED_TRACE(std::to_string(static_cast<double>(c.pos)) + " scale " + std::to_string(static_cast<double>(c.scale)));
    EXPECT_EQ(view.DevX, c.dev);
    EXPECT_EQ(view.DevY, c.dev);
    EXPECT_EQ(view.DevX1, c.dev1);
    EXPECT_EQ(view.DevY1, c.dev1);
    EXPECT_EQ(view.DevWidth, c.dev1 - c.dev);
    EXPECT_EQ(view.DevHeight, c.dev1 - c.dev);
  }
}

TEST(ViewBeginDraw, FrameWidthAndShadowInsideTheBounds) {
  const struct {
    long double width, scale;
    int dev;
  } widths[] = {{1, 1, 1}, {1.5L, 1, 2}, {2.5L, 1, 2}, {0.5L, 1, 0}, {1, 2.5L, 2}, {3, 1.5L, 4}};
  for (const auto& w : widths) {
    TfrxView view(nullptr);
    view.Frame()->SetWidth(w.width);
    gfx::TRecordingCanvas canvas;
    view.BeginDraw(canvas, w.scale, w.scale, 0, 0);
    EXPECT_EQ(view.DevFrameWidth, w.dev) << static_cast<double>(w.width) << " x " << static_cast<double>(w.scale);
  }
  TfrxView view(nullptr);
  view.SetBounds(10, 20, 30, 40);
  view.Frame()->SetDropShadow(true);
  view.Frame()->SetShadowWidth(4);
  gfx::TRecordingCanvas canvas;
  view.BeginDraw(canvas, 2, 1, 0, 0);
  EXPECT_EQ(view.DevX1, 80 - 8);
  EXPECT_EQ(view.DevY1, 60 - 4);
}

// The offsets of the one-pixel strokes of a thick line.
TEST(ViewDrawLine, ParallelStrokes) {
  const struct {
    int width;
    const char* horizontal;
    const char* vertical;
  } cases[] = {
      {0, "(0,10)-(50,10)", "(10,0)-(10,50)"},
      {1, "(0,10)-(50,10)", "(10,0)-(10,50)"},
      {2, "(0,9)-(50,9) (0,10)-(50,10)", "(9,0)-(9,50) (10,0)-(10,50)"},
      {3, "(0,9)-(50,9) (0,10)-(50,10) (0,11)-(50,11)", "(9,0)-(9,50) (10,0)-(10,50) (11,0)-(11,50)"},
      {4, "(0,8)-(50,8) (0,9)-(50,9) (0,10)-(50,10) (0,11)-(50,11)",
       "(8,0)-(8,50) (9,0)-(9,50) (10,0)-(10,50) (11,0)-(11,50)"},
  };
  for (const auto& c : cases) {
    TfrxView view(nullptr);
    gfx::TRecordingCanvas canvas;
    view.BeginDraw(canvas, 1, 1, 0, 0);
    view.DrawLine(0, 10, 50, 10, c.width);
    EXPECT_EQ(StrokesText(Strokes(canvas)), c.horizontal) << c.width;
    canvas.Clear();
    view.DrawLine(10, 0, 10, 50, c.width);
    EXPECT_EQ(StrokesText(Strokes(canvas)), c.vertical) << c.width;
  }
  // A diagonal steeper than 45 degrees is thickened sideways.
  TfrxView view(nullptr);
  gfx::TRecordingCanvas canvas;
  view.BeginDraw(canvas, 1, 1, 0, 0);
  view.DrawLine(0, 0, 10, 30, 2);
  EXPECT_EQ(StrokesText(Strokes(canvas)), "(-1,0)-(9,30) (0,0)-(10,30)");
}

// A view at (10, 20), 30 x 40, drawn at scale 1.
struct FramedView : ::testing::Test {
  TfrxView view{nullptr};
  gfx::TRecordingCanvas canvas;
  FramedView() {
    view.SetBounds(10, 20, 30, 40);
    view.Frame()->SetTyp(15);
  }
  std::string Draw() {
    canvas.Clear();
    view.Draw(canvas, 1, 1, 0, 0);
    return StrokesText(Strokes(canvas));
  }
};

TEST_F(FramedView, OnePixelSolidFrameCoversTheDeviceRectangle) {
  EXPECT_EQ(Draw(), "(10,20)-(10,60) (40,20)-(40,60) (10,20)-(40,20) (10,60)-(40,60)");
  for (const TStroke& s : Strokes(canvas)) {
    EXPECT_TRUE(s.pen.Geometric());
    EXPECT_EQ(s.pen.EndCap(), gfx::pecSquare);
    EXPECT_EQ(s.pen.Width(), 1);
    EXPECT_EQ(s.pen.Color(), 0);
  }
}

// Ends without a neighbouring side are pulled in by half the width; ends
// with one keep their length and fill the corner.
TEST_F(FramedView, WideSidesShortenOnlyFreeEnds) {
  view.Frame()->SetWidth(3);
  view.Frame()->SetTyp(FrameBit(ftTop));
  EXPECT_EQ(Draw(), "(11,20)-(39,20)");
  view.Frame()->SetTyp(FrameBit(ftTop) | FrameBit(ftLeft));
  EXPECT_EQ(Draw(), "(10,20)-(10,59) (10,20)-(39,20)");
  view.Frame()->SetTyp(15);
  EXPECT_EQ(Draw(), "(10,20)-(10,60) (40,20)-(40,60) (10,20)-(40,20) (10,60)-(40,60)");
  EXPECT_EQ(Strokes(canvas).at(0).pen.Width(), 3);
}

TEST_F(FramedView, NothingWithoutSidesColourOrWidthButTheShadow) {
  view.Frame()->SetTyp(0);
  EXPECT_EQ(Draw(), "");
  view.Frame()->SetTyp(15);
  view.Frame()->SetColor(clTransparent);
  EXPECT_EQ(Draw(), "");
  view.Frame()->SetColor(0);
  view.Frame()->SetWidth(0);
  EXPECT_EQ(Draw(), "");
  view.Frame()->SetDropShadow(true);
  view.Frame()->SetShadowColor(0x808080);
  view.Frame()->SetShadowWidth(4);
  EXPECT_EQ(Draw(),
            "(36,24)-(36,56) (37,24)-(37,56) (38,24)-(38,56) (39,24)-(39,56) "
            "(14,56)-(40,56) (14,57)-(40,57) (14,58)-(40,58) (14,59)-(40,59)");
  for (const TStroke& s : Strokes(canvas)) EXPECT_EQ(s.pen.Color(), 0x808080);
}

// Each side's own line decides colour, style and width.
TEST_F(FramedView, StyledPens) {
  view.Frame()->SetTyp(FrameBit(ftLeft) | FrameBit(ftBottom));
  view.Frame()->SetStyle(fsDash);
  view.Frame()->SetWidth(2);
  view.Frame()->BottomLine()->SetWidth(1);
  view.Frame()->BottomLine()->SetColor(0xFF);
  // Width 2: two strokes per side; the bottom's one-pixel dashed pen runs
  // one pixel further to meet the right edge.
  EXPECT_EQ(Draw(), "(9,20)-(9,60) (10,20)-(10,60) (10,60)-(41,60)");
  const auto strokes = Strokes(canvas);
  EXPECT_EQ(strokes.at(0).pen.Style(), gfx::psDash);
  EXPECT_EQ(strokes.at(0).pen.Width(), 1);
  EXPECT_EQ(strokes.at(2).pen.Color(), 0xFF);
  // The gaps of a dashed pen are the fill colour.
  EXPECT_EQ(canvas.Calls().back().state.brush.Style(), gfx::bsClear);
  view.SetColor(0xC0C0C0);
  Draw();
  EXPECT_EQ(canvas.Calls().back().state.brush.Color(), 0xC0C0C0);
  EXPECT_EQ(canvas.Calls().back().state.brush.Style(), gfx::bsSolid);
}

TEST_F(FramedView, DoubleLinesAreThreeStrokes) {
  view.Frame()->SetStyle(fsDouble);
  view.Frame()->SetTyp(FrameBit(ftLeft) | FrameBit(ftTop));
  // Left: outer stroke at -1 lengthened towards the top, inner at +1
  // shortened there; its free lower end is not moved (width 1).
  EXPECT_EQ(Draw(), "(9,19)-(9,60) (11,21)-(11,60) (9,19)-(40,19) (11,21)-(40,21)");
  view.SetColor(0x00FF00);
  Draw();
  const auto strokes = Strokes(canvas);
  ASSERT_EQ(strokes.size(), 6u);
  EXPECT_EQ(StrokesText({strokes[1]}), "(10,20)-(10,60)");
  EXPECT_EQ(strokes[1].pen.Color(), 0x00FF00);
  EXPECT_EQ(strokes[0].pen.Color(), 0);
  EXPECT_EQ(strokes[2].pen.Color(), 0);
  // Right and bottom sides put the inner stroke on the negative side.
  view.SetColor(clTransparent);
  view.Frame()->SetTyp(FrameBit(ftRight) | FrameBit(ftTop));
  EXPECT_EQ(Draw(), "(39,21)-(39,60) (41,19)-(41,60) (10,19)-(41,19) (10,21)-(39,21)");
}

TEST_F(FramedView, DotAndSquarePatternPens) {
  view.Frame()->SetTyp(FrameBit(ftTop));
  const struct {
    TfrxFrameStyle style;
    long double width;
    std::vector<unsigned> dashes;
    gfx::TPenEndCap cap;
  } cases[] = {
      {fsAltDot, 1, {1, 1}, gfx::pecFlat},
      {fsAltDot, 2, {0, 4}, gfx::pecRound},
      {fsSquare, 1, {1, 1}, gfx::pecFlat},
      {fsSquare, 3, {3, 3}, gfx::pecFlat},
  };
  for (const auto& c : cases) {
    view.Frame()->SetStyle(c.style);
    view.Frame()->SetWidth(c.width);
    view.SetColor(clTransparent);
    Draw();
    auto strokes = Strokes(canvas);
    ASSERT_EQ(strokes.size(), 1u);
    EXPECT_EQ(strokes[0].pen.Style(), gfx::psUserStyle);
    EXPECT_TRUE(strokes[0].pen.Geometric());
    EXPECT_EQ(strokes[0].pen.Dashes(), c.dashes);
    EXPECT_EQ(strokes[0].pen.EndCap(), c.cap);
    EXPECT_EQ(strokes[0].pen.Width(), static_cast<int>(c.width));
    // With a fill, the line is first drawn in it under the dots.
    view.SetColor(0x00FFFF);
    Draw();
    strokes = Strokes(canvas);
    ASSERT_EQ(strokes.size(), static_cast<std::size_t>(c.width) + 1);
    EXPECT_EQ(strokes[0].pen.Color(), 0x00FFFF);
    EXPECT_EQ(strokes.back().pen.Style(), gfx::psUserStyle);
  }
}

TEST_F(FramedView, BackgroundFillAndHatch) {
  view.Frame()->SetTyp(0);
  view.SetColor(0x123456);
  Draw();
  EXPECT_EQ(ShapeTexts(canvas), std::vector<std::string>{"FillRect 10,20,40,60"});
  EXPECT_EQ(canvas.CallsOf(gfx::TCanvasOp::FillRect).at(0)->state.brush.Color(), 0x123456);
  view.SetColor(clTransparent);
  view.SetBrushStyle(gfx::bsCross);
  view.Frame()->SetColor(0xFF);
  Draw();
  ASSERT_EQ(ShapeTexts(canvas), std::vector<std::string>{"Rectangle 10,20,41,61"});
  const gfx::TCanvasCall& hatch = *canvas.CallsOf(gfx::TCanvasOp::Rectangle).at(0);
  EXPECT_EQ(hatch.state.brush.Style(), gfx::bsCross);
  EXPECT_EQ(hatch.state.brush.Color(), 0xFF);
  view.SetBrushStyle(gfx::bsClear);
  Draw();
  EXPECT_TRUE(ShapeTexts(canvas).empty());
}

// ---------------------------------------------------------------- printing

struct ViewOnReport : ::testing::Test {
  TfrxCalcReport report;
  TfrxView* view = new TfrxView(&report);
};

TEST_F(ViewOnReport, TagAndUrlExpandWhilePrintingAndComeBack) {
  report.values["1+1"] = rtl::Variant(2);
  report.values["Page"] = rtl::Variant("p3");
  view->SetTagStr("id=[1+1]");
  view->SetURL("http://x/[Page]/[1+1]");
  view->BeforePrint();
  EXPECT_EQ(report.self, view);
  view->GetData();
  EXPECT_EQ(view->TagStr(), "id=2");
  EXPECT_EQ(view->URL(), "http://x/p3/2");
  view->AfterPrint();
  EXPECT_EQ(view->TagStr(), "id=[1+1]");
  EXPECT_EQ(view->URL(), "http://x/[Page]/[1+1]");
}

TEST_F(ViewOnReport, ExpandVariablesTable) {
  report.values["a"] = rtl::Variant("[b]");
  report.values["b"] = rtl::Variant("B");
  report.values["n"] = rtl::Variant();  // Null reads as empty text
  report.values["x[1]"] = rtl::Variant(7);
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"no brackets", "no brackets"},
      {"<[a]|[b]>", "<[b]|B>"},  // inserted text is not scanned again
      {"[n]-[b]", "-B"},
      {"[x[1]]", "7"},  // nested brackets belong to the expression
      {"open [b", "open [b"},
      {"[b][b]", "BB"},
  };
  for (const auto& c : cases) {
    AnsiString s = c.in;
    view->ExpandVariables(s);
    EXPECT_EQ(s, c.out) << c.in;
  }
  AnsiString bad = "[missing]";
  EXPECT_THROW(view->ExpandVariables(bad), rtl::Exception);
}

// ---------------------------------------------------------------- Diff

TEST(ViewDiff, AttributeTextsInOrder) {
  struct TCase {
    const char* name;
    void (*change)(TfrxShapeView&);
    const char* text;
  };
  const TCase cases[] = {
      {"nothing", [](TfrxShapeView&) {}, ""},
      {"fill", [](TfrxShapeView& v) { v.SetColor(255); }, " Color=\"255\""},
      {"hatch", [](TfrxShapeView& v) { v.SetBrushStyle(gfx::bsCross); }, " BrushStyle=\"6\""},
      {"align", [](TfrxShapeView& v) { v.SetAlign(baClient); }, " Align=\"6\""},
      {"sides", [](TfrxShapeView& v) { v.Frame()->SetTyp(15); }, " Frame.Typ=\"15\""},
      {"frame width follows to lines", [](TfrxShapeView& v) { v.Frame()->SetWidth(2); }, " Frame.Width=\"2\""},
      {"one line", [](TfrxShapeView& v) { v.Frame()->LeftLine()->SetWidth(3); }, " Frame.LeftLine.Width=\"3\""},
      {"line kept against a changed frame",
       [](TfrxShapeView& v) {
         v.Frame()->SetColor(255);
         v.Frame()->TopLine()->SetColor(0);
       },
       " Frame.Color=\"255\" Frame.TopLine.Color=\"0\""},
      {"shadow",
       [](TfrxShapeView& v) {
         v.Frame()->SetDropShadow(true);
         v.Frame()->SetShadowWidth(2.5L);
       },
       " Frame.DropShadow=\"1\" Frame.ShadowWidth=\"2,5\""},
      {"tiny float change", [](TfrxShapeView& v) { v.Frame()->SetShadowWidth(4.00001L); }, ""},
      {"style", [](TfrxShapeView& v) { v.Frame()->SetStyle(fsDot); }, " Frame.Style=\"2\""},
      {"texts",
       [](TfrxShapeView& v) {
         v.SetPrintable(false);
         v.SetTagStr("a<b");
         v.SetURL("u\"");
         v.SetCursor(150);
       },
       " Cursor=\"150\" Printable=\"0\" TagStr=\"a&#60;b\" URL=\"u&#34;\""},
      {"shape", [](TfrxShapeView& v) { v.SetShape(skEllipse); }, " Shape=\"2\""},
      {"geometry first",
       [](TfrxShapeView& v) {
         v.SetColor(1);
         v.SetLeft(5);
       },
       " l=\"5\" Color=\"1\""},
  };
  const char separator = rtl::CurrentFormatSettings().DecimalSeparator;
  rtl::CurrentFormatSettings().DecimalSeparator = ',';
  for (const TCase& c : cases) {
    TfrxShapeView a(nullptr), b(nullptr);
    c.change(a);
    EXPECT_EQ(a.Diff(&b), c.text) << c.name;
  }
  rtl::CurrentFormatSettings().DecimalSeparator = separator;
}

}  // namespace
