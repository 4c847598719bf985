// The abstract picture: anything with a size that draws itself stretched into
// a rectangle of a canvas and streams itself (bitmap, metafile, JPEG, PNG, icon).
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/gfx/types.h"
#include "platform/rtl/streams.h"

namespace gfx {

class TCanvas;

class TGraphic {
 public:
  virtual ~TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  // The class name registries key on ("TBitmap", "TMetafile", ...).
  virtual std::string ClassName() const = 0;
  // A new empty graphic of the same class.
  virtual std::unique_ptr<TGraphic> NewInstance() const = 0;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int w) = 0;
  virtual void SetHeight(int h) = 0;
  virtual bool Empty() const { return Width() <= 0 || Height() <= 0; }

  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool t) {
    if (t != transparent_) {
      transparent_ = t;
      Changed();
    }
  }

  // Draws the whole graphic stretched into rect of the canvas.
  virtual void Draw(TCanvas& canvas, const TRect& rect) const = 0;

  // Reads from the current position of the stream / writes at it. Malformed
  // data raise EInvalidGraphic and leave the graphic as it was.
  virtual void LoadFromStream(rtl::TStream& stream) = 0;
  virtual void SaveToStream(rtl::TStream& stream) const = 0;
  void LoadFromFile(const rtl::AnsiString& fileName);
  // Writes a temporary file beside the target and renames it, so a failure
  // leaves an existing file intact.
  void SaveToFile(const rtl::AnsiString& fileName) const;

  // Copies another graphic; the base accepts only the same class (through its
  // stream form) and raises rtl::EConvertError otherwise.
  virtual void Assign(const TGraphic& source);

  // Called after every change (the picture holder hooks it).
  std::function<void(TGraphic&)> OnChange;

 protected:
  TGraphic() = default;
  void Changed() {
    if (OnChange) OnChange(*this);
  }

 private:
  bool transparent_ = false;
};

// Malformed picture data, and operations a graphic cannot do.
class EInvalidGraphic : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};
class EInvalidGraphicOperation : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

}  // namespace gfx
