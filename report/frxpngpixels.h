// The pixel store of a PNG image: rows in the layout of a device-independent
// bitmap (1, 4, 8 bits per pixel with a colour table, or 24 bits per pixel in
// blue, green, red order, padded to 4 bytes). The rows live in a plain buffer
// until the image is first drawn or given a canvas; from then on they live in
// a bitmap of the graphics layer, so that the canvas draws straight into them.
// Sixteen-bit images keep their low bytes in a second plane of the same row
// size; images with an alpha channel keep one alpha byte per pixel (and its
// low byte for sixteen-bit images) in planes of their own.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/gfx/bitmap.h"

namespace report {

// A colour as 0x00BBGGRR.
using TPNGColor = std::uint32_t;
constexpr TPNGColor PNGColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<TPNGColor>(r) | (static_cast<TPNGColor>(g) << 8) | (static_cast<TPNGColor>(b) << 16);
}
constexpr std::uint8_t PNGRed(TPNGColor c) { return static_cast<std::uint8_t>(c); }
constexpr std::uint8_t PNGGreen(TPNGColor c) { return static_cast<std::uint8_t>(c >> 8); }
constexpr std::uint8_t PNGBlue(TPNGColor c) { return static_cast<std::uint8_t>(c >> 16); }

struct TPNGRGB {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const TPNGRGB&) const = default;
};

class TPNGPixels {
 public:
  TPNGPixels() = default;
  TPNGPixels(const TPNGPixels& other);
  TPNGPixels& operator=(const TPNGPixels& other);
  TPNGPixels(TPNGPixels&&) noexcept = default;
  TPNGPixels& operator=(TPNGPixels&&) noexcept = default;

  // Allocates zeroed planes; false when they would exceed maxBytes.
  bool Create(int width, int height, int bitsPerPixel, bool extraPlane, bool alphaPlane, bool alphaLowPlane,
              std::size_t maxBytes);
  void Clear();
  // A copy of this store at a new size: the shared top-left part is kept, new
  // pixels are zero and new alpha values 255. False when too big.
  bool Resized(int width, int height, std::size_t maxBytes, TPNGPixels& out) const;
  // Total bytes the planes of an image of this shape would take.
  static std::uint64_t PlaneBytes(int width, int height, int bitsPerPixel, bool extraPlane, bool alphaPlane,
                                  bool alphaLowPlane);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitsPerPixel() const { return bpp_; }
  std::size_t Stride() const { return stride_; }
  bool Empty() const { return width_ == 0; }

  // Rows are addressed from the top (0 = top row).
  std::uint8_t* ScanLine(int row) { return bitmap_ ? bitmap_->ScanLine(row) : bits_.data() + RowOffset(row); }
  const std::uint8_t* ScanLine(int row) const {
    return bitmap_ ? std::as_const(*bitmap_).ScanLine(row) : bits_.data() + RowOffset(row);
  }
  // The bitmap holding the main plane, its palette brought up to date with
  // the colour table; null while empty.
  gfx::TBitmap* Bitmap();
  const gfx::TBitmap* Bitmap() const;
  std::uint8_t* ExtraLine(int row) { return extra_.empty() ? nullptr : extra_.data() + RowOffset(row); }
  const std::uint8_t* ExtraLine(int row) const { return extra_.empty() ? nullptr : extra_.data() + RowOffset(row); }
  std::uint8_t* AlphaLine(int row) {
    return alpha_.empty() ? nullptr : alpha_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width_);
  }
  const std::uint8_t* AlphaLine(int row) const {
    return alpha_.empty() ? nullptr : alpha_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width_);
  }
  std::uint8_t* AlphaLowLine(int row) {
    return alphaLow_.empty() ? nullptr
                             : alphaLow_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width_);
  }
  const std::uint8_t* AlphaLowLine(int row) const {
    return alphaLow_.empty() ? nullptr
                             : alphaLow_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width_);
  }
  bool HasExtra() const { return !extra_.empty(); }
  bool HasAlpha() const { return !alpha_.empty(); }
  bool HasAlphaLow() const { return !alphaLow_.empty(); }
  void DropAlpha() {
    alpha_.clear();
    alpha_.shrink_to_fit();
    alphaLow_.clear();
    alphaLow_.shrink_to_fit();
  }
  // Adds an alpha plane of 255 (and a low plane of 255 when asked).
  void AddAlpha(bool low);

  // Colour table: 2 to the bits per pixel entries in use for indexed layouts;
  // room for 256 entries always, so a palette longer than the depth allows
  // survives unchanged.
  std::array<TPNGRGB, 256>& ColorTable() { return colors_; }
  const std::array<TPNGRGB, 256>& ColorTable() const { return colors_; }
  int ColorCount() const { return bpp_ <= 8 && bpp_ > 0 ? 1 << bpp_ : 0; }

  // Index (bits 1, 4, 8) or the high byte of the first sample (bits 24).
  int IndexAt(int x, int y) const;
  void SetIndexAt(int x, int y, int value);

 private:
  std::size_t RowOffset(int row) const { return static_cast<std::size_t>(row) * stride_; }

  int width_ = 0, height_ = 0, bpp_ = 0;
  std::size_t stride_ = 0;
  void SyncPalette() const;
  void MakeBitmap() const;

  // The rows: in bits_ until a bitmap is asked for, then in bitmap_.
  mutable std::vector<std::uint8_t> bits_;
  mutable std::unique_ptr<gfx::TBitmap> bitmap_;
  std::vector<std::uint8_t> extra_, alpha_, alphaLow_;
  std::array<TPNGRGB, 256> colors_{};
};

}  // namespace report
