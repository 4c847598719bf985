// Packed device-independent bitmaps (a BITMAPINFO followed by the pixel
// bits) as metafile records carry them, and their relation to BMP files.
#pragma once
#include <string>
#include <string_view>

namespace gfx::dib {

// Splits a packed DIB into its BITMAPINFO (header and colour table) and its
// bits; false when the header is damaged or the data too short for it.
bool SplitPacked(std::string_view dib, std::string_view* bmi, std::string_view* bits);
// Size in bytes of the BITMAPINFO at the start of bmi (header, masks and
// colour table), or 0 when it is not a usable bitmap header.
std::size_t InfoSize(std::string_view bmi);
// A BMP file: the 14-byte file header in front of the info and bits.
std::string ToBmpFile(std::string_view bmi, std::string_view bits);
// The reverse: the info and bits of a BMP file; false when it is not one.
bool FromBmpFile(std::string_view bmp, std::string_view* bmi, std::string_view* bits);

}  // namespace gfx::dib
