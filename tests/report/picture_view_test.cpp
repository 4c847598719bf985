// The picture object: recognising streams by their first bytes (with and
// without a database graphic prefix), stretching with aspect ratio and
// centring, transparency, file links and blob fields, Diff with the picture
// cache index, and its stored picture.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/jpeg_image.h"
#include "platform/gfx/metafile.h"
#include "platform/gfx/recording_canvas.h"
#include "platform/rtl/streams.h"
#include "png_support.h"
#include "report/vuzClassPicture.h"
#include "test_util.h"
#include "view_fixture.h"

using namespace report;
using namespace report_test;

namespace {

std::string U32(std::uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

// A database graphic field's prefix: 1, 0x0100 and the size of what follows.
std::string WithBlobPrefix(const std::string& data) {
  return Bytes({1, 0, 0, 1}) + U32(static_cast<std::uint32_t>(data.size())) + data;
}

std::string BmpBytes(int w, int h) {
  gfx::TBitmap bmp(w, h, gfx::pf24bit);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp.SetPixelColor(x, y, x < w / 2 ? 0x0000FF : 0xFF0000);
  rtl::TMemoryStream s;
  bmp.SaveToStream(s);
  s.SetPosition(0);
  return s.ReadRest();
}

std::string JpegBytes(int w, int h) {
  gfx::TBitmap bmp(w, h, gfx::pf24bit);
  gfx::TJPEGImage jpeg;
  jpeg.Assign(bmp);
  rtl::TMemoryStream s;
  jpeg.SaveToStream(s);
  s.SetPosition(0);
  return s.ReadRest();
}

std::string PngBytes(int w, int h) {
  RawImage img;
  img.width = w;
  img.height = h;
  img.colorType = 2;
  img.depth = 8;
  for (int y = 0; y < h; ++y) img.rows.emplace_back(static_cast<std::size_t>(w) * 3, static_cast<std::uint8_t>(y));
  return Encode(img);
}

std::string MetafileBytes(bool enhanced) {
  gfx::TMetafile mf;
  mf.SetWidth(40);
  mf.SetHeight(30);
  {
    gfx::TMetafileCanvas c(mf);
    c.Rectangle(0, 0, 40, 30);
  }
  mf.SetEnhanced(enhanced);
  rtl::TMemoryStream s;
  mf.SaveToStream(s);
  s.SetPosition(0);
  return s.ReadRest();
}

// A 1 x 1 icon of one 32-bit image with its AND mask.
std::string IconBytes() {
  std::string image = U32(40) + U32(1) + U32(2) + Bytes({1, 0, 32, 0}) + U32(0) + U32(0) + U32(0) + U32(0) + U32(0) +
                      U32(0) + Bytes({0x20, 0x40, 0x60, 0xFF}) + U32(0);
  return Bytes({0, 0, 1, 0, 1, 0}) + Bytes({1, 1, 0, 0, 1, 0, 32, 0}) + U32(static_cast<std::uint32_t>(image.size())) +
         U32(22) + image;
}

TEST(PictureSniffing, SignaturesByTheirFirstBytes) {
  std::string emf(100, '\0');
  emf[0] = 1;
  std::memcpy(&emf[40], " EMF", 4);
  const struct {
    const char* name;
    std::string head;
    const char* cls;
  } cases[] = {
      {"bitmap", "BM" + std::string(12, '\0'), "TBitmap"},
      {"jpeg", Bytes({0xFF, 0xD8}), "TJPEGImage"},
      {"png", Bytes({0x89, 'P', 'N', 'G', 13, 10, 26, 10}), "TPNGObject"},
      {"placeable wmf", Bytes({0xD7, 0xCD, 0xC6, 0x9A}) + std::string(18, '\0'), "TMetafile"},
      {"emf", emf, "TMetafile"},
      {"icon", Bytes({0, 0, 1, 0, 1, 0}), "TIcon"},
      {"wmf too short", Bytes({0xD7, 0xCD, 0xC6, 0x9A}) + std::string(17, 'x'), ""},
      // A cut EMF header still has 0 as its second word: an icon's mark.
      {"emf too short", emf.substr(0, 99), "TIcon"},
      {"five zero bytes", std::string(5, '\0'), ""},
      {"text", "hello, world", ""},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    rtl::TMemoryStream s("xx" + c.head);
    s.SetPosition(2);
    EXPECT_EQ(vuzSniffPictureClass(s), c.cls) << c.name;
    EXPECT_EQ(s.Position(), 2) << c.name;
  }
}

// Real pictures of each kind load, with and without a blob prefix.
TEST(PictureLoading, EveryFormatWithAndWithoutBlobPrefix) {
  const struct {
    const char* name;
    std::string bytes;
    const char* cls;
    int width, height;
  } cases[] = {
      {"bmp", BmpBytes(6, 4), "TBitmap", 6, 4},          {"jpeg", JpegBytes(8, 5), "TJPEGImage", 8, 5},
      {"png", PngBytes(7, 3), "TPNGObject", 7, 3},       {"wmf", MetafileBytes(false), "TMetafile", 40, 30},
      {"emf", MetafileBytes(true), "TMetafile", 40, 30}, {"ico", IconBytes(), "TIcon", 1, 1},
  };
  for (const auto& c : cases) {
    for (bool prefixed : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (prefixed ? " with prefix" : ""));
      TfrxPictureView view(nullptr);
      rtl::TMemoryStream s(prefixed ? WithBlobPrefix(c.bytes) : c.bytes);
      ASSERT_EQ(view.LoadPictureFromStream(s, true), plOk);
      ASSERT_NE(view.Picture()->Graphic(), nullptr);
      EXPECT_EQ(view.Picture()->Graphic()->ClassName(), c.cls);
      EXPECT_NEAR(view.Picture()->Width(), c.width, 1);
      EXPECT_NEAR(view.Picture()->Height(), c.height, 1);
    }
  }
}

TEST(PictureLoading, BadStreamsClearThePicture) {
  const std::string png = PngBytes(4, 4);
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"five zero bytes", std::string(5, '\0')},
      {"empty", ""},
      {"prefix with a wrong size", Bytes({1, 0, 0, 1}) + U32(static_cast<std::uint32_t>(png.size() + 1)) + png},
      {"damaged png", png.substr(0, 8) + std::string(40, 'z')},
      {"truncated bitmap", BmpBytes(10, 10).substr(0, 60)},
  };
  for (const auto& c : cases) {
    TfrxPictureView view(nullptr);
    rtl::TMemoryStream good(png);
    ASSERT_EQ(view.LoadPictureFromStream(good), plOk);
    rtl::TMemoryStream s(c.bytes);
    EXPECT_EQ(view.LoadPictureFromStream(s), plInvalidArg) << c.name;
    EXPECT_TRUE(view.Picture()->Empty()) << c.name;
  }
}

