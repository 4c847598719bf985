// Rendered scenes compared with small reference pictures within a tolerance.
// Geometry must match exactly; anti-aliased text may differ slightly between
// FreeType versions. To renew a reference after an intended change, run the
// test with ZARNIK_WRITE_REFERENCE=1 and look at the pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/gfx/bitmap.h"

using namespace gfx;

namespace {

void ShapesScene(TCanvas& c) {
  c.Brush().SetColor(clWhite);
  c.FillRect(Rect(0, 0, 64, 48));
  c.Pen().SetColor(clNavy);
  c.Brush().SetColor(clYellow);
  c.Rectangle(2, 2, 20, 14);
  c.Pen().SetWidth(2);
  c.Brush().SetColor(clAqua);
  c.Ellipse(22, 2, 42, 16);
  c.Pen().SetWidth(1);
  c.Brush().SetStyle(bsFDiagonal);
  c.Brush().SetColor(clRed);
  c.RoundRect(44, 2, 62, 16, 6, 6);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(clLime);
  const std::vector<TPoint> tri{{4, 44}, {18, 20}, {30, 44}};
  c.Polygon(tri);
  c.Pen().SetStyle(psDashDot);
  c.MoveTo(32, 20);
  c.LineTo(62, 46);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetGeometric(true);
  c.Pen().SetEndCap(pecSquare);
  c.Pen().SetWidth(3);
  c.Pen().SetColor(clMaroon);
  c.MoveTo(36, 40);
  c.LineTo(50, 26);
  c.Pen().SetGeometric(false);
  c.Pen().SetWidth(1);
  c.Pen().SetColor(clPurple);
  c.Brush().SetStyle(bsClear);
  c.Pie(40, 22, 62, 44, 62, 33, 51, 22);
}

void TextScene(TCanvas& c) {
  c.Brush().SetColor(clWhite);
  c.FillRect(Rect(0, 0, 96, 40));
  c.Font().SetName("Times New Roman");
  c.Font().SetSize(10);
  c.Font().SetColor(clBlack);
  c.TextOut(2, 1, "Text Ag");
  c.Font().SetName("Arial");
  c.Font().SetStyle({fsBold, fsUnderline});
  c.Font().SetColor(clBlue);
  c.Brush().SetColor(clYellow);
  c.TextOut(2, 20, "Bold");
  c.Font().SetStyle({});
  c.Font().SetOrientation(900);
  c.Brush().SetStyle(bsClear);
  c.TextOut(80, 38, "Up");
}

std::string DataPath(const std::string& name) { return std::string(GFX_TEST_DATA) + "/" + name; }

// Pixels whose channels differ by more than 64, and the largest difference.
struct TDiff {
  int badPixels = 0;
  int total = 0;
};
TDiff Compare(const TBitmap& a, const TBitmap& b) {
  TDiff d;
  d.total = a.Width() * a.Height();
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      TColorRef p = ColorToRGB(a.PixelColor(x, y)), q = ColorToRGB(b.PixelColor(x, y));
      int m =
          std::max({std::abs(int(GetRValue(p)) - int(GetRValue(q))), std::abs(int(GetGValue(p)) - int(GetGValue(q))),
                    std::abs(int(GetBValue(p)) - int(GetBValue(q)))});
      if (m > 64) ++d.badPixels;
    }
  return d;
}

void CheckScene(const char* file, int w, int h, const std::function<void(TCanvas&)>& scene, double allowedShare) {
  TBitmap drawn(w, h);
  scene(drawn.Canvas());
  if (std::getenv("ZARNIK_WRITE_REFERENCE")) drawn.SaveToFile(DataPath(file));
  TBitmap reference;
  reference.LoadFromFile(DataPath(file));
  ASSERT_EQ(reference.Width(), w);
  ASSERT_EQ(reference.Height(), h);
  TDiff d = Compare(drawn, reference);
  EXPECT_LE(d.badPixels, static_cast<int>(d.total * allowedShare)) << file << ": " << d.badPixels << " pixels differ";
}

}  // namespace

TEST(ReferenceImages, Shapes) { CheckScene("shapes.bmp", 64, 48, ShapesScene, 0.0); }

TEST(ReferenceImages, Text) { CheckScene("text.bmp", 96, 40, TextScene, 0.03); }
