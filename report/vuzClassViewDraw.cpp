// Drawing of every view: the device rectangle, the background with its
// hatch, thick lines as one-pixel strokes, the drop shadow and the frame.
#include <cstdlib>

#include "report/vuzClassView.h"

namespace report {

// ---- drawing

void TfrxView::Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                    long double offsetY) {
  BeginDraw(canvas, scaleX, scaleY, offsetX, offsetY);
  DrawBackground();
  DrawFrame();
}

void TfrxView::BeginDraw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                         long double offsetY) {
  DrawCanvas = &canvas;
  DrawScaleX = scaleX;
  DrawScaleY = scaleY;
  DrawOffsetX = offsetX;
  DrawOffsetY = offsetY;
  const long double absLeft = GetAbsLeft(), absTop = GetAbsTop();
  DevX = vuzRoundEven(offsetX + absLeft * scaleX);
  DevY = vuzRoundEven(offsetY + absTop * scaleY);
  DevX1 = vuzRoundEven(offsetX + (absLeft + Width()) * scaleX);
  DevY1 = vuzRoundEven(offsetY + (absTop + Height()) * scaleY);
  if (frame_->DropShadow()) {  // the shadow is drawn inside the object's bounds
    DevX1 -= vuzRoundEven(frame_->ShadowWidth() * scaleX);
    DevY1 -= vuzRoundEven(frame_->ShadowWidth() * scaleY);
  }
  DevWidth = DevX1 - DevX;
  DevHeight = DevY1 - DevY;
  DevFrameWidth = vuzRoundEven(frame_->Width() * scaleX);
}

void TfrxView::DrawBackground() {
  gfx::TCanvas& c = *DrawCanvas;
  c.Brush().SetStyle(brushStyle_);
  if (color_ != clTransparent) {
    c.Brush().SetColor(color_);
    c.Brush().SetStyle(gfx::bsSolid);
    c.FillRect(gfx::Rect(DevX, DevY, DevX1, DevY1));
  }
  if (brushStyle_ >= gfx::bsHorizontal && brushStyle_ <= gfx::bsDiagCross) {
    const gfx::TBrush saved = c.Brush();
    c.Brush().SetColor(static_cast<gfx::TColor>(gfx::ColorToRGB(frame_->Color())));
    c.Brush().SetStyle(brushStyle_);
    c.Rectangle(DevX, DevY, DevX1 + 1, DevY1 + 1);
    c.Brush() = saved;
  }
}

void TfrxView::DrawLine(int x1, int y1, int x2, int y2, int w) {
  gfx::TCanvas& c = *DrawCanvas;
  if (w == 0) w = 1;
  const int first = -w / 2, last = w / 2 - (w % 2 == 0 ? 1 : 0);
  const bool horizontal = std::abs(x2 - x1) > std::abs(y2 - y1);
  for (int i = first; i <= last; ++i) {
    if (horizontal) {
      c.MoveTo(x1, y1 + i);
      c.LineTo(x2, y2 + i);
    } else {
      c.MoveTo(x1 + i, y1);
      c.LineTo(x2 + i, y2);
    }
  }
}

// ---- the frame

namespace {

enum TFrameSide { sideLeft, sideRight, sideTop, sideBottom };

// One side as a segment: along the y axis for vertical sides, along x for
// horizontal ones; whether each end meets another drawn side.
struct TSideSegment {
  int x1, y1, x2, y2;
  bool vertical;
  bool startNeighbour, endNeighbour;
  // The stroke on the negative side of a double line is the outer one on
  // left and top sides, the inner one on right and bottom sides.
  bool negativeIsOuter;

  // Moves the start forward and the end back by the amounts (negative
  // amounts lengthen the segment).
  TSideSegment Shortened(int atStart, int atEnd) const {
    TSideSegment s = *this;
    if (vertical) {
      s.y1 += atStart;
      s.y2 -= atEnd;
    } else {
      s.x1 += atStart;
      s.x2 -= atEnd;
    }
    return s;
  }
  TSideSegment Offset(int by) const {
    TSideSegment s = *this;
    if (vertical) {
      s.x1 += by;
      s.x2 += by;
    } else {
      s.y1 += by;
      s.y2 += by;
    }
    return s;
  }
};

void Stroke(gfx::TCanvas& c, const TSideSegment& s) {
  c.MoveTo(s.x1, s.y1);
  c.LineTo(s.x2, s.y2);
}

// The pen a side starts with: solid of the line's width for solid and
// double lines, the dashed pen of the same ordinal and width 1 for the
// others. The dotted and square styles have no pen of their own ordinal:
// they draw with their own pattern pen, so they start with a solid one.
gfx::TPen PreparedPen(const TfrxFrameLine& line, int width) {
  gfx::TPen pen;
  pen.SetColor(line.Color());
  switch (line.Style()) {
    case fsSolid:
    case fsDouble:
      pen.SetStyle(gfx::psSolid);
      pen.SetWidth(width);
      break;
    case fsDash: pen.SetStyle(gfx::psDash); break;
    case fsDot: pen.SetStyle(gfx::psDot); break;
    case fsDashDot: pen.SetStyle(gfx::psDashDot); break;
    case fsDashDotDot: pen.SetStyle(gfx::psDashDotDot); break;
    case fsAltDot:
    case fsSquare: pen.SetStyle(gfx::psSolid); break;
  }
  return pen;
}

}  // namespace

