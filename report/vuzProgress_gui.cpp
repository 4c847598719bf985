// The progress window on the GUI layer.
#include "platform/gui/application.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzProgress.h"
#include "report/vuzRes.h"

namespace report {

namespace {
constexpr int kMessageTopWithBar = 15;
constexpr int kMessageTopWithoutBar = 35;

// The window that was active is enabled again only while it still exists.
bool FormAlive(gui::TForm* form) {
  for (int i = 0; i < gui::Screen->FormCount(); ++i)
    if (gui::Screen->Forms(i) == form) return true;
  return false;
}

void SetTahoma8(gui::TControl& control) {
  control.Font().SetName("Tahoma");
  control.Font().SetHeight(-11);
}
}  // namespace

struct TfrxProgress::Impl {
  std::unique_ptr<gui::TForm> form;
  gui::TPanel* panel = nullptr;
  gui::TLabel* message = nullptr;
  gui::TProgressBar* bar = nullptr;
  gui::TButton* cancel = nullptr;
  gui::TForm* activeForm = nullptr;
  int position = 0;
  int maxValue = 100;
  AnsiString text;
  bool terminated = false;
  bool showBar = false;
};

TfrxProgress::TfrxProgress() : impl_(std::make_unique<Impl>()) {
  Impl& p = *impl_;
  p.form = std::make_unique<gui::TForm>(nullptr);
  gui::TForm& f = *p.form;
  f.SetBorderStyle(gui::bsNone);
  f.SetPosition(gui::poScreenCenter);
  f.SetClientWidth(271);
  f.SetClientHeight(101);
  // Borderless, so the whole body drags the window.
  f.SetDragByBody(true);

  p.panel = new gui::TPanel(&f);
  p.panel->SetParent(&f);
  p.panel->SetAlign(gui::alClient);
  p.panel->SetBevelWidth(2);

  p.message = new gui::TLabel(&f);
  p.message->SetParent(p.panel);
  p.message->SetAutoSize(false);
  p.message->SetBounds(16, 11, 237, 20);
  p.message->SetAlignment(gui::taCenter);
  SetTahoma8(*p.message);

  p.bar = new gui::TProgressBar(&f);
  p.bar->SetParent(p.panel);
  p.bar->SetBounds(16, 37, 237, 17);
  p.bar->SetStep(1);

  p.cancel = new gui::TButton(&f);
  p.cancel->SetParent(p.panel);
  p.cancel->SetBounds(100, 64, 75, 25);
  p.cancel->SetCancel(true);
  p.cancel->SetModalResult(gui::mrCancel);
  SetTahoma8(*p.cancel);
  p.cancel->OnClick = [this](rtl::TObject*) { SetTerminated(true); };

  // What the stored layout's creation handler does.
  p.cancel->SetCaption(vuzGet(2));
  p.activeForm = gui::Screen->ActiveForm();
  if (p.activeForm) p.activeForm->SetEnabled(false);
  p.bar->SetMin(0);
  p.bar->SetMax(100);
  p.bar->SetPosition(0);
  f.OnHide = [this](rtl::TObject*) { EnableActiveForm(); };
}

TfrxProgress::~TfrxProgress() {
  impl_->form->OnHide = nullptr;
  EnableActiveForm();
}

void TfrxProgress::EnableActiveForm() {
  if (impl_->activeForm && FormAlive(impl_->activeForm)) impl_->activeForm->SetEnabled(true);
  impl_->activeForm = nullptr;
}

void TfrxProgress::Execute(int maxValue, const AnsiString& message, bool showBar, bool showCancel) {
  Impl& p = *impl_;
  p.terminated = false;
  p.cancel->SetVisible(showCancel);
  SetProgress(showBar);
  p.bar->SetMin(0);
  Reset();
  p.maxValue = maxValue;
  p.bar->SetMax(maxValue);
  SetMessage(message);
  p.form->Show();
  gui::Application->ProcessMessages();
}

void TfrxProgress::Tick() {
  if (impl_->position < impl_->maxValue && impl_->position >= 0) SetPosition(impl_->position + 1);
}

void TfrxProgress::SetPosition(int value) {
  impl_->position = value;
  impl_->bar->SetPosition(value);
  impl_->form->BringToFront();
  gui::Application->ProcessMessages();
}

int TfrxProgress::Position() const { return impl_->position; }

void TfrxProgress::SetMessage(const AnsiString& text) {
  impl_->text = text;
  impl_->message->SetCaption(text);
  impl_->message->Repaint();
}

const AnsiString& TfrxProgress::Message() const { return impl_->text; }

void TfrxProgress::SetTerminated(bool value) {
  impl_->terminated = value;
  if (value) impl_->form->Close();
}

bool TfrxProgress::Terminated() const { return impl_->terminated; }

void TfrxProgress::SetProgress(bool showBar) {
  impl_->bar->SetVisible(showBar);
  impl_->showBar = showBar;
  impl_->message->SetTop(showBar ? kMessageTopWithBar : kMessageTopWithoutBar);
}

bool TfrxProgress::ShowProgress() const { return impl_->showBar; }

gui::TForm* TfrxProgress::Form() const { return impl_->form.get(); }
gui::TLabel* TfrxProgress::MessageLabel() const { return impl_->message; }
gui::TButton* TfrxProgress::CancelButton() const { return impl_->cancel; }
gui::TProgressBar* TfrxProgress::Bar() const { return impl_->bar; }

}  // namespace report
