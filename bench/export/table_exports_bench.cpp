// The program's recorder report of a process with the recorder's memory full
// (21,706 points of 3 channels), as zarnik-report makes it, exported to
// HTML, ODS and ODT. Each run reports apart: prepare_ms (the engine building
// the pages), export_ms (the filter, matrix included) and matrix_ms (the
// same pages through a filter that only fills and prepares the layout
// matrix: the matrix's share of export_ms); out_MB is the output's size.
//
// BM_OdfPy writes a table of the same shape (a time and four values a row)
// with python3-odf, as a subprocess of /usr/bin/python3; its own clock, so
// the interpreter's start does not count.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/ProcessReport.h"
#include "bench/report_engine_scope.h"
#include "export/vuzExportHTML.h"
#include "export/vuzExportMatrix.h"
#include "export/vuzExportODF.h"
#include "platform/rtl/format.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "tests/support/process_files.h"

using namespace report;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// Fills and prepares a layout matrix as the table exports do, nothing more.
class MatrixOnly : public TfrxCustomExportFilter {
 public:
  MatrixOnly() = default;
  bool Start() override {
    matrix_ = std::make_unique<TfrxIEMatrix>();
    matrix_->ShowProgress = false;
    matrix_->Inaccuracy = 0.5L;
    return true;
  }
  void ExportObject(TfrxComponent* object) override {
    if (matrix_) matrix_->AddObject(object);
  }
  void FinishPage(TfrxComponent* page, int index) override {
    if (auto* p = dynamic_cast<TfrxReportPage*>(page))
      matrix_->AddPage(p->Orientation(), p->Width(), p->Height(), p->LeftMargin(), p->TopMargin(), p->RightMargin(),
                       p->BottomMargin(), p->MirrorMargins(), index);
  }
  void Finish() override {
    matrix_->Prepare();
    matrix_.reset();
  }

 private:
  std::unique_ptr<TfrxIEMatrix> matrix_;
};

std::unique_ptr<TfrxCustomExportFilter> MakeFilter(int kind) {
  if (kind == 0) return std::make_unique<TfrxHTMLExport>();
  if (kind == 1) return std::make_unique<TfrxODSExport>();
  return std::make_unique<TfrxODTExport>();
}

const char* const kExt[] = {".html", ".ods", ".odt"};

void BM_RecorderReport(benchmark::State& state) {
  bench_support::ReportEngineScope started;
  const int kind = static_cast<int>(state.range(0));
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "table_exports_bench";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  support::ProcessFileSpec spec;
  spec.points = static_cast<int>(state.range(1));
  const std::string file = support::WriteProcessFile(dir.string() + "/", spec);
  rtl::CurrentFormatSettings().DecimalSeparator = ',';
  double prepare = 0, exportMs = 0, matrixMs = 0, size = 0;
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
    MatrixOnly matrix;
    matrix.ShowDialog = false;
    matrix.ShowProgress = false;
    r.Export(&matrix);
    const auto t2 = Clock::now();
    std::unique_ptr<TfrxCustomExportFilter> filter = MakeFilter(kind);
    filter->ShowDialog = false;
    filter->ShowProgress = false;
    const std::string out = (dir / (std::string("report") + kExt[kind])).string();
    filter->FileName = rtl::Utf8ToAnsi(out);
    const auto t3 = Clock::now();
    if (!r.Export(filter.get())) {
      state.SkipWithError("the export failed");
      break;
    }
    const auto t4 = Clock::now();
    prepare = Ms(t0, t1);
    matrixMs = Ms(t1, t2);
    exportMs = Ms(t3, t4);
    size = static_cast<double>(std::filesystem::file_size(out)) / 1e6;
  }
  state.counters["prepare_ms"] = prepare;
  state.counters["export_ms"] = exportMs;
  state.counters["matrix_ms"] = matrixMs;
  state.counters["out_MB"] = size;
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_RecorderReport)
    ->ArgNames({"format", "points"})
    ->Args({0, 500})
    ->Args({1, 500})
    ->Args({2, 500})
    ->Args({0, support::kLargestProcessPoints})
    ->Args({1, support::kLargestProcessPoints})
    ->Args({2, support::kLargestProcessPoints})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

const char* kOdfPyScript = R"(
import sys, time
from odf.opendocument import OpenDocumentSpreadsheet
from odf.table import Table, TableRow, TableCell
from odf.text import P
rows, out = int(sys.argv[1]), sys.argv[2]
t0 = time.perf_counter()
doc = OpenDocumentSpreadsheet()
table = Table(name='Page 1')
for r in range(rows):
    row = TableRow()
    cell = TableCell(valuetype='string')
    cell.addElement(P(text='%02d.12.2026 %02d:%02d' % (1 + r // 144, (r // 6) % 24, (r % 6) * 10)))
    row.addElement(cell)
    for c in range(4):
        v = 20.0 + 10 * c + (r % 97) / 10.0
        cell = TableCell(valuetype='float', value=v)
        cell.addElement(P(text=('%.1f' % v).replace('.', ',')))
        row.addElement(cell)
    table.addElement(row)
doc.spreadsheet.addElement(table)
doc.save(out)
print('%.1f' % ((time.perf_counter() - t0) * 1000))
)";

void BM_OdfPy(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  if (!std::filesystem::exists("/usr/bin/python3")) {
    state.SkipWithError("needs /usr/bin/python3 (Debian python3-odf)");
    return;
  }
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "table_exports_bench_odfpy";
  std::filesystem::create_directories(dir);
  const std::string script = (dir / "table.py").string(), out = (dir / "table.ods").string();
  std::ofstream(script) << kOdfPyScript;
  double ms = 0;
  for (auto _ : state) {
    const std::string command = "/usr/bin/python3 '" + script + "' " + std::to_string(rows) + " '" + out + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[256];
    std::string log;
    while (pipe && fgets(buffer, sizeof buffer, pipe)) log += buffer;
    if (!pipe || pclose(pipe) != 0) {
      state.SkipWithError(("python3-odf failed: " + log).c_str());
      break;
    }
    ms = std::atof(log.c_str());
  }
  state.counters["odfpy_ms"] = ms;
  state.counters["out_MB"] = static_cast<double>(std::filesystem::file_size(out)) / 1e6;
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_OdfPy)
    ->Arg(500)
    ->Arg(support::kLargestProcessPoints)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
