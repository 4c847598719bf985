// Saving any picture (bitmap, metafile, JPEG, PNG) as a file or stream of a
// chosen format, as the exports put pictures beside or into their documents.
#pragma once
#include "platform/gfx/colors.h"
#include "platform/gfx/graphic.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace report {

using rtl::AnsiString;

enum TfrxPictureType { gpPNG = 0, gpBMP = 1, gpEMF = 2, gpWMF = 3, gpJPG = 4, gpGIF = 5 };

// Marks what the picture does not paint in PNG and BMP output (the PNG
// declares it transparent): red 0x56, green 0x34, blue 0x12.
inline constexpr gfx::TColor kPictureTransparentColor = 0x123456;

// "png", "bmp", "emf", "wmf", "jpg", "gif"; empty for any other value.
AnsiString GetPicFileExtension(TfrxPictureType type);

// Writes the picture in the chosen format at the stream's position:
// gpPNG: 24-bit RGB whose unpainted areas are transparent; gpBMP: 24 bits,
// unpainted areas in the transparent colour; gpEMF: an enhanced metafile;
// gpWMF: a placeable Windows metafile; gpJPG: quality 90 over white; gpGIF:
// 256 colours over white. Any other value writes nothing. A picture of zero
// width or height gives an empty picture of that size where the format has
// one (EMF, WMF, GIF) and nothing for PNG, JPEG and BMP (the bitmap class
// writes no file for an empty bitmap).
void SaveGraphicAs(const gfx::TGraphic& graphic, rtl::TStream& stream, TfrxPictureType type);
// The same into a file, through a temporary file and a rename: a failure
// leaves an existing file as it was.
void SaveGraphicAs(const gfx::TGraphic& graphic, const AnsiString& fileName, TfrxPictureType type);

}  // namespace report
