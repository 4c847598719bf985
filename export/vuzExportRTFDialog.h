// What the RTF options dialog shows and gives back, without a toolkit: the
// controls as plain values, filled from a filter and applied to it. The
// window itself is vuzExportRTF_gui.cpp.
#pragma once
#include "export/vuzExportRTF.h"

namespace report {

struct TfrxRTFDialogValues {
  enum TPages { pgAll, pgCurrent, pgNumbers };
  TPages pages = pgAll;
  AnsiString pageNumbers;
  bool continuous = false;  // no page headers and footers between pages
  bool pictures = true, pageBreaks = true, wysiwyg = true;
  bool openAfter = false, openAfterVisible = true;
  TfrxHeaderFooterMode headerFooter = hfText;
};

TfrxRTFDialogValues vuzRTFDialogLoad(const TfrxRTFExport& filter);
// Writes the values back after OK. Headers and footers written as the
// document's own (hfPrint) must come once, so that mode makes the export
// continuous.
void vuzRTFDialogApply(const TfrxRTFDialogValues& values, TfrxRTFExport& filter);

}  // namespace report
