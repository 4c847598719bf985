// The shrink base dialog: the distance between the fixing points of the
// recorder with the shrink sensor fully in, in millimetres. The value is in
// force as soon as it is typed (and stored in Zarnik.ini); closing with Esc
// does not undo it.
#pragma once
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"

namespace app {

using rtl::AnsiString;

// Reads a base length in millimetres ("." or "," as the decimal point).
// False for text that is no number and for a length of zero or less, which
// would leave the per-cent display without a base.
bool ParseShrinkBase(const AnsiString& text, double& millimetres);
// The stored base in micrometres: ShrinkBase of Zarnik.ini, 150 mm when
// missing or invalid.
float StoredShrinkBase();

class TfrmShrinkBase : public gui::TForm {
 public:
  // base: the main window's base length in micrometres, changed as the user types.
  TfrmShrinkBase(gui::TComponent* owner, float& base);

  gui::TEdit* EditShrinkBase;
  gui::TButton* ButtonOK;

 private:
  void EditShrinkBaseChange();
  float& base_;
};

}  // namespace app
