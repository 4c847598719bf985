// Every dialog of the program, shown modally, has its first control focused
// (typing goes into the dialog at once) and a fixed dialog border.
#include "app/About_gui.h"
#include "app/CalibrTC.h"
#include "app/GetSHTType.h"
#include "app/Job.h"
#include "app/NoteEdit.h"
#include "app/ShrinkBase.h"
#include "app/frmSelfTest.h"
#include "tests/app/form_fixture.h"

namespace {

class DialogFocusTest : public apptest::FormFixture {
 protected:
  void SetUp() override {
    model = std::make_unique<sim::RecorderModel>();
    Create();
  }
  // Shows the dialog modally and answers the control focused inside it.
  gui::TControl* FocusedWhenShown(gui::TForm& dialog) {
    EXPECT_EQ(dialog.BorderStyle(), gui::bsDialog) << dialog.Name();
    gui::TControl* active = nullptr;
    gui::DialogScript script;
    script.OnModal([&](gui::TForm& f) {
      active = f.ActiveControl();
      f.SetModalResult(gui::mrCancel);
    });
    dialog.ShowModal();
    return active;
  }
};

}  // namespace

TEST_F(DialogFocusTest, EachDialogFocusesItsFirstControl) {
  {
    app::TRecordingJob job{0, 1441, 1};
    app::TfrmJob d(form.get(), job, 3);
    EXPECT_EQ(FocusedWhenShown(d), d.EditDuration);
  }
  {
    app::TfrmNoteEdit d(form.get(), *form);
    EXPECT_EQ(FocusedWhenShown(d), d.CheckBoxTitle);
  }
  {
    float base = 150000;
    app::TfrmShrinkBase d(form.get(), base);
    EXPECT_EQ(FocusedWhenShown(d), d.EditShrinkBase);
  }
  {
    app::TGetSHT d(form.get());
    EXPECT_EQ(FocusedWhenShown(d), d.Memo1);
  }
  {
    app::TAboutBox d(form.get());
    EXPECT_EQ(FocusedWhenShown(d), d.OKButton);
  }
  {
    clock.Advance(3000);
    app::TfrmCalibrTC d(form.get(), *form);
    EXPECT_EQ(FocusedWhenShown(d), d.EditA0);
  }
  {
    clock.Advance(3000);
    app::TfrmTest d(form.get(), *form);
    EXPECT_EQ(FocusedWhenShown(d), d.ButtonMeas);
  }
}
