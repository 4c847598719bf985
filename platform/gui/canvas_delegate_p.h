// Platform-internal: owner drawing of list items and grid cells. The item is
// drawn on a bitmap of its size through the graphics layer's canvas (with the
// selection colours already filled in) and then shown in place.
#pragma once
#include <QPainter>
#include <QStyledItemDelegate>
#include <functional>
#include <memory>

#include "platform/gfx/bitmap.h"
#include "platform/gui/types.h"

namespace gui::detail {

// What the owner-draw handler is told about an item.
enum TOwnerDrawFlag : unsigned { odSelected = 1, odFocused = 2, odDisabled = 4 };

class CanvasDelegate : public QStyledItemDelegate {
 public:
  using Drawer = std::function<bool(gfx::TCanvas& canvas, const QModelIndex& index, TRect rect, unsigned state)>;
  explicit CanvasDelegate(QObject* parent) : QStyledItemDelegate(parent), bitmap_(std::make_unique<gfx::TBitmap>()) {
    bitmap_->SetPixelFormat(gfx::pf32bit);
  }
  // Answers false to let the item be drawn as usual.
  Drawer draw;
  int fixedHeight = 0;
  // The canvas of the item being drawn (valid inside draw).
  gfx::TCanvas& Canvas() { return bitmap_->Canvas(); }

  void paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& o, const QModelIndex& index) const override {
    QSize s = QStyledItemDelegate::sizeHint(o, index);
    if (fixedHeight > 0) s.setHeight(fixedHeight);
    return s;
  }

 private:
  std::unique_ptr<gfx::TBitmap> bitmap_;
};

}  // namespace gui::detail
