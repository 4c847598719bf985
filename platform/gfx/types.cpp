#include "platform/gfx/types.h"

namespace gfx {

namespace {

// Pieces of a that lie outside b (at most four).
void SubtractInto(const TRect& a, const TRect& b, std::vector<TRect>& out) {
  TRect i = IntersectRect(a, b);
  if (i.IsEmpty()) {
    out.push_back(a);
    return;
  }
  if (a.Top < i.Top) out.push_back({a.Left, a.Top, a.Right, i.Top});
  if (i.Bottom < a.Bottom) out.push_back({a.Left, i.Bottom, a.Right, a.Bottom});
  if (a.Left < i.Left) out.push_back({a.Left, i.Top, i.Left, i.Bottom});
  if (i.Right < a.Right) out.push_back({i.Right, i.Top, a.Right, i.Bottom});
}

long long Area(const std::vector<TRect>& rects) {
  long long s = 0;
  for (const auto& r : rects) s += static_cast<long long>(r.Width()) * r.Height();
  return s;
}

}  // namespace

TRect TRegion::Bounds() const {
  TRect b;
  for (const auto& r : rects_) b = UnionRect(b, r);
  return b;
}

bool TRegion::Contains(int x, int y) const {
  for (const auto& r : rects_)
    if (r.Contains(x, y)) return true;
  return false;
}

bool TRegion::Intersects(const TRect& r) const {
  for (const auto& q : rects_)
    if (RectsIntersect(q, r)) return true;
  return false;
}

void TRegion::Intersect(const TRect& r) {
  std::vector<TRect> out;
  for (const auto& q : rects_) {
    TRect i = IntersectRect(q, r);
    if (!i.IsEmpty()) out.push_back(i);
  }
  rects_ = std::move(out);
}

void TRegion::Intersect(const TRegion& other) {
  std::vector<TRect> out;
  for (const auto& q : rects_)
    for (const auto& r : other.rects_) {
      TRect i = IntersectRect(q, r);
      if (!i.IsEmpty()) out.push_back(i);
    }
  rects_ = std::move(out);
}

void TRegion::Subtract(const TRect& r) {
  if (r.IsEmpty()) return;
  std::vector<TRect> out;
  for (const auto& q : rects_) SubtractInto(q, r, out);
  rects_ = std::move(out);
}

void TRegion::Unite(const TRect& r) {
  if (r.IsEmpty()) return;
  // Keep the rectangles disjoint: add only what the region lacks.
  std::vector<TRect> pieces{r};
  for (const auto& q : rects_) {
    std::vector<TRect> next;
    for (const auto& p : pieces) SubtractInto(p, q, next);
    pieces = std::move(next);
    if (pieces.empty()) return;
  }
  rects_.insert(rects_.end(), pieces.begin(), pieces.end());
}

void TRegion::Unite(const TRegion& other) {
  for (const auto& r : other.rects_) Unite(r);
}

void TRegion::Offset(int dx, int dy) {
  for (auto& r : rects_) r = r.Offset(dx, dy);
}

bool TRegion::SameArea(const TRegion& other) const {
  TRegion common = *this;
  common.Intersect(other);
  long long c = Area(common.rects_);
  return c == Area(rects_) && c == Area(other.rects_);
}

}  // namespace gfx
