// Playback of EMF records: keeps the device-context state that the records
// change (objects, colours, modes, mapping, saved states) and hands every
// drawing operation to a target in destination coordinates. The target for
// drawing is a canvas; tests use a recording target.
#pragma once
#include <string_view>
#include <vector>

#include "platform/gfx/emf_format.h"

namespace gfx::emf {

struct PointD {
  double x = 0, y = 0;
};
struct RectD {
  double left = 0, top = 0, right = 0, bottom = 0;
};

// What playback calls, in destination pixels. Pen widths and font sizes are
// already scaled; a pen width of 0 means one device pixel.
class PlaybackTarget {
 public:
  virtual ~PlaybackTarget() = default;

  virtual void SetPen(const LogPen& pen, double width) = 0;
  virtual void SetBrush(const LogBrush& brush) = 0;
  // The font with its height and width scaled (signed as in LogFont).
  virtual void SetFont(const LogFont& font) = 0;
  virtual void SetTextColor(std::uint32_t color) = 0;
  virtual void SetBkColor(std::uint32_t color) = 0;
  virtual void SetBkMode(std::uint32_t mode) = 0;
  virtual void SetPolyFillMode(std::uint32_t mode) = 0;
  virtual void SetRop2(std::uint32_t rop2) = 0;
  virtual void SetStretchMode(std::uint32_t mode) = 0;

  virtual void Line(PointD from, PointD to) = 0;
  virtual void Rectangle(const RectD& r) = 0;
  virtual void Ellipse(const RectD& r) = 0;
  virtual void RoundRect(const RectD& r, double cornerWidth, double cornerHeight) = 0;
  virtual void Polygon(const std::vector<PointD>& pts) = 0;
  virtual void Polyline(const std::vector<PointD>& pts) = 0;
  virtual void PolyPolygon(const std::vector<std::vector<PointD>>& polys) = 0;
  virtual void PolyBezier(const std::vector<PointD>& pts) = 0;  // start, then control, control, end ...
  // An arc of the ellipse in box from the ray towards start to the ray
  // towards end, counter-clockwise; kind is EMR_ARC, EMR_PIE or EMR_CHORD.
  virtual void Arc(std::uint32_t kind, const RectD& box, PointD start, PointD end) = 0;
  virtual void SetPixel(PointD p, std::uint32_t color) = 0;

  // Text at a reference point with the alignment flags of SETTEXTALIGN
  // (TA_UPDATECP already resolved). advances are per character, scaled, or
  // empty; rect is used with ETO_OPAQUE / ETO_CLIPPED.
  virtual void Text(PointD ref, std::u16string_view text, const std::vector<double>& advances, std::uint32_t align,
                    std::uint32_t options, const RectD& rect) = 0;
  // The width the target would give the text with the current font (only
  // needed for TA_UPDATECP without advances).
  virtual double TextWidth(std::u16string_view text) = 0;

  virtual void IntersectClip(const RectD& r) = 0;
  virtual void ExcludeClip(const RectD& r) = 0;
  // Replaces the clip with the union of the rectangles; null removes it.
  virtual void SelectClip(const std::vector<RectD>* rects) = 0;
  virtual void SaveState() = 0;
  virtual void RestoreState() = 0;

  // A packed DIB (info, bits) stretched from the source rectangle (bitmap
  // pixels, y from the top) into dest with a ternary raster operation.
  virtual void StretchDib(const RectD& dest, const SourceRect& src, std::string_view bmi, std::string_view bits,
                          std::uint32_t rop) = 0;
  // A blit without source: brush, black or white by rop.
  virtual void PatBlt(const RectD& dest, std::uint32_t rop) = 0;
};

// Plays the document into dest: its frame maps onto dest. Damaged records
// are skipped; playback never reads outside a record. The target's state is
// saved before and restored after.
void Play(const Document& doc, const RectD& dest, PlaybackTarget& target);

}  // namespace gfx::emf