TEST(PictureLoading, FromTheCurrentPosition) {
  TfrxPictureView view(nullptr);
  rtl::TMemoryStream s("junk" + PngBytes(5, 2));
  s.SetPosition(4);
  EXPECT_EQ(view.LoadPictureFromStream(s, false), plOk);
  EXPECT_EQ(view.Picture()->Width(), 5);
  s.SetPosition(4);
  EXPECT_EQ(view.LoadPictureFromStream(s, true), plInvalidArg);
}

// ---------------------------------------------------------------- drawing

struct PictureDrawing : ::testing::Test {
  TfrxPictureView view{nullptr};
  gfx::TRecordingCanvas canvas;
  void Load(int w, int h) {
    rtl::TMemoryStream s(BmpBytes(w, h));
    ASSERT_EQ(view.LoadPictureFromStream(s), plOk);
  }
  gfx::TRect Drawn(long double scale = 1) {
    canvas.Clear();
    view.Draw(canvas, scale, scale, 0, 0);
    auto calls = canvas.CallsOf(gfx::TCanvasOp::DrawBitmap);
    auto transparent = canvas.CallsOf(gfx::TCanvasOp::DrawBitmapTransparent);
    calls.insert(calls.end(), transparent.begin(), transparent.end());
    EXPECT_EQ(calls.size(), 1u);
    return calls.empty() ? gfx::TRect{} : calls[0]->rect;
  }
};

