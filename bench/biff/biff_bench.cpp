// A recorder table (21,706 rows: a time and six numbers in two number
// formats) written as a workbook file, in memory and file-cache modes, and the
// same table written by Python's xlwt (Debian python3-xlwt). Prints the time
// ratio and the peak memory of both. Run: build/bin/biff_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "bench/biff/bench_util.h"
#include "export/biff/biffFile.h"
#include "platform/rtl/files.h"

using namespace report;

namespace {

constexpr int kRows = 21706;

std::string OutputFile(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

using biffbench::ResetPeakMemory;
long PeakMemoryKiB() { return biffbench::StatusKiB("VmHWM:"); }

void WriteTable(bool fileCache, const std::string& path) {
  TBiffWorkbook book;
  auto when = std::make_unique<TBiffXF>();
  when->Format = book.AddFormat(u"dd.mm.yyyy hh:mm");
  when->Parent = 0;
  const int whenXf = book.AddXF(std::move(when));
  auto number = std::make_unique<TBiffXF>();
  number->Format = book.AddFormat(u"0.0");
  number->Parent = 0;
  const int numberXf = book.AddXF(std::move(number));
  auto sheet = std::make_unique<TBiffSheet>(&book);
  sheet->Name = u"Process";
  for (int r = 0; r < kRows; ++r) {
    auto t = std::make_unique<TBiffNumberCell>(45000.0 + r / 1440.0);
    t->Row = r;
    t->XF = whenXf;
    sheet->AddCell(std::move(t));
    for (int c = 1; c <= 6; ++c) {
      auto n = std::make_unique<TBiffNumberCell>((r * 7 + c * 13) % 1000 / 10.0);
      n->Row = r;
      n->Col = c;
      n->XF = numberXf;
      sheet->AddCell(std::move(n));
    }
  }
  book.AddSheet(std::move(sheet));
  rtl::SaveFileAtomically(path, [&](rtl::TStream& out) { BiffWriteWorkbookFile(book, out, {}, fileCache); });
}

void BM_WriteWorkbook(benchmark::State& state) {
  const bool fileCache = state.range(0) != 0;
  const std::string path = OutputFile(fileCache ? "zarnik-bench-cache.xls" : "zarnik-bench-memory.xls");
  long peak = 0;
  for (auto _ : state) {
    ResetPeakMemory();
    WriteTable(fileCache, path);
    peak = std::max(peak, PeakMemoryKiB());
  }
  state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
  state.counters["file_KiB"] = static_cast<double>(std::filesystem::file_size(path)) / 1024.0;
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteWorkbook)->ArgName("file_cache")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Xlwt(benchmark::State& state) {
  const std::string path = OutputFile("zarnik-bench-xlwt.xls");
  const std::string command =
      "/usr/bin/python3 " + std::string(ZARNIK_BIFF_BENCH_DIR) + "/xlwt_table.py " + path + " 2>/dev/null";
  double peak = 0;
  for (auto _ : state) {
    FILE* p = popen(command.c_str(), "r");
    char buf[256] = {};
    const std::size_t n = p ? fread(buf, 1, sizeof buf - 1, p) : 0;
    const int rc = p ? pclose(p) : -1;
    double seconds = 0, kib = 0;
    if (rc != 0 || n == 0 || std::sscanf(buf, "%lf %lf", &seconds, &kib) != 2) {
      state.SkipWithError("xlwt (Debian python3-xlwt) is not available");
      return;
    }
    state.SetIterationTime(seconds);  // the table alone, without the interpreter's start
    peak = std::max(peak, kib);
  }
  state.counters["peak_MiB"] = peak / 1024.0;
  state.counters["file_KiB"] = static_cast<double>(std::filesystem::file_size(path)) / 1024.0;
  std::filesystem::remove(path);
}
BENCHMARK(BM_Xlwt)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  biffbench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto xlwt = reporter.seconds.find("BM_Xlwt/manual_time");
  for (const auto& [name, s] : reporter.seconds)
    if (name.rfind("BM_WriteWorkbook", 0) == 0 && xlwt != reporter.seconds.end() && s > 0)
      std::printf("%s is %.1f times as fast as xlwt\n", name.c_str(), xlwt->second / s);
  benchmark::Shutdown();
  return 0;
}
