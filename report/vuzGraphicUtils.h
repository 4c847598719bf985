// Drawing helpers of the report engine: pictures stretched into rectangles,
// transparent bitmaps, image lists cut from bitmap strips (the engine's
// button images), and the text layout (vuzDrawText.h).
#pragma once
#include <memory>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/colors.h"
#include "platform/gfx/graphic.h"
#include "report/vuzDrawText.h"

namespace report {

// Images of one size, each drawn with its own mask colour left out.
class TfrxImageList {
 public:
  TfrxImageList(int width, int height) : width_(width), height_(height) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return static_cast<int>(images_.size()); }
  void Clear() { images_.clear(); }
  // A copy of the bitmap; pixels of maskColor are transparent.
  int AddMasked(const gfx::TBitmap& bitmap, gfx::TColor maskColor);
  const gfx::TBitmap& Image(int index) const { return *images_.at(static_cast<std::size_t>(index)).bitmap; }
  gfx::TColor MaskColor(int index) const { return images_.at(static_cast<std::size_t>(index)).mask; }
  void Draw(gfx::TCanvas& canvas, int x, int y, int index) const;

 private:
  struct Entry {
    std::unique_ptr<gfx::TBitmap> bitmap;
    gfx::TColor mask;
  };
  int width_, height_;
  std::vector<Entry> images_;
};

// Draws any picture stretched into rect. Metafiles, and on screen bitmaps and
// opaque pictures, draw directly; otherwise the picture is first drawn onto a
// bitmap (32 bits when printing, else 24) which is then copied, leaving out
// transparentColor when transparent is set.
void vuzDrawGraphic(gfx::TCanvas& canvas, const gfx::TRect& rect, gfx::TGraphic* graphic, bool printing,
                    bool highQuality, bool transparent, gfx::TColor transparentColor);
// The bitmap unscaled at (x, y), its transparent colour left out; nothing for none.
void vuzDrawTransparent(gfx::TCanvas& canvas, int x, int y, const gfx::TBitmap* bitmap);
// Cuts the bitmap into cells left to right, top to bottom, and appends each to
// first (masked by the bitmap's lower-left colour); with a second list every
// other cell goes there.
void vuzAssignImages(const gfx::TBitmap& bitmap, int cellWidth, int cellHeight, TfrxImageList& first,
                     TfrxImageList* second = nullptr);

}  // namespace report
