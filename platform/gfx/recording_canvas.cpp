#include "platform/gfx/recording_canvas.h"

#include <sstream>

#include "platform/gfx/bitmap.h"

namespace gfx {

const char* CanvasOpName(TCanvasOp op) {
  switch (op) {
    case TCanvasOp::MoveTo: return "MoveTo";
    case TCanvasOp::LineTo: return "LineTo";
    case TCanvasOp::Polyline: return "Polyline";
    case TCanvasOp::Polygon: return "Polygon";
    case TCanvasOp::PolyBezier: return "PolyBezier";
    case TCanvasOp::PolyPolygon: return "PolyPolygon";
    case TCanvasOp::Rectangle: return "Rectangle";
    case TCanvasOp::RoundRect: return "RoundRect";
    case TCanvasOp::Ellipse: return "Ellipse";
    case TCanvasOp::Arc: return "Arc";
    case TCanvasOp::Pie: return "Pie";
    case TCanvasOp::Chord: return "Chord";
    case TCanvasOp::FillRect: return "FillRect";
    case TCanvasOp::FrameRect: return "FrameRect";
    case TCanvasOp::FillRegion: return "FillRegion";
    case TCanvasOp::ExtTextOut: return "ExtTextOut";
    case TCanvasOp::DrawBitmap: return "DrawBitmap";
    case TCanvasOp::DrawBitmapTransparent: return "DrawBitmapTransparent";
    case TCanvasOp::SetPixel: return "SetPixel";
    case TCanvasOp::SelectClip: return "SelectClip";
    case TCanvasOp::IntersectClip: return "IntersectClip";
    case TCanvasOp::ExcludeClip: return "ExcludeClip";
    case TCanvasOp::SaveDC: return "SaveDC";
    case TCanvasOp::RestoreDC: return "RestoreDC";
  }
  return "?";
}

TRecordingCanvas::TRecordingCanvas(int ppiX, int ppiY, TSize size, TDeviceKind kind)
    : TCanvas(kind, ppiX, ppiY, size) {}

TCanvasCall& TRecordingCanvas::Record(TCanvasOp op) {
  Changing();
  TCanvasCall c;
  c.op = op;
  c.state = State();
  calls_.push_back(std::move(c));
  return calls_.back();
}

std::vector<const TCanvasCall*> TRecordingCanvas::CallsOf(TCanvasOp op) const {
  std::vector<const TCanvasCall*> out;
  for (const auto& c : calls_)
    if (c.op == op) out.push_back(&c);
  return out;
}

std::vector<std::u16string> TRecordingCanvas::Texts() const {
  std::vector<std::u16string> out;
  for (const auto& c : calls_)
    if (c.op == TCanvasOp::ExtTextOut) out.push_back(c.text);
  return out;
}

std::string TRecordingCanvas::Dump() const {
  std::ostringstream s;
  for (const auto& c : calls_) {
    s << CanvasOpName(c.op);
    for (const auto& p : c.points) s << " (" << p.X << "," << p.Y << ")";
    if (c.op == TCanvasOp::Rectangle || c.op == TCanvasOp::FillRect || c.op == TCanvasOp::FrameRect ||
        c.op == TCanvasOp::Ellipse || c.op == TCanvasOp::RoundRect || c.op == TCanvasOp::DrawBitmap ||
        c.op == TCanvasOp::IntersectClip || c.op == TCanvasOp::ExcludeClip || c.hasRect)
      s << " [" << c.rect.Left << "," << c.rect.Top << "," << c.rect.Right << "," << c.rect.Bottom << "]";
    for (int a : c.args) s << " " << a;
    if (!c.text.empty()) s << " \"" << rtl::WideToUtf8(c.text) << "\"";
    s << " pen=" << c.state.pen.Color() << "/" << c.state.pen.Width() << "/" << int(c.state.pen.Style())
      << " brush=" << c.state.brush.Color() << "/" << int(c.state.brush.Style()) << "\n";
  }
  return s.str();
}

void TRecordingCanvas::MoveTo(int x, int y) {
  TCanvas::MoveTo(x, y);
  Record(TCanvasOp::MoveTo).points = {{x, y}};
}

void TRecordingCanvas::LineTo(int x, int y) {
  Record(TCanvasOp::LineTo).points = {PenPos(), {x, y}};
  TCanvas::MoveTo(x, y);
}

void TRecordingCanvas::Polyline(const TPoint* p, std::size_t n) { Record(TCanvasOp::Polyline).points.assign(p, p + n); }
void TRecordingCanvas::Polygon(const TPoint* p, std::size_t n) { Record(TCanvasOp::Polygon).points.assign(p, p + n); }
void TRecordingCanvas::PolyBezier(const TPoint* p, std::size_t n) {
  Record(TCanvasOp::PolyBezier).points.assign(p, p + n);
}

void TRecordingCanvas::PolyPolygon(const TPoint* p, const int* counts, std::size_t polygons) {
  auto& c = Record(TCanvasOp::PolyPolygon);
  std::size_t total = 0;
  for (std::size_t i = 0; i < polygons; ++i) {
    c.args.push_back(counts[i]);
    total += counts[i] > 0 ? static_cast<std::size_t>(counts[i]) : 0;
  }
  c.points.assign(p, p + total);
}

void TRecordingCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Record(TCanvasOp::Rectangle).rect = {x1, y1, x2, y2};
}

