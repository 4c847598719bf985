// Raster drawing on bitmaps: the device-pixel geometry the drawing code
// relies on, read back through the pixels.
#include <gtest/gtest.h>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/cairo_canvas.h"
#include "platform/gfx/recording_canvas.h"

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

TEST(BitmapCanvas, PenWidths) {
  struct Case {
    int width;
    const char* rows;
  } cases[] = {
      // Width 0 and 1 are one pixel; an even width puts the extra row above.
      {0,
       "..........\n"
       "..........\n"
       "..####....\n"
       "..........\n"
       "..........\n"},
      {1,
       "..........\n"
       "..........\n"
       "..####....\n"
       "..........\n"
       "..........\n"},
      {3,
       "..........\n"
       ".######...\n"
       ".######...\n"
       ".######...\n"
       "..........\n"},
  };
  for (const auto& c : cases) {
    TBitmap b(10, 5);
    b.Canvas().Pen().SetWidth(c.width);
    if (c.width > 1) {  // flat-capped geometric pen: exactly the segment's length plus its width
      b.Canvas().Pen().SetGeometric(true);
      b.Canvas().Pen().SetEndCap(pecSquare);
    }
    b.Canvas().MoveTo(2, 2);
    b.Canvas().LineTo(c.width > 1 ? 5 : 6, 2);
    EXPECT_EQ(Picture(b, clBlack), c.rows) << "width " << c.width;
  }
  // Width 2 covers the row above the line's row too.
  TBitmap b(6, 5);
  b.Canvas().Pen().SetWidth(2);
  b.Canvas().Pen().SetGeometric(true);
  b.Canvas().Pen().SetEndCap(pecFlat);
  b.Canvas().MoveTo(1, 2);
  b.Canvas().LineTo(5, 2);
  EXPECT_EQ(Picture(b, clBlack),
            "......\n"
            ".####.\n"
            ".####.\n"
            "......\n"
            "......\n");
}

TEST(BitmapCanvas, CosmeticDashesFollowThePixelPattern) {
  TBitmap b(30, 1);
  TCanvas& c = b.Canvas();
  c.Pen().SetStyle(psDot);
  c.Brush().SetStyle(bsClear);  // transparent gaps
  c.MoveTo(0, 0);
  c.LineTo(30, 0);
  EXPECT_EQ(Picture(b, clBlack), "###...###...###...###...###...\n");
  // Opaque background paints the gaps in the background colour.
  c.SetBkMode(bkOpaque);
  c.SetBkColor(clRed);
  c.Pen().SetStyle(psDash);
  c.MoveTo(0, 0);
  c.LineTo(30, 0);
  EXPECT_EQ(Picture(b, clRed), "..................######......\n");
}

TEST(BitmapCanvas, XorPenUndoesItself) {
  TBitmap b(20, 20);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(clTeal);
  c.FillRect(Rect(0, 0, 20, 10));
  const std::vector<std::uint32_t> before = b.ToRGB32();
  c.Pen().SetMode(pmXor);
  c.Pen().SetColor(clWhite);
  c.Pen().SetWidth(3);
  for (int pass = 0; pass < 2; ++pass) {
    c.MoveTo(2, 2);
    c.LineTo(17, 17);
    if (pass == 0) {
      EXPECT_EQ(b.PixelColor(5, 5), 0x7F7FFF);   // white xor teal
      EXPECT_EQ(b.PixelColor(15, 15), clBlack);  // white xor white
    }
  }
  EXPECT_EQ(b.ToRGB32(), before);
  // pmNot inverts whatever is there.
  c.Pen().SetMode(pmNot);
  c.Pen().SetWidth(1);
  c.MoveTo(0, 12);
  c.LineTo(5, 12);
  EXPECT_EQ(b.PixelColor(1, 12), clBlack);
}

