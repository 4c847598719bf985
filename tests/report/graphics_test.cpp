#include <gtest/gtest.h>

#include "report/vuzGraphicUtils.h"
#include "report/vuzPreviewButtons.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"
#include "test_util.h"

using namespace report;
using namespace gfx;

TEST(Colours, HTMLRGBColor) {
  EXPECT_EQ(HTMLRGBColor(clRed), "#FF0000");
  EXPECT_EQ(HTMLRGBColor(0x0080FF), "#FF8000");  // orange
  EXPECT_EQ(HTMLRGBColor(clTransparent), "#FFFFFF");
  EXPECT_EQ(HTMLRGBColor(clNavy), "#000080");
  const TColorRef face = ColorToRGB(clBtnFace);
  char expected[8];
  std::snprintf(expected, sizeof expected, "#%02X%02X%02X", GetRValue(face), GetGValue(face), GetBValue(face));
  EXPECT_EQ(HTMLRGBColor(clBtnFace), expected);
}

TEST(ImageStrips, CutIntoCells) {
  TBitmap strip(400, 16);
  strip.Canvas().Brush().SetColor(clSilver);
  strip.Canvas().FillRect(Rect(0, 0, 400, 16));
  strip.SetPixelColor(16 * 3 + 5, 5, clRed);
  TfrxImageList list(16, 16);
  vuzAssignImages(strip, 16, 16, list);
  ASSERT_EQ(list.Count(), 25);
  EXPECT_EQ(list.Image(3).PixelColor(5, 5), clRed);
  EXPECT_EQ(list.MaskColor(3), clSilver);

  TfrxImageList main(16, 16), disabled(16, 16);
  vuzAssignImages(strip, 16, 16, main, &disabled);
  EXPECT_EQ(main.Count(), 13);
  EXPECT_EQ(disabled.Count(), 12);
  EXPECT_EQ(disabled.Image(1).PixelColor(5, 5), clRed);  // cell 3 is the second pair's disabled form

  TBitmap twoRows(32, 32);
  TfrxImageList grid(16, 16);
  vuzAssignImages(twoRows, 16, 16, grid);
  EXPECT_EQ(grid.Count(), 4);
}

TEST(ImageStrips, PreviewButtonsAre25PicturesOnSilver) {
  auto strip = vuzDrawPreviewButtonStrip();
  EXPECT_EQ(strip->Width(), 400);
  EXPECT_EQ(strip->Height(), 16);
  EXPECT_EQ(strip->BitsPerPixel(), 24);
  TfrxImageList& images = vuzResources().GetPreviewButtonImages();
  ASSERT_EQ(images.Count(), 25);
  EXPECT_EQ(&vuzResources().GetPreviewButtonImages(), &images);
  EXPECT_EQ(images.Count(), 25);
  auto painted = [&](int index) {
    int n = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) n += images.Image(index).PixelColor(x, y) != clSilver;
    return n;
  };
  for (int i = 0; i < 25; ++i) {
    EXPECT_EQ(images.MaskColor(i), clSilver) << i;
    if (i == 6 || i == 17 || i == 18)
      EXPECT_EQ(painted(i), 0) << i;
    else
      EXPECT_GT(painted(i), 10) << i;
  }
  EXPECT_THROW(vuzResources().GetMainButtonImages(), EResNotFound);
  EXPECT_THROW(vuzResources().GetWizardImages(), EResNotFound);
}

TEST(DrawGraphic, TransparentBitmapsLeaveTheBackground) {
  TBitmap target(20, 20);
  target.Canvas().Brush().SetColor(clBlue);
  target.Canvas().FillRect(Rect(0, 0, 20, 20));
  TBitmap picture(2, 2);
  picture.SetPixelColor(0, 0, clRed);
  picture.SetPixelColor(1, 0, clLime);
  picture.SetPixelColor(0, 1, clLime);
  picture.SetPixelColor(1, 1, clLime);
  vuzDrawGraphic(target.Canvas(), Rect(0, 0, 10, 10), &picture, false, false, true, clLime);
  EXPECT_EQ(target.PixelColor(2, 2), clRed);
  EXPECT_EQ(target.PixelColor(7, 7), clBlue);
  EXPECT_TRUE(picture.Transparent());  // the direct path hands the flag to the picture
  picture.SetTransparent(false);
  // Opaque, through the bitmap path (printing).
  vuzDrawGraphic(target.Canvas(), Rect(10, 10, 20, 20), &picture, true, false, false, clNone);
  EXPECT_EQ(target.PixelColor(12, 12), clRed);
  EXPECT_EQ(target.PixelColor(17, 17), clLime);
  vuzDrawGraphic(target.Canvas(), Rect(0, 10, 10, 20), nullptr, false, false, false, clNone);

  TBitmap small(3, 1);
  small.SetPixelColor(0, 0, clRed);
  small.SetPixelColor(1, 0, clWhite);
  small.SetPixelColor(2, 0, clWhite);
  small.SetTransparentColor(clWhite);
  vuzDrawTransparent(target.Canvas(), 15, 0, &small);
  EXPECT_EQ(target.PixelColor(15, 0), clRed);
  EXPECT_EQ(target.PixelColor(16, 0), clBlue);
  vuzDrawTransparent(target.Canvas(), 0, 0, nullptr);
}
