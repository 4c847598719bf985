// Feeds arbitrary bytes to the PNG reader, then exercises what it read: the
// writer, pixels, transparency and resizing. Any escape other than the
// codec's own errors, any crash, hang or runaway allocation is a fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gfx/bitmap.h"
#include "report/frxpngimage.h"

using namespace report;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool limited = [] {
    // Keeps each run quick; the cap itself is what is being tested.
    TPNGObject::SetMaxImageBytes(std::size_t{4} << 20);
    return true;
  }();
  (void)limited;
  rtl::TMemoryStream in(std::string(reinterpret_cast<const char*>(data), size));
  TPNGObject png;
  try {
    png.LoadFromStream(in);
  } catch (const rtl::Exception&) {
    // A clear error is the expected answer to bad input; what was read
    // so far must still be usable below.
  }
  if (!png.HeaderPresent()) return 0;
  try {
    std::uint32_t sum = 0;
    for (int i = 0; i < 64; ++i) sum += png.GetPixels(i * 7 % (png.GetWidth() + 1), i * 3 % (png.GetHeight() + 1));
    sum += png.GetTransparentColor() + static_cast<std::uint32_t>(png.GetTransparencyMode());
    (void)sum;
    if (static_cast<long>(png.GetWidth()) * png.GetHeight() <= 65536) {
      gfx::TBitmap target(24, 16, gfx::pf24bit);
      png.Draw(target.Canvas(), gfx::Rect(2, 1, 22, 15));
      gfx::TBitmap copy;
      png.AssignTo(copy);
      rtl::TMemoryStream out;
      png.SaveToStream(out);
      out.SetPosition(0);
      TPNGObject again;
      again.LoadFromStream(out);
      png.Resize(png.GetWidth() / 2 + 1, png.GetHeight() + 1);
      png.SetTransparentColor(0xFFFFFF);
      png.CreateAlpha();
      png.RemoveTransparency();
    }
  } catch (const rtl::Exception&) {
  }
  return 0;
}
