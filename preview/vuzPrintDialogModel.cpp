#include "preview/vuzPrintDialogModel.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "report/vuzPaperSizes.h"
#include "report/vuzRes.h"

namespace preview {

namespace {
bool ParseCount(const AnsiString& text, int& value) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  value = std::atoi(text.c_str());
  return true;
}
}  // namespace

TfrxPrintDialogModel::TfrxPrintDialogModel(TfrxPrinters& printers)
    : printers_(printers), rememberedPrinter_(printers.PrinterIndex()) {
  for (int i = 0; i < printers_.Count(); ++i) state_.Printers.push_back(printers_.GetItem(i)->Name());
  state_.PrinterIndex = printers_.PrinterIndex();
  if (TfrxCustomPrinter* p = Current()) state_.Where = p->Port();
  FillSheets();
}

void TfrxPrintDialogModel::FillSheets() {
  state_.Sheets.assign(1, report::vuzResources().Get("pgDefault"));
  if (TfrxCustomPrinter* p = Current())
    for (int i = 0; i < p->Papers().Count(); ++i)
      if (p->Papers().Number(i) != report::DMPAPER_USER) state_.Sheets.push_back(p->Papers().Name(i));
}

int TfrxPrintDialogModel::SheetItemOf(const TfrxCustomPrinter& printer, int paperNumber) {
  if (paperNumber == report::DMPAPER_USER) return 0;
  const int at = printer.PaperIndex(paperNumber);
  if (at < 0) return 0;
  // The custom paper is left out of the list and "По умолчанию" put first.
  const int custom = printer.PaperIndex(report::DMPAPER_USER);
  return custom >= 0 && custom < at ? at : at + 1;
}

AnsiString TfrxPrintDialogModel::PrintFileName(const AnsiString& chosen) {
  const auto slash = chosen.find_last_of("/\\");
  const auto dot = chosen.rfind('.');
  const bool hasExt = dot != AnsiString::npos && (slash == AnsiString::npos || dot > slash);
  return (hasExt ? chosen.substr(0, dot) : chosen) + ".prn";
}

void TfrxPrintDialogModel::Show(const TfrxPrintSettings& s) {
  state_.Copies = std::to_string(std::max(1, std::min(s.Copies, 32767)));
  state_.Collate = s.Collate;
  state_.PageNumbers = s.PageNumbers;
  if (!s.PageNumbers.empty()) state_.Pages = pcNumbers;
  state_.PrintPages = std::clamp(s.PrintPages, 0, 2);
  state_.Order = s.Reverse ? 1 : 0;
  state_.PrintMode = std::clamp(s.PrintMode, 0, 3);
  state_.Duplex = std::clamp(s.Duplex, 0, 3);
  ChoosePrintMode(state_.PrintMode);
  if (state_.PrintMode != 0 && Current()) {
    const int item = SheetItemOf(*Current(), s.PrintOnSheet);
    if (item > 0) state_.Sheet = item;
  }
}

void TfrxPrintDialogModel::ChoosePrinter(int index) {
  int remembered = -1;
  if (state_.Sheet > 0 && Current())
    remembered = Current()->PaperNameToNumber(state_.Sheets[static_cast<std::size_t>(state_.Sheet)]);
  if (!printers_.GetItem(index)) return;
  printers_.SetPrinterIndex(index);
  state_.PrinterIndex = index;
  state_.Where = Current()->Port();
  FillSheets();
  state_.Sheet = remembered >= 0 ? SheetItemOf(*Current(), remembered) : 0;
}

void TfrxPrintDialogModel::ChoosePrintMode(int index) {
  state_.PrintMode = std::clamp(index, 0, 3);
  if (state_.PrintMode == 0) {
    state_.Sheet = 0;
    state_.SheetEnabled = false;
    return;
  }
  state_.SheetEnabled = true;
  if (state_.Sheet == 0 && Current() && Current()->PaperIndex(report::DMPAPER_A4) >= 0)
    state_.Sheet = SheetItemOf(*Current(), report::DMPAPER_A4);
}

void TfrxPrintDialogModel::PropertiesChosen(int windowsDuplex) {
  const int mode = windowsDuplex == DMDUP_SIMPLEX ? dmSimplex : windowsDuplex - 1;
  if (mode > 0) state_.Duplex = mode;
}

bool TfrxPrintDialogModel::Accept(TfrxPrintSettings& s, int currentPage,
                                  const std::function<bool(AnsiString& file)>& askFile) {
  s.OutputFile.clear();
  if (state_.PrintToFile) {
    AnsiString file;
    if (!askFile || !askFile(file)) {
      Cancel();
      return false;
    }
    s.OutputFile = PrintFileName(file);
  }
  int copies = s.Copies;
  if (state_.Copies.empty())
    copies = 1;
  else
    ParseCount(state_.Copies, copies);
  s.Copies = std::max(1, copies);
  s.Collate = state_.Collate;
  switch (state_.Pages) {
    case pcAll: s.PageNumbers.clear(); break;
    case pcCurrent: s.PageNumbers = std::to_string(currentPage); break;
    case pcNumbers: s.PageNumbers = state_.PageNumbers; break;
  }
  s.PrintPages = state_.PrintPages;
  s.Duplex = state_.Duplex;
  s.Reverse = state_.Order == 1;
  s.PrintMode = state_.PrintMode;
  s.PrintOnSheet = Current() && state_.Sheet > 0
                       ? Current()->PaperNameToNumber(state_.Sheets[static_cast<std::size_t>(state_.Sheet)])
                       : report::DMPAPER_USER;
  return true;
}

void TfrxPrintDialogModel::Cancel() {
  if (printers_.PrinterIndex() != rememberedPrinter_) printers_.SetPrinterIndex(rememberedPrinter_);
  state_.PrinterIndex = rememberedPrinter_;
}

}  // namespace preview
