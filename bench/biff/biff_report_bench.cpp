// The recorder report of the largest process (21,706 points) as a workbook:
// preparing the report and exporting it are timed apart; the export (layout
// matrix, converter and writer) runs serially and with the draft pool on 1,
// 2, 4 and 8 threads; xlwt (Debian python3-xlwt) writes the very table the
// export wrote (read back with xlrd beforehand, not timed). Counters: sheets,
// growth_MiB (the peak resident memory above the memory at the start of the
// export or of xlwt's writing), cpu_s (processor seconds of all threads:
// on a loaded machine a fairer figure than the wall time).
// Run: build/bin/biff_report_bench [--points=N] (fewer points for a quick run)
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "app/ProcessReport.h"
#include "app/ReportEngineStartup.h"
#include "bench/biff/bench_util.h"
#include "export/biff/vuzExportBIFF.h"
#include "platform/rtl/format_settings.h"
#include "report/vuzClassReport.h"
#include "tests/support/process_files.h"
#include "tests/support/scratch_folder.h"

namespace {

int g_points = support::kLargestProcessPoints;

using biffbench::ResetPeakMemory;
using biffbench::StatusKiB;

// Processor seconds of every thread of this process so far.
double ProcessCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The process file, the engine and the prepared report, made once.
struct Fixture {
  Fixture() {
    support::ProcessFileSpec spec;
    spec.points = g_points;
    spec.period = 1;
    path = support::WriteProcessFile(dir.Path(), spec);
    rtl::CurrentFormatSettings().DecimalSeparator = ',';
  }
  // A freshly prepared report (its pages stay in memory for the exports).
  bool Prepare() { return recorder.Load(path) == app::TProcessLoadResult::Loaded && recorder.Prepare(); }
  support::ScratchFolder dir{"zarnik-biff-bench-"};
  app::TReportEngineStartup engine;
  std::string path;
  app::TProcessFileReport recorder;
};

Fixture& Shared() {
  static Fixture f;
  return f;
}

void BM_PrepareRecorderReport(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state)
    if (!f.Prepare()) {
      state.SkipWithError("cannot prepare the report");
      return;
    }
  state.counters["pages"] = f.recorder.Report().PreviewPages()->GetCount();
}
BENCHMARK(BM_PrepareRecorderReport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

std::string ExportFile(int threads) { return Shared().dir.File("export" + std::to_string(threads) + ".xls"); }

void BM_ExportRecorderReport(benchmark::State& state) {
  Fixture& f = Shared();
  if (!f.recorder.Loaded() && !f.Prepare()) {
    state.SkipWithError("cannot prepare the report");
    return;
  }
  const int threads = static_cast<int>(state.range(0));
  long growth = 0;
  double cpu = 0;
  for (auto _ : state) {
    report::TfrxBIFFExport filter;
    filter.ShowDialog = false;
    filter.ShowProgress = false;
    filter.SetParallelPages(threads);
    filter.FileName = ExportFile(threads);
    ResetPeakMemory();
    const long before = StatusKiB("VmRSS:");
    const double cpuBefore = ProcessCpuSeconds();
    if (!f.recorder.Report().Export(&filter)) {
      state.SkipWithError("the export failed");
      return;
    }
    cpu = ProcessCpuSeconds() - cpuBefore;
    growth = std::max(growth, StatusKiB("VmHWM:") - before);
  }
  state.counters["growth_MiB"] = static_cast<double>(growth) / 1024.0;
  state.counters["cpu_s"] = cpu;  // all threads of the process, last run
  state.counters["file_KiB"] = static_cast<double>(std::filesystem::file_size(ExportFile(threads))) / 1024.0;
}
BENCHMARK(BM_ExportRecorderReport)
    ->ArgName("threads")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_XlwtSameTable(benchmark::State& state) {
  const std::string source = ExportFile(0);
  if (!std::filesystem::exists(source)) {
    state.SkipWithError("the serial export did not run");
    return;
  }
  const std::string out = Shared().dir.File("xlwt.xls");
  const std::string command = "/usr/bin/python3 " + std::string(ZARNIK_BIFF_BENCH_DIR) + "/xlwt_table.py " + out + " " +
                              source + " 2>/dev/null";
  double growth = 0;
  for (auto _ : state) {
    FILE* p = popen(command.c_str(), "r");
    char buf[256] = {};
    const std::size_t n = p ? fread(buf, 1, sizeof buf - 1, p) : 0;
    const int rc = p ? pclose(p) : -1;
    double seconds = 0, kib = 0, cpu = 0;
    if (rc != 0 || n == 0 || std::sscanf(buf, "%lf %lf %lf", &seconds, &kib, &cpu) != 3) {
      state.SkipWithError("xlwt or xlrd (Debian python3-xlwt, python3-xlrd) is not available");
      return;
    }
    state.SetIterationTime(seconds);  // the writing alone
    growth = std::max(growth, kib);
    state.counters["cpu_s"] = cpu;
  }
  state.counters["growth_MiB"] = growth / 1024.0;
}
BENCHMARK(BM_XlwtSameTable)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--points=", 9) == 0) g_points = std::max(10, std::atoi(argv[i] + 9));
  biffbench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& s = reporter.seconds;
  const auto serial = s.find("BM_ExportRecorderReport/threads:0/real_time");
  const auto xlwt = s.find("BM_XlwtSameTable/manual_time");
  if (serial != s.end() && xlwt != s.end() && serial->second > 0)
    std::printf("serial export is %.1f times as fast as xlwt writing the same table\n", xlwt->second / serial->second);
  for (const auto& [name, t] : s)
    if (serial != s.end() && name.rfind("BM_ExportRecorderReport/threads:", 0) == 0 && t > 0)
      std::printf("%s: %.2f times the serial speed\n", name.c_str(), serial->second / t);
  benchmark::Shutdown();
  return 0;
}
