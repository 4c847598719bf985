#include "report/vuzGraphicUtils.h"

namespace report {

int TfrxImageList::AddMasked(const gfx::TBitmap& bitmap, gfx::TColor maskColor) {
  auto copy = std::make_unique<gfx::TBitmap>();
  copy->Assign(bitmap);
  images_.push_back({std::move(copy), maskColor});
  return Count() - 1;
}

void TfrxImageList::Draw(gfx::TCanvas& canvas, int x, int y, int index) const {
  const Entry& e = images_.at(static_cast<std::size_t>(index));
  const gfx::TRect all = gfx::Rect(0, 0, e.bitmap->Width(), e.bitmap->Height());
  canvas.DrawBitmapTransparent(all.Offset(x, y), *e.bitmap, all, e.mask);
}

void vuzDrawGraphic(gfx::TCanvas& canvas, const gfx::TRect& rect, gfx::TGraphic* graphic, bool printing,
                    bool highQuality, bool transparent, gfx::TColor transparentColor) {
  canvas.Brush().SetColor(gfx::clWhite);
  if (!graphic || graphic->Empty()) return;
  auto* bitmap = dynamic_cast<gfx::TBitmap*>(graphic);
  const bool metafile = graphic->ClassName() == "TMetafile";
  if (metafile || (!printing && !highQuality && (!transparent || bitmap))) {
    graphic->SetTransparent(transparent);
    if (bitmap && transparent)
      canvas.DrawBitmapTransparent(rect, *bitmap, gfx::Rect(0, 0, bitmap->Width(), bitmap->Height()), transparentColor);
    else
      canvas.StretchDraw(rect, *graphic);
    return;
  }
  // Pictures that cannot stretch themselves well go through a bitmap of their
  // own size first.
  gfx::TBitmap work(graphic->Width(), graphic->Height(), printing ? gfx::pf32bit : gfx::pf24bit);
  work.Canvas().Draw(0, 0, *graphic);
  const gfx::TRect all = gfx::Rect(0, 0, work.Width(), work.Height());
  if (transparent)
    canvas.DrawBitmapTransparent(rect, work, all, transparentColor);
  else
    canvas.DrawBitmap(rect, work, all, gfx::cmSrcCopy);
}

void vuzDrawTransparent(gfx::TCanvas& canvas, int x, int y, const gfx::TBitmap* bitmap) {
  if (!bitmap || bitmap->Empty()) return;
  const gfx::TRect all = gfx::Rect(0, 0, bitmap->Width(), bitmap->Height());
  canvas.DrawBitmapTransparent(all.Offset(x, y), *bitmap, all, bitmap->TransparentColor());
}

void vuzAssignImages(const gfx::TBitmap& bitmap, int cellWidth, int cellHeight, TfrxImageList& first,
                     TfrxImageList* second) {
  if (cellWidth <= 0 || cellHeight <= 0 || bitmap.Empty()) return;
  gfx::TBitmap cell(cellWidth, cellHeight, gfx::pf24bit);
  // The lower-left pixel of a cell is its transparent colour.
  auto take = [&](int x, int y, TfrxImageList& list) {
    const gfx::TRect r = gfx::Rect(0, 0, cellWidth, cellHeight);
    cell.Canvas().DrawBitmap(r, bitmap, r.Offset(x, y), gfx::cmSrcCopy);
    list.AddMasked(cell, cell.PixelColor(0, cellHeight - 1));
  };
  int x = 0, y = 0;
  while (y < bitmap.Height()) {
    take(x, y, first);
    if (second) {
      x += cellWidth;
      if (x >= bitmap.Width()) {
        x = 0;
        y += cellHeight;
        if (y >= bitmap.Height()) break;
      }
      take(x, y, *second);
    }
    x += cellWidth;
    if (x >= bitmap.Width()) {
      x = 0;
      y += cellHeight;
    }
  }
}

}  // namespace report
