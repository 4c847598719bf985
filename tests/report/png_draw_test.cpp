// The PNG picture among the graphics layer's pictures: assignment from and
// to bitmaps, drawing in each transparency mode, and its own canvas.
#include <gtest/gtest.h>

#include <string>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/picture.h"
#include "report/frxpngimage.h"
#include "report/png_support.h"

using namespace report;
using report_test::Chunk;
using report_test::Load;
using report_test::RawImage;
using report_test::Save;

namespace {

std::vector<std::string> Names(const std::string& file) {
  std::vector<std::string> n;
  for (auto& c : report_test::ListChunks(file)) n.push_back(c.name);
  return n;
}
using Names_ = std::vector<std::string>;

void Gradient(gfx::TBitmap& b, int w, int h) {
  b.SetPixelFormat(gfx::pf24bit);
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixelColor(x, y, static_cast<gfx::TColor>(gfx::RGB(x * 7 & 255, y * 5 & 255, (x + y) & 255)));
}

TEST(PngFromBitmap, TrueColourBitmapBecomesRgbImageWithSubFilter) {
  gfx::TBitmap bmp;
  Gradient(bmp, 40, 30);
  TPNGObject png;
  png.Assign(bmp);
  std::string file = Save(png);
  EXPECT_EQ(Names(file), (Names_{"IHDR", "IDAT", "IEND"}));
  EXPECT_EQ(report_test::ListChunks(file)[0].data, report_test::IhdrData(40, 30, 8, 2, 0));
  std::string raw = report_test::InflateIdat(report_test::ListChunks(file));
  for (int row = 0; row < 30; ++row) EXPECT_EQ(raw[static_cast<std::size_t>(row) * 121], 1);
  RawImage back;
  ASSERT_TRUE(report_test::LibpngDecode(file, back));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      gfx::TColorRef c = gfx::ColorToRGB(bmp.PixelColor(x, y));
      ASSERT_EQ(back.Sample(x, y, 0), static_cast<int>(gfx::GetRValue(c)));
      ASSERT_EQ(back.Sample(x, y, 1), static_cast<int>(gfx::GetGValue(c)));
      ASSERT_EQ(back.Sample(x, y, 2), static_cast<int>(gfx::GetBValue(c)));
    }
  EXPECT_FALSE(png.Transparent());
}

TEST(PngFromBitmap, TransparentBitmapAddsTrns) {
  gfx::TBitmap bmp;
  Gradient(bmp, 8, 8);
  bmp.SetTransparent(true);
  bmp.SetTransparentColor(gfx::clFuchsia);
  TPNGObject png;
  png.Assign(bmp);
  std::string file = Save(png);
  EXPECT_EQ(Names(file), (Names_{"IHDR", "tRNS", "IDAT", "IEND"}));
  EXPECT_EQ(report_test::ListChunks(file)[1].data, std::string("\0\xFF\0\0\0\xFF", 6));
  EXPECT_EQ(png.GetTransparencyMode(), ptmBit);
  EXPECT_TRUE(png.Transparent());
  EXPECT_TRUE(report_test::PngcheckPasses(file));
}

TEST(PngFromBitmap, IndexedBitmapsBecomePaletteImages) {
  for (gfx::TPixelFormat f : {gfx::pf1bit, gfx::pf4bit, gfx::pf8bit}) {
    gfx::TBitmap bmp;
    Gradient(bmp, 13, 5);
    bmp.SetPixelFormat(f);
    TPNGObject png;
    png.Assign(bmp);
    std::string file = Save(png);
    EXPECT_EQ(Names(file), (Names_{"IHDR", "PLTE", "IDAT", "IEND"}));
    const int depth = f == gfx::pf1bit ? 1 : f == gfx::pf4bit ? 4 : 8;
    EXPECT_EQ(report_test::ListChunks(file)[0].data, report_test::IhdrData(13, 5, depth, 3, 0));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 13; ++x)
        ASSERT_EQ(png.GetPixels(x, y), static_cast<TPNGColor>(gfx::ColorToRGB(bmp.PixelColor(x, y))));
    EXPECT_TRUE(report_test::PngcheckPasses(file));
  }
}

