// Printing prepared pages on the current printer, after the print dialog when
// the options ask for it. What the dialog chose holds for this print only.
#include <memory>

#include "preview/vuzPreviewObjects.h"
#include "preview/vuzPreviewPages.h"
#include "preview/vuzPrintPlan.h"
#include "preview/vuzPrintRun.h"
#include "preview/vuzPrinter.h"
#include "report/vuzRes.h"

namespace preview {

namespace {
void SelectPrinter(const AnsiString& name) {
  if (const int at = vuzPrinters().IndexOf(name); at >= 0) vuzPrinters().SetPrinterIndex(at);
}
}  // namespace

bool TfrxPreviewPages::Print() {
  if (!vuzPrinters().HasPhysicalPrinters()) {
    host_->ErrorMessage(report::vuzResources().Get("clNoPrinters"));
    return false;
  }
  PrintScale = 1;
  const TfrxPrintSettings saved = host_->PrintSettings();
  TfrxPrintSettings run = saved;
  SelectPrinter(run.Printer);
  if (TfrxCustomPrinter* printer = vuzPrinters().GetCurrentPrinter()) printer->FileName = run.OutputFile;
  if (run.ShowDialog) {
    if (!host_->ShowPrintDialog(run)) {
      CopyNo = 0;
      return false;
    }
  }
  // The dialog may have chosen another printer, and a file to print into.
  TfrxCustomPrinter* printer = vuzPrinters().GetCurrentPrinter();
  if (printer) printer->FileName = run.OutputFile;
  // The options keep what the dialog chose while this print runs (handlers
  // may read them); afterwards only the duplex mode stays.
  TfrxPrintSettings restored = saved;
  restored.Duplex = run.Duplex;
  host_->SetPrintSettings(run);

  std::vector<int> list;
  AnsiString error;
  if (!vuzPrintPageList(run.PageNumbers, GetCount(), list, error)) {
    host_->SetPrintSettings(restored);
    CopyNo = 0;
    host_->CommonErrorHandler(error);
    return false;
  }
  if (printer && run.PrintMode != pmkDefault) {
    if (run.PrintOnSheet == report::DMPAPER_USER)
      printer->SetViewParams(report::DMPAPER_USER, printer->PaperWidth(), printer->PaperHeight(), poPortrait);
    else
      printer->SetViewParams(run.PrintOnSheet, 0, 0, poPortrait);
  }
  host_->PrintReport();
  if (host_->HasPreview()) {
    host_->PreviewLock();
    host_->PreviewRefresh();
  }
  auto finish = [&] {
    // Printing into a file was for this print only.
    if (printer) printer->FileName.clear();
    host_->AfterPrintReport();
    CopyNo = 0;
    host_->SetPrintSettings(restored);
  };
  std::unique_ptr<TfrxPrintRun> job;
  try {
    if (!printer || !printer->Initialized()) {
      host_->ErrorMessage("Printer selected is not valid");
    } else {
      ClearPageCache();
      job = std::make_unique<TfrxPrintRun>(*this, *host_, *printer, run, std::move(list));
      job->Run();
    }
  } catch (...) {
    // A half-printed document is dropped, never left open on the printer.
    if (job && job->DocumentStarted()) printer->Abort();
    if (job) host_->ProgressStop(report::ptPrinting, 0);
    finish();
    throw;
  }
  finish();
  return true;
}

}  // namespace preview
