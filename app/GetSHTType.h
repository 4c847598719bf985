// The question of the humidity sensor's kind when neither a flash copy nor
// the archive tells it: SHT15, SHT21 or "not known".
#pragma once
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"

namespace app {

class TGetSHT : public gui::TForm {
 public:
  explicit TGetSHT(gui::TComponent* owner);

  gui::TMemo* Memo1;
  gui::TRadioButton* RadioButtonSHT15;
  gui::TRadioButton* RadioButtonSHT21;
  gui::TRadioButton* RadioButtonUnknown;

  // 21 SHT15, 33 SHT21, -1 not known (also when closed otherwise).
  int Result() const { return result_; }

 private:
  void Choose(int result);
  int result_ = -1;
};

}  // namespace app