TEST(PngToBitmap, PixelFormatFollowsTypeDepthAndTransparency) {
  struct Row {
    int type, depth;
    bool alpha;
    gfx::TPixelFormat format;
  };
  const Row rows[] = {{0, 1, false, gfx::pf1bit},  {0, 2, false, gfx::pf4bit},   {3, 4, false, gfx::pf4bit},
                      {3, 8, false, gfx::pf8bit},  {0, 8, false, gfx::pf24bit},  {0, 16, false, gfx::pf24bit},
                      {2, 8, false, gfx::pf24bit}, {2, 16, false, gfx::pf24bit}, {6, 8, true, gfx::pf24bit},
                      {4, 8, true, gfx::pf24bit}};
  for (const Row& r : rows) {
    RawImage img = report_test::RandomImage(r.type, r.depth, 6, 4, 9);
    TPNGObject png;
    Load(png, report_test::Encode(img));
    if (r.alpha)
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) png.GetAlphaScanline(y)[x] = 255;
    gfx::TBitmap bmp;
    png.AssignTo(bmp);
    EXPECT_EQ(bmp.PixelFormat(), r.format) << r.type << "/" << r.depth;
    ASSERT_EQ(bmp.Width(), 6);
    ASSERT_EQ(bmp.Height(), 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 6; ++x)
        ASSERT_EQ(static_cast<TPNGColor>(gfx::ColorToRGB(bmp.PixelColor(x, y))), png.GetPixels(x, y))
            << r.type << "/" << r.depth;
    EXPECT_FALSE(bmp.Transparent());
  }
}

TEST(PngToBitmap, BitTransparencyCarriesTheKey) {
  TPNGObject png(COLOR_RGB, 8, 3, 3);
  png.SetTransparentColor(gfx::RGB(1, 2, 3));
  gfx::TBitmap bmp;
  png.AssignTo(bmp);
  EXPECT_TRUE(bmp.Transparent());
  EXPECT_EQ(gfx::ColorToRGB(bmp.TransparentColor()), gfx::RGB(1, 2, 3));
  TPNGObject copy;
  png.AssignTo(copy);
  EXPECT_EQ(Save(copy), Save(png));
}

TEST(PngDraw, OpaqueImageStretches) {
  TPNGObject png(COLOR_RGB, 8, 2, 2);
  png.SetPixels(0, 0, gfx::RGB(255, 0, 0));
  png.SetPixels(1, 0, gfx::RGB(0, 255, 0));
  png.SetPixels(0, 1, gfx::RGB(0, 0, 255));
  png.SetPixels(1, 1, gfx::RGB(9, 9, 9));
  gfx::TBitmap target(4, 4, gfx::pf24bit);
  png.Draw(target.Canvas(), gfx::Rect(0, 0, 4, 4));
  EXPECT_EQ(gfx::ColorToRGB(target.PixelColor(1, 1)), gfx::RGB(255, 0, 0));
  EXPECT_EQ(gfx::ColorToRGB(target.PixelColor(2, 0)), gfx::RGB(0, 255, 0));
  EXPECT_EQ(gfx::ColorToRGB(target.PixelColor(0, 3)), gfx::RGB(0, 0, 255));
  EXPECT_EQ(gfx::ColorToRGB(target.PixelColor(3, 3)), gfx::RGB(9, 9, 9));
  TPNGObject empty;
  empty.Draw(target.Canvas(), gfx::Rect(0, 0, 4, 4));  // draws nothing
}

TEST(PngDraw, BitTransparencyKeepsTheBackground) {
  TPNGObject png(COLOR_PALETTE, 8, 2, 1);
  png.SetPalette({{10, 20, 30}, {200, 100, 50}});
  png.SetPixels(0, 0, gfx::RGB(10, 20, 30));
  png.SetPixels(1, 0, gfx::RGB(200, 100, 50));
  png.SetTransparentColor(gfx::RGB(10, 20, 30));
  ASSERT_EQ(png.GetTransparencyMode(), ptmBit);
  gfx::TBitmap target(2, 1, gfx::pf24bit);
  target.Canvas().Brush().SetColor(static_cast<gfx::TColor>(gfx::RGB(7, 7, 7)));
  target.Canvas().FillRect(gfx::Rect(0, 0, 2, 1));
  png.Draw(target.Canvas(), gfx::Rect(0, 0, 2, 1));
  EXPECT_EQ(gfx::ColorToRGB(target.PixelColor(0, 0)), gfx::RGB(7, 7, 7));
  EXPECT_EQ(gfx::ColorToRGB(target.PixelColor(1, 0)), gfx::RGB(200, 100, 50));
}

