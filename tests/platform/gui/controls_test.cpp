// Controls: key filters, font colour, masks, check and radio buttons, lists,
// the time picker, the status bar with controls over a panel, painting
// through the canvas, and the clipboard.
#include <gtest/gtest.h>

#include "gui_test_util.h"
#include "platform/gfx/metafile.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/comctrls.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/simulate.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/datetime.h"

using namespace gui;
using namespace rtl::literals;

namespace {

struct OnForm {
  TForm form{nullptr};
  OnForm() {
    form.SetBounds(0, 0, 400, 300);
    form.Show();
  }
  template <class C>
  C* Add(int l, int t, int w, int h) {
    auto* c = new C(&form);
    c->SetParent(&form);
    c->SetBounds(l, t, w, h);
    return c;
  }
};

bool IsRed(std::uint32_t argb) {
  int r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  return r > 200 && g < 80 && b < 80;
}

int CountRed(const TGrabbedImage& img) {
  int n = 0;
  for (std::uint32_t p : img.Pixels) n += IsRed(p);
  return n;
}

}  // namespace

TEST(Edit, KeyFilterDropsCharactersTheHandlerRefuses) {
  OnForm f;
  auto* e = f.Add<TEdit>(10, 10, 100, 21);
  // The job dialog's edits: digits, "." and Backspace only.
  e->OnKeyPress = [](TObject*, char& key) {
    if (!((key >= '0' && key <= '9') || key == '.' || key == '\b')) key = 0;
  };
  int changes = 0;
  e->OnChange = [&](TObject*) { ++changes; };
  simulate::TypeText(*e, "12a.3x");
  EXPECT_EQ(e->Text(), "12.3");
  EXPECT_EQ(changes, 4);
  simulate::PressKey(*e, VK_BACK);
  EXPECT_EQ(e->Text(), "12.");
}

TEST(Edit, FontColourShowsAndPasswordCharHidesButKeepsTheText) {
  OnForm f;
  auto* e = f.Add<TEdit>(10, 10, 120, 24);
  e->SetText("8888");
  EXPECT_EQ(CountRed(GrabImage(*e)), 0);
  e->Font().SetColor(clRed);
  EXPECT_GT(CountRed(GrabImage(*e)), 10);
  e->SetPasswordChar('*');
  e->SetText("Пароль"_cp);
  EXPECT_EQ(e->Text(), std::string("Пароль"_cp));
}

TEST(MaskEdit, ShiftMaskKeepsSignDigitsAndPoint) {
  OnForm f;
  auto* m = f.Add<TMaskEdit>(10, 10, 80, 21);
  m->SetEditMask("#00\\.000;1;_");
  m->SetMaxLength(7);
  m->SetText("+00.000");
  EXPECT_EQ(m->Text(), "+00.000");
  m->SetText("-01.250");
  EXPECT_EQ(m->Text(), "-01.250");
  m->SetText("+1");
  // Unfilled places read as blanks, so the digits no longer parse.
  EXPECT_EQ(m->Text().size(), 7u);
  EXPECT_NE(m->Text().find(' '), std::string::npos);
}

TEST(CheckAndRadio, SettingTheStateByCodeRunsOnClickOnlyOnChange) {
  OnForm f;
  auto* cb = f.Add<TCheckBox>(10, 10, 100, 17);
  int clicks = 0;
  cb->OnClick = [&](TObject*) { ++clicks; };
  cb->SetChecked(true);
  cb->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  cb->Click();
  EXPECT_FALSE(cb->Checked());
  EXPECT_EQ(clicks, 2);

  auto* a = f.Add<TRadioButton>(10, 40, 100, 17);
  auto* b = f.Add<TRadioButton>(10, 60, 100, 17);
  std::vector<TObject*> radioClicks;
  a->OnClick = b->OnClick = [&](TObject* s) { radioClicks.push_back(s); };
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_EQ(radioClicks, (std::vector<TObject*>{a, b}));
  b->SetChecked(false);
  EXPECT_FALSE(b->Checked());
}

