#include "report/vuzChBox.h"

#include <algorithm>

#include "report/vuzDsgnIntf.h"
#include "report/vuzRes.h"

namespace report {

const rtl::TEnumType& CheckStyleType() {
  static const rtl::TEnumType type{"TfrxCheckStyle", {"csCross", "csCheck", "csLineCross", "csPlus"}};
  return type;
}

const rtl::TEnumType& UncheckStyleType() {
  static const rtl::TEnumType type{"TfrxUncheckStyle", {"usEmpty", "usCross", "usLineCross", "usMinus"}};
  return type;
}

TfrxCheckBoxView::TfrxCheckBoxView(rtl::TComponent* owner) : TfrxView(owner) { InitCheckBox(); }

TfrxCheckBoxView::TfrxCheckBoxView(rtl::TComponent* owner, std::uint16_t flags) : TfrxView(owner, flags) {
  InitCheckBox();
}

void TfrxCheckBoxView::InitCheckBox() {
  SetWidth(5 * fr01cm);
  SetHeight(5 * fr01cm);
}

AnsiString TfrxCheckBoxView::GetDescription() const { return vuzResources().Get("obChBox"); }

void TfrxCheckBoxView::Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                            long double offsetY) {
  BeginDraw(canvas, scaleX, scaleY, offsetX, offsetY);
  DrawBackground();
  DrawCheck(gfx::Rect(DevX, DevY, DevX1, DevY1));
  DrawFrame();
}

void TfrxCheckBoxView::DrawCheck(const gfx::TRect& rect) {
  gfx::TCanvas& c = *DrawCanvas;
  gfx::TPen pen;
  pen.SetColor(checkColor_);
  c.Pen() = pen;
  if (checked_) {
    switch (checkStyle_) {
      case csCross: DrawCross(rect); break;
      case csCheck: DrawTick(rect); break;
      case csLineCross: DrawLineCross(rect); break;
      case csPlus: DrawPlus(rect, true); break;
    }
    return;
  }
  switch (uncheckStyle_) {
    case usEmpty: break;
    case usCross: DrawCross(rect); break;
    case usLineCross: DrawLineCross(rect); break;
    case usMinus: DrawPlus(rect, false); break;
  }
}

namespace {

// The marks of the symbol font stood in a square glyph cell as high as the
// box, centred across it and clipped to it. They are drawn here as strokes
// of a round pen in that cell, so every device shows the same shape.
struct TMarkCell {
  int x, y, size;
  gfx::TPoint At(double fx, double fy) const {
    return {x + static_cast<int>(fx * size + 0.5), y + static_cast<int>(fy * size + 0.5)};
  }
};

TMarkCell MarkCell(const gfx::TRect& rect) {
  const int size = rect.Bottom - rect.Top;
  return {rect.Left + (rect.Right - rect.Left - size) / 2, rect.Top, size};
}

void UseMarkPen(gfx::TCanvas& c, gfx::TColor color, int size) {
  gfx::TPen pen;
  pen.SetColor(color);
  pen.SetGeometric(true);
  pen.SetWidth(std::max(1, (size + 4) / 9));
  pen.SetEndCap(gfx::pecRound);
  pen.SetJoin(gfx::pjRound);
  c.Pen() = pen;
}

}  // namespace

void TfrxCheckBoxView::DrawCross(const gfx::TRect& rect) {
  gfx::TCanvas& c = *DrawCanvas;
  const TMarkCell cell = MarkCell(rect);
  if (cell.size <= 0) return;
  const int level = c.SaveDC();
  c.IntersectClipRect(rect);
  UseMarkPen(c, checkColor_, cell.size);
  c.Polyline(std::vector<gfx::TPoint>{cell.At(0.22, 0.22), cell.At(0.78, 0.78)});
  c.Polyline(std::vector<gfx::TPoint>{cell.At(0.78, 0.22), cell.At(0.22, 0.78)});
  c.RestoreDC(level);
}

void TfrxCheckBoxView::DrawTick(const gfx::TRect& rect) {
  gfx::TCanvas& c = *DrawCanvas;
  const TMarkCell cell = MarkCell(rect);
  if (cell.size <= 0) return;
  const int level = c.SaveDC();
  c.IntersectClipRect(rect);
  UseMarkPen(c, checkColor_, cell.size);
  c.Polyline(std::vector<gfx::TPoint>{cell.At(0.18, 0.55), cell.At(0.40, 0.78), cell.At(0.84, 0.20)});
  c.RestoreDC(level);
}

void TfrxCheckBoxView::DrawLineCross(const gfx::TRect& rect) {
  DrawLine(rect.Left, rect.Top, rect.Right, rect.Bottom, DevFrameWidth);
  DrawLine(rect.Left, rect.Bottom, rect.Right, rect.Top, DevFrameWidth);
}

void TfrxCheckBoxView::DrawPlus(const gfx::TRect& rect, bool vertical) {
  const int midX = rect.Left + (rect.Right - rect.Left) / 2, midY = rect.Top + (rect.Bottom - rect.Top) / 2;
  DrawLine(rect.Left + 3, midY, rect.Right - 2, midY, DevFrameWidth);
  if (vertical) DrawLine(midX, rect.Top + 3, midX, rect.Bottom - 2, DevFrameWidth);
}

void TfrxCheckBoxView::GetData() {
  TfrxView::GetData();
  if (IsDataField()) {
    const rtl::Variant v = DataSet()->GetValue(DataField());
    checked_ = !v.IsNull() && !v.IsEmpty() && v.AsBoolean();
  } else if (!expression_.empty()) {
    if (TfrxReportServices* report = GetReportServices()) {
      const rtl::Variant v = report->Calc(expression_);
      checked_ = !v.IsNull() && !v.IsEmpty() && v.AsBoolean();
    }
  }
}

const rtl::TClassInfo& TfrxCheckBoxView::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxCheckBoxView> b("TfrxCheckBoxView", &TfrxView::StaticClass());
    b.Creatable();
    ViewProps::BrushStyle(b);
    b.Property("CheckColor", &TfrxCheckBoxView::CheckColor, &TfrxCheckBoxView::SetCheckColor).Default(0);
    b.Property("Checked", &TfrxCheckBoxView::Checked, &TfrxCheckBoxView::SetChecked).Default(true);
    b.Enum("CheckStyle", CheckStyleType(), &TfrxCheckBoxView::CheckStyle, &TfrxCheckBoxView::SetCheckStyle)
        .Default(csCross);
    ViewProps::Color(b);
    ViewProps::Cursor(b);
    ViewProps::DataField(b);
    ViewProps::DataSet(b);
    ViewProps::DataSetName(b);
    b.Property("Expression", &TfrxCheckBoxView::Expression, &TfrxCheckBoxView::SetExpression);
    ViewProps::Frame(b);
    ViewProps::TagStr(b);
    b.Enum("UncheckStyle", UncheckStyleType(), &TfrxCheckBoxView::UncheckStyle, &TfrxCheckBoxView::SetUncheckStyle)
        .Default(usEmpty);
    ViewProps::URL(b);
    return b.Build();
  }();
  return info;
}

void vuzChBoxStartup() {
  vuzObjects().RegisterObject1(&TfrxCheckBoxView::StaticClass(), nullptr, AnsiString(), AnsiString(), 0, 24);
}

}  // namespace report
