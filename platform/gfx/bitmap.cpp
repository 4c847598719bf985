#include "platform/gfx/bitmap.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/gfx/cairo_canvas.h"

namespace gfx {

namespace {

int Bpp(TPixelFormat f) {
  switch (f) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf24bit: return 24;
    default: return 32;
  }
}

// Formats kept in memory: the 15/16-bit and device formats are held as 24/32.
TPixelFormat StoredFormat(TPixelFormat f) {
  switch (f) {
    case pf1bit:
    case pf4bit:
    case pf8bit:
    case pf24bit:
    case pf32bit: return f;
    case pf15bit:
    case pf16bit: return pf24bit;
    default: return pf32bit;
  }
}

TRGBQuad Quad(unsigned r, unsigned g, unsigned b) {
  return {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(r), 0};
}

std::vector<TRGBQuad> DefaultPalette(TPixelFormat f) {
  std::vector<TRGBQuad> p;
  if (f == pf1bit) return {Quad(0, 0, 0), Quad(255, 255, 255)};
  if (f == pf4bit) {
    // The sixteen standard colours.
    static const unsigned vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                        {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                        {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                        {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    for (auto& c : vga) p.push_back(Quad(c[0], c[1], c[2]));
    return p;
  }
  if (f == pf8bit) {
    // A 6x6x6 colour cube and a grey ramp.
    for (unsigned r = 0; r < 6; ++r)
      for (unsigned g = 0; g < 6; ++g)
        for (unsigned b = 0; b < 6; ++b) p.push_back(Quad(r * 51, g * 51, b * 51));
    for (unsigned i = 0; i < 40; ++i) {
      unsigned v = (i + 1) * 255 / 41;
      p.push_back(Quad(v, v, v));
    }
    return p;
  }
  return p;
}

std::uint32_t QuadToXRGB(const TRGBQuad& q) {
  return (std::uint32_t(q.rgbRed) << 16) | (std::uint32_t(q.rgbGreen) << 8) | q.rgbBlue;
}
std::uint32_t ColorToXRGB(TColor c) {
  TColorRef r = ColorToRGB(c);
  return (GetRValue(r) << 16) | (GetGValue(r) << 8) | GetBValue(r);
}
TColor XRGBToColor(std::uint32_t x) { return static_cast<TColor>(RGB((x >> 16) & 0xFF, (x >> 8) & 0xFF, x & 0xFF)); }

// Little-endian helpers for the BMP headers.
std::uint32_t U32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
void Put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
}
void Put16(std::string& s, std::uint16_t v) {
  s.push_back(static_cast<char>(v));
  s.push_back(static_cast<char>(v >> 8));
}

[[noreturn]] void Bad(const char* what) { throw EInvalidGraphic(std::string("Bitmap image is not valid: ") + what); }

int MaskShift(std::uint32_t mask) {
  if (!mask) return 0;
  int s = 0;
  while (!((mask >> s) & 1)) ++s;
  return s;
}
unsigned MaskValue(std::uint32_t v, std::uint32_t mask) {
  if (!mask) return 0;
  int s = MaskShift(mask);
  std::uint32_t m = mask >> s;
  return static_cast<unsigned>(((v & mask) >> s) * 255 / m);
}

}  // namespace

TBitmap::TBitmap() { Allocate(0, 0, pf24bit); }
TBitmap::TBitmap(int width, int height, TPixelFormat format) { Allocate(width, height, format); }
TBitmap::~TBitmap() = default;

int TBitmap::BitsPerPixel() const { return Bpp(format_); }

void TBitmap::Allocate(int w, int h, TPixelFormat format) {
  if (w < 0 || h < 0) throw EInvalidGraphicOperation("Invalid bitmap size");
  if (static_cast<long long>(w) * h > (1LL << 28)) throw EInvalidGraphicOperation("Bitmap too large");
  format_ = StoredFormat(format);
  width_ = w;
  height_ = h;
  stride_ = ((w * Bpp(format_) + 31) / 32) * 4;
  if (format_ == pf1bit || format_ == pf4bit || format_ == pf8bit) {
    if (palette_.size() != (1u << Bpp(format_))) palette_ = DefaultPalette(format_);
  } else {
    palette_.clear();
  }
  bits_.assign(static_cast<std::size_t>(stride_) * h, 0);
  // New pixels are white.
  if (format_ == pf24bit || format_ == pf32bit) {
    std::fill(bits_.begin(), bits_.end(), 0xFF);
    if (format_ == pf32bit)
      for (std::size_t i = 3; i < bits_.size(); i += 4) bits_[i] = 0;
  } else if (w > 0 && h > 0) {
    std::uint8_t white = NearestIndex(0xFFFFFF);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        std::uint8_t* row = bits_.data() + static_cast<std::size_t>(h - 1 - y) * stride_;
        if (format_ == pf8bit)
          row[x] = white;
        else if (format_ == pf4bit)
          row[x / 2] = static_cast<std::uint8_t>((row[x / 2] & (x & 1 ? 0xF0 : 0x0F)) | (x & 1 ? white : white << 4));
        else if (white)
          row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
      }
  }
}

std::uint8_t TBitmap::NearestIndex(std::uint32_t xrgb) const {
  int best = 0;
  long bestD = 1L << 30;
  const int r = (xrgb >> 16) & 0xFF, g = (xrgb >> 8) & 0xFF, b = xrgb & 0xFF;
  for (std::size_t i = 0; i < palette_.size(); ++i) {
    const auto& q = palette_[i];
    long d = (long(q.rgbRed) - r) * (q.rgbRed - r) * 3 + (long(q.rgbGreen) - g) * (q.rgbGreen - g) * 4 +
             (long(q.rgbBlue) - b) * (q.rgbBlue - b) * 2;
    if (d < bestD) {
      bestD = d;
      best = static_cast<int>(i);
      if (d == 0) break;
    }
  }
  return static_cast<std::uint8_t>(best);
}

std::uint32_t TBitmap::ReadRGB(int x, int y) const {
  const std::uint8_t* row = bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride_;
  switch (format_) {
    case pf1bit: return QuadToXRGB(palette_[(row[x / 8] >> (7 - (x & 7))) & 1]);
    case pf4bit: return QuadToXRGB(palette_[(row[x / 2] >> (x & 1 ? 0 : 4)) & 15]);
    case pf8bit: return row[x] < palette_.size() ? QuadToXRGB(palette_[row[x]]) : 0;
    case pf24bit: return (std::uint32_t(row[x * 3 + 2]) << 16) | (std::uint32_t(row[x * 3 + 1]) << 8) | row[x * 3];
    default: return (std::uint32_t(row[x * 4 + 2]) << 16) | (std::uint32_t(row[x * 4 + 1]) << 8) | row[x * 4];
  }
}

void TBitmap::WriteRGB(int x, int y, std::uint32_t xrgb) {
  std::uint8_t* row = bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride_;
  switch (format_) {
    case pf1bit: {
      std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
      if (NearestIndex(xrgb))
        row[x / 8] |= bit;
      else
        row[x / 8] &= static_cast<std::uint8_t>(~bit);
      break;
    }
    case pf4bit: {
      std::uint8_t i = NearestIndex(xrgb);
      row[x / 2] = static_cast<std::uint8_t>(x & 1 ? (row[x / 2] & 0xF0) | i : (row[x / 2] & 0x0F) | (i << 4));
      break;
    }
    case pf8bit: row[x] = NearestIndex(xrgb); break;
    case pf24bit:
      row[x * 3] = xrgb & 0xFF;
      row[x * 3 + 1] = (xrgb >> 8) & 0xFF;
      row[x * 3 + 2] = (xrgb >> 16) & 0xFF;
      break;
    default:  // the fourth byte (alpha) is left as it was
      row[x * 4] = xrgb & 0xFF;
      row[x * 4 + 1] = (xrgb >> 8) & 0xFF;
      row[x * 4 + 2] = (xrgb >> 16) & 0xFF;
      break;
  }
}

void TBitmap::FlushCanvas() const {
  if (canvas_) canvas_->WriteBack();
}

void TBitmap::PixelsChanged() {
  if (canvas_) canvas_->Invalidate();
}

void TBitmap::SetSize(int w, int h) {
  if (w == width_ && h == height_) return;
  FlushCanvas();
  TBitmap old;
  old.width_ = width_;
  old.height_ = height_;
  old.format_ = format_;
  old.stride_ = stride_;
  old.bits_.swap(bits_);
  old.palette_ = palette_;
  Allocate(w, h, format_);
  const int cw = std::min(w, old.width_), ch = std::min(h, old.height_);
  for (int y = 0; y < ch; ++y)
    for (int x = 0; x < cw; ++x) WriteRGB(x, y, old.ReadRGB(x, y));
  if (format_ == pf32bit)  // keep the alpha bytes too
    for (int y = 0; y < ch; ++y)
      for (int x = 0; x < cw; ++x) ScanLine(y)[x * 4 + 3] = old.ScanLine(y)[x * 4 + 3];
  PixelsChanged();
  if (canvas_) canvas_->Resized();
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  TPixelFormat target = StoredFormat(format);
  if (target == format_) return;
  FlushCanvas();
  std::vector<std::uint32_t> pixels = ToRGB32();
  std::vector<TRGBQuad> palette;
  if (target == pf8bit || target == pf4bit) {
    // An exact palette when the picture has few enough colours.
    std::map<std::uint32_t, int> seen;
    const std::size_t limit = target == pf8bit ? 256 : 16;
    for (auto p : pixels) {
      if (seen.emplace(p & 0xFFFFFF, 0).second && seen.size() > limit) break;
    }
    if (seen.size() <= limit) {
      for (auto& [c, i] : seen) palette.push_back(Quad((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
      while (palette.size() < limit) palette.push_back(Quad(0, 0, 0));
    }
  }
  palette_ = palette.empty() ? DefaultPalette(target) : palette;
  Allocate(width_, height_, target);
  FromRGB32Raw(pixels.data());
  PixelsChanged();
  Changed();
}

void TBitmap::SetMonochrome(bool mono) {
  if (mono == Monochrome()) return;
  SetPixelFormat(mono ? pf1bit : pf24bit);
}

std::uint8_t* TBitmap::ScanLine(int y) {
  if (y < 0 || y >= height_) throw rtl::ERangeError("Scan line index out of range");
  FlushCanvas();
  PixelsChanged();
  return bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride_;
}

const std::uint8_t* TBitmap::ScanLine(int y) const {
  if (y < 0 || y >= height_) throw rtl::ERangeError("Scan line index out of range");
  FlushCanvas();
  return bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride_;
}

const std::uint8_t* TBitmap::Bits() const {
  FlushCanvas();
  return bits_.data();
}

void TBitmap::SetPalette(const std::vector<TRGBQuad>& palette) {
  if (format_ != pf1bit && format_ != pf4bit && format_ != pf8bit) return;
  FlushCanvas();
  palette_ = palette;
  palette_.resize(1u << Bpp(format_));
  PixelsChanged();
  Changed();
}

TColor TBitmap::PixelColor(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return clNone;
  FlushCanvas();
  return XRGBToColor(ReadRGB(x, y));
}

void TBitmap::SetPixelColor(int x, int y, TColor color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  FlushCanvas();
  WriteRGB(x, y, ColorToXRGB(color));
  PixelsChanged();
}

TCanvas& TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TBitmapCanvas>(*this);
  return *canvas_;
}

TColor TBitmap::TransparentColor() const {
  if (transparentMode_ == tmFixed) return transparentColor_;
  if (Empty()) return clDefault;
  return PixelColor(0, height_ - 1);
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) const {
  if (Empty()) return;
  const TRect all = Rect(0, 0, width_, height_);
  if (Transparent())
    canvas.DrawBitmapTransparent(rect, *this, all, TransparentColor());
  else
    canvas.DrawBitmap(rect, *this, all, canvas.CopyMode());
}

std::vector<std::uint32_t> TBitmap::ToRGB32() const {
  FlushCanvas();
  std::vector<std::uint32_t> out(static_cast<std::size_t>(width_) * height_);
  for (int y = 0; y < height_; ++y) {
    std::uint32_t* o = out.data() + static_cast<std::size_t>(y) * width_;
    const std::uint8_t* row = bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride_;
    if (format_ == pf32bit) {
      for (int x = 0; x < width_; ++x)
        o[x] = (std::uint32_t(row[x * 4 + 2]) << 16) | (std::uint32_t(row[x * 4 + 1]) << 8) | row[x * 4];
    } else if (format_ == pf24bit) {
      for (int x = 0; x < width_; ++x)
        o[x] = (std::uint32_t(row[x * 3 + 2]) << 16) | (std::uint32_t(row[x * 3 + 1]) << 8) | row[x * 3];
    } else {
      for (int x = 0; x < width_; ++x) o[x] = ReadRGB(x, y);
    }
  }
  return out;
}

void TBitmap::FromRGB32Raw(const std::uint32_t* pixels, std::size_t rowPixels) const {
  auto* self = const_cast<TBitmap*>(this);
  if (rowPixels == 0) rowPixels = static_cast<std::size_t>(width_);
  if (format_ == pf1bit || format_ == pf4bit || format_ == pf8bit) {
    // Drawn pictures have few colours: remember the last lookup.
    std::uint32_t lastIn = 0xFFFFFFFF;
    std::uint8_t lastIndex = 0;
    for (int y = 0; y < height_; ++y) {
      std::uint8_t* row = self->bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride_;
      for (int x = 0; x < width_; ++x) {
        std::uint32_t p = pixels[static_cast<std::size_t>(y) * rowPixels + x] & 0xFFFFFF;
        if (p != lastIn) {
          lastIn = p;
          lastIndex = NearestIndex(p);
        }
        if (format_ == pf8bit)
          row[x] = lastIndex;
        else if (format_ == pf4bit)
          row[x / 2] = static_cast<std::uint8_t>(x & 1 ? (row[x / 2] & 0xF0) | lastIndex
                                                       : (row[x / 2] & 0x0F) | (lastIndex << 4));
        else if (lastIndex)
          row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
        else
          row[x / 8] &= static_cast<std::uint8_t>(~(0x80 >> (x & 7)));
      }
    }
    return;
  }
  for (int y = 0; y < height_; ++y) {
    const std::uint32_t* in = pixels + static_cast<std::size_t>(y) * rowPixels;
    std::uint8_t* row = self->bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride_;
    const int step = format_ == pf32bit ? 4 : 3;
    for (int x = 0; x < width_; ++x) {
      row[x * step] = in[x] & 0xFF;
      row[x * step + 1] = (in[x] >> 8) & 0xFF;
      row[x * step + 2] = (in[x] >> 16) & 0xFF;
    }
  }
}

void TBitmap::FromRGB32(const std::uint32_t* pixels) {
  FlushCanvas();
  FromRGB32Raw(pixels);
  PixelsChanged();
  Changed();
}

// ------------------------------------------------------------ BMP files

std::string TBitmap::SaveToDIB() const {
  FlushCanvas();
  std::string s;
  const int bpp = Bpp(format_);
  Put32(s, 40);
  Put32(s, static_cast<std::uint32_t>(width_));
  Put32(s, static_cast<std::uint32_t>(height_));
  Put16(s, 1);
  Put16(s, static_cast<std::uint16_t>(bpp));
  Put32(s, 0);  // BI_RGB
  Put32(s, static_cast<std::uint32_t>(bits_.size()));
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, bpp <= 8 ? static_cast<std::uint32_t>(palette_.size()) : 0);
  Put32(s, 0);
  if (bpp <= 8)
    for (const auto& q : palette_) {
      s.push_back(static_cast<char>(q.rgbBlue));
      s.push_back(static_cast<char>(q.rgbGreen));
      s.push_back(static_cast<char>(q.rgbRed));
      s.push_back(0);
    }
  s.append(reinterpret_cast<const char*>(bits_.data()), bits_.size());
  return s;
}

void TBitmap::SaveToStream(rtl::TStream& stream) const {
  if (Empty()) return;  // nothing to store
  std::string dib = SaveToDIB();
  const std::uint32_t headerAndPalette = 40 + (Bpp(format_) <= 8 ? static_cast<std::uint32_t>(palette_.size()) * 4 : 0);
  std::string file;
  file += "BM";
  Put32(file, static_cast<std::uint32_t>(14 + dib.size()));
  Put32(file, 0);
  Put32(file, 14 + headerAndPalette);
  stream.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
  stream.WriteBuffer(dib.data(), static_cast<std::int64_t>(dib.size()));
}

void TBitmap::LoadFromStream(rtl::TStream& stream) {
  const std::int64_t start = stream.Position();
  std::string data = stream.ReadRest();
  if (data.empty()) {  // an empty bitmap is stored as nothing
    FlushCanvas();
    Allocate(0, 0, format_);
    PixelsChanged();
    if (canvas_) canvas_->Resized();
    Changed();
    return;
  }
  if (data.size() < 14 || data[0] != 'B' || data[1] != 'M') Bad("no file header");
  const auto* p = reinterpret_cast<const std::uint8_t*>(data.data());
  const std::uint32_t fileSize = U32(p + 2), offBits = U32(p + 10);
  std::size_t end = 14 + LoadDIB(p + 14, data.size() - 14, offBits >= 14 ? offBits - 14 : 0, true);
  // The stream goes on after the file (a picture inside a larger stream).
  if (fileSize >= end && fileSize <= data.size()) end = fileSize;
  stream.SetPosition(start + static_cast<std::int64_t>(end));
}

void TBitmap::LoadFromDIB(const void* data, std::size_t size) {
  (void)LoadDIB(static_cast<const std::uint8_t*>(data), size, 0, false);
}

std::size_t TBitmap::LoadDIB(const std::uint8_t* p, std::size_t size, std::size_t bitsOffset, bool offsetGiven) {
  if (size < 12) Bad("header too short");
  const std::uint32_t headerSize = U32(p);
  long long w, h;
  unsigned planes, bpp, compression = 0;
  std::uint32_t clrUsed = 0;
  std::uint32_t masks[3] = {0, 0, 0};
  std::uint32_t alphaMask = 0;
  bool core = headerSize == 12;
  if (core) {
    w = U16(p + 4);
    h = static_cast<std::int16_t>(U16(p + 6));
    planes = U16(p + 8);
    bpp = U16(p + 10);
  } else {
    if (headerSize < 40 || headerSize > size) Bad("unknown header size");
    w = static_cast<std::int32_t>(U32(p + 4));
    h = static_cast<std::int32_t>(U32(p + 8));
    planes = U16(p + 12);
    bpp = U16(p + 14);
    compression = U32(p + 16);
    clrUsed = U32(p + 32);
    if (headerSize >= 52) {
      masks[0] = U32(p + 40);
      masks[1] = U32(p + 44);
      masks[2] = U32(p + 48);
    }
    if (headerSize >= 56) alphaMask = U32(p + 52);
  }
  const bool topDown = h < 0;
  if (topDown) h = -h;
  if (planes != 1) Bad("planes");
  if (w <= 0 || h <= 0 || w > 32767 * 4 || h > 32767 * 4 || w * h > (1LL << 26)) Bad("size");
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Bad("bit count");
  if (!(compression == 0 || (compression == 1 && bpp == 8) || (compression == 2 && bpp == 4) ||
        (compression == 3 && (bpp == 16 || bpp == 32))))
    Bad("compression");
  if ((compression == 1 || compression == 2) && topDown) Bad("top-down RLE");
  std::size_t pos = headerSize;
  if (compression == 3 && headerSize == 40) {
    if (pos + 12 > size) Bad("bit fields");
    masks[0] = U32(p + pos);
    masks[1] = U32(p + pos + 4);
    masks[2] = U32(p + pos + 8);
    pos += 12;
  }
  if (compression == 0 && bpp == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  }
  if (compression == 0 && bpp == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0xFF00;
    masks[2] = 0xFF;
  }
  std::vector<TRGBQuad> palette;
  if (bpp <= 8) {
    std::uint32_t n = clrUsed ? clrUsed : (1u << bpp);
    if (n > (1u << bpp)) Bad("palette size");
    const std::size_t entry = core ? 3 : 4;
    if (pos + n * entry > size) Bad("palette");
    for (std::uint32_t i = 0; i < n; ++i)
      palette.push_back({p[pos + i * entry], p[pos + i * entry + 1], p[pos + i * entry + 2], 0});
    pos += n * entry;
    palette.resize(1u << bpp);
  }
  if (offsetGiven && bitsOffset >= pos) pos = bitsOffset;
  if (pos > size) Bad("pixel offset");
  const std::uint8_t* bits = p + pos;
  const std::size_t avail = size - pos;
  const int iw = static_cast<int>(w), ih = static_cast<int>(h);

  TPixelFormat fmt = bpp == 1 ? pf1bit : bpp == 4 ? pf4bit : bpp == 8 ? pf8bit : bpp == 32 ? pf32bit : pf24bit;
  const std::size_t srcStride = ((static_cast<std::size_t>(iw) * bpp + 31) / 32) * 4;
  // Check the data is there before taking memory for the pixels.
  if (compression != 1 && compression != 2 && srcStride * ih > avail) Bad("pixel data truncated");
  // Run-length data holds at most 255 pixels per two bytes (besides skips):
  // a tiny file may not claim a huge picture.
  if ((compression == 1 || compression == 2) &&
      w * h > std::max<long long>(static_cast<long long>(avail) * 256, 1 << 20))
    Bad("run-length picture too large for its data");
  TBitmap tmp;
  tmp.palette_ = palette;
  tmp.Allocate(iw, ih, fmt);
  if (bpp <= 8) tmp.palette_ = palette;
  std::size_t consumed = pos;
  if (compression == 1 || compression == 2) {
    consumed += DecodeRle(bits, avail, bpp, tmp);
  } else {
    consumed += srcStride * ih;
    for (int y = 0; y < ih; ++y) {
      // Source row for image row y (top = 0).
      const std::uint8_t* src = bits + srcStride * (topDown ? y : ih - 1 - y);
      std::uint8_t* dst = tmp.bits_.data() + static_cast<std::size_t>(ih - 1 - y) * tmp.stride_;
      if (bpp == 16 || (bpp == 32 && compression == 3)) {
        const int step = bpp == 16 ? 3 : 4;
        for (int x = 0; x < iw; ++x) {
          std::uint32_t v = bpp == 16 ? U16(src + x * 2) : U32(src + x * 4);
          dst[x * step] = static_cast<std::uint8_t>(MaskValue(v, masks[2]));
          dst[x * step + 1] = static_cast<std::uint8_t>(MaskValue(v, masks[1]));
          dst[x * step + 2] = static_cast<std::uint8_t>(MaskValue(v, masks[0]));
          if (step == 4) dst[x * 4 + 3] = static_cast<std::uint8_t>(alphaMask ? MaskValue(v, alphaMask) : 0);
        }
      } else {
        std::memcpy(dst, src, std::min<std::size_t>(srcStride, tmp.stride_));
      }
    }
  }
  // Success: take the new pixels.
  FlushCanvas();
  width_ = tmp.width_;
  height_ = tmp.height_;
  format_ = tmp.format_;
  stride_ = tmp.stride_;
  bits_.swap(tmp.bits_);
  palette_.swap(tmp.palette_);
  PixelsChanged();
  if (canvas_) canvas_->Resized();
  Changed();
  return consumed;
}

std::size_t TBitmap::DecodeRle(const std::uint8_t* p, std::size_t n, int bpp, TBitmap& out) {
  // Run-length data, bottom row first; pixels not reached stay at index 0.
  std::fill(out.bits_.begin(), out.bits_.end(), 0);
  int x = 0, y = 0;  // y counts rows from the bottom
  auto put = [&](int index) {
    if (x < out.width_ && y < out.height_) {
      std::uint8_t* row = out.bits_.data() + static_cast<std::size_t>(y) * out.stride_;
      if (bpp == 8)
        row[x] = static_cast<std::uint8_t>(index);
      else
        row[x / 2] =
            static_cast<std::uint8_t>(x & 1 ? (row[x / 2] & 0xF0) | (index & 15) : (row[x / 2] & 0x0F) | (index << 4));
    }
    ++x;
  };
  std::size_t i = 0;
  while (i + 1 < n) {
    const int count = p[i], value = p[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(bpp == 8 ? value : (k & 1 ? value & 15 : value >> 4));
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return i;
    } else if (value == 2) {
      if (i + 1 >= n) Bad("RLE delta");
      x += p[i];
      y += p[i + 1];
      i += 2;
    } else {
      const int literal = value;
      const std::size_t bytes = bpp == 8 ? literal : (literal + 1) / 2;
      if (i + bytes > n) Bad("RLE literal");
      for (int k = 0; k < literal; ++k) put(bpp == 8 ? p[i + k] : (k & 1 ? p[i + k / 2] & 15 : p[i + k / 2] >> 4));
      i += (bytes + 1) & ~std::size_t(1);  // runs are padded to 16 bits
    }
    if (y >= out.height_) return i;
  }
  return std::min(i, n);
}

void TBitmap::Assign(const TGraphic& source) {
  if (&source == this) return;
  if (auto* b = dynamic_cast<const TBitmap*>(&source)) {
    b->FlushCanvas();
    width_ = b->width_;
    height_ = b->height_;
    format_ = b->format_;
    stride_ = b->stride_;
    bits_ = b->bits_;
    palette_ = b->palette_;
    transparentMode_ = b->transparentMode_;
    transparentColor_ = b->transparentColor_;
    TGraphic::SetTransparent(b->Transparent());
    PixelsChanged();
    if (canvas_) canvas_->Resized();
    Changed();
    return;
  }
  Allocate(source.Width(), source.Height(), pf24bit);
  PixelsChanged();
  if (canvas_) canvas_->Resized();
  if (!source.Empty()) {
    TCanvas& c = Canvas();
    source.Draw(c, Rect(0, 0, width_, height_));
  }
  Changed();
}

}  // namespace gfx
