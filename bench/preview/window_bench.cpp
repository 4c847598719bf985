// The preview on a report of about 350 pages, built once: the recorder's
// log report made in code, or (built with ZARNIK_RECORDER_REPORT) the
// program's recorder report of the largest process. Measured: the first
// page painted after the preview is attached (Init + layout + paint of the
// view, as ShowPreparedReport does it without the window), turning a page
// (SetPageNo + paint), zooming (SetZoom + paint), and searching a word of
// the last page (its footer) from the first page. Beside them, one page
// drawn into a bitmap by the store against pdftoppm -r 96 rendering the
// same page of the report drawn into a PDF file (pdftoppm_ms; the ratio is
// pdftoppm_ms / page draw ms).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/document_canvas.h"
#include "platform/rtl/streams.h"
#include "preview/vuzPreviewControl.h"
#include "report/vuzClassReport.h"
#ifdef ZARNIK_RECORDER_REPORT
#include "app/ProcessReport.h"
#include "app/ReportEngineStartup.h"
#include "tests/support/process_files.h"
#include "tests/support/scratch_folder.h"
#else
#include "bench/report_engine_scope.h"
#include "tests/preview/log_report.h"
#endif

namespace {

struct View : preview::TfrxPreviewView {
  int WorkspaceWidth() const override { return 1000; }
  int WorkspaceHeight() const override { return 700; }
};

#ifdef ZARNIK_RECORDER_REPORT
// The recorder report of the largest process the recorder holds.
struct Built {
  Built() {
    support::ProcessFileSpec spec;
    spec.points = support::kLargestProcessPoints;
    spec.period = 1;
    const std::string file = support::WriteProcessFile(dir.Path(), spec);
    if (recorder.Load(file) != app::TProcessLoadResult::Loaded) std::abort();
    recorder.Prepare();
  }
  report::TfrxReport& Report() { return recorder.Report(); }
  report::TfrxCustomPreviewPages& Pages() { return *Report().PreviewPages(); }
  // The last page's footer.
  static rtl::AnsiString LastPageWord(int pages) { return "- " + std::to_string(pages) + " -"; }
  app::TReportEngineStartup engine;
  support::ScratchFolder dir{"preview-bench-"};
  app::TProcessFileReport recorder;
};
#else
// The log report of 21,706 rows.
struct Built {
  Built() {
    log = std::make_unique<preview_test::LogReport>(21'706);
    log->Report().PrepareReport(true);
  }
  report::TfrxReport& Report() { return log->Report(); }
  report::TfrxCustomPreviewPages& Pages() { return *log->Report().PreviewPages(); }
  static rtl::AnsiString LastPageWord(int pages) {
    return rtl::Utf8ToAnsi("Страница " + std::to_string(pages) + " из ");
  }
  bench_support::ReportEngineScope engine;
  std::unique_ptr<preview_test::LogReport> log;
};
#endif
Built& Shared() {
  static Built built;
  return built;
}

std::unique_ptr<preview::TfrxPreview> Attach(View& view) {
  auto preview = std::make_unique<preview::TfrxPreview>(view);
  preview->Report = &Shared().Report();
  preview->PreviewPages = &Shared().Pages();
  return preview;
}

void BM_FirstPageShown(benchmark::State& state) {
  Shared();  // the report is built before the clock runs
  View view;
  gfx::TBitmap screen(1000, 700);
  for (auto _ : state) {
    auto preview = Attach(view);
    preview->Init();
    preview->PaintPages(screen.Canvas());
    benchmark::DoNotOptimize(preview->PageNo());
    preview->PreviewPages = nullptr;
    preview->Report = nullptr;
  }
  state.counters["pages"] = Shared().Pages().GetCount();
}

void BM_TurnPage(benchmark::State& state) {
  View view;
  gfx::TBitmap screen(1000, 700);
  auto preview = Attach(view);
  preview->Init();
  int page = 1;
  for (auto _ : state) {
    page = page % preview->PageCount() + 1;
    preview->SetPageNo(page);
    preview->PaintPages(screen.Canvas());
  }
  preview->Report = nullptr;
}

void BM_Zoom(benchmark::State& state) {
  View view;
  gfx::TBitmap screen(1000, 700);
  auto preview = Attach(view);
  preview->Init();
  preview->SetPageNo(100);
  long double zoom = 1;
  for (auto _ : state) {
    zoom = zoom >= 2 ? 0.5L : zoom + 0.25L;
    preview->SetZoom(zoom);
    preview->PaintPages(screen.Canvas());
  }
  preview->Report = nullptr;
}

void BM_SearchLastPageFromFirst(benchmark::State& state) {
  View view;
  auto preview = Attach(view);
  preview->Init();
  const int pages = preview->PageCount();
  const rtl::AnsiString text = Built::LastPageWord(pages);
  bool found = false;
  for (auto _ : state) {
    preview->First();
    found = preview->FindText(text, true, false);
  }
  if (!found || preview->SearchPage() != pages - 1) state.SkipWithError("the last page's word was not found");
  preview->Report = nullptr;
}

// One page (the 100th) drawn into a screen-sized bitmap at zoom 1, and
// pdftoppm rendering the same page of a PDF of the report at 96 dpi.
void BM_PageDrawVersusPdftoppm(benchmark::State& state) {
  report::TfrxCustomPreviewPages& pages = Shared().Pages();
  const int index = 99;
  gfx::TBitmap bitmap(794, 1123);
  for (auto _ : state) {
    pages.DrawPage(index, bitmap.Canvas(), 1, 1, 0, 0);
    benchmark::ClobberMemory();
  }
  // The same page into a PDF, rendered by pdftoppm a few times.
  const std::string pdf = "/tmp/zarnik_preview_bench_" + std::to_string(::getpid()) + ".pdf";
  {
    rtl::TFileStream out(pdf, rtl::fmCreate);
    gfx::TDocumentCanvas canvas(out, gfx::TDocumentFormat::Pdf, 96, 96);
    canvas.BeginPage({794, 1123});
    pages.DrawPage(index, canvas, 1, 1, 0, 0);
    canvas.EndDocument();
  }
  const std::string command = "pdftoppm -r 96 -png " + pdf + " /tmp/zarnik_preview_bench_page >/dev/null 2>&1";
  double total = 0;
  int runs = 0, failed = 0;
  for (; runs < 5; ++runs) {
    const auto start = std::chrono::steady_clock::now();
    failed += std::system(command.c_str()) != 0;
    total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  std::remove(pdf.c_str());
  std::system("rm -f /tmp/zarnik_preview_bench_page*.png");
  if (failed == 0) state.counters["pdftoppm_ms"] = total / runs;
}

}  // namespace

BENCHMARK(BM_FirstPageShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TurnPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zoom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchLastPageFromFirst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageDrawVersusPdftoppm)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
