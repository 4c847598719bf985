#include "pdf_fixture.h"

#include <sys/wait.h>

#include <cstdio>

#include "platform/rtl/streams.h"
#include "preview/vuzPreviewStartup.h"
#include "report/vuzChBox.h"
#include "report/vuzClass.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassRTTI.h"
#include "report/vuzClassShape.h"
#include "report/vuzDataSet.h"

namespace export_test {

using namespace report;
using namespace rtl::literals;

PdfScope::PdfScope() {
  ReportClassesStartup();
  vuzClassRTTIStartup();
  vuzChBoxRTTIStartup();
  preview::vuzPreviewStartup();
}

PdfScope::~PdfScope() {
  preview::vuzPreviewShutdown();
  vuzChBoxRTTIShutdown();
  vuzClassRTTIShutdown();
  ReportClassesShutdown();
}

struct PdfReport::Data {
  std::unique_ptr<TfrxUserDataSet> rows;
};

PdfReport::PdfReport(const PdfReportOptions& options) : data_(std::make_unique<Data>()) {
  data_->rows = std::make_unique<TfrxUserDataSet>(nullptr);
  TfrxUserDataSet& rows = *data_->rows;
  rows.SetName("Rows");
  rtl::TStringList fields;
  fields.Add("N");
  rows.SetFields(&fields);
  rows.SetRangeEnd(reCount);
  rows.SetRangeEndCount(options.rows);
  rows.OnGetValue = [&rows](const AnsiString& field, rtl::Variant& value) {
    if (field == "N") value = rtl::Variant(rows.RecNo() + 1);
  };

  report_ = std::make_unique<TfrxReport>();
  report_->EngineOptions()->NewSilentMode = simSilent;
  report_->SetShowProgress(false);
  report_->DataSets()->Add(&rows);
  report_->ReportOptions()->Name = "Проба"_cp;
  report_->PreviewOptions()->OutlineVisible = options.outline;

  auto* page = new TfrxReportPage(report_.get());
  page->SetName("Page1");
  page->SetPaperSize(9);
  page->SetLeftMargin(10);
  page->SetTopMargin(10);
  page->SetRightMargin(10);
  page->SetBottomMargin(10);
  const long double width = (page->PaperWidth() - 20) * fr01cm;
  int n = 0;
  auto memo = [&](TfrxComponent* parent, long double l, long double t, long double w, long double h,
                  const std::string& text) {
    auto* m = new TfrxMemoView(parent);
    m->SetName("Memo" + std::to_string(++n));
    m->SetBounds(l, t, w, h);
    m->SetText(rtl::Utf8ToWide(text));
    m->Font()->SetName(rtl::Utf8ToAnsi(options.font));
    return m;
  };

  auto* title = new TfrxReportTitle(page);
  title->SetName("ReportTitle1");
  title->SetBounds(0, 0, width, 200);
  title->SetOutlineText("'Заголовок'"_cp);
  auto* heading = memo(title, 0, 0, 500, 30, "Hello PDF — Привет, отчёт");
  heading->Font()->SetSize(16);
  heading->Font()->SetStyle({gfx::fsBold});
  heading->SetURL("https://example.org/путь"_cp);
  auto* framed = memo(title, 0, 40, 200, 40, "Framed text in a box");
  framed->Frame()->SetTyp(15);
  framed->Frame()->SetStyle(fsDash);
  framed->SetColor(0xCCFFFF);
  framed->SetHAlign(haCenter);
  auto* link = memo(title, 220, 40, 120, 20, "To page 2");
  link->SetURL("@2");
  auto* bad = memo(title, 360, 40, 120, 20, "Bad link");
  bad->SetURL("@x");
  auto* shape = new TfrxShapeView(title);
  shape->SetName("Shape1");
  shape->SetBounds(0, 100, 80, 60);
  shape->SetShape(skRoundRectangle);
  shape->SetColor(0x00FF00);
  auto* ellipse = new TfrxShapeView(title);
  ellipse->SetName("Shape2");
  ellipse->SetBounds(100, 100, 80, 60);
  ellipse->SetShape(skEllipse);
  auto* line = new TfrxLineView(title);
  line->SetName("Line1");
  line->SetBounds(200, 100, 150, 50);
  line->SetDiagonal(true);
  line->SetArrowEnd(true);
  line->SetArrowSolid(true);
  auto* check = new TfrxCheckBoxView(title);
  check->SetName("CheckBox1");
  check->SetBounds(380, 100, 20, 20);
  check->SetChecked(true);
  check->SetCheckStyle(csCheck);
  if (options.picture) {
    auto* hatched = memo(title, 420, 100, 100, 40, "Hatched");
    hatched->SetBrushStyle(gfx::bsBDiagonal);
    hatched->SetColor(0x0000FF);
  }

  auto* data = new TfrxMasterData(page);
  data->SetName("MasterData1");
  data->SetBounds(0, 240, width, 20);
  data->SetDataSet(&rows);
  data->SetOutlineText("'Строка ' + IntToStr(<Rows.\"N\">)"_cp);
  memo(data, 0, 0, 300, 20, "Строка [Rows.\"N\"] row");
  auto* right = memo(data, 300, 0, 200, 20, "[Rows.\"N\"] ₽");
  right->SetHAlign(haRight);
}

PdfReport::~PdfReport() {
  report_.reset();
  data_.reset();
}

int PdfReport::PageCount() { return report_->PreviewPages() ? report_->PreviewPages()->GetCount() : 0; }

void FixFilter(TfrxPDFExport& filter) {
  filter.ShowDialog = false;
  filter.ShowProgress = false;
  filter.Clock = [] { return rtl::EncodeDate(2026, 12, 11) + rtl::EncodeTime(10, 20, 30, 0); };
  filter.NewGUID = [] { return AnsiString("{00112233-4455-6677-8899-AABBCCDDEEFF}"); };
}

std::string ExportToBytes(PdfReport& report, const std::function<void(TfrxPDFExport&)>& configure) {
  if (!report.Report().PreviewPages() || report.PageCount() == 0) report.Report().PrepareReport(true);
  TfrxPDFExport filter;
  FixFilter(filter);
  rtl::TMemoryStream out;
  filter.Stream = &out;
  if (configure) configure(filter);
  if (!report.Report().Export(&filter)) return {};
  return out.Bytes();
}

CommandResult RunCommand(const std::string& command) {
  CommandResult r;
  if (FILE* p = popen((command + " 2>&1").c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return r;
}

}  // namespace export_test
