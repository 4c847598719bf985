// Reduction of a true-colour picture to at most 256 colours for formats with
// a colour table (GIF). A picture with few enough colours keeps them
// exactly; a richer one gets a median-cut palette: the colour cube is split
// box by box where the split lowers the squared error most, and each box's
// mean colour becomes a palette entry. Pixels take the nearest entry.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/bitmap.h"

namespace report {

struct TQuantizedPicture {
  // Up to maxColors entries (only as many as are used or made).
  std::vector<gfx::TRGBQuad> Palette;
  // One palette index per pixel, in the order of the input.
  std::vector<std::uint8_t> Indices;
};

// pixels are 0x00RRGGBB (the high byte is ignored); maxColors 2..256.
TQuantizedPicture vuzQuantizeColors(const std::uint32_t* pixels, std::size_t count, int maxColors = 256);

// Converts the bitmap in place to 8 bits per pixel with a 256-entry palette
// (entries beyond the colours used are black). An 8-bit bitmap is left as it
// is.
void vuzConvertTo8Bit(gfx::TBitmap& bitmap);

}  // namespace report
