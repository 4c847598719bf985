#include "report/vuzClassShape.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/format.h"
#include "report/vuzRes.h"

namespace report {

namespace {

// The pen style of a frame style's ordinal. The dotted and square frame
// styles have no pen of that ordinal; a dotted outline is the nearest.
gfx::TPenStyle OutlinePenStyle(TfrxFrameStyle s) {
  switch (s) {
    case fsDash: return gfx::psDash;
    case fsDot:
    case fsAltDot:
    case fsSquare: return gfx::psDot;
    case fsDashDot: return gfx::psDashDot;
    case fsDashDotDot: return gfx::psDashDotDot;
    case fsSolid:
    case fsDouble: break;
  }
  return gfx::psSolid;
}

}  // namespace

// ---------------------------------------------------------------- TfrxShapeView

TfrxShapeView::TfrxShapeView(rtl::TComponent* owner) : TfrxView(owner) {
  SetFrComponentStyle(FrComponentStyle() & ~csDefaultDiff);
}

TfrxShapeView::TfrxShapeView(rtl::TComponent* owner, std::uint16_t flags) : TfrxView(owner, flags) {
  SetFrComponentStyle(FrComponentStyle() & ~csDefaultDiff);
  if (flags <= skDiagonal2) shape_ = static_cast<TfrxShapeKind>(flags);
}

AnsiString TfrxShapeView::GetDescription() const { return vuzResources().Get("obShape"); }

void TfrxShapeView::Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                         long double offsetY) {
  if (Frame()->Style() != fsDouble) {
    BeginDraw(canvas, scaleX, scaleY, offsetX, offsetY);
    DrawShapeOnce();
    return;
  }
  // A double frame is two solid outlines: the object's and one inside it.
  TfrxFrame savedFrame;
  savedFrame.Assign(Frame());
  const long double left = Left(), top = Top(), width = Width(), height = Height();
  struct Restore {
    TfrxShapeView& view;
    TfrxFrame& frame;
    long double left, top, width, height;
    ~Restore() {
      view.Frame()->Assign(&frame);
      view.SetBounds(left, top, width, height);
    }
  } restore{*this, savedFrame, left, top, width, height};
  Frame()->SetStyle(fsSolid);
  BeginDraw(canvas, scaleX, scaleY, offsetX, offsetY);
  DrawShapeOnce();
  const long double w = Frame()->Width();
  switch (shape_) {
    case skRectangle:
    case skRoundRectangle:
    case skEllipse: SetBounds(left + 2 * w, top + 2 * w, width - 4 * w, height - 4 * w); break;
    case skTriangle: SetBounds(left + 4 * w, top + 4 * w, width - 8 * w, height - 6 * w); break;
    case skDiamond: SetBounds(left + 3 * w, top + 3 * w, width - 6 * w, height - 6 * w); break;
    case skDiagonal1:
    case skDiagonal2: SetLeft(left + 2 * w); break;
  }
  BeginDraw(canvas, scaleX, scaleY, offsetX, offsetY);
  DrawShapeOnce();
}

void TfrxShapeView::DrawShapeOnce() {
  gfx::TCanvas& c = *DrawCanvas;
  const TfrxFrame& f = *Frame();
  gfx::TPen pen;
  pen.SetColor(f.Color());
  pen.SetWidth(DevFrameWidth);
  pen.SetStyle(f.Color() == clTransparent ? gfx::psClear : OutlinePenStyle(f.Style()));
  c.Pen() = pen;
  c.Brush().SetStyle(gfx::bsSolid);
  c.SetBkMode(gfx::bkOpaque);
  const gfx::TBrushStyle brush = BrushStyle();
  if (brush >= gfx::bsHorizontal && brush <= gfx::bsDiagCross) {
    if (Color() != clTransparent) {
      c.Brush().SetColor(Color());
      c.Brush().SetStyle(gfx::bsSolid);
      DrawOutline();
    }
    c.Brush().SetColor(f.Color());
    c.Brush().SetStyle(brush);
    c.SetBkMode(gfx::bkTransparent);  // the fill stays visible between the hatch lines
    DrawOutline();
    return;
  }
  if (brush == gfx::bsClear || Color() == clTransparent)
    c.Brush().SetStyle(gfx::bsClear);
  else
    c.Brush().SetColor(Color());
  DrawOutline();
}