TEST(PngDraw, PartialTransparencyBlendsByAlpha) {
  struct Row {
    const char* what;
    int type;
  };
  for (Row r : {Row{"rgb alpha", COLOR_RGBALPHA}, Row{"palette with alpha values", COLOR_PALETTE},
                Row{"grey alpha", COLOR_GRAYSCALEALPHA}}) {
    const unsigned alphas[4] = {0, 128, 255, 40};
    const unsigned grey = 200;
    TPNGObject png(r.type, 8, 4, 1);
    if (r.type == COLOR_PALETTE) {
      png.SetPalette({{grey, grey, grey}, {grey, grey, grey}, {grey, grey, grey}, {grey, grey, grey}});
      png.CreateAlpha();
      for (int x = 0; x < 4; ++x) png.GetScanline(0)[x] = static_cast<std::uint8_t>(x);
      auto* trns = png.Chunks().FindChunk<TChunktRNS>();
      for (int i = 0; i < 4; ++i)
        trns->PaletteValues[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(alphas[i]);
    } else {
      for (int x = 0; x < 4; ++x) {
        png.SetPixels(x, 0, gfx::RGB(grey, grey, grey));
        png.GetAlphaScanline(0)[x] = static_cast<std::uint8_t>(alphas[x]);
      }
    }
    ASSERT_EQ(png.GetTransparencyMode(), ptmPartial) << r.what;
    const unsigned bg = 50;
    gfx::TBitmap target(4, 1, gfx::pf24bit);
    target.Canvas().Brush().SetColor(static_cast<gfx::TColor>(gfx::RGB(bg, bg, bg)));
    target.Canvas().FillRect(gfx::Rect(0, 0, 4, 1));
    png.Draw(target.Canvas(), gfx::Rect(4, 1, 0, 0));  // corners given reversed
    for (int x = 0; x < 4; ++x) {
      unsigned a = alphas[x];
      unsigned v = (grey * a + (255 - a) * bg + 255) / 256;
      EXPECT_EQ(gfx::ColorToRGB(target.PixelColor(x, 0)), gfx::RGB(v, v, v)) << r.what << " alpha " << a;
    }
    png.Draw(target.Canvas(), gfx::Rect(0, 0, 0, 4));  // zero width: nothing
  }
}

TEST(PngDraw, PartialTransparencyStretchesByTruncation) {
  TPNGObject png(COLOR_RGBALPHA, 8, 2, 1);
  png.SetPixels(0, 0, gfx::RGB(255, 0, 0));
  png.SetPixels(1, 0, gfx::RGB(0, 0, 255));
  png.GetAlphaScanline(0)[0] = 255;
  png.GetAlphaScanline(0)[1] = 255;
  gfx::TBitmap target(5, 1, gfx::pf24bit);
  png.Draw(target.Canvas(), gfx::Rect(0, 0, 5, 1));
  // x * 2 / 5: 0, 0, 0, 1, 1
  EXPECT_EQ(gfx::ColorToRGB(target.PixelColor(2, 0)), gfx::RGB(255, 0, 0));
  EXPECT_EQ(gfx::ColorToRGB(target.PixelColor(3, 0)), gfx::RGB(0, 0, 255));
}

TEST(PngCanvas, DrawsIntoThePixelsThatAreSaved) {
  // The export's way of making a transparent picture: key colour, fill,
  // draw, save.
  TPNGObject png(COLOR_RGB, 8, 10, 10);
  png.SetTransparentColor(gfx::clFuchsia);
  png.Canvas().Brush().SetColor(gfx::clFuchsia);
  png.Canvas().FillRect(gfx::Rect(0, 0, 10, 10));
  png.Canvas().Brush().SetColor(gfx::clBlue);
  png.Canvas().FillRect(gfx::Rect(2, 2, 5, 5));
  EXPECT_EQ(png.GetPixels(3, 3), static_cast<TPNGColor>(gfx::ColorToRGB(gfx::clBlue)));
  EXPECT_EQ(png.GetPixels(8, 8), static_cast<TPNGColor>(gfx::ColorToRGB(gfx::clFuchsia)));
  RawImage back;
  ASSERT_TRUE(report_test::LibpngDecode(Save(png), back));
  EXPECT_EQ(back.Sample(3, 3, 2), 255);
  EXPECT_EQ(back.Sample(8, 8, 0), 255);
  EXPECT_EQ(back.Sample(8, 8, 1), 0);
  EXPECT_EQ(back.trns, (std::vector<std::uint8_t>{0, 255, 0, 0, 0, 255}));
}

TEST(PngDraw, PhysicalSize) {
  TPNGObject png(COLOR_RGB, 8, 100, 50);
  png.Canvas().Brush().SetColor(gfx::clRed);
  png.Canvas().FillRect(gfx::Rect(0, 0, 100, 50));
  gfx::TBitmap target(300, 300, gfx::pf24bit);
  png.DrawUsingPixelInformation(target.Canvas(), gfx::Point(0, 0));
  EXPECT_EQ(gfx::ColorToRGB(target.PixelColor(99, 49)), gfx::ColorToRGB(gfx::clRed));
  EXPECT_EQ(gfx::ColorToRGB(target.PixelColor(100, 49)), gfx::ColorToRGB(gfx::clWhite));
  // 1890 pixels per metre is about 48 per inch: twice the size on a 96-pixel
  // canvas, truncated: 100 * 3779.5 / 1890 = 199.97 -> 199.
  auto* phys = png.Chunks().Add<TChunkpHYs>();
  phys->PPUnitX = phys->PPUnitY = 1890;
  phys->UnitType = utMeter;
  png.DrawUsingPixelInformation(target.Canvas(), gfx::Point(0, 0));
  EXPECT_EQ(gfx::ColorToRGB(target.PixelColor(198, 98)), gfx::ColorToRGB(gfx::clRed));
  EXPECT_EQ(gfx::ColorToRGB(target.PixelColor(199, 50)), gfx::ColorToRGB(gfx::clWhite));
}

TEST(PngGraphic, NotifiesChangesAndStreamsLikeAnyGraphic) {
  TPNGObject png;
  int changes = 0;
  png.OnChange = [&](gfx::TGraphic&) { ++changes; };
  RawImage img = report_test::RandomImage(COLOR_RGB, 8, 3, 3, 1);
  Load(png, report_test::Encode(img));
  EXPECT_GE(changes, 1);
  EXPECT_EQ(png.ClassName(), "TPNGObject");
  EXPECT_EQ(png.Width(), 3);
  EXPECT_FALSE(png.Empty());
  std::unique_ptr<gfx::TGraphic> other = png.NewInstance();
  other->Assign(png);
  EXPECT_EQ(Save(static_cast<TPNGObject&>(*other)), Save(png));
  png.Assign(static_cast<const gfx::TGraphic*>(nullptr));
  EXPECT_TRUE(png.Empty());
}

}  // namespace