TEST_F(PictureDrawing, AspectRatioAndCentring) {
  const struct {
    int pw, ph;
    bool keep, center;
    gfx::TRect rect;
  } cases[] = {
      {200, 100, true, false, {0, 0, 100, 50}},   {200, 100, true, true, {0, 25, 100, 75}},
      {100, 200, true, false, {0, 0, 50, 100}},   {100, 200, true, true, {25, 0, 75, 100}},
      {200, 100, false, false, {0, 0, 100, 100}}, {200, 100, false, true, {0, 0, 100, 100}},
      {30, 90, true, true, {33, 0, 66, 100}},
  };
  view.SetBounds(0, 0, 100, 100);
  for (const auto& c : cases) {
    Load(c.pw, c.ph);
    view.SetKeepAspectRatio(c.keep);
    view.SetCenter(c.center);
    EXPECT_EQ(Drawn(), c.rect) << c.pw << "x" << c.ph << " keep " << c.keep << " center " << c.center;
  }
}

TEST_F(PictureDrawing, UnstretchedIsClippedToTheObject) {
  view.SetBounds(10, 10, 100, 100);
  view.SetStretched(false);
  Load(200, 100);
  EXPECT_EQ(Drawn(0.5L), gfx::Rect(5, 5, 105, 55));
  view.SetCenter(true);
  EXPECT_EQ(Drawn(0.5L), gfx::Rect(-20, 5, 80, 55));  // wider than the object: clipped
  const auto clips = canvas.CallsOf(gfx::TCanvasOp::IntersectClip);
  ASSERT_EQ(clips.size(), 1u);
  EXPECT_EQ(clips[0]->rect, gfx::Rect(5, 5, 55, 55));
  // The clip the canvas had before comes back.
  EXPECT_FALSE(canvas.Calls().back().state.clip.has_value());
}

TEST_F(PictureDrawing, TransparencyAndEmptyPictures) {
  view.SetTransparent(true);
  EXPECT_EQ(view.Color(), clTransparent);
  view.SetTransparent(false);
  EXPECT_EQ(view.Color(), gfx::clWhite);
  view.SetBounds(0, 0, 50, 50);
  view.SetTransparent(true);
  view.SetTransparentColor(0x00FF00);
  Load(10, 10);
  Drawn();
  const auto calls = canvas.CallsOf(gfx::TCanvasOp::DrawBitmapTransparent);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0]->args.at(0), 0x00FF00);
  EXPECT_TRUE(canvas.CallsOf(gfx::TCanvasOp::FillRect).empty());  // no background under it
  view.Picture()->Clear();
  canvas.Clear();
  view.Draw(canvas, 1, 1, 0, 0);
  EXPECT_TRUE(canvas.CallsOf(gfx::TCanvasOp::DrawBitmap).empty());
}

TEST(PictureView, AutoSizeFollowsThePicture) {
  TfrxPictureView view(nullptr);
  view.SetBounds(0, 0, 10, 10);
  view.SetAutoSize(true);
  EXPECT_EQ(view.Width(), 10);
  rtl::TMemoryStream s(PngBytes(33, 21));
  view.LoadPictureFromStream(s);
  EXPECT_EQ(view.Width(), 33);
  EXPECT_EQ(view.Height(), 21);
}

// ---------------------------------------------------------------- data and Diff

