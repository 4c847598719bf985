// Printing prepared pages one page per sheet on the current printer.
#include <algorithm>

#include "platform/rtl/stringlists.h"
#include "preview/vuzPreviewObjects.h"
#include "preview/vuzPreviewPages.h"
#include "preview/vuzPrinter.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace preview {

bool TfrxPreviewPages::Print() {
  if (!vuzPrinters().HasPhysicalPrinters()) {
    host_->ErrorMessage(report::vuzResources().Get("clNoPrinters"));
    return false;
  }
  PrintScale = 1;
  const TfrxPrintSettings options = host_->PrintSettings();
  if (const int at = vuzPrinters().IndexOf(options.Printer); at >= 0) vuzPrinters().SetPrinterIndex(at);
  TfrxCustomPrinter* printer = vuzPrinters().GetCurrentPrinter();
  if (!host_->ShowPrintDialog()) {
    CopyNo = 0;
    return false;
  }
  host_->PrintReport();
  if (host_->HasPreview()) {
    host_->PreviewLock();
    host_->PreviewRefresh();
  }
  const int copies = std::max(1, options.Copies);
  const bool collate = options.Collate, reverse = options.Reverse;
  const int printPages = options.PrintPages;
  try {
    if (!printer || !printer->Initialized()) {
      host_->ErrorMessage("Printer selected is not valid");
    } else {
      rtl::TStringList list;
      report::vuzParsePageNumbers(options.PageNumbers, list, GetCount());
      ClearPageCache();
      host_->SetTerminated(false);
      host_->ProgressStart(report::ptPrinting, 0);
      printer->Title = options.Title;
      const int positions = list.Count() > 0 ? list.Count() : GetCount();
      bool started = false, stopped = false;
      auto printPosition = [&](int i, int copyNo, int requested) {
        const int p = list.Count() > 0 ? std::atoi(list[i].c_str()) - 1 : i;
        if (p < 0 || p >= GetCount()) return true;
        if ((printPages == 1 && (p + 1) % 2 == 0) || (printPages == 2 && (p + 1) % 2 == 1)) return true;
        if (host_->Terminated()) {
          printer->Abort();
          return false;
        }
        TfrxComponent* page = GetPage(p);
        if (!page) return true;
        CopyNo = copyNo;
        const int bin = static_cast<int>(vuzOrdProp(page, p == 0 ? "Bin" : "BinOtherPages", 7));
        printer->SetPrintParams(static_cast<int>(vuzOrdProp(page, "PaperSize", 9)),
                                vuzFloatPropOf(page, "PaperWidth", 210), vuzFloatPropOf(page, "PaperHeight", 297),
                                vuzOrdProp(page, "Orientation", 0) != 0 ? poLandscape : poPortrait, bin,
                                static_cast<int>(vuzOrdProp(page, "Duplex", 0)), requested);
        if (!started) printer->BeginDoc();
        started = true;
        printer->BeginPage();
        DrawPage(p, printer->Canvas(), printer->DPIX() / 96.0L, printer->DPIY() / 96.0L,
                 -printer->LeftMargin() * printer->DPIX() / 25.4L, -printer->TopMargin() * printer->DPIY() / 25.4L);
        host_->Progress(report::ptPrinting, p + 1);
        printer->EndPage();
        host_->ProcessMessages();
        ClearPageCache();
        return true;
      };
      for (int copy = 1; copy <= (collate ? copies : 1) && !stopped; ++copy) {
        for (int k = 0; k < positions && !stopped; ++k)
          if (!printPosition(reverse ? positions - 1 - k : k, collate ? copy : 1, collate ? 1 : copies)) stopped = true;
        if (host_->Terminated()) stopped = true;
      }
      if (started && !stopped) printer->EndDoc();
      host_->ProgressStop(report::ptPrinting, 0);
    }
  } catch (...) {
    host_->AfterPrintReport();
    CopyNo = 0;
    throw;
  }
  host_->AfterPrintReport();
  CopyNo = 0;
  return true;
}

}  // namespace preview
