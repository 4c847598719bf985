// TPicture and its class registry, and TIcon.
#include "platform/gfx/picture.h"

#include <gtest/gtest.h>

#include "external_tools.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/icon.h"
#include "platform/gfx/jpeg_image.h"
#include "platform/gfx/metafile.h"
#include "platform/gfx/metafile_bytes.h"
#include "platform/gfx/recording_canvas.h"

using namespace gfx;

namespace {

std::string Saved(const TGraphic& g) {
  rtl::TMemoryStream s;
  g.SaveToStream(s);
  return s.Bytes();
}

std::unique_ptr<TBitmap> SmallBitmap() {
  auto bmp = std::make_unique<TBitmap>(8, 6, pf24bit);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) bmp->SetPixelColor(x, y, x < 4 ? clRed : clBlue);
  return bmp;
}

std::unique_ptr<TMetafile> SmallMetafile(bool enhanced) {
  auto mf = std::make_unique<TMetafile>();
  mf->SetWidth(40);
  mf->SetHeight(30);
  mf->SetEnhanced(enhanced);
  TMetafileCanvas c(*mf);
  c.Brush().SetColor(clGreen);
  c.Rectangle(0, 0, 40, 30);
  c.Close();
  return mf;
}

// A stand-in for a class another library registers (the PNG class does).
class TFakePng : public TGraphic {
 public:
  std::string ClassName() const override { return "TPNGObject"; }
  std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TFakePng>(); }
  int Width() const override { return static_cast<int>(data.size()); }
  int Height() const override { return 1; }
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  void Draw(TCanvas&, const TRect&) const override {}
  void LoadFromStream(rtl::TStream& s) override { data = s.ReadRest(); }
  void SaveToStream(rtl::TStream& s) const override { s.WriteString(data); }
  std::string data;
};

const std::string kPngHead("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);

}  // namespace

TEST(PictureRegistry, KnowsTheLibrarysClassesByExtensionAndName) {
  struct Case {
    const char* ext;
    const char* cls;
  } cases[] = {{"bmp", "TBitmap"},    {".BMP", "TBitmap"},    {"emf", "TMetafile"}, {"wmf", "TMetafile"},
               {"jpg", "TJPEGImage"}, {"JPEG", "TJPEGImage"}, {"ico", "TIcon"}};
  for (const Case& c : cases) {
    auto g = TPicture::CreateGraphicForExtension(c.ext);
    ASSERT_TRUE(g) << c.ext;
    EXPECT_EQ(g->ClassName(), c.cls) << c.ext;
    EXPECT_TRUE(TPicture::IsClassRegistered(c.cls));
    EXPECT_EQ(TPicture::CreateGraphic(c.cls)->ClassName(), c.cls);
  }
  EXPECT_FALSE(TPicture::CreateGraphicForExtension("xyz"));
  EXPECT_FALSE(TPicture::CreateGraphic("TNoSuchGraphic"));
  std::string filter = TPicture::GraphicFilter();
  EXPECT_EQ(filter.rfind("All (*.bmp;*.ico;*.emf;*.wmf;*.jpg;*.jpeg", 0), 0u) << filter;
  EXPECT_NE(filter.find("|Bitmaps (*.bmp)|*.bmp"), std::string::npos) << filter;
}

TEST(PictureRegistry, ALaterLibraryRegistersItsClass) {
  ASSERT_FALSE(TPicture::IsClassRegistered("TPNGObject"));
  TPicture pic;
  rtl::TMemoryStream png(kPngHead + "rest");
  EXPECT_THROW(pic.LoadFromStream(png), EInvalidGraphic) << "PNG data without the PNG class";

  TPicture::RegisterFileFormat("PNG", "Portable Network Graphics", [] { return std::make_unique<TFakePng>(); });
  EXPECT_TRUE(TPicture::IsClassRegistered("TPNGObject"));
  EXPECT_EQ(TPicture::CreateGraphicForExtension("png")->ClassName(), "TPNGObject");
  png.SetPosition(0);
  pic.LoadFromStream(png);
  EXPECT_EQ(pic.Graphic()->ClassName(), "TPNGObject");
  // Stored by class name, it loads again.
  rtl::TMemoryStream stored;
  pic.WriteData(stored);
  stored.SetPosition(0);
  TPicture back;
  back.ReadData(stored);
  EXPECT_EQ(static_cast<TFakePng*>(back.Graphic())->data, kPngHead + "rest");
  EXPECT_NE(TPicture::GraphicFilter().find("Portable Network Graphics (*.png)|*.png"), std::string::npos);

  TPicture::UnregisterGraphicClass("TPNGObject");
  EXPECT_FALSE(TPicture::IsClassRegistered("TPNGObject"));
  EXPECT_FALSE(TPicture::CreateGraphicForExtension("png"));
  EXPECT_EQ(TPicture::GraphicFilter().find("png"), std::string::npos);
}

