#include "export/vuzColorQuantizer.h"

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace report {

namespace {

constexpr int kBits = 5;  // histogram precision per channel
constexpr int kSide = 1 << kBits;

struct Moments {
  double w = 0, r = 0, g = 0, b = 0, sq = 0;
  void Add(const Moments& m) {
    w += m.w;
    r += m.r;
    g += m.g;
    b += m.b;
    sq += m.sq;
  }
  void Sub(const Moments& m) {
    w -= m.w;
    r -= m.r;
    g -= m.g;
    b -= m.b;
    sq -= m.sq;
  }
  // The squared error of the pixels around their mean colour.
  double Error() const { return w > 0 ? std::max(0.0, sq - (r * r + g * g + b * b) / w) : 0; }
};

struct Box {
  std::array<int, 3> lo{}, hi{};  // inclusive histogram cells per channel
  Moments m;
  bool splittable = true;
};

// The picture row by row: row y (0 = top) as 0x00RRGGBB into out.
struct Rows {
  int width = 0, height = 0;
  std::function<const std::uint32_t*(int y, std::uint32_t* buffer)> read;
};

class Histogram {
 public:
  explicit Histogram(const Rows& rows) : cells_(kSide * kSide * kSide) {
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(rows.width));
    for (int y = 0; y < rows.height; ++y) {
      const std::uint32_t* row = rows.read(y, buffer.data());
      for (int x = 0; x < rows.width; ++x) {
        const std::uint32_t p = row[x];
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        Moments& c = cells_[Index(r >> (8 - kBits), g >> (8 - kBits), b >> (8 - kBits))];
        c.w += 1;
        c.r += r;
        c.g += g;
        c.b += b;
        c.sq += double(r) * r + double(g) * g + double(b) * b;
      }
    }
  }

  static int Index(int r, int g, int b) { return (r << (2 * kBits)) | (g << kBits) | b; }

  Moments Sum(const Box& box) const {
    Moments m;
    for (int r = box.lo[0]; r <= box.hi[0]; ++r)
      for (int g = box.lo[1]; g <= box.hi[1]; ++g)
        for (int b = box.lo[2]; b <= box.hi[2]; ++b) m.Add(cells_[Index(r, g, b)]);
    return m;
  }

  // The moments of the box's slices along one axis.
  std::array<Moments, kSide> Project(const Box& box, int axis) const {
    std::array<Moments, kSide> slices{};
    for (int r = box.lo[0]; r <= box.hi[0]; ++r)
      for (int g = box.lo[1]; g <= box.hi[1]; ++g)
        for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
          const int k = axis == 0 ? r : axis == 1 ? g : b;
          slices[k].Add(cells_[Index(r, g, b)]);
        }
    return slices;
  }

 private:
  std::vector<Moments> cells_;
};

// Splits box where the two halves have the least squared error; false when
// it covers a single cell or all its pixels lie in one slice of every axis.
bool Split(const Histogram& h, Box& box, Box& second) {
  double best = std::numeric_limits<double>::infinity();
  int bestAxis = -1, bestCut = 0;
  Moments bestLeft;
  for (int axis = 0; axis < 3; ++axis) {
    if (box.lo[axis] == box.hi[axis]) continue;
    const auto slices = h.Project(box, axis);
    Moments left;
    for (int cut = box.lo[axis]; cut < box.hi[axis]; ++cut) {
      left.Add(slices[cut]);
      Moments right = box.m;
      right.Sub(left);
      if (left.w <= 0 || right.w <= 0) continue;
      const double cost = left.Error() + right.Error();
      if (cost < best) {
        best = cost;
        bestAxis = axis;
        bestCut = cut;
        bestLeft = left;
      }
    }
  }
  if (bestAxis < 0) return false;
  second = box;
  box.hi[bestAxis] = bestCut;
  second.lo[bestAxis] = bestCut + 1;
  second.m = box.m;
  second.m.Sub(bestLeft);
  box.m = bestLeft;
  return true;
}

