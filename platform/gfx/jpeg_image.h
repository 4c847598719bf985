// TJPEGImage: a JPEG picture. It keeps the compressed bytes as read (saving
// an unchanged image writes them back as they were) and a decoded bitmap for
// drawing; an image assigned from a bitmap is compressed when it is saved.
#pragma once
#include <memory>
#include <string>

#include "platform/gfx/graphic.h"

namespace gfx {

class TBitmap;

enum TJPEGScale : std::uint8_t { jsFullSize, jsHalf, jsQuarter, jsEighth };
enum TJPEGPixelFormat : std::uint8_t { jf24Bit, jf8Bit };
enum TJPEGPerformance : std::uint8_t { jpBestQuality, jpBestSpeed };

class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;

  std::string ClassName() const override { return "TJPEGImage"; }
  std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TJPEGImage>(); }

  // The size at the current Scale.
  int Width() const override;
  int Height() const override;
  // A JPEG image's size cannot be set: raises EInvalidGraphicOperation.
  void SetWidth(int) override;
  void SetHeight(int) override;
  bool Empty() const override;

  // 1..100, used when compressing (Assign from a bitmap, then save); 90.
  int CompressionQuality() const { return quality_; }
  void SetCompressionQuality(int q);
  // Decodes as, and compresses to, shades of grey.
  bool Grayscale() const { return grayscale_; }
  void SetGrayscale(bool g);
  bool ProgressiveEncoding() const { return progressive_; }
  void SetProgressiveEncoding(bool p) { progressive_ = p; }
  // Whether the file read was progressive.
  bool ProgressiveFile() const { return progressiveFile_; }
  TJPEGScale Scale() const { return scale_; }
  void SetScale(TJPEGScale s);
  // The decoded bitmap: 24 bits, or 8 bits of grey for jf8Bit and grey images.
  TJPEGPixelFormat PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TJPEGPixelFormat f);
  TJPEGPerformance Performance() const { return performance_; }
  void SetPerformance(TJPEGPerformance p) { performance_ = p; }

  // Compresses the bitmap now (after changing the quality, say).
  void Compress();
  // The decoded picture.
  const TBitmap& Bitmap() const;

  void Draw(TCanvas& canvas, const TRect& rect) const override;
  // Reads from the position to the end of the stream; the whole image is
  // decoded, so damaged data raise EJPEG here and keep the image as it was.
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) const override;
  // From another JPEG image, or from any graphic (drawn onto a bitmap).
  void Assign(const TGraphic& source) override;

 private:
  void Decode() const;
  void CompressNeeded() const;

  mutable std::string data_;
  mutable std::unique_ptr<TBitmap> bitmap_;
  int fullWidth_ = 0, fullHeight_ = 0;
  int quality_ = 90;
  bool grayscale_ = false;
  bool progressive_ = false;
  bool progressiveFile_ = false;
  TJPEGScale scale_ = jsFullSize;
  TJPEGPixelFormat pixelFormat_ = jf24Bit;
  TJPEGPerformance performance_ = jpBestQuality;
};

}  // namespace gfx
