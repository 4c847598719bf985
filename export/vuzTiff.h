// A baseline TIFF writer: uncompressed, one strip per image, several images
// chained in one file. Used by the page-to-picture export.
#pragma once
#include "platform/gfx/bitmap.h"
#include "platform/rtl/streams.h"

namespace report {

struct TfrxTiffPaper {
  double WidthMM = 0;  // the paper of the last finished page
  double HeightMM = 0;
  int Resolution = 96;  // dots per inch of the picture
};

// Writes one image, or with multi one image per page-sized tile of the bitmap
// (the tile is the paper at the picture's resolution). With writeHeader the
// 8-byte file header comes first; without it the image is chained to the
// previous one, whose terminating next-image pointer is the last 4 bytes of
// the stream. Every offset is the real position in the stream, so images may
// follow each other and the stream need not start at 0. A bitmap without
// pixels writes nothing.
void SaveTiffToStream(rtl::TStream& stream, const gfx::TBitmap& bitmap, bool writeHeader, bool multi,
                      const TfrxTiffPaper& paper);

}  // namespace report
