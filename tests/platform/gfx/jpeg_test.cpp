// JPEG through libjpeg and TJPEGImage: encoding that other readers accept,
// decoding of the colour spaces, and errors that come back as exceptions.
#include <gtest/gtest.h>

#include <random>

#include "external_tools.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/jpeg_codec.h"
#include "platform/gfx/jpeg_image.h"
#include "platform/rtl/streams.h"

namespace jpeg = gfx::jpeg;

namespace {

// Left half red, right half blue, a white bar across the middle.
jpeg::Image TestPattern(int w = 64, int h = 48) {
  jpeg::Image img{w, h, 3, std::vector<std::uint8_t>(std::size_t(w) * h * 3)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &img.pixels[(std::size_t(y) * w + x) * 3];
      bool bar = y >= h / 2 - 4 && y < h / 2 + 4;
      p[0] = bar ? 255 : x < w / 2 ? 255 : 0;
      p[1] = bar ? 255 : 0;
      p[2] = bar ? 255 : x < w / 2 ? 0 : 255;
    }
  return img;
}

unsigned RgbAt(const jpeg::Image& img, int x, int y) {
  const std::uint8_t* p = &img.pixels[(std::size_t(y) * img.width + x) * img.components];
  return img.components == 1 ? p[0] * 0x010101u : p[0] | (p[1] << 8) | (p[2] << 16);
}

}  // namespace

TEST(JpegCodec, EncodeDecodeKeepsThePicture) {
  struct Case {
    int quality;
    bool progressive;
  } cases[] = {{90, false}, {50, false}, {95, true}};
  for (const Case& c : cases) {
    std::string data = jpeg::Encode(TestPattern(), c.quality, c.progressive);
    ASSERT_TRUE(jpeg::LooksLikeJpeg(data));
    jpeg::Info info = jpeg::ReadInfo(data);
    EXPECT_EQ(info.width, 64);
    EXPECT_EQ(info.height, 48);
    EXPECT_EQ(info.components, 3);
    EXPECT_EQ(info.progressive, c.progressive);
    jpeg::Image back = jpeg::Decode(data);
    ASSERT_EQ(back.width, 64);
    ASSERT_EQ(back.components, 3);
    EXPECT_TRUE(gfx_test::NearColor(RgbAt(back, 8, 8), 0x0000FF, 40)) << c.quality;
    EXPECT_TRUE(gfx_test::NearColor(RgbAt(back, 56, 40), 0xFF0000, 40)) << c.quality;
    EXPECT_TRUE(gfx_test::NearColor(RgbAt(back, 32, 24), 0xFFFFFF, 40)) << c.quality;
  }
  // Higher quality means more bytes.
  EXPECT_GT(jpeg::Encode(TestPattern(), 95).size(), jpeg::Encode(TestPattern(), 20).size());
}

TEST(JpegCodec, GreyscaleAndScaledDecoding) {
  std::string grey = jpeg::Encode(TestPattern(), 90, false, true);
  EXPECT_EQ(jpeg::ReadInfo(grey).components, 1);
  jpeg::Image g = jpeg::Decode(grey);
  EXPECT_EQ(g.components, 1);
  EXPECT_NEAR(RgbAt(g, 32, 24) & 0xFF, 255, 8);

  std::string colour = jpeg::Encode(TestPattern(), 90);
  jpeg::Image asGrey = jpeg::Decode(colour, true);
  EXPECT_EQ(asGrey.components, 1) << "a colour file decoded as grey";
  jpeg::Image quarter = jpeg::Decode(colour, false, 4);
  EXPECT_EQ(quarter.width, 16);
  EXPECT_EQ(quarter.height, 12);
}