TEST(BitmapCanvas, CopyModes) {
  struct Case {
    TCopyMode mode;
    TColor expected;  // for source 0x00F0F0 onto destination 0x0F0FFF
  } cases[] = {
      {cmSrcCopy, 0x00F0F0},   {cmSrcAnd, 0x0000F0},    {cmSrcInvert, 0x0FFF0F}, {cmSrcPaint, 0x0FFFFF},
      {cmDstInvert, 0xF0F000}, {cmBlackness, 0x000000}, {cmWhiteness, 0xFFFFFF}, {cmNotSrcCopy, 0xFF0F0F},
  };
  for (const auto& c : cases) {
    TBitmap src(4, 4), dst(6, 6);
    src.Canvas().Brush().SetColor(0x00F0F0);
    src.Canvas().FillRect(Rect(0, 0, 4, 4));
    dst.Canvas().Brush().SetColor(0x0F0FFF);
    dst.Canvas().FillRect(Rect(0, 0, 6, 6));
    dst.Canvas().SetCopyMode(c.mode);
    dst.Canvas().CopyRect(Rect(1, 1, 3, 3), src.Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(dst.PixelColor(1, 1), c.expected) << std::hex << c.mode;
    EXPECT_EQ(dst.PixelColor(3, 3), 0x0F0FFF) << std::hex << c.mode;  // outside the destination
  }
}

TEST(BitmapCanvas, CopyRectStretchesAndCopiesWithinOneCanvas) {
  TBitmap b(8, 4);
  TCanvas& c = b.Canvas();
  c.SetPixel(0, 0, clRed);
  c.SetPixel(1, 0, clBlue);
  c.CopyRect(Rect(4, 0, 8, 2), c, Rect(0, 0, 2, 1));  // doubled
  EXPECT_EQ(Picture(b, clRed),
            "#...##..\n"
            "....##..\n"
            "........\n"
            "........\n");
  EXPECT_EQ(b.PixelColor(7, 1), clBlue);
}

TEST(BitmapCanvas, ClippingLimitsEveryOperation) {
  TBitmap b(10, 6);
  TCanvas& c = b.Canvas();
  c.IntersectClipRect(Rect(2, 1, 8, 5));
  c.ExcludeClipRect(Rect(4, 2, 6, 4));
  c.Brush().SetColor(clBlack);
  c.FillRect(Rect(0, 0, 10, 6));
  c.SetPixel(0, 0, clBlack);  // outside: ignored
  EXPECT_EQ(Picture(b, clBlack),
            "..........\n"
            "..######..\n"
            "..##..##..\n"
            "..##..##..\n"
            "..######..\n"
            "..........\n");
  EXPECT_FALSE(c.RectVisible(Rect(4, 2, 6, 4)));
  EXPECT_TRUE(c.RectVisible(Rect(0, 0, 3, 2)));
  c.SelectClipRegion(nullptr);
  c.FillRect(Rect(0, 0, 1, 1));
  EXPECT_EQ(b.PixelColor(0, 0), clBlack);
}

TEST(BitmapCanvas, HatchBrushesPaintLinesOverTheBackground) {
  TBitmap b(8, 8);
  TCanvas& c = b.Canvas();
  c.Brush().SetStyle(bsHorizontal);
  c.Brush().SetColor(clBlue);
  c.FillRect(Rect(0, 0, 8, 8));
  std::string p = Picture(b, clBlue);
  EXPECT_EQ(p.substr(7 * 9), "########\n");
  EXPECT_EQ(b.PixelColor(3, 3), clWhite);  // transparent gaps keep the white
  c.Brush().SetStyle(bsCross);             // a hatch makes the background transparent ...
  c.SetBkMode(bkOpaque);                   // ... so ask for an opaque one
  c.SetBkColor(clYellow);
  c.FillRect(Rect(0, 0, 8, 8));
  EXPECT_EQ(b.PixelColor(3, 3), clYellow);
  EXPECT_EQ(b.PixelColor(7, 3), clBlue);
}

TEST(BitmapCanvas, ScanLinesAreBottomUpAndSeeDrawnPixels) {
  TBitmap b(5, 3, pf24bit);
  EXPECT_EQ(b.RowStride(), 16);  // 15 bytes padded to 4
  EXPECT_EQ(b.ScanLine(0) - b.ScanLine(1), 16);
  EXPECT_EQ(b.ScanLine(2), b.Bits());  // the bottom row comes first in memory
  b.Canvas().SetPixel(1, 0, clRed);
  const std::uint8_t* row = b.ScanLine(0);
  EXPECT_EQ(row[3], 0x00);  // blue, green, red
  EXPECT_EQ(row[5], 0xFF);
  // Pixels written through the scan line show on the canvas.
  b.ScanLine(2)[0] = 0xFF;
  b.ScanLine(2)[1] = 0;
  b.ScanLine(2)[2] = 0;
  EXPECT_EQ(b.Canvas().GetPixel(0, 2), clBlue);

  TBitmap mono(10, 2, pf1bit);
  EXPECT_EQ(mono.RowStride(), 4);
  mono.Canvas().Pen().SetColor(clBlack);
  mono.Canvas().MoveTo(0, 0);
  mono.Canvas().LineTo(9, 0);
  EXPECT_EQ(mono.ScanLine(0)[0], 0x00);
  EXPECT_EQ(mono.ScanLine(0)[1] & 0xC0, 0x40);  // pixel 8 black, 9 still white
  EXPECT_EQ(mono.ScanLine(1)[0], 0xFF);
}

TEST(BitmapCanvas, PixelFormatsConvert) {
  TBitmap b(4, 1, pf24bit);
  b.SetPixelColor(0, 0, clRed);
  b.SetPixelColor(1, 0, clLime);
  b.SetPixelColor(2, 0, clBlack);
  b.SetPixelFormat(pf8bit);
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_EQ(b.Palette().size(), 256u);
  EXPECT_EQ(b.PixelColor(0, 0), clRed);  // few colours: an exact palette
  EXPECT_EQ(b.PixelColor(3, 0), clWhite);
  b.SetPixelFormat(pf1bit);
  EXPECT_EQ(b.PixelColor(2, 0), clBlack);
  EXPECT_EQ(b.PixelColor(3, 0), clWhite);
  b.SetPixelFormat(pf32bit);
  EXPECT_EQ(b.RowStride(), 16);
  EXPECT_EQ(b.PixelColor(2, 0), clBlack);
}

TEST(BitmapCanvas, ResizingKeepsTheCommonPart) {
  TBitmap b(4, 4);
  b.Canvas().Brush().SetColor(clRed);
  b.Canvas().FillRect(Rect(0, 0, 4, 4));
  b.SetSize(6, 2);
  EXPECT_EQ(b.PixelColor(3, 1), clRed);
  EXPECT_EQ(b.PixelColor(5, 1), clWhite);
  b.Canvas().FillRect(Rect(5, 0, 6, 1));  // the canvas follows the new size
  EXPECT_EQ(b.PixelColor(5, 0), clRed);
  EXPECT_EQ(b.Canvas().DeviceSize(), (TSize{6, 2}));
}

TEST(BitmapCanvas, BitmapsDrawStretchedAndTransparent) {
  TBitmap pic(2, 2);
  pic.SetPixelColor(0, 0, clRed);
  pic.SetPixelColor(1, 0, clFuchsia);  // the key colour
  pic.SetPixelColor(0, 1, clFuchsia);
  pic.SetPixelColor(1, 1, clBlue);
  TBitmap b(4, 4);
  b.Canvas().Brush().SetColor(clLime);
  b.Canvas().FillRect(Rect(0, 0, 4, 4));
  b.Canvas().StretchDraw(Rect(0, 0, 4, 4), pic);
  EXPECT_EQ(b.PixelColor(1, 1), clRed);
  EXPECT_EQ(b.PixelColor(3, 0), clFuchsia);
  b.Canvas().FillRect(Rect(0, 0, 4, 4));
  pic.SetTransparent(true);
  pic.SetTransparentColor(clFuchsia);
  b.Canvas().StretchDraw(Rect(0, 0, 4, 4), pic);
  EXPECT_EQ(b.PixelColor(1, 1), clRed);
  EXPECT_EQ(b.PixelColor(3, 0), clLime);
  EXPECT_EQ(b.PixelColor(3, 3), clBlue);
  // Automatic key colour: the lower-left pixel.
  pic.SetTransparentMode(TBitmap::tmAuto);
  EXPECT_EQ(pic.TransparentColor(), clFuchsia);
}

TEST(BitmapCanvas, TextLandsInItsCellAndHonoursOptions) {
  TBitmap b(60, 20);
  TCanvas& c = b.Canvas();
  c.Font().SetName("Arial");
  c.Font().SetHeight(-12);
  c.Font().SetColor(clBlack);
  c.Brush().SetStyle(bsClear);
  c.TextOut(2, 2, "Wg");
  const TTextMetric tm = c.GetTextMetrics();
  const int w = c.TextWidth("Wg");
  bool inked = false;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) {
      TColor p = b.PixelColor(x, y);
      if (p == clWhite) continue;
      inked = true;
      EXPECT_TRUE(x >= 2 && x < 2 + w + 1 && y >= 2 && y < 2 + tm.tmHeight) << x << "," << y;
    }
  EXPECT_TRUE(inked);

  // Opaque rectangle and clipping: nothing outside, the background inside.
  TBitmap o(40, 20);
  TRect r = Rect(5, 5, 15, 12);
  o.Canvas().SetBkColor(clYellow);
  o.Canvas().Font().SetHeight(-14);
  o.Canvas().ExtTextOut(6, 3, ETO_OPAQUE | ETO_CLIPPED, &r, u"MMMMMM", nullptr);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      if (r.Contains(x, y)) continue;
      EXPECT_EQ(o.PixelColor(x, y), clWhite) << x << "," << y;
    }
  EXPECT_EQ(o.PixelColor(5, 5), clYellow);
}

