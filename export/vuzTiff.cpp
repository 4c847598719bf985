// Baseline TIFF: little-endian ("II"), no compression, one strip per image.
// Widths, lengths, strip data and the resolution use LONG fields, so pictures
// beyond 65,535 pixels or 6,553 dpi keep their sizes.
#include "export/vuzTiff.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace report {

namespace {

constexpr std::uint16_t kShort = 3, kLong = 4, kRational = 5, kAscii = 2;
// ASCII fields end in a zero byte: readers warn about the bare name.
constexpr char kSoftware[] = "ReziZuzore";
constexpr std::uint32_t kSoftwareLength = sizeof kSoftware;

struct Entry {
  std::uint16_t tag, type;
  std::uint32_t count, value;
};

class Writer {
 public:
  explicit Writer(rtl::TStream& s) : s_(s) {}
  std::int64_t Pos() { return s_.Position(); }
  void U16(std::uint16_t v) {
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
    s_.WriteBuffer(b, 2);
  }
  void U32(std::uint32_t v) {
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    s_.WriteBuffer(b, 4);
  }
  void Bytes(const void* p, std::size_t n) {
    if (n) s_.WriteBuffer(p, static_cast<std::int64_t>(n));
  }
  // Offsets are 32-bit in the format: a stream past 4 GB cannot hold the image.
  std::uint32_t Offset() {
    const std::int64_t p = Pos();
    if (p < 0 || p > 0xFFFFFFFFLL) throw rtl::Exception("TIFF: the file would exceed 4 GB");
    return static_cast<std::uint32_t>(p);
  }

 private:
  rtl::TStream& s_;
};

// A short value sits in the first two bytes of the 4-byte value field, which
// little-endian order gives by writing it as a LONG.
void WriteDirectory(Writer& w, std::vector<Entry> entries) {
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
  w.U16(static_cast<std::uint16_t>(entries.size()));
  for (const Entry& e : entries) {
    w.U16(e.tag);
    w.U16(e.type);
    w.U32(e.count);
    w.U32(e.value);
  }
  w.U32(0);  // no next image yet
}

void WriteOneImage(rtl::TStream& stream, const gfx::TBitmap& bitmap, bool writeHeader, int resolution) {
  if (!bitmap.HandleAllocated()) return;
  Writer w(stream);
  std::int64_t pointerAt;
  if (writeHeader) {
    const std::int64_t start = w.Pos();
    static const std::uint8_t header[8] = {0x49, 0x49, 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00};
    w.Bytes(header, 8);
    pointerAt = start + 4;
  } else {
    pointerAt = stream.Size() - 4;
    if (pointerAt < 0) throw rtl::Exception("TIFF: no previous image to chain to");
    stream.Seek(0, rtl::soEnd);
  }

  const int width = bitmap.Width(), height = bitmap.Height();
  const int bpp = bitmap.BitsPerPixel();
  const std::uint32_t resNumerator = static_cast<std::uint32_t>(std::max(1, resolution)) * 10u;

  std::vector<Entry> dir;
  std::uint32_t colorMapAt = 0, bitsAt = 0, xResAt, yResAt, softwareAt, rowsAt;
  std::uint32_t rowBytes = 0;
  int imageWidth = width;
  const bool palette = bpp == 4 || bpp == 8;

  if (palette) {
    // The colour map: all reds, then greens, then blues, 16 bits each.
    colorMapAt = w.Offset();
    const std::vector<gfx::TRGBQuad>& pal = bitmap.Palette();
    const int n = 1 << bpp;
    for (int channel = 0; channel < 3; ++channel)
      for (int i = 0; i < n; ++i) {
        std::uint8_t c = 0;
        if (i < static_cast<int>(pal.size()))
          c = channel == 0 ? pal[i].rgbRed : channel == 1 ? pal[i].rgbGreen : pal[i].rgbBlue;
        w.U16(static_cast<std::uint16_t>(c * 256));
      }
  }
  xResAt = w.Offset();
  w.U32(resNumerator);
  w.U32(10);
  yResAt = w.Offset();
  w.U32(resNumerator);
  w.U32(10);
  if (!palette && bpp != 1) {
    bitsAt = w.Offset();
    w.U16(8);
    w.U16(8);
    w.U16(8);
  }
  softwareAt = w.Offset();
  w.Bytes(kSoftware, kSoftwareLength);

  rowsAt = w.Offset();
  std::vector<std::uint8_t> row;
  if (bpp == 1) {
    rowBytes = static_cast<std::uint32_t>((width + 7) / 8);
    for (int y = 0; y < height; ++y) w.Bytes(bitmap.ScanLine(y), rowBytes);
  } else if (palette) {
    if (bpp == 4) {
      imageWidth = width / 4 * 4;  // whole bytes of two pixels, as the rows are read
      rowBytes = static_cast<std::uint32_t>(imageWidth / 2);
    } else {
      rowBytes = static_cast<std::uint32_t>(width);
    }
    for (int y = 0; y < height; ++y) w.Bytes(bitmap.ScanLine(y), rowBytes);
  } else {
    rowBytes = static_cast<std::uint32_t>(width) * 3;
    row.resize(rowBytes);
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* src = bitmap.ScanLine(y);
      if (bpp == 24 || bpp == 32) {
        const int step = bpp / 8;
        for (int x = 0; x < width; ++x) {
          row[x * 3] = src[x * step + 2];
          row[x * 3 + 1] = src[x * step + 1];
          row[x * 3 + 2] = src[x * step];
        }
      } else {
        for (int x = 0; x < width; ++x) {
          const gfx::TColor c = bitmap.PixelColor(x, y);
          row[x * 3] = static_cast<std::uint8_t>(c & 0xFF);
          row[x * 3 + 1] = static_cast<std::uint8_t>((c >> 8) & 0xFF);
          row[x * 3 + 2] = static_cast<std::uint8_t>((c >> 16) & 0xFF);
        }
      }
      w.Bytes(row.data(), rowBytes);
    }
  }
  if (bpp == 1) w.U32(0);  // the pad before a bilevel image's directory

