// The progress window of report runs, printing and export: a small
// borderless window with a message, a bar and a Cancel button. It is shown
// without modality and disables the window that was active while it lives;
// the report polls Terminated after each progress step. The report holds it
// as a TfrxCustomProgress made through vuzCreateProgress (none without a
// GUI); the window itself, TfrxProgress, is the GUI companion's
// (vuzProgress_gui.cpp).
#pragma once
#include <memory>

#include "platform/rtl/strings.h"

namespace gui {
class TForm;
class TLabel;
class TButton;
class TProgressBar;
}  // namespace gui

namespace report {

using rtl::AnsiString;

// What the report asks of its progress window.
class TfrxCustomProgress {
 public:
  virtual ~TfrxCustomProgress() = default;
  virtual void Execute(int maxValue, const AnsiString& message, bool showBar, bool showCancel) = 0;
  virtual void SetMessage(const AnsiString& text) = 0;
  virtual const AnsiString& Message() const = 0;
  virtual bool Terminated() const = 0;
};

// The progress window the GUI installed (vuzGuiHooks); null without a GUI.
std::unique_ptr<TfrxCustomProgress> vuzCreateProgress();

class TfrxProgress final : public TfrxCustomProgress {
 public:
  // Builds the window (hidden), remembers the active form and disables it.
  TfrxProgress();
  // Enables the remembered form again.
  ~TfrxProgress() override;
  TfrxProgress(const TfrxProgress&) = delete;
  TfrxProgress& operator=(const TfrxProgress&) = delete;

  // Clears Terminated, shows or hides the bar and the Cancel button, sets the
  // range 0..maximum, shows the message and the window, handles waiting messages.
  void Execute(int maxValue, const AnsiString& message, bool showBar, bool showCancel) override;
  // One step on while below the maximum.
  void Tick();
  void Reset() { SetPosition(0); }
  void SetPosition(int value);
  int Position() const;
  void SetMessage(const AnsiString& text) override;
  const AnsiString& Message() const override;
  // True also hides the window (Cancel pressed).
  void SetTerminated(bool value);
  bool Terminated() const override;
  // Shows or hides the bar; the message sits at top 15 with it, 35 without.
  void SetProgress(bool showBar);
  bool ShowProgress() const;

  // The window and its controls (for the tests and for dragging).
  gui::TForm* Form() const;
  gui::TLabel* MessageLabel() const;
  gui::TButton* CancelButton() const;
  gui::TProgressBar* Bar() const;

 private:
  void EnableActiveForm();
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace report