TEST(PictureRegistry, FirstBytesTellTheClass) {
  EXPECT_EQ(TPicture::DetectClassName(Saved(*SmallBitmap())), "TBitmap");
  EXPECT_EQ(TPicture::DetectClassName(Saved(*SmallMetafile(true))), "TMetafile");
  EXPECT_EQ(TPicture::DetectClassName(Saved(*SmallMetafile(false))), "TMetafile");
  EXPECT_EQ(TPicture::DetectClassName(std::string("\xFF\xD8\xFF\xE0", 4)), "TJPEGImage");
  EXPECT_EQ(TPicture::DetectClassName(kPngHead), "TPNGObject");
  EXPECT_EQ(TPicture::DetectClassName(std::string("\0\0\1\0\1\0", 6)), "TIcon");
  EXPECT_EQ(TPicture::DetectClassName(std::string(5, '\0')), "");
  EXPECT_EQ(TPicture::DetectClassName("BM"), "") << "too short for a bitmap";
  EXPECT_EQ(TPicture::DetectClassName("GIF89a"), "");
}

TEST(Picture, LoadsEveryClassFromAStreamAndKeepsItOnFailure) {
  TJPEGImage jpg;
  jpg.Assign(*SmallBitmap());
  const std::pair<std::string, std::string> cases[] = {
      {Saved(*SmallBitmap()), "TBitmap"},
      {Saved(*SmallMetafile(true)), "TMetafile"},
      {Saved(*SmallMetafile(false)), "TMetafile"},
      {Saved(jpg), "TJPEGImage"},
  };
  for (const auto& [data, cls] : cases) {
    TPicture pic;
    rtl::TMemoryStream s(data);
    pic.LoadFromStream(s);
    ASSERT_TRUE(pic.Graphic());
    EXPECT_EQ(pic.Graphic()->ClassName(), cls);
    EXPECT_GT(pic.Width(), 0);
  }
  TPicture pic;
  pic.Bitmap().Assign(*SmallBitmap());
  for (const std::string& bad : {std::string("garbage!"), std::string(), std::string("BM") + std::string(20, '\xFF'),
                                 Saved(jpg).substr(0, 40)}) {
    rtl::TMemoryStream s(bad);
    EXPECT_THROW(pic.LoadFromStream(s), EInvalidGraphic) << bad.size();
    ASSERT_TRUE(pic.Graphic());
    EXPECT_EQ(pic.Graphic()->ClassName(), "TBitmap");
    EXPECT_EQ(pic.Width(), 8);
  }
}

TEST(Picture, StoredFormCarriesClassNameAndLength) {
  TPicture pic;
  pic.SetGraphic(SmallBitmap().get());
  rtl::TMemoryStream stored;
  pic.WriteData(stored);
  const std::string& b = stored.Bytes();
  ASSERT_GT(b.size(), 12u);
  EXPECT_EQ(b[0], 7);
  EXPECT_EQ(b.substr(1, 7), "TBitmap");
  EXPECT_EQ(bytes::Reader(b).U32(8), b.size() - 12);
  EXPECT_EQ(b.substr(12, 2), "BM");

  for (bool enhanced : {true, false}) {
    TPicture mfPic;
    mfPic.SetGraphic(SmallMetafile(enhanced).get());
    rtl::TMemoryStream s;
    mfPic.WriteData(s);
    s.WriteString("after");
    s.SetPosition(0);
    TPicture back;
    back.ReadData(s);
    EXPECT_EQ(s.ReadRest(), "after") << "reads exactly its own bytes";
    auto* mf = dynamic_cast<TMetafile*>(back.Graphic());
    ASSERT_TRUE(mf);
    EXPECT_EQ(mf->Enhanced(), enhanced);
    EXPECT_EQ(mf->Width(), 40);
  }
  TPicture empty;
  rtl::TMemoryStream e;
  empty.WriteData(e);
  EXPECT_EQ(e.Bytes(), std::string(1, '\0'));
  e.SetPosition(0);
  TPicture back;
  back.Bitmap();
  back.ReadData(e);
  EXPECT_EQ(back.Graphic(), nullptr);

  rtl::TMemoryStream unknown(std::string("\x05TNope", 6));
  EXPECT_THROW(back.ReadData(unknown), EInvalidGraphic);
  rtl::TMemoryStream cut(std::string("\x07TBitmap\xFF\xFF\x00\x00BM", 14));
  EXPECT_THROW(back.ReadData(cut), EInvalidGraphic);
}