TEST(BitmapCanvas, AdvanceArrayPlacesCharacters) {
  TBitmap b(80, 16);
  TCanvas& c = b.Canvas();
  c.Font().SetName("Courier New");
  c.Font().SetHeight(-12);
  c.Brush().SetStyle(bsClear);
  const int dx[2] = {50, 0};
  c.ExtTextOut(0, 0, 0, nullptr, u"||", dx);
  // Ink in two narrow groups: around the first bar and 50 pixels on.
  std::vector<int> cols;
  for (int x = 0; x < 80; ++x)
    for (int y = 0; y < 16; ++y)
      if (b.PixelColor(x, y) != clWhite) {
        cols.push_back(x);
        break;
      }
  ASSERT_FALSE(cols.empty());
  const int first = cols.front();
  for (int x : cols) EXPECT_TRUE(x - first <= 2 || (x - first >= 49 && x - first <= 52)) << x;
  EXPECT_GE(cols.back() - first, 49);
}

TEST(BitmapCanvas, PolyPolygonFillsHolesAndFocusRectUndoes) {
  TBitmap b(9, 9);
  TCanvas& c = b.Canvas();
  c.Pen().SetStyle(psClear);
  c.Brush().SetColor(clBlack);
  const TPoint pts[8] = {{0, 0}, {8, 0}, {8, 8}, {0, 8}, {2, 2}, {6, 2}, {6, 6}, {2, 6}};
  const int counts[2] = {4, 4};
  c.PolyPolygon(pts, counts, 2);
  EXPECT_EQ(b.PixelColor(1, 1), clBlack);
  EXPECT_EQ(b.PixelColor(4, 4), clWhite);  // the hole (alternate filling)

  TBitmap f(6, 6);
  const std::vector<std::uint32_t> before = f.ToRGB32();
  f.Canvas().DrawFocusRect(Rect(0, 0, 6, 6));
  EXPECT_EQ(f.PixelColor(0, 0), clBlack);
  EXPECT_EQ(f.PixelColor(1, 0), clWhite);  // dotted
  EXPECT_EQ(f.PixelColor(2, 2), clWhite);  // inside untouched
  f.Canvas().DrawFocusRect(Rect(0, 0, 6, 6));
  EXPECT_EQ(f.ToRGB32(), before);
  EXPECT_EQ(f.Canvas().Pen().Mode(), pmCopy);  // the pen is back
}

