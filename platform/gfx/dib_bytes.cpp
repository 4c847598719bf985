#include "platform/gfx/dib_bytes.h"

#include "platform/gfx/metafile_bytes.h"

namespace gfx::dib {

namespace {
constexpr std::uint32_t kBiBitFields = 3;
constexpr std::uint32_t kBiAlphaBitFields = 6;
}  // namespace

std::size_t InfoSize(std::string_view bmi) {
  bytes::Reader r(bmi);
  if (!r.Has(0, 4)) return 0;
  std::uint32_t headerSize = r.U32(0);
  if (headerSize == 12) {  // the old core header: 3-byte colour entries
    if (!r.Has(0, 12)) return 0;
    unsigned bpp = r.U16(10);
    std::size_t colours = bpp <= 8 ? (std::size_t{1} << bpp) : 0;
    return 12 + colours * 3;
  }
  if (headerSize < 40 || headerSize > 124 || !r.Has(0, 40)) return 0;
  unsigned bpp = r.U16(14);
  std::uint32_t compression = r.U32(16);
  std::uint32_t used = r.U32(32);
  std::size_t size = headerSize;
  if (headerSize == 40 && (compression == kBiBitFields || compression == kBiAlphaBitFields))
    size += compression == kBiBitFields ? 12 : 16;
  std::size_t colours = used != 0 ? used : (bpp <= 8 ? (std::size_t{1} << bpp) : 0);
  if (colours > 256 && bpp <= 8) return 0;
  if (colours > 65536) return 0;
  return size + colours * 4;
}

bool SplitPacked(std::string_view dib, std::string_view* bmi, std::string_view* bits) {
  std::size_t n = InfoSize(dib);
  if (n == 0 || n > dib.size()) return false;
  *bmi = dib.substr(0, n);
  *bits = dib.substr(n);
  return true;
}

std::string ToBmpFile(std::string_view bmi, std::string_view bits) {
  bytes::Writer w;
  w.U8('B');
  w.U8('M');
  w.U32(static_cast<std::uint32_t>(14 + bmi.size() + bits.size()));
  w.U32(0);
  w.U32(static_cast<std::uint32_t>(14 + bmi.size()));
  w.Bytes(bmi);
  w.Bytes(bits);
  return w.Take();
}

bool FromBmpFile(std::string_view bmp, std::string_view* bmi, std::string_view* bits) {
  bytes::Reader r(bmp);
  if (!r.Has(0, 14) || bmp[0] != 'B' || bmp[1] != 'M') return false;
  std::uint32_t offBits = r.U32(10);
  std::string_view rest = bmp.substr(14);
  std::size_t n = InfoSize(rest);
  if (n == 0 || n > rest.size() || offBits < 14 + n || offBits > bmp.size()) return false;
  *bmi = rest.substr(0, n);
  *bits = bmp.substr(offBits);
  return true;
}

}  // namespace gfx::dib
