// Forms: modal results, closing, key preview, default and cancel buttons,
// placement and bounds.
#include "platform/gui/forms.h"

#include <gtest/gtest.h>

#include "gui_test_util.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/simulate.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/exceptions.h"

using namespace gui;
using namespace rtl::literals;

namespace {

// A dialog with an edit and OK/Cancel buttons, as the program's dialogs are.
struct Dialog {
  TForm form{nullptr};
  TEdit* edit = new TEdit(&form);
  TButton* ok = new TButton(&form);
  TButton* cancel = new TButton(&form);
  Dialog() {
    form.SetBounds(0, 0, 240, 120);
    edit->SetParent(&form);
    ok->SetParent(&form);
    ok->SetBounds(10, 60, 75, 25);
    ok->SetModalResult(mrOk);
    ok->SetDefault(true);
    cancel->SetParent(&form);
    cancel->SetBounds(100, 60, 75, 25);
    cancel->SetModalResult(mrCancel);
    cancel->SetCancel(true);
  }
};

}  // namespace

TEST(FormModal, ButtonClickedWhileShownEndsWithItsResult) {
  Dialog d;
  d.form.OnShow = [&](TObject*) { d.ok->Click(); };
  EXPECT_EQ(d.form.ShowModal(), mrOk);
  EXPECT_FALSE(d.form.Visible());
}

TEST(FormModal, ResultSetFromATimerInsideTheModalLoop) {
  Dialog d;
  DialogScript script;
  script.OnModal([](TForm& f) { f.SetModalResult(mrRetry); });
  EXPECT_EQ(d.form.ShowModal(), mrRetry);
}

TEST(FormModal, EnterPressesTheDefaultButtonEscTheCancelButton) {
  struct Case {
    Word key;
    TModalResult expected;
  };
  for (Case c : {Case{VK_RETURN, mrOk}, Case{VK_ESCAPE, mrCancel}}) {
    Dialog d;
    DialogScript script;
    script.OnModal([&](TForm&) { simulate::PressKey(*d.edit, c.key); });
    EXPECT_EQ(d.form.ShowModal(), c.expected) << c.key;
  }
}

TEST(FormModal, CloseQueryCanRefuseAndOnCloseSeesTheEnd) {
  Dialog d;
  int asked = 0;
  int closed = 0;
  d.form.OnCloseQuery = [&](TObject*, bool& can) { can = ++asked > 1; };
  d.form.OnClose = [&](TObject*, TCloseAction&) { ++closed; };
  // The first close is refused; a timer tick then closes the form again.
  TTimer again(nullptr);
  again.SetInterval(1);
  again.OnTimer = [&](TObject*) {
    if (asked == 1) d.form.SetModalResult(mrNo);
  };
  DialogScript script;
  script.OnModal([&](TForm& f) { f.SetModalResult(mrOk); });
  EXPECT_EQ(d.form.ShowModal(), mrNo);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(closed, 1);
}

TEST(FormModal, UnscriptedModalFormUnderATestScriptIsCancelled) {
  Dialog d;
  DialogScript script;
  EXPECT_EQ(d.form.ShowModal(), mrCancel);
}

TEST(FormModal, AVisibleFormCannotBecomeModal) {
  Dialog d;
  d.form.Show();
  EXPECT_THROW(d.form.ShowModal(), rtl::EInvalidOperation);
}

TEST(FormKeys, KeyPreviewSeesKeysOfControlsFirstAndCanSwallowThem) {
  Dialog d;
  d.form.SetKeyPreview(true);
  std::vector<std::pair<Word, bool>> formKeys;
  int editKeys = 0;
  d.form.OnKeyDown = [&](TObject*, Word& key, TShiftState shift) {
    formKeys.push_back({key, shift.Contains(TShiftState::ssAlt) || shift.Contains(TShiftState::ssCtrl)});
    if (key == 'R' && !shift.Empty()) key = 0;  // handled: the edit never sees it
  };
  d.edit->OnKeyDown = [&](TObject*, Word&, TShiftState) { ++editKeys; };
  simulate::PressKey(*d.edit, 'R', ssAlt);
  simulate::PressKey(*d.edit, 'R', ssCtrl);
  simulate::PressKey(*d.edit, VK_F3, ssAlt);
  ASSERT_EQ(formKeys.size(), 3u);
  EXPECT_EQ(formKeys[0], std::make_pair(Word('R'), true));
  EXPECT_EQ(formKeys[2].first, VK_F3);
  EXPECT_EQ(editKeys, 1);  // only Alt+F3 reached the edit
}