TEST(PixelBufferCanvas, DrawsIntoForeignMemory) {
  // 5 pixels wide with a row of 6 words, as a padded window buffer.
  std::vector<std::uint32_t> mem(6 * 3, 0xFFFFFFFFu);
  {
    TPixelBufferCanvas c(mem.data(), 5, 3, 6 * 4);
    EXPECT_EQ(c.DeviceSize(), (TSize{5, 3}));
    c.Pen().SetColor(clRed);
    c.MoveTo(0, 1);
    c.LineTo(5, 1);
    EXPECT_EQ(c.GetPixel(4, 1), clRed);
  }
  EXPECT_EQ(mem[6 + 0] & 0xFFFFFF, 0xFF0000u);  // 0xRRGGBB
  EXPECT_EQ(mem[6 + 4] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(mem[6 + 5], 0xFFFFFFFFu);  // the padding is untouched
  EXPECT_EQ(mem[0] & 0xFFFFFF, 0xFFFFFFu);
}

TEST(BitmapCanvas, EllipsesAreSymmetricWithAOnePixelOutline) {
  TBitmap b(9, 9);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(clRed);
  c.Ellipse(1, 1, 8, 8);
  EXPECT_EQ(Picture(b, clBlack),
            ".........\n"
            "...###...\n"
            "..#...#..\n"
            ".#.....#.\n"
            ".#.....#.\n"
            ".#.....#.\n"
            "..#...#..\n"
            "...###...\n"
            ".........\n");
  EXPECT_EQ(b.PixelColor(4, 4), clRed);
  EXPECT_EQ(b.PixelColor(1, 1), clWhite);  // outside the curve
  // Without a pen the filled figure is a pixel smaller, as rectangles are.
  TBitmap n(9, 9);
  n.Canvas().Pen().SetStyle(psClear);
  n.Canvas().Brush().SetColor(clBlack);
  n.Canvas().Ellipse(0, 0, 9, 9);
  EXPECT_EQ(n.PixelColor(8, 4), clWhite);
  EXPECT_EQ(n.PixelColor(7, 4), clBlack);
  EXPECT_EQ(n.PixelColor(0, 4), clBlack);
}

TEST(BitmapCanvas, FarCoordinatesDrawOnlyWhatShowsAndStayQuick) {
  // A line is the same pixels whether the surface is large or small.
  TBitmap big(200, 200), small(20, 20);
  for (TBitmap* b : {&big, &small}) {
    b->Canvas().Pen().SetStyle(psDashDot);
    b->Canvas().MoveTo(-50, -20);
    b->Canvas().LineTo(70, 33);
    b->Canvas().MoveTo(15, 300);
    b->Canvas().LineTo(2, -90);
  }
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(small.PixelColor(x, y), big.PixelColor(x, y)) << x << "," << y;

  // Lines and figures far beyond the surface finish at once.
  TBitmap b(10, 10);
  TCanvas& c = b.Canvas();
  c.MoveTo(-2000000000, 5);
  c.LineTo(2000000000, 5);
  EXPECT_EQ(b.PixelColor(0, 5), clBlack);
  EXPECT_EQ(b.PixelColor(9, 5), clBlack);
  c.MoveTo(3, -2000000000);
  c.LineTo(3, 2000000000);
  EXPECT_EQ(b.PixelColor(3, 0), clBlack);
  c.Brush().SetColor(clRed);
  c.Ellipse(-1000000, -1000000, 1000000, 1000000);  // a vast circle: the middle is inside
  EXPECT_EQ(b.PixelColor(8, 8), clRed);
  c.Ellipse(-2000000000, -2000000000, 2000000000, 2000000000);
  c.RoundRect(-3, -100000000, 5, 100000000, 4, 4);
  EXPECT_EQ(b.PixelColor(-3 + 1, 2), clNone);  // outside the bitmap
  EXPECT_EQ(b.PixelColor(4, 2), clBlack);      // the right edge of the round rectangle
}

TEST(BitmapCanvas, HugeTextIsDrawnWithoutHugeMemory) {
  TBitmap b(50, 50);
  TCanvas& c = b.Canvas();
  c.Font().SetName("Arial");
  c.Font().SetHeight(-200000);
  c.Brush().SetStyle(bsClear);
  c.TextOut(-26975, -100000, "I");  // the stem of the I covers the bitmap
  EXPECT_EQ(b.PixelColor(25, 25), clBlack);
}

TEST(BitmapCanvas, GeometricUserDashesMakeSquaresAndRoundDots) {
  // Frames draw dotted sides with geometric pens: [w, w] flat-capped squares
  // and [0, 2w] round-capped dots.
  auto inkColumns = [](const TBitmap& b, int y) {
    std::string s;
    for (int x = 0; x < b.Width(); ++x) s += b.PixelColor(x, y) == clBlack ? '#' : '.';
    return s;
  };
  TBitmap squares(24, 5);
  squares.Canvas().Pen().SetGeometric(true);
  squares.Canvas().Pen().SetWidth(3);
  squares.Canvas().Pen().SetEndCap(pecFlat);
  squares.Canvas().Pen().SetStyle(psUserStyle);
  squares.Canvas().Pen().SetDashes({3, 3});
  squares.Canvas().MoveTo(0, 2);
  squares.Canvas().LineTo(24, 2);
  EXPECT_EQ(inkColumns(squares, 2), "###...###...###...###...");
  EXPECT_EQ(inkColumns(squares, 1), inkColumns(squares, 2));  // three rows thick
  EXPECT_EQ(inkColumns(squares, 4), std::string(24, '.'));

  TBitmap dots(26, 7);
  TPen& p = dots.Canvas().Pen();
  p.SetGeometric(true);
  p.SetWidth(4);
  p.SetEndCap(pecRound);
  p.SetStyle(psUserStyle);
  p.SetDashes({0, 8});
  dots.Canvas().MoveTo(3, 3);
  dots.Canvas().LineTo(23, 3);
  const std::string row = inkColumns(dots, 3);
  // Dots centred every 8 pixels from the start, gaps between them.
  EXPECT_EQ(row[3], '#');
  EXPECT_EQ(row[11], '#');
  EXPECT_EQ(row[19], '#');
  EXPECT_EQ(row[7], '.');
  EXPECT_EQ(row[15], '.');
}

TEST(BitmapCanvas, InsideFramePensStayInsideTheRectangle) {
  TBitmap b(12, 12);
  TCanvas& c = b.Canvas();
  c.Pen().SetWidth(3);
  c.Pen().SetStyle(psInsideFrame);
  c.Brush().SetStyle(bsClear);
  c.Rectangle(2, 2, 10, 10);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(b.PixelColor(1, i), clWhite) << i;
    EXPECT_EQ(b.PixelColor(10, i), clWhite) << i;
    EXPECT_EQ(b.PixelColor(i, 1), clWhite) << i;
  }
  EXPECT_EQ(b.PixelColor(2, 5), clBlack);
  EXPECT_EQ(b.PixelColor(4, 5), clBlack);
  EXPECT_EQ(b.PixelColor(9, 5), clBlack);
  EXPECT_EQ(b.PixelColor(5, 5), clWhite);
}

