#include "platform/gui/imglist.h"

#include "platform/gfx/canvas.h"
#include "platform/rtl/exceptions.h"

namespace gui {

TImageList::TImageList(TComponent* owner, int width, int height) : TComponent(owner), width_(width), height_(height) {}
TImageList::~TImageList() = default;

void TImageList::SetSize(int width, int height) {
  width_ = width;
  height_ = height;
  Clear();
}

void TImageList::Clear() { images_.clear(); }

int TImageList::Add(const gfx::TBitmap& image) { return AddMasked(image, clNone); }

int TImageList::AddMasked(const gfx::TBitmap& image, TColor maskColor) {
  auto img = std::make_unique<Image>();
  img->bitmap.SetPixelFormat(gfx::pf24bit);
  img->bitmap.SetSize(width_, height_);
  img->transparent = maskColor;
  std::vector<std::uint32_t> rgb = image.ToRGB32();
  std::uint32_t mask = maskColor == clNone ? 0xFFFFFFFFu : gfx::ColorToRGB(maskColor);
  // 0x00BBGGRR colours against 0x00RRGGBB pixels.
  std::uint32_t maskPixel =
      mask == 0xFFFFFFFFu ? mask : ((mask & 0xFF) << 16) | (mask & 0xFF00) | ((mask >> 16) & 0xFF);
  std::vector<std::uint32_t> cell(static_cast<std::size_t>(width_) * height_, 0x00FFFFFFu);
  img->argb.assign(cell.size(), 0);
  for (int y = 0; y < height_ && y < image.Height(); ++y)
    for (int x = 0; x < width_ && x < image.Width(); ++x) {
      std::uint32_t p = rgb[static_cast<std::size_t>(y) * image.Width() + x] & 0xFFFFFFu;
      std::size_t i = static_cast<std::size_t>(y) * width_ + x;
      cell[i] = p;
      img->argb[i] = p == maskPixel ? 0u : (p | 0xFF000000u);
    }
  img->bitmap.FromRGB32(cell.data());
  images_.push_back(std::move(img));
  return Count() - 1;
}

void TImageList::Draw(gfx::TCanvas& canvas, int x, int y, int index) const {
  if (index < 0 || index >= Count()) return;
  const Image& img = *images_[static_cast<std::size_t>(index)];
  TRect dest = Bounds(x, y, width_, height_), src = Rect(0, 0, width_, height_);
  if (img.transparent == clNone)
    canvas.DrawBitmap(dest, img.bitmap, src, gfx::cmSrcCopy);
  else
    canvas.DrawBitmapTransparent(dest, img.bitmap, src, img.transparent);
}

const std::vector<std::uint32_t>& TImageList::Pixels(int index) const {
  if (index < 0 || index >= Count()) throw rtl::ERangeError("List index out of bounds (" + std::to_string(index) + ")");
  return images_[static_cast<std::size_t>(index)]->argb;
}

}  // namespace gui