TEST(Picture, AccessorsReplaceTheGraphicAndChangesAreReported) {
  TPicture pic;
  int changes = 0;
  pic.OnChange = [&](TPicture&) { ++changes; };
  pic.Bitmap().SetSize(10, 10);
  EXPECT_GE(changes, 1);
  EXPECT_EQ(pic.Width(), 10);
  int before = changes;
  TMetafile& mf = pic.Metafile();
  EXPECT_EQ(pic.Graphic()->ClassName(), "TMetafile") << "the bitmap was replaced";
  EXPECT_GT(changes, before);
  before = changes;
  mf.SetWidth(77);
  EXPECT_GT(changes, before) << "a change of the graphic is the picture's change";
  EXPECT_EQ(pic.Width(), 77);

  // Assign copies: the source stays independent.
  TPicture copy;
  copy.Assign(pic);
  mf.SetWidth(5);
  EXPECT_EQ(copy.Width(), 77);
  pic.Clear();
  EXPECT_TRUE(pic.Empty());
  EXPECT_EQ(pic.Width(), 0);
}

TEST(Picture, AChartMetafileSurvivesThePictureCacheAndDrawsTheSame) {
  // The chart reaches a report as a plain (not enhanced) metafile; the
  // prepared pages store the picture by its stream and read it back by its
  // first bytes.
  auto chart = SmallMetafile(false);
  TPicture pic;
  pic.SetGraphic(chart.get());
  rtl::TMemoryStream cache;
  cache.WriteString("earlier picture");
  std::int64_t at = cache.Position();
  pic.SaveToStream(cache);
  cache.SetPosition(at);
  TPicture back;
  back.LoadFromStream(cache);
  auto* mf = dynamic_cast<TMetafile*>(back.Graphic());
  ASSERT_TRUE(mf);
  EXPECT_FALSE(mf->Enhanced());
  TBitmap a(40, 30, pf24bit), b(40, 30, pf24bit);
  a.Canvas().StretchDraw(Rect(0, 0, 40, 30), *chart);
  b.Canvas().StretchDraw(Rect(0, 0, 40, 30), *back.Graphic());
  for (auto [x, y] : {std::pair{1, 1}, {20, 15}, {38, 28}})
    EXPECT_EQ(a.PixelColor(x, y), b.PixelColor(x, y)) << x << "," << y;
  EXPECT_EQ(ColorToRGB(b.PixelColor(20, 15)), ColorToRGB(clGreen));
}

TEST(Picture, FilesByContentThenExtension) {
  support::ScratchFolder dir;
  TPicture pic;
  pic.SetGraphic(SmallMetafile(true).get());
  pic.SaveToFile(dir.File("m.wmf"));
  pic.SaveToFile(dir.File("m.emf"));
  EXPECT_EQ(static_cast<unsigned char>(support::ReadFile(dir.File("m.wmf"))[0]), 0xD7) << "placeable WMF by name";
  EXPECT_EQ(support::ReadFile(dir.File("m.emf")).substr(40, 4), " EMF");
  EXPECT_TRUE(static_cast<TMetafile*>(pic.Graphic())->Enhanced()) << "saving does not change the metafile";

  // A file named wrongly is read by its content.
  pic.SetGraphic(SmallBitmap().get());
  pic.SaveToFile(dir.File("really-a-bitmap.jpg"));
  TPicture back;
  back.LoadFromFile(dir.File("really-a-bitmap.jpg"));
  EXPECT_EQ(back.Graphic()->ClassName(), "TBitmap");

  support::WriteFile(dir.File("odd.xyz"), "nothing known");
  try {
    back.LoadFromFile(dir.File("odd.xyz"));
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_NE(std::string(e.what()).find(".xyz"), std::string::npos) << e.what();
  }
  support::WriteFile(dir.File("odd.bmp"), "nothing known");
  EXPECT_THROW(back.LoadFromFile(dir.File("odd.bmp")), EInvalidGraphic) << "the extension's class refuses it";
  EXPECT_EQ(back.Graphic()->ClassName(), "TBitmap");
}