TEST(JpegCodec, ImageMagickReadsWhatWeWrite) {
  std::string convert = support::FindTool("convert");
  if (convert.empty()) GTEST_SKIP() << "needs convert (imagemagick)";
  support::ScratchFolder dir;
  for (bool progressive : {false, true}) {
    std::string file = dir.File(progressive ? "p.jpg" : "b.jpg");
    support::WriteFile(file, jpeg::Encode(TestPattern(), 90, progressive));
    gfx_test::RgbImage img = gfx_test::ReadWithImageMagick(convert, file, dir.File("out.ppm"));
    ASSERT_EQ(img.width, 64);
    ASSERT_EQ(img.height, 48);
    EXPECT_TRUE(gfx_test::NearColor(img.Pixel(8, 8), 0x0000FF, 40));
    EXPECT_TRUE(gfx_test::NearColor(img.Pixel(56, 40), 0xFF0000, 40));
  }
}

TEST(JpegCodec, CmykFilesFromOtherWritersDecodeToRgb) {
  std::string convert = support::FindTool("convert");
  if (convert.empty()) GTEST_SKIP() << "needs convert (imagemagick)";
  support::ScratchFolder dir;
  std::string file = dir.File("cmyk.jpg");
  ASSERT_EQ(gfx_test::Run("'" + convert + "' -size 16x16 xc:'#FF0000' -colorspace CMYK -quality 95 '" + file + "'"), 0);
  std::string data = support::ReadFile(file);
  EXPECT_EQ(jpeg::ReadInfo(data).components, 4);
  jpeg::Image img = jpeg::Decode(data);
  EXPECT_EQ(img.components, 3);
  EXPECT_TRUE(gfx_test::NearColor(RgbAt(img, 8, 8), 0x0000FF, 40)) << std::hex << RgbAt(img, 8, 8);
}

TEST(JpegCodec, DamagedDataRaisesInsteadOfExiting) {
  std::string good = jpeg::Encode(TestPattern(), 80);
  // Cuts at every stage: headers, tables, scan data.
  for (std::size_t len : {std::size_t(0), std::size_t(2), std::size_t(3), std::size_t(20), std::size_t(200),
                          good.size() / 2, good.size() - 2}) {
    EXPECT_THROW(jpeg::Decode(std::string_view(good).substr(0, len)), gfx::EJPEG) << len;
  }
  EXPECT_THROW(jpeg::Decode("not a jpeg at all"), gfx::EJPEG);
  try {
    jpeg::Decode(std::string_view(good).substr(0, 20));
    FAIL();
  } catch (const gfx::EJPEG& e) {
    EXPECT_NE(std::string(e.what()).find("JPEG error: "), std::string::npos) << e.what();
  }
  // Random damage behind the start marker: an exception or a picture.
  std::mt19937 rng(99);
  for (int round = 0; round < 200; ++round) {
    std::string bad = good;
    for (int i = 0; i < 6; ++i) bad[2 + rng() % (bad.size() - 2)] = static_cast<char>(rng());
    try {
      jpeg::Decode(bad);
    } catch (const gfx::EJPEG&) {
    }
  }
  EXPECT_THROW(jpeg::Encode(jpeg::Image{}, 90), gfx::EJPEG);
}

// ---- TJPEGImage ---------------------------------------------------------------

namespace {

std::unique_ptr<gfx::TBitmap> PatternBitmap() {
  jpeg::Image p = TestPattern();
  auto bmp = std::make_unique<gfx::TBitmap>(p.width, p.height, gfx::pf24bit);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const std::uint8_t* px = &p.pixels[(std::size_t(y) * p.width + x) * 3];
      bmp->SetPixelColor(x, y, static_cast<gfx::TColor>(gfx::RGB(px[0], px[1], px[2])));
    }
  return bmp;
}

std::string SavedJpeg(const gfx::TJPEGImage& img) {
  rtl::TMemoryStream s;
  img.SaveToStream(s);
  return s.Bytes();
}

}  // namespace

