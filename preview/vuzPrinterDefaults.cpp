#include "preview/vuzPrinterDefaults.h"

#include "preview/vuzPrinter.h"
#include "report/vuzClassPage.h"

namespace preview {

void vuzInstallPrinterDefaults() {
  report::vuzSetPrinterDefaultsProvider([] {
    report::TfrxPrinterDefaults d;
    if (TfrxCustomPrinter* p = vuzPrinters().GetCurrentPrinter()) {
      d.PaperSize = p->DefPaper();
      d.PaperWidth = p->DefPaperWidth();
      d.PaperHeight = p->DefPaperHeight();
      d.Orientation = p->DefOrientation() == poLandscape ? report::poLandscape : report::poPortrait;
    }
    return d;
  });
}

}  // namespace preview