namespace {

TEST(PngPicture, RegisteredAsPictureFormat) {
  bool found = false;
  for (const auto& f : gfx::TPicture::FileFormats())
    if (f.className == "TPNGObject") {
      found = true;
      EXPECT_EQ(f.extension, "png");
      EXPECT_EQ(f.description, "Portable Network Graphics");
    }
  EXPECT_TRUE(found);
  auto g = gfx::TPicture::CreateGraphicForExtension(".png");
  ASSERT_TRUE(g);
  EXPECT_EQ(g->ClassName(), "TPNGObject");
}

TEST(PngPicture, PictureLoadsAndStoresPng) {
  RawImage img = report_test::RandomImage(COLOR_PALETTE, 4, 7, 5, 3);
  const std::string file = report_test::Encode(img);
  gfx::TPicture picture;
  rtl::TMemoryStream in(file);
  picture.LoadFromStream(in);
  ASSERT_TRUE(dynamic_cast<TPNGObject*>(picture.Graphic()));
  EXPECT_EQ(picture.Width(), 7);
  EXPECT_EQ(picture.Height(), 5);
  // The stored form of templates: class name, then the image; what follows
  // the image's end is not read.
  rtl::TMemoryStream stored;
  picture.WriteData(stored);
  stored.WriteString("after");
  stored.SetPosition(0);
  gfx::TPicture again;
  again.ReadData(stored);
  ASSERT_TRUE(dynamic_cast<TPNGObject*>(again.Graphic()));
  EXPECT_EQ(Save(static_cast<TPNGObject&>(*again.Graphic())), Save(static_cast<TPNGObject&>(*picture.Graphic())));
  EXPECT_EQ(stored.ReadRest(), "after");
  // Damaged data keep the picture as it was.
  rtl::TMemoryStream bad(file.substr(0, 40));
  EXPECT_THROW(again.LoadFromStream(bad), rtl::Exception);
  EXPECT_EQ(again.Width(), 7);
}

}  // namespace

namespace {

TEST(PngClipboard, TravelsAsABitmap) {
  TPNGObject png(COLOR_RGB, 8, 6, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) png.SetPixels(x, y, gfx::RGB(x * 40, y * 60, 99));
  png.SaveToClipboardFormat();
  TPNGObject back;
  ASSERT_TRUE(back.LoadFromClipboardFormat());
  ASSERT_EQ(back.GetWidth(), 6);
  ASSERT_EQ(back.GetHeight(), 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(back.GetPixels(x, y), png.GetPixels(x, y));
  EXPECT_FALSE(back.GetTransparent());
}

}  // namespace