TEST(FormKeys, KeyUpReachesTheFormWithKeyPreview) {
  Dialog d;
  d.form.SetKeyPreview(true);
  Word released = 0;
  d.form.OnKeyUp = [&](TObject*, Word& key, TShiftState) { released = key; };
  simulate::PressKey(*d.edit, 'A');
  EXPECT_EQ(released, 'A');
}

TEST(FormBounds, ConstraintsKeepTheMinimumSize) {
  TForm f(nullptr);
  f.SetConstraints({360, 440, 0, 0});
  f.SetBounds(0, 0, 100, 100);
  EXPECT_EQ(f.Width(), 360);
  EXPECT_EQ(f.Height(), 440);
}

TEST(FormBounds, ScreenCentreAndMainFormCentrePlacement) {
  TForm main(nullptr);
  main.SetBounds(0, 0, 400, 300);
  gui::Application->SetMainForm(&main);
  main.Show();
  TForm child(nullptr);
  child.SetBounds(0, 0, 100, 100);
  child.SetPosition(poMainFormCenter);
  child.Show();
  EXPECT_EQ(child.Left(), main.Left() + 150);
  EXPECT_EQ(child.Top(), main.Top() + 100);
  TForm centred(nullptr);
  centred.SetBounds(0, 0, 100, 50);
  centred.SetPosition(poScreenCenter);
  centred.Show();
  // The client area is what is centred; Left and Top are its frame's.
  EXPECT_EQ(centred.ClientToScreen({0, 0}).X, (Screen->Width() - 100) / 2);
  EXPECT_EQ(centred.ClientToScreen({0, 0}).Y, (Screen->Height() - 50) / 2);
  gui::Application->SetMainForm(nullptr);
}

// Left and Top of a window are its frame's, as a user sees the window: a
// window placed at 0, 0 has its title bar on screen. (The offscreen platform
// gives windows a two-pixel frame, so the client area starts inside it.)
TEST(FormBounds, LeftAndTopAreTheFramesPosition) {
  TForm f(nullptr);
  f.SetBounds(0, 0, 300, 200);
  f.Show();
  gui::Application->ProcessMessages();
  EXPECT_EQ(f.Left(), 0);
  EXPECT_EQ(f.Top(), 0);
  const TPoint client = f.ClientToScreen({0, 0});
  EXPECT_GT(client.X, f.Left());
  EXPECT_GT(client.Y, f.Top());
  // Moving keeps the frame where it is asked to be.
  f.SetBounds(30, 40, 300, 200);
  gui::Application->ProcessMessages();
  EXPECT_EQ(f.Left(), 30);
  EXPECT_EQ(f.Top(), 40);
  EXPECT_EQ(f.ClientToScreen({0, 0}).X - 30, client.X);
  // The normal bounds of a maximized window are the frame's too.
  f.SetWindowState(wsMaximized);
  EXPECT_TRUE(gui_test::PumpUntil([&] { return f.WindowState() == wsMaximized && f.Width() > 300; }));
  EXPECT_EQ(f.NormalBounds(), Bounds(30, 40, 300, 200));
}

TEST(FormBounds, MaximizedStateAndNormalBounds) {
  TForm f(nullptr);
  f.SetBounds(10, 20, 300, 200);
  f.Show();
  f.SetWindowState(wsMaximized);
  EXPECT_TRUE(gui_test::PumpUntil([&] { return f.WindowState() == wsMaximized && f.Width() > 300; }));
  EXPECT_EQ(f.NormalBounds().Width(), 300);
  f.SetWindowState(wsNormal);
  EXPECT_TRUE(gui_test::PumpUntil([&] { return f.WindowState() == wsNormal && f.Width() == 300; }));
}

