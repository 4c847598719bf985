// Image lists for toolbars and menus, the splitter and the idle handler.
#include "platform/gui/imglist.h"

#include <gtest/gtest.h>

#include "gui_test_util.h"
#include "platform/gui/comctrls.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/menus.h"
#include "platform/gui/simulate.h"
#include "platform/gui/stdctrls.h"

using namespace gui;

namespace {
// A red square on white, 16 x 16.
struct RedSquare {
  gfx::TBitmap b{16, 16, gfx::pf24bit};
  RedSquare() {
    b.Canvas().Brush().SetColor(clWhite);
    b.Canvas().FillRect(Rect(0, 0, 16, 16));
    b.Canvas().Brush().SetColor(clRed);
    b.Canvas().FillRect(Rect(4, 4, 12, 12));
  }
};
}  // namespace

TEST(ImageList, MaskedPicturesDrawTransparently) {
  TImageList images(nullptr);
  EXPECT_EQ(images.AddMasked(RedSquare().b, clWhite), 0);
  EXPECT_EQ(images.Add(RedSquare().b), 1);
  EXPECT_EQ(images.Count(), 2);
  EXPECT_EQ(images.Pixels(0)[0], 0u);                    // transparent corner
  EXPECT_EQ(images.Pixels(0)[8 * 16 + 8], 0xFFFF0000u);  // red, opaque
  EXPECT_EQ(images.Pixels(1)[0], 0xFFFFFFFFu);

  gfx::TBitmap target(20, 20, gfx::pf24bit);
  target.Canvas().Brush().SetColor(clBlue);
  target.Canvas().FillRect(Rect(0, 0, 20, 20));
  images.Draw(target.Canvas(), 2, 2, 0);
  EXPECT_EQ(target.PixelColor(3, 3), clBlue);  // the white mask left the blue
  EXPECT_EQ(target.PixelColor(10, 10), clRed);
  EXPECT_THROW(images.Pixels(5), rtl::ERangeError);
}

TEST(ImageList, ToolButtonShowsItsPicture) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 100);
  TImageList images(&form);
  images.AddMasked(RedSquare().b, clWhite);
  auto* bar = new TToolBar(&form);
  bar->SetParent(&form);
  bar->SetImages(&images);
  auto* print = new TToolButton(&form);
  print->SetParent(bar);
  print->SetImageIndex(0);
  form.Show();
  TGrabbedImage img = GrabImage(*print);
  int red = 0;
  for (std::uint32_t p : img.Pixels) red += ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) < 60 && (p & 0xFF) < 60;
  EXPECT_GT(red, 20);
}

TEST(Splitter, DraggingResizesTheControlBeforeIt) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto* outline = new TPanel(&form);
  outline->SetParent(&form);
  outline->SetWidth(100);
  outline->SetAlign(alLeft);
  auto* split = new TSplitter(&form);
  split->SetParent(&form);
  split->SetLeft(100);
  auto* pages = new TPanel(&form);
  pages->SetParent(&form);
  pages->SetAlign(alClient);
  form.Show();
  EXPECT_EQ(split->Left(), 100);
  int moved = 0;
  split->OnMoved = [&](TObject*) { ++moved; };
  simulate::Drag(*split, 1, 50, 41, 50);
  EXPECT_EQ(outline->Width(), 140);
  EXPECT_EQ(split->Left(), 140);
  EXPECT_EQ(pages->Left(), 143);
  EXPECT_EQ(moved, 1);
  split->MoveBy(-500);  // never below the minimum size
  EXPECT_EQ(outline->Width(), split->MinSize());
}

TEST(MessageLoop, OnIdleRunsWhenTheQueueIsEmptyUntilDone) {
  TForm main(nullptr);
  gui::Application->SetMainForm(&main);
  int idles = 0;
  gui::Application->OnIdle = [&](TObject*, bool& done) {
    ++idles;
    done = idles >= 3;  // asks to be called again twice
    if (idles == 3) gui::Application->Terminate();
  };
  gui::Application->Run();
  gui::Application->OnIdle = nullptr;
  gui::Application->SetMainForm(nullptr);
  gui::Application->ResetTerminated();
  EXPECT_EQ(idles, 3);
}
