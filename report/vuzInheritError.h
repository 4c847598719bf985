// The dialog that asks what to do when a template and the template it
// inherits from have objects of the same name. The window lives in the GUI
// companion (vuzInheritError_gui.cpp).
#pragma once
#include <memory>

#include "platform/rtl/strings.h"

namespace gui {
class TForm;
class TLabel;
class TButton;
class TRadioButton;
}  // namespace gui

namespace report {

using rtl::AnsiString;

class TfrxInheritErrorForm {
 public:
  TfrxInheritErrorForm();
  ~TfrxInheritErrorForm();
  TfrxInheritErrorForm(const TfrxInheritErrorForm&) = delete;
  TfrxInheritErrorForm& operator=(const TfrxInheritErrorForm&) = delete;

  // Shows the dialog modally; true when it was closed with OK.
  bool ShowModal();
  // True when the duplicates are to be deleted, false to rename them.
  bool DeleteDuplicates() const;

  gui::TForm* Form() const;
  gui::TLabel* MessageL() const;
  gui::TRadioButton* DeleteRB() const;
  gui::TRadioButton* RenameRB() const;
  gui::TButton* OkB() const;
  gui::TButton* CancelB() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace report
