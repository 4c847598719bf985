// The inheritance conflict dialog on the GUI layer.
#include "platform/gfx/bitmap.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/imglist.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzInheritError.h"
#include "report/vuzRes.h"

namespace report {

namespace {
// A warning sign: picture 0 of the dialog's image list.
void DrawWarningPicture(gfx::TBitmap& bitmap) {
  gfx::TCanvas& c = bitmap.Canvas();
  c.Brush().SetColor(gfx::clFuchsia);
  c.FillRect(gfx::TRect{0, 0, 32, 32});
  c.Pen().SetColor(gfx::clBlack);
  c.Brush().SetColor(gfx::clYellow);
  c.Polygon(std::vector<gfx::TPoint>{{16, 1}, {31, 30}, {1, 30}});
  c.Brush().SetColor(gfx::clBlack);
  c.Rectangle(gfx::TRect{15, 10, 18, 22});
  c.Rectangle(gfx::TRect{15, 24, 18, 27});
}
}  // namespace

struct TfrxInheritErrorForm::Impl {
  std::unique_ptr<gui::TForm> form;
  gui::TLabel* message = nullptr;
  gui::TPaintBox* paintBox = nullptr;
  gui::TButton* ok = nullptr;
  gui::TButton* cancel = nullptr;
  gui::TRadioButton* deleteRB = nullptr;
  gui::TRadioButton* renameRB = nullptr;
  gui::TImageList* images = nullptr;
};

TfrxInheritErrorForm::TfrxInheritErrorForm() : impl_(std::make_unique<Impl>()) {
  Impl& p = *impl_;
  p.form = std::make_unique<gui::TForm>(nullptr);
  gui::TForm& f = *p.form;
  f.SetBorderStyle(gui::bsDialog);
  f.SetPosition(gui::poScreenCenter);
  f.SetCaption("Error");
  f.SetClientWidth(256);
  f.SetClientHeight(152);

  p.images = new gui::TImageList(&f, 32, 32);
  gfx::TBitmap warning(32, 32);
  DrawWarningPicture(warning);
  p.images->AddMasked(warning, gfx::clFuchsia);

  p.message = new gui::TLabel(&f);
  p.message->SetParent(&f);
  p.message->SetBounds(60, 16, 185, 41);
  p.message->SetWordWrap(true);
  p.message->SetCaption("Base and inherited reports have duplicate objects. What should we do?");

  p.paintBox = new gui::TPaintBox(&f);
  p.paintBox->SetParent(&f);
  p.paintBox->SetBounds(12, 16, 32, 32);
  p.paintBox->OnPaint = [this](rtl::TObject*) {
    gfx::TCanvas& c = impl_->paintBox->Canvas();
    c.Brush().SetColor(impl_->paintBox->Color());
    c.FillRect(gfx::TRect{0, 0, 32, 32});
    impl_->images->Draw(c, 0, 0, 0);
  };

  p.ok = new gui::TButton(&f);
  p.ok->SetParent(&f);
  p.ok->SetBounds(48, 120, 75, 25);
  p.ok->SetDefault(true);
  p.ok->SetModalResult(gui::mrOk);

  p.cancel = new gui::TButton(&f);
  p.cancel->SetParent(&f);
  p.cancel->SetBounds(128, 120, 75, 25);
  p.cancel->SetCancel(true);
  p.cancel->SetModalResult(gui::mrCancel);

  p.deleteRB = new gui::TRadioButton(&f);
  p.deleteRB->SetParent(&f);
  p.deleteRB->SetBounds(12, 68, 229, 17);
  p.deleteRB->SetCaption("Delete duplicates");
  p.deleteRB->SetChecked(true);

  p.renameRB = new gui::TRadioButton(&f);
  p.renameRB->SetParent(&f);
  p.renameRB->SetBounds(12, 88, 229, 17);
  p.renameRB->SetCaption("Rename duplicates");

  // The creation handler: texts from the language table.
  f.SetCaption(vuzGet(6000));
  p.ok->SetCaption(vuzGet(1));
  p.cancel->SetCaption(vuzGet(2));
  p.message->SetCaption(vuzGet(6001));
  p.deleteRB->SetCaption(vuzGet(6002));
  p.renameRB->SetCaption(vuzGet(6003));
}

TfrxInheritErrorForm::~TfrxInheritErrorForm() = default;

bool TfrxInheritErrorForm::ShowModal() { return impl_->form->ShowModal() == gui::mrOk; }
bool TfrxInheritErrorForm::DeleteDuplicates() const { return impl_->deleteRB->Checked(); }
gui::TForm* TfrxInheritErrorForm::Form() const { return impl_->form.get(); }
gui::TLabel* TfrxInheritErrorForm::MessageL() const { return impl_->message; }
gui::TRadioButton* TfrxInheritErrorForm::DeleteRB() const { return impl_->deleteRB; }
gui::TRadioButton* TfrxInheritErrorForm::RenameRB() const { return impl_->renameRB; }
gui::TButton* TfrxInheritErrorForm::OkB() const { return impl_->ok; }
gui::TButton* TfrxInheritErrorForm::CancelB() const { return impl_->cancel; }

}  // namespace report
