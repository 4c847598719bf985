#include "report/frxpngpixels.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace report {

namespace {
std::size_t StrideFor(int width, int bpp) {
  return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bpp) + 31) / 32) * 4;
}
}  // namespace

std::uint64_t TPNGPixels::PlaneBytes(int width, int height, int bitsPerPixel, bool extraPlane,
                                     bool alphaPlane, bool alphaLowPlane) {
  if (width <= 0 || height <= 0) return 0;
  std::uint64_t rows = static_cast<std::uint64_t>(StrideFor(width, bitsPerPixel)) * static_cast<std::uint64_t>(height);
  std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  return rows * (extraPlane ? 2 : 1) + pixels * ((alphaPlane ? 1 : 0) + (alphaLowPlane ? 1 : 0));
}

bool TPNGPixels::Create(int width, int height, int bitsPerPixel, bool extraPlane, bool alphaPlane,
                        bool alphaLowPlane, std::size_t maxBytes) {
  if (PlaneBytes(width, height, bitsPerPixel, extraPlane, alphaPlane, alphaLowPlane) > maxBytes) return false;
  Clear();
  width_ = width;
  height_ = height;
  bpp_ = bitsPerPixel;
  stride_ = StrideFor(width, bitsPerPixel);
  std::size_t rows = stride_ * static_cast<std::size_t>(height);
  std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  try {
    bits_.assign(rows, 0);
    if (extraPlane) extra_.assign(rows, 0);
    if (alphaPlane) alpha_.assign(pixels, 0);
    if (alphaLowPlane) alphaLow_.assign(pixels, 0);
  } catch (const std::bad_alloc&) {
    Clear();
    return false;
  }
  return true;
}

void TPNGPixels::Clear() {
  width_ = height_ = bpp_ = 0;
  stride_ = 0;
  bits_ = {};
  extra_ = {};
  alpha_ = {};
  alphaLow_ = {};
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
