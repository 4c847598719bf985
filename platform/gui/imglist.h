// Image lists: pictures of one size, addressed by index, for toolbars and
// menus. An image added with a mask colour is transparent where it has it.
#pragma once
#include <memory>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gui/component.h"

namespace gui {

class TImageList : public TComponent {
 public:
  explicit TImageList(TComponent* owner, int width = 16, int height = 16);
  ~TImageList() override;
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Changing the size empties the list.
  void SetSize(int width, int height);
  int Count() const { return static_cast<int>(images_.size()); }
  // Adds a picture (cut or padded to the list's size); answers its index.
  int Add(const gfx::TBitmap& image);
  // The same, transparent where the picture has maskColor.
  int AddMasked(const gfx::TBitmap& image, TColor maskColor);
  void Clear();
  // Draws picture index at (x, y), leaving its transparent pixels alone.
  void Draw(gfx::TCanvas& canvas, int x, int y, int index) const;
  // Picture index as 0xAARRGGBB pixels (premultiplied), row by row.
  const std::vector<std::uint32_t>& Pixels(int index) const;

 private:
  struct Image {
    gfx::TBitmap bitmap;
    TColor transparent = clNone;
    std::vector<std::uint32_t> argb;
  };
  int width_, height_;
  std::vector<std::unique_ptr<Image>> images_;
};

}  // namespace gui
