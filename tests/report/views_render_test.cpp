// Views drawn for real: on a bitmap, and into a PDF that poppler renders
// back. The marks of the check box, the frames and the shapes must look the
// same on both, since the preview draws on bitmaps and printing makes PDF.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/document_canvas.h"
#include "platform/rtl/streams.h"
#include "png_support.h"
#include "report/vuzChBox.h"
#include "report/vuzClassPicture.h"
#include "report/vuzClassShape.h"
#include "test_util.h"

using namespace report;
using namespace report_test;

namespace {

constexpr int kPageW = 240, kPageH = 120;

// The objects of the test page, drawn in order.
struct TScene {
  TfrxCheckBoxView tick{nullptr}, cross{nullptr}, lineCross{nullptr};
  TfrxShapeView ellipse{nullptr};
  TfrxLineView arrow{nullptr};
  TfrxView dotted{nullptr};
  TfrxPictureView picture{nullptr};

  TScene() {
    tick.SetBounds(10, 10, 30, 30);
    tick.SetCheckStyle(csCheck);
    cross.SetBounds(50, 10, 30, 30);
    lineCross.SetBounds(90, 10, 30, 30);
    lineCross.SetCheckStyle(csLineCross);
    for (TfrxCheckBoxView* b : {&tick, &cross, &lineCross}) b->Frame()->SetTyp(0);
    ellipse.SetBounds(130, 10, 60, 30);
    ellipse.SetShape(skEllipse);
    ellipse.SetColor(0x00C000);
    arrow.SetBounds(10, 70, 100, 0);
    arrow.SetArrowEnd(true);
    arrow.SetArrowSolid(true);
    dotted.SetBounds(130, 60, 80, 40);
    dotted.Frame()->SetTyp(15);
    dotted.Frame()->SetStyle(fsAltDot);
    dotted.Frame()->SetWidth(2);
    // A PNG of a black left half and a light right half, twice as wide as
    // high, in a square: drawn 40 x 20, centred down by 10.
    RawImage img;
    img.width = 20;
    img.height = 10;
    img.colorType = 0;
    img.depth = 8;
    for (int y = 0; y < img.height; ++y) {
      std::vector<std::uint8_t> row(20, 220);
      std::fill(row.begin(), row.begin() + 10, 0);
      img.rows.push_back(row);
    }
    rtl::TMemoryStream png(Encode(img));
    picture.LoadPictureFromStream(png);
    picture.SetBounds(10, 78, 40, 40);
    picture.SetCenter(true);
  }
  void Draw(gfx::TCanvas& c) {
    for (TfrxView* v : std::initializer_list<TfrxView*>{&tick, &cross, &lineCross, &ellipse, &arrow, &dotted, &picture})
      v->Draw(c, 1, 1, 0, 0);
  }
};

// A grey image of the page: 0 black .. 255 white.
struct TGrey {
  int w = 0, h = 0;
  std::vector<int> px;
  int At(int x, int y) const { return px.at(static_cast<std::size_t>(y * w + x)); }
  // Pixels darker than the middle inside the rectangle.
  int Dark(const gfx::TRect& r) const {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += At(x, y) < 128;
    return n;
  }
};

// The share of a's dark pixels in the area that have a dark pixel of b at
// most one pixel away.
double Coverage(const TGrey& a, const TGrey& b, const gfx::TRect& r) {
  int dark = 0, near = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      if (a.At(x, y) >= 128) continue;
      ++dark;
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy)
        for (int dx = -1; dx <= 1 && !found; ++dx) {
          const int u = x + dx, v = y + dy;
          found = u >= 0 && v >= 0 && u < b.w && v < b.h && b.At(u, v) < 128;
        }
      near += found;
    }
  return dark == 0 ? 1.0 : static_cast<double>(near) / dark;
}

TGrey FromBitmap(gfx::TBitmap& bmp) {
  TGrey g{bmp.Width(), bmp.Height(), {}};
  for (int y = 0; y < g.h; ++y)
    for (int x = 0; x < g.w; ++x) {
      const auto c = static_cast<std::uint32_t>(bmp.PixelColor(x, y));
      g.px.push_back(static_cast<int>(((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF)) / 3));
    }
  return g;
}

// Reads a binary PPM (P6, 8 bits) as poppler writes it.
TGrey FromPpm(const std::string& bytes) {
  TGrey g;
  std::size_t pos = 0;
  auto token = [&]() {
    while (pos < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[pos]))) ++pos;
    std::size_t start = pos;
    while (pos < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[pos]))) ++pos;
    return bytes.substr(start, pos - start);
  };
  if (token() != "P6") return g;
  g.w = std::stoi(token());
  g.h = std::stoi(token());
  token();  // maximum value
  ++pos;
  for (int i = 0; i < g.w * g.h && pos + 2 < bytes.size() + 1; ++i, pos += 3) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + pos);
    g.px.push_back((p[0] + p[1] + p[2]) / 3);
  }
  return g;
}

