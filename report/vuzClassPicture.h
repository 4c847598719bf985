// The picture object: a graphic loaded from a file, a dataset field or set
// by the program, drawn stretched (keeping its aspect ratio, centred) or at
// its own size, optionally leaving out a transparent colour. Streams are
// recognised by their first bytes (bitmap, JPEG, PNG, placeable WMF, EMF,
// icon), after the prefix a database graphic field puts before them.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/gfx/picture.h"
#include "platform/rtl/streams.h"
#include "report/vuzClassView.h"

namespace report {

// Answers of LoadPictureFromStream.
enum TfrxPictureLoadResult : std::int32_t { plOk = 0, plInvalidArg = static_cast<std::int32_t>(0x80070057u) };

class TfrxPictureView : public TfrxView {
  RTL_CLASS_INFO
 public:
  explicit TfrxPictureView(rtl::TComponent* owner);
  TfrxPictureView(rtl::TComponent* owner, std::uint16_t flags);
  ~TfrxPictureView() override;

  bool AutoSize() const { return autoSize_; }
  // True with a graphic sizes the object to the picture's pixels.
  void SetAutoSize(bool v);
  bool Center() const { return center_; }
  void SetCenter(bool v) { center_ = v; }
  const AnsiString& FileLink() const { return fileLink_; }
  void SetFileLink(const AnsiString& v) { fileLink_ = v; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v) { imageIndex_ = v; }
  bool KeepAspectRatio() const { return keepAspectRatio_; }
  void SetKeepAspectRatio(bool v) { keepAspectRatio_ = v; }
  gfx::TPicture* Picture() const { return picture_.get(); }
  void SetPicture(const gfx::TPicture* p);
  bool Stretched() const { return stretched_; }
  void SetStretched(bool v) { stretched_ = v; }
  bool HightQuality() const { return hightQuality_; }
  void SetHightQuality(bool v) { hightQuality_ = v; }
  bool Transparent() const { return transparent_; }
  // Also makes Color transparent (True) or white (False).
  void SetTransparent(bool v);
  gfx::TColor TransparentColor() const { return transparentColor_; }
  void SetTransparentColor(gfx::TColor c) { transparentColor_ = c; }

  // ImageIndex is stored while the prepared pages say so; the picture while
  // its flag is set (the constructor sets it).
  bool IsImageIndexStored() const { return isImageIndexStored_; }
  void SetIsImageIndexStored(bool v) { isImageIndexStored_ = v; }
  bool IsPictureStored() const { return isPictureStored_; }
  void SetIsPictureStored(bool v) { isPictureStored_ = v; }
  // The picture was replaced since the last Diff.
  bool PictureChangedFlag() const { return pictureChanged_; }

  // Recognises the graphic by its first bytes (after a database graphic
  // prefix) and loads it: plOk, or plInvalidArg with the picture cleared.
  TfrxPictureLoadResult LoadPictureFromStream(rtl::TStream& stream, bool fromStart = true);
  // Re-applies AutoSize and records the change for the next Diff.
  void PictureChanged();

  void Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
            long double offsetY) override;
  void GetData() override;
  AnsiString Diff(TfrxComponent* other) override;
  AnsiString GetDescription() const override;

 private:
  void InitPicture();
  bool autoSize_ = false;
  bool center_ = false;
  AnsiString fileLink_;
  int imageIndex_ = 0;
  bool keepAspectRatio_ = true;
  std::unique_ptr<gfx::TPicture> picture_;
  bool stretched_ = true;
  bool hightQuality_ = false;
  bool transparent_ = false;
  gfx::TColor transparentColor_ = gfx::clWhite;
  bool isImageIndexStored_ = false;
  bool isPictureStored_ = true;
  bool pictureChanged_ = false;
};

// The graphic class the bytes at the stream's position belong to ("TBitmap",
// "TJPEGImage", "TPNGObject", "TMetafile", "TIcon"), empty when none; the
// position is left unchanged.
AnsiString vuzSniffPictureClass(rtl::TStream& stream);

}  // namespace report
