// The password dialog a template with a password asks through. The window
// lives in the GUI companion (vuzPassw_gui.cpp), which installs it.
#pragma once
#include <memory>

#include "platform/rtl/strings.h"

namespace gui {
class TForm;
class TLabel;
class TEdit;
class TButton;
}  // namespace gui

namespace report {

using rtl::AnsiString;

class TfrxPasswordForm {
 public:
  TfrxPasswordForm();
  ~TfrxPasswordForm();
  TfrxPasswordForm(const TfrxPasswordForm&) = delete;
  TfrxPasswordForm& operator=(const TfrxPasswordForm&) = delete;

  // Shows the dialog modally; true when it was closed with OK.
  bool ShowModal();
  AnsiString Password() const;

  gui::TForm* Form() const;
  gui::TLabel* PasswordL() const;
  gui::TEdit* PasswordE() const;
  gui::TButton* OkB() const;
  gui::TButton* CancelB() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Asks for a password through the handler the GUI installed (vuzGuiHooks);
// true with OK, the typed text in password. Without a GUI it fails at once.
bool vuzAskPassword(AnsiString& password);

}  // namespace report
