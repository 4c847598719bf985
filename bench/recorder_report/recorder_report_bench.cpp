// The recorder report of the largest process the recorder can hold (21,706
// points of 3 channels), stage by stage: zarnik-report run as a program from
// process file to saved prepared report, to PDF and to the Excel workbook
// (wall time, the child's peak resident memory; an export's own share is its
// time less the prepared report's), and the same preparation inside this
// process (the feed, the engine and the store without the program's
// start-up). The preview's first page is measured by preview_recorder_bench.
//
// Counters: pages, peak_MB (the tool's peak resident memory, or the growth
// of this process's peak over the run: meaningful for the first run only,
// so the in-process benchmark comes first and each runs one iteration per
// repetition).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "app/ProcessReport.h"
#include "app/ReportEngineStartup.h"
#include "report/vuzClassReport.h"
#include "tests/support/process_files.h"
#include "tests/support/scratch_folder.h"

extern char** environ;

namespace {

// The folder with the largest process, written once.
struct LargestProcess {
  LargestProcess() {
    support::ProcessFileSpec spec;
    spec.points = support::kLargestProcessPoints;
    spec.period = 1;
    path = support::WriteProcessFile(dir.Path(), spec);
  }
  support::ScratchFolder dir{"zarnik-report-bench-"};
  std::string path;
};

LargestProcess& Process() {
  static LargestProcess p;
  return p;
}

int PagesOf(const std::string& fp3) {
  app::TReportEngineStartup engine;
  report::TfrxReport r;
  return r.PreviewPages()->LoadFromFile(fp3) ? r.PreviewPages()->GetCount() : 0;
}

long PeakKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

void BM_PrepareRecorderReportLargestProcess(benchmark::State& state) {
  app::TReportEngineStartup engine;
  const std::string out = Process().dir.File("inprocess.fp3");
  const long before = PeakKb();
  int pages = 0;
  for (auto _ : state) {
    app::TProcessFileReport rr;
    if (rr.Load(Process().path) != app::TProcessLoadResult::Loaded) {
      state.SkipWithError("cannot load the process");
      return;
    }
    rr.Prepare();
    rr.Report().PreviewPages()->SaveToFile(out);
    pages = rr.Report().PreviewPages()->GetCount();
  }
  state.counters["pages"] = pages;
  state.counters["peak_MB"] = double(PeakKb() - before) / 1024.0;
}
BENCHMARK(BM_PrepareRecorderReportLargestProcess)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The stages the tool runs to, by the output's extension.
const char* const kStages[] = {"fp3", "pdf", "xls"};

void BM_ZarnikReportLargestProcess(benchmark::State& state) {
  const std::string stage = kStages[state.range(0)];
  state.SetLabel(stage);
  const std::string out = Process().dir.File("tool." + stage);
  long peakKb = 0;
  for (auto _ : state) {
    const char* argv[] = {ZARNIK_REPORT_TOOL, Process().path.c_str(), "-o", out.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, ZARNIK_REPORT_TOOL, nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
      state.SkipWithError("cannot start zarnik-report");
      return;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("zarnik-report failed");
      return;
    }
    peakKb = usage.ru_maxrss;
  }
  if (stage == "fp3") state.counters["pages"] = PagesOf(out);
  state.counters["peak_MB"] = double(peakKb) / 1024.0;
  state.counters["file_MB"] = double(std::filesystem::file_size(out)) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ZarnikReportLargestProcess)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
