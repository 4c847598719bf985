// The program's own recorder report of a process file (21,706 points of 3
// channels: the recorder's memory full, as zarnik-report makes it) exported
// to RTF. Prepare and export are timed apart; matrix_ms is the layout
// matrix's part of the export, measured by a filter that only fills and
// prepares a matrix with the RTF export's options over the same pages.
// The benchmark runs one iteration.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "app/ProcessReport.h"
#include "bench/report_engine_scope.h"
#include "export/vuzExportMatrix.h"
#include "export/vuzExportRTF.h"
#include "platform/rtl/format.h"
#include "platform/rtl/streams.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "tests/support/process_files.h"

using namespace report;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// Fills and prepares a matrix as the RTF export does, and writes nothing.
class MatrixOnly : public TfrxCustomExportFilter {
 public:
  MatrixOnly() {
    ShowDialog = false;
    ShowProgress = false;
    m.ShowProgress = false;
    m.Inaccuracy = 0.5L;
    m.RotatedAsPicture = true;
    m.KeepRichText = true;
    m.RichAsPlainText = false;
    m.WhiteFill = m.WhiteFillCropped = true;
    m.MetafilePictures = true;
  }
  void ExportObject(TfrxComponent* object) override {
    if (object->IsA("TfrxPageHeader")) m.SetPageHeader(object);
    if (object->IsA("TfrxPageFooter")) m.SetPageFooter(object);
    if (auto* view = dynamic_cast<TfrxView*>(object); view && view->Printable()) m.AddObject(view);
  }
  void FinishPage(TfrxComponent* page, int index) override {
    if (auto* p = dynamic_cast<TfrxReportPage*>(page))
      m.AddPage(p->Orientation(), p->Width(), p->Height(), p->LeftMargin(), p->TopMargin(), p->RightMargin(),
                p->BottomMargin(), p->MirrorMargins(), index);
  }
  void Finish() override { m.Prepare(); }
  TfrxIEMatrix m;
};

void BM_RtfProgramRecorderReport(benchmark::State& state) {
  bench_support::ReportEngineScope started;
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "rtf_bench_process";
  std::filesystem::create_directories(dir);
  support::ProcessFileSpec spec;
  spec.points = static_cast<int>(state.range(0));
  const std::string file = support::WriteProcessFile(dir.string() + "/", spec);
  rtl::CurrentFormatSettings().DecimalSeparator = ',';
  double prepareMs = 0, exportMs = 0, matrixMs = 0, bytes = 0, pages = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
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
    const auto t1 = Clock::now();
    TfrxRTFExport filter;
    filter.ShowDialog = false;
    filter.ShowProgress = false;
    rtl::TMemoryStream out;
    filter.Stream = &out;
    if (!r.Export(&filter)) {
      state.SkipWithError("the export failed");
      break;
    }
    const auto t2 = Clock::now();
    MatrixOnly matrix;
    r.Export(&matrix);
    const auto t3 = Clock::now();
    prepareMs = Ms(t0, t1);
    exportMs = Ms(t1, t2);
    matrixMs = Ms(t2, t3);
    bytes = static_cast<double>(out.Size());
    pages = r.PreviewPages()->GetCount();
  }
  state.counters["prepare_ms"] = prepareMs;
  state.counters["export_ms"] = exportMs;
  state.counters["matrix_ms"] = matrixMs;
  state.counters["matrix_share_pct"] = exportMs > 0 ? 100 * matrixMs / exportMs : 0;
  state.counters["rtf_MB"] = bytes / 1e6;
  state.counters["pages"] = pages;
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_RtfProgramRecorderReport)
    ->Arg(500)
    ->Arg(support::kLargestProcessPoints)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
