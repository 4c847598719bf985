// Shapes and lines: TfrxShapeView (rectangle, round rectangle, ellipse,
// triangle, diamond and the two diagonals, with double frames drawn as two
// outlines) and the line with arrow heads, TfrxCustomLineView, published as
// TfrxLineView.
#pragma once
#include <cstdint>

#include "report/vuzClassView.h"

namespace report {

class TfrxShapeView : public TfrxView {
  RTL_CLASS_INFO
 public:
  explicit TfrxShapeView(rtl::TComponent* owner);
  // The object registry's flags value is the shape kind.
  TfrxShapeView(rtl::TComponent* owner, std::uint16_t flags);

  int Curve() const { return curve_; }
  void SetCurve(int v) { curve_ = v; }
  TfrxShapeKind Shape() const { return shape_; }
  void SetShape(TfrxShapeKind k) { shape_ = k; }

  void Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
            long double offsetY) override;
  AnsiString Diff(TfrxComponent* other) override;
  AnsiString GetDescription() const override;

 private:
  void DrawShapeOnce();
  void DrawOutline();
  int curve_ = 0;
  TfrxShapeKind shape_ = skRectangle;
};

class TfrxCustomLineView : public TfrxStretcheable {
  RTL_CLASS_INFO
 public:
  explicit TfrxCustomLineView(rtl::TComponent* owner);
  // Flags of the object registry: not 0 makes a diagonal line; 2 or 4 an
  // arrow at the end, 3 or 4 one at the start.
  TfrxCustomLineView(rtl::TComponent* owner, std::uint16_t flags);

  bool Diagonal() const { return diagonal_; }
  void SetDiagonal(bool v) { diagonal_ = v; }
  bool ArrowStart() const { return arrowStart_; }
  void SetArrowStart(bool v) { arrowStart_ = v; }
  bool ArrowEnd() const { return arrowEnd_; }
  void SetArrowEnd(bool v) { arrowEnd_ = v; }
  bool ArrowSolid() const { return arrowSolid_; }
  void SetArrowSolid(bool v) { arrowSolid_ = v; }
  int ArrowLength() const { return arrowLength_; }
  void SetArrowLength(int v) { arrowLength_ = v; }
  int ArrowWidth() const { return arrowWidth_; }
  void SetArrowWidth(int v) { arrowWidth_ = v; }

  void Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
            long double offsetY) override;
  AnsiString GetDescription() const override;

  // The corners of an arrow head with its tip at (x2, y2) on a line coming
  // from (x1, y1), in device pixels (rounded); exposed for the exports.
  struct ArrowHead {
    gfx::TPoint tip, corner1, corner2;
  };
  ArrowHead ArrowPoints(int x1, int y1, int x2, int y2) const;

 private:
  void DrawArrows();
  void DrawArrow(int x1, int y1, int x2, int y2);
  void DrawDiagonalLine();
  bool diagonal_ = false;
  bool arrowStart_ = false, arrowEnd_ = false, arrowSolid_ = false;
  int arrowLength_ = 20, arrowWidth_ = 5;
};

class TfrxLineView : public TfrxCustomLineView {
  RTL_CLASS_INFO
 public:
  using TfrxCustomLineView::TfrxCustomLineView;
};

}  // namespace report