void TfrxShapeView::DrawOutline() {
  gfx::TCanvas& c = *DrawCanvas;
  switch (shape_) {
    case skRectangle: c.Rectangle(DevX, DevY, DevX1 + 1, DevY1 + 1); break;
    case skRoundRectangle: {
      const int r = curve_ != 0 ? vuzRoundEven(curve_ * DrawScaleX * 10) : std::min(DevWidth, DevHeight) / 4;
      c.RoundRect(DevX, DevY, DevX1 + 1, DevY1 + 1, r, r);
      break;
    }
    case skEllipse: c.Ellipse(DevX, DevY, DevX1 + 1, DevY1 + 1); break;
    case skTriangle:
      c.Polygon(std::vector<gfx::TPoint>{{DevX1, DevY1}, {DevX, DevY1}, {DevX + DevWidth / 2, DevY}, {DevX1, DevY1}});
      break;
    case skDiamond:
      c.Polygon(std::vector<gfx::TPoint>{{DevX + DevWidth / 2, DevY},
                                         {DevX1, DevY + DevHeight / 2},
                                         {DevX + DevWidth / 2, DevY1},
                                         {DevX, DevY + DevHeight / 2}});
      break;
    case skDiagonal1: DrawLine(DevX, DevY1, DevX1, DevY, DevFrameWidth); break;
    case skDiagonal2: DrawLine(DevX, DevY, DevX1, DevY1, DevFrameWidth); break;
  }
}

AnsiString TfrxShapeView::Diff(TfrxComponent* other) {
  AnsiString s = TfrxView::Diff(other);
  if (auto* o = dynamic_cast<TfrxShapeView*>(other); o && o->shape_ != shape_)
    s += " Shape=\"" + rtl::IntToStr(shape_) + "\"";
  return s;
}

const rtl::TClassInfo& TfrxShapeView::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxShapeView> b("TfrxShapeView", &TfrxView::StaticClass());
    b.Creatable();
    ViewProps::BrushStyle(b);
    ViewProps::Color(b);
    ViewProps::Cursor(b);
    b.Property("Curve", &TfrxShapeView::Curve, &TfrxShapeView::SetCurve).Default(0);
    ViewProps::Frame(b);
    b.Enum("Shape", ShapeKindType(), &TfrxShapeView::Shape, &TfrxShapeView::SetShape).Default(skRectangle);
    ViewProps::TagStr(b);
    ViewProps::URL(b);
    return b.Build();
  }();
  return info;
}

// ---------------------------------------------------------------- TfrxCustomLineView

TfrxCustomLineView::TfrxCustomLineView(rtl::TComponent* owner) : TfrxStretcheable(owner) {
  SetFrComponentStyle(FrComponentStyle() & ~csDefaultDiff);
}

TfrxCustomLineView::TfrxCustomLineView(rtl::TComponent* owner, std::uint16_t flags) : TfrxStretcheable(owner, flags) {
  SetFrComponentStyle(FrComponentStyle() & ~csDefaultDiff);
  diagonal_ = flags != 0;
  arrowEnd_ = flags == 2 || flags == 4;
  arrowStart_ = flags == 3 || flags == 4;
}

AnsiString TfrxCustomLineView::GetDescription() const { return vuzResources().Get("obLine"); }

void TfrxCustomLineView::Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                              long double offsetY) {
  if (!diagonal_) {
    // A straight line is the frame's left side (vertical) or top side.
    if (Width() <= Height()) {
      SetWidth(0);
      Frame()->SetTyp(FrameBit(ftLeft));
    } else {
      SetHeight(0);
      Frame()->SetTyp(FrameBit(ftTop));
    }
  }
  BeginDraw(canvas, scaleX, scaleY, offsetX, offsetY);
  if (diagonal_) {
    DrawDiagonalLine();
    return;
  }
  DrawFrame();
  DrawArrows();
}

void TfrxCustomLineView::DrawDiagonalLine() {
  gfx::TCanvas& c = *DrawCanvas;
  const TfrxFrame& f = *Frame();
  if (f.Color() == clTransparent || f.Width() == 0) return;
  if (Color() == clTransparent) {
    c.Brush().SetStyle(gfx::bsClear);
  } else {
    c.Brush().SetStyle(gfx::bsSolid);
    c.Brush().SetColor(Color());
  }
  gfx::TPen pen;
  pen.SetColor(f.Color());
  pen.SetStyle(OutlinePenStyle(f.Style()));
  c.Pen() = pen;
  DrawLine(DevX, DevY, DevX1, DevY1, DevFrameWidth);
  DrawArrows();
}

