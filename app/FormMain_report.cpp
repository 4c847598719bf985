// The recorder report from the main window: the three stored reports, the
// feed that answers them from what the window shows, the export filters the
// preview offers, and "Печать отчета".
#include "app/ChartPrinting.h"
#include "app/FormMain.h"
#include "app/RecorderExportFilters.h"
#include "platform/chart/preview_dialog.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "report/vuzClassReport.h"

namespace app {

namespace {

// What the reports read, as the window shows it now: the list's current row,
// the data table and the chart (zoom, hidden points, legend and title included).
class TWindowReportSource : public TReportSource {
 public:
  explicit TWindowReportSource(TForm1& form) : form_(form) {}
  AnsiString ListCell(int col) const override {
    return form_.StringGridProcessList->Cells(col, form_.StringGridProcessList->Row());
  }
  AnsiString TableCell(int col, int row) const override { return form_.StringGridData->Cells(col, row); }
  int TableRowCount() const override { return form_.StringGridData->RowCount(); }
  void DrawChart(gfx::TCanvas& canvas, const gfx::TRect& rect) override {
    form_.Chart1->Draw(canvas, rect, gfx::clWhite);
  }

 private:
  TForm1& form_;
};

}  // namespace

void TForm1::CreateReports() {
  reportParts_ = std::make_unique<rtl::TComponent>(nullptr);
  reportSource_ = std::make_unique<TWindowReportSource>(*this);
  reportFeed_ = std::make_unique<TRecorderReportFeed>(*reportSource_, reportParts_.get());
  report::TfrxReport** slots[] = {&vuzReport1, &vuzReport2, &vuzReport3};
  for (TRecorderTemplate t : {TRecorderTemplate::Report1, TRecorderTemplate::Report2, TRecorderTemplate::Report3}) {
    auto* r = new report::TfrxReport(reportParts_.get());
    LoadRecorderTemplate(*r, t);
    reportFeed_->Attach(*r);
    *slots[static_cast<int>(t)] = r;
  }
  CreateRecorderExportFilters(reportParts_.get());
  APrintReport->OnExecute = [this](TObject* s) { APrintReportExecute(s); };
}

report::TfrxReport* TForm1::RecorderReport(TRecorderTemplate t) const {
  switch (t) {
    case TRecorderTemplate::Report1: return vuzReport1;
    case TRecorderTemplate::Report2: return vuzReport2;
    case TRecorderTemplate::Report3: break;
  }
  return vuzReport3;
}

void TForm1::APrintReportExecute(TObject*) {
  if (ProcessListEmpty()) return;
  // The data table's width tells the channel count, and so the template.
  RecorderReport(TemplateForDataColumns(StringGridData->ColCount()))->ShowReport(true);
}

void TForm1::UseReportPrinterForCharts() {
  chart::SetChartPrintSink([](const std::string& pdf) {
    AnsiString error;
    if (PrintChartDocument(pdf, error)) return true;
    gui::MessageBox(error, gui::Application->Title(), gui::MB_OK | gui::MB_ICONWARNING);
    return false;
  });
}

}  // namespace app
