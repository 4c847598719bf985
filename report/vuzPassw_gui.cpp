// The password dialog on the GUI layer.
#include "platform/gfx/bitmap.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzPassw.h"
#include "report/vuzRes.h"

namespace report {

namespace {
// A padlock: the dialog's picture.
void DrawLock(gfx::TCanvas& canvas) {
  canvas.Pen().SetColor(gfx::clBlack);
  canvas.Brush().SetColor(gfx::clBtnFace);
  canvas.Ellipse(gfx::TRect{16, 4, 48, 40});
  canvas.Ellipse(gfx::TRect{22, 10, 42, 34});
  canvas.Brush().SetColor(0x0000C0FF);  // golden yellow
  canvas.Rectangle(gfx::TRect{10, 24, 54, 60});
  canvas.Brush().SetColor(gfx::clBlack);
  canvas.Ellipse(gfx::TRect{28, 34, 36, 42});
  canvas.Rectangle(gfx::TRect{31, 40, 33, 50});
}
}  // namespace

struct TfrxPasswordForm::Impl {
  std::unique_ptr<gui::TForm> form;
  gui::TPaintBox* picture = nullptr;
  gui::TLabel* label = nullptr;
  gui::TEdit* edit = nullptr;
  gui::TButton* ok = nullptr;
  gui::TButton* cancel = nullptr;
};

TfrxPasswordForm::TfrxPasswordForm() : impl_(std::make_unique<Impl>()) {
  Impl& p = *impl_;
  p.form = std::make_unique<gui::TForm>(nullptr);
  gui::TForm& f = *p.form;
  f.SetBorderStyle(gui::bsDialog);
  f.SetPosition(gui::poScreenCenter);
  f.SetCaption("Password");
  f.SetClientWidth(252);
  f.SetClientHeight(92);

  p.picture = new gui::TPaintBox(&f);
  p.picture->SetParent(&f);
  p.picture->SetBounds(8, 8, 64, 64);
  p.picture->OnPaint = [this](rtl::TObject*) { DrawLock(impl_->picture->Canvas()); };

  p.label = new gui::TLabel(&f);
  p.label->SetParent(&f);
  p.label->SetBounds(88, 8, 157, 13);
  p.label->SetCaption("Enter the password:");

  p.edit = new gui::TEdit(&f);
  p.edit->SetParent(&f);
  p.edit->SetBounds(88, 28, 157, 21);
  p.edit->SetPasswordChar('*');

  p.ok = new gui::TButton(&f);
  p.ok->SetParent(&f);
  p.ok->SetBounds(88, 60, 75, 25);
  p.ok->SetDefault(true);
  p.ok->SetModalResult(gui::mrOk);

  p.cancel = new gui::TButton(&f);
  p.cancel->SetParent(&f);
  p.cancel->SetBounds(168, 60, 75, 25);
  p.cancel->SetCancel(true);
  p.cancel->SetModalResult(gui::mrCancel);

  // The creation handler: texts from the language table.
  f.SetCaption(vuzGet(5000));
  p.label->SetCaption(vuzGet(5001));
  p.ok->SetCaption(vuzGet(1));
  p.cancel->SetCaption(vuzGet(2));
  f.SetActiveControl(p.edit);
}

TfrxPasswordForm::~TfrxPasswordForm() = default;

bool TfrxPasswordForm::ShowModal() { return impl_->form->ShowModal() == gui::mrOk; }
AnsiString TfrxPasswordForm::Password() const { return impl_->edit->Text(); }
gui::TForm* TfrxPasswordForm::Form() const { return impl_->form.get(); }
gui::TLabel* TfrxPasswordForm::PasswordL() const { return impl_->label; }
gui::TEdit* TfrxPasswordForm::PasswordE() const { return impl_->edit; }
gui::TButton* TfrxPasswordForm::OkB() const { return impl_->ok; }
gui::TButton* TfrxPasswordForm::CancelB() const { return impl_->cancel; }

}  // namespace report
