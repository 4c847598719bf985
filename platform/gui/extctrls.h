// Timers, shapes (the link lamp), paint boxes, images, splitters and bevels.
#pragma once
#include <memory>

#include "platform/gfx/bitmap.h"
#include "platform/gui/controls.h"

class QTimer;

namespace gui {

// Fires OnTimer every Interval milliseconds while Enabled. The handler may
// change Interval (the next tick follows the new interval) or disable the
// timer; a nested ProcessMessages inside the handler may run it again.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool e);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);
  TNotifyEvent OnTimer;

 private:
  void Restart();
  bool enabled_ = true;
  unsigned interval_ = 1000;
  QTimer* timer_ = nullptr;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TControl {
 public:
  explicit TShape(TComponent* owner);
  TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType s);
  TColor BrushColor() const { return brush_; }
  void SetBrushColor(TColor c);
  TColor PenColor() const { return pen_; }
  void SetPenColor(TColor c);
  bool ClickOnMouseUp() const override { return true; }

 private:
  TShapeType shape_ = stRectangle;
  TColor brush_ = clWhite, pen_ = clBlack;
};

// A control that draws its content through OnPaint on Canvas(); it takes
// no focus.
class TPaintBox : public TCustomControl {
 public:
  explicit TPaintBox(TComponent* owner);
};

enum TScrollBarKind { sbHorizontal, sbVertical };

class TScrollBar : public TControl {
 public:
  explicit TScrollBar(TComponent* owner);
  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind k);
  int Min() const;
  void SetMin(int v);
  int Max() const;
  void SetMax(int v);
  int Position() const;
  // Runs OnChange when the position changes, by code or by the user.
  void SetPosition(int v);
  int PageSize() const;
  void SetPageSize(int v);
  int SmallChange() const;
  void SetSmallChange(int v);
  int LargeChange() const;
  void SetLargeChange(int v);
  TNotifyEvent OnChange;

 private:
  void ApplyRange();
  TScrollBarKind kind_ = sbHorizontal;
  int min_ = 0, max_ = 100, page_ = 0;
};

// Shows a picture: a bitmap drawn on in code, a graphic (bitmap, metafile)
// or a picture file.
class TImage : public TControl {
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;
  // Loads a picture file (PNG, BMP, JPEG); false when it cannot be read.
  bool LoadFromFile(const AnsiString& fileName);
  // The picture; draw on Picture().Canvas() and call Invalidate.
  gfx::TBitmap& Picture();
  // Takes a copy of a graphic (a metafile is drawn over white at its size).
  void SetGraphic(const gfx::TGraphic& graphic);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool s);
  bool Center() const { return center_; }
  void SetCenter(bool c);
  bool ClickOnMouseUp() const override { return true; }

 private:
  std::unique_ptr<gfx::TBitmap> picture_;
  bool stretch_ = false, center_ = false;
};

// Drags the border between the aligned control before it and the rest.
class TSplitter : public TControl {
 public:
  explicit TSplitter(TComponent* owner);
  int MinSize() const { return minSize_; }
  void SetMinSize(int m) { minSize_ = m; }
  // Moves the split by delta pixels, as a drag would.
  void MoveBy(int delta);
  TNotifyEvent OnMoved;

 private:
  TControl* Neighbour() const;
  int minSize_ = 30;
};

class TBevel : public TControl {
 public:
  explicit TBevel(TComponent* owner);
};

}  // namespace gui
