// The page boxes of one preview workspace, laid out in rows with 10-pixel
// gaps, each row centred in the width available; and the scroll positions of
// a workspace, kept by the workspace itself as 32-bit values.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/gfx/types.h"

namespace preview {

struct TfrxPageItem {
  int Width = 0, Height = 0;
  int X = 0, Y = 0;  // within the workspace's virtual area
};

class TfrxPageList {
 public:
  static constexpr int kGap = 10;

  int Count() const { return static_cast<int>(items_.size()); }
  const TfrxPageItem& GetItems(int index) const { return items_[static_cast<std::size_t>(index)]; }
  void Clear();
  // A box of the page's size in pixels at that zoom.
  void AddPage(int width, int height, long double zoom);
  // Rows as wide as clientWidth allows (at least one box each), centred.
  void CalcBounds(int clientWidth);
  // The page at a point of the virtual area: with x 0 the last page whose
  // top is at most a fifth of its height below y; otherwise the box around
  // the point among the 41 nearest, else that same page. -1 above page 1.
  int FindPage(int y, int x = 0) const;
  // The page's rectangle; an index outside the list gives an A4 box.
  gfx::TRect GetPageBounds(int index, int clientWidth, bool rightToLeft, long double zoom) const;
  // The widest row (with its trailing gap) and the bottom of the last box.
  gfx::TPoint GetMaxBounds() const;
  int MaxWidth() const { return maxWidth_; }

 private:
  std::vector<TfrxPageItem> items_;
  int maxWidth_ = 0;
};

// One direction of a workspace's scrolling: page size, position and range.
class TfrxScrollAxis {
 public:
  enum Command { LineUp, LineDown, PageUp, PageDown, Track, Top, Bottom, EndScroll };
  int Page() const { return page_; }
  int Position() const { return position_; }
  int Range() const { return range_; }
  void SetPage(int value) { page_ = value; }
  void SetRange(int value) { range_ = value; }
  // Clamped into 0..range - page; true when the position changed.
  bool SetPosition(int value);
  // A scroll-bar command with the line and page steps of the workspace.
  bool Scroll(Command command, int lineStep, int pageStep, int trackPosition = 0);
  // What a scroll bar shows as its range (0 when the page exceeds it).
  int BarRange() const { return page_ > range_ ? 0 : range_; }

 private:
  int page_ = 0, position_ = 0, range_ = 0;
};

}  // namespace preview