TEST(PictureView, DiffHandsChangedPicturesToThePreparedPages) {
  TfrxCalcReport report;
  auto* view = new TfrxPictureView(&report);
  TfrxPictureView other(nullptr);
  EXPECT_EQ(view->Diff(&other), " ImageIndex=\"0\"");
  EXPECT_TRUE(report.pages.pictures.empty());
  rtl::TMemoryStream a(PngBytes(3, 3)), b(PngBytes(4, 4));
  view->LoadPictureFromStream(a);
  view->Diff(&other);
  view->LoadPictureFromStream(b);
  EXPECT_EQ(view->Diff(&other), " ImageIndex=\"1\"");
  EXPECT_EQ(report.pages.pictures.size(), 2u);
  view->Diff(&other);  // unchanged since: not handed again
  EXPECT_EQ(report.pages.pictures.size(), 2u);
  view->SetTransparent(true);
  view->SetTransparentColor(255);
  EXPECT_EQ(view->Diff(&other), " Color=\"536870911\" ImageIndex=\"1\" Transparent=\"1\" TransparentColor=\"255\"");
}

TEST(PictureView, FileLinkIsExpandedAndMissingFilesClear) {
  support::ScratchFolder dir("zarnik-picture-link-");
  support::WriteFile(dir.File("pic.png"), PngBytes(9, 2));
  TfrxCalcReport report;
  report.values["name"] = rtl::Variant("pic");
  auto* view = new TfrxPictureView(&report);
  view->SetFileLink(dir.File("[name].png"));
  view->GetData();
  EXPECT_EQ(view->Picture()->Width(), 9);
  EXPECT_EQ(view->FileLink(), dir.File("[name].png"));
  report.values["name"] = rtl::Variant("none");
  view->GetData();
  EXPECT_TRUE(view->Picture()->Empty());
  support::WriteFile(dir.File("bad.png"), "not a picture");
  report.values["name"] = rtl::Variant("bad");
  view->GetData();
  EXPECT_TRUE(view->Picture()->Empty());
}

class TBlobDataSet : public TfrxDataSet {
 public:
  using TfrxDataSet::TfrxDataSet;
  bool IsBlobField(const AnsiString& field) override { return field == "Photo"; }
  void AssignBlobToStream(const AnsiString&, rtl::TStream& target) override { target.WriteString(blob); }
  std::string blob;
};

TEST(PictureView, BlobFieldLoadsThroughTheSniffer) {
  TfrxCalcReport report;
  auto* data = new TBlobDataSet(nullptr);
  data->blob = WithBlobPrefix(PngBytes(6, 6));
  auto* view = new TfrxPictureView(&report);
  view->SetDataSet(data);
  view->SetDataField("Photo");
  view->GetData();
  EXPECT_EQ(view->Picture()->Width(), 6);
  view->SetDataField("Name");  // not a blob: the picture stays
  view->GetData();
  EXPECT_EQ(view->Picture()->Width(), 6);
  delete data;
  EXPECT_EQ(view->DataSet(), nullptr);  // the reference went with the dataset
}

TEST(PictureView, StoredPictureRoundTrip) {
  TfrxPictureView view(nullptr);
  rtl::TMemoryStream s(PngBytes(5, 7));
  view.LoadPictureFromStream(s);
  view.Frame()->SetTyp(15);
  rtl::TMemoryStream xml;
  view.SaveToStream(xml);
  const std::string text = std::string(xml.Memory(), static_cast<std::size_t>(xml.Size()));
  EXPECT_NE(text.find("Picture.PropData=\""), std::string::npos);
  EXPECT_EQ(text.find("ImageIndex"), std::string::npos);
  TfrxPictureView back(nullptr);
  xml.SetPosition(0);
  back.LoadFromStream(xml);
  ASSERT_FALSE(back.Picture()->Empty());
  EXPECT_EQ(back.Picture()->Graphic()->ClassName(), "TPNGObject");
  EXPECT_EQ(back.Picture()->Height(), 7);
  EXPECT_EQ(back.Frame()->Typ(), 15u);
}

}  // namespace
