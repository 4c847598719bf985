// The clipboard: 1251 text (offered to other programs as Unicode text) and
// pictures.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/gui/types.h"

namespace gfx {
class TBitmap;
class TMetafile;
}  // namespace gfx

namespace gui {

class TClipboard {
 public:
  AnsiString AsText() const;
  void SetAsText(const AnsiString& text);
  bool HasText() const;
  // A picture of 32-bit pixels 0xAARRGGBB (premultiplied), stride in bytes.
  void SetPicture(int width, int height, const std::uint32_t* pixels, int strideBytes);
  bool HasPicture() const;
  // The picture on the clipboard as 0xAARRGGBB pixels; false when none.
  bool GetPicture(int& width, int& height, std::vector<std::uint32_t>& pixels) const;
  // Bitmaps and metafiles of the graphics layer. A metafile travels as EMF
  // bytes together with its picture drawn over white, for programs that
  // take pictures only.
  void SetBitmap(const gfx::TBitmap& bitmap);
  bool GetBitmap(gfx::TBitmap& out) const;
  void SetMetafile(const gfx::TMetafile& metafile);
  bool HasMetafile() const;
  bool GetMetafile(gfx::TMetafile& out) const;
  void Clear();
};

TClipboard& Clipboard();

}  // namespace gui
