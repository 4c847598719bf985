#include <QImage>

#include "platform/gui/canvas_delegate_p.h"
#include "platform/gui/qt_bridge_p.h"

namespace gui::detail {

void CanvasDelegate::paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& index) const {
  if (!draw) {
    QStyledItemDelegate::paint(p, o, index);
    return;
  }
  int w = o.rect.width(), h = o.rect.height();
  if (w <= 0 || h <= 0) return;
  gfx::TBitmap& b = *bitmap_;
  if (b.Width() != w || b.Height() != h) b.SetSize(w, h);
  unsigned state = 0;
  if (o.state & QStyle::State_Selected) state |= odSelected;
  if (o.state & QStyle::State_HasFocus) state |= odFocused;
  if (!(o.state & QStyle::State_Enabled)) state |= odDisabled;
  gfx::TCanvas& c = b.Canvas();
  // As the owner-draw handlers expect: the item's background and text
  // colours are set and the background filled.
  bool selected = state & odSelected;
  c.Brush().SetColor(selected ? clHighlight : clWindow);
  c.Font().SetColor(selected ? clHighlightText : clWindowText);
  c.FillRect(Rect(0, 0, w, h));
  bool drawn = false;
  Guarded([&] { drawn = draw(c, index, Rect(0, 0, w, h), state); });
  if (!drawn) {
    QStyledItemDelegate::paint(p, o, index);
    return;
  }
  std::vector<std::uint32_t> px = b.ToRGB32();
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
    for (int x = 0; x < w; ++x) row[x] = px[static_cast<std::size_t>(y) * w + x] | 0xFF000000u;
  }
  p->drawImage(o.rect.topLeft(), img);
}

}  // namespace gui::detail
