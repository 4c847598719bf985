// What the HTML and OpenDocument options dialogs show and give back, without
// a toolkit: the controls as plain values, filled from a filter and applied
// to it, and the save dialog's first name. The windows are
// vuzExportHTML_gui.cpp and vuzExportODF_gui.cpp.
#pragma once
#include "export/vuzExportHTML.h"
#include "export/vuzExportODF.h"

namespace report {

enum TfrxDialogPages { dpAll, dpCurrent, dpNumbers };

struct TfrxHTMLDialogValues {
  TfrxDialogPages pages = dpAll;
  AnsiString pageNumbers;
  bool openAfter = false, openAfterVisible = true;
  bool styles = true, picsSame = false, fixedWidth = true, navigator = false, multipage = false, background = false;
  // Off while exporting to the temporary folder.
  bool picsSameEnabled = true, navigatorEnabled = true, multipageEnabled = true, backgroundEnabled = true;
  // The picture box: 0 none ("Нет"), 1 JPEG, 2 BMP, 3 GIF.
  int pictureFormat = 1;
};

// Exporting to the temporary folder switches the filter's own options as
// the dialog shows them (no opening, navigator, pages or background;
// pictures in the document's folder).
TfrxHTMLDialogValues vuzHTMLDialogLoad(TfrxHTMLExport& filter);
void vuzHTMLDialogApply(const TfrxHTMLDialogValues& values, TfrxHTMLExport& filter);

struct TfrxODFDialogValues {
  TfrxDialogPages pages = dpAll;
  AnsiString pageNumbers;
  bool wysiwyg = true, continuous = false, pageBreaks = true, background = true;
  bool openAfter = false, openAfterVisible = true;
};

// Exporting to the temporary folder switches OpenAfterExport off.
TfrxODFDialogValues vuzODFDialogLoad(TfrxODFExport& filter);
// Also sets CreationTime to now.
void vuzODFDialogApply(const TfrxODFDialogValues& values, TfrxODFExport& filter);

}  // namespace report
