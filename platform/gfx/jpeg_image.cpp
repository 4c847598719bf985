#include "platform/gfx/jpeg_image.h"

#include <algorithm>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/jpeg_codec.h"

namespace gfx {

namespace {

int ScaleDenominator(TJPEGScale s) { return 1 << static_cast<int>(s); }

// Drawing surfaces end at 32767 pixels a side.
constexpr int kMaxSide = 32767;

// The decoded pixels as a bitmap: 24 bits, or 8 bits with a grey palette.
std::unique_ptr<TBitmap> ToBitmap(const jpeg::Image& img, bool grey) {
  if (grey) {
    auto bmp = std::make_unique<TBitmap>(img.width, img.height, pf8bit);
    std::vector<TRGBQuad> ramp(256);
    for (int i = 0; i < 256; ++i) {
      auto v = static_cast<std::uint8_t>(i);
      ramp[i] = TRGBQuad{v, v, v, 0};
    }
    bmp->SetPalette(ramp);
    for (int y = 0; y < img.height; ++y) {
      std::uint8_t* row = bmp->ScanLine(y);
      for (int x = 0; x < img.width; ++x) {
        const std::uint8_t* p = &img.pixels[(std::size_t(y) * img.width + x) * img.components];
        row[x] = img.components == 1 ? p[0] : static_cast<std::uint8_t>((p[0] * 77 + p[1] * 150 + p[2] * 29) >> 8);
      }
    }
    return bmp;
  }
  auto bmp = std::make_unique<TBitmap>(img.width, img.height, pf24bit);
  std::vector<std::uint32_t> rgb(std::size_t(img.width) * img.height);
  for (std::size_t i = 0; i < rgb.size(); ++i) {
    const std::uint8_t* p = &img.pixels[i * img.components];
    rgb[i] = img.components == 1 ? p[0] * 0x010101u : (std::uint32_t(p[0]) << 16) | (p[1] << 8) | p[2];
  }
  bmp->FromRGB32(rgb.data());
  return bmp;
}

jpeg::Image FromBitmap(const TBitmap& bmp) {
  jpeg::Image img{bmp.Width(), bmp.Height(), 3, {}};
  std::vector<std::uint32_t> rgb = bmp.ToRGB32();
  img.pixels.resize(rgb.size() * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) {
    img.pixels[3 * i] = static_cast<std::uint8_t>(rgb[i] >> 16);
    img.pixels[3 * i + 1] = static_cast<std::uint8_t>(rgb[i] >> 8);
    img.pixels[3 * i + 2] = static_cast<std::uint8_t>(rgb[i]);
  }
  return img;
}

}  // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

int TJPEGImage::Width() const {
  if (bitmap_) return bitmap_->Width();
  int d = ScaleDenominator(scale_);
  return (fullWidth_ + d - 1) / d;
}

int TJPEGImage::Height() const {
  if (bitmap_) return bitmap_->Height();
  int d = ScaleDenominator(scale_);
  return (fullHeight_ + d - 1) / d;
}

void TJPEGImage::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }
void TJPEGImage::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }

bool TJPEGImage::Empty() const { return data_.empty() && (!bitmap_ || bitmap_->Empty()); }

void TJPEGImage::SetCompressionQuality(int q) { quality_ = std::clamp(q, 1, 100); }

void TJPEGImage::SetGrayscale(bool g) {
  if (g == grayscale_) return;
  grayscale_ = g;
  if (!data_.empty()) bitmap_.reset();  // decoded again on demand
  Changed();
}

void TJPEGImage::SetScale(TJPEGScale s) {
  if (s == scale_) return;
  scale_ = s;
  if (!data_.empty()) bitmap_.reset();
  Changed();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat f) {
  if (f == pixelFormat_) return;
  pixelFormat_ = f;
  if (!data_.empty()) bitmap_.reset();
  Changed();
}

void TJPEGImage::Decode() const {
  if (bitmap_ || data_.empty()) return;
  jpeg::Image img = jpeg::Decode(data_, grayscale_, ScaleDenominator(scale_));
  bitmap_ = ToBitmap(img, grayscale_ || pixelFormat_ == jf8Bit || img.components == 1);
}

void TJPEGImage::CompressNeeded() const {
  if (!data_.empty() || !bitmap_ || bitmap_->Empty()) return;
  data_ = jpeg::Encode(FromBitmap(*bitmap_), quality_, progressive_, grayscale_);
}

void TJPEGImage::Compress() {
  if (!bitmap_) Decode();
  if (!bitmap_ || bitmap_->Empty()) return;
  data_ = jpeg::Encode(FromBitmap(*bitmap_), quality_, progressive_, grayscale_);
  fullWidth_ = bitmap_->Width();
  fullHeight_ = bitmap_->Height();
}

const TBitmap& TJPEGImage::Bitmap() const {
  Decode();
  if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
  return *bitmap_;
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect) const {
  if (Empty()) return;
  Decode();
  if (bitmap_) bitmap_->Draw(canvas, rect);
}

void TJPEGImage::LoadFromStream(rtl::TStream& stream) {
  // To the end of the stream as it reports its size (a stream may end a
  // picture early that way).
  std::int64_t start = stream.Position();
  std::string data(static_cast<std::size_t>(std::max<std::int64_t>(stream.Size() - start, 0)), '\0');
  if (!data.empty()) stream.ReadBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  try {
    jpeg::Info info = jpeg::ReadInfo(data);
    if (info.width > kMaxSide || info.height > kMaxSide) throw EJPEG("JPEG error: image too large to draw");
    jpeg::Image img = jpeg::Decode(data, grayscale_, ScaleDenominator(scale_));
    std::unique_ptr<TBitmap> bmp = ToBitmap(img, grayscale_ || pixelFormat_ == jf8Bit || img.components == 1);
    data_ = std::move(data);
    bitmap_ = std::move(bmp);
    fullWidth_ = info.width;
    fullHeight_ = info.height;
    progressiveFile_ = info.progressive;
  } catch (...) {
    stream.SetPosition(start);
    throw;
  }
  Changed();
}

void TJPEGImage::SaveToStream(rtl::TStream& stream) const {
  CompressNeeded();
  stream.WriteBuffer(data_.data(), static_cast<std::int64_t>(data_.size()));
}

void TJPEGImage::Assign(const TGraphic& source) {
  if (&source == this) return;
  if (const auto* jpg = dynamic_cast<const TJPEGImage*>(&source)) {
    data_ = jpg->data_;
    bitmap_.reset();
    if (jpg->bitmap_) {
      bitmap_ = std::make_unique<TBitmap>();
      bitmap_->Assign(*jpg->bitmap_);
    }
    fullWidth_ = jpg->fullWidth_;
    fullHeight_ = jpg->fullHeight_;
    quality_ = jpg->quality_;
    grayscale_ = jpg->grayscale_;
    progressive_ = jpg->progressive_;
    progressiveFile_ = jpg->progressiveFile_;
    scale_ = jpg->scale_;
    pixelFormat_ = jpg->pixelFormat_;
    performance_ = jpg->performance_;
    SetTransparent(jpg->Transparent());
    Changed();
    return;
  }
  // Any other picture: its pixels, compressed when the image is saved.
  auto bmp = std::make_unique<TBitmap>();
  bmp->Assign(source);
  data_.clear();
  fullWidth_ = bmp->Width();
  fullHeight_ = bmp->Height();
  scale_ = jsFullSize;
  bitmap_ = std::move(bmp);
  Changed();
}

}  // namespace gfx