TEST(FormBounds, AlignedControlsFollowTheClientArea) {
  TForm f(nullptr);
  f.SetBounds(0, 0, 300, 200);
  TPanel top(&f), client(&f), bottom(&f);
  for (TPanel* p : {&top, &client, &bottom}) p->SetParent(&f);
  top.SetHeight(30);
  top.SetAlign(alTop);
  bottom.SetHeight(20);
  bottom.SetAlign(alBottom);
  client.SetAlign(alClient);
  EXPECT_EQ(client.BoundsRect(), Rect(0, 30, 300, 180));
  f.SetBounds(0, 0, 400, 300);
  EXPECT_EQ(bottom.BoundsRect(), Rect(0, 280, 400, 300));
  EXPECT_EQ(client.Height(), 250);
  top.Hide();
  EXPECT_EQ(client.Top(), 0);
}

TEST(FormOwnership, OwnerDestroysItsControlsAndAControlDestroyedFirstLeaves) {
  auto* f = new TForm(nullptr);
  auto* a = new TButton(f);
  a->SetParent(f);
  auto* b = new TButton(f);
  b->SetParent(f);
  EXPECT_EQ(f->ComponentCount(), 2);
  delete a;
  EXPECT_EQ(f->ComponentCount(), 1);
  EXPECT_EQ(f->ControlCount(), 1);
  delete f;  // takes b along; nothing dangles
  SUCCEED();
}

TEST(FormClose, ClosingTheMainFormEndsTheApplicationOtherFormsHide) {
  TForm other(nullptr);
  other.Show();
  other.Close();
  EXPECT_FALSE(other.Visible());
  EXPECT_FALSE(gui::Application->Terminated());
}

namespace {
// A control with keys of its own (the preview's page area moves with arrows).
class PageKeys : public TEdit {
 public:
  using TEdit::TEdit;
  std::vector<Word> seen;
  void KeyDown(Word& key, TShiftState shift) override {
    seen.push_back(key);
    if (key == VK_NEXT) {  // handled here: the event does not see it
      key = 0;
      return;
    }
    TEdit::KeyDown(key, shift);
  }
};
}  // namespace

TEST(FormKeys, ControlsOverrideTheirKeyHandlingAndStillRaiseTheEvents) {
  TForm form(nullptr);
  auto* c = new PageKeys(&form);
  c->SetParent(&form);
  std::vector<Word> events;
  c->OnKeyDown = [&](TObject*, Word& key, TShiftState) { events.push_back(key); };
  simulate::PressKey(*c, VK_NEXT);
  simulate::PressKey(*c, VK_DOWN);
  EXPECT_EQ(c->seen, (std::vector<Word>{VK_NEXT, VK_DOWN}));
  EXPECT_EQ(events, (std::vector<Word>{VK_DOWN}));
}

TEST(FormBounds, AWindowMaximizedBeforeItShowsStartsMaximized) {
  TForm f(nullptr);
  f.SetBounds(0, 0, 360, 440);
  f.SetWindowState(wsMaximized);
  f.Show();
  EXPECT_TRUE(gui_test::PumpUntil([&] { return f.WindowState() == wsMaximized && f.Width() > 360; }));
  EXPECT_EQ(f.NormalBounds().Width(), 360);
}

TEST(FormBounds, NestedContainersLayOutAtOnceEvenWhileHiddenAndResizeRunsOncePerSize) {
  TForm form(nullptr);
  auto* box = new TGroupBox(&form);
  box->SetParent(&form);
  box->SetCaption("Список процессов регистрации"_cp);
  box->SetHeight(161);
  box->SetAlign(alTop);
  auto* inner = new TPanel(&form);
  inner->SetParent(box);
  inner->SetAlign(alClient);
  int resizes = 0;
  int innerWidthSeen = 0;
  form.OnResize = [&](TObject*) {
    ++resizes;
    innerWidthSeen = inner->Width();
  };
  form.SetBounds(0, 0, 360, 440);  // hidden: no window-system events yet
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(box->Width(), 360);
  // The panel fills the box below its caption, inside its frame.
  EXPECT_GT(inner->Top(), 5);
  EXPECT_LT(inner->Width(), 360);
  EXPECT_GT(inner->Width(), 340);
  EXPECT_EQ(innerWidthSeen, inner->Width());
  form.SetBounds(0, 0, 360, 440);
  EXPECT_EQ(resizes, 1);
  form.Show();
  gui::Application->ProcessMessages();
  EXPECT_EQ(resizes, 1);  // showing at the same size runs no second resize
  form.SetBounds(0, 0, 400, 440);
  EXPECT_EQ(resizes, 2);
  EXPECT_EQ(box->Width(), 400);
}