TEST(BitmapCanvas, TextAlignmentMovesTheReferencePoint) {
  // The same text drawn at one point with different alignments: its ink
  // starts left of the point for right and centre, above it for baseline.
  auto inkBox = [](const TBitmap& b) {
    TRect r{1000, 1000, -1, -1};
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x)
        if (b.PixelColor(x, y) != clWhite)
          r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1), std::max(r.Bottom, y + 1)};
    return r;
  };
  struct Case {
    unsigned align;
    bool leftOfPoint, abovePoint;
  } cases[] = {
      {TA_LEFT | TA_TOP, false, false},     {TA_RIGHT | TA_TOP, true, false},   {TA_CENTER | TA_TOP, true, false},
      {TA_LEFT | TA_BASELINE, false, true}, {TA_LEFT | TA_BOTTOM, false, true},
  };
  for (const auto& k : cases) {
    TBitmap b(120, 60);
    TCanvas& c = b.Canvas();
    c.Font().SetName("Arial");
    c.Font().SetHeight(-16);
    c.Brush().SetStyle(bsClear);
    c.SetTextAlign(k.align);
    c.TextOut(60, 30, "HHH");
    TRect ink = inkBox(b);
    EXPECT_EQ(ink.Left < 58, k.leftOfPoint) << k.align;
    EXPECT_EQ(ink.Top < 28, k.abovePoint) << k.align;
    if ((k.align & TA_CENTER) == TA_CENTER) {
      EXPECT_GT(ink.Right, 62) << "centred text spans the point";
    }
  }
  // TA_UPDATECP: each piece continues where the last one ended.
  TRecordingCanvas r;
  r.SetTextAlign(TA_UPDATECP);
  r.MoveTo(10, 5);
  r.ExtTextOut(0, 0, 0, nullptr, u"ab", nullptr);
  EXPECT_EQ(r.PenPos(), (TPoint{10 + r.TextWidthW(u"ab"), 5}));
}