TEST(ComboAndList, ChoosingByCodeRunsNoChange) {
  OnForm f;
  auto* c = f.Add<TComboBox>(10, 10, 100, 21);
  c->SetStyle(csDropDownList);
  int changes = 0;
  c->OnChange = [&](TObject*) { ++changes; };
  c->SetItems({"1 сек"_cp, "2 сек"_cp, "3 сек"_cp});
  c->SetItemIndex(1);
  EXPECT_EQ(c->ItemIndex(), 1);
  EXPECT_EQ(c->Text(), std::string("2 сек"_cp));
  EXPECT_EQ(changes, 0);
  c->SetItemIndex(7);
  EXPECT_EQ(c->ItemIndex(), -1);

  auto* l = f.Add<TListBox>(10, 40, 100, 80);
  l->SetItems({"a", "b", "c"});
  l->SetMultiSelect(true);
  l->SetSelected(0, true);
  l->SetSelected(2, true);
  EXPECT_EQ(l->SelCount(), 2);
  EXPECT_EQ(l->Item(2), "c");
}

TEST(DateTimePicker, TimeKindHoldsHoursAndMinutesAndCodeRunsNoChange) {
  OnForm f;
  auto* p = f.Add<TDateTimePicker>(10, 10, 80, 21);
  p->SetKind(dtkTime);
  p->SetFormat("H:mm");
  int changes = 0;
  p->OnChange = [&](TObject*) { ++changes; };
  p->SetTime((23 * 60 + 59) / 1440.0);
  EXPECT_NEAR(p->Time() * 1440.0, 23 * 60 + 59, 1e-6);
  p->SetTime(0);
  EXPECT_NEAR(p->Time(), 0.0, 1e-9);
  EXPECT_EQ(changes, 0);
  p->SetDateTime(41000.5);
  EXPECT_NEAR(p->DateTime(), 41000.5, 1e-6);
}

TEST(DateTimePicker, DatesBeforeEighteenHundredAndNinetyNineKeepTheirTimeOfDay) {
  OnForm f;
  auto* p = f.Add<TDateTimePicker>(10, 10, 80, 21);
  // -1.25 is 29 December 1899, 06:00: the time counts forward from midnight.
  p->SetDateTime(-1.25);
  EXPECT_NEAR(p->DateTime(), -1.25, 1e-6);
  EXPECT_NEAR(p->Time() * 24.0, 6.0, 1e-6);
  const TDateTime old = rtl::EncodeDateTime(1812, 9, 7, 17, 30, 0, 0);
  p->SetDateTime(old);
  EXPECT_NEAR(p->DateTime(), old, 1e-6);
}

TEST(StatusBar, PanelsControlsOverAPanelAndTheLamp) {
  OnForm f;
  auto* bar = new TStatusBar(&f.form);
  bar->SetParent(&f.form);
  for (int w : {100, 200, 42, 20, 50}) bar->AddPanel(w);
  bar->SetPanelText(2, "COM1");
  EXPECT_EQ(bar->Top(), f.form.ClientHeight() - bar->Height());
  EXPECT_EQ(bar->Width(), f.form.ClientWidth());
  EXPECT_EQ(bar->PanelRect(1).Left, 100);
  EXPECT_EQ(bar->PanelRect(1).Right, 300);
  EXPECT_EQ(bar->PanelRect(4).Right, bar->Width());  // the last panel reaches the edge
  EXPECT_EQ(bar->PanelAt(320), 2);
  EXPECT_EQ(bar->PanelText(2), "COM1");

  // The progress bar and Cancel button lie over panel 1, the lamp over panel 3.
  auto* progress = new TProgressBar(&f.form);
  progress->SetParent(bar);
  progress->SetBounds(103, 2, 120, 16);
  progress->SetMax(1000);
  progress->SetPosition(1500);
  EXPECT_EQ(progress->Position(), 1000);
  auto* lamp = new TShape(&f.form);
  lamp->SetParent(bar);
  TRect r3 = bar->PanelRect(3);
  lamp->SetBounds(r3.Left + 3, 4, 12, 12);
  lamp->SetShape(stCircle);
  lamp->SetBrushColor(clRed);
  TGrabbedImage img = GrabImage(*bar);
  EXPECT_TRUE(IsRed(img.Pixel(r3.Left + 9, 10)));
  EXPECT_EQ(progress->Parent(), bar);
}

