// The window of a dialog page: a form without owner (caption a blank, client
// 115 x 59, clBtnFace, Tahoma 8, key preview and hints on) whose events go to
// the page once the page has initialised it; until then it refuses to close.
#include <memory>

#include "platform/gui/forms.h"
#include "report/vuzDialogPage.h"
#include "report/vuzUtils_gui.h"

namespace report {
namespace {

class TfrxDialogForm final : public TfrxDialogWindow {
 public:
  explicit TfrxDialogForm(TfrxDialogPage& page) : page_(page), form_(std::make_unique<gui::TForm>(nullptr)) {
    form_->OnCloseQuery = [](rtl::TObject*, bool& canClose) { canClose = false; };
    // A thread-safe run skips the stored form: only the refusal to close.
    skipResource_ = page.Tag == TfrxDialogPage::kSkipStoredFormTag;
    if (skipResource_) return;
    form_->SetCaption(" ");
    form_->SetClientWidth(115);
    form_->SetClientHeight(59);
    form_->SetColor(gfx::clBtnFace);
    form_->Font().SetName("Tahoma");
    form_->Font().SetHeight(-11);
    form_->SetKeyPreview(true);
    form_->SetShowHint(true);
  }
  ~TfrxDialogForm() override {
    // The page is going: no event of the closing window may reach it.
    form_->OnCloseQuery = nullptr;
    form_->OnHide = nullptr;
    form_->OnDeactivate = nullptr;
    form_->OnResize = nullptr;
  }

  int Left() const override { return form_->Left(); }
  int Top() const override { return form_->Top(); }
  int Width() const override { return form_->Width(); }
  int Height() const override { return form_->Height(); }
  void SetLeft(int v) override { form_->SetLeft(v); }
  void SetTop(int v) override { form_->SetTop(v); }
  void SetWidth(int v) override { form_->SetWidth(v); }
  void SetHeight(int v) override { form_->SetHeight(v); }
  int ClientWidth() const override { return form_->ClientWidth(); }
  int ClientHeight() const override { return form_->ClientHeight(); }
  void SetClientWidth(int v) override { form_->SetClientWidth(v); }
  void SetClientHeight(int v) override { form_->SetClientHeight(v); }
  void SetCaption(const AnsiString& text) override { form_->SetCaption(text); }
  void SetColor(gfx::TColor color) override { form_->SetColor(color); }
  void SetFont(const gfx::TFont& font) override {
    form_->Font().SetName(font.Name());
    form_->Font().SetSize(font.Size());
    form_->Font().SetColor(font.Color());
    form_->Font().SetBold(font.Style().Contains(gfx::fsBold));
    form_->Font().SetItalic(font.Style().Contains(gfx::fsItalic));
    form_->Font().SetUnderline(font.Style().Contains(gfx::fsUnderline));
  }

  void Initialize() override {
    if (form_->Visible()) form_->SetVisible(false);
    form_->SetPosition(page_.Position());
    form_->SetWindowState(page_.WindowState());
    TfrxDialogPage& p = page_;
    form_->OnActivate = [&p](rtl::TObject*) { p.DoOnActivate(); };
    form_->OnClick = [&p](rtl::TObject*) { p.DoOnClick(); };
    form_->OnCloseQuery = [&p](rtl::TObject*, bool& canClose) { p.DoOnCloseQuery(canClose); };
    form_->OnDeactivate = [&p](rtl::TObject*) { p.DoOnDeactivate(); };
    form_->OnHide = [&p](rtl::TObject*) { p.DoOnHide(); };
    form_->OnKeyDown = [&p](rtl::TObject*, gui::Word& key, gui::TShiftState shift) {
      p.DoOnKeyDown(key, shift.Bits());
    };
    form_->OnKeyPress = [&p](rtl::TObject*, char& key) { p.DoOnKeyPress(key); };
    form_->OnKeyUp = [&p](rtl::TObject*, gui::Word& key, gui::TShiftState shift) { p.DoOnKeyUp(key, shift.Bits()); };
    form_->OnShow = [&p](rtl::TObject*) { p.DoOnShow(); };
    form_->OnResize = [this, &p](rtl::TObject*) {
      // The end of a move or resize by the user: the page follows the window.
      if (form_->Modal()) p.DoModify();
      p.DoOnResize();
    };
    form_->OnMouseMove = [&p](rtl::TObject*, gui::TShiftState, int, int) { p.DoOnMouseMove(); };
  }

  rtl::TModalResult ShowModal() override {
    form_->SetBorderStyle(page_.BorderStyle());
    form_->SetFormStyle(gui::fsNormal);
    struct StayOnTop {
      gui::TForm& form;
      ~StayOnTop() { form.SetFormStyle(gui::fsStayOnTop); }
    } after{*form_};
    return form_->ShowModal();
  }
  rtl::TModalResult ModalResult() const override { return form_->ModalResult(); }
  void SetModalResult(rtl::TModalResult value) override { form_->SetModalResult(value); }

 private:
  TfrxDialogPage& page_;
  std::unique_ptr<gui::TForm> form_;
  bool skipResource_ = false;
};

}  // namespace

std::unique_ptr<TfrxDialogWindow> vuzCreateDialogForm(TfrxDialogPage& page) {
  return std::make_unique<TfrxDialogForm>(page);
}

}  // namespace report
