#include "view_fixture.h"

#include "platform/rtl/exceptions.h"

namespace report_test {

void TRecordingPreviewPages::AddPicture(report::TfrxComponent* picture) {
  pictures.push_back(picture);
  if (const rtl::TPropInfo* p = picture->ClassType().FindProperty("ImageIndex"))
    p->SetOrd(*picture, static_cast<long long>(pictures.size()) - 1);
}

rtl::Variant TfrxCalcReport::Calc(const AnsiString& expression) {
  asked.push_back(expression);
  auto it = values.find(expression);
  if (it == values.end()) throw rtl::Exception("Unknown expression: " + expression);
  return it->second;
}

std::vector<TStroke> Strokes(const gfx::TRecordingCanvas& canvas) {
  std::vector<TStroke> out;
  for (const gfx::TCanvasCall& c : canvas.Calls())
    if (c.op == gfx::TCanvasOp::LineTo) out.push_back({c.points.at(0), c.points.at(1), c.state.pen});
  return out;
}

std::string StrokesText(const std::vector<TStroke>& strokes) {
  std::string s;
  for (const TStroke& t : strokes) {
    if (!s.empty()) s += " ";
    s += "(" + std::to_string(t.from.X) + "," + std::to_string(t.from.Y) + ")-(" + std::to_string(t.to.X) + "," +
         std::to_string(t.to.Y) + ")";
  }
  return s;
}

}  // namespace report_test

namespace report_test {

std::string ShapeText(const gfx::TCanvasCall& c) {
  std::string s = gfx::CanvasOpName(c.op);
  auto num = [](int v) { return std::to_string(v); };
  switch (c.op) {
    case gfx::TCanvasOp::Rectangle:
    case gfx::TCanvasOp::Ellipse:
    case gfx::TCanvasOp::RoundRect:
    case gfx::TCanvasOp::FillRect:
      s += " " + num(c.rect.Left) + "," + num(c.rect.Top) + "," + num(c.rect.Right) + "," + num(c.rect.Bottom);
      if (!c.args.empty()) s += " " + num(c.args.at(0)) + "," + num(c.args.at(1));
      break;
    default:
      s += " ";
      for (const gfx::TPoint& p : c.points) s += "(" + num(p.X) + "," + num(p.Y) + ")";
  }
  return s;
}

std::vector<std::string> ShapeTexts(const gfx::TRecordingCanvas& canvas) {
  std::vector<std::string> out;
  for (const gfx::TCanvasCall& c : canvas.Calls()) switch (c.op) {
      case gfx::TCanvasOp::Rectangle:
      case gfx::TCanvasOp::Ellipse:
      case gfx::TCanvasOp::RoundRect:
      case gfx::TCanvasOp::FillRect:
      case gfx::TCanvasOp::Polygon:
      case gfx::TCanvasOp::Polyline: out.push_back(ShapeText(c)); break;
      default: break;
    }
  return out;
}

}  // namespace report_test
