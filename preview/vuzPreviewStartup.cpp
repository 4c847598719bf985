#include "preview/vuzPreviewStartup.h"

#include "preview/vuzPreviewPages.h"
#include "preview/vuzPrinter.h"
#include "report/vuzClassPage.h"

namespace preview {

namespace {
int g_nesting = 0;
}  // namespace

void vuzPreviewStartup() {
  if (g_nesting++ > 0) return;
  vuzInstallStoreOutline();
  // New report pages take the current printer's paper.
  report::vuzSetPrinterDefaultsProvider([] {
    report::TfrxPrinterDefaults d;
    if (TfrxCustomPrinter* printer = vuzPrinters().GetCurrentPrinter()) {
      if (printer->DefPaper() > 0) d.PaperSize = printer->DefPaper();
      if (printer->DefPaperWidth() > 0 && printer->DefPaperHeight() > 0) {
        d.PaperWidth = printer->DefPaperWidth();
        d.PaperHeight = printer->DefPaperHeight();
      }
      d.Orientation = printer->DefOrientation() == poLandscape ? report::poLandscape : report::poPortrait;
    }
    return d;
  });
}

void vuzPreviewShutdown() {
  if (g_nesting == 0 || --g_nesting > 0) return;
  report::vuzSetPrinterDefaultsProvider(nullptr);
}

}  // namespace preview