TEST(JPEGImage, FromABitmapToAFileOthersRead) {
  std::string convert = support::FindTool("convert");
  if (convert.empty()) GTEST_SKIP() << "needs convert (imagemagick)";
  gfx::TJPEGImage img;
  img.Assign(*PatternBitmap());
  EXPECT_EQ(img.Width(), 64);
  EXPECT_EQ(img.CompressionQuality(), 90);
  support::ScratchFolder dir;
  img.SaveToFile(dir.File("p.jpg"));
  gfx_test::RgbImage read = gfx_test::ReadWithImageMagick(convert, dir.File("p.jpg"), dir.File("p.ppm"));
  ASSERT_EQ(read.width, 64);
  EXPECT_TRUE(gfx_test::NearColor(read.Pixel(8, 8), 0x0000FF, 40));
  EXPECT_TRUE(gfx_test::NearColor(read.Pixel(56, 40), 0xFF0000, 40));
  EXPECT_TRUE(gfx_test::NearColor(read.Pixel(32, 24), 0xFFFFFF, 40));
}

TEST(JPEGImage, QualityGreyAndProgressiveApplyWhenCompressing) {
  auto bmp = PatternBitmap();
  gfx::TJPEGImage low, high, grey, prog;
  low.SetCompressionQuality(15);
  low.Assign(*bmp);
  high.SetCompressionQuality(98);
  high.Assign(*bmp);
  EXPECT_LT(SavedJpeg(low).size(), SavedJpeg(high).size());
  grey.SetGrayscale(true);
  grey.Assign(*bmp);
  EXPECT_EQ(jpeg::ReadInfo(SavedJpeg(grey)).components, 1);
  prog.SetProgressiveEncoding(true);
  prog.Assign(*bmp);
  EXPECT_TRUE(jpeg::ReadInfo(SavedJpeg(prog)).progressive);
}

TEST(JPEGImage, ReadingKeepsTheFileAndDecodesForDrawing) {
  std::string file = jpeg::Encode(TestPattern(), 75, true);
  gfx::TJPEGImage img;
  rtl::TMemoryStream in(file);
  img.LoadFromStream(in);
  EXPECT_TRUE(img.ProgressiveFile());
  EXPECT_EQ(SavedJpeg(img), file) << "an unchanged image is written back as it was read";
  EXPECT_EQ(img.Bitmap().PixelFormat(), gfx::pf24bit);

  gfx::TBitmap target(64, 48, gfx::pf24bit);
  target.Canvas().Draw(0, 0, img);
  EXPECT_TRUE(gfx_test::NearColor(gfx::ColorToRGB(target.PixelColor(8, 8)), gfx::ColorToRGB(gfx::clRed), 40));

  img.SetScale(gfx::jsQuarter);
  EXPECT_EQ(img.Width(), 16);
  img.SetPixelFormat(gfx::jf8Bit);
  EXPECT_EQ(img.Bitmap().PixelFormat(), gfx::pf8bit);
  EXPECT_THROW(img.SetWidth(10), gfx::EInvalidGraphicOperation);

  gfx::TJPEGImage copy;
  copy.Assign(img);
  EXPECT_EQ(SavedJpeg(copy), file);
}

TEST(JPEGImage, DamagedFilesRaiseAndKeepTheImage) {
  std::string good = jpeg::Encode(TestPattern(), 80);
  gfx::TJPEGImage img;
  rtl::TMemoryStream first(good);
  img.LoadFromStream(first);
  for (const std::string& bad :
       {good.substr(0, good.size() / 2), good.substr(0, 4), std::string("\xFF\xD8\xFF garbage"), std::string("nope")}) {
    rtl::TMemoryStream s(bad);
    EXPECT_THROW(img.LoadFromStream(s), gfx::EJPEG) << bad.size();
    EXPECT_EQ(s.Position(), 0) << "the stream is left where it was";
    EXPECT_EQ(img.Width(), 64);
    EXPECT_EQ(SavedJpeg(img), good);
  }
}

TEST(JPEGImage, ImagesTooLargeToDrawAreRefused) {
  // Drawing surfaces end at 32767 pixels a side.
  jpeg::Image wide{33000, 8, 1, std::vector<std::uint8_t>(33000 * 8, 128)};
  std::string data = jpeg::Encode(wide, 50);
  gfx::TJPEGImage img;
  rtl::TMemoryStream s(data);
  EXPECT_THROW(img.LoadFromStream(s), gfx::EJPEG);
  EXPECT_TRUE(img.Empty());
}