void TfrxCustomLineView::DrawArrows() {
  if (arrowStart_) DrawArrow(DevX1, DevY1, DevX, DevY);
  if (arrowEnd_) DrawArrow(DevX, DevY, DevX1, DevY1);
}

TfrxCustomLineView::ArrowHead TfrxCustomLineView::ArrowPoints(int x1, int y1, int x2, int y2) const {
  const long double hw = DrawScaleX * arrowWidth_, len = DrawScaleX * arrowLength_;
  long double X, Y, c1x, c1y, c2x, c2y;
  if (std::abs(x2 - x1) > 8) {
    // The base centre is where the circle of the head's length around the
    // tip meets the line, on the side the line comes from.
    const long double k = static_cast<long double>(y2 - y1) / (x2 - x1);
    const long double u = (static_cast<long double>(x2) * y1 - static_cast<long double>(y2) * x1) / (x2 - x1);
    const long double a = 1 + k * k;
    const long double b = 2 * (k * (u - y2) - x2);
    const long double c = static_cast<long double>(x2) * x2 + (u - y2) * (u - y2) - len * len;
    const long double root = std::sqrt(std::max<long double>(0, b * b - 4 * a * c));
    X = (-b + root) / (2 * a);
    if ((x1 > X && x2 > X) || (x1 < X && x2 < X)) X = (-b - root) / (2 * a);
    Y = k * X + u;
    const long double theta = std::atan(k);
    if (y1 != y2) {
      c1x = X + std::sin(theta) * hw;
      c1y = Y - std::cos(theta) * hw;
      c2x = X - std::sin(theta) * hw;
      c2y = Y + std::cos(theta) * hw;
    } else {
      c1x = c2x = X;
      c1y = Y - hw;
      c2y = Y + hw;
    }
  } else {
    X = x2;
    Y = y2 - len;
    if ((y1 > Y && y2 > Y) || (y1 < Y && y2 < Y)) Y = y2 + len;
    c1x = X - hw;
    c2x = X + hw;
    c1y = c2y = Y;
  }
  return {{x2, y2}, {vuzRoundEven(c1x), vuzRoundEven(c1y)}, {vuzRoundEven(c2x), vuzRoundEven(c2y)}};
}

void TfrxCustomLineView::DrawArrow(int x1, int y1, int x2, int y2) {
  gfx::TCanvas& c = *DrawCanvas;
  const ArrowHead h = ArrowPoints(x1, y1, x2, y2);
  gfx::TPen pen;
  pen.SetColor(Frame()->Color());
  if (arrowSolid_) {
    c.Pen() = pen;
    c.Brush().SetStyle(gfx::bsSolid);
    c.Brush().SetColor(Frame()->Color());
    c.Polygon(std::vector<gfx::TPoint>{h.tip, h.corner1, h.corner2, h.tip});
  } else {
    pen.SetWidth(vuzRoundEven(Frame()->Width() * DrawScaleX));
    c.Pen() = pen;
    c.Polyline(std::vector<gfx::TPoint>{h.corner1, h.tip, h.corner2});
  }
}

const rtl::TClassInfo& TfrxCustomLineView::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxCustomLineView> b("TfrxCustomLineView", &TfrxStretcheable::StaticClass());
    b.Creatable();
    ViewProps::TagStr(b);
    return b.Build();
  }();
  return info;
}

const rtl::TClassInfo& TfrxLineView::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxLineView>("TfrxLineView", &TfrxCustomLineView::StaticClass())
          .Creatable()
          .Property("ArrowEnd", &TfrxCustomLineView::ArrowEnd, &TfrxCustomLineView::SetArrowEnd)
          .Default(false)
          .Property("ArrowLength", &TfrxCustomLineView::ArrowLength, &TfrxCustomLineView::SetArrowLength)
          .Default(20)
          .Property("ArrowSolid", &TfrxCustomLineView::ArrowSolid, &TfrxCustomLineView::SetArrowSolid)
          .Default(false)
          .Property("ArrowStart", &TfrxCustomLineView::ArrowStart, &TfrxCustomLineView::SetArrowStart)
          .Default(false)
          .Property("ArrowWidth", &TfrxCustomLineView::ArrowWidth, &TfrxCustomLineView::SetArrowWidth)
          .Default(5)
          .Property("Frame", &TfrxView::Frame, &TfrxView::SetFrame)
          .Property("Diagonal", &TfrxCustomLineView::Diagonal, &TfrxCustomLineView::SetDiagonal)
          .Default(false)
          .Build();
  return info;
}

}  // namespace report
