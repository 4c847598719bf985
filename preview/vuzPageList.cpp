#include "preview/vuzPageList.h"

#include <algorithm>
#include <cmath>

#include "preview/vuzPreviewObjects.h"

namespace preview {

void TfrxPageList::Clear() {
  items_.clear();
  maxWidth_ = 0;
}

void TfrxPageList::AddPage(int width, int height, long double zoom) {
  items_.push_back({vuzRoundClamped(width * zoom), vuzRoundClamped(height * zoom), 0, 0});
}

void TfrxPageList::CalcBounds(int clientWidth) {
  maxWidth_ = 0;
  int y = kGap;
  std::size_t i = 0;
  while (i < items_.size()) {
    int rowWidth = 0, rowHeight = 0;
    std::size_t j = i;
    for (; j < items_.size(); ++j) {
      TfrxPageItem& box = items_[j];
      if (rowWidth > 0 && rowWidth + box.Width > clientWidth) break;
      box.X = rowWidth;
      box.Y = y;
      rowWidth += box.Width + kGap;
      rowHeight = std::max(rowHeight, box.Height);
    }
    maxWidth_ = std::max(maxWidth_, rowWidth);
    const int shift = std::max(0, (clientWidth - rowWidth + kGap) / 2) + kGap;
    for (std::size_t k = i; k < j; ++k) items_[k].X += shift;
    y += rowHeight + kGap;
    i = j;
  }
}

int TfrxPageList::FindPage(int y, int x) const {
  int lo = 0, hi = Count() - 1;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const int slack = x != 0 ? 0 : static_cast<int>(std::nearbyint(GetItems(mid).Height / 5.0));
    if (GetItems(mid).Y > static_cast<long long>(y) + slack)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  if (x == 0) return hi;
  for (int i = std::max(0, hi - 20); i <= std::min(Count() - 1, hi + 20); ++i) {
    const TfrxPageItem& b = GetItems(i);
    if (gfx::TRect{b.X, b.Y, b.X + b.Width, b.Y + b.Height}.Contains(x, y)) return i;
  }
  return hi;
}

gfx::TRect TfrxPageList::GetPageBounds(int index, int clientWidth, bool rightToLeft, long double zoom) const {
  if (index < 0 || index >= Count()) {
    const long double w = 794 * zoom;
    const int left = clientWidth >= w ? vuzRoundClamped((clientWidth - w) / 2) : 10;
    const int top = vuzRoundClamped(10 * zoom);
    return {left, top, left + vuzRoundClamped(w), top + vuzRoundClamped(1123 * zoom)};
  }
  const TfrxPageItem& b = GetItems(index);
  const int left = rightToLeft ? clientWidth - b.Width - b.X : b.X;
  return {left, b.Y, left + b.Width, b.Y + b.Height};
}

gfx::TPoint TfrxPageList::GetMaxBounds() const {
  if (items_.empty()) return {0, 0};
  return {maxWidth_, items_.back().Y + items_.back().Height};
}

bool TfrxScrollAxis::SetPosition(int value) {
  value = std::max(0, std::min(value, range_ - page_));
  if (value == position_) return false;
  position_ = value;
  return true;
}

bool TfrxScrollAxis::Scroll(Command command, int lineStep, int pageStep, int trackPosition) {
  switch (command) {
    case LineUp: return SetPosition(position_ - lineStep);
    case LineDown: return SetPosition(position_ + lineStep);
    case PageUp: return SetPosition(position_ - pageStep);
    case PageDown: return SetPosition(position_ + pageStep);
    case Track: return SetPosition(trackPosition);
    case Top: return SetPosition(0);
    case Bottom: return SetPosition(range_);
    case EndScroll: return false;
  }
  return false;
}

}  // namespace preview
