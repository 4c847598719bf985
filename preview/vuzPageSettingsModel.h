// The page settings and search dialogs without their windows: sizes and
// margins in the designer's unit, the paper list, orientation, and the
// change written to the page only when every field reads as a number; and
// the search text remembered for the process.
#pragma once
#include <vector>

#include "platform/rtl/strings.h"
#include "preview/vuzPrinter.h"
#include "report/vuzClass.h"

namespace preview {

using report::TfrxComponent;
using rtl::AnsiString;

enum TfrxDesignerUnits { duCM, duInches, duPixels, duChars };

// Millimetres to the display unit and back; an unknown unit counts as
// centimetres (it used to turn every size into 0).
long double vuzMmToUnits(int units, long double mm);
long double vuzUnitsToMm(int units, long double value);
// The unit labels' text: "in" for inches, "см" otherwise.
AnsiString vuzUnitName(int units);

struct TfrxPageSettingsState {
  std::vector<AnsiString> Papers;  // the current printer's paper names
  int Paper = 0;
  AnsiString Width, Height;
  bool Portrait = true;
  AnsiString Left, Top, Right, Bottom;
  bool ApplyToAll = false;
  AnsiString UnitName;
};

class TfrxPageSettingsModel {
 public:
  TfrxPageSettingsModel(TfrxCustomPrinter& printer, int units);
  TfrxPageSettingsState& State() { return state_; }
  int Units() const { return units_; }

  // The page's paper, orientation and margins into the fields.
  void Show(TfrxComponent* page);
  // Another paper or orientation: the printer says the size of a standard
  // paper; a custom size stays as typed and turns with the orientation.
  void PaperChanged();
  void SetPortrait(bool portrait);
  // Typing a size chooses the custom paper.
  void SizeEdited();
  // OK: every field is read first; only when all are numbers is the page
  // changed (orientation, width, height, paper, margins) and true answered.
  // Otherwise error names the field and the page is untouched.
  bool Accept(TfrxComponent* page, AnsiString& error);

 private:
  AnsiString Show(long double mm) const;
  TfrxCustomPrinter& printer_;
  int units_;
  bool updating_ = false;
  TfrxPageSettingsState state_;
};

// The search text last confirmed, for the whole process.
AnsiString& vuzLastSearchText();

}  // namespace preview
