// The canvas: the one drawing interface of the system. The chart, the report
// views, the preview, printing, metafiles and the exports all draw through it.
//
// Geometry is in integer device pixels with the conventions the drawing code
// was written for:
//  - LineTo draws from the pen position up to, but not including, the end point.
//  - Rectangle, Ellipse and RoundRect cover left..right-1 by top..bottom-1; the
//    outline is drawn with the pen and the inside filled with the brush.
//  - FillRect and FrameRect use the brush and cover left..right-1, top..bottom-1.
//  - A cosmetic pen (width 0 or 1) is one device pixel wide; wider pens are
//    centred on the path.
//  - Text is placed at (x, y) according to TextAlign (top left by default) and
//    advances by whole device pixels, or by the given advance array.
// The pen, brush and font are held by the canvas; changing the brush also sets
// the background colour to the brush colour and the background mode to opaque
// for a solid brush and transparent otherwise (SetBkMode may override it).
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/gfx/colors.h"
#include "platform/gfx/font_engine.h"
#include "platform/gfx/graphic.h"
#include "platform/gfx/pen_brush_font.h"
#include "platform/gfx/types.h"
#include "platform/rtl/strings.h"

namespace gfx {

class TBitmap;

enum TDeviceKind : std::uint8_t { dkScreen, dkPrinter, dkMetafile, dkBitmap };

// Background mode for text, hatches and the gaps of dashed pens.
enum TBkMode : int { bkTransparent = 1, bkOpaque = 2 };

enum TPolyFillMode : int { pfAlternate = 1, pfWinding = 2 };

// How DrawBitmap shrinks or enlarges pictures: by picking pixels (the
// default, exact for masks and keyed colours) or by smoothing them.
enum TStretchMode : int { smBlackOnWhite = 1, smWhiteOnBlack = 2, smColorOnColor = 3, smHalftone = 4 };

// Raster operations of CopyRect and DrawBitmap (ternary raster operation codes:
// the high word's low byte is the truth table over pattern, source, destination).
using TCopyMode = std::uint32_t;
constexpr TCopyMode cmBlackness = 0x00000042;
constexpr TCopyMode cmDstInvert = 0x00550009;
constexpr TCopyMode cmMergeCopy = 0x00C000CA;
constexpr TCopyMode cmMergePaint = 0x00BB0226;
constexpr TCopyMode cmNotSrcCopy = 0x00330008;
constexpr TCopyMode cmNotSrcErase = 0x001100A6;
constexpr TCopyMode cmPatCopy = 0x00F00021;
constexpr TCopyMode cmPatInvert = 0x005A0049;
constexpr TCopyMode cmPatPaint = 0x00FB0A09;
constexpr TCopyMode cmSrcAnd = 0x008800C6;
constexpr TCopyMode cmSrcCopy = 0x00CC0020;
constexpr TCopyMode cmSrcErase = 0x00440328;
constexpr TCopyMode cmSrcInvert = 0x00660046;
constexpr TCopyMode cmSrcPaint = 0x00EE0086;
constexpr TCopyMode cmWhiteness = 0x00FF0062;

// Applies a ternary raster operation to one byte (or any bit group) of pattern,
// source and destination.
constexpr std::uint32_t ApplyRop3(TCopyMode rop, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  const unsigned table = (rop >> 16) & 0xFF;
  std::uint32_t r = 0;
  for (unsigned i = 0; i < 8; ++i) {
    if (!((table >> i) & 1)) continue;
    r |= (((i >> 2) & 1) ? p : ~p) & (((i >> 1) & 1) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r;
}
// Applies a pen mode (binary raster operation) to pen and destination bits.
std::uint32_t ApplyPenMode(TPenMode mode, std::uint32_t pen, std::uint32_t dest);

// ExtTextOut options.
enum : unsigned { ETO_OPAQUE = 0x0002, ETO_CLIPPED = 0x0004, ETO_GLYPH_INDEX = 0x0010, ETO_RTLREADING = 0x0080 };

// Text alignment flags (horizontal | vertical; TA_UPDATECP moves the pen position).
enum : unsigned {
  TA_NOUPDATECP = 0,
  TA_UPDATECP = 1,
  TA_LEFT = 0,
  TA_RIGHT = 2,
  TA_CENTER = 6,
  TA_TOP = 0,
  TA_BOTTOM = 8,
  TA_BASELINE = 24,
};

// Everything SaveDC keeps.
struct TCanvasState {
  TPen pen;
  TBrush brush;
  TFont font;
  TPoint penPos;
  TCopyMode copyMode = cmSrcCopy;
  TBkMode bkMode = bkOpaque;
  TColor bkColor = clWhite;
  unsigned textAlign = TA_LEFT | TA_TOP;
  TPolyFillMode polyFillMode = pfAlternate;
  TStretchMode stretchMode = smColorOnColor;
  std::optional<TRegion> clip;  // none: the whole device
};

class TCanvas {
 public:
  virtual ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // ---- tools and state
  TPen& Pen() { return state_.pen; }
  const TPen& Pen() const { return state_.pen; }
  TBrush& Brush() { return state_.brush; }
  const TBrush& Brush() const { return state_.brush; }
  TFont& Font() { return state_.font; }
  const TFont& Font() const { return state_.font; }
  TPoint PenPos() const { return state_.penPos; }
  void SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }
  TCopyMode CopyMode() const { return state_.copyMode; }
  void SetCopyMode(TCopyMode m) { state_.copyMode = m; }
  TBkMode BkMode() const { return state_.bkMode; }
  virtual void SetBkMode(TBkMode m) { state_.bkMode = m; }
  TColor BkColor() const { return state_.bkColor; }
  virtual void SetBkColor(TColor c) { state_.bkColor = c; }
  unsigned TextAlign() const { return state_.textAlign; }
  virtual void SetTextAlign(unsigned flags) { state_.textAlign = flags; }
  TPolyFillMode PolyFillMode() const { return state_.polyFillMode; }
  virtual void SetPolyFillMode(TPolyFillMode m) { state_.polyFillMode = m; }
  TStretchMode StretchMode() const { return state_.stretchMode; }
  virtual void SetStretchMode(TStretchMode m) { state_.stretchMode = m; }
  const TCanvasState& State() const { return state_; }

  // ---- device capabilities
  TDeviceKind DeviceKind() const { return deviceKind_; }
  int PixelsPerInchX() const { return ppiX_; }
  int PixelsPerInchY() const { return ppiY_; }
  // Drawable size in device pixels (0 x 0 for an unbounded recording surface).
  virtual TSize DeviceSize() const { return deviceSize_; }

  // ---- lines and shapes
  virtual void MoveTo(int x, int y);
  virtual void LineTo(int x, int y) = 0;
  virtual void Polyline(const TPoint* points, std::size_t count) = 0;
  void Polyline(const std::vector<TPoint>& p) { Polyline(p.data(), p.size()); }
  virtual void Polygon(const TPoint* points, std::size_t count) = 0;
  void Polygon(const std::vector<TPoint>& p) { Polygon(p.data(), p.size()); }
  // Several closed polygons filled as one figure (holes by the fill mode).
  virtual void PolyPolygon(const TPoint* points, const int* counts, std::size_t polygons);
  // 3n+1 points: start, then control, control, end for each curve.
  virtual void PolyBezier(const TPoint* points, std::size_t count) = 0;
  void PolyBezier(const std::vector<TPoint>& p) { PolyBezier(p.data(), p.size()); }
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  virtual void RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH) = 0;
  virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  // Arcs of the ellipse in the box, counter-clockwise from the ray towards
  // (x3, y3) to the ray towards (x4, y4). Pie closes to the centre, Chord
  // closes with a straight line; both fill with the brush.
  virtual void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
  virtual void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
  virtual void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
  virtual void FillRect(const TRect& r) = 0;
  virtual void FrameRect(const TRect& r) = 0;
  // Fills a region with the current brush.
  virtual void FillRegion(const TRegion& region) = 0;
  // A dotted frame drawn with exclusive-or: drawing it twice removes it.
  void DrawFocusRect(const TRect& r);

  // ---- text
  // The core text operation: text at (x, y) after TextAlign; with options
  // ETO_OPAQUE the rectangle is filled with the background colour first, with
  // ETO_CLIPPED the text is clipped to it; dx, when given, holds one advance per
  // UTF-16 unit in device pixels.
  virtual void ExtTextOut(int x, int y, unsigned options, const TRect* rect, std::u16string_view text,
                          const int* dx) = 0;
  // 8-bit text is in the code page of the font's charset (1251 by default);
  // symbol fonts take the bytes as they are.
  void ExtTextOutA(int x, int y, unsigned options, const TRect* rect, std::string_view text, const int* dx);
  // Draws text at (x, y), opaque when the background mode is, and moves the
  // pen position to the end of the text.
  void TextOut(int x, int y, std::string_view text);
  void TextOutW(int x, int y, std::u16string_view text);
  // Text clipped to rect (and painted over the background when the brush is solid).
  void TextRect(const TRect& rect, int x, int y, std::string_view text);
  void TextRectW(const TRect& rect, int x, int y, std::u16string_view text);

  // ---- measuring (same font engine on every canvas)
  // The current font resolved for this device (its height in device pixels).
  TFontInstancePtr FontInstance() const;
  TTextMetric GetTextMetrics() const;
  TSize TextExtent(std::string_view text) const;
  TSize TextExtentW(std::u16string_view text) const;
  int TextWidth(std::string_view text) const { return TextExtent(text).cx; }
  int TextWidthW(std::u16string_view text) const { return TextExtentW(text).cx; }
  int TextHeight(std::string_view text) const { return TextExtent(text).cy; }
  int TextHeightW(std::u16string_view text) const { return TextExtentW(text).cy; }
  // Cumulative extents: extents[k] = width of the first k + 1 UTF-16 units.
  std::vector<int> GetTextExtentExPoint(std::u16string_view text) const;
  // Per-unit advances, as ExtTextOut's dx expects.
  std::vector<int> GetCharAdvances(std::u16string_view text) const;
  // The 8-bit text of the font's code page as UTF-16.
  std::u16string AnsiToFontText(std::string_view text) const;

  // ---- clipping (device coordinates)
  // False when the canvas has no clip region (out is left unchanged).
  bool GetClipRegion(TRegion& out) const;
  // Replaces the clip region; null removes it.
  virtual void SelectClipRegion(const TRegion* region);
  virtual void IntersectClipRect(const TRect& r);
  virtual void ExcludeClipRect(const TRect& r);
  // The bounds of what can be painted: clip region and device meet.
  TRect ClipRect() const;
  // Whether any part of r can be painted (always true on an unbounded surface
  // without a clip region).
  bool RectVisible(const TRect& r) const;
  // Saves the whole state; RestoreDC(-1) returns to the last save, a positive
  // level to that save (dropping the later ones). SaveDC answers the level.
  virtual int SaveDC();
  virtual void RestoreDC(int level);

  // ---- pictures and pixels
  void Draw(int x, int y, const TGraphic& graphic);
  void StretchDraw(const TRect& rect, const TGraphic& graphic);
  // Copies src of the bitmap stretched onto dest with a raster operation (the
  // pattern is the brush). Surfaces that keep no pixels treat every operation
  // but copy, blackness and whiteness as copy.
  virtual void DrawBitmap(const TRect& dest, const TBitmap& bitmap, const TRect& src, TCopyMode rop = cmSrcCopy) = 0;
  // Pixels of the transparent colour left out. The default composes it from
  // three raster operations (xor, and with a mask, xor).
  virtual void DrawBitmapTransparent(const TRect& dest, const TBitmap& bitmap, const TRect& src,
                                     TColor transparentColor);
  // Copies pixels of source (this canvas too) with CopyMode().
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& src);
  // Reads pixels into a 32-bit bitmap; false on a surface that keeps none.
  virtual bool ReadPixels(const TRect& src, TBitmap& out);
  // clNone for a pixel outside the surface or on a surface that keeps none.
  virtual TColor GetPixel(int x, int y);
  virtual void SetPixel(int x, int y, TColor color) = 0;

