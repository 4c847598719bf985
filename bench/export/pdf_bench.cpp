// The recorder's report to PDF: a log of 21,706 rows (a time and six
// channel values a row, one row a minute) as a framed table of seven text
// objects a row with a page header and footer, prepared by the engine and
// exported by the PDF filter with its font embedded. Prepare and export are
// timed apart; peak_MB is the growth of the process's peak resident memory
// over the whole run (the benchmark runs one iteration).
//
// BM_ReportLab draws the same table with ReportLab's canvas (the library's
// fastest path, no layout engine) with the same TrueType file embedded, run
// as a subprocess of /usr/bin/python3 in the same benchmark run.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/ProcessReport.h"
#include "bench/report_engine_scope.h"
#include "export/vuzExportPDF.h"
#include "platform/gfx/font_engine.h"
#include "platform/rtl/format.h"
#include "platform/rtl/streams.h"
#include "preview/vuzPreviewStartup.h"
#include "report/vuzClass.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassRTTI.h"
#include "report/vuzClassReport.h"
#include "report/vuzDataSet.h"
#include "tests/support/process_files.h"

using namespace report;

namespace {

constexpr int kChannels = 6;
constexpr const char* kFont = "Arial";

long PeakKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

double Value(int row, int channel) { return 20.0 + 10 * channel + 5 * std::sin(row * 0.01 + channel); }

using Started = bench_support::ReportEngineScope;

class RecorderReport {
 public:
  explicit RecorderReport(int rows) : rows_(rows) {
    data_ = std::make_unique<TfrxUserDataSet>(nullptr);
    data_->SetName("Log");
    rtl::TStringList fields;
    fields.Add("Time");
    for (int c = 1; c <= kChannels; ++c) fields.Add("T" + std::to_string(c));
    data_->SetFields(&fields);
    data_->SetRangeEnd(reCount);
    data_->SetRangeEndCount(rows);
    data_->OnGetValue = [this](const AnsiString& field, rtl::Variant& value) {
      const int r = data_->RecNo();
      if (field == "Time")
        value = rtl::Variant::FromDate(46'357 + r / 1440.0);
      else if (field.size() == 2 && field[0] == 'T')
        value = rtl::Variant(Value(r, field[1] - '1'));
    };
    report_ = std::make_unique<TfrxReport>();
    report_->EngineOptions()->NewSilentMode = simSilent;
    report_->SetShowProgress(false);
    report_->DataSets()->Add(data_.get());
    auto* page = new TfrxReportPage(report_.get());
    page->SetName("Page1");
    page->SetPaperSize(9);
    for (auto set : {&TfrxReportPage::SetLeftMargin, &TfrxReportPage::SetTopMargin, &TfrxReportPage::SetRightMargin,
                     &TfrxReportPage::SetBottomMargin})
      (page->*set)(10);
    const long double width = (page->PaperWidth() - 20) * fr01cm;
    int n = 0;
    auto memo = [&](TfrxComponent* parent, long double left, long double w, const std::string& text,
                    const char* format = nullptr) {
      auto* m = new TfrxMemoView(parent);
      m->SetName("Memo" + std::to_string(++n));
      m->SetBounds(left, 0, w, 18);
      m->SetText(rtl::Utf8ToWide(text));
      m->Font()->SetName(kFont);
      m->Frame()->SetTyp(15);
      if (format) {
        m->DisplayFormat()->SetKind(fkNumeric);
        m->DisplayFormat()->SetFormatStr(format);
      }
      return m;
    };
    auto* header = new TfrxPageHeader(page);
    header->SetName("PageHeader1");
    header->SetBounds(0, 0, width, 24);
    memo(header, 0, 400, "Журнал сушки, страница [Page#]");
    auto* band = new TfrxMasterData(page);
    band->SetName("MasterData1");
    band->SetBounds(0, 40, width, 18);
    band->SetDataSet(data_.get());
    auto* time = memo(band, 0, 130, "[Log.\"Time\"]");
    time->DisplayFormat()->SetKind(fkDateTime);
    time->DisplayFormat()->SetFormatStr("dd.mm.yyyy hh:nn");
    for (int c = 1; c <= kChannels; ++c)
      memo(band, 130 + (c - 1) * 95, 95, "[Log.\"T" + std::to_string(c) + "\"]", "%2.2f");
  }
  TfrxReport& Report() { return *report_; }

 private:
  int rows_;
  std::unique_ptr<TfrxUserDataSet> data_;
  std::unique_ptr<TfrxReport> report_;
};

// What one run measured, and the step both reports share: the export into
// memory with the font embedded, then the counters.
struct Figures {
  double prepareMs = 0, exportMs = 0, peakMb = 0, bytes = 0, pages = 0;
};

bool ExportAndMeasure(TfrxReport& r, std::chrono::steady_clock::time_point start,
                      std::chrono::steady_clock::time_point prepared, long peakBefore, Figures& f) {
  TfrxPDFExport filter;
  filter.ShowDialog = false;
  filter.ShowProgress = false;
  filter.EmbeddedFonts = true;
  rtl::TMemoryStream out;
  filter.Stream = &out;
  if (!r.Export(&filter)) return false;
  const auto done = std::chrono::steady_clock::now();
  f.prepareMs = std::chrono::duration<double, std::milli>(prepared - start).count();
  f.exportMs = std::chrono::duration<double, std::milli>(done - prepared).count();
  f.peakMb = static_cast<double>(PeakKb() - peakBefore) / 1024.0;
  f.bytes = static_cast<double>(out.Size());
  f.pages = r.PreviewPages()->GetCount();
  return true;
}

void Publish(benchmark::State& state, const Figures& f) {
  state.counters["prepare_ms"] = f.prepareMs;
  state.counters["export_ms"] = f.exportMs;
  state.counters["peak_MB"] = f.peakMb;
  state.counters["pdf_MB"] = f.bytes / 1e6;
  state.counters["pages"] = f.pages;
}

void BM_PdfRecorderReport(benchmark::State& state) {
  Started started;
  const int rows = static_cast<int>(state.range(0));
  Figures figures;
  for (auto _ : state) {
    const long before = PeakKb();
    RecorderReport r(rows);
    const auto t0 = std::chrono::steady_clock::now();
    if (!r.Report().PrepareReport(true)) {
      state.SkipWithError("the report did not prepare");
      break;
    }
    if (!ExportAndMeasure(r.Report(), t0, std::chrono::steady_clock::now(), before, figures)) {
      state.SkipWithError("the export failed");
      break;
    }
  }
  Publish(state, figures);
}
BENCHMARK(BM_PdfRecorderReport)->Arg(500)->Arg(21'706)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The program's own recorder report of a process file with the recorder's
// memory full (21,706 points of 3 channels), as zarnik-report makes it.
void BM_PdfProgramRecorderReport(benchmark::State& state) {
  Started started;
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "pdf_bench_process";
  std::filesystem::create_directories(dir);
  support::ProcessFileSpec spec;
  spec.points = static_cast<int>(state.range(0));
  const std::string file = support::WriteProcessFile(dir.string() + "/", spec);
  rtl::CurrentFormatSettings().DecimalSeparator = ',';
  Figures figures;
  for (auto _ : state) {
    const long before = PeakKb();
    const auto t0 = std::chrono::steady_clock::now();
    app::TProcessFileReport recorder;
    if (recorder.Load(rtl::Utf8ToAnsi(file)) != app::TProcessLoadResult::Loaded) {
      state.SkipWithError("the process file did not load");
      break;
    }
    TfrxReport& r = recorder.Report();
    if (!recorder.Prepare()) {
      state.SkipWithError("the report did not prepare");
      break;
    }
    if (!ExportAndMeasure(r, t0, std::chrono::steady_clock::now(), before, figures)) {
      state.SkipWithError("the export failed");
      break;
    }
  }
  Publish(state, figures);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_PdfProgramRecorderReport)
    ->Arg(500)
    ->Arg(support::kLargestProcessPoints)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

const char* kReportLabScript = R"(
import math, sys, time
from reportlab.pdfgen import canvas
from reportlab.lib.pagesizes import A4
from reportlab.pdfbase import pdfmetrics
from reportlab.pdfbase.ttfonts import TTFont
rows, font, out = int(sys.argv[1]), sys.argv[2], sys.argv[3]
pdfmetrics.registerFont(TTFont('F', font))
c = canvas.Canvas(out, pagesize=A4)
mm = 72 / 25.4
top, left, row_h = A4[1] - 10 * mm, 10 * mm, 18 * 0.75
widths = [130 * 0.75] + [95 * 0.75] * 6
page, y = 0, 0
for r in range(rows):
    if page == 0 or y - row_h < 10 * mm:
        if page:
            c.showPage()
        page += 1
        c.setFont('F', 10)
        c.drawString(left + 2, top - 12, 'Журнал сушки, страница %d' % page)
        y = top - 40 * 0.75
    t = 46357 + r / 1440.0
    day = int(t) - 46357 + 1
    minutes = r % 1440
    cells = ['%02d.12.2026 %02d:%02d' % (day, minutes // 60, minutes % 60)]
    cells += ['%.2f' % (20.0 + 10 * ch + 5 * math.sin(r * 0.01 + ch)) for ch in range(6)]
    x = left
    for w, text in zip(widths, cells):
        c.rect(x, y - row_h, w, row_h)
        c.drawString(x + 2, y - row_h + 4, text)
        x += w
    y -= row_h
c.save()
)";

void BM_ReportLab(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  if (!std::filesystem::exists("/usr/bin/python3")) {
    state.SkipWithError("needs /usr/bin/python3 (Debian python3-reportlab)");
    return;
  }
  gfx::TFont font;
  font.SetName(kFont);
  const std::string fontFile = gfx::TFontInstance::Get(font)->FilePath();
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "pdf_bench_reportlab";
  std::filesystem::create_directories(dir);
  const std::string script = (dir / "table.py").string(), out = (dir / "table.pdf").string();
  std::ofstream(script) << kReportLabScript;
  for (auto _ : state) {
    const std::string command =
        "/usr/bin/python3 '" + script + "' " + std::to_string(rows) + " '" + fontFile + "' '" + out + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[256];
    std::string log;
    while (pipe && fgets(buffer, sizeof buffer, pipe)) log += buffer;
    if (!pipe || pclose(pipe) != 0) {
      state.SkipWithError(("ReportLab failed: " + log).c_str());
      break;
    }
  }
  state.counters["pdf_MB"] = static_cast<double>(std::filesystem::file_size(out)) / 1e6;
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ReportLab)->Arg(500)->Arg(21'706)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