  const std::uint32_t h = static_cast<std::uint32_t>(height);
  dir.push_back({254, kLong, 1, 0});
  dir.push_back({256, kLong, 1, static_cast<std::uint32_t>(imageWidth)});
  dir.push_back({257, kLong, 1, h});
  if (bpp == 1 || palette)
    dir.push_back({258, kShort, 1, static_cast<std::uint32_t>(bpp)});
  else
    dir.push_back({258, kShort, 3, bitsAt});
  dir.push_back({259, kShort, 1, 1});
  dir.push_back({262, kShort, 1, bpp == 1 ? 1u : palette ? 3u : 2u});
  dir.push_back({273, kLong, 1, rowsAt});
  dir.push_back({277, kShort, 1, (bpp == 1 || palette) ? 1u : 3u});
  dir.push_back({278, kLong, 1, h});
  dir.push_back({279, kLong, 1, h * rowBytes});
  dir.push_back({282, kRational, 1, xResAt});
  dir.push_back({283, kRational, 1, yResAt});
  if (!(bpp == 1 || palette)) dir.push_back({284, kShort, 1, 1});
  dir.push_back({296, kShort, 1, 2});
  dir.push_back({305, kAscii, kSoftwareLength, softwareAt});
  if (palette) dir.push_back({320, kShort, 3u * (1u << bpp), colorMapAt});

  // A directory starts on a word boundary.
  if (w.Pos() & 1) {
    const std::uint8_t zero = 0;
    w.Bytes(&zero, 1);
  }
  const std::uint32_t dirAt = w.Offset();
  WriteDirectory(w, dir);
  const std::int64_t end = w.Pos();
  stream.Seek(pointerAt, rtl::soBeginning);
  w.U32(dirAt);
  stream.Seek(end, rtl::soBeginning);
}

}  // namespace

void SaveTiffToStream(rtl::TStream& stream, const gfx::TBitmap& bitmap, bool writeHeader, bool multi,
                      const TfrxTiffPaper& paper) {
  if (!multi) {
    WriteOneImage(stream, bitmap, writeHeader, paper.Resolution);
    return;
  }
  if (!bitmap.HandleAllocated()) return;
  // A tile is one sheet of paper at the picture's own resolution.
  const int dpi = std::max(1, paper.Resolution);
  const int tileW = std::max(1, static_cast<int>(paper.WidthMM / 25.4 * dpi) + 1);
  const int tileH = std::max(1, static_cast<int>(paper.HeightMM / 25.4 * dpi) + 1);
  bool header = writeHeader;
  for (int y = 0; y < bitmap.Height(); y += tileH)
    for (int x = 0; x < bitmap.Width(); x += tileW) {
      const int w = std::min(x + tileW, bitmap.Width()) - x;
      const int h = std::min(y + tileH, bitmap.Height()) - y;
      if (w <= 0 || h <= 0) continue;  // an empty tile would be an invalid directory
      gfx::TBitmap tile(w, h, bitmap.Monochrome() ? gfx::pf1bit : gfx::pf24bit);
      for (int ty = 0; ty < h; ++ty)
        for (int tx = 0; tx < w; ++tx) tile.SetPixelColor(tx, ty, bitmap.PixelColor(x + tx, y + ty));
      WriteOneImage(stream, tile, header, paper.Resolution);
      header = false;
    }
}

}  // namespace report
