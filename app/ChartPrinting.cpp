#include "app/ChartPrinting.h"

#include "platform/print/print_destinations.h"
#include "preview/vuzPrinter.h"
#include "report/vuzRes.h"

using namespace rtl::literals;

namespace app {

AnsiString ChartPrinterName() {
  preview::TfrxPrinters& printers = preview::vuzPrinters();
  if (!printers.HasPhysicalPrinters()) return {};
  if (preview::TfrxCustomPrinter* current = printers.GetCurrentPrinter()) return current->Name();
  return printers.GetDefaultPrinter();
}

bool PrintChartDocument(const std::string& pdf, AnsiString& error) {
  const AnsiString printer = ChartPrinterName();
  if (printer.empty()) {
    error = report::vuzResources().Get("clNoPrinters");
    return false;
  }
  print::TJob job;
  job.Title = rtl::AnsiToUtf8("Печать графика"_cp);
  std::string why;
  if (print::SubmitJob(rtl::AnsiToUtf8(printer), job, pdf, why) > 0) return true;
  error = rtl::Utf8ToAnsi(why);
  return false;
}

}  // namespace app
