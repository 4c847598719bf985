// Device-independent bitmaps: 1, 4, 8, 24 and 32 bits per pixel with a
// palette for the low depths, kept bottom-up with rows padded to 4 bytes, as
// code that walks scan lines expects. A canvas on the bitmap draws with Cairo
// on a 32-bit shadow copy that is written back before the pixels are read.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/gfx/graphic.h"

namespace gfx {

enum TPixelFormat : std::uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// A palette entry as stored in a BMP file: blue, green, red, reserved.
struct TRGBQuad {
  std::uint8_t rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
  friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

class TBitmapCanvas;

class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height, TPixelFormat format = pf24bit);
  ~TBitmap() override;

  std::string ClassName() const override { return "TBitmap"; }
  std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TBitmap>(); }

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // Resizing keeps the pixels of the part both sizes share; new pixels are white.
  void SetWidth(int w) override { SetSize(w, height_); }
  void SetHeight(int h) override { SetSize(width_, h); }
  void SetSize(int w, int h);

  // pfDevice reads as pf32bit. Changing the format converts the pixels (to a
  // palette made for the picture when going down to 8 or 4 bits, black and
  // white for 1 bit).
  TPixelFormat PixelFormat() const { return format_; }
  void SetPixelFormat(TPixelFormat format);
  int BitsPerPixel() const;
  // An empty bitmap has no pixel memory (nothing to write for it).
  bool HandleAllocated() const { return width_ > 0 && height_ > 0; }
  bool Monochrome() const { return format_ == pf1bit; }
  void SetMonochrome(bool mono);
  // Bytes per row: rows are padded to 4 bytes.
  int RowStride() const { return stride_; }

  // Row y (0 = top) of the pixel data; rows lie bottom-up in memory, so the
  // address of row y + 1 is RowStride() below that of row y.
  std::uint8_t* ScanLine(int y);
  const std::uint8_t* ScanLine(int y) const;
  // The pixel data as stored (bottom row first) and its size.
  const std::uint8_t* Bits() const;
  std::size_t BitsSize() const { return static_cast<std::size_t>(stride_) * height_; }

  // Palette of 1, 4 and 8 bit formats (2, 16, 256 entries).
  const std::vector<TRGBQuad>& Palette() const { return palette_; }
  void SetPalette(const std::vector<TRGBQuad>& palette);

  // The colour of a pixel (clNone outside) and setting it; low depths map to
  // the nearest palette entry.
  TColor PixelColor(int x, int y) const;
  void SetPixelColor(int x, int y, TColor color);

  // The canvas drawing on this bitmap (created on first use, 96 pixels per inch).
  TCanvas& Canvas();
  bool HasCanvas() const { return canvas_ != nullptr; }

  // Transparency: the transparent colour is the lower-left pixel's unless set.
  enum TTransparentMode : std::uint8_t { tmAuto, tmFixed };
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode m) { transparentMode_ = m; }
  TColor TransparentColor() const;
  void SetTransparentColor(TColor c) {
    transparentColor_ = c;
    transparentMode_ = tmFixed;
  }

  void Draw(TCanvas& canvas, const TRect& rect) const override;

  // BMP files: BITMAPFILEHEADER and an info header (the 40-byte header, and on
  // reading also the 12-byte core and the larger V4/V5 headers), 1, 4, 8, 16,
  // 24 and 32 bits, RLE4/RLE8 and bit fields when reading. Writing uses the
  // 40-byte header without compression.
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) const override;
  // The bitmap as a packed DIB (info header, palette, pixels; no file header),
  // as metafiles and the clipboard carry it, and reading one back.
  std::string SaveToDIB() const;
  void LoadFromDIB(const void* data, std::size_t size);

  // Copies a bitmap (pixels, format, palette, transparency); another graphic
  // is drawn onto a 24-bit bitmap of its size over white.
  void Assign(const TGraphic& source) override;

  // A 32-bit copy of the pixels, top row first, 0x00RRGGBB per pixel (the
  // layout of a Cairo RGB24 surface).
  std::vector<std::uint32_t> ToRGB32() const;
  // Replaces the pixels (keeping the format) from a top-down 0x00RRGGBB buffer
  // of the bitmap's size.
  void FromRGB32(const std::uint32_t* pixels);

  // Internal: keeps the pixel data and the canvas's drawing surface in step.
  void FlushCanvas() const;

 private:
  friend class TBitmapCanvas;
  void Allocate(int w, int h, TPixelFormat format);
  std::uint32_t ReadRGB(int x, int y) const;
  void WriteRGB(int x, int y, std::uint32_t rgb);
  std::uint8_t NearestIndex(std::uint32_t rgb) const;
  void PixelsChanged();
  void FromRGB32Raw(const std::uint32_t* pixels, std::size_t rowPixels = 0) const;
  // Both answer how many bytes they used.
  std::size_t LoadDIB(const std::uint8_t* p, std::size_t size, std::size_t bitsOffset, bool offsetGiven);
  static std::size_t DecodeRle(const std::uint8_t* p, std::size_t n, int bpp, TBitmap& out);

  int width_ = 0;
  int height_ = 0;
  TPixelFormat format_ = pf24bit;
  int stride_ = 0;
  mutable std::vector<std::uint8_t> bits_;  // written back from the canvas on read
  std::vector<TRGBQuad> palette_;
  TTransparentMode transparentMode_ = tmAuto;
  TColor transparentColor_ = clDefault;
  std::unique_ptr<TBitmapCanvas> canvas_;
};

}  // namespace gfx
