// TIcon: a Windows icon file for reading and drawing. The file may hold
// several images (bitmaps with a mask, or PNG); the largest is shown unless
// another size is asked for.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/graphic.h"
#include "platform/gfx/ico_format.h"

namespace gfx {

class TIcon : public TGraphic {
 public:
  TIcon() = default;

  std::string ClassName() const override { return "TIcon"; }
  std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TIcon>(); }

  int Width() const override { return image_.width; }
  int Height() const override { return image_.height; }
  // An icon's size is chosen, not set: raises EInvalidGraphicOperation.
  void SetWidth(int) override;
  void SetHeight(int) override;

  // The images of the file (directory order) and the one in use.
  const std::vector<ico::Entry>& Images() const { return entries_; }
  int Current() const { return current_; }
  // Uses the image nearest to the size (0: the largest).
  void SetSize(int size);
  // Pixels of the image in use, top-down, 0xAARRGGBB.
  const ico::Image& Image() const { return image_; }

  // Transparent parts (alpha and mask) let the canvas show through.
  void Draw(TCanvas& canvas, const TRect& rect) const override;
  // Reads an icon file from the position to the end of the stream; damaged
  // data raise EInvalidGraphic and keep the icon as it was.
  void LoadFromStream(rtl::TStream& stream) override;
  // Writes the icon file as it was read.
  void SaveToStream(rtl::TStream& stream) const override;
  void Assign(const TGraphic& source) override;

 private:
  void Use(int index);

  std::string data_;
  std::vector<ico::Entry> entries_;
  int current_ = -1;
  ico::Image image_;
};

}  // namespace gfx
