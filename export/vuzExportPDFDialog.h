// What the PDF options dialog shows and gives back, without a toolkit: the
// dialog's controls as plain values, filled from a filter and applied to it,
// the quality check, the page-number keys and the save dialog's first name.
// The window itself is vuzExportPDF_gui.cpp.
#pragma once
#include "export/vuzExportPDF.h"

namespace report {

struct TfrxPDFDialogValues {
  enum TPages { pgAll, pgCurrent, pgNumbers };
  TPages pages = pgAll;
  AnsiString pageNumbers;
  bool openAfter = false, openAfterVisible = true;
  bool compressed = true, embedded = false, printOptimized = false;
  bool outline = false, outlineEnabled = false, background = false;
  AnsiString ownerPassword, userPassword;
  bool print = true, modify = true, copy = true, annot = true;
  // 8-bit texts, as the edits hold them
  AnsiString title, author, subject, keywords, creator, producer;
  AnsiString quality = "100";  // the edit's stored text: the filter's value is not shown
  bool hideToolbar = false, hideMenubar = false, hideWindowUI = false;
  bool fitWindow = false, centerWindow = false, printScaling = false;
};

TfrxPDFDialogValues vuzPDFDialogLoad(const TfrxPDFExport& filter);
// The quality must be a whole number from 1 to 100; else false and the message.
bool vuzPDFDialogValidate(const TfrxPDFDialogValues& values, AnsiString& error);
// Writes the values back (after a valid OK).
void vuzPDFDialogApply(const TfrxPDFDialogValues& values, TfrxPDFExport& filter);
// The save dialog's first name: FileName when set (or exporting to the
// temporary folder), else the report's file name without folder, with ".pdf".
AnsiString vuzPDFSaveName(const TfrxPDFExport& filter);
// Keys the page-number edit takes: digits, ",", "-" and backspace.
bool vuzPDFPageNumberKey(char key);

}  // namespace report
