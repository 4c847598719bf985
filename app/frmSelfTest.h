// The diagnostics dialog: asks the recorder for its diagnostics answer once
// or on a schedule of 1 to 10 seconds and shows its clock against the
// computer's, the battery figures of the last recording and the live
// readings of the humidity and shrink sensors.
#pragma once
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"

namespace app {

class TForm1;

class TfrmTest : public gui::TForm {
 public:
  TfrmTest(gui::TComponent* owner, TForm1& main);

  gui::TLabel* LabelDateTime;
  gui::TLabel* LabelU;
  gui::TLabel* LabelDU;
  gui::TLabel* LabelT;
  gui::TLabel* LabelRh;
  gui::TLabel* LabelL;
  gui::TLabel* LabelAlarm;
  gui::TLabel* LableSHTType;
  gui::TShape* ShapeLink;
  gui::TButton* ButtonMeas;
  gui::TButton* ButtonExit;
  gui::TButton* Button1;
  gui::TCheckBox* CheckBoxAutoRetry;
  gui::TComboBox* ComboBoxPeriod;
  gui::TTimer* Timer1;

  // One exchange with the recorder (the timer's tick).
  void Timer1Timer(gui::TObject* Sender);
  void CheckBoxAutoRetryClick(gui::TObject* Sender);
  void ComboBoxPeriodChange(gui::TObject* Sender);
  void ButtonMeasClick(gui::TObject* Sender);
  void Button1Click(gui::TObject* Sender);
  void ButtonExitClick(gui::TObject* Sender);
  void FormKeyUp(gui::TObject* Sender, gui::Word& Key, gui::TShiftState Shift);

  std::uint16_t ShrinkZero() const { return zero_; }
  // The schedule's next due tick, kept between openings of the dialog.
  static std::uint32_t& DueTick();

 private:
  void StartSoon();
  TForm1& main_;
  bool busy_ = false;
  std::uint16_t zero_ = 0;
  std::uint16_t lastShrink_ = 0;
};

}  // namespace app