  // ---- locking, for canvases shared between threads (measuring canvases)
  void Lock() { mutex_.lock(); }
  void Unlock() { mutex_.unlock(); }
  bool TryLock() { return mutex_.try_lock(); }

 protected:
  TCanvas(TDeviceKind kind, int ppiX, int ppiY, TSize size);
  // Called by the implementations at the start of every drawing operation (a
  // printer canvas adjusts its font here).
  virtual void Changing() {}
  // Called after the clip region changed.
  virtual void ClipChanged() {}
  void SetDeviceCaps(int ppiX, int ppiY, TSize size);
  TCanvasState& MutableState() { return state_; }

  // Where text of the given width starts for the current TextAlign, and the
  // baseline: the origin is moved left/up as the alignment asks.
  struct TTextPlacement {
    double originX, originY;  // start of the baseline
    int width;
  };
  TTextPlacement PlaceText(int x, int y, int width, const TTextMetric& tm) const;

 private:
  void HookTools();
  void BrushChanged();

  TDeviceKind deviceKind_;
  int ppiX_, ppiY_;
  TSize deviceSize_;
  TCanvasState state_;
  std::vector<TCanvasState> saved_;
  std::recursive_mutex mutex_;
  mutable TFontInstancePtr fontCache_;
  mutable TFont fontCacheKey_;
};

}  // namespace gfx