TEST(BitmapCanvas, SquareCappedGeometricLinesIncludeBothEnds) {
  // Frame sides drawn with square-capped geometric pens: a one-pixel frame
  // covers exactly its corners' box, a wider side reaches half its width past
  // each end.
  TBitmap b(10, 9);
  TCanvas& c = b.Canvas();
  c.Pen().SetGeometric(true);
  c.Pen().SetEndCap(pecSquare);
  c.Pen().SetWidth(1);
  const TPoint sides[4][2] = {{{2, 2}, {7, 2}}, {{7, 2}, {7, 6}}, {{2, 6}, {7, 6}}, {{2, 2}, {2, 6}}};
  for (const auto& s : sides) {
    c.MoveTo(s[0].X, s[0].Y);
    c.LineTo(s[1].X, s[1].Y);
  }
  EXPECT_EQ(Picture(b, clBlack),
            "..........\n"
            "..........\n"
            "..######..\n"
            "..#....#..\n"
            "..#....#..\n"
            "..#....#..\n"
            "..######..\n"
            "..........\n"
            "..........\n");
  TBitmap w(12, 5);
  w.Canvas().Pen().SetGeometric(true);
  w.Canvas().Pen().SetEndCap(pecSquare);
  w.Canvas().Pen().SetWidth(3);
  w.Canvas().MoveTo(3, 2);
  w.Canvas().LineTo(8, 2);
  EXPECT_EQ(Picture(w, clBlack),
            "............\n"
            "..########..\n"
            "..########..\n"
            "..########..\n"
            "............\n");
}

