// Integer device geometry: points, sizes, rectangles and rectangle regions.
// Rectangles follow the device convention the drawing code relies on: left and
// top are inside, right and bottom are one past the last pixel.
#pragma once
#include <algorithm>
#include <vector>

namespace gfx {

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  // Clamped to the int range, so extreme rectangles cannot overflow.
  int Width() const { return Span(Left, Right); }
  int Height() const { return Span(Top, Bottom); }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  TRect Offset(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
  // The rectangle with left <= right and top <= bottom.
  TRect Normalized() const {
    return {std::min(Left, Right), std::min(Top, Bottom), std::max(Left, Right), std::max(Top, Bottom)};
  }
  friend bool operator==(const TRect&, const TRect&) = default;

 private:
  static int Span(int a, int b) {
    const long long d = static_cast<long long>(b) - a;
    return static_cast<int>(std::clamp<long long>(d, -2147483647LL - 1, 2147483647LL));
  }
};

inline TPoint Point(int x, int y) { return {x, y}; }
inline TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

// The common part; an empty rectangle (all zero) when they do not meet.
inline TRect IntersectRect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
  return r.IsEmpty() ? TRect{} : r;
}
inline bool RectsIntersect(const TRect& a, const TRect& b) { return !IntersectRect(a, b).IsEmpty(); }
// The smallest rectangle holding both; an empty one counts as absent.
inline TRect UnionRect(const TRect& a, const TRect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

// A set of pixels made of disjoint rectangles: the clip region of a canvas.
class TRegion {
 public:
  TRegion() = default;
  explicit TRegion(const TRect& r) {
    if (!r.IsEmpty()) rects_.push_back(r);
  }

  bool IsEmpty() const { return rects_.empty(); }
  const std::vector<TRect>& Rects() const { return rects_; }
  TRect Bounds() const;
  bool Contains(int x, int y) const;
  bool Intersects(const TRect& r) const;

  void Intersect(const TRect& r);
  void Intersect(const TRegion& other);
  void Subtract(const TRect& r);
  void Unite(const TRect& r);
  void Unite(const TRegion& other);
  void Offset(int dx, int dy);

  // Same pixel set (the rectangles may be cut differently).
  bool SameArea(const TRegion& other) const;

 private:
  std::vector<TRect> rects_;
};

}  // namespace gfx
