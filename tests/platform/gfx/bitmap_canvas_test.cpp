// Raster drawing on bitmaps: the device-pixel geometry the drawing code
// relies on, read back through the pixels.
#include <gtest/gtest.h>

#include "platform/gfx/bitmap.h"

using namespace gfx;

namespace {

// The rows of a bitmap as text: '#' where the pixel has the colour, '.' elsewhere.
std::string Picture(const TBitmap& b, TColor ink) {
  std::string s;
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) s += b.PixelColor(x, y) == ink ? '#' : '.';
    s += '\n';
  }
  return s;
}

}  // namespace

TEST(BitmapCanvas, LineLeavesOutItsEndPoint) {
  TBitmap b(8, 3);
  b.Canvas().Pen().SetColor(clBlack);
  b.Canvas().MoveTo(1, 1);
  b.Canvas().LineTo(6, 1);
  EXPECT_EQ(Picture(b, clBlack),
            "........\n"
            ".#####..\n"
            "........\n");
  // Drawn backwards, the start is in and the end (now on the left) is out.
  TBitmap c(8, 3);
  c.Canvas().MoveTo(6, 1);
  c.Canvas().LineTo(1, 1);
  EXPECT_EQ(Picture(c, clBlack),
            "........\n"
            "..#####.\n"
            "........\n");
}

TEST(BitmapCanvas, RectangleCoversLeftTopUpToRightBottomExclusive) {
  TBitmap b(7, 6);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(clRed);
  c.Rectangle(1, 1, 6, 5);
  EXPECT_EQ(Picture(b, clBlack),
            ".......\n"
            ".#####.\n"
            ".#...#.\n"
            ".#...#.\n"
            ".#####.\n"
            ".......\n");
  EXPECT_EQ(b.PixelColor(2, 2), clRed);
}