// Cairo draws on at most 32767 pixels a side; bitmaps may be wider.
TEST(BitmapCanvas, BitmapsBeyondTheDrawingSurfaceLimitDrawAndStayIntact) {
  TBitmap wide(40000, 2);
  wide.SetPixelColor(39999, 0, clRed);
  for (int x = 0; x < wide.Width(); ++x) wide.SetPixelColor(x, 1, clBlue);

  TBitmap target(4, 2);
  // The far right end of the wide bitmap, taken by its source rectangle.
  target.Canvas().CopyRect(Rect(0, 0, 4, 2), wide.Canvas(), Rect(39996, 0, 40000, 2));
  EXPECT_EQ(target.PixelColor(3, 0), clRed);
  EXPECT_EQ(target.PixelColor(2, 0), clWhite);
  // All of it squeezed into four pixels: sampled, never a crash.
  target.Canvas().StretchDraw(Rect(0, 0, 4, 2), wide);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(target.PixelColor(x, 1), clBlue) << x;

  // Drawing on the wide bitmap itself does nothing and keeps its pixels.
  wide.Canvas().Brush().SetColor(clLime);
  wide.Canvas().FillRect(Rect(0, 0, 10, 2));
  EXPECT_EQ(wide.PixelColor(39999, 0), clRed);
  EXPECT_EQ(wide.PixelColor(0, 1), clBlue);
}
