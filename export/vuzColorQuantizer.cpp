#include "export/vuzColorQuantizer.h"

#include <algorithm>
#include <array>
#include <limits>
#include <unordered_map>

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

class Histogram {
 public:
  explicit Histogram(const std::uint32_t* pixels, std::size_t count) : cells_(kSide * kSide * kSide) {
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint32_t p = pixels[i];
      const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      Moments& c = cells_[Index(r >> (8 - kBits), g >> (8 - kBits), b >> (8 - kBits))];
      c.w += 1;
      c.r += r;
      c.g += g;
      c.b += b;
      c.sq += double(r) * r + double(g) * g + double(b) * b;
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
bool ExactPalette(const std::uint32_t* pixels, std::size_t count, int maxColors, TQuantizedPicture& out) {
  std::unordered_map<std::uint32_t, std::uint8_t> seen;
  out.Indices.resize(count);
  std::uint32_t last = 0xFFFFFFFF;
  std::uint8_t lastIndex = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t p = pixels[i] & 0xFFFFFF;
    if (p != last) {
      auto [it, added] = seen.emplace(p, static_cast<std::uint8_t>(seen.size() & 0xFF));
      if (added) {
        if (static_cast<int>(seen.size()) > maxColors) return false;
        out.Palette.push_back({static_cast<std::uint8_t>(p & 0xFF), static_cast<std::uint8_t>((p >> 8) & 0xFF),
                               static_cast<std::uint8_t>(p >> 16), 0});
      }
      last = p;
      lastIndex = it->second;
    }
    out.Indices[i] = lastIndex;
  }
  return true;
}

// The nearest palette entry of each pixel: exact entries by a table, others
// through a cache over 6 bits per channel.
void MapPixels(const std::uint32_t* pixels, std::size_t count, TQuantizedPicture& out) {
  std::unordered_map<std::uint32_t, std::uint8_t> exact;
  for (std::size_t i = 0; i < out.Palette.size(); ++i)
    exact.emplace(XRGB(out.Palette[i]), static_cast<std::uint8_t>(i));
  std::vector<std::int16_t> cache(1 << 18, -1);
  out.Indices.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t p = pixels[i] & 0xFFFFFF;
    if (auto it = exact.find(p); it != exact.end()) {
      out.Indices[i] = it->second;
      continue;
    }
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    const int key = ((r >> 2) << 12) | ((g >> 2) << 6) | (b >> 2);
    if (cache[key] < 0) {
      // The centre of the cell stands for every colour in it.
      const int cr = (r & ~3) | 2, cg = (g & ~3) | 2, cb = (b & ~3) | 2;
      long bestD = std::numeric_limits<long>::max();
      int best = 0;
      for (std::size_t k = 0; k < out.Palette.size(); ++k) {
        const auto& q = out.Palette[k];
        const long dr = q.rgbRed - cr, dg = q.rgbGreen - cg, db = q.rgbBlue - cb;
        const long d = dr * dr + dg * dg + db * db;
        if (d < bestD) {
          bestD = d;
          best = static_cast<int>(k);
        }
      }
      cache[key] = static_cast<std::int16_t>(best);
    }
    out.Indices[i] = static_cast<std::uint8_t>(cache[key]);
  }
}

}  // namespace

TQuantizedPicture vuzQuantizeColors(const std::uint32_t* pixels, std::size_t count, int maxColors) {
  maxColors = std::clamp(maxColors, 2, 256);
  TQuantizedPicture out;
  if (ExactPalette(pixels, count, maxColors, out)) return out;
  out = {};

  const Histogram h(pixels, count);
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
  for (const Box& b : boxes)
    if (b.m.w > 0) out.Palette.push_back(Mean(b.m));
  MapPixels(pixels, count, out);
  return out;
}

void vuzConvertTo8Bit(gfx::TBitmap& bitmap) {
  if (bitmap.PixelFormat() == gfx::pf8bit) return;
  const int w = bitmap.Width(), h = bitmap.Height();
  if (w <= 0 || h <= 0) {
    bitmap.SetPixelFormat(gfx::pf8bit);
    return;
  }
  const std::vector<std::uint32_t> pixels = bitmap.ToRGB32();
  TQuantizedPicture q = vuzQuantizeColors(pixels.data(), pixels.size(), 256);
  gfx::TBitmap reduced(w, h, gfx::pf8bit);
  q.Palette.resize(256);
  reduced.SetPalette(q.Palette);
  for (int y = 0; y < h; ++y) std::copy_n(q.Indices.data() + std::size_t(y) * w, w, reduced.ScanLine(y));
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