void TRecordingCanvas::RoundRect(int x1, int y1, int x2, int y2, int cw, int ch) {
  auto& c = Record(TCanvasOp::RoundRect);
  c.rect = {x1, y1, x2, y2};
  c.args = {cw, ch};
}

void TRecordingCanvas::Ellipse(int x1, int y1, int x2, int y2) { Record(TCanvasOp::Ellipse).rect = {x1, y1, x2, y2}; }

void TRecordingCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  auto& c = Record(TCanvasOp::Arc);
  c.rect = {x1, y1, x2, y2};
  c.points = {{x3, y3}, {x4, y4}};
}
void TRecordingCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  auto& c = Record(TCanvasOp::Pie);
  c.rect = {x1, y1, x2, y2};
  c.points = {{x3, y3}, {x4, y4}};
}
void TRecordingCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  auto& c = Record(TCanvasOp::Chord);
  c.rect = {x1, y1, x2, y2};
  c.points = {{x3, y3}, {x4, y4}};
}

void TRecordingCanvas::FillRect(const TRect& r) { Record(TCanvasOp::FillRect).rect = r; }
void TRecordingCanvas::FrameRect(const TRect& r) { Record(TCanvasOp::FrameRect).rect = r; }
void TRecordingCanvas::FillRegion(const TRegion& region) { Record(TCanvasOp::FillRegion).rect = region.Bounds(); }

void TRecordingCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* rect, std::u16string_view text,
                                  const int* dx) {
  auto& c = Record(TCanvasOp::ExtTextOut);
  c.points = {{x, y}};
  c.args = {static_cast<int>(options)};
  if (rect) {
    c.rect = *rect;
    c.hasRect = true;
  }
  c.text.assign(text);
  if (dx) c.dx.assign(dx, dx + text.size());
  if (TextAlign() & TA_UPDATECP) {
    int w = 0;
    if (dx)
      for (std::size_t i = 0; i < text.size(); ++i) w += dx[i];
    else
      w = TextExtentW(text).cx;
    TCanvas::MoveTo(PenPos().X + w, PenPos().Y);
  }
}

void TRecordingCanvas::DrawBitmap(const TRect& dest, const TBitmap& bitmap, const TRect& src, TCopyMode rop) {
  auto& c = Record(TCanvasOp::DrawBitmap);
  c.rect = dest;
  c.srcRect = src;
  c.args = {static_cast<int>(rop)};
  c.bitmapSize = {bitmap.Width(), bitmap.Height()};
}

void TRecordingCanvas::DrawBitmapTransparent(const TRect& dest, const TBitmap& bitmap, const TRect& src,
                                             TColor transparentColor) {
  auto& c = Record(TCanvasOp::DrawBitmapTransparent);
  c.rect = dest;
  c.srcRect = src;
  c.args = {transparentColor};
  c.bitmapSize = {bitmap.Width(), bitmap.Height()};
}

void TRecordingCanvas::SetPixel(int x, int y, TColor color) {
  auto& c = Record(TCanvasOp::SetPixel);
  c.points = {{x, y}};
  c.args = {color};
}

void TRecordingCanvas::SelectClipRegion(const TRegion* region) {
  TCanvas::SelectClipRegion(region);
  auto& c = Record(TCanvasOp::SelectClip);
  if (region) c.rect = region->Bounds();
  c.args = {region ? 1 : 0};
}

void TRecordingCanvas::IntersectClipRect(const TRect& r) {
  TCanvas::IntersectClipRect(r);
  Record(TCanvasOp::IntersectClip).rect = r;
}

void TRecordingCanvas::ExcludeClipRect(const TRect& r) {
  TCanvas::ExcludeClipRect(r);
  Record(TCanvasOp::ExcludeClip).rect = r;
}

int TRecordingCanvas::SaveDC() {
  int level = TCanvas::SaveDC();
  Record(TCanvasOp::SaveDC).args = {level};
  return level;
}

void TRecordingCanvas::RestoreDC(int level) {
  TCanvas::RestoreDC(level);
  Record(TCanvasOp::RestoreDC).args = {level};
}

}  // namespace gfx
