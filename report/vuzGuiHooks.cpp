#include "report/vuzGuiHooks.h"

#include <cstdio>

#include "report/vuzClassReport.h"
#include "report/vuzDialogPage.h"
#include "report/vuzPassw.h"
#include "report/vuzProgress.h"
#include "report/vuzUtils.h"

namespace report {

namespace {

// A dialog page's window where there is no screen: it keeps the geometry the
// page gives it (a frame of no width, so client size is outer size) and,
// since no one can press a button, answers Cancel without waiting.
class TfrxHeadlessDialogWindow final : public TfrxDialogWindow {
 public:
  int Left() const override { return left_; }
  int Top() const override { return top_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetLeft(int value) override { left_ = value; }
  void SetTop(int value) override { top_ = value; }
  void SetWidth(int value) override { width_ = value; }
  void SetHeight(int value) override { height_ = value; }
  int ClientWidth() const override { return width_; }
  int ClientHeight() const override { return height_; }
  void SetClientWidth(int value) override { width_ = value; }
  void SetClientHeight(int value) override { height_ = value; }
  void SetCaption(const AnsiString&) override {}
  void SetColor(gfx::TColor) override {}
  void SetFont(const gfx::TFont&) override {}
  void Initialize() override {}
  rtl::TModalResult ShowModal() override {
    modalResult_ = rtl::mrCancel;
    return modalResult_;
  }
  rtl::TModalResult ModalResult() const override { return modalResult_; }
  void SetModalResult(rtl::TModalResult value) override { modalResult_ = value; }

 private:
  // The size of a new form's client area (115 x 59), as the GUI window starts.
  int left_ = 0, top_ = 0, width_ = 115, height_ = 59;
  rtl::TModalResult modalResult_ = rtl::mrNone;
};

// The start timer where no message loop runs: it never fires.
class TfrxInertTimer final : public TfrxTimer {
 public:
  void SetInterval(unsigned) override {}
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const override { return enabled_; }

 private:
  bool enabled_ = false;
};

}  // namespace

TfrxGuiHooks& vuzGuiHooks() {
  static TfrxGuiHooks hooks;
  return hooks;
}

void vuzWriteErrorOutput(const AnsiString& text) {
  const std::string line = rtl::AnsiToUtf8(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void vuzProcessMessages() {
  if (const auto& pump = vuzGuiHooks().ProcessMessages) pump();
}

void vuzErrorMsg(const AnsiString& text) {
  if (const auto& show = vuzGuiHooks().ErrorMessage)
    show(text);
  else
    vuzWriteErrorOutput(text);
}

void vuzInfoMsg(const AnsiString& text) {
  if (const auto& show = vuzGuiHooks().InfoMessage)
    show(text);
  else
    vuzWriteErrorOutput(text);
}

rtl::TModalResult vuzConfirmMsg(const AnsiString& text, rtl::TMessageBoxFlags buttons) {
  if (const auto& ask = vuzGuiHooks().Confirm) return ask(text, buttons);
  return rtl::MessageBoxDefault(buttons);
}

bool vuzAskPassword(AnsiString& password) {
  if (const auto& ask = vuzGuiHooks().AskPassword) return ask(password);
  return false;
}

std::unique_ptr<TfrxCustomProgress> vuzCreateProgress() {
  if (const auto& create = vuzGuiHooks().CreateProgress) return create();
  return nullptr;
}

std::unique_ptr<TfrxDialogWindow> vuzCreateDialogWindow(TfrxDialogPage& page) {
  if (const auto& create = vuzGuiHooks().CreateDialogWindow) return create(page);
  return std::make_unique<TfrxHeadlessDialogWindow>();
}

std::unique_ptr<TfrxTimer> vuzCreateTimer() {
  if (const auto& create = vuzGuiHooks().CreateTimer) return create();
  return std::make_unique<TfrxInertTimer>();
}

}  // namespace report
