#include "preview/vuzPreviewStartup.h"

#include "preview/vuzPreviewPages.h"
#include "preview/vuzPrinter.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"

namespace preview {

namespace {
int g_nesting = 0;
}  // namespace

void vuzPreviewStartup() {
  if (g_nesting++ > 0) return;
  vuzInstallStoreOutline();
  report::TfrxReportHooks& hooks = report::vuzReportHooks();
  hooks.CreatePreviewPages = [](report::TfrxReport& report) -> std::unique_ptr<report::TfrxCustomPreviewPages> {
    return std::make_unique<TfrxPreviewPages>(&report);
  };
  hooks.SelectPrinter = [](const AnsiString& name) {
    if (const int at = vuzPrinters().IndexOf(name); at >= 0) vuzPrinters().SetPrinterIndex(at);
  };
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
  report::vuzReportHooks().CreatePreviewPages = nullptr;
  report::vuzReportHooks().SelectPrinter = nullptr;
}

}  // namespace preview