TEST(Picture, BitmapFilesWeWriteReadBackInImageMagick) {
  std::string convert = support::FindTool("convert");
  if (convert.empty()) GTEST_SKIP() << "needs convert (imagemagick)";
  support::ScratchFolder dir;
  TPicture pic;
  pic.SetGraphic(SmallBitmap().get());
  pic.SaveToFile(dir.File("p.bmp"));
  gfx_test::RgbImage img = gfx_test::ReadWithImageMagick(convert, dir.File("p.bmp"), dir.File("p.ppm"));
  ASSERT_EQ(img.width, 8);
  ASSERT_EQ(img.height, 6);
  EXPECT_EQ(img.Pixel(1, 1), 0x0000FFu);
  EXPECT_EQ(img.Pixel(6, 4), 0xFF0000u);
}

// ---- icons -----------------------------------------------------------------

namespace {

// An icon file by hand: a 4 x 4 4-bit image with an AND mask (the right
// column transparent) and an 8 x 8 32-bit image with alpha.
std::string HandMadeIcon() {
  bytes::Writer bmp4;
  bmp4.U32(40);
  bmp4.I32(4);
  bmp4.I32(8);  // doubled height
  bmp4.U16(1);
  bmp4.U16(4);
  bmp4.Zeros(24);
  for (int i = 0; i < 16; ++i) bmp4.U32(i == 1 ? 0x0000FF : i == 2 ? 0x00FF00 : 0);  // blue, green (BGR order)
  for (int y = 0; y < 4; ++y) {  // bottom-up rows: index 1 left half, 2 right half
    bmp4.U8(0x11);
    bmp4.U8(0x22);
    bmp4.U16(0);
  }
  for (int y = 0; y < 4; ++y) bmp4.U32(0x10);  // mask: bit for x = 3 set, row padded to 4 bytes

  bytes::Writer bmp32;
  bmp32.U32(40);
  bmp32.I32(8);
  bmp32.I32(16);
  bmp32.U16(1);
  bmp32.U16(32);
  bmp32.Zeros(24);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) bmp32.U32(x < 4 ? 0xFFFF0000u : 0x80FF0000u);  // red; right half 50 % alpha
  bmp32.Zeros(8 * 4);

  bytes::Writer f;
  f.U16(0);
  f.U16(1);
  f.U16(2);
  std::size_t offset = 6 + 2 * 16;
  auto entry = [&](int w, int bpp, std::size_t size) {
    f.U8(static_cast<std::uint8_t>(w));
    f.U8(static_cast<std::uint8_t>(w));
    f.U8(0);
    f.U8(0);
    f.U16(1);
    f.U16(static_cast<std::uint16_t>(bpp));
    f.U32(static_cast<std::uint32_t>(size));
    f.U32(static_cast<std::uint32_t>(offset));
    offset += size;
  };
  entry(4, 4, bmp4.Size());
  entry(8, 32, bmp32.Size());
  f.Bytes(bmp4.Data());
  f.Bytes(bmp32.Data());
  return f.Take();
}

std::unique_ptr<TIcon> LoadIcon(const std::string& data) {
  auto icon = std::make_unique<TIcon>();
  rtl::TMemoryStream s(data);
  icon->LoadFromStream(s);
  return icon;
}

}  // namespace

