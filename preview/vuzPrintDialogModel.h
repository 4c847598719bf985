// The print dialog without its window: what each control shows for a set of
// print options, what choosing a printer, a print mode or the printer's own
// properties changes, and the options written back when the dialog closes.
// The window (a *_gui companion) only mirrors this state.
#pragma once
#include <functional>
#include <vector>

#include "platform/rtl/strings.h"
#include "preview/vuzPreviewHost.h"
#include "preview/vuzPrinter.h"

namespace preview {

using rtl::AnsiString;

enum TfrxPagesChoice { pcAll, pcCurrent, pcNumbers };

// The controls' values.
struct TfrxPrintDialogState {
  std::vector<AnsiString> Printers;
  int PrinterIndex = -1;
  AnsiString Where;  // the chosen printer's port
  bool PrintToFile = false;
  TfrxPagesChoice Pages = pcAll;
  AnsiString PageNumbers;
  AnsiString Copies = "1";
  bool Collate = true;
  int PrintPages = 0;              // all, odd, even
  int Order = 0;                   // direct, reverse
  int Duplex = 0;                  // default, vertical, horizontal, simplex
  int PrintMode = 0;               // default, split, join, scale
  std::vector<AnsiString> Sheets;  // "По умолчанию", then the printer's papers
  int Sheet = 0;
  bool SheetEnabled = false;
};

class TfrxPrintDialogModel {
 public:
  // Remembers the current printer, to go back to it when cancelled.
  explicit TfrxPrintDialogModel(TfrxPrinters& printers);
  TfrxPrintDialogState& State() { return state_; }

  // The options into the controls.
  void Show(const TfrxPrintSettings& settings);
  // A printer chosen: it becomes current at once; the sheet is kept when it
  // has it.
  void ChoosePrinter(int index);
  // A print mode chosen: the default mode has no sheet; another one with no
  // sheet chosen takes A4.
  void ChoosePrintMode(int index);
  // The printer's own properties dialog ran; its duplex choice (a Windows
  // duplex number) is shown.
  void PropertiesChosen(int windowsDuplex);
  // Typing a page range chooses "numbers".
  void PageNumbersEntered() { state_.Pages = pcNumbers; }

  // OK: the controls into the settings. With print to file, askFile is asked
  // for the file (false when cancelled, which cancels the print and brings
  // the earlier printer back). currentPage is the preview's page (1-based).
  // A copies field that is empty counts as 1; one that is no number keeps
  // the copies the settings had.
  bool Accept(TfrxPrintSettings& settings, int currentPage, const std::function<bool(AnsiString& file)>& askFile);
  // Cancel or close: the printer current before the dialog comes back.
  void Cancel();

  // The item of the sheet list that shows a paper number (0 when the
  // printer lacks it, and for 256, the printer's own paper).
  static int SheetItemOf(const TfrxCustomPrinter& printer, int paperNumber);
  // The print file's name: its extension becomes ".prn".
  static AnsiString PrintFileName(const AnsiString& chosen);

 private:
  TfrxCustomPrinter* Current() const { return printers_.GetCurrentPrinter(); }
  void FillSheets();

  TfrxPrinters& printers_;
  int rememberedPrinter_;
  TfrxPrintDialogState state_;
};

}  // namespace preview