gfx::TRGBQuad Mean(const Moments& m) {
  auto c = [&](double v) { return static_cast<std::uint8_t>(std::clamp(v / m.w + 0.5, 0.0, 255.0)); };
  return {c(m.b), c(m.g), c(m.r), 0};
}

std::uint32_t XRGB(const gfx::TRGBQuad& q) {
  return (std::uint32_t(q.rgbRed) << 16) | (std::uint32_t(q.rgbGreen) << 8) | q.rgbBlue;
}

// Exactly the colours of the picture, when there are few enough of them.
bool ExactPalette(const Rows& rows, int maxColors, std::vector<gfx::TRGBQuad>& palette) {
  std::unordered_set<std::uint32_t> seen;
  std::vector<std::uint32_t> buffer(static_cast<std::size_t>(rows.width));
  std::uint32_t last = 0xFFFFFFFF;
  for (int y = 0; y < rows.height; ++y) {
    const std::uint32_t* row = rows.read(y, buffer.data());
    for (int x = 0; x < rows.width; ++x) {
      const std::uint32_t p = row[x] & 0xFFFFFF;
      if (p == last) continue;
      last = p;
      if (seen.insert(p).second) {
        if (static_cast<int>(seen.size()) > maxColors) return false;
        palette.push_back({static_cast<std::uint8_t>(p & 0xFF), static_cast<std::uint8_t>((p >> 8) & 0xFF),
                           static_cast<std::uint8_t>(p >> 16), 0});
      }
    }
  }
  return true;
}

std::vector<gfx::TRGBQuad> MedianCutPalette(const Rows& rows, int maxColors) {
  const Histogram h(rows);
  std::vector<Box> boxes(1);
  boxes[0].lo = {0, 0, 0};
  boxes[0].hi = {kSide - 1, kSide - 1, kSide - 1};
  boxes[0].m = h.Sum(boxes[0]);
  while (static_cast<int>(boxes.size()) < maxColors) {
    // The box with the largest error is split next.
    int pick = -1;
    double worst = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i)
      if (boxes[i].splittable && boxes[i].m.Error() > worst) {
        worst = boxes[i].m.Error();
        pick = static_cast<int>(i);
      }
    if (pick < 0) break;
    Box second;
    if (Split(h, boxes[static_cast<std::size_t>(pick)], second))
      boxes.push_back(second);
    else
      boxes[static_cast<std::size_t>(pick)].splittable = false;
  }
  std::vector<gfx::TRGBQuad> palette;
  for (const Box& b : boxes)
    if (b.m.w > 0) palette.push_back(Mean(b.m));
  return palette;
}

// The nearest palette entry of a colour: exact entries by a table, others
// through a cache over 6 bits per channel.
class NearestEntry {
 public:
  explicit NearestEntry(const std::vector<gfx::TRGBQuad>& palette) : palette_(palette), cache_(1 << 18, -1) {
    for (std::size_t i = 0; i < palette.size(); ++i) exact_.emplace(XRGB(palette[i]), static_cast<std::uint8_t>(i));
  }

  void MapRow(const std::uint32_t* row, int n, std::uint8_t* out) {
    for (int x = 0; x < n; ++x) {
      const std::uint32_t p = row[x] & 0xFFFFFF;
      if (p != last_) {
        last_ = p;
        lastIndex_ = Index(p);
      }
      out[x] = lastIndex_;
    }
  }

