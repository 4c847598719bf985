// The canvas drawn with Cairo, and its bitmap form. No Cairo type appears
// here: the surface lives behind a pointer to the implementation.
//
// On raster surfaces (bitmaps) geometry is drawn without anti-aliasing so
// that pixels land where the drawing code expects: cosmetic lines are
// rasterised pixel by pixel with the end point left out, and pen modes and
// raster operations combine colours bit by bit. Text is anti-aliased.
#pragma once
#include <memory>

#include "platform/gfx/canvas.h"

namespace gfx {

class TBitmap;

class TCairoCanvas : public TCanvas {
 public:
  ~TCairoCanvas() override;

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
  bool ReadPixels(const TRect& src, TBitmap& out) override;
  TColor GetPixel(int x, int y) override;
  void SetPixel(int x, int y, TColor color) override;

  using TCanvas::Ellipse;
  using TCanvas::PolyBezier;
  using TCanvas::Polygon;
  using TCanvas::Polyline;
  using TCanvas::Rectangle;

  struct Impl;

 protected:
  TCairoCanvas(TDeviceKind kind, int ppiX, int ppiY, TSize size);
  // The subclass hands over a cairo_surface_t (ownership passes); raster
  // surfaces keep pixels that can be read and combined. Scale maps device
  // pixels to surface units (a PDF page in points: 72 / ppi).
  void AttachSurface(void* cairoSurface, bool raster, double scaleX = 1, double scaleY = 1);
  void DetachSurface();
  void* Surface() const;
  void* Context() const;  // the cairo_t drawing on the surface
  // Around every drawing operation: the bitmap canvas loads and marks its pixels.
  virtual void BeforeDraw() {}
  virtual void AfterDraw() {}
  // False while drawing would go nowhere (a document between pages).
  virtual bool Drawable() const { return true; }
  void ClipChanged() override;

  std::unique_ptr<Impl> impl_;

 private:
  bool Begin();
  void End();
  friend struct Impl;
};

// A canvas on pixel memory owned by someone else (a window's back buffer):
// 32 bits per pixel, 0xAARRGGBB words, top row first, rows strideBytes apart
// (the layout of Qt's RGB32 images). The memory must outlive the canvas.
class TPixelBufferCanvas : public TCairoCanvas {
 public:
  TPixelBufferCanvas(std::uint32_t* pixels, int width, int height, int strideBytes, int ppi = 96,
                     TDeviceKind kind = dkScreen);
  // Call after writing the memory directly, before drawing again.
  void MarkDirty();
};

// The canvas of a TBitmap: draws on a 32-bit copy of its pixels that is
// written back whenever the bitmap's pixels are read.
class TBitmapCanvas : public TCairoCanvas {
 public:
  explicit TBitmapCanvas(TBitmap& bitmap);
  ~TBitmapCanvas() override;
  // Writes drawn pixels back into the bitmap (nothing when none were drawn).
  void WriteBack();
  // The bitmap's pixels changed: reload them before the next drawing.
  void Invalidate();
  // The bitmap's size or format changed.
  void Resized();
  TSize DeviceSize() const override;
  // Reads the bitmap itself when it is too large for a drawing surface.
  bool ReadPixels(const TRect& src, TBitmap& out) override;

 protected:
  void BeforeDraw() override;
  void AfterDraw() override;

 private:
  TBitmap& bitmap_;
  bool loaded_ = false;
  bool dirty_ = false;
  bool writingBack_ = false;
};

}  // namespace gfx
