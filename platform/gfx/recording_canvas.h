// A canvas that draws nothing and keeps every call in order, with its
// arguments and the pen, brush, font and clip in force: for tests of drawing
// code, and for finding text on a drawn page (the preview's search).
#pragma once
#include <string>
#include <vector>

#include "platform/gfx/canvas.h"

namespace gfx {

enum class TCanvasOp : std::uint8_t {
  MoveTo,
  LineTo,
  Polyline,
  Polygon,
  PolyPolygon,
  PolyBezier,
  Rectangle,
  RoundRect,
  Ellipse,
  Arc,
  Pie,
  Chord,
  FillRect,
  FrameRect,
  FillRegion,
  ExtTextOut,
  DrawBitmap,
  DrawBitmapTransparent,
  SetPixel,
  SelectClip,
  IntersectClip,
  ExcludeClip,
  SaveDC,
  RestoreDC,
};

const char* CanvasOpName(TCanvasOp op);

struct TCanvasCall {
  TCanvasOp op;
  std::vector<TPoint> points;  // the coordinates, as given
  TRect rect;                  // rectangle argument (shapes, fill, text rectangle, dest)
  TRect srcRect;               // DrawBitmap source
  std::vector<int> args;       // other integers (corner sizes, options, level, colour, rop)
  std::u16string text;         // ExtTextOut
  std::vector<int> dx;         // ExtTextOut advances (empty when none was given)
  bool hasRect = false;        // ExtTextOut got a rectangle
  TSize bitmapSize;            // DrawBitmap
  TCanvasState state;          // tools, modes and clip at the time of the call
};

class TRecordingCanvas : public TCanvas {
 public:
  explicit TRecordingCanvas(int ppiX = 96, int ppiY = 96, TSize size = {}, TDeviceKind kind = dkScreen);

  const std::vector<TCanvasCall>& Calls() const { return calls_; }
  void Clear() { calls_.clear(); }
  // The calls of one kind.
  std::vector<const TCanvasCall*> CallsOf(TCanvasOp op) const;
  // Every text drawn, in order.
  std::vector<std::u16string> Texts() const;
  // A line per call, for readable test failures.
  std::string Dump() const;

  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Polyline(const TPoint* points, std::size_t count) override;
  void Polygon(const TPoint* points, std::size_t count) override;
  void PolyBezier(const TPoint* points, std::size_t count) override;
  void PolyPolygon(const TPoint* points, const int* counts, std::size_t polygons) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void FillRect(const TRect& r) override;
  void FrameRect(const TRect& r) override;
  void FillRegion(const TRegion& region) override;
  void ExtTextOut(int x, int y, unsigned options, const TRect* rect, std::u16string_view text, const int* dx) override;
  void DrawBitmap(const TRect& dest, const TBitmap& bitmap, const TRect& src, TCopyMode rop) override;
  void DrawBitmapTransparent(const TRect& dest, const TBitmap& bitmap, const TRect& src,
                             TColor transparentColor) override;
  void SetPixel(int x, int y, TColor color) override;
  void SelectClipRegion(const TRegion* region) override;
  void IntersectClipRect(const TRect& r) override;
  void ExcludeClipRect(const TRect& r) override;
  int SaveDC() override;
  void RestoreDC(int level) override;

  using TCanvas::Ellipse;
  using TCanvas::PolyBezier;
  using TCanvas::Polygon;
  using TCanvas::Polyline;
  using TCanvas::Rectangle;

 private:
  TCanvasCall& Record(TCanvasOp op);
  std::vector<TCanvasCall> calls_;
};

}  // namespace gfx