 private:
  std::uint8_t Index(std::uint32_t p) {
    if (auto it = exact_.find(p); it != exact_.end()) return it->second;
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    const int key = ((r >> 2) << 12) | ((g >> 2) << 6) | (b >> 2);
    if (cache_[static_cast<std::size_t>(key)] < 0) {
      // The centre of the cell stands for every colour in it.
      const int cr = (r & ~3) | 2, cg = (g & ~3) | 2, cb = (b & ~3) | 2;
      long bestD = std::numeric_limits<long>::max();
      int best = 0;
      for (std::size_t k = 0; k < palette_.size(); ++k) {
        const auto& q = palette_[k];
        const long dr = q.rgbRed - cr, dg = q.rgbGreen - cg, db = q.rgbBlue - cb;
        const long d = dr * dr + dg * dg + db * db;
        if (d < bestD) {
          bestD = d;
          best = static_cast<int>(k);
        }
      }
      cache_[static_cast<std::size_t>(key)] = static_cast<std::int16_t>(best);
    }
    return static_cast<std::uint8_t>(cache_[static_cast<std::size_t>(key)]);
  }

  const std::vector<gfx::TRGBQuad>& palette_;
  std::unordered_map<std::uint32_t, std::uint8_t> exact_;
  std::vector<std::int16_t> cache_;
  std::uint32_t last_ = 0xFFFFFFFF;
  std::uint8_t lastIndex_ = 0;
};

std::vector<gfx::TRGBQuad> MakePalette(const Rows& rows, int maxColors) {
  std::vector<gfx::TRGBQuad> palette;
  if (!ExactPalette(rows, maxColors, palette)) palette = MedianCutPalette(rows, maxColors);
  return palette;
}

}  // namespace

TQuantizedPicture vuzQuantizeColors(const std::uint32_t* pixels, std::size_t count, int maxColors) {
  maxColors = std::clamp(maxColors, 2, 256);
  // The pixels as one row.
  const Rows rows{static_cast<int>(count), count > 0 ? 1 : 0, [pixels](int, std::uint32_t*) { return pixels; }};
  TQuantizedPicture out;
  out.Palette = MakePalette(rows, maxColors);
  out.Indices.resize(count);
  if (count > 0) NearestEntry(out.Palette).MapRow(pixels, static_cast<int>(count), out.Indices.data());
  return out;
}

void vuzConvertTo8Bit(gfx::TBitmap& bitmap) {
  if (bitmap.PixelFormat() == gfx::pf8bit) return;
  const int w = bitmap.Width(), h = bitmap.Height();
  if (w <= 0 || h <= 0) {
    bitmap.SetPixelFormat(gfx::pf8bit);
    return;
  }
  // 24- and 32-bit rows are read in place; other depths go through one copy.
  const gfx::TBitmap& source = bitmap;
  const gfx::TPixelFormat format = source.PixelFormat();
  std::vector<std::uint32_t> copy;
  if (format != gfx::pf24bit && format != gfx::pf32bit) copy = source.ToRGB32();
  const Rows rows{w, h, [&](int y, std::uint32_t* buffer) -> const std::uint32_t* {
                    if (!copy.empty()) return copy.data() + static_cast<std::size_t>(y) * w;
                    const std::uint8_t* p = source.ScanLine(y);
                    const int step = format == gfx::pf32bit ? 4 : 3;
                    for (int x = 0; x < w; ++x, p += step)
                      buffer[x] = (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
                    return buffer;
                  }};
  std::vector<gfx::TRGBQuad> palette = MakePalette(rows, 256);
  gfx::TBitmap reduced(w, h, gfx::pf8bit);
  {
    NearestEntry nearest(palette);
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) nearest.MapRow(rows.read(y, buffer.data()), w, reduced.ScanLine(y));
  }
  palette.resize(256);
  reduced.SetPalette(palette);
  // Assign copies the transparency too: keep the bitmap's own.
  const bool transparent = bitmap.Transparent();
  const auto mode = bitmap.TransparentMode();
  const gfx::TColor color = bitmap.TransparentColor();
  bitmap.Assign(reduced);
  bitmap.SetTransparent(transparent);
  if (mode == gfx::TBitmap::tmFixed)
    bitmap.SetTransparentColor(color);
  else
    bitmap.SetTransparentMode(mode);
}

}  // namespace report