TEST(Icon, ReadsBitmapImagesWithMaskAndAlpha) {
  std::string data = HandMadeIcon();
  auto icon = LoadIcon(data);
  ASSERT_EQ(icon->Images().size(), 2u);
  EXPECT_EQ(icon->Width(), 8) << "the largest image by default";
  EXPECT_EQ(icon->Image().argb[0], 0xFFFF0000u);
  EXPECT_EQ(icon->Image().argb[7] >> 24, 0x80u);

  icon->SetSize(4);
  EXPECT_EQ(icon->Width(), 4);
  EXPECT_EQ(icon->Image().argb[0], 0xFF0000FFu) << "palette entry 1, blue";
  EXPECT_EQ(icon->Image().argb[2], 0xFF00FF00u);
  EXPECT_EQ(icon->Image().argb[3], 0u) << "masked";
  EXPECT_EQ(Saved(*icon), data) << "saved as read";

  // Drawn on a bitmap: the mask lets the ground show, alpha blends.
  TBitmap ground(4, 4, pf24bit);
  ground.Canvas().Brush().SetColor(clYellow);
  ground.Canvas().FillRect(Rect(0, 0, 4, 4));
  ground.Canvas().Draw(0, 0, *icon);
  EXPECT_EQ(ColorToRGB(ground.PixelColor(0, 0)), ColorToRGB(clBlue));
  EXPECT_EQ(ColorToRGB(ground.PixelColor(3, 0)), ColorToRGB(clYellow));
  icon->SetSize(0);
  TBitmap white(8, 8, pf24bit);
  white.Canvas().Draw(0, 0, *icon);
  EXPECT_EQ(ColorToRGB(white.PixelColor(1, 1)), ColorToRGB(clRed));
  TColorRef half = ColorToRGB(white.PixelColor(6, 6));
  EXPECT_NEAR(GetRValue(half), 255, 2);
  EXPECT_NEAR(GetGValue(half), 127, 3) << "half red over white";

  // On a canvas that keeps no pixels the transparent part is left out.
  TRecordingCanvas rec;
  icon->SetSize(4);
  rec.Draw(0, 0, *icon);
  EXPECT_FALSE(rec.Calls().empty());
}

TEST(Icon, ReadsIconsImageMagickWritesWithPngImages) {
  std::string convert = support::FindTool("convert");
  if (convert.empty()) GTEST_SKIP() << "needs convert (imagemagick)";
  support::ScratchFolder dir;
  std::string file = dir.File("multi.ico");
  ASSERT_EQ(gfx_test::Run("'" + convert +
                          "' -size 256x256 xc:'#00FF00' \\( -clone 0 -resize 32x32 \\) "
                          "\\( -clone 0 -resize 16x16 \\) '" +
                          file + "'"),
            0);
  TPicture pic;
  pic.LoadFromFile(file);
  auto* icon = dynamic_cast<TIcon*>(pic.Graphic());
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->Images().size(), 3u);
  EXPECT_EQ(icon->Width(), 256);
  EXPECT_TRUE(icon->Images()[icon->Current()].png) << "ImageMagick stores 256-pixel images as PNG";
  EXPECT_EQ(icon->Image().argb[1000], 0xFF00FF00u);
  icon->SetSize(20);
  EXPECT_EQ(icon->Width(), 16);
  EXPECT_EQ(icon->Image().argb[5] & 0xFFFFFF, 0x00FF00u);
}

TEST(Icon, DamagedFilesRaise) {
  std::string good = HandMadeIcon();
  auto patch32 = [](std::string s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
    return s;
  };
  // The image in use is the larger second one.
  std::size_t second = bytes::Reader(good).U32(6 + 16 + 12);
  const std::pair<std::string, const char*> cases[] = {
      {good.substr(0, 10), "directory cut"},
      {good.substr(0, good.size() - 100), "image cut"},
      {patch32(good, 6 + 12, 0x7FFFFFF0), "offset beyond the file"},
      {patch32(good, 6 + 8, 0xFFFFFFF0), "size beyond the file"},
      {patch32(good, second + 4, 100000), "huge width"},
      {patch32(good, second + 0, 7), "bad header size"},
      {std::string("\0\0\1\0\1\0", 6), "no entries"},
  };
  for (const auto& [data, what] : cases) {
    TIcon icon;
    rtl::TMemoryStream s(data);
    EXPECT_THROW(icon.LoadFromStream(s), EInvalidGraphic) << what;
    EXPECT_EQ(icon.Width(), 0) << what;
  }
  // A PNG entry that is not a PNG.
  std::string png = good;
  png.replace(second, 8, std::string("\x89PNG\r\n\x1a\n", 8));
  TIcon icon;
  rtl::TMemoryStream s(png);
  EXPECT_THROW(icon.LoadFromStream(s), EInvalidGraphic);
  EXPECT_THROW(icon.SetWidth(5), EInvalidGraphicOperation);
}