TEST(ViewsRendered, BitmapAndPdfShowTheSameMarks) {
  const std::string pdftoppm = support::FindTool("pdftoppm");
  if (pdftoppm.empty()) GTEST_SKIP() << support::Missing("pdftoppm", "poppler-utils");

  TScene scene;
  gfx::TBitmap bmp(kPageW, kPageH, gfx::pf24bit);
  bmp.Canvas().Brush().SetColor(gfx::clWhite);
  bmp.Canvas().FillRect(gfx::Rect(0, 0, kPageW, kPageH));
  scene.Draw(bmp.Canvas());
  const TGrey screen = FromBitmap(bmp);

  support::ScratchFolder dir("zarnik-views-render-");
  {
    rtl::TMemoryStream pdf;
    gfx::TDocumentCanvas doc(pdf, gfx::TDocumentFormat::Pdf, 96, 96);
    doc.BeginPage({kPageW, kPageH});
    scene.Draw(doc);
    doc.EndPage();
    doc.EndDocument();
    ASSERT_TRUE(
        support::WriteFile(dir.File("page.pdf"), std::string(pdf.Memory(), static_cast<std::size_t>(pdf.Size()))));
  }
  support::CommandOutput(pdftoppm + " -r 96 -aa no -aaVector no " + dir.File("page.pdf") + " " + dir.File("page"));
  std::string ppm;
  for (const auto& e : std::filesystem::directory_iterator(dir.Folder()))
    if (e.path().extension() == ".ppm") ppm = support::ReadFile(e.path());
  const TGrey printed = FromPpm(ppm);
  if (const char* keep = std::getenv("ZARNIK_KEEP_RENDER")) {
    bmp.SaveToFile(std::string(keep) + "/views_screen.bmp");
    support::WriteFile(std::string(keep) + "/views_printed.ppm", ppm);
  }
  ASSERT_EQ(printed.w, kPageW);
  ASSERT_EQ(printed.h, kPageH);

  const struct {
    const char* name;
    gfx::TRect area;
    int minDark;
  } regions[] = {
      {"tick", {10, 10, 40, 40}, 40},        {"cross", {50, 10, 80, 40}, 40},
      {"line cross", {90, 10, 120, 40}, 40}, {"ellipse", {130, 10, 191, 41}, 800},
      {"arrow", {10, 60, 111, 81}, 100},     {"dotted frame", {128, 58, 212, 102}, 100},
      {"picture", {10, 78, 50, 118}, 390},
  };
  for (const auto& r : regions) {
    EXPECT_GE(screen.Dark(r.area), r.minDark) << r.name;
    EXPECT_GE(printed.Dark(r.area), r.minDark) << r.name;
    // The same shape within a pixel: a PDF rasteriser may widen a one-pixel
    // line by a pixel, never move or bend it.
    EXPECT_GE(Coverage(screen, printed, r.area), 0.95) << r.name << ": bitmap pixels missing from the PDF";
    EXPECT_GE(Coverage(printed, screen, r.area), 0.95) << r.name << ": PDF pixels missing from the bitmap";
  }
  // Nothing drawn outside the objects.
  EXPECT_EQ(screen.Dark({0, 0, 8, kPageH}), 0);
  EXPECT_EQ(printed.Dark({0, 0, 8, kPageH}), 0);
}

// The page kept as a screenshot: ImageMagick compares it with the fixture,
// allowing for anti-aliased edges. After a deliberate change, write the
// fixture again with ZARNIK_UPDATE_GOLDEN=1 and look at it: data/views_scene.bmp
// was looked at by eye (a check mark, a cross, a diagonal-cross shape, a
// green ellipse, an arrow line, a dotted frame, and a black and a grey
// square).
TEST(ViewsRendered, ScreenshotFixture) {
  const std::string compare = support::FindTool("compare");
  if (compare.empty()) GTEST_SKIP() << support::Missing("compare", "imagemagick");
  TScene scene;
  gfx::TBitmap bmp(kPageW, kPageH, gfx::pf24bit);
  bmp.Canvas().Brush().SetColor(gfx::clWhite);
  bmp.Canvas().FillRect(gfx::Rect(0, 0, kPageW, kPageH));
  scene.Draw(bmp.Canvas());
  const std::filesystem::path golden = std::filesystem::path(REPORT_TEST_DATA) / "views_scene.bmp";
  if (std::getenv("ZARNIK_UPDATE_GOLDEN")) bmp.SaveToFile(golden.string());
  ASSERT_TRUE(std::filesystem::exists(golden));
  support::ScratchFolder dir("zarnik-views-shot-");
  bmp.SaveToFile(dir.File("now.bmp"));
  // AE: the number of pixels that differ by more than the fuzz.
  const std::string out = support::CommandOutput(compare + " -metric AE -fuzz 20% " + golden.string() + " " +
                                                 dir.File("now.bmp") + " null: 2>&1");
  ASSERT_FALSE(out.empty());
  EXPECT_LE(std::stod(out), kPageW * kPageH / 200.0) << out;
}

// A one-pixel frame covers its device rectangle exactly, corners included.
TEST(ViewsRendered, OnePixelFrameOnABitmap) {
  TfrxView view(nullptr);
  view.SetBounds(5, 6, 20, 10);
  view.Frame()->SetTyp(15);
  gfx::TBitmap bmp(40, 30, gfx::pf24bit);
  bmp.Canvas().Brush().SetColor(gfx::clWhite);
  bmp.Canvas().FillRect(gfx::Rect(0, 0, 40, 30));
  view.Draw(bmp.Canvas(), 1, 1, 0, 0);
  const TGrey g = FromBitmap(bmp);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool onFrame = (x >= 5 && x <= 25 && (y == 6 || y == 16)) || (y >= 6 && y <= 16 && (x == 5 || x == 25));
      EXPECT_EQ(g.At(x, y) < 128, onFrame) << x << "," << y;
    }
}

}  // namespace
