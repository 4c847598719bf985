// The thermocouple calibration dialog: reads and writes the coefficients A1
// and A0, or one of the four marker modes that say how the recorder uses its
// DS1820 sensor.
#pragma once
#include <optional>

#include "app/CalibrFigures.h"
#include "app/Link.h"
#include "platform/gui/actions.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"

namespace app {

class TForm1;

class TfrmCalibrTC : public gui::TForm {
 public:
  // Reads the coefficients from the recorder at once.
  TfrmCalibrTC(gui::TComponent* owner, TForm1& main);

  gui::TLabel* Label1;
  gui::TEdit* EditA0;
  gui::TEdit* EditA1;
  gui::TButton* btnRead;
  gui::TButton* btnWrite;
  gui::TRadioButton* RadioButtonNoDS1820;
  gui::TRadioButton* RadioButtonDS1820;
  gui::TRadioButton* RadioButtonU;
  gui::TRadioButton* RadioButtonTCDebug;
  gui::TRadioButton* RadioButtonT;

  void ARdIntoGaugeExecute(gui::TObject* Sender);
  void AWriteToGaugeExecute(gui::TObject* Sender);
  // The mode a radio button stands for: fills or frees the edits.
  void ModeClick(TCalibrMode mode);
  TCalibrMode CheckedMode() const;
  gui::TRadioButton* ModeButton(TCalibrMode mode) const;
  void FormKeyUp(gui::TObject* Sender, gui::Word& Key, gui::TShiftState Shift);

 private:
  // The busy flag and the port test shared by reading and writing; false
  // when the exchange must not run.
  // Holds the link in busy (false, and nothing held, when it is busy already
  // or its port is not open).
  bool BeginExchange(std::optional<TLinkBusy>& busy);
  TForm1& main_;
};

}  // namespace app
