// The chart's print preview: a modal window "Предварительный просмотр" that
// shows the chart on a page, lets the user choose the orientation and prints
// the page. Printing renders the page as a PDF document and hands it to the
// print sink. By default the PDF is written to the temporary folder under a
// name of its own (program name, "-chart-", date and time, a number when
// taken) and opened with the desktop's viewer, from which it is printed; a
// message box says where the file is, and says so when no viewer opened it.
#pragma once
#include <functional>
#include <string>

#include "platform/chart/chart.h"
#include "platform/gfx/types.h"

namespace chart {

// Where the chart goes on a page of the given size (device dots at dpi):
// inside 10 mm margins, as large as fits with the chart's aspect ratio,
// centred across and at the top.
gfx::TRect ChartPageRect(gfx::TSize page, gfx::TSize chart, int dpi);

// Renders the chart on one page into a PDF document (bytes).
std::string ChartPagePdf(TChart& chart, bool landscape, int dpi = 300);

// Receives the printed page as PDF bytes; answers false when it could not
// be printed. Tests replace it; an empty function restores the default.
using TChartPrintSink = std::function<bool(const std::string& pdf)>;
void SetChartPrintSink(TChartPrintSink sink);

// Shows the preview modally; answers whether the page was printed.
bool ChartPreview(rtl::TComponent* owner, TChart& chart);

}  // namespace chart
