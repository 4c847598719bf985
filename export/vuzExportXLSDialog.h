// What the spreadsheet export's options dialog shows and gives back, without
// a toolkit: the controls as plain values, filled from the filter and
// applied to it, and the save dialog's first name. The window itself is
// vuzExportXLS_gui.cpp.
#pragma once
#include "export/vuzExportXLS.h"

namespace report {

struct TfrxXLSDialogValues {
  enum TPages { pgAll, pgCurrent, pgNumbers };
  TPages pages = pgAll;
  AnsiString pageNumbers;
  // "Continuous": no empty lines, page headers and footers left out.
  bool continuous = false;
  bool pictures = true, merge = true, pageBreaks = true, fastExport = true, wysiwyg = true, asText = false,
       background = true, gridLines = true;
  bool openExcel = false, openExcelVisible = true;
};

// Also turns OpenExcelAfterExport off when the export goes to the temporary folder.
TfrxXLSDialogValues vuzXLSDialogLoad(TfrxXLSExport& filter);
void vuzXLSDialogApply(const TfrxXLSDialogValues& values, TfrxXLSExport& filter);
// FileName when set (or exporting to the temporary folder), else the
// report's file name without folder, with the default extension.
AnsiString vuzXLSSaveName(const TfrxXLSExport& filter);

}  // namespace report
