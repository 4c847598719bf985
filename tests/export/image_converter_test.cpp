// The picture saver: extensions, each format's output checked by pngcheck,
// ImageMagick and our own readers, transparency of unpainted areas, empty
// pictures, and files that are replaced only when saving succeeds.
#include <gtest/gtest.h>

#include <memory>

#include "export/vuzImageConverter.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/jpeg_image.h"
#include "platform/gfx/metafile.h"
#include "report/frxpngimage.h"
#include "tests/export/export_tools.h"
#include "tests/export/gif_reader.h"

namespace {

using namespace exporttest;
using namespace report;

constexpr int kW = 40, kH = 30;
// The painted part of the sample metafile; the rest stays unpainted.
const gfx::TRect kPainted{10, 5, 30, 25};
constexpr gfx::TColor kRed = 0x0000FF;

std::unique_ptr<gfx::TMetafile> SampleMetafile() {
  auto mf = std::make_unique<gfx::TMetafile>();
  mf->SetWidth(kW);
  mf->SetHeight(kH);
  gfx::TMetafileCanvas canvas(*mf);
  canvas.Brush().SetColor(kRed);
  canvas.FillRect(kPainted);
  canvas.Close();
  return mf;
}

std::string Saved(const gfx::TGraphic& g, TfrxPictureType type) {
  rtl::TMemoryStream out;
  SaveGraphicAs(g, out, type);
  return out.Bytes();
}

// The data of the first chunk of that name in a PNG file.
std::string PngChunk(const std::string& png, const std::string& name) {
  std::size_t p = 8;
  while (p + 12 <= png.size()) {
    const std::uint32_t len = (std::uint32_t(static_cast<unsigned char>(png[p])) << 24) |
                              (std::uint32_t(static_cast<unsigned char>(png[p + 1])) << 16) |
                              (std::uint32_t(static_cast<unsigned char>(png[p + 2])) << 8) |
                              static_cast<unsigned char>(png[p + 3]);
    if (png.compare(p + 4, 4, name) == 0) return png.substr(p + 8, len);
    p += 12 + len;
  }
  return {};
}

TEST(PictureSaver, FileExtensions) {
  struct Case {
    int type;
    const char* ext;
  };
  const Case cases[] = {{gpPNG, "png"}, {gpBMP, "bmp"}, {gpEMF, "emf"}, {gpWMF, "wmf"},
                        {gpJPG, "jpg"}, {gpGIF, "gif"}, {6, ""},        {-1, ""}};
  for (const Case& c : cases) EXPECT_EQ(GetPicFileExtension(static_cast<TfrxPictureType>(c.type)), c.ext) << c.type;
}

TEST(PictureSaver, PngUnpaintedAreasAreTransparent) {
  const auto mf = SampleMetafile();
  const std::string png = Saved(*mf, gpPNG);
  const std::string header = PngChunk(png, "IHDR");
  ASSERT_EQ(header.size(), 13u);
  EXPECT_EQ(header[8], 8) << "bit depth";
  EXPECT_EQ(header[9], 2) << "RGB";
  EXPECT_EQ(PngChunk(png, "tRNS"), std::string("\0\x56\0\x34\0\x12", 6)) << "red 0x56, green 0x34, blue 0x12";
  TPNGObject read;
  rtl::TMemoryStream in(png);
  read.LoadFromStream(in);
  EXPECT_EQ(read.GetPixels(0, 0), 0x123456u);
  EXPECT_EQ(read.GetPixels(kW - 1, kH - 1), 0x123456u);
  EXPECT_EQ(read.GetPixels(20, 15), static_cast<TPNGColor>(kRed));
}

TEST(PictureSaver, BmpShowsTheMarkerColourWhereNothingIsPainted) {
  const auto mf = SampleMetafile();
  gfx::TBitmap read;
  rtl::TMemoryStream in(Saved(*mf, gpBMP));
  read.LoadFromStream(in);
  EXPECT_EQ(read.Width(), kW);
  EXPECT_EQ(read.PixelFormat(), gfx::pf24bit);
  EXPECT_EQ(read.PixelColor(0, 0), kPictureTransparentColor);
  EXPECT_EQ(read.PixelColor(20, 15), kRed);
}

TEST(PictureSaver, MetafilesKeepTheirRecords) {
  const auto mf = SampleMetafile();
  struct Case {
    TfrxPictureType type;
    std::string magic;
    bool enhanced;
  };
  const Case cases[] = {{gpEMF, std::string("\1\0\0\0", 4), true}, {gpWMF, "\xD7\xCD\xC6\x9A", false}};
  for (const Case& c : cases) {
    const std::string bytes = Saved(*mf, c.type);
    EXPECT_EQ(bytes.substr(0, 4), c.magic);
    gfx::TMetafile read;
    rtl::TMemoryStream in(bytes);
    read.LoadFromStream(in);
    EXPECT_EQ(read.Enhanced(), c.enhanced);
    EXPECT_NEAR(read.Width(), kW, 1);
    EXPECT_NEAR(read.Height(), kH, 1);
    gfx::TBitmap drawn(kW, kH, gfx::pf24bit);
    read.Draw(drawn.Canvas(), {0, 0, kW, kH});
    EXPECT_EQ(drawn.PixelColor(20, 15), kRed) << GetPicFileExtension(c.type);
    EXPECT_EQ(drawn.PixelColor(2, 2), gfx::clWhite) << GetPicFileExtension(c.type);
  }
}

TEST(PictureSaver, GifAndJpegStartWhite) {
  const auto mf = SampleMetafile();
  const GifFile gif = ReadGif(Saved(*mf, gpGIF));
  EXPECT_EQ(gif.width, kW);
  EXPECT_EQ(gif.Color(0), 0xFFFFFFu);
  EXPECT_EQ(gif.Color(15 * kW + 20), 0xFF0000u);
  gfx::TJPEGImage jpeg;
  rtl::TMemoryStream in(Saved(*mf, gpJPG));
  jpeg.LoadFromStream(in);
  EXPECT_TRUE(gfx_test::NearColor(jpeg.Bitmap().PixelColor(1, 1), gfx::clWhite, 8));
  EXPECT_TRUE(gfx_test::NearColor(jpeg.Bitmap().PixelColor(20, 15), kRed, 24));
}

TEST(PictureSaver, EmptyPicturesAndUnknownTypes) {
  gfx::TMetafile empty;
  struct Case {
    int type;
    bool writes;
  };
  const Case cases[] = {{gpPNG, false}, {gpBMP, false}, {gpEMF, true}, {gpWMF, true},
                        {gpJPG, false}, {gpGIF, true},  {17, false}};
  for (const Case& c : cases) {
    std::string bytes;
    ASSERT_NO_THROW(bytes = Saved(empty, static_cast<TfrxPictureType>(c.type))) << c.type;
    EXPECT_EQ(!bytes.empty(), c.writes) << c.type;
  }
  EXPECT_EQ(ReadGif(Saved(empty, gpGIF)).width, 0);
  const auto mf = SampleMetafile();
  EXPECT_EQ(Saved(*mf, static_cast<TfrxPictureType>(6)), "");
}

// Draws nothing but fails, as a damaged picture might.
class FailingGraphic : public gfx::TGraphic {
 public:
  std::string ClassName() const override { return "TFailing"; }
  std::unique_ptr<gfx::TGraphic> NewInstance() const override { return std::make_unique<FailingGraphic>(); }
  int Width() const override { return 10; }
  int Height() const override { return 10; }
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  void Draw(gfx::TCanvas&, const gfx::TRect&) const override { throw gfx::EInvalidGraphic("damaged"); }
  void LoadFromStream(rtl::TStream&) override {}
  void SaveToStream(rtl::TStream&) const override {}
};

TEST(PictureSaver, FilesAreReplacedOnlyWhenSavingSucceeds) {
  TempDir dir;
  const std::string file = dir.File("picture.png");
  WriteFile(file, "old picture");
  EXPECT_THROW(SaveGraphicAs(FailingGraphic(), file, gpPNG), gfx::EInvalidGraphic);
  EXPECT_EQ(ReadFile(file), "old picture");
  SaveGraphicAs(*SampleMetafile(), file, gpPNG);
  EXPECT_EQ(ReadFile(file).substr(1, 3), "PNG");
}

// pngcheck and ImageMagick on every raster format we write.
TEST(PictureSaver, IndependentReadersAcceptTheFiles) {
  const std::string pngcheck = FindTool("pngcheck"), convert = FindTool("convert"), identify = FindTool("identify");
  if (pngcheck.empty() || convert.empty() || identify.empty()) GTEST_SKIP() << "needs pngcheck and imagemagick";
  TempDir dir;
  const auto mf = SampleMetafile();
  // A bitmap and a PNG image as sources too.
  gfx::TBitmap bitmap(kW, kH, gfx::pf24bit);
  mf->Draw(bitmap.Canvas(), {0, 0, kW, kH});
  for (const gfx::TGraphic* source :
       {static_cast<const gfx::TGraphic*>(mf.get()), static_cast<const gfx::TGraphic*>(&bitmap)}) {
    for (TfrxPictureType type : {gpPNG, gpBMP, gpJPG, gpGIF}) {
      const std::string file = dir.File("p." + GetPicFileExtension(type));
      SaveGraphicAs(*source, file, type);
      SCOPED_TRACE(file + " from " + source->ClassName());
      if (type == gpPNG) {
        EXPECT_EQ(Shell(Quote(pngcheck) + " -q " + Quote(file)), 0) << Output(Quote(pngcheck) + " " + Quote(file));
      }
      if (type == gpJPG) {
        EXPECT_EQ(Output(Quote(identify) + " -format %Q " + Quote(file)), "90");
      }
      const gfx_test::RgbImage img = ReadWithImageMagick(convert, file);
      ASSERT_EQ(img.width, kW);
      ASSERT_EQ(img.height, kH);
      EXPECT_TRUE(gfx_test::NearColor(img.Pixel(20, 15), kRed, 24));
      // Unpainted: transparent in PNG (white behind it), the marker in BMP,
      // white in JPEG and GIF; a bitmap source paints everything white.
      const bool fromMetafile = source == mf.get();
      const gfx::TColor corner = fromMetafile && type == gpBMP ? kPictureTransparentColor : gfx::clWhite;
      EXPECT_TRUE(gfx_test::NearColor(img.Pixel(0, 0), corner, 8)) << std::hex << img.Pixel(0, 0);
    }
  }
}

}  // namespace
