#include "report/frxpngpixels.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/rtl/exceptions.h"

namespace report {

namespace {
std::size_t StrideFor(int width, int bpp) {
  return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bpp) + 31) / 32) * 4;
}
}  // namespace

std::uint64_t TPNGPixels::PlaneBytes(int width, int height, int bitsPerPixel, bool extraPlane, bool alphaPlane,
                                     bool alphaLowPlane) {
  if (width <= 0 || height <= 0) return 0;
  std::uint64_t rows = static_cast<std::uint64_t>(StrideFor(width, bitsPerPixel)) * static_cast<std::uint64_t>(height);
  std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  return rows * (extraPlane ? 2 : 1) + pixels * ((alphaPlane ? 1 : 0) + (alphaLowPlane ? 1 : 0));
}

bool TPNGPixels::Create(int width, int height, int bitsPerPixel, bool extraPlane, bool alphaPlane, bool alphaLowPlane,
                        std::size_t maxBytes) {
  if (width <= 0 || height <= 0) return false;
  if (PlaneBytes(width, height, bitsPerPixel, extraPlane, alphaPlane, alphaLowPlane) > maxBytes) return false;
  // The bitmap's own limit on pixels, checked before it would refuse.
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > (std::uint64_t{1} << 28)) return false;
  Clear();
  std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  try {
    width_ = width;
    height_ = height;
    bpp_ = bitsPerPixel;
    stride_ = StrideFor(width, bitsPerPixel);
    bits_.assign(stride_ * static_cast<std::size_t>(height), 0);
    if (extraPlane) extra_.assign(stride_ * static_cast<std::size_t>(height), 0);
    if (alphaPlane) alpha_.assign(pixels, 0);
    if (alphaLowPlane) alphaLow_.assign(pixels, 0);
  } catch (const std::bad_alloc&) {
    Clear();
    return false;
  } catch (const rtl::Exception&) {
    Clear();
    return false;
  }
  return true;
}

void TPNGPixels::Clear() {
  width_ = height_ = bpp_ = 0;
  stride_ = 0;
  bits_ = {};
  bitmap_.reset();
  extra_ = {};
  alpha_ = {};
  alphaLow_ = {};
}

TPNGPixels::TPNGPixels(const TPNGPixels& other) { *this = other; }

TPNGPixels& TPNGPixels::operator=(const TPNGPixels& other) {
  if (this == &other) return *this;
  width_ = other.width_;
  height_ = other.height_;
  bpp_ = other.bpp_;
  stride_ = other.stride_;
  extra_ = other.extra_;
  alpha_ = other.alpha_;
  alphaLow_ = other.alphaLow_;
  colors_ = other.colors_;
  bits_ = other.bits_;
  bitmap_.reset();
  if (other.bitmap_) {
    bitmap_ = std::make_unique<gfx::TBitmap>();
    bitmap_->Assign(*other.bitmap_);
  }
  return *this;
}

void TPNGPixels::SyncPalette() const {
  int n = ColorCount();
  if (!bitmap_ || n == 0) return;
  std::vector<gfx::TRGBQuad> quads(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    quads[static_cast<std::size_t>(i)] = gfx::TRGBQuad{colors_[i].b, colors_[i].g, colors_[i].r, 0};
  if (quads != bitmap_->Palette()) bitmap_->SetPalette(quads);
}

void TPNGPixels::MakeBitmap() const {
  if (bitmap_ || width_ == 0) return;
  const gfx::TPixelFormat format = bpp_ == 1   ? gfx::pf1bit
                                   : bpp_ == 4 ? gfx::pf4bit
                                   : bpp_ == 8 ? gfx::pf8bit
                                               : gfx::pf24bit;
  auto bitmap = std::make_unique<gfx::TBitmap>(width_, height_, format);
  for (int y = 0; y < height_; ++y) std::memcpy(bitmap->ScanLine(y), bits_.data() + RowOffset(y), stride_);
  bitmap_ = std::move(bitmap);
  bits_ = {};
}

gfx::TBitmap* TPNGPixels::Bitmap() {
  MakeBitmap();
  SyncPalette();
  return bitmap_.get();
}

const gfx::TBitmap* TPNGPixels::Bitmap() const {
  MakeBitmap();
  SyncPalette();
  return bitmap_.get();
}

bool TPNGPixels::Resized(int width, int height, std::size_t maxBytes, TPNGPixels& out) const {
  if (!out.Create(width, height, bpp_, HasExtra(), HasAlpha(), HasAlphaLow(), maxBytes)) return false;
  out.colors_ = colors_;
  int rows = std::min(height, height_);
  int cols = std::min(width, width_);
  std::size_t fullBytes = static_cast<std::size_t>(cols) * static_cast<std::size_t>(bpp_) / 8;
  int restBits = (cols * bpp_) % 8;
  std::uint8_t restMask = static_cast<std::uint8_t>(0xFF00 >> restBits);
  for (int y = 0; y < rows; ++y) {
    auto copyRow = [&](const std::uint8_t* src, std::uint8_t* dst) {
      std::memcpy(dst, src, fullBytes);
      if (restBits) dst[fullBytes] = static_cast<std::uint8_t>(src[fullBytes] & restMask);
    };
    copyRow(ScanLine(y), out.ScanLine(y));
    if (HasExtra()) copyRow(ExtraLine(y), out.ExtraLine(y));
  }
  if (HasAlpha()) {
    std::fill(out.alpha_.begin(), out.alpha_.end(), 0xFF);
    if (HasAlphaLow()) std::fill(out.alphaLow_.begin(), out.alphaLow_.end(), 0xFF);
    for (int y = 0; y < rows; ++y) {
      std::memcpy(out.AlphaLine(y), AlphaLine(y), static_cast<std::size_t>(cols));
      if (HasAlphaLow()) std::memcpy(out.AlphaLowLine(y), AlphaLowLine(y), static_cast<std::size_t>(cols));
    }
  }
  return true;
}

void TPNGPixels::AddAlpha(bool low) {
  std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  alpha_.assign(pixels, 0xFF);
  if (low) alphaLow_.assign(pixels, 0xFF);
}

int TPNGPixels::IndexAt(int x, int y) const {
  const std::uint8_t* row = ScanLine(y);
  switch (bpp_) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    case 8: return row[x];
    default: return row[x * 3];
  }
}

void TPNGPixels::SetIndexAt(int x, int y, int value) {
  std::uint8_t* row = ScanLine(y);
  switch (bpp_) {
    case 1: {
      std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<std::uint8_t>((value & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
      break;
    }
    case 4: {
      int shift = (x & 1) ? 0 : 4;
      row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & ~(0x0F << shift)) | ((value & 0x0F) << shift));
      break;
    }
    case 8: row[x] = static_cast<std::uint8_t>(value); break;
    default: break;
  }
}

}  // namespace report