TEST(PaintBox, OnPaintDrawsThroughTheCanvas) {
  OnForm f;
  auto* box = f.Add<TPaintBox>(10, 10, 60, 40);
  box->OnPaint = [box](TObject*) {
    gfx::TCanvas& c = box->Canvas();
    c.Brush().SetColor(clRed);
    c.FillRect(Rect(0, 0, 30, 40));
  };
  TGrabbedImage img = GrabImage(*box);
  ASSERT_EQ(img.Width, 60);
  EXPECT_TRUE(IsRed(img.Pixel(5, 20)));
  EXPECT_FALSE(IsRed(img.Pixel(50, 20)));
}

TEST(Image, ShowsABitmapDrawnInCode) {
  OnForm f;
  auto* image = f.Add<TImage>(10, 10, 40, 40);
  gfx::TBitmap& pic = image->Picture();
  pic.SetSize(20, 20);
  pic.Canvas().Brush().SetColor(clRed);
  pic.Canvas().FillRect(Rect(0, 0, 20, 20));
  image->Invalidate();
  TGrabbedImage img = GrabImage(*image);
  EXPECT_TRUE(IsRed(img.Pixel(10, 10)));
  EXPECT_FALSE(IsRed(img.Pixel(30, 30)));
}

TEST(Clipboard, TextIs1251AndPicturesRoundTrip) {
  Clipboard().SetAsText("Дата\tВремя\r\n"_cp);
  EXPECT_EQ(Clipboard().AsText(), std::string("Дата\tВремя\r\n"_cp));

  gfx::TBitmap b(8, 4, gfx::pf24bit);
  b.Canvas().Brush().SetColor(clRed);
  b.Canvas().FillRect(Rect(0, 0, 4, 4));
  Clipboard().SetBitmap(b);
  gfx::TBitmap back;
  ASSERT_TRUE(Clipboard().GetBitmap(back));
  EXPECT_EQ(back.Width(), 8);
  EXPECT_EQ(back.PixelColor(1, 1), clRed);
  EXPECT_EQ(back.PixelColor(6, 1), clWhite);

  gfx::TMetafile mf;
  {
    gfx::TMetafileCanvas c(mf);
    c.Brush().SetColor(clRed);
    c.FillRect(Rect(0, 0, 10, 10));
  }
  Clipboard().SetMetafile(mf);
  EXPECT_TRUE(Clipboard().HasMetafile());
  EXPECT_TRUE(Clipboard().HasPicture());
  gfx::TMetafile mfBack;
  ASSERT_TRUE(Clipboard().GetMetafile(mfBack));
  EXPECT_EQ(mfBack.Width(), mf.Width());
}

TEST(TreePageUpDown, BasicsOfTheRemainingContainers) {
  OnForm f;
  auto* tree = f.Add<TTreeView>(10, 10, 150, 100);
  TTreeNode* root = tree->AddChild(nullptr, "Отчет"_cp);
  TTreeNode* child = tree->AddChild(root, "Page1");
  TTreeNode* changed = nullptr;
  tree->OnChange = [&](TObject*, TTreeNode* n) { changed = n; };
  tree->SetSelected(child);
  EXPECT_EQ(changed, child);
  EXPECT_EQ(child->Parent(), root);
  EXPECT_EQ(root->Count(), 1);
  EXPECT_EQ(root->Text(), std::string("Отчет"_cp));

  auto* pages = f.Add<TPageControl>(170, 10, 200, 150);
  auto* one = new TTabSheet(&f.form);
  one->SetPageControl(pages);
  one->SetCaption("One");
  auto* two = new TTabSheet(&f.form);
  two->SetParent(pages);
  int changes = 0;
  pages->OnChange = [&](TObject*) { ++changes; };
  pages->SetActivePage(two);
  EXPECT_EQ(pages->ActivePageIndex(), 1);
  EXPECT_EQ(changes, 0);
  delete one;
  EXPECT_EQ(pages->PageCount(), 1);

  auto* copies = f.Add<TEdit>(10, 200, 40, 21);
  auto* ud = f.Add<TUpDown>(0, 0, 17, 21);
  ud->SetMin(1);
  ud->SetMax(3);
  ud->SetAssociate(copies);
  ud->SetPosition(1);
  EXPECT_EQ(copies->Text(), "1");
  ud->Step(btNext);
  ud->Step(btNext);
  ud->Step(btNext);
  EXPECT_EQ(copies->Text(), "3");
  EXPECT_EQ(ud->Left(), 50);
}