void TfrxView::DrawFrame() {
  gfx::TCanvas& c = *DrawCanvas;
  const TfrxFrame& f = *frame_;

  if (f.DropShadow()) {
    gfx::TPen pen;
    pen.SetColor(f.ShadowColor());
    c.Pen() = pen;
    const int a = vuzRoundEven(f.ShadowWidth() * DrawScaleX);
    DrawLine(DevX1 + a / 2, DevY + a, DevX1 + a / 2, DevY1, a);
    const int b = vuzRoundEven(f.ShadowWidth() * DrawScaleY);
    DrawLine(DevX + b, DevY1 + b / 2, DevX1 + b, DevY1 + b / 2, b);
  }

  const TfrxFrameTypes typ = f.Typ();
  if (typ == 0 || f.Color() == clTransparent || f.Width() == 0) return;

  c.Brush().SetStyle(gfx::bsSolid);
  if (f.Style() != fsSolid) {
    // The gaps of styled pens show the fill colour.
    if (color_ == clTransparent)
      c.Brush().SetStyle(gfx::bsClear);
    else
      c.Brush().SetColor(color_);
  }

  const bool left = typ & FrameBit(ftLeft), right = typ & FrameBit(ftRight);
  const bool top = typ & FrameBit(ftTop), bottom = typ & FrameBit(ftBottom);

  auto drawSide = [&](TFrameSide side, const TfrxFrameLine& line) {
    const int w = vuzRoundEven(line.Width() * DrawScaleX);
    const gfx::TPen prepared = PreparedPen(line, w);
    c.Pen() = prepared;
    const int penWidth = prepared.Width();
    TSideSegment s{};
    switch (side) {
      case sideLeft: {
        const int k = penWidth == 2 && f.Style() != fsSolid ? 1 : 0;
        s = {DevX, DevY - k, DevX, DevY1, true, top, bottom, true};
        break;
      }
      case sideRight: s = {DevX1, DevY, DevX1, DevY1, true, top, bottom, false}; break;
      case sideTop: s = {DevX, DevY, DevX1, DevY, false, left, right, true}; break;
      case sideBottom: {
        const int k = penWidth == 1 && f.Style() != fsSolid ? 1 : 0;
        s = {DevX, DevY1, DevX1 + k, DevY1, false, left, right, false};
        break;
      }
    }
    switch (line.Style()) {
      case fsSolid: {
        // An end without a neighbour is pulled in by half the width, so the
        // square caps end flush; ends with a neighbour fill the corner.
        s = s.Shortened(s.startNeighbour ? 0 : w / 2, s.endNeighbour ? 0 : w / 2);
        gfx::TPen pen;
        pen.SetGeometric(true);
        pen.SetEndCap(gfx::pecSquare);
        pen.SetWidth(w);
        pen.SetColor(line.Color());
        c.Pen() = pen;
        Stroke(c, s);
        break;
      }
      case fsDouble: {
        s = s.Shortened(s.startNeighbour ? 0 : w / 2, s.endNeighbour ? 0 : w / 2);
        const int a = s.startNeighbour ? w : 0, b = s.endNeighbour ? w : 0;
        const TSideSegment outer = s.Shortened(-a, -b), inner = s.Shortened(a, b);
        Stroke(c, (s.negativeIsOuter ? outer : inner).Offset(-w));
        if (color_ != clTransparent) {
          c.Pen().SetColor(color_);
          Stroke(c, s);
          c.Pen().SetColor(line.Color());
        }
        Stroke(c, (s.negativeIsOuter ? inner : outer).Offset(w));
        break;
      }
      case fsDash:
      case fsDot:
      case fsDashDot:
      case fsDashDotDot: DrawLine(s.x1, s.y1, s.x2, s.y2, w); break;
      case fsAltDot:
      case fsSquare: {
        if (color_ != clTransparent) {  // the background of the dots
          c.Pen().SetColor(color_);
          DrawLine(s.x1, s.y1, s.x2, s.y2, w);
        }
        gfx::TPen pen;
        pen.SetGeometric(true);
        pen.SetStyle(gfx::psUserStyle);
        pen.SetWidth(w);
        pen.SetColor(line.Color());
        const unsigned uw = static_cast<unsigned>(w < 1 ? 1 : w);
        if (w <= 1) {
          pen.SetDashes({1, 1});
          pen.SetEndCap(gfx::pecFlat);
        } else if (line.Style() == fsSquare) {
          pen.SetDashes({uw, uw});
          pen.SetEndCap(gfx::pecFlat);
        } else {
          pen.SetDashes({0, 2 * uw});  // round dots
          pen.SetEndCap(gfx::pecRound);
        }
        c.Pen() = pen;
        Stroke(c, s);
        break;
      }
    }
  };

  if (left) drawSide(sideLeft, *f.LeftLine());
  if (right) drawSide(sideRight, *f.RightLine());
  if (top) drawSide(sideTop, *f.TopLine());
  if (bottom) drawSide(sideBottom, *f.BottomLine());
}

}  // namespace report
