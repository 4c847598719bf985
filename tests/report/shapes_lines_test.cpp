// Shapes (seven kinds, fills, hatches, double frames, rounded corners),
// lines with arrow heads, and a shape stored in a template and read back.
#include <gtest/gtest.h>

#include "platform/gfx/recording_canvas.h"
#include "report/vuzClassShape.h"
#include "view_fixture.h"

using namespace report;
using namespace report_test;

namespace {

struct ShapeDrawing : ::testing::Test {
  TfrxShapeView shape{nullptr};
  gfx::TRecordingCanvas canvas;
  ShapeDrawing() { shape.SetBounds(0, 0, 100, 40); }
  std::vector<std::string> Draw(long double scale = 1) {
    canvas.Clear();
    shape.Draw(canvas, scale, scale, 0, 0);
    auto texts = ShapeTexts(canvas);
    for (const TStroke& s : Strokes(canvas)) texts.push_back("Stroke " + StrokesText({s}));
    return texts;
  }
};

TEST_F(ShapeDrawing, SevenKinds) {
  using V = std::vector<std::string>;
  const struct {
    TfrxShapeKind kind;
    V calls;
  } cases[] = {
      {skRectangle, {"Rectangle 0,0,101,41"}},
      {skRoundRectangle, {"RoundRect 0,0,101,41 10,10"}},
      {skEllipse, {"Ellipse 0,0,101,41"}},
      {skTriangle, {"Polygon (100,40)(0,40)(50,0)(100,40)"}},
      {skDiamond, {"Polygon (50,0)(100,20)(50,40)(0,20)"}},
      {skDiagonal1, {"Stroke (0,40)-(100,0)"}},
      {skDiagonal2, {"Stroke (0,0)-(100,40)"}},
  };
  for (const auto& c : cases) {
    shape.SetShape(c.kind);
    EXPECT_EQ(Draw(), c.calls) << c.kind;
  }
}

TEST_F(ShapeDrawing, RoundedCorners) {
  shape.SetShape(skRoundRectangle);
  EXPECT_EQ(Draw(), std::vector<std::string>{"RoundRect 0,0,101,41 10,10"});  // a quarter of the shorter side
  shape.SetCurve(2);
  EXPECT_EQ(Draw(), std::vector<std::string>{"RoundRect 0,0,101,41 20,20"});
  EXPECT_EQ(Draw(2), std::vector<std::string>{"RoundRect 0,0,201,81 40,40"});
  shape.SetCurve(0);
  shape.SetBounds(0, 0, 30, 90);
  EXPECT_EQ(Draw(), std::vector<std::string>{"RoundRect 0,0,31,91 7,7"});
}

TEST_F(ShapeDrawing, PenAndBrush) {
  Draw();
  const gfx::TCanvasState* st = &canvas.CallsOf(gfx::TCanvasOp::Rectangle).at(0)->state;
  EXPECT_EQ(st->brush.Style(), gfx::bsClear);  // no fill colour: the inside stays
  EXPECT_EQ(st->pen.Style(), gfx::psSolid);
  shape.SetColor(0x00FF00);
  shape.Frame()->SetStyle(fsDash);
  shape.Frame()->SetColor(0xFF);
  Draw();
  st = &canvas.CallsOf(gfx::TCanvasOp::Rectangle).at(0)->state;
  EXPECT_EQ(st->brush.Style(), gfx::bsSolid);
  EXPECT_EQ(st->brush.Color(), 0x00FF00);
  EXPECT_EQ(st->pen.Style(), gfx::psDash);
  EXPECT_EQ(st->pen.Color(), 0xFF);
  shape.Frame()->SetColor(clTransparent);
  Draw();
  EXPECT_EQ(canvas.CallsOf(gfx::TCanvasOp::Rectangle).at(0)->state.pen.Style(), gfx::psClear);
  // A hatch over a fill: the fill first, then the hatch in the frame colour.
  shape.Frame()->SetColor(0xFF);
  shape.SetBrushStyle(gfx::bsDiagCross);
  EXPECT_EQ(Draw(), (std::vector<std::string>{"Rectangle 0,0,101,41", "Rectangle 0,0,101,41"}));
  const auto rects = canvas.CallsOf(gfx::TCanvasOp::Rectangle);
  EXPECT_EQ(rects[0]->state.brush.Style(), gfx::bsSolid);
  EXPECT_EQ(rects[0]->state.brush.Color(), 0x00FF00);
  EXPECT_EQ(rects[1]->state.brush.Style(), gfx::bsDiagCross);
  EXPECT_EQ(rects[1]->state.brush.Color(), 0xFF);
}

// A double frame is the outline and a second one inside it, inset by the
// kind's own multiple of the frame width; the object keeps its bounds.
TEST_F(ShapeDrawing, DoubleFramesDrawTwoOutlines) {
  using V = std::vector<std::string>;
  shape.Frame()->SetStyle(fsDouble);
  shape.Frame()->SetWidth(2);
  shape.Frame()->LeftLine()->SetStyle(fsDot);
  const struct {
    TfrxShapeKind kind;
    V calls;
  } cases[] = {
      {skRectangle, {"Rectangle 0,0,101,41", "Rectangle 4,4,97,37"}},
      {skEllipse, {"Ellipse 0,0,101,41", "Ellipse 4,4,97,37"}},
      {skTriangle, {"Polygon (100,40)(0,40)(50,0)(100,40)", "Polygon (92,36)(8,36)(50,8)(92,36)"}},
      {skDiamond, {"Polygon (50,0)(100,20)(50,40)(0,20)", "Polygon (50,6)(94,20)(50,34)(6,20)"}},
      {skDiagonal2,
       {"Stroke (0,-1)-(100,39)", "Stroke (0,0)-(100,40)", "Stroke (4,-1)-(104,39)", "Stroke (4,0)-(104,40)"}},
  };
  for (const auto& c : cases) {
    shape.SetShape(c.kind);
    EXPECT_EQ(Draw(), c.calls) << c.kind;
    for (const gfx::TCanvasCall& call : canvas.Calls())
      if (call.op != gfx::TCanvasOp::MoveTo) {
        EXPECT_EQ(call.state.pen.Style(), gfx::psSolid) << c.kind;
      }
    EXPECT_EQ(shape.Frame()->Style(), fsDouble);
    EXPECT_EQ(shape.Frame()->LeftLine()->Style(), fsDot);
    EXPECT_EQ(shape.Left(), 0);
    EXPECT_EQ(shape.Width(), 100);
    EXPECT_EQ(shape.Height(), 40);
  }
}

TEST(ShapeView, RegistryFlagsAreTheKind) {
  TfrxShapeView ellipse(nullptr, 2);
  EXPECT_EQ(ellipse.Shape(), skEllipse);
  EXPECT_TRUE(ellipse.IsDesigning());
  EXPECT_FALSE(ellipse.FrComponentStyle() & csDefaultDiff);
  EXPECT_EQ(ellipse.GetDescription(), "obShape");
}

// ---------------------------------------------------------------- lines

struct LineDrawing : ::testing::Test {
  TfrxLineView line{nullptr};
  gfx::TRecordingCanvas canvas;
  std::vector<std::string> Draw(long double scale = 1) {
    canvas.Clear();
    line.Draw(canvas, scale, scale, 0, 0);
    std::vector<std::string> texts;
    for (const TStroke& s : Strokes(canvas)) texts.push_back("Stroke " + StrokesText({s}));
    for (const std::string& t : ShapeTexts(canvas)) texts.push_back(t);
    return texts;
  }
};

TEST_F(LineDrawing, StraightLinesAreAFrameSideWithArrows) {
  using V = std::vector<std::string>;
  const struct {
    const char* name;
    long double left, top, width, height, scale;
    bool start, end;
    V calls;
  } cases[] = {
      {"horizontal", 0, 10, 100, 5, 1, false, true, {"Stroke (0,10)-(100,10)", "Polyline (80,5)(100,10)(80,15)"}},
      {"horizontal, start", 0, 10, 100, 0, 1, true, false, {"Stroke (0,10)-(100,10)", "Polyline (20,5)(0,10)(20,15)"}},
      {"vertical", 10, 0, 3, 100, 1, false, true, {"Stroke (10,0)-(10,100)", "Polyline (5,80)(10,100)(15,80)"}},
      {"vertical, start", 10, 0, 0, 100, 1, true, false, {"Stroke (10,0)-(10,100)", "Polyline (5,20)(10,0)(15,20)"}},
      {"scaled", 0, 10, 100, 0, 2, false, true, {"Stroke (1,20)-(199,20)", "Polyline (160,10)(200,20)(160,30)"}},
  };
  for (const auto& c : cases) {
    line.SetBounds(c.left, c.top, c.width, c.height);
    line.SetArrowStart(c.start);
    line.SetArrowEnd(c.end);
    EXPECT_EQ(Draw(c.scale), c.calls) << c.name;
  }
  EXPECT_EQ(line.Frame()->Typ(), FrameBit(ftTop));
  EXPECT_EQ(line.Height(), 0);
}

TEST_F(LineDrawing, DiagonalArrowHeads) {
  using V = std::vector<std::string>;
  line.SetDiagonal(true);
  line.SetArrowEnd(true);
  const struct {
    const char* name;
    long double width, height;
    bool solid;
    V calls;
  } cases[] = {
      // Length 20 along the line (6-8-10 triangle), half-width 5 across it.
      {"slanted", 60, 80, false, {"Stroke (0,0)-(60,80)", "Polyline (52,61)(60,80)(44,67)"}},
      {"slanted solid", 60, 80, true, {"Stroke (0,0)-(60,80)", "Polygon (60,80)(52,61)(44,67)(60,80)"}},
      {"steep", 8, 100, false, {"Stroke (0,0)-(8,100)", "Polyline (3,80)(8,100)(13,80)"}},
      {"upwards", 60, -80, false, {"Stroke (0,0)-(60,-80)", "Polyline (44,-67)(60,-80)(52,-61)"}},
  };
  for (const auto& c : cases) {
    line.SetBounds(0, 0, c.width, c.height);
    line.SetArrowSolid(c.solid);
    EXPECT_EQ(Draw(), c.calls) << c.name;
  }
  const auto polygons = canvas.CallsOf(gfx::TCanvasOp::Polyline);
  ASSERT_EQ(polygons.size(), 1u);
  EXPECT_EQ(polygons[0]->state.pen.Color(), 0);
  // No colour or no width: nothing at all.
  line.Frame()->SetColor(clTransparent);
  EXPECT_TRUE(Draw().empty());
}

TEST(LineView, RegistryFlags) {
  const struct {
    std::uint16_t flags;
    bool diagonal, start, end;
  } cases[] = {{0, false, false, false},
               {1, true, false, false},
               {2, true, false, true},
               {3, true, true, false},
               {4, true, true, true}};
  for (const auto& c : cases) {
    TfrxLineView line(nullptr, c.flags);
    EXPECT_EQ(line.Diagonal(), c.diagonal) << c.flags;
    EXPECT_EQ(line.ArrowStart(), c.start) << c.flags;
    EXPECT_EQ(line.ArrowEnd(), c.end) << c.flags;
  }
  TfrxLineView line(nullptr);
  EXPECT_EQ(line.ArrowLength(), 20);
  EXPECT_EQ(line.ArrowWidth(), 5);
  EXPECT_EQ(line.GetDescription(), "obLine");
}

// ---------------------------------------------------------------- stored form

TEST(ShapeView, TemplateRoundTripWithFrameAndFill) {
  TfrxShapeView shape(nullptr);
  shape.SetName("Shape1");
  shape.SetBounds(1.5L, 2, 30, 40);
  shape.SetColor(0xFF);
  shape.SetBrushStyle(gfx::bsCross);
  shape.SetShape(skEllipse);
  shape.SetCurve(3);
  shape.Frame()->SetTyp(15);
  shape.Frame()->SetColor(0xFF0000);
  shape.Frame()->SetWidth(2);
  shape.Frame()->SetDropShadow(true);
  shape.Frame()->LeftLine()->SetStyle(fsDot);
  shape.Frame()->BottomLine()->SetWidth(0.5L);
  shape.SetTagStr("tag [x]");
  rtl::TMemoryStream xml;
  shape.SaveToStream(xml);
  const std::string text(xml.Memory(), static_cast<std::size_t>(xml.Size()));
  for (const char* expected : {"BrushStyle=\"bsCross\"", "Color=\"255\"", "Curve=\"3\"", "Shape=\"skEllipse\"",
                               "Frame.Typ=\"15\"", "Frame.Color=\"16711680\"", "Frame.DropShadow=\"True\"",
                               "Frame.LeftLine.Style=\"fsDot\"", "TagStr=\"tag [x]\""})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  // Lines equal to their frame, and defaults, are left out.
  for (const char* absent : {"Frame.TopLine", "Frame.RightLine", "Frame.LeftLine.Color", "ShadowWidth", "Printable"})
    EXPECT_EQ(text.find(absent), std::string::npos) << absent << "\n" << text;

  TfrxShapeView back(nullptr);
  xml.SetPosition(0);
  back.LoadFromStream(xml);
  EXPECT_EQ(back.Diff(&shape), "");
  EXPECT_EQ(shape.Diff(&back), "");
  EXPECT_EQ(back.Frame()->LeftLine()->Style(), fsDot);
  EXPECT_EQ(back.Frame()->TopLine()->Style(), fsSolid);
  EXPECT_EQ(back.Frame()->BottomLine()->Width(), 0.5L);
  EXPECT_EQ(back.Frame()->RightLine()->Color(), 0xFF0000);
  EXPECT_EQ(back.BrushStyle(), gfx::bsCross);
}

}  // namespace
