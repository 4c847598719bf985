// Printing the chart's page: the print preview renders it as a PDF document,
// and this sends that document as one job to the printer the reports print
// on (the last one chosen in the report's print dialog, else the system's
// default), so the chart and the report reach the same queue.
#pragma once
#include <string>

#include "platform/rtl/strings.h"

namespace app {

using rtl::AnsiString;

// The printer a chart goes to; empty when the system has none.
AnsiString ChartPrinterName();

// Sends the page; false with error set (1251 text) when there is no printer
// or the queue refused the job.
bool PrintChartDocument(const std::string& pdf, AnsiString& error);

}  // namespace app