TEST(ToolAndSpeedButtons, GroupsKeepOneDown) {
  OnForm f;
  auto* bar = new TToolBar(&f.form);
  bar->SetParent(&f.form);
  auto* b1 = new TToolButton(&f.form);
  auto* sep = new TToolButton(&f.form);
  auto* b2 = new TToolButton(&f.form);
  for (TToolButton* b : {b1, sep, b2}) b->SetParent(bar);
  sep->SetStyle(tbsSeparator);
  EXPECT_EQ(b2->Left(), b1->Left() + b1->Width() + 8);
  for (TToolButton* b : {b1, b2}) {
    b->SetStyle(tbsCheck);
    b->SetGrouped(true);
  }
  b1->SetDown(true);
  b2->SetDown(true);
  EXPECT_FALSE(b1->Down());
  EXPECT_TRUE(b2->Down());

  auto* s1 = f.Add<TSpeedButton>(10, 100, 23, 22);
  auto* s2 = f.Add<TSpeedButton>(40, 100, 23, 22);
  s1->SetGroupIndex(1);
  s2->SetGroupIndex(1);
  s1->SetDown(true);
  s2->SetDown(true);
  EXPECT_FALSE(s1->Down());
  EXPECT_TRUE(s2->Down());
}

TEST(PaintBox, MouseEventsInDesktopOrderAndMovesWithoutAButton) {
  OnForm f;
  auto* box = f.Add<TPaintBox>(10, 10, 100, 80);
  std::string log;
  box->OnMouseDown = [&](TObject*, TMouseButton, TShiftState s, int x, int y) {
    log += s.Contains(TShiftState::ssDouble) ? "D2" : "D";
    log += "(" + std::to_string(x) + "," + std::to_string(y) + ")";
  };
  box->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { log += "U"; };
  box->OnDblClick = [&](TObject*) { log += "C"; };
  box->OnMouseMove = [&](TObject*, TShiftState s, int x, int y) {
    log += s.Empty() ? "M" : "m";
    log += "(" + std::to_string(x) + "," + std::to_string(y) + ")";
  };
  simulate::DoubleClick(*box, 5, 6);
  EXPECT_EQ(log, "D(5,6)UCD2(5,6)U");
  log.clear();
  simulate::MoveMouse(*box, 30, 40);
  EXPECT_EQ(log, "M(30,40)");
  log.clear();
  simulate::DragWith(*box, mbRight, 1, 2, 3, 4);
  EXPECT_EQ(log, "D(1,2)m(3,4)U");
}

TEST(Hints, ShowWhereShowHintIsOnTakingTheParentsSettingByDefault) {
  OnForm f;
  auto* panel = f.Add<TPanel>(0, 0, 200, 100);
  auto* button = new TButton(&f.form);
  button->SetParent(panel);
  button->SetHint("Печать|Печать отчета"_cp);
  EXPECT_FALSE(button->HintShown());  // a form shows no hints unless asked
  f.form.SetShowHint(true);
  EXPECT_TRUE(button->HintShown());
  panel->SetShowHint(false);
  EXPECT_FALSE(button->HintShown());
  button->SetShowHint(true);
  EXPECT_TRUE(button->HintShown());
  button->SetHint("");
  EXPECT_FALSE(button->HintShown());
}
