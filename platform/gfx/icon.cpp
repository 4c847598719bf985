#include "platform/gfx/icon.h"

#include <algorithm>

#include "platform/gfx/bitmap.h"

namespace gfx {

void TIcon::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }
void TIcon::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::Use(int index) {
  image_ = ico::DecodeEntry(data_, entries_.at(static_cast<std::size_t>(index)));
  current_ = index;
}

void TIcon::SetSize(int size) {
  int index = ico::ChooseEntry(entries_, size);
  if (index < 0 || index == current_) return;
  Use(index);
  Changed();
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect) const {
  const int w = image_.width, h = image_.height;
  if (w <= 0 || h <= 0 || rect.IsEmpty()) return;
  bool opaque = std::all_of(image_.argb.begin(), image_.argb.end(), [](std::uint32_t p) { return (p >> 24) == 0xFF; });
  std::vector<std::uint32_t> rgb(image_.argb.size());
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = image_.argb[i] & 0xFFFFFF;
  TBitmap bmp(w, h, pf24bit);
  if (opaque) {
    bmp.FromRGB32(rgb.data());
    canvas.DrawBitmap(rect, bmp, Rect(0, 0, w, h), cmSrcCopy);
    return;
  }
  // Blend over what the canvas shows, where its pixels can be read.
  TRect dest = rect.Normalized();
  TBitmap ground;
  if (canvas.ReadPixels(dest, ground) && ground.Width() == dest.Width() && ground.Height() == dest.Height()) {
    std::vector<std::uint32_t> back = ground.ToRGB32();
    const int dw = dest.Width(), dh = dest.Height();
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) {
        std::uint32_t p = image_.argb[std::size_t(y * h / dh) * w + std::size_t(x * w / dw)];
        std::uint32_t a = p >> 24, b = back[std::size_t(y) * dw + x], out = 0;
        for (int s = 0; s < 24; s += 8) {
          std::uint32_t c = (((p >> s) & 0xFF) * a + ((b >> s) & 0xFF) * (255 - a) + 127) / 255;
          out |= c << s;
        }
        back[std::size_t(y) * dw + x] = out;
      }
    TBitmap blended(dw, dh, pf24bit);
    blended.FromRGB32(back.data());
    canvas.DrawBitmap(dest, blended, Rect(0, 0, dw, dh), cmSrcCopy);
    return;
  }
  // Elsewhere (metafiles, recordings) half-transparent counts as transparent,
  // marked with a colour the picture does not use.
  std::uint32_t key = 0xFF00FE;
  while (std::any_of(rgb.begin(), rgb.end(), [&](std::uint32_t c) { return c == key; })) --key;
  for (std::size_t i = 0; i < rgb.size(); ++i)
    if ((image_.argb[i] >> 24) < 128) rgb[i] = key;
  bmp.FromRGB32(rgb.data());
  // FromRGB32 takes 0x00RRGGBB; a TColor is 0x00BBGGRR.
  TColor keyColor = static_cast<TColor>(((key & 0xFF) << 16) | (key & 0xFF00) | ((key >> 16) & 0xFF));
  canvas.DrawBitmapTransparent(rect, bmp, Rect(0, 0, w, h), keyColor);
}

void TIcon::LoadFromStream(rtl::TStream& stream) {
  std::int64_t start = stream.Position();
  std::string data(static_cast<std::size_t>(std::max<std::int64_t>(stream.Size() - start, 0)), '\0');
  if (!data.empty()) stream.ReadBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  try {
    std::vector<ico::Entry> entries = ico::ReadDirectory(data);
    int index = ico::ChooseEntry(entries, 0);
    if (index < 0) throw EInvalidGraphic("Icon file holds no image");
    ico::Image image = ico::DecodeEntry(data, entries[static_cast<std::size_t>(index)]);
    data_ = std::move(data);
    entries_ = std::move(entries);
    current_ = index;
    image_ = std::move(image);
  } catch (...) {
    stream.SetPosition(start);
    throw;
  }
  Changed();
}

void TIcon::SaveToStream(rtl::TStream& stream) const {
  stream.WriteBuffer(data_.data(), static_cast<std::int64_t>(data_.size()));
}

void TIcon::Assign(const TGraphic& source) {
  if (&source == this) return;
  if (const auto* icon = dynamic_cast<const TIcon*>(&source)) {
    data_ = icon->data_;
    entries_ = icon->entries_;
    current_ = icon->current_;
    image_ = icon->image_;
    SetTransparent(icon->Transparent());
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

}  // namespace gfx
